#include "core/AppFolder.h"
#include "core/CParam.h"
#include "core/Database.h"

#include "CoreFixture.h"
#include "SqlRows.h"
#include "TestMain.h"

using namespace Qt::StringLiterals;

class TestDefaultRows : public QObject
{
    Q_OBJECT

private:
    QSqlDatabase db;
    QMutex mutex;

private slots:

    void initTestCase()
    {
        db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"test"_s);
    }

    void init()
    {
        fixture::initCore(true);
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

    void twiceLeavesOneRowEach()
    {
        QVERIFY(sqlRun(db, u"insert into EDITEUR (ID, NOM) values (0, 'other')"_s));
        createDefaultValuesRepBDD(db, &mutex);
        createDefaultValuesRepBDD(db, &mutex);
        for (const char* table : {"EVENT", "REP", "EDITEUR", "TARIF"}) {
            QCOMPARE(sqlRows(db, u"select ID from "_s + QLatin1String(table)), QStringList{"0"});
        }
        for (const char* table : {"DELTA", "CAISSE", "AGENT", "CANAL_VENTE", "BILLET", "PLACE", "MODIF"}) {
            QCOMPARE(sqlRows(db, u"select count(*) from "_s + QLatin1String(table)), QStringList{"0"});
        }
        QCOMPARE(sqlRows(db, u"select NOM from EDITEUR"_s), QStringList{"kestrova"});
        QCOMPARE(sqlRows(db, u"select ID,EVENT_ID,DATE_DEBUT,DATE_FIN,NB_COMPOSTAGE from REP"_s),
                 QStringList{"0|0|1970-01-01 00:00:00|2170-01-01 00:00:00|1"});
        QCOMPARE(fixture::logLines().filter(u"Creation des valeurs par defaut terminees"_s).size(), 2);
    }

    void unknownInLanguage_data()
    {
        QTest::addColumn<QString>("langue");
        QTest::addColumn<QString>("nom");
        QTest::newRow("French") << "0"
                                << "Inconnu";
        QTest::newRow("English") << "1"
                                 << "Unknown";
        QTest::newRow("Spanish") << "2"
                                 << "Desconocido";
        QTest::newRow("none") << "5"
                              << "";
    }

    void unknownInLanguage()
    {
        QFETCH(QString, langue);
        QFETCH(QString, nom);
        gParam->initParametre(LANGUE, langue);
        createDefaultValuesRepBDD(db, &mutex);
        QCOMPARE(sqlRows(db, u"select NOM from EVENT where ID=0"_s), QStringList{nom});
        QCOMPARE(sqlRows(db, u"select NOM from TARIF where ID=0"_s), QStringList{nom});
    }

    // A failed row is logged by its record; the rows after it are still written.
    void failedRowDoesNotStopTheOthers()
    {
        QVERIFY(sqlRun(db, u"drop table EVENT"_s));
        createDefaultValuesRepBDD(db, &mutex);
        QVERIFY(fixture::logContains(u"Erreur ajouteSql replace into EVENT (ID, NOM) values ('0','Inconnu') : "_s));
        QCOMPARE(sqlRows(db, u"select count(*) from TARIF"_s), QStringList{"1"});
        QVERIFY(fixture::logContains(u"Creation des valeurs par defaut terminees"_s));
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestDefaultRows)
#include "TestDefaultRows.moc"
