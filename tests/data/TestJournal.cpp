#include "data/CDataModif.h"

#include "CoreFixture.h"
#include "DataFixture.h"
#include "TestMain.h"

#include <tuple>

using namespace Qt::StringLiterals;

namespace
{

CDataModif entry(unsigned int type, unsigned int status, const QString& code, const QString& date)
{
    CDataModif out;
    out.initDefaut();
    out.TYPE = type;
    out.STATUS = status;
    out.CODE_BARRE = code;
    out.EDITEUR_ID = 5;
    out.REP_ID = 12;
    out.AGENT_ID = u"ag1"_s;
    out.NEW_VALUE = u"3"_s;
    out.DATE = date;
    return out;
}

// In the order of the table's columns.
QString fields(const CDataModif& m)
{
    return fieldsRow(m.ID, m.TYPE, m.DATE, m.AGENT_ID, m.CODE_BARRE, m.EDITEUR_ID, m.NEW_VALUE, m.REP_ID, m.STATUS);
}

const QString kStored = u"select TYPE,STATUS,AGENT_ID,REP_ID,EDITEUR_ID,CODE_BARRE,DATE from MODIF order by ID"_s;

}  // namespace

class TestJournal : public DataFixture
{
    Q_OBJECT

private slots:

    void init()
    {
        QVERIFY(openRep());
    }

    // Every kind is stored; only pending entries are listed for upload, in order.
    void pendingAndSent()
    {
        const QList<CDataModif> written{
            entry(MODIF_PUNCH, MODIF_STATUS_PENDING, u"A1"_s, u"2024-05-01 20:00:01"_s),
            entry(MODIF_PUNCH_LAST, MODIF_STATUS_SENT, u"A1"_s, u"2024-05-01 20:00:03"_s),
            entry(MODIF_UNPUNCH_LAST, MODIF_STATUS_PENDING, u"A1"_s, u"2024-05-01 20:00:02"_s),
            entry(MODIF_FRAUDE, MODIF_STATUS_PENDING, u"B'2"_s, u"2024-05-01 20:00:04"_s),
            entry(MODIF_UNPUNCH, MODIF_STATUS_SENT, u"a1"_s, u"2024-05-01 20:00:05"_s),
            entry(MODIF_DELETE, MODIF_STATUS_SENT, u"A1"_s, u"2024-05-01 19:00:00"_s),
        };
        for (const CDataModif& m : written) {
            QVERIFY(m.ajouteSql(db, &mutex));
        }
        QCOMPARE(sqlRows(db, u"select TYPE,STATUS from MODIF order by ID"_s),
                 (QStringList{"8|1", "3|0", "4|1", "99|1", "16|0", "1|0"}));

        CDataModifListe pending;
        QVERIFY(pending.initLocalPunchParSql(db, &mutex));
        QCOMPARE(pending.keys(), (QList<unsigned int>{1, 3, 4}));
        QStringList readBack;
        for (const CDataModif& m : std::as_const(pending)) {
            readBack << fields(m);
        }
        QCOMPARE(readBack, sqlRows(db, u"select * from MODIF where STATUS=1 order by ID"_s));
        // A punch and a last punch of one ticket at one date are the same item.
        bool found = false;
        for (const auto& [type, date, exists] : {std::tuple{MODIF_PUNCH_LAST, "2024-05-01 20:00:01", true},
                                                 {MODIF_UNPUNCH, "2024-05-01 20:00:02", true},
                                                 {MODIF_PUNCH, "2024-05-01 20:00:02", false},
                                                 {MODIF_FRAUDE, "2024-05-01 20:00:01", false}}) {
            QVERIFY(entry(type, 0, u"A1"_s, QString::fromLatin1(date)).existeSql(db, &mutex, found));
            QCOMPARE(found, exists);
        }
        CDataModif sent = pending.take(1);
        QVERIFY(sent.synchroSql(db, &mutex));
        QCOMPARE(sent.STATUS, MODIF_STATUS_SENT);
        CDataModif absent = sent;
        absent.ID = 77;
        QVERIFY(absent.synchroSql(db, &mutex));
        QVERIFY(pending.initLocalPunchParSql(db, &mutex));
        QCOMPARE(pending.keys(), (QList<unsigned int>{3, 4}));
        QVERIFY(CDataModifListe::markPendingSentSql(db, &mutex, u"main"_s, 3));
        QCOMPARE(sqlRows(db, u"select ID from MODIF where STATUS=1"_s), QStringList{u"4"_s});

        // A ticket's history: exact barcode, newest first under 0, 1, 2...
        CDataModifListe history;
        QVERIFY(history.initParSql(db, &mutex, u"A1"_s, 5));
        QCOMPARE(history.keys(), (QList<unsigned int>{0, 1, 2, 3}));
        QCOMPARE((QList<unsigned int>{history[0].TYPE, history[1].TYPE, history[2].TYPE, history[3].TYPE}),
                 (QList<unsigned int>{MODIF_PUNCH_LAST, MODIF_UNPUNCH_LAST, MODIF_PUNCH, MODIF_DELETE}));
        QVERIFY(CDataModifListe().deleteSql(db, &mutex, u"A1"_s, 5));
        QVERIFY(CDataModifListe().deleteSql(db, &mutex, u"A1"_s, 5));
        QCOMPARE(sqlRows(db, u"select CODE_BARRE from MODIF order by ID"_s), (QStringList{"B 2", "a1"}));
        QCOMPARE(fixture::logLines(), QStringList());

        // A failed mark still leaves the record sent.
        QVERIFY(sqlRun(db, u"drop table MODIF"_s));
        sent.STATUS = MODIF_STATUS_PENDING;
        QVERIFY(!sent.synchroSql(db, &mutex));
        QCOMPARE(sent.STATUS, MODIF_STATUS_SENT);
    }

