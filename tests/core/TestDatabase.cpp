#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/Database.h"
#include "data/SqlRunner.h"

#include "BoxRecorder.h"
#include "CoreFixture.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QThread>

namespace
{

const QStringList kMainTables = {"EVENEMENT", "REPRESENTATION", "ZONE", "ORGANISATEUR", "VIDANGE"};
const QStringList kRepTables =
    {"DELTA", "EVENT", "REP", "CAISSE", "TARIF", "AGENT", "EDITEUR", "CANAL_VENTE", "BILLET", "PLACE", "MODIF"};

// First column of every row of `sql`.
QStringList column(QSqlDatabase& db, const QString& sql)
{
    QStringList values;
    QSqlQuery query(db);
    query.exec(sql);
    while (query.next()) {
        values << query.value(0).toString();
    }
    return values;
}

// A column of sqlite_master for each table, in the order of creation.
QStringList tables(QSqlDatabase& db, const QString& what = "name")
{
    return column(db,
                  "select " + what
                      + " from sqlite_master where type='table' and name<>'sqlite_sequence' order by rowid");
}

}  // namespace

class TestDatabase : public QObject
{
    Q_OBJECT

private:
    QSqlDatabase m_db;
    QMutex m_mutex;

private slots:

    void initTestCase()
    {
        fixture::initCore(true);
        m_db = QSqlDatabase::addDatabase("QSQLITE", "test");
    }

    void init()
    {
        fixture::clearLog();
        m_db.close();
        QVERIFY(QDir(dbFolder()).removeRecursively());
        QVERIFY(QDir().mkpath(dbFolder()));
    }

    void mainDatabaseSchema()
    {
        QVERIFY(openBDD(m_db, &m_mutex));
        QVERIFY(QFile::exists(mainDatabasePath()));
        QCOMPARE(
            tables(m_db, "sql"),
            (QStringList{
                "CREATE TABLE EVENEMENT (ID integer(10), NOM varchar(256), IMAGE varchar(256), TYPE int, primary "
                "key(ID, TYPE))",
                "CREATE TABLE REPRESENTATION (ID integer(10), EVENEMENT_ID integer(10), DATE_DEBUT datetime, DATE_FIN "
                "datetime, DATE_FIN_VENTE datetime, NOM_SALLE varchar(256), NOM_EVT varchar(256), NB_TICKET "
                "integer(10), NB_PLACE integer(10), primary key(ID, EVENEMENT_ID))",
                "CREATE TABLE ZONE (ID integer(10), NOM varchar(256), primary key(ID))",
                "CREATE TABLE ORGANISATEUR (ID varchar(256), NOM varchar(256), primary key(ID))",
                "CREATE TABLE VIDANGE (ID integer primary key autoincrement, TYPE integer(10), DATE varchar(256), "
                "CODE_BARRE varchar(256), EDITEUR_ID integer(10), REP_ID integer(10), LOGIN varchar(256), PASSWORD "
                "varchar(256), ZONE_ID integer(10), DELTA_ID integer(10), DELTA_DATE varchar(256))"}));
        QVERIFY(fixture::logContains("notice - Ouverture de la base de donnees " + mainDatabasePath() + " OK "));
        // Another thread's write makes a statement wait instead of failing at once.
        QCOMPARE(column(m_db, "pragma busy_timeout"), QStringList{"5000"});

        // A second open re-creates only what is missing.
        QSqlQuery query(m_db);
        QVERIFY(query.exec("insert into ZONE (ID, NOM) values (1, 'Nord')"));
        QVERIFY(query.exec("drop table VIDANGE"));
        QVERIFY(openBDD(m_db, nullptr));
        QCOMPARE(tables(m_db), kMainTables);
        QCOMPARE(column(m_db, "select count(*) from ZONE"), QStringList{"1"});
    }

