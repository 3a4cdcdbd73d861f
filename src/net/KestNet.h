#pragma once

#include <QObject>

// One request to the access-control web service.
class KestNet : public QObject
{
    Q_OBJECT

public:
    explicit KestNet(QObject* parent = nullptr);

signals:
    // bytesTotal is -1 while the reply has announced no size.
    void signal_DownloadProgress(qint64 bytesReceived, qint64 bytesTotal);
};
