#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/Database.h"
#include "data/SqlRunner.h"

#include "BoxRecorder.h"
#include "CoreFixture.h"
#include "DataFixture.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>
#include <QThread>

#include <atomic>

namespace
{

const QStringList kMainTables = {"EVENEMENT", "REPRESENTATION", "ZONE", "ORGANISATEUR", "VIDANGE"};
const QStringList kRepTables =
    {"DELTA", "EVENT", "REP", "CAISSE", "TARIF", "AGENT", "EDITEUR", "CANAL_VENTE", "BILLET", "PLACE", "MODIF"};

// The tables, in the order of creation.
QStringList tables(QSqlDatabase& db)
{
    return sqlRows(db, "select name from sqlite_master where type='table' and name<>'sqlite_sequence' order by rowid");
}

}  // namespace

class TestDatabase : public DataFixture
{
    Q_OBJECT

public:
    TestDatabase()
        : DataFixture(true)
    {}

private slots:

    void init()
    {
        fixture::clearLog();
        db.close();
        QVERIFY(QDir(dbFolder()).removeRecursively());
        QVERIFY(QDir().mkpath(dbFolder()));
    }

    void mainDatabaseSchema()
    {
        QVERIFY(openBDD(db, &mutex));
        QVERIFY(QFile::exists(mainDatabasePath()));
        QCOMPARE(tables(db), kMainTables);
        QVERIFY(fixture::logContains("notice - Ouverture de la base de donnees " + mainDatabasePath() + " OK "));
        // Another thread's write makes a statement wait instead of failing at once.
        QCOMPARE(sqlRows(db, "pragma busy_timeout"), QStringList{"5000"});

        // A second open re-creates only what is missing.
        QSqlQuery query(db);
        QVERIFY(query.exec("insert into ZONE (ID, NOM) values (1, 'Nord')"));
        QVERIFY(query.exec("drop table VIDANGE"));
        QVERIFY(openBDD(db, nullptr));
        QCOMPARE(tables(db), kMainTables);
        QCOMPARE(sqlRows(db, "select count(*) from ZONE"), QStringList{"1"});
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
            return path.isEmpty() ? openBDD(db, mutex) : openRepBDD(db, mutex, path);
        };
        const QString table = schema.at(failing);
        {
            QVERIFY(open(nullptr));
            QSqlQuery query(db);
            for (const QString& name : schema.mid(failing)) {
                QVERIFY(query.exec("drop table " + name));
            }
            QVERIFY(query.exec("create table X (a)"));
            QVERIFY(query.exec("create index " + table + " on X (a)"));
        }
        BoxRecorder boxes(&mutex);
        QVERIFY(!open(&mutex));
        QVERIFY(db.isOpen());
        QCOMPARE(tables(db), schema.mid(0, failing) << "X");
        const QStringList lines =
            fixture::logLines().filter("warning - Erreur a la creation de la table " + table + " : ");
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().contains(QRegularExpression("\\(2\\) , databaseError : .+, driverError : .+$")),
                 qPrintable(lines.first()));
        QCOMPARE(boxes.entries().size(), 1);
        const BoxRecorder::Entry box = boxes.entries().first();
        QCOMPARE(box.request.title, "warning");
        QCOMPARE(box.request.text, gAffichage->getMessage(0, 6) + "Table " + table);
        QVERIFY(box.mutexFree);  // shown once the database mutex is free again
    }

    void repDatabaseSchemaAndIndexes()
    {
        const QString path = dbFolder() + "R12_Z0.db";
        QVERIFY(openRepBDD(db, &mutex, path));
        QCOMPARE(tables(db), kRepTables);
        QVERIFY(openRepBDD(db, &mutex, path));
        QCOMPARE(sqlRows(db, "pragma busy_timeout"), QStringList{"5000"});
        QSqlQuery plan(db);
        QVERIFY(plan.exec(QStringLiteral(
            "explain query plan select ID from BILLET where upper(CODE_BARRE)=upper('ab') and EDITEUR_ID=3")));
        QVERIFY(plan.next());
        QVERIFY2(plan.value(3).toString().contains("USING INDEX"), qPrintable(plan.value(3).toString()));
    }

    void fileOpenFailures()
    {
        for (const QString& path : {dbFolder() + "nowhere/R1_Z0.db", QString()}) {
            fixture::clearLog();
            QVERIFY(openBDD(db, nullptr));
            BoxRecorder boxes;
            QVERIFY(!openRepBDD(db, &mutex, path));
            QVERIFY(!db.isOpen());
            QCOMPARE(db.databaseName(), mainDatabasePath());
            QVERIFY(fixture::logContains("Erreur a l'ouverture du fichier de la base de donnees " + path));
            QCOMPARE(boxes.entries().size(), 1);
            QCOMPARE(boxes.entries().first().request.text, gAffichage->getMessage(0, 5));
        }
    }

    void dropBDDRemovesEveryDatabase()
    {
        QVERIFY(openBDD(db, nullptr));
        for (const char* name : {"dump.db", "P4_Z0.db", "R9_Z2.DB", "x.txt"}) {
            QFile file(dbFolder() + QLatin1String(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(dropBDD(db, &mutex));
        QVERIFY(!db.isOpen());
        QCOMPARE(QDir(dbFolder()).entryList(QDir::Files), QStringList{"x.txt"});
        QVERIFY(fixture::logContains("notice - Drop DataBase (ret=1)"));
        QVERIFY(dropBDD(db, nullptr));
        QVERIFY(openBDD(db, nullptr));
        QCOMPARE(sqlRows(db, "select count(*) from ZONE"), QStringList{"0"});
    }

    // Only its own file closes the connection; a worker's next write to a removed file fails.
    void dropRepBDDClosesOnlyItsOwnFile()
    {
        const QString open = dbFolder() + "R1_Z0.db";
        const QString other = dbFolder() + "R2_Z0.db";
        ThreadConnection worker("worker");
        QVERIFY(openRepBDD(worker.db(), &mutex, open));
        QVERIFY(openRepBDD(db, nullptr, other));
        QVERIFY(openRepBDD(db, nullptr, open));
        QVERIFY(dropRepBDD(db, &mutex, other));
        QVERIFY(db.isOpen());
        QVERIFY(sqlrun::exec(worker.db(), &mutex, "insert into EVENT values (1, 'a')", "E "));
        QVERIFY(dropRepBDD(db, &mutex, open));
        QVERIFY(!db.isOpen());
        QCOMPARE(db.databaseName(), open);
        QVERIFY(!sqlrun::exec(worker.db(), &mutex, "insert into EVENT values (2, 'b')", "E "));
        QVERIFY(!worker.db().isOpen());
        // The download rebuilds the current list from the connection's own name.
        QVERIFY(openRepBDD(db, nullptr, db.databaseName()));
        QCOMPARE(sqlRows(db, "select count(*) from EVENT"), QStringList{"0"});
        QVERIFY(openRepBDD(worker.db(), &mutex, open));
        QVERIFY(sqlrun::exec(worker.db(), &mutex, "insert into EVENT values (1, 'a')", "E "));
        QVERIFY(dropBDD(db, &mutex));
        QVERIFY(!sqlrun::exec(worker.db(), &mutex, "insert into EVENT values (2, 'b')", "E "));

        QVERIFY(!dropRepBDD(db, nullptr, dbFolder() + "missing.db"));
        QVERIFY(fixture::logContains("Drop RepDataBase " + dbFolder() + "missing.db (ret=0)"));
    }

    // Three workers of one kind at once, each with a connection of its own: two write to
    // their own files, the third fails to open and its box shows on the GUI thread.
    void workersOfOneKindAtOnce()
    {
        BoxRecorder boxes;
        const QStringList files{"P1_Z0.db", "P2_Z0.db", "none/x.db"};
        QStringList names(files.size());
        std::atomic<int> connected{0};
        QList<QThread*> workers;
        for (qsizetype i = 0; i < files.size(); ++i) {
            QString* name = &names[i];
            workers << QThread::create([this, name, &connected, &files, i] {
                ThreadConnection connection("worker");
                *name = connection.db().connectionName();
                // Every connection made before any is used.
                ++connected;
                while (connected < files.size()) {
                    QThread::yieldCurrentThread();
                }
                if (openRepBDD(connection.db(), &mutex, dbFolder() + files[i])) {
                    for (int n = 0; n < 200; ++n) {
                        const QString sql =
                            QString("insert into EVENT (ID, NOM) values (%1, '%2')").arg(n).arg(files[i]);
                        sqlrun::exec(connection.db(), &mutex, sql, "Erreur ");
                    }
                }
            });
            workers.last()->start();
        }
        for (QThread* worker : std::as_const(workers)) {
            worker->wait();
            delete worker;
        }
        QCOMPARE(QSet<QString>(names.cbegin(), names.cend()).size(), files.size());
        QTRY_COMPARE(boxes.entries().size(), 1);
        QCOMPARE(boxes.entries().first().thread, QThread::currentThread());
        for (const QString& file : files.mid(0, 2)) {
            QVERIFY(openRepBDD(db, nullptr, dbFolder() + file));
            QCOMPARE(sqlRows(db, "select count(*), min(NOM), max(NOM) from EVENT"),
                     QStringList{"200|" + file + '|' + file});
        }
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestDatabase)
#include "TestDatabase.moc"
