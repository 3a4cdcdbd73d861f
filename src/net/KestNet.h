#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QNetworkAccessManager;

// One request to the access-control web service: a POST of `body` to `url`. It reports
// one outcome (reply, error or time-out) through its signals and deletes itself.
// GUI thread only.
class KestNet : public QObject
{
    Q_OBJECT

public:
    explicit KestNet(QNetworkAccessManager* manager, QObject* parent = nullptr);

    void Init(const QString& url, const QString& requestName, const QByteArray& body);
    void Request();

signals:
    // The whole reply body; an empty body is a success too.
    void signal_Response(const QByteArray& response);
    // The network error code, or 4 on time-out.
    void signal_Error(int code);
    // bytesTotal is -1 while the reply has announced no size.
    void signal_DownloadProgress(qint64 bytesReceived, qint64 bytesTotal);
};
