#include "core/CParam.h"
#include "data/CDataDelta.h"
#include "data/CDataVidange.h"
#include "net/RequestBody.h"

#include "CoreFixture.h"
#include "DataFixture.h"
#include "NetFixture.h"
#include "TestMain.h"

#include <QJsonDocument>
#include <QJsonObject>

using netfixture::pendingRow;

namespace
{

const QByteArray kHead = QByteArrayLiteral("d={\"pa\":\"");
const QByteArray kSe = QByteArrayLiteral("\",\"se\":\"PC-MAC-Test-0011\"");
const QByteArray kSession = QByteArrayLiteral(
    ",\"lg\":\"orga\",\"pw\":\"0123456789abcdef0123456789abcdef\",\"si\":\"S42\",\"zo\":\"7\",\"jo\":\"0\"");

CDataModifListe listOf(const QList<unsigned int>& types)
{
    CDataModifListe list;
    unsigned int id = 1;
    for (const unsigned int type : types) {
        CDataModif row = pendingRow(type, QStringLiteral("C%1").arg(id));
        row.ID = id;
        list.insert(id++, row);
    }
    return list;
}

// Each batch as "<key><count>", taking batches off the head as an acknowledgement does.
QStringList batchesOf(CDataModifListe list, BatchRule rule)
{
    QStringList batches;
    keepUploadableRows(list, "MODIF");
    while (!list.isEmpty()) {
        const PunchBatch batch = nextPunchBatch(list, rule, ItemLayout::DateBarcodeRepEditeur);
        batches.append(QLatin1String(batch.listKey) + QString::number(batch.count));
        for (int i = 0; i < batch.count; ++i) {
            list.erase(list.begin());
        }
    }
    return batches;
}

}  // namespace

class TestRequestBody : public DataFixture
{
    Q_OBJECT

private slots:

    void init()
    {
        netfixture::setSession(QStringLiteral("http://127.0.0.1:1/accessctrl/?"));
        fixture::clearLog();
    }

    // Key order and bytes of every request; without a DELTA row "dt" is 0 and "da" the
    // first second of 1970.
    void bodies_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("expected");
        netfixture::setSession(QStringLiteral("http://127.0.0.1:1/accessctrl/?"));

        const DeltaContext none;
        const DeltaContext delta{QStringLiteral("815"), QStringLiteral("20140501203000")};
        CDataModifListe rows = listOf({8, 3});
        rows[1].DATE = QStringLiteral("2030-01-02 03:04:05");
        const PunchBatch batch = nextPunchBatch(rows, BatchRule::SameKind, ItemLayout::DateBarcodeRepEditeur);
        const PunchBatch tileBatch = nextPunchBatch(rows, BatchRule::SameKind, ItemLayout::DateBarcodeEditeurRep);
        const QByteArray items = "20300102030405C1:4001:11;20300101100000C2:4001:11;";
        const QByteArray tileItems = "20300102030405:C1:11:4001;20300101100000:C2:11:4001;";
        const QByteArray options = ",\"pl\":\"1\",\"ph\":\"1\",\"na\":\"1\",\"hi\":\"1\"";

