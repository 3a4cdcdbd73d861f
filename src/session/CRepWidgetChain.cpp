#include "core/CParam.h"
#include "core/Database.h"
#include "core/Log.h"
#include "data/CDataDelta.h"
#include "net/Drain.h"
#include "net/KestNet.h"
#include "net/RequestBody.h"
#include "session/CRepWidget.h"
#include "session/RepDisplay.h"

#include <QFile>
#include <QFileInfo>

using repdisplay::label;
using repdisplay::message;

// ---- download and update of the ticket list ----

// The window stays disabled behind the dialog until the chain ends.
void CRepWidget::showWaiting()
{
    emit signalProgressValue(0);
    emit signalProgressText(message(7));
    emit signalProgressShow(true);
    emit signalPageEnable(false);
}

bool CRepWidget::isChainRunning() const
{
    return m_chain.has_value();
}

bool CRepWidget::isCurrentChain(quint64 chainId, const char* what)
{
    if (m_chain && m_chain->id == chainId) {
        return true;
    }
    if (!m_staleAnswerLogged) {
        m_staleAnswerLogged = true;
        enregistreLog(4,
                      QStringLiteral("Reponse ignoree, la liste demandee n'est plus en cours : ") + QLatin1String(what),
                      false);
    }
    return false;
}

KestNet* CRepWidget::chainRequest(const char* what,
                                  void (CRepWidget::*onResponse)(const QByteArray&),
                                  void (CRepWidget::*onError)(int))
{
    const quint64 chainId = m_chain->id;
    auto* request = new KestNet(manager);
    connect(
        request,
        &KestNet::signal_Response,
        this,
        [this, chainId, what, onResponse](const QByteArray& response) {
            if (isCurrentChain(chainId, what)) {
                (this->*onResponse)(response);
            }
        },
        Qt::QueuedConnection);
    connect(
        request,
        &KestNet::signal_Error,
        this,
        [this, chainId, what, onError](int code) {
            if (isCurrentChain(chainId, what)) {
                (this->*onError)(code);
            }
        },
        Qt::DirectConnection);
    return request;
}

QString CRepWidget::buildPath(const QString& path)
{
    return path + QStringLiteral(".part");
}

void CRepWidget::getRepClicked()
{
    if (!gParam->isOnline || repFilePath.isEmpty() || m_chain) {
        return;
    }
    // A row of a TYPE the service does not know would head every batch forever.
    keepUploadableRows(modifList, "MODIF");
    Chain chain;
    chain.id = ++m_chainCount;
    chain.event = dataEvent;
    chain.rep = dataRep;
    chain.path = repFilePath;
    chain.idRep = idRep;
    chain.jour = jour;
    chain.isUpdate = repFileExists;
    chain.pending = modifList;
    m_chain = chain;
    if (m_chain->pending.isEmpty()) {
        getDelta();
    } else {
        sendPunch();
    }
}

void CRepWidget::sendPunch()
{
    if (!m_chain) {
        return;
    }
    showWaiting();

    KestNet* request =
        chainRequest("sendPunch", &CRepWidget::actionResponseSendPunch, &CRepWidget::actionErrorSendPunch);
    const QString url = serviceUrl();
    openRepBDD(db, mutex, m_chain->path);
    const DeltaContext delta = loadDeltaContext(db, mutex);
    const PunchBatch batch = nextPunchBatch(m_chain->pending, BatchRule::SameKind, ItemLayout::DateBarcodeEditeurRep);
    nbPunchSent = batch.count;
    // The rows that go, by ID: only they are marked sent by the answer.
    m_chain->inFlight.dropList();
    for (auto row = m_chain->pending.cbegin(); row != m_chain->pending.cend() && m_chain->inFlight.size() < batch.count;
         ++row) {
        m_chain->inFlight.ajoute(row.value(), row.key());
    }
    const QByteArray requestBody = body::sendPunchTile(delta, batch);
    logRequestInDebug(url, requestBody);
    request->Init(url, QStringLiteral("sendPunch"), requestBody);
    request->Request();
    openBDD(db, mutex);
}

