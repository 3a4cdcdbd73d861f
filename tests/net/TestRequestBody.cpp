#include "core/CParam.h"
#include "data/CDataDelta.h"
#include "data/CDataVidange.h"
#include "net/Drain.h"
#include "net/RequestBody.h"

#include "CoreFixture.h"
#include "DataFixture.h"
#include "NetFixture.h"
#include "TestMain.h"

namespace
{

// The body of request `pa` from this terminal: `pairs` are "key:value" in order,
// comma-separated; "MD5" stands for the session's password.
QByteArray expected(const char* pa, const QString& pairs)
{
    QByteArray out = QByteArray("d={\"pa\":\"") + pa + "\",\"se\":\"PC-MAC-Test-0011\"";
    for (QString pair : pairs.split(u',', Qt::SkipEmptyParts)) {
        pair.replace(QStringLiteral("MD5"), QStringLiteral("0123456789abcdef0123456789abcdef"));
        out += ",\"" + pair.section(u':', 0, 0).toLatin1() + "\":\"" + pair.section(u':', 1).toLatin1() + '"';
    }
    return out + '}';
}

CDataModifListe listOf(const QList<unsigned int>& types)
{
    CDataModifListe list;
    unsigned int id = 1;
    for (const unsigned int type : types) {
        CDataModif row = netfixture::pendingRow(type, QStringLiteral("C%1").arg(id));
        row.ID = id;
        list.insert(id++, row);
    }
    return list;
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

    // Key order and bytes of each request; without a DELTA row "dt" is 0 and "da" the
    // first second of 1970.
    void bodies_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("expected");
        netfixture::setSession(QStringLiteral("http://127.0.0.1:1/accessctrl/?"));
        CDataModifListe rows = listOf({8, 3});
        // Dates are text: no time zone (the tests run in Paris) can drop an hour.
        rows[1].DATE = QStringLiteral("2024-03-31 02:30:00");
        const PunchBatch batch = nextPunchBatch(rows, BatchRule::SameKind, ItemLayout::DateBarcodeRepEditeur);

        const QString session = QStringLiteral("lg:orga,pw:MD5,si:S42,zo:7,jo:0,");
        const QString tile = QStringLiteral("lg:orga,ta:12,pw:MD5,si:S42,zo:7,");
        const QString fixed = QStringLiteral("fv:5,pl:1,ph:1,na:1,hi:1,");
        const QString dtDa = QStringLiteral("dt:815,da:20140501203000,");
        const DeltaContext delta{QStringLiteral("815"), QStringLiteral("20140501203000")};
        QTest::newRow("ping") << body::ping() << expected("11", "");
        QTest::newRow("update") << body::update() << expected("17", "sv:4.3.1");
        QTest::newRow("login") << body::login(QStringLiteral("orga"), QStringLiteral("md5"), QStringLiteral("12"))
                               << expected("221", "lg:orga,pw:md5,fv:5,sv:4.3.1,ta:12");
        QTest::newRow("getEvents") << body::getEvents()
                                   << expected("241", "lg:orga,pw:MD5,ta:12,si:S42,zo:7,jo:0,fv:5,offset:0");
        QTest::newRow("getTickets") << body::getTicketsCycle(
            DeltaContext()) << expected("53", session + "dt:0,da:19700101000000,ba:1," + fixed + "id:4001,ta:12");
        QTest::newRow("sendPunch") << body::sendPunchCycle(delta, batch)
                                   << expected("61",
                                               session + dtDa
                                                   + "ba:1,fv:5,id:4001,ta:12,"
                                                     "cl:20240331023000C1:4001:11;20300101100000C2:4001:11;");
        // A tile's own order, "ta" second, and its list named by the tile.
        QTest::newRow("tile, new file") << body::getTicketsTile(nullptr, QStringLiteral("4002"), QStringLiteral("1"))
                                        << expected("53", tile + "jo:1," + fixed + "ba:0,id:4002");
        QTest::newRow("tile, delta") << body::getTicketsTile(&delta, QStringLiteral("4002"), QStringLiteral("0"))
                                     << expected("53", tile + "jo:0," + fixed + dtDa + "ba:1,id:4002");
        QTest::newRow("tile upload, issuer before rep")
            << body::sendPunchTile(delta, nextPunchBatch(rows, BatchRule::SameKind, ItemLayout::DateBarcodeEditeurRep))
            << expected("61", tile + dtDa + "fv:5,cl:20240331023000:C1:11:4001;20300101100000:C2:11:4001;");
        QTest::newRow("worker upload, one TYPE")
            << body::sendPunchWorker(delta,
                                     nextPunchBatch(rows, BatchRule::SameType, ItemLayout::DateBarcodeRepEditeur))
            << expected("61", tile + "jo:0," + dtDa + "ba:1,fv:5,id:4001,cl:20240331023000C1:4001:11;");

        CDataDelta context;
        context.initDefaut();
        context.ID = 815;
        context.LAST_UPDATE = QStringLiteral("2024-03-01 10:15:00");
        context.LOGIN = QStringLiteral("old");
        context.PASSWORD = QStringLiteral("oldmd5");
        context.ZONE_ID = 2;
        const CDataVidange row = drain::rowFor(
            netfixture::pendingRow(99, QStringLiteral("XYZ"), QStringLiteral("2024-03-01 10:20:05"), 55, 3),
            context);
        QTest::newRow("drain: the row's own context, da as stored, no si/jo/id")
            << body::sendGlobalPunch(row)
            << expected("61",
                        "lg:old,pw:oldmd5,zo:2,dt:815,da:2024-03-01 10:15:00,ba:1,fv:5,ta:12,"
                        "sl:20240301102005XYZ:55:3;");
    }

    void bodies()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, expected);
        QCOMPARE(body, expected);
    }

    // Nothing a value holds can end it or the body.
    void values_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("encoded");
        QTest::newRow("quote") << "a\"b" << QByteArray("a\\\"b");
        QTest::newRow("backslash") << "a\\b" << QByteArray("a\\\\b");
        QTest::newRow("form separators") << "a&b+c%d" << QByteArray("a%26b%2Bc%25d");
        QTest::newRow("control characters")
            << QStringLiteral("a\nb\tc") + QChar(0) + QChar(0x1F) << QByteArray("a\\u000Ab\\u0009c\\u0000\\u001F");
        QTest::newRow("latin-1 letters") << "été" << QByteArray("\xe9t\xe9");
        QTest::newRow("outside latin-1") << "5€" << QByteArray("5?");
    }

    void values()
    {
        QFETCH(QString, value);
        QFETCH(QByteArray, encoded);
        QCOMPARE(RequestBody::encodeValue(value), encoded);
    }

    // A row of unknown TYPE is left out of every upload, and logged once however many
    // cycles meet it.
    void unknownTypeLoggedOnce()
    {
        for (int cycle = 0; cycle < 2; ++cycle) {
            CDataModifListe rows = listOf({7, 3});
            keepUploadableRows(rows, "MODIF");
            QCOMPARE(rows.keys(), QList<unsigned int>{2});
        }
        QCOMPARE(fixture::logLines().filter(QStringLiteral("TYPE=7 ")).size(), 1);
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestRequestBody)
#include "TestRequestBody.moc"
