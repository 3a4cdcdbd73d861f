#include "net/RequestBody.h"

#include "core/CParam.h"
#include "core/Log.h"
#include "data/CDataDelta.h"
#include "data/CDataModif.h"
#include "data/CDataVidange.h"

#include <QDate>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QSqlError>
#include <QTime>

namespace
{

constexpr char kHex[] = "0123456789ABCDEF";

// The kind that may share a batch: punches, un-punches, fraud reports.
int punchKind(unsigned int type)
{
    switch (type) {
    case MODIF_PUNCH_LAST:
    case MODIF_PUNCH:
        return 1;
    case MODIF_UNPUNCH_LAST:
    case MODIF_UNPUNCH:
        return 2;
    case MODIF_FRAUDE:
        return 3;
    default:
        return 0;
    }
}

int figures(const QString& text, qsizetype from, qsizetype count, bool* ok)
{
    bool valid = false;
    const int value = text.mid(from, count).toInt(&valid, 10);
    *ok = *ok && valid;
    return value;
}

QString param(ParamKey key)
{
    return gParam->parametre(key);
}

QString itemOf(const CDataModif& row, ItemLayout layout)
{
    const QString date = kestrovaDateTime(row.DATE);
    const QLatin1Char colon(':');
    if (layout == ItemLayout::DateBarcodeRepEditeur) {
        return date + row.CODE_BARRE + colon + QString::number(row.REP_ID) + colon + QString::number(row.EDITEUR_ID)
               + QLatin1Char(';');
    }
    return date + colon + row.CODE_BARRE + colon + QString::number(row.EDITEUR_ID) + colon + QString::number(row.REP_ID)
           + QLatin1Char(';');
}

// The list closes the object: its value's quote is followed by the brace.
QByteArray withList(RequestBody& body, const PunchBatch& batch)
{
    if (batch.listKey) {
        body.add(batch.listKey, batch.items);
    }
    return body.bytes();
}

}  // namespace

RequestBody::RequestBody(const char* pa)
    : m_body("d={\"pa\":\"")
{
    m_body += pa;
    m_body += '"';
    add("se", gParam->serialNumber.get());
}

RequestBody& RequestBody::add(const char* key, const QString& value)
{
    m_body += ",\"";
    m_body += key;
    m_body += "\":\"";
    m_body += encodeValue(value);
    m_body += '"';
    return *this;
}

QByteArray RequestBody::bytes() const
{
    return m_body + '}';
}

