#include "StandinServer.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QHostAddress>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

namespace standin
{

namespace
{

constexpr qsizetype kMaxRequestBytes = 64 * 1024 * 1024;

// A punch changes the entries left by -1, an un-punch by +1, a deletion not at all.
constexpr int kPunch = -1;
constexpr int kUnpunch = 1;
constexpr int kDelete = 0;

QByteArray formDecode(const QByteArray& text)
{
    QByteArray plus = text;
    plus.replace('+', ' ');
    return QByteArray::fromPercentEncoding(plus);
}

// The keys of the client's object in order, read without trusting its syntax: a
// value ends at a quote followed by `,"` or by the closing brace.
void readKeys(const QByteArray& json, QStringList& keys, QHash<QString, QString>& values)
{
    qsizetype i = json.indexOf('{');
    if (i < 0) {
        return;
    }
    ++i;
    const qsizetype n = json.size();
    while (i < n && json[i] == '"') {
        const qsizetype keyEnd = json.indexOf('"', i + 1);
        if (keyEnd < 0 || keyEnd + 2 >= n || json[keyEnd + 1] != ':' || json[keyEnd + 2] != '"') {
            return;
        }
        const QString key = QString::fromLatin1(json.mid(i + 1, keyEnd - i - 1));
        QString value;
        qsizetype k = keyEnd + 3;
        for (; k < n; ++k) {
            const char c = json[k];
            if (c == '\\' && k + 1 < n) {
                const char e = json[++k];
                if (e == 'u' && k + 4 < n) {
                    value += QChar(static_cast<char16_t>(json.mid(k + 1, 4).toUShort(nullptr, 16)));
                    k += 4;
                } else {
                    value += QLatin1Char(e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e);
                }
                continue;
            }
            const bool closes = c == '"' && (k + 1 == n || json[k + 1] == '}' || json.mid(k + 1, 2) == ",\"");
            if (closes) {
                break;
            }
            value += QLatin1Char(c);
        }
        keys.append(key);
        values.insert(key, value);
        i = k + 1;
        if (i < n && json[i] == ',') {
            ++i;
        }
    }
}

QByteArray compact(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QJsonObject performanceObject(const Performance& performance, const Event& event, int ticketCount)
{
    return QJsonObject{{QStringLiteral("id"), static_cast<qint64>(performance.id)},
                       {QStringLiteral("debut"), performance.debut},
                       {QStringLiteral("fin"), performance.fin},
                       {QStringLiteral("finvente"), performance.finVente},
                       {QStringLiteral("nbplace"), static_cast<qint64>(performance.nbPlace)},
                       {QStringLiteral("nbticket"), ticketCount},
                       {QStringLiteral("evtnom"), event.nom},
                       {QStringLiteral("salle"), performance.salle}};
}

QJsonObject ticketObject(const Ticket& ticket)
{
    QJsonArray seats;
    for (const Seat& seat : ticket.seats) {
        seats.append(QJsonObject{{QStringLiteral("3"), static_cast<qint64>(seat.tarifId)},
                                 {QStringLiteral("4"), seat.placement}});
    }
    return QJsonObject{{QStringLiteral("0"), static_cast<qint64>(ticket.editeurId)},
                       {QStringLiteral("1"), static_cast<qint64>(ticket.id)},
                       {QStringLiteral("2"), static_cast<qint64>(ticket.repId)},
                       {QStringLiteral("6"), ticket.isUsable ? 1 : 0},
                       {QStringLiteral("7"), ticket.isDeleted ? 1 : 0},
                       {QStringLiteral("9"), ticket.nomPorteur},
                       {QStringLiteral("10"), ticket.prenomPorteur},
                       {QStringLiteral("11"), ticket.nomAcheteur},
                       {QStringLiteral("12"), ticket.prenomAcheteur},
                       {QStringLiteral("13"), ticket.tel},
                       {QStringLiteral("14"), ticket.dateAchat},
                       {QStringLiteral("15"), static_cast<qint64>(ticket.nbCompostage)},
                       {QStringLiteral("17"), static_cast<qint64>(ticket.canalId)},
                       {QStringLiteral("19"), ticket.image},
                       {QStringLiteral("places"), seats}};
}

template <typename Map>
QJsonObject namesObject(const Map& names)
{
    QJsonObject object;
    for (auto it = names.cbegin(); it != names.cend(); ++it) {
        object.insert(QVariant(it.key()).toString(), it.value());
    }
    return object;
}

QString itemKey(const ReceivedPunch& punch)
{
    return punch.listKey + QLatin1Char('|') + punch.barcode + QLatin1Char('|') + QString::number(punch.editeurId)
           + QLatin1Char('|') + punch.date;
}

QByteArray statusText(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

}  // namespace

QString RecordedRequest::route() const
{
    if (path.startsWith("/img/")) {
        return QStringLiteral("image");
    }
    if (path.startsWith("/update/")) {
        return QStringLiteral("update");
    }
    return value(QStringLiteral("pa"));
}

QString RecordedRequest::value(const QString& key) const
{
    return values.value(key);
}

QByteArray RecordedRequest::header(const QByteArray& name) const
{
    for (const auto& [headerName, headerValue] : headers) {
        if (headerName.compare(name, Qt::CaseInsensitive) == 0) {
            return headerValue;
        }
    }
    return QByteArray();
}

int RecordedRequest::headerCount(const QByteArray& name) const
{
    int count = 0;
    for (const auto& header : headers) {
        count += header.first.compare(name, Qt::CaseInsensitive) == 0 ? 1 : 0;
    }
    return count;
}

ScriptedReply ScriptedReply::normal()
{
    return ScriptedReply();
}

ScriptedReply ScriptedReply::held()
{
    ScriptedReply reply;
    reply.kind = Kind::Held;
    return reply;
}

ScriptedReply ScriptedReply::bytes(const QByteArray& body)
{
    ScriptedReply reply;
    reply.kind = Kind::Bytes;
    reply.body = body;
    return reply;
}

ScriptedReply ScriptedReply::json(const QJsonObject& document)
{
    return bytes(compact(document));
}

ScriptedReply ScriptedReply::empty()
{
    return bytes(QByteArray());
}

ScriptedReply ScriptedReply::httpError(int code, const QByteArray& body)
{
    ScriptedReply reply = bytes(body);
    reply.status = code;
    return reply;
}

ScriptedReply ScriptedReply::redirect(const QByteArray& location, const QByteArray& body)
{
    ScriptedReply reply = httpError(302, body);
    reply.headers.append({QByteArrayLiteral("Location"), location});
    return reply;
}

ScriptedReply ScriptedReply::close()
{
    ScriptedReply reply;
    reply.kind = Kind::Close;
    return reply;
}

ScriptedReply ScriptedReply::silent()
{
    ScriptedReply reply;
    reply.kind = Kind::Silent;
    return reply;
}

ScriptedReply ScriptedReply::chunkedBytes(const QByteArray& body)
{
    ScriptedReply reply = bytes(body);
    reply.chunked = true;
    return reply;
}

ScriptedReply ScriptedReply::cutShort(const QByteArray& body)
{
    ScriptedReply reply = bytes(body);
    reply.cut = true;
    return reply;
}

ScriptedReply ScriptedReply::invalidJson()
{
    return bytes(QByteArrayLiteral("{\"request\":\"getEvents\",\"events\":{"));
}

ScriptedReply ScriptedReply::proxyPage()
{
    return bytes(QByteArrayLiteral("<!DOCTYPE html>\n<html><head><title>Authentification requise</title></head>"
                                   "<body><h1>Proxy</h1><p>Veuillez vous identifier pour acceder a Internet.</p>"
                                   "</body></html>\n"));
}

ScriptedReply ScriptedReply::truncatedDocument()
{
    ScriptedReply reply;
    reply.truncated = true;
    return reply;
}

ScriptedReply ScriptedReply::scalar()
{
    return bytes(QByteArrayLiteral("0"));
}

ScriptedReply ScriptedReply::latin1Names()
{
    return bytes(QByteArrayLiteral("{\"request\":\"getEvents\",\"sessionID\":\"S-latin\",\"events\":{\"event\":{\"1\":"
                                   "{\"id\":77,\"nom\":\"Op\xe9ra d'\xe9t\xe9\",\"image\":\"\",\"replist\":[{\"id\":"
                                   "7701,\"salle\":\"Th\xe9\xe2tre\",\"debut\":\"2030-01-01 20:00:00\"}]}}}}"));
}

ScriptedReply ScriptedReply::hostileNames()
{
    return bytes(QByteArrayLiteral(
        "{\"dt\":5001,\"da\":\"20300101120000\",\"evt\":{\"301\":\"Gala\\ud800' union select 1\"},"
        "\"agent\":{\"\\\" or 1=1 \\u0000\":\"A\\ud800\"},"
        "\"tickets\":{\"HOSTILE1\":{\"0\":11,\"1\":1,\"2\":4001,\"6\":1,\"7\":0,\"9\":\"A\\ud800\","
        "\"10\":\",(select LOGIN||char(58)||PASSWORD from DELTA),9,9,9,9,9,9,9,char(73,78,74)  \\u0000\","
        "\"15\":1,\"places\":[{\"3\":1,\"4\":\"x\\u0000y\"}]}},"
        "\"modifs\":{\"HOSTILE1\":[{\"0\":11,\"4\":8,\"5\":\"20300101110000\",\"9\":\"23\\ud800'\"}]}}"));
}

ScriptedReply ScriptedReply::delayed(int ms) const
{
    ScriptedReply reply = *this;
    reply.delayMs = ms;
    return reply;
}

StandinServer::StandinServer(Organiser organiser, QObject* parent)
    : QObject(parent)
    , m_server(new QTcpServer(this))
    , m_organiser(std::move(organiser))
{
    connect(m_server, &QTcpServer::newConnection, this, &StandinServer::onNewConnection);
}

StandinServer::~StandinServer() = default;

bool StandinServer::listen(quint16 port)
{
    return m_server->listen(QHostAddress::LocalHost, port);
}

quint16 StandinServer::port() const
{
    return m_server->serverPort();
}

QString StandinServer::serviceUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1/accessctrl/?").arg(port());
}

QString StandinServer::imageUrl(const QString& name) const
{
    return QStringLiteral("http://127.0.0.1:%1/img/%2").arg(port()).arg(name);
}

Organiser& StandinServer::organiser()
{
    // The caller may change the tickets.
    m_ticketIndex.clear();
    return m_organiser;
}

const Organiser& StandinServer::organiser() const
{
    return m_organiser;
}

quint32 StandinServer::currentDelta() const
{
    return m_delta;
}

void StandinServer::setClock(const QDateTime& now)
{
    m_clock = now;
}

QDateTime StandinServer::clock() const
{
    // The service writes its dates in local time, as the terminals do.
    return m_clock.isValid() ? m_clock.toLocalTime() : QDateTime::currentDateTime();
}

void StandinServer::setOfferedVersion(const QString& version)
{
    m_offeredVersion = version;
}

bool StandinServer::otherPunch(const QString& barcode, unsigned int editeurId, const QString& agentId)
{
    return otherChange(barcode, editeurId, agentId, kPunch);
}

bool StandinServer::otherUnpunch(const QString& barcode, unsigned int editeurId, const QString& agentId)
{
    return otherChange(barcode, editeurId, agentId, kUnpunch);
}

bool StandinServer::otherDelete(const QString& barcode, unsigned int editeurId, const QString& agentId)
{
    return otherChange(barcode, editeurId, agentId, kDelete);
}

void StandinServer::putTicket(Ticket ticket)
{
    ticket.changedAt = ++m_delta;
    if (Ticket* stored = findTicket(ticket.barcode, ticket.editeurId)) {
        *stored = ticket;
    } else {
        m_organiser.tickets.append(ticket);
        m_ticketIndex[ticket.barcode].append(m_organiser.tickets.size() - 1);
    }
}

void StandinServer::requestDrop()
{
    m_dropNext = true;
}

void StandinServer::setTicketsSessionId(const QString& sessionId)
{
    m_ticketsSessionId = sessionId;
}

void StandinServer::setDeltaId(const QString& idRep, DeltaId how)
{
    m_deltaIds.insert(idRep, how);
}

void StandinServer::setNextParams(const QJsonObject& params, const QJsonObject& evtData)
{
    m_nextParams = params;
    m_nextEvtData = evtData;
}

void StandinServer::enqueue(const QString& route, const ScriptedReply& reply)
{
    m_scripted[route].append(reply);
}

void StandinServer::setPolicy(Policy policy)
{
    m_policy = std::move(policy);
}

QList<int> StandinServer::heldRequests() const
{
    return m_held.keys();
}

QList<int> StandinServer::unansweredOpen() const
{
    QList<int> open;
    for (auto it = m_held.cbegin(); it != m_held.cend(); ++it) {
        if (it->socket && it->socket->state() == QAbstractSocket::ConnectedState) {
            open.append(it.key());
        }
    }
    for (auto it = m_silent.cbegin(); it != m_silent.cend(); ++it) {
        if (it.value() && it.value()->state() == QAbstractSocket::ConnectedState) {
            open.append(it.key());
        }
    }
    std::sort(open.begin(), open.end());
    return open;
}

int StandinServer::openConnections() const
{
    return static_cast<int>(m_open.size());
}

void StandinServer::release(int index)
{
    const auto it = m_held.constFind(index);
    if (it == m_held.cend()) {
        return;
    }
    const Held held = it.value();
    m_held.erase(it);
    if (held.socket && held.socket->state() == QAbstractSocket::ConnectedState) {
        send(held.socket, held.reply);
    }
}

QList<RecordedRequest> StandinServer::requests() const
{
    return m_requests;
}

QList<RecordedRequest> StandinServer::requests(const QString& route) const
{
    QList<RecordedRequest> out;
    for (const RecordedRequest& request : m_requests) {
        if (request.route() == route) {
            out.append(request);
        }
    }
    return out;
}

void StandinServer::clearRequests()
{
    // Indexes start again from 0: a request still held, deferred or left silent would
    // be answered as another one. Its connection is closed instead.
    QList<QTcpSocket*> unanswered;
    for (const Held& held : std::as_const(m_held)) {
        unanswered << held.socket;
    }
    for (const QPointer<QTcpSocket>& socket : std::as_const(m_waiting)) {
        unanswered << socket.data();
    }
    for (const QPointer<QTcpSocket>& socket : std::as_const(m_silent)) {
        unanswered << socket.data();
    }
    m_held.clear();
    m_waiting.clear();
    m_silent.clear();
    for (QTcpSocket* socket : std::as_const(unanswered)) {
        if (socket) {
            socket->abort();
        }
    }
    m_requests.clear();
    m_punches.clear();
}

QList<ReceivedPunch> StandinServer::receivedPunches() const
{
    return m_punches;
}

int StandinServer::duplicatePunches() const
{
    QSet<QString> seen;
    int duplicates = 0;
    for (const ReceivedPunch& punch : m_punches) {
        const QString key = itemKey(punch);
        duplicates += seen.contains(key) ? 1 : 0;
        seen.insert(key);
    }
    return duplicates;
}

void StandinServer::setRepeatsTakenOnce(bool once)
{
    m_repeatsTakenOnce = once;
}

void StandinServer::onNewConnection()
{
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        m_buffers.insert(socket, QByteArray());
        m_open.insert(socket);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            onReadyRead(socket);
        });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_buffers.remove(socket);
            m_open.remove(socket);
            socket->deleteLater();
        });
        connect(socket, &QObject::destroyed, this, [this, socket] {
            m_open.remove(socket);
        });
    }
}

