#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QObject>
#include <QSslError>
#include <QString>
#include <QTimer>

class QNetworkAccessManager;

// One request to the access-control web service: a POST of `body` to `url`. It reports
// one outcome (reply, error or time-out) through its signals and deletes itself.
// GUI thread only, or the one thread whose event loop runs the manager.
class KestNet : public QObject
{
    Q_OBJECT

public:
    explicit KestNet(QNetworkAccessManager* manager, QObject* parent = nullptr);
    ~KestNet() override;

    // Sets the address, the Host and Content-Length headers, and keeps the body.
    void Init(const QString& url, const QString& requestName, const QByteArray& body);
    // Posts the body and starts the time-out of TIMEOUT seconds.
    void Request();

    // The time-out in milliseconds for a TIMEOUT setting: "0" or text that is no
    // number gives 0 (fails at once); a negative or overflowing value gives 300 s.
    static int timeoutMs(const QString& setting);

    QTimer timer;
    QNetworkAccessManager* manager = nullptr;
    QNetworkRequest request;
    QNetworkProxy proxy;
    QNetworkReply* reply = nullptr;
    QString requestName;
    QByteArray data;

signals:
    // The whole reply body; an empty body is a success too.
    void signal_Response(const QByteArray& response);
    // The network error code, or 4 on time-out. A failed reply reports twice: its
    // error, then its end. A redirect, not followed, reports 399 once.
    void signal_Error(int code);
    // bytesTotal is -1 while the reply has announced no size.
    void signal_DownloadProgress(qint64 bytesReceived, qint64 bytesTotal);

public slots:
    void RequestFinished();
    void Disconnect();
    void Error(QNetworkReply::NetworkError code);
    void ErrorSSL(const QList<QSslError>& errorsList);
    void managerErrorSSL(QNetworkReply* sslReply, const QList<QSslError>& errorsList);

private:
    // The URL and body as the log lines quote them.
    QString requestText() const;
    // Stops listening to the reply and lets it go; `abort` for a hung one.
    void releaseReply(bool abort);
    void end();

    bool m_ended = false;
};
