#include "core/AppFolder.h"
#include "core/Database.h"
#include "data/CDataModif.h"

#include "CoreFixture.h"
#include "SqlRows.h"
#include "TestMain.h"

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
    out.DATE = date;
    return out;
}

// Every MODIF row in ID order, without the ID: TYPE|STATUS|AGENT_ID|REP_ID|EDITEUR_ID|CODE_BARRE|DATE.
QStringList stored(QSqlDatabase& db)
{
    return sqlRows(db, u"select TYPE,STATUS,AGENT_ID,REP_ID,EDITEUR_ID,CODE_BARRE,DATE from MODIF order by ID"_s);
}

QString row(const CDataModif& m)
{
    return QStringList{QString::number(m.TYPE),
                       QString::number(m.STATUS),
                       m.AGENT_ID,
                       QString::number(m.REP_ID),
                       QString::number(m.EDITEUR_ID),
                       m.CODE_BARRE,
                       m.DATE}
        .join(u'|');
}

}  // namespace

class TestJournal : public QObject
{
    Q_OBJECT

private:
    QSqlDatabase db;
    QMutex mutex;

private slots:

    void initTestCase()
    {
        fixture::initCore();
        db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"test"_s);
    }

    void init()
    {
        dropBDD(db, &mutex);
        QVERIFY(openRepBDD(db, &mutex, dbFolder() + u"R1_Z0.db"_s));
        fixture::clearLog();
    }

    void cleanupTestCase()
    {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(u"test"_s);
    }

    // Entries of every kind keep their codes; only STATUS 1 is listed for upload, in
    // the order written, and an acknowledged entry leaves the list.
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

        CDataModifListe pending;
        QVERIFY(pending.initLocalPunchParSql(db, &mutex));
        QCOMPARE(pending.keys(), (QList<unsigned int>{1, 3, 4}));
        QCOMPARE(row(pending[3]), row(written[2]));
        QCOMPARE(pending[4].CODE_BARRE, u"B 2"_s);

        CDataModif sent = pending.take(1);
        QVERIFY(sent.synchroSql(db, &mutex));
        QCOMPARE(sent.STATUS, MODIF_STATUS_SENT);
        CDataModif absent = sent;
        absent.ID = 77;
        QVERIFY(absent.synchroSql(db, &mutex));
        QVERIFY(pending.initLocalPunchParSql(db, &mutex));
        QCOMPARE(pending.keys(), (QList<unsigned int>{3, 4}));

        // History of one ticket: exact barcode, newest first under 0, 1, 2...
        CDataModifListe history;
        QVERIFY(history.initParSql(db, &mutex, u"A1"_s, 5));
        QCOMPARE(history.keys(), (QList<unsigned int>{0, 1, 2, 3}));
        QCOMPARE((QList<unsigned int>{history[0].TYPE, history[1].TYPE, history[2].TYPE, history[3].TYPE}),
                 (QList<unsigned int>{MODIF_PUNCH_LAST, MODIF_UNPUNCH_LAST, MODIF_PUNCH, MODIF_DELETE}));
        QVERIFY(history.initParSql(db, &mutex, u"B'2"_s, 5));
        QCOMPARE(history.size(), 1);

        // Deleting a ticket's journal leaves the others'.
        CDataModifListe none;
        QVERIFY(none.deleteSql(db, &mutex, u"A1"_s, 5));
        QVERIFY(none.deleteSql(db, &mutex, u"A1"_s, 5));
        QCOMPARE(sqlRows(db, u"select CODE_BARRE from MODIF order by ID"_s), (QStringList{"B 2", "a1"}));
        QCOMPARE(fixture::logLines(), QStringList());

        // A failed mark still leaves the record sent; the row stays pending.
        QVERIFY(sqlRun(db, u"drop table MODIF"_s));
        sent.STATUS = MODIF_STATUS_PENDING;
        QVERIFY(!sent.synchroSql(db, &mutex));
        QCOMPARE(sent.STATUS, MODIF_STATUS_SENT);
    }

    void chunkedWrites_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("failingChunk");  // -1: none

        QTest::newRow("250") << 250 << -1;
        QTest::newRow("1000") << 1000 << -1;
        QTest::newRow("250, middle statement fails") << 250 << 1;
    }

    // A list write stores every entry in key order, pairs of identical entries
    // included; a failing statement loses only its own rows.
    void chunkedWrites()
    {
        QFETCH(int, count);
        QFETCH(int, failingChunk);
        if (failingChunk >= 0) {
            QVERIFY(sqlRun(db,
                           u"create trigger refuse before insert on MODIF when new.CODE_BARRE='C%1' "
                           "begin select raise(abort, 'refused'); end"_s.arg(failingChunk * 100 + 10)));
        }
        CDataModifListe list;
        QStringList expected;
        for (int i = 0; i < count; ++i) {
            // Two punches of the same ticket in the same second.
            const CDataModif m =
                entry(MODIF_PUNCH, MODIF_STATUS_PENDING, u"C"_s + QString::number(i - i % 2), u"2024-05-01 20:00:00"_s);
            list.ajoute(m, 0);
            if (i / 100 != failingChunk) {
                expected.append(row(m));
            }
        }
        QCOMPARE(list.ajouteSql(db, &mutex), failingChunk < 0);
        QCOMPARE(list.size(), count);
        QCOMPARE(stored(db), expected);
        QCOMPARE(fixture::logLines().size(), failingChunk < 0 ? 0 : 1);
        if (failingChunk >= 0) {
            QVERIFY(fixture::logContains(u" - critique - Erreur dataModifListe ajouteSql insert into MODIF "_s));
        }

        CDataModifListe pending;
        QVERIFY(pending.initLocalPunchParSql(db, &mutex));
        QCOMPARE(pending.size(), expected.size());
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestJournal)
#include "TestJournal.moc"
