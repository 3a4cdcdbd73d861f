#pragma once

#include "SampleOrganiser.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTcpSocket>

#include <functional>

class QTcpServer;

// A local stand-in of the access-control web service, for tests, benchmarks and
// trying the program by hand. It listens on 127.0.0.1 only, answers one HTTP/1.1
// request per connection, and serves:
//   POST <base>/accessctrl/?  with "d={...}": routed by "pa": 11 ping, 17 update,
//                             221 login, 241 getEvents, 53 getTickets, 61 sendPunch;
//   any method on /img/<name>: a PNG picture (getImage);
//   any method on /update/<name>: the bytes of an installer (getUpdate).
// It keeps one organiser's state (SampleOrganiser.h): a delta id that grows with
// every change, the tickets and their history, so that a client's punches and
// "another entrance" made by the test come back in the deltas. Every request is
// recorded, and the reply to the next request of a route can be scripted, faults
// included. Everything runs on the thread that owns the object, through its event
// loop.
namespace standin
{

// One request as it reached the server.
struct RecordedRequest
{
    // "POST /accessctrl/? HTTP/1.1", without its line end.
    QByteArray requestLine;
    QByteArray path;
    // Every header line in order, names as sent.
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    // The form-decoded value of the field "d": the JSON text the client wrote.
    QByteArray json;
    // Its keys in order, and their values unescaped (read tolerantly: a value that
    // broke the JSON is still cut where the next key starts).
    QStringList keys;
    QHash<QString, QString> values;

    // The route: the "pa" value, "image", "update", or "" for anything else.
    QString route() const;
    QString value(const QString& key) const;
    // The first header of that name (case ignored), and how many there are.
    QByteArray header(const QByteArray& name) const;
    int headerCount(const QByteArray& name) const;
};

// One punch, un-punch or fraud report item of a "sendPunch" request.
struct ReceivedPunch
{
    // "cl", "dl" or "sl".
    QString listKey;
    // "yyyyMMddhhmmss".
    QString date;
    QString barcode;
    unsigned int repId = 0;
    unsigned int editeurId = 0;
    // True for the tile's "date:barcode:issuer:rep;" layout.
    bool tileLayout = false;
    // Index of the request in requests().
    int request = 0;
    // An extra delivery of that request on the way (ScriptedReply::twice), not a
    // second upload by the client.
    bool redelivered = false;
};

// What the server does with the next request of a route.
struct ScriptedReply
{
    enum class Kind
    {
        Normal,  // what the service itself would answer
        Bytes,   // a response with `status` and `body`
        Close,   // the connection is closed without a response
        Silent,  // nothing is ever answered
        Held,    // what the service would answer, made now, sent once released
    };

    Kind kind = Kind::Normal;
    int status = 200;
    QByteArray body;
    // Sent with "Transfer-Encoding: chunked", in two chunks.
    bool chunked = false;
    // Announces the whole body but sends only its first half, then closes.
    bool cut = false;
    // The response leaves this many milliseconds late (the client may have given up).
    int delayMs = 0;
    // The request is taken twice, as when a retry on the way delivered it again.
    bool twice = false;
    // The service's own answer (Normal or Held) cut to its first half, sent as a whole
    // response: a document that ends too early, with nothing on the way to tell.
    bool truncated = false;
    // Headers added to the response, e.g. a "Location" of a redirect.
    QList<QPair<QByteArray, QByteArray>> headers;

    static ScriptedReply normal();
    static ScriptedReply bytes(const QByteArray& body);
    static ScriptedReply json(const QJsonObject& document);
    static ScriptedReply empty();
    // An HTTP error: 404 reaches a Qt client as error 203, 500 as 401.
    static ScriptedReply httpError(int code, const QByteArray& body = QByteArrayLiteral("error"));
    // A redirect to `location` with a body of its own.
    static ScriptedReply redirect(const QByteArray& location, const QByteArray& body);
    static ScriptedReply close();
    static ScriptedReply silent();
    static ScriptedReply held();
    static ScriptedReply chunkedBytes(const QByteArray& body);
    // A reply cut in the middle: the connection drops half-way through the body.
    static ScriptedReply cutShort(const QByteArray& body);
    // Faulty documents: broken syntax, a top-level scalar, Latin-1 bytes that are not
    // UTF-8, and a ticket list whose names hold NUL and lone surrogates ("\u0000",
    // "\ud800") around SQL text.
    static ScriptedReply invalidJson();
    // A whole page that is not the document asked for, with status 200, as a proxy or a
    // captive portal sends in the service's place.
    static ScriptedReply proxyPage();
    // The service's own answer, truncated (see `truncated`).
    static ScriptedReply truncatedDocument();
    static ScriptedReply scalar();
    static ScriptedReply latin1Names();
    static ScriptedReply hostileNames();

