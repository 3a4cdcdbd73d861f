#include "core/CParam.h"
#include "core/Database.h"
#include "core/Log.h"
#include "data/CDataDelta.h"
#include "net/Drain.h"
#include "net/KestNet.h"
#include "net/RequestBody.h"
#include "session/CRepWidget.h"
#include "session/RepDisplay.h"

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

void CRepWidget::getRepClicked()
{
    cancel = false;
    if (!gParam->isOnline || repFilePath.isEmpty()) {
        return;
    }
    // A row of a TYPE the service does not know would head every batch forever.
    keepUploadableRows(modifList, "MODIF");
    if (modifList.isEmpty()) {
        getDelta();
    } else {
        sendPunch();
    }
}

void CRepWidget::sendPunch()
{
    showWaiting();

    auto* request = new KestNet(manager);
    connect(request, &KestNet::signal_Response, this, &CRepWidget::actionResponseSendPunch, Qt::QueuedConnection);
    connect(request, &KestNet::signal_Error, this, &CRepWidget::actionErrorSendPunch, Qt::DirectConnection);
    const QString url = serviceUrl();
    openRepBDD(db, mutex, repFilePath);
    const DeltaContext delta = loadDeltaContext(db, mutex);
    const PunchBatch batch = nextPunchBatch(modifList, BatchRule::SameKind, ItemLayout::DateBarcodeEditeurRep);
    nbPunchSent = batch.count;
    const QByteArray requestBody = body::sendPunchTile(delta, batch);
    logRequestInDebug(url, requestBody);
    request->Init(url, QStringLiteral("sendPunch"), requestBody);
    request->Request();
    openBDD(db, mutex);
}

// Any non-empty body acknowledges the whole batch; its content is never read.
void CRepWidget::actionResponseSendPunch(const QByteArray& response)
{
    if (!response.isEmpty()) {
        openRepBDD(db, mutex, repFilePath);
        markBatchSent(modifList, nbPunchSent, db, mutex);
        openBDD(db, mutex);
        if (!modifList.isEmpty()) {
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
    emit signalProgressShow(false);
    if (!modifList.isEmpty()) {
        emit signalPageEnable(true);
        return;
    }
    lblDrainNeeded->hide();
    repFileExists = true;
    getDelta();
}

void CRepWidget::getDelta()
{
    cancel = false;
    showWaiting();

    auto* request = new KestNet(manager);
    connect(request, &KestNet::signal_Response, this, &CRepWidget::actionResponseGetRep, Qt::QueuedConnection);
    connect(request, &KestNet::signal_Error, this, &CRepWidget::actionErrorGetRep, Qt::DirectConnection);
    connect(request,
            &KestNet::signal_DownloadProgress,
            this,
            &CRepWidget::signalDownloadProgress,
            Qt::DirectConnection);
    const QString url = serviceUrl();
    DeltaContext delta;
    if (repFileExists) {
        openRepBDD(db, mutex, repFilePath);
        delta = loadDeltaContext(db, mutex);
    }
    const QByteArray requestBody = body::getTicketsTile(repFileExists ? &delta : nullptr, idRep);
    logRequestInDebug(url, requestBody);
    request->Init(url, QStringLiteral("getTickets"), requestBody);
    request->Request();
    openBDD(db, mutex);
}

void CRepWidget::actionResponseGetRep(const QByteArray& response)
{
    if (cancel || threadGet.isRunning()) {
        return;
    }
    // Creates the file of a first download.
    if (!openRepBDD(db, mutex, repFilePath)) {
        enregistreLog(4, QStringLiteral("Erreur Ouverture base de donnee Rep"), false);
        emit signalError(label(100), message(5));
        actionErrorGetRep(0);
        return;
    }
    m_isUpdate = repFileExists;
    m_isParseFailed = false;
    m_workerErrorTitle.clear();
    m_workerErrorText.clear();
    threadGet.setData(response, mutex, db, repFileExists);
    threadGet.start(QThread::InheritPriority);
}

void CRepWidget::actionErrorGetRep(int code)
{
    emit signalProgressShow(false);
    emit signalPageEnable(true);
    cancel = true;
    const QString err = QStringLiteral(" (err=") + QString::number(code) + QLatin1Char(')');
    enregistreLog(4, QStringLiteral("Erreur Connexion get Rep") + err, false);
    emit signalError(label(100), message(4) + err);
}

void CRepWidget::actionGetRepTerminated()
{
    if (m_isParseFailed) {
        workerFailed();
        return;
    }
    repFileExists = true;
    showDownloaded();
    emit signalProgressShow(false);
    emit signalPageEnable(true);
    openBDD(db, mutex);
    selectClicked();
}

// An empty or unreadable reply: a first download leaves no empty list behind to be
// scanned, an update keeps its list; neither is selected.
void CRepWidget::workerFailed()
{
    emit signalProgressShow(false);
    emit signalPageEnable(true);
    if (!m_isUpdate && dropRepBDD(db, mutex, repFilePath)) {
        repFileExists = false;
        showNotDownloaded();
        emit signalRepFileDropped(repFilePath);
    }
    openBDD(db, mutex);
    if (m_workerErrorText.isEmpty()) {
        emit signalError(label(100), message(3));
    } else {
        emit signalError(m_workerErrorTitle.isEmpty() ? label(100) : m_workerErrorTitle, m_workerErrorText);
    }
}

// ---- deletion of the ticket list ----

void CRepWidget::dropRepClicked()
{
    if (repFilePath.isEmpty()) {
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