        QTest::newRow("ping") << body::ping() << kHead + "11" + kSe + "}";
        QTest::newRow("update") << body::update() << kHead + "17" + kSe + ",\"sv\":\"4.3.1\"}";
        QTest::newRow("login") << body::login(QStringLiteral("orga"), QStringLiteral("md5"), QStringLiteral("12"))
                               << kHead + "221" + kSe
                                      + ",\"lg\":\"orga\",\"pw\":\"md5\",\"fv\":\"5\",\"sv\":\"4.3.1\",\"ta\":\"12\"}";
        QTest::newRow("getEvents")
            << body::getEvents()
            << kHead + "241" + kSe
                   + ",\"lg\":\"orga\",\"pw\":\"0123456789abcdef0123456789abcdef\",\"ta\":\"12\","
                     "\"si\":\"S42\",\"zo\":\"7\",\"jo\":\"0\",\"fv\":\"5\",\"offset\":\"0\"}";
        QTest::newRow("cycle getTickets without DELTA")
            << body::getTicketsCycle(none)
            << kHead + "53" + kSe + kSession + ",\"dt\":\"0\",\"da\":\"19700101000000\",\"ba\":\"1\",\"fv\":\"5\""
                   + options + ",\"id\":\"4001\",\"ta\":\"12\"}";
        QTest::newRow("tile getTickets, file exists")
            << body::getTicketsTile(&delta, QStringLiteral("-901"))
            << kHead + "53" + kSe
                   + ",\"lg\":\"orga\",\"ta\":\"12\",\"pw\":\"0123456789abcdef0123456789abcdef\",\"si\":\"S42\","
                     "\"zo\":\"7\",\"jo\":\"0\",\"fv\":\"5\""
                   + options + ",\"dt\":\"815\",\"da\":\"20140501203000\",\"ba\":\"1\",\"id\":\"-901\"}";
        QTest::newRow("tile getTickets, no file")
            << body::getTicketsTile(nullptr, QStringLiteral("4001"))
            << kHead + "53" + kSe
                   + ",\"lg\":\"orga\",\"ta\":\"12\",\"pw\":\"0123456789abcdef0123456789abcdef\",\"si\":\"S42\","
                     "\"zo\":\"7\",\"jo\":\"0\",\"fv\":\"5\""
                   + options + ",\"ba\":\"0\",\"id\":\"4001\"}";
        QTest::newRow("cycle sendPunch") << body::sendPunchCycle(delta, batch)
                                         << kHead + "61" + kSe + kSession
                                                + ",\"dt\":\"815\",\"da\":\"20140501203000\",\"ba\":\"1\",\"fv\":\"5\","
                                                  "\"id\":\"4001\",\"ta\":\"12\","
                                                  "\"cl\":\""
                                                + items + "\"}";
        QTest::newRow("tile sendPunch")
            << body::sendPunchTile(delta, tileBatch)
            << kHead + "61" + kSe
                   + ",\"lg\":\"orga\",\"ta\":\"12\",\"pw\":\"0123456789abcdef0123456789abcdef\",\"si\":\"S42\","
                     "\"zo\":\"7\",\"dt\":\"815\",\"da\":\"20140501203000\",\"fv\":\"5\",\"cl\":\""
                   + tileItems + "\"}";
        QTest::newRow("worker sendPunch")
            << body::sendPunchWorker(delta, batch)
            << kHead + "61" + kSe
                   + ",\"lg\":\"orga\",\"ta\":\"12\",\"pw\":\"0123456789abcdef0123456789abcdef\",\"si\":\"S42\","
                     "\"zo\":\"7\",\"jo\":\"0\",\"dt\":\"815\",\"da\":\"20140501203000\",\"ba\":\"1\",\"fv\":\"5\","
                     "\"id\":\"4001\",\"cl\":\""
                   + items + "\"}";