void StandinServer::onReadyRead(QTcpSocket* socket)
{
    if (!m_buffers.contains(socket)) {
        socket->readAll();
        return;
    }
    QByteArray& buffer = m_buffers[socket];
    buffer += socket->readAll();
    const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0) {
        return;
    }
    RecordedRequest request;
    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    request.requestLine = lines.value(0).trimmed();
    request.path = request.requestLine.split(' ').value(1);
    qsizetype length = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0) {
            request.headers.append({lines[i].left(colon), lines[i].mid(colon + 1).trimmed()});
        }
    }
    length = request.header("Content-Length").toLongLong();
    if (length < 0 || length > kMaxRequestBytes) {
        socket->abort();
        return;
    }
    if (buffer.size() < headerEnd + 4 + length) {
        return;
    }
    request.body = buffer.mid(headerEnd + 4, length);
    m_buffers.remove(socket);
    for (const QByteArray& field : request.body.split('&')) {
        if (field.startsWith("d=")) {
            request.json = formDecode(field.mid(2));
        }
    }
    readKeys(request.json, request.keys, request.values);
    m_requests.append(request);
    const int index = static_cast<int>(m_requests.size() - 1);
    if (m_deferred) {
        m_waiting.insert(index, socket);
        return;
    }
    handle(socket, request, index);
    emit requestReceived(index);
}

