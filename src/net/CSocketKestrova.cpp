#include "net/CSocketKestrova.h"

#include "core/DrivenTimers.h"

#include <QUrl>

namespace
{

const QByteArray kCrlf = QByteArrayLiteral("\r\n");

// The status code of the response starting at `from`, 0 when unreadable.
int statusCode(const QByteArray& data, qsizetype from)
{
    const qsizetype lineEnd = data.indexOf(kCrlf, from);
    const QList<QByteArray> words = data.mid(from, lineEnd < 0 ? -1 : lineEnd - from).split(' ');
    return words.size() > 1 ? words[1].toInt() : 0;
}

// The Content-length value of the header block [from, to), -1 when absent.
qsizetype contentLength(const QByteArray& data, qsizetype from, qsizetype to)
{
    const QList<QByteArray> lines = data.mid(from, to - from).split('\n');
    for (const QByteArray& line : lines) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == "content-length") {
            bool ok = false;
            const qsizetype length = line.mid(colon + 1).trimmed().toLongLong(&ok);
            return ok ? length : -1;
        }
    }
    return -1;
}

}  // namespace

CSocketKestrova::CSocketKestrova(QObject* parent)
    : QTcpSocket(parent)
{
    m_timer.setSingleShot(true);
    driventimers::enrol(&m_timer);
    connect(&m_timer, &QTimer::timeout, this, &CSocketKestrova::deconnecte, Qt::DirectConnection);
    connect(this, &QTcpSocket::disconnected, this, &CSocketKestrova::peerClosed, Qt::DirectConnection);
    connect(this, &QTcpSocket::connected, this, &CSocketKestrova::estConnecte, Qt::DirectConnection);
    connect(this, &QTcpSocket::readyRead, this, &CSocketKestrova::lecture, Qt::DirectConnection);
}

CSocketKestrova::~CSocketKestrova()
{
    m_timer.stop();
    emit signal_action(1);
}

CSocketKestrova::Request
CSocketKestrova::buildRequest(const QString& address, const QString& requestName, const QString& mac)
{
    const QUrl url(address + requestName);
    // The length counts the bytes that go out, not the characters.
    const QByteArray body = QByteArrayLiteral("mac=") + mac.toUtf8();
    Request request;
    request.host = url.host();
    request.port = static_cast<quint16>(url.port(80));
    const QString head = QStringLiteral("POST ") + url.path() + QStringLiteral(" HTTP/1.1\r\nHost: ") + url.host()
                         + QStringLiteral("\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-length: ")
                         + QString::number(body.size()) + QStringLiteral("\r\nConnection: close\r\n\r\n");
    request.bytes = head.toUtf8() + body;
    return request;
}

void CSocketKestrova::init(const QString& mac, const QString& second, const QString& third)
{
    m_mac = mac;
    m_second = second;
    m_third = third;
}

void CSocketKestrova::emission(const QString& address, const QString& requestName)
{
    emit signal_action(0);
    const Request request = buildRequest(address, requestName, m_mac);
    m_requestName = requestName;
    m_request = request.bytes;
    m_received.clear();
    m_done = false;
    m_timer.start(timeoutMs);
    connectToHost(request.host, request.port, QIODevice::ReadWrite);
}

void CSocketKestrova::estConnecte()
{
    emit signal_action(2);
    write(m_request);
    flush();
    emit signal_action(3, m_request);
}

void CSocketKestrova::lecture()
{
    const QByteArray bytes = readAll();
    emit signal_action(4, bytes);
    if (m_done) {
        return;
    }
    m_received += bytes;
    if (!tryDeliver(false)) {
        m_timer.start(timeoutMs);
    }
}

void CSocketKestrova::deconnecte()
{
    if (m_done) {
        return;
    }
    fail();
    emit signal_action(5, m_request);
}

void CSocketKestrova::peerClosed()
{
    if (m_done) {
        return;
    }
    if (bytesAvailable() > 0) {
        m_received += readAll();
    }
    // Without a whole reply a lost connection ends as a refused or silent one does:
    // at the time-out, with code 4.
    tryDeliver(true);
}

bool CSocketKestrova::tryDeliver(bool atEnd)
{
    // Interim 1xx responses go before the real one.
    qsizetype start = 0;
    qsizetype headerEnd = -1;
    for (;;) {
        headerEnd = m_received.indexOf(QByteArrayLiteral("\r\n\r\n"), start);
        if (headerEnd < 0 || statusCode(m_received, start) / 100 != 1) {
            break;
        }
        start = headerEnd + 4;
    }
    QByteArray body;
    if (headerEnd < 0) {
        if (!atEnd || m_received.mid(start).isEmpty()) {
            return false;
        }
        body = m_received.mid(start);
    } else {
        const qsizetype bodyStart = headerEnd + 4;
        const qsizetype length = contentLength(m_received, start, headerEnd);
        if (length >= 0 && m_received.size() - bodyStart >= length) {
            body = m_received.mid(bodyStart, length);
        } else if (atEnd && length < 0) {
            body = m_received.mid(bodyStart);
        } else {
            return false;
        }
    }
    m_done = true;
    m_timer.stop();
    disconnectFromHost();
    emit signal_reception(m_requestName, body, 0);
    deleteLater();
    return true;
}

void CSocketKestrova::fail()
{
    m_done = true;
    m_timer.stop();
    const qsizetype nul = m_request.indexOf('\0');
    emit signal_reception(QString::fromUtf8(nul < 0 ? m_request : m_request.left(nul)), QByteArray(), 4);
    abort();
    deleteLater();
}
