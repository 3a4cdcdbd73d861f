#include "core/CParam.h"
#include "core/Database.h"
#include "data/CDataEvenement.h"
#include "data/CDataRepresentation.h"

#include "CoreFixture.h"
#include "SqlRows.h"
#include "TestMain.h"

using namespace Qt::StringLiterals;

namespace
{

CDataEvenement evenement(unsigned int id, unsigned int type, const QString& nom = {})
{
    CDataEvenement out;
    out.initDefaut();
    out.ID = id;
    out.TYPE = type;
    out.NOM = nom;
    return out;
}

CDataRepresentation representation(unsigned int id, unsigned int evenementId, const QString& debut = {})
{
    CDataRepresentation out;
    out.initDefaut();
    out.ID = id;
    out.EVENEMENT_ID = evenementId;
    out.DATE_DEBUT = debut;
    return out;
}

const QString kEventListSql =
    u"select EVENEMENT.ID,EVENEMENT.NOM,EVENEMENT.IMAGE,EVENEMENT.TYPE from REPRESENTATION inner join EVENEMENT on "
    "REPRESENTATION.EVENEMENT_ID = EVENEMENT.ID group by EVENEMENT.ID order by EVENEMENT.TYPE desc, "
    "REPRESENTATION.DATE_DEBUT asc"_s;

}  // namespace

class TestEvenements : public QObject
{
    Q_OBJECT

private:
    QSqlDatabase db;
    QMutex mutex;

private slots:

    void initTestCase()
    {
        fixture::initCore(true);
        db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"test"_s);
    }

    void init()
    {
        gParam->isDebug = false;
        dropBDD(db, &mutex);
        QVERIFY(openBDD(db, &mutex));
        fixture::clearLog();
    }

    void cleanupTestCase()
    {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(u"test"_s);
    }

    // ---- events ----

    void eventAndPassShareId()
    {
        evenement(12, 0, u"L'Avare"_s).ajouteSql(db, &mutex);
        evenement(12, 1, u"Pass"_s).ajouteSql(db, &mutex);
        representation(40, 12).ajouteSql(db, &mutex);

        CDataEvenement read = evenement(0, 0);
        QVERIFY(read.initParSql(db, &mutex, 12, 1));
        QCOMPARE(read.NOM, u"Pass"_s);
        QVERIFY(read.initParSql(db, &mutex, 12, 0));
        QCOMPARE(read.NOM, u"L Avare"_s);

        QVERIFY(evenement(12, 0).deleteSql(db, &mutex));
        QVERIFY(evenement(99, 0).deleteSql(db, &mutex));
        // A miss leaves the record as the last read made it.
        QVERIFY(read.initParSql(db, &mutex, 12, 0));
        QCOMPARE(read.NOM, u"L Avare"_s);
        QCOMPARE(sqlRows(db, u"select ID,TYPE,NOM from EVENEMENT"_s), QStringList{"12|1|Pass"});
        QCOMPARE(sqlRows(db, u"select ID from REPRESENTATION"_s), QStringList{"40"});
    }

    // Passes first, then events by performance start, keyed by position; events
    // without a performance are left out, an event and a pass of one ID make one entry.
    void eventList()
    {
        evenement(1, 0, u"later"_s).ajouteSql(db, &mutex);
        evenement(2, 0, u"sooner"_s).ajouteSql(db, &mutex);
        evenement(3, 1, u"pass"_s).ajouteSql(db, &mutex);
        evenement(4, 0, u"no performance"_s).ajouteSql(db, &mutex);
        evenement(5, 0, u"shared"_s).ajouteSql(db, &mutex);
        evenement(5, 1, u"shared"_s).ajouteSql(db, &mutex);
        representation(10, 1, u"2024-05-02 20:00:00"_s).ajouteSql(db, &mutex);
        representation(11, 2, u"2024-05-01 20:00:00"_s).ajouteSql(db, &mutex);
        representation(12, 3, u"2024-09-01 20:00:00"_s).ajouteSql(db, &mutex);
        representation(13, 5, u"2024-05-03 20:00:00"_s).ajouteSql(db, &mutex);

        CDataEvenementListe list;
        QVERIFY(list.initParSql(db, &mutex));
        QVERIFY(list.initParSql(db, &mutex));
        QCOMPARE(list.keys(), (QList<unsigned int>{0, 1, 2, 3}));
        QList<unsigned int> ids;
        for (const CDataEvenement& entry : list) {
            ids.append(entry.ID);
        }
        // Which of the two rows of ID 5 the grouping keeps, and so where it sorts, is
        // SQLite's choice.
        QCOMPARE(ids.count(5u), 1);
        ids.removeAll(5u);
        QCOMPARE(ids, (QList<unsigned int>{3, 2, 1}));
    }

    // In debug, the event list and the three performance reads trace their statement.
    void debugTrace()
    {
        gParam->isDebug = true;
        QVERIFY(CDataEvenementListe().initParSql(db, &mutex));
        QVERIFY(CDataRepresentation().initParSql(db, &mutex, 7, 2));
        QVERIFY(CDataRepresentationListe().initParSql(db, &mutex));
        QVERIFY(CDataRepresentationListe().initParSql(db, &mutex, 2));
        const QStringList lines = fixture::logLines();
        QCOMPARE(lines.filter(u"initParSql : "_s).size(), 4);
        QVERIFY(lines[0].endsWith(u"initParSql : "_s + kEventListSql));
        QVERIFY(lines[3].endsWith(u"FROM REPRESENTATION where EVENEMENT_ID=2 order by DATE_DEBUT"_s));
    }

    // ---- performances ----

    // Distinct values in every column catch a column and a value out of step.
    void performanceColumns()
    {
        CDataRepresentation written = representation(5, 6, u"2024-05-01 20:00:00"_s);
        written.DATE_FIN = u"2024-05-01 23:00:00"_s;
        written.DATE_FIN_VENTE = u"2024-05-01 19:00:00"_s;
        written.NOM_SALLE = u"Salle d'or"_s;
        written.NOM_EVT = u"Gala"_s;
        written.NB_TICKET = 120;
        written.NB_PLACE = 300;
        QVERIFY(written.ajouteSql(db, &mutex) > 0);
        CDataRepresentationListe list;
        list.ajoute(representation(0, 0, u"1970-01-01 00:00:00"_s), 0);
        QVERIFY(list.ajouteSql(db, &mutex));
        QCOMPARE(
            sqlRows(db,
                    u"select ID,EVENEMENT_ID,DATE_DEBUT,DATE_FIN,DATE_FIN_VENTE,NOM_SALLE,NOM_EVT,NB_TICKET,"
                    "NB_PLACE from REPRESENTATION order by ID"_s),
            (QStringList{"0|0|1970-01-01 00:00:00|1970-01-01 00:00:00|1970-01-01 00:00:00|||0|0",
                         "5|6|2024-05-01 20:00:00|2024-05-01 23:00:00|2024-05-01 19:00:00|Salle d or|Gala|120|300"}));

        CDataRepresentation read;
        QVERIFY(read.initParSql(db, &mutex, 5, 6));
        QCOMPARE(read.DATE_FIN_VENTE, written.DATE_FIN_VENTE);
        QCOMPARE(read.NB_PLACE, 300u);
        written.NB_TICKET = 7;
        written.NOM_EVT = u"Gala 2"_s;
        QVERIFY(written.sauvegardeParSql(db, &mutex));
        QCOMPARE(sqlRows(db, u"select NOM_EVT,NB_TICKET,NB_PLACE from REPRESENTATION where ID=5"_s),
                 QStringList{"Gala 2|7|300"});
    }

    // Reading and deleting go by (ID, EVENEMENT_ID); the lists are keyed by ID alone.
    void performanceSharedId()
    {
        representation(7, 1, u"2024-05-02 20:00:00"_s).ajouteSql(db, &mutex);
        representation(7, 2, u"2024-05-01 20:00:00"_s).ajouteSql(db, &mutex);
        representation(3, 1, u"2024-06-01 20:00:00"_s).ajouteSql(db, &mutex);

        CDataRepresentation read;
        QVERIFY(read.initParSql(db, &mutex, 7, 2));
        QCOMPARE(read.DATE_DEBUT, u"2024-05-01 20:00:00"_s);
        CDataRepresentationListe list;
        QVERIFY(list.initParSql(db, &mutex));
        QCOMPARE(list.keys(), (QList<unsigned int>{3, 7}));
        QCOMPARE(list.value(7).EVENEMENT_ID, 1u);
        QVERIFY(list.initParSql(db, &mutex, 2));
        QCOMPARE(list.keys(), QList<unsigned int>{7});
        QVERIFY(list.initParSql(db, &mutex, 99));
        QVERIFY(list.isEmpty());

        QVERIFY(representation(7, 1).deleteSql(db, &mutex));
        QVERIFY(representation(8, 1).deleteSql(db, &mutex));
        QCOMPARE(sqlRows(db, u"select ID,EVENEMENT_ID from REPRESENTATION order by ID"_s), (QStringList{"3|1", "7|2"}));
    }

    // The performance record logs its insert and its keyed rewrite under heads of
    // its own.
    void performanceErrorHeads()
    {
        QVERIFY(sqlRun(db, u"drop table REPRESENTATION"_s));
        const CDataRepresentation performance = representation(0, 0);
        QCOMPARE(performance.ajouteSql(db, &mutex), 0u);
        QVERIFY(!performance.sauvegardeParSql(db, &mutex));
        QVERIFY(!performance.sauvegardeParSql(db, &mutex, 0));
        const QStringList lines = fixture::logLines();
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[0].contains(u" - Erreur dataRep ajouteSql replace into REPRESENTATION (ID, "_s));
        QVERIFY(lines[1].contains(u" - Erreur sauvegardeParSql update REPRESENTATION set NOM_SALLE=''"_s));
        QVERIFY(lines[2].contains(u" - Erreur dataRep sauvegardeParSql update REPRESENTATION set "_s));
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestEvenements)
#include "TestEvenements.moc"