void StandinServer::setDeferred(bool deferred)
{
    m_deferred = deferred;
    if (!deferred) {
        for (const int index : m_waiting.keys()) {
            process(index);
        }
    }
}

QList<int> StandinServer::deferredRequests() const
{
    QList<int> waiting;
    for (auto it = m_waiting.cbegin(); it != m_waiting.cend(); ++it) {
        if (it.value() && it.value()->state() == QAbstractSocket::ConnectedState) {
            waiting.append(it.key());
        }
    }
    return waiting;
}

void StandinServer::process(int index)
{
    const QPointer<QTcpSocket> socket = m_waiting.take(index);
    if (!socket || socket->state() != QAbstractSocket::ConnectedState || index < 0 || index >= m_requests.size()) {
        return;
    }
    handle(socket, m_requests.at(index), index);
    emit requestReceived(index);
}

ScriptedReply StandinServer::takeScripted(const RecordedRequest& request, int index)
{
    auto it = m_scripted.find(request.route());
    if (it == m_scripted.end() || it->isEmpty()) {
        return m_policy ? m_policy(request, index) : ScriptedReply::normal();
    }
    return it->takeFirst();
}

void StandinServer::handle(QTcpSocket* socket, const RecordedRequest& request, int index)
{
    const QString route = request.route();
    ScriptedReply reply = takeScripted(request, index);
    if (reply.twice) {
        // The first delivery's answer is lost on the way; the service took it all the same.
        m_redelivering = true;
        normalReply(request, index);
        m_redelivering = false;
    }
    const bool isHeld = reply.kind == ScriptedReply::Kind::Held;
    if (reply.kind == ScriptedReply::Kind::Normal || isHeld) {
        reply.kind = ScriptedReply::Kind::Bytes;
        reply.body = normalReply(request, index);
        if (reply.truncated) {
            reply.body.truncate(reply.body.size() / 2);
        }
        if (route.isEmpty()) {
            reply.status = 404;
        }
    } else if (route == QLatin1String("61")) {
        // A scripted answer still lets the punches reach the service.
        punchReply(request, index);
    }
    if (isHeld) {
        m_held.insert(index, {socket, reply});
        connect(socket, &QObject::destroyed, this, [this, index, socket] {
            // Only its own entry: after clearRequests the index may hold another's.
            const auto held = m_held.find(index);
            if (held != m_held.end() && held->socket == socket) {
                m_held.erase(held);
            }
        });
        return;
    }
    if (reply.kind == ScriptedReply::Kind::Silent) {
        m_silent.insert(index, socket);
        return;
    }
    if (reply.delayMs > 0) {
        QPointer<QTcpSocket> guarded(socket);
        QTimer::singleShot(reply.delayMs, this, [this, guarded, reply] {
            if (guarded && guarded->state() == QAbstractSocket::ConnectedState) {
                send(guarded, reply);
            }
        });
        return;
    }
    send(socket, reply);
}

