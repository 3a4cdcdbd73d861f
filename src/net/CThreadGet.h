#pragma once

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <QThread>

class QMutex;

// Parses a ticket-list, delta or event-file reply into a ticket-list database, in its
// own thread.
class CThreadGet : public QThread
{
    Q_OBJECT

public:
    explicit CThreadGet(QObject* parent = nullptr);

    // Stores the input of the next run; only while the worker is idle.
    void setData(const QByteArray& data, QMutex* mutex, const QSqlDatabase& db, bool isDelta);

    // The reply is a delta of the current ticket list rather than a whole list.
    bool isDelta = false;
    QByteArray data;
    QSqlDatabase db;
    QMutex* mutex = nullptr;

signals:
    void signalProgressShow(bool isVisible);
    void signalProgressValue(uint value);
    void signalProgressMax(uint max);
    void signalProgressText(const QString& text);
    void signalError(const QString& title, const QString& message);
    void signalRepFile(uint dataEventId, uint dataEventType, uint dataRepId, const QString& idRep);
    // Tickets added, tickets without entries left.
    void signalNbTicket(int added, int usedUp);

protected:
    void run() override;
};
