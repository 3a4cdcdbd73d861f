#include "core/AppFolder.h"
#include "core/Database.h"
#include "data/CDataRep.h"

#include "CoreFixture.h"
#include "SqlRows.h"
#include "TestMain.h"

using namespace Qt::StringLiterals;

namespace
{

CDataRep rep(unsigned int id, unsigned int eventId, unsigned int nbCompostage)
{
    CDataRep out;
    out.initDefaut();
    out.ID = id;
    out.EVENT_ID = eventId;
    out.NB_COMPOSTAGE = nbCompostage;
    out.DATE_DEBUT = u"2024-05-01 20:00:00"_s;
    out.DATE_FIN = u"2024-05-01 23:00:00"_s;
    return out;
}

// Every REP row by column name, so that a value written under the wrong column shows.
QStringList stored(QSqlDatabase& db)
{
    return sqlRows(db, u"select ID,EVENT_ID,DATE_DEBUT,DATE_FIN,NB_COMPOSTAGE from REP order by ID"_s);
}

}  // namespace

class TestCDataRep : public QObject
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

    // NB_COMPOSTAGE comes third in the statements' column list, last in the table.
    void columns()
    {
        QVERIFY(rep(4, 9, 3).ajouteSql(db, &mutex) > 0);
        QVERIFY(rep(5, 9, 3).ajouteSql(db, &mutex) > 0);
        CDataRepListe list;
        list.ajoute(rep(5, 8, 2), 0);
        QVERIFY(list.ajouteSql(db, &mutex));
        CDataRep changed = rep(4, 7, 6);
        changed.DATE_FIN = u"2024-05-02 01:00:0'"_s;
        QVERIFY(changed.sauvegardeParSql(db, &mutex));
        QVERIFY(rep(6, 7, 6).sauvegardeParSql(db, &mutex));
        QCOMPARE(stored(db),
                 (QStringList{"4|7|2024-05-01 20:00:00|2024-05-02 01:00:0 |6",
                              "5|8|2024-05-01 20:00:00|2024-05-01 23:00:00|2"}));

        CDataRep read;
        QVERIFY(read.initParSql(db, &mutex, 4));
        QCOMPARE(read.DATE_FIN, u"2024-05-02 01:00:0 "_s);
        QCOMPARE(read.NB_COMPOSTAGE, 6u);
        QCOMPARE(fixture::logLines(), QStringList());
    }

    // A miss leaves the defaults, whatever the record held, so that callers can
    // compare the ID read back with the ID asked.
    void readMissResets()
    {
        rep(4, 9, 3).ajouteSql(db, &mutex);
        CDataRep read;
        QVERIFY(read.initParSql(db, &mutex, 4));
        QVERIFY(read.initParSql(db, &mutex, 5));
        QCOMPARE(QStringList({QString::number(read.ID),
                              QString::number(read.EVENT_ID),
                              read.DATE_DEBUT,
                              read.DATE_FIN,
                              QString::number(read.NB_COMPOSTAGE)}),
                 (QStringList{"0", "0", "1970-01-01 00:00:00", "2170-01-01 00:00:00", "1"}));
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestCDataRep)
#include "TestCDataRep.moc"