    // The same reply, `ms` milliseconds late.
    ScriptedReply delayed(int ms) const;
};

class StandinServer : public QObject
{
    Q_OBJECT

public:
    // Serves `organiser`; its dates and "da" follow clock() (now, in local time, unless set).
    explicit StandinServer(Organiser organiser, QObject* parent = nullptr);
    ~StandinServer() override;

    // Listens on 127.0.0.1; port 0 lets the system choose (tests). False when taken.
    bool listen(quint16 port = 0);
    quint16 port() const;
    // "http://127.0.0.1:<port>/accessctrl/?": the URL setting for the client.
    QString serviceUrl() const;
    QString imageUrl(const QString& name) const;

    // ---- the organiser's state ----
    Organiser& organiser();
    const Organiser& organiser() const;
    // The delta id of the newest change; the first list carries it as "dt".
    quint32 currentDelta() const;
    void setClock(const QDateTime& now);
    QDateTime clock() const;
    // "version" and "url" of the update reply; empty: no update offered.
    void setOfferedVersion(const QString& version);

    // Changes made at "another entrance" (agent `agentId`), sent back to clients in
    // the next delta as history rows. False when no live ticket has that barcode
    // (and issuer, when not 0).
    bool otherPunch(const QString& barcode, unsigned int editeurId = 0, const QString& agentId = QStringLiteral("23"));
    bool
    otherUnpunch(const QString& barcode, unsigned int editeurId = 0, const QString& agentId = QStringLiteral("23"));
    bool otherDelete(const QString& barcode, unsigned int editeurId = 0, const QString& agentId = QStringLiteral("23"));
    // Adds or replaces a ticket; it comes back in the next delta's "tickets".
    void putTicket(Ticket ticket);

    // ---- members added to the "getTickets" replies ----
    // The next reply asks for a full reload ("drop": true) and carries the whole list.
    void requestDrop();
    // "si" in every reply; empty: none.
    void setTicketsSessionId(const QString& sessionId);
    // How the replies for one list carry "dt": the delta id (the default), 0, or not
    // at all, as a service may answer for a list it keeps no change stream of.
    enum class DeltaId
    {
        Sent,
        Zero,
        Absent,
    };
    // For the replies whose request names `idRep` as "id", until set again.
    void setDeltaId(const QString& idRep, DeltaId how);
    // "params" (and "evtData" when not empty) in the next reply.
    void setNextParams(const QJsonObject& params, const QJsonObject& evtData = QJsonObject());

    // ---- scripting ----
    // The reply to the next request of `route` ("11", "17", "221", "241", "53", "61",
    // "image", "update"); several queue up, one per request.
    void enqueue(const QString& route, const ScriptedReply& reply);
    // Chooses the reply of each request that has none queued, by the request and its
    // index in requests(); none: the service's own answer.
    using Policy = std::function<ScriptedReply(const RecordedRequest& request, int index)>;
    void setPolicy(Policy policy);
    // Indexes of the requests whose Held replies wait, oldest first.
    QList<int> heldRequests() const;
    // Sends the held reply of request `index` (nothing if its client is gone).
    void release(int index);
    // The requests whose client still waits on a connection the server never answered
    // (held or silent), oldest first.
    QList<int> unansweredOpen() const;
    // Connections accepted and not yet closed, whatever their state.
    int openConnections() const;

    // ---- the order in which concurrent requests are taken ----
    // With `deferred`, a request is recorded when it has arrived whole but is neither
    // taken nor answered until process() is called for it, so that the caller decides
    // in which order the service sees requests that travel at the same time. Turning
    // it off processes those still waiting, in order.
    void setDeferred(bool deferred);
    // The requests waiting to be processed whose client is still connected, oldest
    // first.
    QList<int> deferredRequests() const;
    // Takes and answers request `index` as if it had just arrived (scripts, policy and
    // all); nothing if it is not waiting or its client has gone.
    void process(int index);