        CDataVidange row;
        row.initDefaut();
        row.TYPE = 99;
        row.DATE = QStringLiteral("2024-03-01 10:20:05");
        row.CODE_BARRE = QStringLiteral("XYZ");
        row.REP_ID = 55;
        row.EDITEUR_ID = 3;
        row.LOGIN = QStringLiteral("old");
        row.PASSWORD = QStringLiteral("oldmd5");
        row.ZONE_ID = 2;
        row.DELTA_ID = 815;
        row.DELTA_DATE = QStringLiteral("2024-03-01 10:15:00");
        QTest::newRow("drain: the row's own context, da as stored, no si/jo/id")
            << body::sendGlobalPunch(row)
            << kHead + "61" + kSe
                   + ",\"lg\":\"old\",\"pw\":\"oldmd5\",\"zo\":\"2\",\"dt\":\"815\",\"da\":\"2024-03-01 10:15:00\","
                     "\"ba\":\"1\",\"fv\":\"5\",\"ta\":\"12\",\"sl\":\"20240301102005XYZ:55:3;\"}";
    }

    void bodies()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, expected);
        QCOMPARE(body, expected);
    }

    // Ordinary values go as they are; nothing a value holds can end it or the body.
    void values_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("encoded");
        QTest::newRow("plain") << "Abc-123_@.:/ ;" << QByteArray("Abc-123_@.:/ ;");
        QTest::newRow("quote") << "a\"b" << QByteArray("a\\\"b");
        QTest::newRow("injected key") << "x\",\"zo\":\"9" << QByteArray("x\\\",\\\"zo\\\":\\\"9");
        QTest::newRow("backslash") << "a\\b" << QByteArray("a\\\\b");
        QTest::newRow("form separators") << "a&b+c%d" << QByteArray("a%26b%2Bc%25d");
        QTest::newRow("control characters")
            << QStringLiteral("a\nb\tc") + QChar(0) << QByteArray("a\\u000Ab\\u0009c\\u0000");
        QTest::newRow("latin-1 letters") << "été" << QByteArray("\xe9t\xe9");
        QTest::newRow("outside latin-1") << "5€" << QByteArray("5?");
    }

    void values()
    {
        QFETCH(QString, value);
        QFETCH(QByteArray, encoded);
        QCOMPARE(RequestBody::encodeValue(value), encoded);
    }

    // After form decoding, the service reads valid JSON with the login as typed.
    void loginRoundTrip()
    {
        const QString login = QStringLiteral("o\"r&g+a%\\");
        const QByteArray sent = body::login(login, QStringLiteral("m"), QStringLiteral("1"));
        QByteArray decoded = sent.mid(2);
        decoded.replace('+', ' ');
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromPercentEncoding(decoded), &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(document.object().value(QStringLiteral("lg")).toString(), login);
        QCOMPARE(document.object().keys().size(), 7);
    }

    void batches_data()
    {
        QTest::addColumn<QList<unsigned int>>("types");
        QTest::addColumn<QStringList>("sameKind");
        QTest::addColumn<QStringList>("sameType");
        QList<unsigned int> punches45(45, 8);
        QTest::newRow("45 punches") << punches45 << QStringList{"cl20", "cl20", "cl5"}
                                    << QStringList{"cl20", "cl20", "cl5"};
        QTest::newRow("3 3 4 3") << QList<unsigned int>{3, 3, 4, 3} << QStringList{"cl2", "dl1", "cl1"}
                                 << QStringList{"cl2", "dl1", "cl1"};
        QTest::newRow("8 joins 3") << QList<unsigned int>{3, 8, 8} << QStringList{"cl3"} << QStringList{"cl1", "cl2"};
        QTest::newRow("16 joins 4") << QList<unsigned int>{4, 16} << QStringList{"dl2"} << QStringList{"dl1", "dl1"};
        QTest::newRow("fraud alone") << QList<unsigned int>{99, 99, 8} << QStringList{"sl2", "cl1"}
                                     << QStringList{"sl2", "cl1"};
        QTest::newRow("unknown types left out")
            << QList<unsigned int>{5, 3, 0, 3} << QStringList{"cl2"} << QStringList{"cl2"};
    }

    void batches()
    {
        QFETCH(QList<unsigned int>, types);
        QFETCH(QStringList, sameKind);
        QFETCH(QStringList, sameType);
        QCOMPARE(batchesOf(listOf(types), BatchRule::SameKind), sameKind);
        QCOMPARE(batchesOf(listOf(types), BatchRule::SameType), sameType);
    }

    // A row of unknown TYPE is logged once, however many cycles meet it.
    void unknownTypeLoggedOnce()
    {
        for (int cycle = 0; cycle < 3; ++cycle) {
            batchesOf(listOf({7, 3}), BatchRule::SameKind);
        }
        int lines = 0;
        for (const QString& line : fixture::logLines()) {
            lines += line.contains(QStringLiteral("TYPE=7")) ? 1 : 0;
        }
        QCOMPARE(lines, 1);
    }

    // Dates are text: no time zone (the tests run in Paris) can drop an hour.
    void dates_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("figures");
        QTest::newRow("ordinary") << "2024-03-01 10:20:05"
                                  << "20240301102005";
        QTest::newRow("inside the spring-forward gap") << "2024-03-31 02:30:00"
                                                       << "20240331023000";
        QTest::newRow("epoch") << "1970-01-01 00:00:00"
                               << "19700101000000";
        QTest::newRow("31st of February") << "2024-02-31 10:00:00"
                                          << "";
        QTest::newRow("hour 24") << "2024-02-01 24:00:00"
                                 << "";
        QTest::newRow("no seconds") << "2024-03-01 10:20"
                                    << "";
        QTest::newRow("empty") << ""
                               << "";
    }

    void dates()
    {
        QFETCH(QString, sql);
        QFETCH(QString, figures);
        QCOMPARE(kestrovaDateTime(sql), figures);
    }

    // The newest DELTA row is sent; a LAST_UPDATE not of 19 characters sends an empty "da".
    void deltaContext()
    {
        QVERIFY(openRep());
        const DeltaContext none = loadDeltaContext(db, &mutex);
        QCOMPARE(none.id + QLatin1Char('/') + none.date, QStringLiteral("0/19700101000000"));
        CDataDelta delta;
        delta.initDefaut();
        delta.ID = 815;
        delta.LAST_UPDATE = QStringLiteral("2014-05-01 20:30:00");
        QVERIFY(delta.ajouteSql(db, &mutex));
        delta.ID = 816;
        delta.LAST_UPDATE = QStringLiteral("2014-05-01");
        QVERIFY(delta.ajouteSql(db, &mutex));
        const DeltaContext newest = loadDeltaContext(db, &mutex);
        QCOMPARE(newest.id + QLatin1Char('/') + newest.date, QStringLiteral("816/"));
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestRequestBody)
#include "TestRequestBody.moc"