void StandinServer::send(QTcpSocket* socket, const ScriptedReply& reply)
{
    switch (reply.kind) {
    case ScriptedReply::Kind::Silent:
        return;
    case ScriptedReply::Kind::Close:
        socket->disconnectFromHost();
        return;
    default:
        break;
    }
    QByteArray out = "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + statusText(reply.status)
                     + "\r\nContent-Type: text/html; charset=UTF-8\r\nConnection: close\r\n";
    for (const auto& [name, value] : reply.headers) {
        out += name + ": " + value + "\r\n";
    }
    if (reply.chunked) {
        const QByteArray first = reply.body.left(reply.body.size() / 2);
        const QByteArray second = reply.body.mid(first.size());
        out += "Transfer-Encoding: chunked\r\n\r\n";
        for (const QByteArray& chunk : {first, second}) {
            if (!chunk.isEmpty()) {
                out += QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n";
            }
        }
        out += "0\r\n\r\n";
    } else {
        out += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n\r\n"
               + (reply.cut ? reply.body.left(reply.body.size() / 2) : reply.body);
    }
    socket->write(out);
    socket->disconnectFromHost();
}

QByteArray StandinServer::normalReply(const RecordedRequest& request, int index)
{
    const QString route = request.route();
    if (route == QLatin1String("11")) {
        return QByteArrayLiteral("1");
    }
    if (route == QLatin1String("17")) {
        const bool offered = !m_offeredVersion.isEmpty();
        return compact(
            QJsonObject{{QStringLiteral("request"), QStringLiteral("getUpdate")},
                        {QStringLiteral("version"), m_offeredVersion},
                        {QStringLiteral("url"),
                         offered ? QStringLiteral("http://127.0.0.1:%1/update/setup").arg(port()) : QString()},
                        {QStringLiteral("modifs"), QJsonArray{QStringLiteral("Corrections")}}});
    }
    if (route == QLatin1String("221")) {
        return compact(loginReply(request));
    }
    if (route == QLatin1String("241")) {
        return compact(eventsReply(request.value(QStringLiteral("zo")).toUInt()));
    }
    if (route == QLatin1String("53")) {
        return compact(ticketsDocument(request.values));
    }
    if (route == QLatin1String("61")) {
        return punchReply(request, index);
    }
    if (route == QLatin1String("image")) {
        return pictureBytes(QString::fromLatin1(request.path.mid(5)));
    }
    if (route == QLatin1String("update")) {
        return QByteArrayLiteral("#!/bin/sh\necho installer of the stand-in\n");
    }
    return QByteArrayLiteral("unknown request");
}