    // ---- what was received ----
    QList<RecordedRequest> requests() const;
    // The requests of one route, in order.
    QList<RecordedRequest> requests(const QString& route) const;
    void clearRequests();
    QList<ReceivedPunch> receivedPunches() const;
    // Items received more than once (same list key, barcode, issuer and date).
    int duplicatePunches() const;
    // With `once`, the default, an item identical to one already taken is acknowledged
    // and recorded but changes nothing, as at the real service: a program whose
    // acknowledgement was lost sends it again, and an identical item is all the
    // protocol has to know it by. Without, every item received is applied.
    void setRepeatsTakenOnce(bool once);

    // The ticket-list document the service would send for a "getTickets" request
    // with these values (without recording or changing anything but the drop flag).
    QJsonObject ticketsDocument(const QHash<QString, QString>& values);
    // A full list of the performance, event ("E") or pass ("P") `idRep`, as an event
    // file downloaded from the organiser's account holds it ("params" with "dwd" 1
    // and "evtData" included).
    QJsonObject eventFileDocument(const QString& idRep, unsigned int zoneId);

signals:
    // After each request has been recorded and answered (or left unanswered).
    void requestReceived(int index);

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket* socket);
    void handle(QTcpSocket* socket, const RecordedRequest& request, int index);
    ScriptedReply takeScripted(const RecordedRequest& request, int index);
    QByteArray normalReply(const RecordedRequest& request, int index);
    QJsonObject loginReply(const RecordedRequest& request);
    QJsonObject eventsReply(unsigned int zoneId);
    QByteArray punchReply(const RecordedRequest& request, int index);
    QByteArray pictureBytes(const QString& name) const;
    void send(QTcpSocket* socket, const ScriptedReply& reply);
    bool otherChange(const QString& barcode, unsigned int editeurId, const QString& agentId, int change);
    Ticket* findTicket(const QString& barcode, unsigned int editeurId);
    QString nowFigures() const;
    QList<unsigned int> scopeRepIds(const QString& idRep, const QString& jour) const;

    QTcpServer* m_server = nullptr;
    Organiser m_organiser;
    // Positions in m_organiser.tickets by barcode; empty until a lookup needs it, and
    // emptied whenever the organiser is handed out for changing.
    QHash<QString, QList<qsizetype>> m_ticketIndex;
    quint32 m_delta = 1000;
    QDateTime m_clock;
    QString m_offeredVersion;
    bool m_dropNext = false;
    QString m_ticketsSessionId;
    QHash<QString, DeltaId> m_deltaIds;
    QJsonObject m_nextParams;
    QJsonObject m_nextEvtData;
    int m_sessionCounter = 0;
    QMap<QString, QList<ScriptedReply>> m_scripted;
    Policy m_policy;

    struct Held
    {
        QTcpSocket* socket = nullptr;
        ScriptedReply reply;
    };

    QMap<int, Held> m_held;
    bool m_deferred = false;
    QMap<int, QPointer<QTcpSocket>> m_waiting;
    // Connections left without an answer for ever, by request.
    QMap<int, QPointer<QTcpSocket>> m_silent;
    QSet<QTcpSocket*> m_open;
    QList<RecordedRequest> m_requests;
    QList<ReceivedPunch> m_punches;
    bool m_repeatsTakenOnce = true;
    bool m_redelivering = false;
    QSet<QString> m_takenItems;
    QHash<QTcpSocket*, QByteArray> m_buffers;
};

// A bare TCP peer for clients that speak HTTP themselves: it accepts one connection
// on 127.0.0.1, keeps what it receives, and writes scripted chunks of bytes, each
// after its pause, then closes (or not).
class RawPeer : public QObject
{
    Q_OBJECT

public:
    struct Chunk
    {
        int pauseMs = 0;
        QByteArray bytes;
    };

    explicit RawPeer(QObject* parent = nullptr);

    bool listen();
    quint16 port() const;
    // What to write once the request's first bytes arrived; `closeAfter` closes the
    // connection after the last chunk.
    void script(const QList<Chunk>& chunks, bool closeAfter);
    QByteArray received() const;

private:
    QTcpServer* m_server = nullptr;
    QList<Chunk> m_chunks;
    bool m_closeAfter = true;
    QByteArray m_received;
    bool m_started = false;
};

}  // namespace standin
