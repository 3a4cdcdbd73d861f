#include "core/CParam.h"
#include "data/CDataEvenement.h"
#include "data/CDataRepresentation.h"

#include "CoreFixture.h"
#include "DataFixture.h"
#include "TestMain.h"

using namespace Qt::StringLiterals;

namespace
{

CDataRepresentation representation(unsigned int id, unsigned int evenementId)
{
    CDataRepresentation out;
    out.ID = id;
    out.EVENEMENT_ID = evenementId;
    return out;
}

const QString kPerformances = u"select ID,EVENEMENT_ID,DATE_DEBUT,DATE_FIN,DATE_FIN_VENTE,NOM_SALLE,NOM_EVT,NB_TICKET,"
                              "NB_PLACE from REPRESENTATION order by ID"_s;

// Every field, in the order of the columns of kPerformances.
QString fields(const CDataRepresentation& r)
{
    return fieldsRow(r.ID, r.EVENEMENT_ID, r.DATE_DEBUT, r.DATE_FIN, r.DATE_FIN_VENTE, r.NOM_SALLE, r.NOM_EVT) + u'|'
           + fieldsRow(r.NB_TICKET, r.NB_PLACE);
}

}  // namespace

class TestEvenements : public DataFixture
{
    Q_OBJECT

public:
    TestEvenements()
        : DataFixture(true)
    {}

private slots:

    void init()
    {
        gParam->isDebug = false;
        QVERIFY(openMain());
    }

    // Passes, then events by start; none without a performance, one entry per ID.
    void eventList()
    {
        gParam->isDebug = true;
        QVERIFY(sqlRun(db,
                       u"insert into EVENEMENT (ID, TYPE, NOM) values (1,0,'later'),(2,0,'sooner'),(3,1,'pass'),"
                       "(4,0,'no performance'),(5,0,'shared'),(5,1,'shared')"_s));
        QVERIFY(sqlRun(db,
                       u"insert into REPRESENTATION (ID, EVENEMENT_ID, DATE_DEBUT) values (10,1,'2024-05-02 20:00:00'),"
                       "(11,2,'2024-05-01 20:00:00'),(12,3,'2024-09-01 20:00:00'),(13,5,'2024-05-03 20:00:00')"_s));
        CDataEvenementListe list;
        QVERIFY(list.initParSql(db, &mutex));
        QVERIFY(list.initParSql(db, &mutex));
        QCOMPARE(list.keys(), (QList<unsigned int>{0, 1, 2, 3}));
        QCOMPARE(fixture::logLines().filter(u" - info - initParSql : select "_s).size(), 2);
        QList<unsigned int> ids;
        for (const CDataEvenement& entry : list) {
            ids.append(entry.ID);
        }
        // SQLite chooses which row of ID 5 the grouping keeps, and so where it sorts.
        QCOMPARE(ids.count(5u), 1);
        ids.removeAll(5u);
        QCOMPARE(ids, (QList<unsigned int>{3, 2, 1}));
        // An event and a pass of one ID are read and deleted apart.
        CDataEvenement read;
        QVERIFY(read.initParSql(db, &mutex, 5, 0) && read.TYPE == 0 && read.NOM == u"shared"_s);
        QVERIFY((CDataEvenement{{}, {}, 5, 0}.deleteSql(db, &mutex)));
        QCOMPARE(sqlRows(db, u"select TYPE from EVENEMENT where ID=5"_s), QStringList{u"1"_s});
    }

    // Distinct values in every column, through the writes, the read and the rewrite.
    void performanceColumns()
    {
        const QStringList v = u"2024-05-01 20:00:00|2024-05-01 23:00:00|2024-05-01 19:00:00|Salle|Gala"_s.split(u'|');
        const CDataRepresentation written{5, 6, v[0], v[1], v[2], v[3], v[4], 120, 300};
        QVERIFY(written.ajouteSql(db, &mutex) > 0);
        CDataRepresentation defaults;
        defaults.initDefaut();
        CDataRepresentationListe list;
        list.ajoute(defaults, 0);
        QVERIFY(list.ajouteSql(db, &mutex));
        QCOMPARE(
            sqlRows(db, kPerformances),
            (QStringList{u"0|0|1970-01-01 00:00:00|1970-01-01 00:00:00|1970-01-01 00:00:00|||0|0"_s,
                         u"5|6|2024-05-01 20:00:00|2024-05-01 23:00:00|2024-05-01 19:00:00|Salle|Gala|120|300"_s}));
        CDataRepresentation read;
        QVERIFY(read.initParSql(db, &mutex, 5, 6));
        QCOMPARE(fields(read), fields(written));

        read.DATE_FIN = u"2024-05-02 00:00:00"_s;
        read.NOM_SALLE = u"Salle B"_s;
        read.NB_TICKET = 7;
        QVERIFY(read.sauvegardeParSql(db, &mutex));
        QCOMPARE(sqlRows(db, kPerformances).last(), fields(read));
    }

    // Rows go by (ID, EVENEMENT_ID), lists by ID: the later start stays. Reads trace in debug.
    void performanceSharedId()
    {
        gParam->isDebug = true;
        QVERIFY(sqlRun(db,
                       u"insert into REPRESENTATION (ID, EVENEMENT_ID, DATE_DEBUT) values (7,1,'2024-05-02 20:00:00'),"
                       "(7,2,'2024-05-01 20:00:00'),(3,1,'2024-06-01 20:00:00')"_s));
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
        QCOMPARE(fixture::logLines().filter(u" - info - initParSql : select "_s).size(), 4);

        QVERIFY(representation(7, 1).deleteSql(db, &mutex));
        QVERIFY(representation(8, 1).deleteSql(db, &mutex));
        QCOMPARE(sqlRows(db, u"select ID,EVENEMENT_ID from REPRESENTATION order by ID"_s), (QStringList{"3|1", "7|2"}));
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestEvenements)
#include "TestEvenements.moc"