    void schemaFailureStopsAtFailingTable_data()
    {
        QTest::addColumn<QString>("path");  // empty: the main database
        QTest::addColumn<QStringList>("schema");
        QTest::addColumn<int>("failing");
        QTest::newRow("main, 3rd table") << QString() << kMainTables << 2;
        QTest::newRow("performance, 7th table") << dbFolder() + "E3_Z1.db" << kRepTables << 6;
    }

    // An index holding a table's name makes even "create table if not exists" fail.
    void schemaFailureStopsAtFailingTable()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, schema);
        QFETCH(int, failing);
        auto open = [&](QMutex* mutex) {
            return path.isEmpty() ? openBDD(m_db, mutex) : openRepBDD(m_db, mutex, path);
        };
        const QString table = schema.at(failing);
        {
            QVERIFY(open(nullptr));
            QSqlQuery query(m_db);
            for (const QString& name : schema.mid(failing)) {
                QVERIFY(query.exec("drop table " + name));
            }
            QVERIFY(query.exec("create table X (a)"));
            QVERIFY(query.exec("create index " + table + " on X (a)"));
        }
        BoxRecorder boxes(&m_mutex);
        QVERIFY(!open(&m_mutex));
        QVERIFY(m_db.isOpen());
        QCOMPARE(tables(m_db), schema.mid(0, failing) << "X");
        QVERIFY(fixture::logContains("warning - Erreur a la creation de la table " + table + " : "));
        QCOMPARE(boxes.entries().size(), 1);
        const BoxRecorder::Entry box = boxes.entries().first();
        QCOMPARE(box.request.title, "warning");
        QCOMPARE(box.request.text, gAffichage->getMessage(0, 6) + "Table " + table);
        QVERIFY(box.mutexFree);  // shown once the database mutex is free again
    }

    void repDatabaseSchemaAndIndexes()
    {
        const QString path = dbFolder() + "R12_Z0.db";
        QVERIFY(openRepBDD(m_db, &m_mutex, path));
        QCOMPARE(tables(m_db), kRepTables);
        QVERIFY(openRepBDD(m_db, &m_mutex, path));
        QCOMPARE(column(m_db, "pragma busy_timeout"), QStringList{"5000"});
        QSqlQuery plan(m_db);
        QVERIFY(plan.exec(QStringLiteral(
            "explain query plan select ID from BILLET where upper(CODE_BARRE)=upper('ab') and EDITEUR_ID=3")));
        QVERIFY(plan.next());
        QVERIFY2(plan.value(3).toString().contains("USING INDEX"), qPrintable(plan.value(3).toString()));
    }

    void fileOpenFailures()
    {
        for (const QString& path : {dbFolder() + "nowhere/R1_Z0.db", QString()}) {
            fixture::clearLog();
            QVERIFY(openBDD(m_db, nullptr));
            BoxRecorder boxes;
            QVERIFY(!openRepBDD(m_db, &m_mutex, path));
            QVERIFY(!m_db.isOpen());
            QCOMPARE(m_db.databaseName(), mainDatabasePath());
            QVERIFY(fixture::logContains("Erreur a l'ouverture du fichier de la base de donnees " + path));
            QCOMPARE(boxes.entries().size(), 1);
            QCOMPARE(boxes.entries().first().request.text, gAffichage->getMessage(0, 5));
        }
    }

    void dropBDDRemovesEveryDatabase()
    {
        QVERIFY(openBDD(m_db, nullptr));
        for (const char* name : {"dump.db", "P4_Z0.db", "R9_Z2.DB", "x.txt"}) {
            QFile file(dbFolder() + QLatin1String(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(dropBDD(m_db, &m_mutex));
        QVERIFY(!m_db.isOpen());
        QCOMPARE(QDir(dbFolder()).entryList(QDir::Files), QStringList{"x.txt"});
        QVERIFY(fixture::logContains("notice - Drop DataBase (ret=1)"));
        QVERIFY(dropBDD(m_db, nullptr));
        QVERIFY(openBDD(m_db, nullptr));
        QCOMPARE(column(m_db, "select count(*) from ZONE"), QStringList{"0"});
    }

    void dropRepBDDClosesOnlyItsOwnFile()
    {
        const QString open = dbFolder() + "R1_Z0.db";
        const QString other = dbFolder() + "R2_Z0.db";
        QVERIFY(openRepBDD(m_db, nullptr, other));
        QVERIFY(openRepBDD(m_db, nullptr, open));
        QVERIFY(dropRepBDD(m_db, &m_mutex, other));
        QVERIFY(m_db.isOpen());

        QSqlQuery(m_db).exec("insert into EVENT values (1, 'a')");
        QVERIFY(dropRepBDD(m_db, &m_mutex, open));
        QVERIFY(!m_db.isOpen());
        QCOMPARE(m_db.databaseName(), open);
        // The download rebuilds the current list from the connection's own name.
        QVERIFY(openRepBDD(m_db, nullptr, m_db.databaseName()));
        QCOMPARE(column(m_db, "select count(*) from EVENT"), QStringList{"0"});

        QVERIFY(!dropRepBDD(m_db, nullptr, dbFolder() + "missing.db"));
        QVERIFY(fixture::logContains("Drop RepDataBase " + dbFolder() + "missing.db (ret=0)"));
    }

    void droppedFileRetiresOtherConnections()
    {
        const QString path = dbFolder() + "R5_Z0.db";
        ThreadConnection worker("worker");
        QVERIFY(openRepBDD(worker.db(), &m_mutex, path));
        QVERIFY(openBDD(m_db, &m_mutex));
        QVERIFY(dropRepBDD(m_db, &m_mutex, path));
        QVERIFY(m_db.isOpen());
        // The worker's next write must fail rather than land in the removed file.
        QVERIFY(!sqlrun::exec(worker.db(), &m_mutex, "insert into EVENT values (1, 'a')", "E "));
        QVERIFY(!worker.db().isOpen());
        QVERIFY(openRepBDD(worker.db(), &m_mutex, path));
        QVERIFY(sqlrun::exec(worker.db(), &m_mutex, "insert into EVENT values (1, 'a')", "E "));

        QVERIFY(dropBDD(m_db, &m_mutex));
        QVERIFY(!sqlrun::exec(worker.db(), &m_mutex, "insert into EVENT values (2, 'b')", "E "));
    }

    // Two workers write to their own files at once; a third fails to open, and its box
    // is shown on the GUI thread.
    void workerThreads()
    {
        BoxRecorder boxes;
        const QStringList files{"P1_Z0.db", "P2_Z0.db", "none/x.db"};
        QList<QThread*> workers;
        for (const QString& file : files) {
            workers << QThread::create([this, file]() {
                ThreadConnection connection("worker");
                if (openRepBDD(connection.db(), &m_mutex, dbFolder() + file)) {
                    for (int i = 0; i < 200; ++i) {
                        const QString sql = QString("insert into EVENT (ID, NOM) values (%1, '%2')").arg(i).arg(file);
                        sqlrun::exec(connection.db(), &m_mutex, sql, "Erreur ");
                    }
                }
            });
            workers.last()->start();
        }
        for (QThread* worker : std::as_const(workers)) {
            worker->wait();
            delete worker;
        }
        QTRY_COMPARE(boxes.entries().size(), 1);
        QCOMPARE(boxes.entries().first().thread, QThread::currentThread());
        for (const QString& file : files.mid(0, 2)) {
            QVERIFY(openRepBDD(m_db, nullptr, dbFolder() + file));
            QCOMPARE(column(m_db, "select count(*) from EVENT"), QStringList{"200"});
            QCOMPARE(column(m_db, "select distinct NOM from EVENT"), QStringList{file});
        }
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestDatabase)
#include "TestDatabase.moc"