QJsonObject StandinServer::loginReply(const RecordedRequest& request)
{
    const QString md5 =
        QString::fromLatin1(QCryptographicHash::hash(m_organiser.password.toLatin1(), QCryptographicHash::Md5).toHex());
    const QString login = request.value(QStringLiteral("lg"));
    if ((login != m_organiser.login && !m_organiser.otherLogins.contains(login))
        || request.value(QStringLiteral("pw")) != md5) {
        return QJsonObject{{QStringLiteral("request"), QStringLiteral("login")}, {QStringLiteral("error"), 1}};
    }
    return QJsonObject{{QStringLiteral("request"), QStringLiteral("login")},
                       {QStringLiteral("error"), 0},
                       {QStringLiteral("status"), 0},
                       {QStringLiteral("sessionID"), QStringLiteral("S%1").arg(++m_sessionCounter)},
                       {QStringLiteral("terminalId"), m_organiser.terminalId},
                       {QStringLiteral("zoneList"), namesObject(m_organiser.zones)}};
}

QJsonObject StandinServer::eventsReply(unsigned int zoneId)
{
    QHash<unsigned int, int> ticketCounts;
    for (const Ticket& ticket : std::as_const(m_organiser.tickets)) {
        ++ticketCounts[ticket.repId];
    }
    QJsonObject events;
    QJsonObject passes;
    for (const Event& event : std::as_const(m_organiser.events)) {
        if (!event.zones.isEmpty() && !event.zones.contains(zoneId)) {
            continue;
        }
        QJsonArray replist;
        for (const Performance& performance : event.performances) {
            replist.append(performanceObject(performance, event, ticketCounts.value(performance.id)));
        }
        const QJsonObject entry{{QStringLiteral("id"), static_cast<qint64>(event.id)},
                                {QStringLiteral("image"), imageUrl(event.imageName)},
                                {QStringLiteral("nom"), event.nom},
                                {QStringLiteral("replist"), replist}};
        (event.type == 1 ? passes : events).insert(QString::number(event.id), entry);
    }
    return QJsonObject{
        {QStringLiteral("request"), QStringLiteral("getEvents")},
        {QStringLiteral("sessionID"), QStringLiteral("S%1").arg(m_sessionCounter)},
        {QStringLiteral("events"), QJsonObject{{QStringLiteral("event"), events}, {QStringLiteral("pont"), passes}}}};
}

