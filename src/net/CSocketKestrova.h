#pragma once

#include <QByteArray>
#include <QString>
#include <QTcpSocket>
#include <QTimer>

// Posts one form field "mac" over a plain TCP connection, writing and reading the
// HTTP/1.1 exchange itself. It reports the body (code 0) or a failure (code 4: no
// whole reply before the time-out, a refused or lost connection included), once,
// then deletes itself. Lives on the thread that creates it.
class CSocketKestrova : public QTcpSocket
{
    Q_OBJECT

public:
    explicit CSocketKestrova(QObject* parent = nullptr);
    ~CSocketKestrova() override;

    // The request to send for `address` + `requestName`, with the host and port to
    // connect to (80 when the address names none). The query is not sent.
    struct Request
    {
        QByteArray bytes;
        QString host;
        quint16 port = 80;
    };

    static Request buildRequest(const QString& address, const QString& requestName, const QString& mac);

    // The text of the field "mac"; the other two are kept and not used.
    void init(const QString& mac, const QString& second, const QString& third);
    // Connects and sends the request; the outcome comes through signal_reception.
    void emission(const QString& address, const QString& requestName);

    // Milliseconds without an answer before the request fails.
    int timeoutMs = 10000;

signals:
    // Code 0: the request name and the reply body. Code 4: the request bytes as the
    // name and an empty body.
    void signal_reception(const QString& name, const QByteArray& body, int code);
    // 0 start, 1 destroyed, 2 connected, 3 written, 4 data read, 5 time-out.
    void signal_action(int step, const QByteArray& bytes = QByteArray());

public slots:
    void estConnecte();
    void deconnecte();
    void lecture();

private:
    void peerClosed();
    // Delivers the reply once its headers and Content-length bytes are in; with
    // `atEnd`, whatever arrived.
    bool tryDeliver(bool atEnd);
    void fail();

    QByteArray m_request;
    QString m_mac;
    QString m_requestName;
    QString m_second;
    QString m_third;
    QTimer m_timer;
    QByteArray m_received;
    bool m_done = false;
};
