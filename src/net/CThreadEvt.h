#pragma once

#include <QString>
#include <QThread>

// Parses an event-list reply into the main database, in its own thread.
class CThreadEvt : public QThread
{
    Q_OBJECT

public:
    explicit CThreadEvt(QObject* parent = nullptr);

signals:
    void signalProgressValue(uint value);
    void signalProgressMax(uint max);
    void signalProgressText(const QString& text);
    void signalError(const QString& title, const QString& message);

protected:
    void run() override;
};
