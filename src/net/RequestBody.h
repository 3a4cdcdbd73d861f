#pragma once

#include <QByteArray>
#include <QMutex>
#include <QSqlDatabase>
#include <QString>

class CDataModifListe;
class CDataVidange;

// The bodies of every request to the web service: "d=" and one JSON object whose
// values are all strings, keys in the fixed order of each request. Texts go through
// Latin-1 (other characters become "?"). A value is JSON-escaped (quote, backslash,
// control characters) and "%", "&" and "+" are percent-encoded, so that neither a
// JSON reader nor a form decoder on the service can be misled by it; ordinary values
// are sent byte for byte as they are. Any thread.
class RequestBody
{
public:
    // Starts the object with "pa" and "se" (the terminal identifier).
    explicit RequestBody(const char* pa);

    RequestBody& add(const char* key, const QString& value);
    // The finished body.
    QByteArray bytes() const;

    // One value as it is written between its quotes.
    static QByteArray encodeValue(const QString& value);

private:
    QByteArray m_body;
};

// The service address: URL, or URL_PREPROD when started with "preprod".
QString serviceUrl();

// With "debug", logs a request's address followed by its body (level 6).
void logRequestInDebug(const QString& url, const QByteArray& body);

// "yyyy-MM-dd hh:mm:ss" rewritten as the service's 14 figures "yyyyMMddhhmmss"; empty
// when the text is not a 19-character valid date-time. No time zone is involved.
QString kestrovaDateTime(const QString& sqlDateTime);

// What a request says of the ticket list it concerns: "dt" and "da".
struct DeltaContext
{
    QString id = QStringLiteral("0");
    QString date = QStringLiteral("19700101000000");
};

// The newest DELTA row of the database `db` is open on, or the defaults when it has
// none (or cannot be read, which the data class logs).
DeltaContext loadDeltaContext(QSqlDatabase& db, QMutex* mutex);

// How the rows of one upload are grouped and written.
enum class BatchRule
{
    SameKind,  // punches (3, 8), un-punches (4, 16) or fraud reports (99) together
    SameType,  // only rows of the first row's exact TYPE
};

enum class ItemLayout
{
    DateBarcodeRepEditeur,  // "yyyyMMddhhmmss" + barcode + ":" + rep + ":" + issuer + ";"
    DateBarcodeEditeurRep,  // "yyyyMMddhhmmss:" + barcode + ":" + issuer + ":" + rep + ";"
};

inline constexpr int kMaxPunchBatch = 20;

// One batch taken from the head of the pending rows, at most kMaxPunchBatch.
struct PunchBatch
{
    // "cl", "dl" or "sl".
    const char* listKey = nullptr;
    QString items;
    int count = 0;
};

// "cl", "dl" or "sl" for a journal TYPE; null for a TYPE that is never uploaded.
const char* punchListKey(unsigned int type);

// Logs, once per process for each `row` text, that a row of an unknown TYPE is left
// out of the uploads.
void logNeverSentOnce(const QString& row);

// Removes the rows whose TYPE is never uploaded (journal or drain rows), so that
// they cannot head a batch forever; they stay pending in their table. Each such row
// is logged once.
template <typename Liste>
void keepUploadableRows(Liste& rows, const char* table)
{
    for (auto it = rows.begin(); it != rows.end();) {
        const auto& row = it.value();
        if (punchListKey(row.TYPE)) {
            ++it;
            continue;
        }
        logNeverSentOnce(QStringLiteral("%1 ID=%2 TYPE=%3 CODE_BARRE=%4 DATE=%5")
                             .arg(QLatin1String(table))
                             .arg(row.ID)
                             .arg(row.TYPE)
                             .arg(row.CODE_BARRE, row.DATE));
        it = rows.erase(it);
    }
}

// The batch at the head of `pending` (ID order). An empty list gives count 0.
PunchBatch nextPunchBatch(const CDataModifListe& pending, BatchRule rule, ItemLayout layout);

// The acknowledgement of a batch: the first `count` rows of `pending` are marked sent
// (STATUS 0) in one transaction and leave the list. A row whose update fails leaves
// the list too and stays pending on disk, so a later upload sends it again. Any
// thread, with `mutex` not held by the caller.
void markBatchSent(CDataModifListe& pending, int count, QSqlDatabase& db, QMutex* mutex);

// The bodies, one function per request, keys in the order the service expects.
namespace body
{

QByteArray ping();
QByteArray update();
// `passwordMd5` as computed by the login from the typed field.
QByteArray login(const QString& login, const QString& passwordMd5, const QString& agent);
QByteArray getEvents();
// The synchronisation cycle's delta request. It names the current list, "jo"
// included, as it was chosen.
QByteArray getTicketsCycle(const DeltaContext& delta);
// A tile's download: `delta` null when its database file does not exist yet; `jour`
// is the REP_JOUR the tile chose its list under.
QByteArray getTicketsTile(const DeltaContext* delta, const QString& idRep, const QString& jour);
// The synchronisation cycle's upload of one batch.
QByteArray sendPunchCycle(const DeltaContext& delta, const PunchBatch& batch);
// A tile's upload of one batch.
QByteArray sendPunchTile(const DeltaContext& delta, const PunchBatch& batch);
// The punch upload worker's batch.
QByteArray sendPunchWorker(const DeltaContext& delta, const PunchBatch& batch);
// One drain row, under the login, password, zone and delta context it was made with.
QByteArray sendGlobalPunch(const CDataVidange& row);

}  // namespace body