QList<unsigned int> StandinServer::scopeRepIds(const QString& idRep, const QString& jour) const
{
    const bool isPass = idRep.startsWith(QLatin1Char('-'));
    const unsigned int id = (isPass ? idRep.mid(1) : idRep).toUInt();
    const bool byEvent = !isPass && !jour.isEmpty() && jour != QLatin1String("0");
    QList<unsigned int> reps;
    for (const Event& event : m_organiser.events) {
        for (const Performance& performance : event.performances) {
            const bool inScope = isPass    ? event.type == 1 && event.id == id
                                 : byEvent ? event.type == 0 && event.id == id
                                           : performance.id == id;
            if (inScope) {
                reps.append(performance.id);
            }
        }
    }
    return reps;
}

QJsonObject StandinServer::ticketsDocument(const QHash<QString, QString>& values)
{
    const quint32 since = values.value(QStringLiteral("dt")).toUInt();
    const bool full = m_dropNext || since == 0 || values.value(QStringLiteral("ba")) == QLatin1String("0");
    QJsonObject document;
    if (m_dropNext) {
        document.insert(QStringLiteral("drop"), true);
        m_dropNext = false;
    }
    if (!m_ticketsSessionId.isEmpty()) {
        document.insert(QStringLiteral("si"), m_ticketsSessionId);
    }
    const DeltaId deltaId = m_deltaIds.value(values.value(QStringLiteral("id")), DeltaId::Sent);
    if (deltaId != DeltaId::Absent) {
        document.insert(QStringLiteral("dt"), deltaId == DeltaId::Zero ? 0 : static_cast<qint64>(m_delta));
    }
    document.insert(QStringLiteral("da"), nowFigures());

    const QList<unsigned int> reps =
        scopeRepIds(values.value(QStringLiteral("id")), values.value(QStringLiteral("jo")));
    if (full) {
        QJsonObject repObject;
        QJsonObject evtObject;
        for (const unsigned int repId : reps) {
            const Event* event = m_organiser.eventOfPerformance(repId);
            for (const Performance& performance : event->performances) {
                if (performance.id == repId) {
                    repObject.insert(
                        QString::number(repId),
                        QJsonObject{{QStringLiteral("debut"), performance.debut},
                                    {QStringLiteral("fin"), performance.fin},
                                    {QStringLiteral("evt"), static_cast<qint64>(event->id)},
                                    {QStringLiteral("comp"), static_cast<qint64>(performance.nbCompostage)}});
                }
            }
            evtObject.insert(QString::number(event->id), event->nom);
        }
        document.insert(QStringLiteral("rep"), repObject);
        document.insert(QStringLiteral("evt"), evtObject);
        document.insert(QStringLiteral("tarif"), namesObject(m_organiser.tarifs));
        document.insert(QStringLiteral("agent"), namesObject(m_organiser.agents));
        document.insert(QStringLiteral("pub"), namesObject(m_organiser.editeurs));
        document.insert(QStringLiteral("caisse"), namesObject(m_organiser.caisses));
        document.insert(QStringLiteral("canal"), namesObject(m_organiser.canaux));
    }

    QJsonObject tickets;
    QHash<QString, unsigned int> repOfBarcode;
    for (const Ticket& ticket : std::as_const(m_organiser.tickets)) {
        if (!reps.contains(ticket.repId)) {
            continue;
        }
        repOfBarcode.insert(ticket.barcode, ticket.repId);
        // Its history may name it as a terminal sent it, the quote a blank.
        repOfBarcode.insert(QString(ticket.barcode).replace(QLatin1Char('\''), QLatin1Char(' ')), ticket.repId);
        if (full || ticket.changedAt > since) {
            tickets.insert(ticket.barcode, ticketObject(ticket));
        }
    }
    document.insert(QStringLiteral("tickets"), tickets);

    QJsonObject modifs;
    for (const HistoryEntry& entry : std::as_const(m_organiser.history)) {
        if (!repOfBarcode.contains(entry.barcode) || (!full && entry.deltaId <= since)) {
            continue;
        }
        QJsonArray rows = modifs.value(entry.barcode).toArray();
        rows.append(QJsonObject{{QStringLiteral("0"), static_cast<qint64>(entry.editeurId)},
                                {QStringLiteral("4"), static_cast<qint64>(entry.type)},
                                {QStringLiteral("5"), entry.date},
                                {QStringLiteral("9"), entry.agentId}});
        modifs.insert(entry.barcode, rows);
    }
    document.insert(QStringLiteral("modifs"), modifs);

    if (!m_nextParams.isEmpty()) {
        document.insert(QStringLiteral("params"), m_nextParams);
        if (!m_nextEvtData.isEmpty()) {
            document.insert(QStringLiteral("evtData"), m_nextEvtData);
        }
        m_nextParams = QJsonObject();
        m_nextEvtData = QJsonObject();
    }
    return document;
}

