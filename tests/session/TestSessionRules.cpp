#include "core/AppFolder.h"
#include "core/CParam.h"
#include "data/CDataRepresentation.h"
#include "session/EventPages.h"
#include "session/LoginRules.h"
#include "session/TerminalId.h"

#include "DataFixture.h"
#include "TestMain.h"

#include <QFile>

using Kind = loginrules::LoginReply::Kind;
Q_DECLARE_METATYPE(Kind)

namespace
{

const QDateTime kNow(QDate(2030, 6, 10), QTime(12, 0, 0));

void addEvent(QSqlDatabase& db, QMutex* mutex, unsigned int id, unsigned int type, QList<QString> ends)
{
    CDataEvenement event;
    event.initDefaut();
    event.ID = id;
    event.TYPE = type;
    event.NOM = QStringLiteral("E%1").arg(id);
    QVERIFY(event.ajouteSql(db, mutex));
    for (int i = 0; i < ends.size(); ++i) {
        CDataRepresentation performance;
        performance.initDefaut();
        performance.ID = id * 10 + static_cast<unsigned int>(i);
        performance.EVENEMENT_ID = id;
        performance.DATE_DEBUT = ends[i];
        performance.DATE_FIN = ends[i];
        QVERIFY(performance.ajouteSql(db, mutex));
    }
}

}  // namespace

class TestSessionRules : public DataFixture
{
    Q_OBJECT

private slots:

    void passwordHash_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("hash");
        const QString lower = QStringLiteral("0123456789abcdef0123456789abcdef");
        QTest::newRow("32 hex lower kept") << lower << lower;
        QTest::newRow("32 hex upper kept") << lower.toUpper() << lower.toUpper();
        QTest::newRow("31 hex hashed") << lower.left(31) << "3caabcfcff6f3a810019c6a72180f166";
        QTest::newRow("32 with a g hashed") << lower.left(31) + "g"
                                            << "834c71829565ed763cc46bfdc05b89c3";
        QTest::newRow("33 hex hashed") << lower + "0"
                                       << "2ce3a2ab29e9ff89a77409e4be88d245";
        QTest::newRow("text") << "password"
                              << "5f4dcc3b5aa765d61d8327deb882cf99";
        QTest::newRow("Latin-1 byte") << QStringLiteral("caf\u00e9") << "961f50f6282239d09e48f812c1ca7276";
    }

    void passwordHash()
    {
        QFETCH(QString, typed);
        QFETCH(QString, hash);
        QCOMPARE(loginrules::passwordHash(typed), hash);
    }

    // Stored password as older settings files hold it (text) or as it is kept now (hash).
    void offlineAccepted_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("storedPassword");
        QTest::addColumn<bool>("accepted");
        const QString hash = QStringLiteral("5f4dcc3b5aa765d61d8327deb882cf99");
        QTest::newRow("stored hash") << "orga"
                                     << "password" << hash << true;
        QTest::newRow("stored text") << "orga"
                                     << "password"
                                     << "password" << true;
        QTest::newRow("refilled hash") << "orga" << hash << hash << true;
        QTest::newRow("stray blanks in login") << " orga "
                                               << "password" << hash << true;
        QTest::newRow("login in another case") << "Orga"
                                               << "password" << hash << false;
        QTest::newRow("wrong password") << "orga"
                                        << "Password" << hash << false;
        QTest::newRow("nothing remembered") << "orga"
                                            << "password"
                                            << "" << false;
        QTest::newRow("empty login") << ""
                                     << "password" << hash << false;
    }

    void offlineAccepted()
    {
        QFETCH(QString, login);
        QFETCH(QString, password);
        QFETCH(QString, storedPassword);
        QFETCH(bool, accepted);
        QCOMPARE(loginrules::offlineAccepted(login, password, QStringLiteral("orga"), storedPassword), accepted);
    }

    void parseReply_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<int>("error");
        QTest::addColumn<QStringList>("zones");
        QTest::newRow("empty") << QByteArray() << Kind::Empty << 0 << QStringList();
        QTest::newRow("not JSON") << QByteArray("{\"request\":") << Kind::NotJson << 0 << QStringList();
        QTest::newRow("scalar") << QByteArray("12") << Kind::Ignored << 0 << QStringList();
        QTest::newRow("no request") << QByteArray("{\"error\":0}") << Kind::Ignored << 0 << QStringList();
        QTest::newRow("other request") << QByteArray("{\"request\":\"ping\"}") << Kind::Ignored << 0 << QStringList();
        QTest::newRow("refused") << QByteArray("{\"request\":\"login\",\"error\":7,\"status\":1}") << Kind::Refused << 7
                                 << QStringList();
        QTest::newRow("status") << QByteArray("{\"request\":\"login\",\"status\":2}") << Kind::Ignored << 0
                                << QStringList();
        QTest::newRow("zones by key text")
            << QByteArray("{\"request\":\"login\",\"zoneList\":{\"12\":\"S\",\"5\":\"N\"}}") << Kind::Accepted << 0
            << QStringList{"12 S", "5 N"};
    }

    void parseReply()
    {
        QFETCH(QByteArray, reply);
        QFETCH(Kind, kind);
        QFETCH(int, error);
        QFETCH(QStringList, zones);
        const loginrules::LoginReply parsed = loginrules::parseReply(reply);
        QCOMPARE(parsed.kind, kind);
        QCOMPARE(parsed.error, error);
        QStringList read;
        for (const CDataZone& zone : parsed.zones) {
            read << QString::number(zone.ID) + QLatin1Char(' ') + zone.NOM;
        }
        QCOMPARE(read, zones);
    }

    void terminalIdentifierPieces()
    {
        const QStringList names{"UNKNOWN", "CHEETAH", "PUMA", "JAGUAR", "PANTHER", "TIGER", "LEOPARD", "SNOWLEOPARD"};
        for (int code = 1; code <= 9; ++code) {
            QCOMPARE(terminalid::systemName(code), code <= 8 ? names[code - 1] : names[0]);
        }
        QCOMPARE(terminalid::firstUsableAddress({"00:00:00:00:00:00", "", "AA:BB:CC:DD:EE:FF", "11:22:33:44:55:66"}),
                 QStringLiteral("AA:BB:CC:DD:EE:FF"));
        QCOMPARE(terminalid::firstUsableAddress({"00:00:00:00:00:00"}), QStringLiteral("00:UN:DE:FI:NE:D0"));
    }

    void pagesAndEnds()
    {
        const std::pair<int, int> entriesToPages[] = {{0, 1}, {1, 1}, {6, 1}, {7, 2}, {12, 2}, {13, 3}};
        for (const auto& [entries, pages] : entriesToPages) {
            QCOMPARE(eventpages::pageCount(entries), pages);
        }
        QVERIFY(!eventpages::isOver(QStringLiteral("2030-06-08 12:00:00"), kNow));
        QVERIFY(eventpages::isOver(QStringLiteral("2030-06-08 11:59:59"), kNow));
        QVERIFY(!eventpages::isOver(QStringLiteral("2001-13-01 00:00:00"), kNow));
        QVERIFY(!eventpages::isOver(QStringLiteral("2001-01-01"), kNow));
    }

    // Old performances go unless a list on disk may still hold punches; an entry left
    // without performance goes with them.
    void purge()
    {
        QVERIFY(openMain());
        gParam->initParametre(ZONE_KEST, QStringLiteral("3"));
        const QString old = QStringLiteral("2001-01-01 00:00:00");
        const QString soon = QStringLiteral("2030-06-20 00:00:00");
        addEvent(db, &mutex, 1, 0, {old, soon});       // event: only the old one goes
        addEvent(db, &mutex, 2, 0, {old, old});        // event: gone
        addEvent(db, &mutex, 3, 1, {old});             // pass with its list: stays whole
        addEvent(db, &mutex, 4, 0, {old, old});        // event with its whole list: stays whole
        addEvent(db, &mutex, 5, 0, {old, "garbled"});  // an unreadable end is kept
        addEvent(db, &mutex, 6, 0, {old});             // performance with its own list stays
        addEvent(db, &mutex, 7, 1, {old});             // pass without list: gone
        for (const char* name : {"P3_Z3.db", "E4_Z3.db", "R60_Z3.db"}) {
            QFile file(dbFolder() + QLatin1String(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        CDataEvenementListe entries;
        entries.initParSql(db, &mutex);
        CDataEvenement everything;
        everything.initDefaut();
        entries.insert(entries.isEmpty() ? 0 : entries.lastKey() + 1, everything);

        QStringList kept;
        for (const CDataEvenement& entry : eventpages::purge(db, &mutex, entries, kNow)) {
            kept << QString::number(entry.ID);
        }
        kept.sort();
        QCOMPARE(kept, QStringList({"0", "1", "3", "4", "5", "6"}));
        QCOMPARE(sqlRows(db, QStringLiteral("select ID from REPRESENTATION order by ID")),
                 QStringList({"11", "30", "40", "41", "51", "60"}));
        QCOMPARE(sqlRows(db, QStringLiteral("select ID from EVENEMENT order by ID")),
                 QStringList({"1", "3", "4", "5", "6"}));
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestSessionRules)
#include "TestSessionRules.moc"