// Any non-empty body acknowledges the whole batch; its content is never read.
void CRepWidget::actionResponseSendPunch(const QByteArray& response)
{
    if (!m_chain) {
        return;
    }
    if (!response.isEmpty()) {
        CDataModifListe sent = m_chain->inFlight;
        m_chain->inFlight.dropList();
        for (auto row = sent.cbegin(); row != sent.cend(); ++row) {
            m_chain->pending.remove(row.key());
        }
        openRepBDD(db, mutex, m_chain->path);
        markBatchSent(sent, static_cast<int>(sent.size()), db, mutex);
        openBDD(db, mutex);
        if (!m_chain->pending.isEmpty()) {
            sendPunch();
            return;
        }
    }
    actionSendPunchTerminated();
}

void CRepWidget::actionErrorSendPunch(int code)
{
    enregistreLog(4,
                  QStringLiteral("Erreur Connexion Send Punch (err=") + QString::number(code) + QLatin1Char(')'),
                  false);
    emit signalError(label(100), message(4));
    actionSendPunchTerminated();
}

void CRepWidget::actionSendPunchTerminated()
{
    if (!m_chain) {
        return;
    }
    emit signalProgressShow(false);
    if (!m_chain->pending.isEmpty()) {
        emit signalPageEnable(true);
        endChain();
        return;
    }
    getDelta();
}

void CRepWidget::getDelta()
{
    if (!m_chain) {
        return;
    }
    showWaiting();

    KestNet* request = chainRequest("getTickets", &CRepWidget::actionResponseGetRep, &CRepWidget::actionErrorGetRep);
    connect(request,
            &KestNet::signal_DownloadProgress,
            this,
            &CRepWidget::signalDownloadProgress,
            Qt::DirectConnection);
    const QString url = serviceUrl();
    // This terminal's punches still in the drain queue: the list the service sends
    // back does not count them yet.
    m_chain->drained = drain::queuedPunches(db, mutex);
    DeltaContext delta;
    if (m_chain->isUpdate) {
        openRepBDD(db, mutex, m_chain->path);
        delta = loadDeltaContext(db, mutex);
    }
    const QByteArray requestBody =
        body::getTicketsTile(m_chain->isUpdate ? &delta : nullptr, m_chain->idRep, m_chain->jour);
    logRequestInDebug(url, requestBody);
    request->Init(url, QStringLiteral("getTickets"), requestBody);
    request->Request();
    openBDD(db, mutex);
}

void CRepWidget::actionResponseGetRep(const QByteArray& response)
{
    if (!m_chain || threadGet.isRunning()) {
        return;
    }
    // A first download is built under another name: the list exists only once whole.
    const QString target = m_chain->isUpdate ? m_chain->path : buildPath(m_chain->path);
    if (!m_chain->isUpdate && QFile::exists(target) && !QFile::remove(target)) {
        enregistreLog(3, QStringLiteral("Telechargement precedent non supprime : ") + target, false);
    }
    if (!openRepBDD(db, mutex, target)) {
        enregistreLog(4, QStringLiteral("Erreur Ouverture base de donnee Rep"), false);
        emit signalError(label(100), message(5));
        actionErrorGetRep(0);
        return;
    }
    m_isParseFailed = false;
    m_workerErrorTitle.clear();
    m_workerErrorText.clear();
    threadGet.setData(response, mutex, db, m_chain->isUpdate);
    threadGet.setDrained(m_chain->drained);
    threadGet.start(QThread::InheritPriority);
}

void CRepWidget::actionErrorGetRep(int code)
{
    emit signalProgressShow(false);
    emit signalPageEnable(true);
    const QString err = QStringLiteral(" (err=") + QString::number(code) + QLatin1Char(')');
    enregistreLog(4, QStringLiteral("Erreur Connexion get Rep") + err, false);
    emit signalError(label(100), message(4) + err);
    openBDD(db, mutex);
    endChain();
}

void CRepWidget::actionGetRepTerminated()
{
    if (!m_chain) {
        return;
    }
    // An answer that parses but holds no list (an error document) leaves the file
    // unmarked: installed, it would be an empty list made current.
    CDataModifListe built;
    if (m_isParseFailed || (!m_chain->isUpdate && !isDownloadedList(db, mutex, buildPath(m_chain->path), built))) {
        workerFailed();
        return;
    }
    openBDD(db, mutex);
    if (!m_chain->isUpdate && !installFirstDownload()) {
        emit signalProgressShow(false);
        emit signalPageEnable(true);
        emit signalError(label(100), message(5));
        endChain();
        return;
    }
    emit signalProgressShow(false);
    emit signalPageEnable(true);
    const Chain done = *m_chain;
    endChain();
    if (gParam->isDebug) {
        enregistreLog(5,
                      QStringLiteral("Data Event = ") + QString::number(done.event.ID) + QStringLiteral(", Data Rep = ")
                          + QString::number(done.rep.ID),
                      false);
    }
    emit selectRep(done.event, done.rep, done.path, done.idRep, done.jour);
}

