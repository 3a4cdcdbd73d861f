#include "core/CParam.h"
#include "core/Database.h"
#include "data/CDataRep.h"

#include "CoreFixture.h"
#include "DataFixture.h"
#include "TestMain.h"

using namespace Qt::StringLiterals;

namespace
{

// A REP record with the defaults: IDs 0, the widest dates, one punch.
const QString kRepDefaults = u"0|0|1970-01-01 00:00:00|2170-01-01 00:00:00|1"_s;

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

// The fields in the order of the columns of stored().
QString fields(const CDataRep& r)
{
    return u"%1|%2|%3|%4|%5"_s.arg(r.ID).arg(r.EVENT_ID).arg(r.DATE_DEBUT, r.DATE_FIN).arg(r.NB_COMPOSTAGE);
}

// Every REP row by column name, so that a value written under the wrong column shows.
QStringList stored(QSqlDatabase& db)
{
    return sqlRows(db, u"select ID,EVENT_ID,DATE_DEBUT,DATE_FIN,NB_COMPOSTAGE from REP order by ID"_s);
}

}  // namespace

// The REP record and the default rows of a ticket-list database.
class TestCDataRep : public DataFixture
{
    Q_OBJECT

private slots:

    void init()
    {
        fixture::initCore(true);  // also resets the language a test changes
        QVERIFY(openRep());
    }

    // NB_COMPOSTAGE comes third in the statements' column list, last in the table.
    void repColumns()
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
        QCOMPARE(fields(read), stored(db).first());
        // A miss leaves the defaults, so that callers can compare the ID read with the ID asked.
        QVERIFY(read.initParSql(db, &mutex, 6));
        QCOMPARE(fields(read), kRepDefaults);
        QCOMPARE(fixture::logLines(), QStringList());
    }

    void defaultRowsTwiceLeaveOneEach()
    {
        QVERIFY(sqlRun(db, u"insert into EDITEUR (ID, NOM) values (0, 'other')"_s));
        QVERIFY(createDefaultValuesRepBDD(db, &mutex) && createDefaultValuesRepBDD(db, &mutex));
        for (const char* table : {"EVENT", "REP", "EDITEUR", "TARIF"}) {
            QCOMPARE(sqlRows(db, u"select ID from "_s + QLatin1String(table)), QStringList{"0"});
        }
        for (const char* table : {"DELTA", "CAISSE", "AGENT", "CANAL_VENTE", "BILLET", "PLACE", "MODIF"}) {
            QCOMPARE(sqlRows(db, u"select count(*) from "_s + QLatin1String(table)), QStringList{"0"});
        }
        QCOMPARE(sqlRows(db, u"select NOM from EDITEUR"_s), QStringList{"kestrova"});
        QCOMPARE(stored(db), QStringList{kRepDefaults});
        QCOMPARE(fixture::logLines().filter(u"Creation des valeurs par defaut terminees"_s).size(), 2);
        // A failed row is reported; the rows after it are still written.
        QVERIFY(sqlRun(db, u"drop table EVENT"_s) && sqlRun(db, u"delete from TARIF"_s));
        QVERIFY(!createDefaultValuesRepBDD(db, &mutex));
        QCOMPARE(sqlRows(db, u"select count(*) from TARIF"_s), QStringList{"1"});
    }

    void defaultRowsUnknownInLanguage()
    {
        const std::pair<const char*, const char*> languages[] = {{"0", "Inconnu"},
                                                                 {"1", "Unknown"},
                                                                 {"2", "Desconocido"},
                                                                 {"5", ""}};
        for (const auto& [langue, nom] : languages) {
            QVERIFY(openRep());
            gParam->initParametre(LANGUE, QString::fromLatin1(langue));
            createDefaultValuesRepBDD(db, &mutex);
            const QString unknown = QString::fromLatin1(nom);
            QCOMPARE(sqlRows(db, u"select NOM from EVENT where ID=0 union all select NOM from TARIF where ID=0"_s),
                     (QStringList{unknown, unknown}));
        }
    }

    // A reset keeps only the journal's pending rows, and puts the default rows back.
    void resetKeepsPendingJournal()
    {
        QVERIFY(sqlRun(db, u"insert into MODIF (ID, STATUS) values (1, 1), (2, 0), (3, null)"_s));
        QVERIFY(sqlRun(db, u"insert into BILLET (ID, CODE_BARRE) values (1, 'A')"_s));
        QVERIFY(resetRepBDD(db, &mutex));
        QCOMPARE(
            sqlRows(db, u"select ID from MODIF union all select count(*) from BILLET union all select ID from REP"_s),
            (QStringList{"1", "0", "0"}));
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestCDataRep)
#include "TestCDataRep.moc"
