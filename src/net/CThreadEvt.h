#pragma once

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <QThread>

class QMutex;

// Parses an event-list reply into the main database, in its own thread.
class CThreadEvt : public QThread
{
    Q_OBJECT

public:
    explicit CThreadEvt(QObject* parent = nullptr);
    // Waits for the run: finished() is emitted while the thread still runs.
    ~CThreadEvt() override;

    // Stores the input of the next run; only while the worker is idle.
    void setData(const QByteArray& data, const QSqlDatabase& db, QMutex* mutex);

    QByteArray data;
    QSqlDatabase db;
    QMutex* mutex = nullptr;

signals:
    void signalProgressValue(uint value);
    void signalProgressMax(uint max);
    void signalProgressText(const QString& text);
    void signalError(const QString& title, const QString& message);

protected:
    void run() override;
};