bool CRepWidget::installFirstDownload()
{
    const QString built = buildPath(m_chain->path);
    const QString& path = m_chain->path;
    // The file there holds no list (the tile offered a first download): only unsent
    // punches in it could matter. They go to the drain queue; a file that cannot be
    // read is set aside rather than removed.
    bool cleared = !QFile::exists(path);
    if (!cleared) {
        CDataModifListe pending;
        CDataDelta delta;
        delta.initDefaut();
        const bool readable = openRepBDD(db, mutex, path) && pending.initLocalPunchParSql(db, mutex);
        if (readable && !pending.isEmpty()) {
            delta.initParSql(db, mutex);
        }
        openBDD(db, mutex);
        // One that could not be opened for writing may still hold unsent punches: it is
        // left where it is.
        if (!readable) {
            // Under a name not taken yet: a copy set aside before stays as it is.
            QString aside = path + QStringLiteral(".unreadable");
            for (int copy = 1; QFileInfo::exists(aside); ++copy) {
                aside = path + QStringLiteral(".unreadable") + QString::number(copy);
            }
            cleared = QFileInfo(path).isWritable() && QFile::rename(path, aside);
        } else if (pending.isEmpty() || drain::moveToQueue(db, mutex, path, pending, delta)) {
            if (!pending.isEmpty()) {
                emit signalDrainNeeded();
            }
            cleared = dropRepBDD(db, mutex, path);
            openBDD(db, mutex);
        }
    }
    if (!cleared || !QFile::rename(built, path)) {
        enregistreLog(3, QStringLiteral("Liste telechargee non installee : ") + path, false);
        QFile::remove(built);
        return false;
    }
    return true;
}

// An empty or unreadable reply: a first download leaves nothing behind, an update
// keeps its list; neither is selected.
void CRepWidget::workerFailed()
{
    emit signalProgressShow(false);
    emit signalPageEnable(true);
    openBDD(db, mutex);
    if (!m_chain->isUpdate) {
        QFile::remove(buildPath(m_chain->path));
    }
    if (m_workerErrorText.isEmpty()) {
        emit signalError(label(100), message(3));
    } else {
        emit signalError(m_workerErrorTitle.isEmpty() ? label(100) : m_workerErrorTitle, m_workerErrorText);
    }
    endChain();
}

void CRepWidget::endChain()
{
    const bool shown = m_chain && m_chain->path == repFilePath;
    m_chain.reset();
    if (m_deferredFill) {
        const CDataEvenement evenement = *m_deferredFill;
        m_deferredFill.reset();
        init(evenement, mutex, db, manager);
    } else if (shown) {
        lookForRepFile();
    }
}

// ---- deletion of the ticket list ----

void CRepWidget::dropRepClicked()
{
    if (repFilePath.isEmpty() || m_chain) {
        return;
    }
    const bool dropped = dropRepFile();
    openBDD(db, mutex);
    if (!dropped) {
        return;
    }
    repFileExists = false;
    showNotDownloaded();
    emit signalRepFileDropped(repFilePath);
}

bool CRepWidget::dropRepFile()
{
    // Rows that cannot be read might still be there: the file stays.
    if (!openRepBDD(db, mutex, repFilePath) || !modifList.initLocalPunchParSql(db, mutex)) {
        emit signalError(label(100), message(5));
        return false;
    }
    if (modifList.isEmpty()) {
        return dropRepBDD(db, mutex, repFilePath);
    }

    CDataDelta delta;
    delta.initDefaut();
    delta.initParSql(db, mutex);
    openBDD(db, mutex);
    if (!drain::moveToQueue(db, mutex, repFilePath, modifList, delta)) {
        enregistreLog(3,
                      QStringLiteral("Liste des billets conservee, vidange non enregistree : ") + repFilePath,
                      false);
        emit signalError(label(100), message(5));
        return false;
    }
    modifList.dropList();
    emit signalDrainNeeded();

    if (dropRepBDD(db, mutex, repFilePath)) {
        return true;
    }
    // The list stays with its rows marked sent: they go from VIDANGE alone.
    enregistreLog(3, QStringLiteral("Liste des billets non supprimee, compostages en vidange : ") + repFilePath, false);
    lookForRepFile();
    return false;
}