    // The rows recording one punch (barcode, issuer, second and kind), by origin: this
    // terminal's pending and sent rows, and the service's row naming its agent. Only the
    // sent rows written here can be deleted: a pending one stays until acknowledged.
    void heldByOrigin()
    {
        const QString at = u"2024-05-01 20:00:01"_s;
        CDataModif service = entry(MODIF_PUNCH_LAST, MODIF_STATUS_SENT, u"A'1"_s, at);
        service.REP_ID = 0;
        CDataModif other = service;
        other.AGENT_ID = u"ag2"_s;
        for (const CDataModif& m : {entry(MODIF_PUNCH, MODIF_STATUS_PENDING, u"A'1"_s, at),
                                    entry(MODIF_PUNCH, MODIF_STATUS_SENT, u"A'1"_s, at),
                                    service,
                                    other,
                                    entry(MODIF_PUNCH, MODIF_STATUS_SENT, u"A'1"_s, u"2024-05-01 20:00:02"_s),
                                    entry(MODIF_UNPUNCH, MODIF_STATUS_SENT, u"A'1"_s, at)}) {
            QVERIFY(m.ajouteSql(db, &mutex));
        }
        const auto held = [this](const CDataModif& m, const QString& agent) {
            CDataModif::Held out;
            return m.heldSql(db, &mutex, agent, out) ? fieldsRow(out.pending, out.local, out.service) : u"failed"_s;
        };
        const CDataModif punch = entry(MODIF_PUNCH, MODIF_STATUS_SENT, u"A 1"_s, at);
        QCOMPARE(held(punch, u"ag1"_s), u"true|true|true"_s);
        QCOMPARE(held(punch, u"ag9"_s), u"true|true|false"_s);
        QCOMPARE(held(entry(MODIF_UNPUNCH_LAST, 0, u"A'1"_s, at), u"ag1"_s), u"false|true|false"_s);
        QCOMPARE(held(entry(MODIF_FRAUDE, 0, u"A'1"_s, at), u"ag1"_s), u"false|false|false"_s);

        QVERIFY(punch.deleteSentLocalSql(db, &mutex));
        QCOMPARE(sqlRows(db, u"select ID from MODIF order by ID"_s), (QStringList{"1", "3", "4", "5", "6"}));
        QCOMPARE(held(punch, u"ag1"_s), u"true|false|true"_s);
    }

    void chunkedWrites_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("failingChunk");

        QTest::newRow("250, middle statement fails") << 250 << 1;
        QTest::newRow("5150, second group's first statement fails") << 5150 << 50;
    }

    // Every entry in key order, twins included; a failing statement loses only its rows.
    void chunkedWrites()
    {
        QFETCH(int, count);
        QFETCH(int, failingChunk);
        QVERIFY(sqlRun(db,
                       u"create trigger refuse before insert on MODIF when new.CODE_BARRE='C%1' "
                       "begin select raise(abort, 'refused'); end"_s.arg(failingChunk * 100 + 10)));
        CDataModifListe list;
        QStringList expected;
        for (int i = 0; i < count; ++i) {
            const QString code = u"C"_s + QString::number(i - i % 2);
            list.ajoute(entry(MODIF_PUNCH, MODIF_STATUS_PENDING, code, u"2024-05-01 20:00:00"_s), 0);
            if (i / 100 != failingChunk) {
                expected.append(u"8|1|ag1|12|5|%1|2024-05-01 20:00:00"_s.arg(code));
            }
        }
        QVERIFY(!list.ajouteSql(db, &mutex));
        QCOMPARE(sqlRows(db, kStored), expected);
        const QStringList lines = fixture::logLines();
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines.filter(u" - critique - Erreur dataModifListe ajouteSql "_s).size(), 1);
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestJournal)
#include "TestJournal.moc"