QJsonObject StandinServer::eventFileDocument(const QString& idRep, unsigned int zoneId)
{
    const bool isPass = idRep.startsWith(QLatin1Char('P'));
    const bool isEvent = idRep.startsWith(QLatin1Char('E'));
    const QString id = idRep.mid(1);
    const QHash<QString, QString> values{{QStringLiteral("dt"), QStringLiteral("0")},
                                         {QStringLiteral("id"), isPass ? QLatin1Char('-') + id : id},
                                         {QStringLiteral("jo"), isEvent ? QStringLiteral("1") : QStringLiteral("0")}};
    QJsonObject document = ticketsDocument(values);
    const QList<unsigned int> reps =
        scopeRepIds(values.value(QStringLiteral("id")), values.value(QStringLiteral("jo")));
    QJsonObject entries;
    if (!reps.isEmpty()) {
        const Event* event = m_organiser.eventOfPerformance(reps.first());
        QJsonArray replist;
        for (const Performance& performance : event->performances) {
            if (reps.contains(performance.id)) {
                replist.append(performanceObject(performance, *event, 0));
            }
        }
        entries.insert(QString::number(event->id),
                       QJsonObject{{QStringLiteral("id"), static_cast<qint64>(event->id)},
                                   {QStringLiteral("image"), imageUrl(event->imageName)},
                                   {QStringLiteral("nom"), event->nom},
                                   {QStringLiteral("replist"), replist}});
    }
    document.insert(QStringLiteral("params"),
                    QJsonObject{{QStringLiteral("dwd"), 1},
                                {QStringLiteral("zo"), static_cast<qint64>(zoneId)},
                                {QStringLiteral("id"), isPass ? QLatin1Char('-') + id : id}});
    document.insert(QStringLiteral("evtData"),
                    QJsonObject{{isPass ? QStringLiteral("pont") : QStringLiteral("event"), entries}});
    return document;
}