QByteArray RequestBody::encodeValue(const QString& value)
{
    const QByteArray latin1 = value.toLatin1();
    QByteArray out;
    out.reserve(latin1.size());
    for (const char c : latin1) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else if (c == '%' || c == '&' || c == '+') {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

QString serviceUrl()
{
    return param(gParam->isPreprod ? URL_PREPROD : URL);
}

void logRequestInDebug(const QString& url, const QByteArray& body)
{
    if (gParam->isDebug) {
        enregistreLog(6, url + QString::fromLatin1(body), false);
    }
}

QString kestrovaDateTime(const QString& sqlDateTime)
{
    if (sqlDateTime.size() != 19) {
        return QString();
    }
    bool ok = true;
    const QDate date(figures(sqlDateTime, 0, 4, &ok), figures(sqlDateTime, 5, 2, &ok), figures(sqlDateTime, 8, 2, &ok));
    const QTime time(figures(sqlDateTime, 11, 2, &ok),
                     figures(sqlDateTime, 14, 2, &ok),
                     figures(sqlDateTime, 17, 2, &ok));
    if (!ok || !date.isValid() || !time.isValid()) {
        return QString();
    }
    return date.toString(QStringLiteral("yyyyMMdd")) + time.toString(QStringLiteral("hhmmss"));
}

DeltaContext loadDeltaContext(QSqlDatabase& db, QMutex* mutex)
{
    CDataDelta delta;
    delta.initDefaut();
    delta.initParSql(db, mutex);
    return DeltaContext{QString::number(delta.ID), kestrovaDateTime(delta.LAST_UPDATE)};
}

const char* punchListKey(unsigned int type)
{
    static const char* const keys[] = {nullptr, "cl", "dl", "sl"};
    return keys[punchKind(type)];
}

void logNeverSentOnce(const QString& row)
{
    static QMutex loggedMutex;
    static QSet<QString> logged;
    QMutexLocker lock(&loggedMutex);
    if (!logged.contains(row)) {
        logged.insert(row);
        enregistreLog(4, QStringLiteral("Ligne jamais envoyee (type inconnu) : ") + row, false);
    }
}

PunchBatch nextPunchBatch(const CDataModifListe& pending, BatchRule rule, ItemLayout layout)
{
    PunchBatch batch;
    if (pending.isEmpty()) {
        return batch;
    }
    const unsigned int firstType = pending.cbegin().value().TYPE;
    batch.listKey = punchListKey(firstType);
    if (!batch.listKey) {
        return batch;
    }
    for (auto it = pending.cbegin(); it != pending.cend() && batch.count < kMaxPunchBatch; ++it) {
        const unsigned int type = it.value().TYPE;
        const bool sameBatch =
            rule == BatchRule::SameType ? type == firstType : punchKind(type) == punchKind(firstType);
        if (!sameBatch) {
            break;
        }
        batch.items += itemOf(it.value(), layout);
        ++batch.count;
    }
    return batch;
}

void markBatchSent(CDataModifListe& pending, int count, QSqlDatabase& db, QMutex* mutex)
{
    // One commit for the batch instead of one per row.
    QMutexLocker lock(mutex);
    const bool inTransaction = db.transaction();
    for (int i = 0; i < count && !pending.isEmpty(); ++i) {
        const auto head = pending.begin();
        head.value().synchroSql(db, nullptr);
        pending.erase(head);
    }
    if (inTransaction && !db.commit()) {
        enregistreLog(2, QStringLiteral("Erreur synchroSql commit : ") + db.lastError().text(), false);
        db.rollback();
    }
}

namespace body
{

namespace
{

// What a key of the session's requests stands for.
QString sessionValue(const QByteArray& key, const DeltaContext* delta, bool isCurrentList)
{
    // A request about the current list names it as it was chosen.
    if (isCurrentList && key == "jo") {
        const QString jour = gParam->currentJour.get();
        return jour.isEmpty() ? param(REP_JOUR) : jour;
    }
    static const QHash<QByteArray, QString> constants{{"fv", QStringLiteral("5")},
                                                      {"ba", QStringLiteral("1")},
                                                      {"pl", QStringLiteral("1")},
                                                      {"ph", QStringLiteral("1")},
                                                      {"na", QStringLiteral("1")},
                                                      {"hi", QStringLiteral("1")},
                                                      {"offset", QStringLiteral("0")}};
    static const QHash<QByteArray, ParamKey> settings{{"zo", ZONE_KEST},
                                                      {"jo", REP_JOUR},
                                                      {"ta", AGENT_KEST},
                                                      {"sv", VERSION}};
    if (constants.contains(key)) {
        return constants.value(key);
    }
    if (settings.contains(key)) {
        return param(settings.value(key));
    }
    if (key == "lg") {
        return gParam->login.get();
    }
    if (key == "pw") {
        return gParam->passwordMd5.get();
    }
    if (key == "si") {
        return gParam->sessionId.get();
    }
    if (key == "id") {
        return gParam->currentIdRep.get();
    }
    if (delta && key == "dt") {
        return delta->id;
    }
    if (delta && key == "da") {
        return delta->date;
    }
    return QString();
}

// "pa", "se", then `keys` in this order with the session's values.
RequestBody sessionBody(const char* pa,
                        std::initializer_list<const char*> keys,
                        const DeltaContext* delta = nullptr,
                        bool isCurrentList = false)
{
    RequestBody body(pa);
    for (const char* key : keys) {
        body.add(key, sessionValue(key, delta, isCurrentList));
    }
    return body;
}

}  // namespace

QByteArray ping()
{
    return RequestBody("11").bytes();
}

QByteArray update()
{
    return sessionBody("17", {"sv"}).bytes();
}

QByteArray login(const QString& login, const QString& passwordMd5, const QString& agent)
{
    return RequestBody("221")
        .add("lg", login)
        .add("pw", passwordMd5)
        .add("fv", QStringLiteral("5"))
        .add("sv", param(VERSION))
        .add("ta", agent)
        .bytes();
}

QByteArray getEvents()
{
    return sessionBody("241", {"lg", "pw", "ta", "si", "zo", "jo", "fv", "offset"}).bytes();
}

QByteArray getTicketsCycle(const DeltaContext& delta)
{
    return sessionBody("53",
                       {"lg", "pw", "si", "zo", "jo", "dt", "da", "ba", "fv", "pl", "ph", "na", "hi", "id", "ta"},
                       &delta,
                       true)
        .bytes();
}

QByteArray getTicketsTile(const DeltaContext* delta, const QString& idRep, const QString& jour)
{
    RequestBody body = sessionBody("53", {"lg", "ta", "pw", "si", "zo"});
    body.add("jo", jour);
    for (const char* key : {"fv", "pl", "ph", "na", "hi"}) {
        body.add(key, sessionValue(key, nullptr, false));
    }
    if (delta) {
        body.add("dt", delta->id).add("da", delta->date).add("ba", QStringLiteral("1"));
    } else {
        body.add("ba", QStringLiteral("0"));
    }
    return body.add("id", idRep).bytes();
}

QByteArray sendPunchCycle(const DeltaContext& delta, const PunchBatch& batch)
{
    RequestBody body =
        sessionBody("61", {"lg", "pw", "si", "zo", "jo", "dt", "da", "ba", "fv", "id", "ta"}, &delta, true);
    return withList(body, batch);
}

QByteArray sendPunchTile(const DeltaContext& delta, const PunchBatch& batch)
{
    RequestBody body = sessionBody("61", {"lg", "ta", "pw", "si", "zo", "dt", "da", "fv"}, &delta);
    return withList(body, batch);
}

QByteArray sendPunchWorker(const DeltaContext& delta, const PunchBatch& batch)
{
    RequestBody body =
        sessionBody("61", {"lg", "ta", "pw", "si", "zo", "jo", "dt", "da", "ba", "fv", "id"}, &delta, true);
    return withList(body, batch);
}

QByteArray sendGlobalPunch(const CDataVidange& row)
{
    CDataModifListe one;
    CDataModif modif;
    modif.TYPE = row.TYPE;
    modif.DATE = row.DATE;
    modif.CODE_BARRE = row.CODE_BARRE;
    modif.REP_ID = row.REP_ID;
    modif.EDITEUR_ID = row.EDITEUR_ID;
    one.insert(1, modif);
    RequestBody body("61");
    body.add("lg", row.LOGIN)
        .add("pw", row.PASSWORD)
        .add("zo", QString::number(row.ZONE_ID))
        .add("dt", QString::number(row.DELTA_ID))
        .add("da", row.DELTA_DATE)
        .add("ba", QStringLiteral("1"))
        .add("fv", QStringLiteral("5"))
        .add("ta", param(AGENT_KEST));
    return withList(body, nextPunchBatch(one, BatchRule::SameKind, ItemLayout::DateBarcodeRepEditeur));
}

}  // namespace body
