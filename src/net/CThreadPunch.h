#pragma once

#include "data/CDataModif.h"

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <QThread>

class QMutex;
class QNetworkAccessManager;

// Uploads the pending journal rows of one ticket-list database in its own thread:
// batches of at most 20 rows of one exact TYPE, each marked sent when the service
// acknowledges it; it stops at the first empty reply or error. Nothing in the
// program starts it; it must not run beside another upload of the same file.
class CThreadPunch : public QThread
{
    Q_OBJECT

public:
    explicit CThreadPunch(QObject* parent = nullptr);
    // Waits for the run to end.
    ~CThreadPunch() override;

    // The database file to upload from (the handle's file name) and the mutex; only
    // while the worker is idle.
    void setData(const QSqlDatabase& db, QMutex* mutex);

    QSqlDatabase db;
    QMutex* mutex = nullptr;
    // Made by run() in the worker's thread, which alone uses it; null between runs.
    QNetworkAccessManager* networkManager = nullptr;
    CDataModifListe pendingPunches;
    int batchSize = 0;

    // Posts the batch at the head of pendingPunches. Worker thread, inside run().
    void sendPunch();

public slots:
    void actionResponseSendPunch(const QByteArray& response);
    void actionErrorSendPunch(int code);

protected:
    void run() override;

private:
    QString m_path;
    // The run's own connection and the object its replies are delivered to.
    QSqlDatabase* m_runDb = nullptr;
    QObject* m_context = nullptr;
};