QByteArray StandinServer::punchReply(const RecordedRequest& request, int index)
{
    for (const char* key : {"cl", "dl", "sl"}) {
        const QString listKey = QLatin1String(key);
        if (!request.values.contains(listKey)) {
            continue;
        }
        const QStringList items = request.value(listKey).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (const QString& item : items) {
            ReceivedPunch punch;
            punch.listKey = listKey;
            punch.request = index;
            punch.redelivered = m_redelivering;
            punch.date = item.left(14);
            punch.tileLayout = item.size() > 14 && item[14] == QLatin1Char(':');
            const QStringList parts = item.mid(punch.tileLayout ? 15 : 14).split(QLatin1Char(':'));
            punch.barcode = parts.value(0);
            punch.repId = parts.value(punch.tileLayout ? 2 : 1).toUInt();
            punch.editeurId = parts.value(punch.tileLayout ? 1 : 2).toUInt();
            m_punches.append(punch);
            if (m_repeatsTakenOnce) {
                const QString key = itemKey(punch);
                if (m_takenItems.contains(key)) {
                    continue;
                }
                m_takenItems.insert(key);
            }

            unsigned int type = 99;
            if (Ticket* ticket = findTicket(punch.barcode, punch.editeurId)) {
                if (listKey == QLatin1String("cl")) {
                    ticket->nbCompostage = ticket->nbCompostage > 0 ? ticket->nbCompostage - 1 : 0;
                    type = ticket->nbCompostage == 0 ? 3 : 8;
                    ticket->isUsable = ticket->nbCompostage > 0;
                } else if (listKey == QLatin1String("dl")) {
                    type = ticket->nbCompostage == 0 ? 4 : 16;
                    ++ticket->nbCompostage;
                    ticket->isUsable = true;
                }
            }
            m_organiser.history.append(
                {++m_delta, punch.barcode, punch.editeurId, type, punch.date, m_organiser.terminalId});
        }
    }
    return QByteArrayLiteral("1");
}

bool StandinServer::otherChange(const QString& barcode, unsigned int editeurId, const QString& agentId, int change)
{
    Ticket* ticket = findTicket(barcode, editeurId);
    if (!ticket || ticket->isDeleted) {
        return false;
    }
    unsigned int type = 1;
    if (change == kDelete) {
        ticket->isDeleted = true;
    } else if (change == kPunch) {
        ticket->nbCompostage = ticket->nbCompostage > 0 ? ticket->nbCompostage - 1 : 0;
        type = ticket->nbCompostage == 0 ? 3 : 8;
        ticket->isUsable = ticket->nbCompostage > 0;
    } else {
        type = ticket->nbCompostage == 0 ? 4 : 16;
        ++ticket->nbCompostage;
        ticket->isUsable = true;
    }
    m_organiser.history.append({++m_delta, ticket->barcode, ticket->editeurId, type, nowFigures(), agentId});
    return true;
}

Ticket* StandinServer::findTicket(const QString& barcode, unsigned int editeurId)
{
    QList<Ticket>& tickets = m_organiser.tickets;
    if (m_ticketIndex.isEmpty() && !tickets.isEmpty()) {
        for (qsizetype i = 0; i < tickets.size(); ++i) {
            const QString& code = tickets.at(i).barcode;
            m_ticketIndex[code].append(i);
            // A terminal stores and sends a quote as a blank: the service knows the
            // ticket by that form too.
            if (code.contains(QLatin1Char('\''))) {
                m_ticketIndex[QString(code).replace(QLatin1Char('\''), QLatin1Char(' '))].append(i);
            }
        }
    }
    // Positions in list order: the first ticket of that barcode (and issuer) wins.
    for (const qsizetype i : m_ticketIndex.value(barcode)) {
        Ticket& ticket = tickets[i];
        if (editeurId == 0 || ticket.editeurId == editeurId) {
            return &ticket;
        }
    }
    return nullptr;
}

QString StandinServer::nowFigures() const
{
    return clock().toString(QStringLiteral("yyyyMMddhhmmss"));
}

QByteArray StandinServer::pictureBytes(const QString& name) const
{
    const uint hash = qHash(name);
    QImage image(110, 110, QImage::Format_RGB32);
    image.fill(QColor::fromHsv(static_cast<int>(hash % 360), 160, 200));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

RawPeer::RawPeer(QObject* parent)
    : QObject(parent)
    , m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, [this] {
        QTcpSocket* socket = m_server->nextPendingConnection();
        if (!socket) {
            return;
        }
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            m_received += socket->readAll();
            if (m_started) {
                return;
            }
            m_started = true;
            int at = 0;
            QPointer<QTcpSocket> guarded(socket);
            for (const Chunk& chunk : std::as_const(m_chunks)) {
                at += chunk.pauseMs;
                QTimer::singleShot(at, this, [guarded, bytes = chunk.bytes] {
                    if (guarded) {
                        guarded->write(bytes);
                        guarded->flush();
                    }
                });
            }
            if (m_closeAfter) {
                QTimer::singleShot(at, this, [guarded] {
                    if (guarded) {
                        guarded->disconnectFromHost();
                    }
                });
            }
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    });
}

bool RawPeer::listen()
{
    return m_server->listen(QHostAddress::LocalHost, 0);
}

quint16 RawPeer::port() const
{
    return m_server->serverPort();
}

void RawPeer::script(const QList<Chunk>& chunks, bool closeAfter)
{
    m_chunks = chunks;
    m_closeAfter = closeAfter;
}

QByteArray RawPeer::received() const
{
    return m_received;
}

}  // namespace standin
