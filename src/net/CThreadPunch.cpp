#include "net/CThreadPunch.h"

#include "core/Database.h"
#include "core/Log.h"
#include "core/ThreadEnd.h"
#include "net/KestNet.h"
#include "net/RequestBody.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>

CThreadPunch::CThreadPunch(QObject* parent)
    : QThread(parent)
{}

CThreadPunch::~CThreadPunch()
{
    quit();
    wait();
    threadend::joined(this);
}

void CThreadPunch::setData(const QSqlDatabase& db, QMutex* mutex)
{
    this->db = db;
    this->mutex = mutex;
    m_path = db.databaseName();
}

void CThreadPunch::run()
{
    const threadend::RunEnd end(this);
    ThreadConnection connection(QStringLiteral("threadPunch"));
    if (!openRepBDD(connection.db(), mutex, m_path)) {
        return;
    }
    m_runDb = &connection.db();
    pendingPunches.initLocalPunchParSql(*m_runDb, mutex);
    keepUploadableRows(pendingPunches, "MODIF");
    if (!pendingPunches.isEmpty()) {
        // The manager, the requests and their replies all belong to this thread.
        QNetworkAccessManager manager;
        QObject context;
        networkManager = &manager;
        m_context = &context;
        sendPunch();
        exec();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        networkManager = nullptr;
        m_context = nullptr;
    }
    m_runDb = nullptr;
}

void CThreadPunch::sendPunch()
{
    const PunchBatch batch = nextPunchBatch(pendingPunches, BatchRule::SameType, ItemLayout::DateBarcodeRepEditeur);
    batchSize = batch.count;
    auto* request = new KestNet(networkManager);
    connect(
        request,
        &KestNet::signal_Response,
        m_context,
        [this](const QByteArray& response) {
            actionResponseSendPunch(response);
        },
        Qt::QueuedConnection);
    connect(
        request,
        &KestNet::signal_Error,
        m_context,
        [this](int code) {
            actionErrorSendPunch(code);
        },
        Qt::DirectConnection);
    const QString url = serviceUrl();
    const QByteArray requestBody = body::sendPunchWorker(loadDeltaContext(*m_runDb, mutex), batch);
    logRequestInDebug(url, requestBody);
    request->Init(url, QStringLiteral("sendPunch"), requestBody);
    request->Request();
}

void CThreadPunch::actionResponseSendPunch(const QByteArray& response)
{
    if (response.isEmpty()) {
        exit();
        return;
    }
    markBatchSent(pendingPunches, batchSize, *m_runDb, mutex);
    if (pendingPunches.isEmpty()) {
        exit();
    } else {
        sendPunch();
    }
}

void CThreadPunch::actionErrorSendPunch(int code)
{
    enregistreLog(4,
                  QStringLiteral("Erreur Connexion Send Punch (err=") + QString::number(code)
                      + QStringLiteral(") : req = "),
                  false);
    exit();
}
