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

QStringList tables(QSqlDatabase& db)
{
    QStringList names;
    QSqlQuery query(db);
    query.exec(QStringLiteral("select name from sqlite_master where type='table' and name<>'sqlite_sequence'"));
    while (query.next()) {
        names << query.value(0).toString();
    }
    names.sort();
    return names;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

int count(QSqlDatabase& db, const QString& table)
{
    QSqlQuery query(db);
    query.exec(QStringLiteral("select count(*) from ") + table);
    return query.next() ? query.value(0).toInt() : -1;
}

QString repPath(const QString& name)
{
    return dbFolder() + name;
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
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("test"));
    }

    void init()
    {
        fixture::clearLog();
        m_db.close();
        QDir dir(dbFolder());
        for (const QString& name : dir.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFileInfo(dir.filePath(name)).isDir() ? QDir(dir.filePath(name)).removeRecursively()
                                                  : QFile::remove(dir.filePath(name));
        }
    }

    void mainDatabaseSchema()
    {
        QVERIFY(openBDD(m_db, &m_mutex));
        QVERIFY(QFile::exists(mainDatabasePath()));
        QCOMPARE(tables(m_db), sorted(kMainTables));
        QSqlQuery query(m_db);
        QVERIFY(query.exec(QStringLiteral("select sql from sqlite_master where name='ZONE'")));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toString(),
                 QStringLiteral("CREATE TABLE ZONE (ID integer(10), NOM varchar(256), primary key(ID))"));
        QVERIFY(fixture::logContains(QStringLiteral("notice - Ouverture de la base de donnees ") + mainDatabasePath()
                                     + QStringLiteral(" OK ")));
    }

    void reopenRecreatesOnlyMissingTables()
    {
        QVERIFY(openBDD(m_db, nullptr));
        QSqlQuery query(m_db);
        QVERIFY(query.exec(QStringLiteral("insert into ZONE (ID, NOM) values (1, 'Nord')")));
        QVERIFY(query.exec(QStringLiteral("drop table ORGANISATEUR")));
        QVERIFY(openBDD(m_db, nullptr));
        QCOMPARE(tables(m_db), sorted(kMainTables));
        QCOMPARE(count(m_db, QStringLiteral("ZONE")), 1);
    }

    void schemaFailureStopsAtFailingTable()
    {
        BoxRecorder boxes(&m_mutex);
        {
            QVERIFY(openBDD(m_db, nullptr));
            QSqlQuery query(m_db);
            QVERIFY(query.exec(QStringLiteral("drop table ZONE")));
            QVERIFY(query.exec(QStringLiteral("drop table ORGANISATEUR")));
            QVERIFY(query.exec(QStringLiteral("drop table VIDANGE")));
            QVERIFY(query.exec(QStringLiteral("create table X (a)")));
            QVERIFY(query.exec(QStringLiteral("create index ZONE on X (a)")));
        }
        QVERIFY(!openBDD(m_db, &m_mutex));
        QVERIFY(m_db.isOpen());
        QCOMPARE(tables(m_db), sorted({"EVENEMENT", "REPRESENTATION", "X"}));
        QVERIFY(fixture::logContains(QStringLiteral("warning - Erreur a la creation de la table ZONE : ")));
        QCOMPARE(boxes.entries().size(), 1);
        const BoxRecorder::Entry box = boxes.entries().first();
        QCOMPARE(box.request.title, QStringLiteral("warning"));
        QCOMPARE(box.request.text, gAffichage->getMessage(0, 6) + QStringLiteral("Table ZONE"));
        // The box comes once the database mutex is free again.
        QVERIFY(box.mutexFree);
    }

    void repDatabaseSchemaAndIndexes()
    {
        const QString path = repPath(QStringLiteral("R12_Z0.db"));
        QVERIFY(openRepBDD(m_db, &m_mutex, path));
        QCOMPARE(tables(m_db), sorted(kRepTables));
        QVERIFY(openRepBDD(m_db, &m_mutex, path));
        QSqlQuery plan(m_db);
        QVERIFY(plan.exec(QStringLiteral(
            "explain query plan select ID from BILLET where upper(CODE_BARRE)=upper('ab') and EDITEUR_ID=3")));
        QVERIFY(plan.next());
        QVERIFY2(plan.value(3).toString().contains(QStringLiteral("USING INDEX")),
                 qPrintable(plan.value(3).toString()));
    }

    void repSchemaFailureAtSeventhTable()
    {
        const QString path = repPath(QStringLiteral("E3_Z1.db"));
        {
            QVERIFY(openRepBDD(m_db, nullptr, path));
            QSqlQuery query(m_db);
            for (const char* table : {"EDITEUR", "CANAL_VENTE", "BILLET", "PLACE", "MODIF"}) {
                QVERIFY(query.exec(QStringLiteral("drop table ") + QLatin1String(table)));
            }
            QVERIFY(query.exec(QStringLiteral("create table X (a)")));
            QVERIFY(query.exec(QStringLiteral("create index EDITEUR on X (a)")));
        }
        BoxRecorder boxes;
        QVERIFY(!openRepBDD(m_db, nullptr, path));
        QCOMPARE(tables(m_db), sorted({"DELTA", "EVENT", "REP", "CAISSE", "TARIF", "AGENT", "X"}));
        QCOMPARE(boxes.entries().size(), 1);
        QCOMPARE(boxes.entries().first().request.text, gAffichage->getMessage(0, 6) + QStringLiteral("Table EDITEUR"));
    }

    void fileOpenFailures_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing folder") << dbFolder() + QStringLiteral("nowhere/R1_Z0.db");
        QTest::newRow("empty path") << QString();
    }

    void fileOpenFailures()
    {
        QFETCH(QString, path);
        QVERIFY(openBDD(m_db, nullptr));
        BoxRecorder boxes;
        QVERIFY(!openRepBDD(m_db, &m_mutex, path));
        QVERIFY(!m_db.isOpen());
        QCOMPARE(m_db.databaseName(), mainDatabasePath());
        QVERIFY(fixture::logContains(QStringLiteral("Erreur a l'ouverture du fichier de la base de donnees ") + path));
        QCOMPARE(boxes.entries().size(), 1);
        QCOMPARE(boxes.entries().first().request.text, gAffichage->getMessage(0, 5));
    }

    void mainDatabaseAsFolderFails()
    {
        QVERIFY(QDir().mkpath(mainDatabasePath()));
        BoxRecorder boxes;
        QVERIFY(!openBDD(m_db, &m_mutex));
        QCOMPARE(boxes.entries().size(), 1);
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
        QCOMPARE(QDir(dbFolder()).entryList(QDir::Files), QStringList(QStringLiteral("x.txt")));
        QVERIFY(fixture::logContains(QStringLiteral("notice - Drop DataBase (ret=1)")));
        QVERIFY(dropBDD(m_db, nullptr));
        QVERIFY(openBDD(m_db, nullptr));
        QCOMPARE(count(m_db, QStringLiteral("ZONE")), 0);
    }

    void dropRepBDDClosesOnlyItsOwnFile()
    {
        const QString open = repPath(QStringLiteral("R1_Z0.db"));
        const QString other = repPath(QStringLiteral("R2_Z0.db"));
        QVERIFY(openRepBDD(m_db, nullptr, other));
        QVERIFY(openRepBDD(m_db, nullptr, open));
        QVERIFY(dropRepBDD(m_db, &m_mutex, other));
        QVERIFY(m_db.isOpen());

        QSqlQuery(m_db).exec(QStringLiteral("insert into EVENT values (1, 'a')"));
        QVERIFY(dropRepBDD(m_db, &m_mutex, open));
        QVERIFY(!m_db.isOpen());
        QCOMPARE(m_db.databaseName(), open);
        // The download rebuilds the current list from the connection's own name.
        QVERIFY(openRepBDD(m_db, nullptr, m_db.databaseName()));
        QCOMPARE(count(m_db, QStringLiteral("EVENT")), 0);

        QVERIFY(!dropRepBDD(m_db, nullptr, repPath(QStringLiteral("missing.db"))));
        QVERIFY(fixture::logContains(QStringLiteral("Drop RepDataBase ") + repPath(QStringLiteral("missing.db"))
                                     + QStringLiteral(" (ret=0)")));
    }

    void droppedFileRetiresOtherConnections()
    {
        const QString path = repPath(QStringLiteral("R5_Z0.db"));
        ThreadConnection worker(QStringLiteral("worker"));
        QVERIFY(openRepBDD(worker.db(), &m_mutex, path));
        QVERIFY(openBDD(m_db, &m_mutex));
        QVERIFY(dropRepBDD(m_db, &m_mutex, path));
        QVERIFY(m_db.isOpen());
        // The worker's next write must fail rather than land in the removed file.
        QVERIFY(!sqlrun::exec(worker.db(), &m_mutex, QStringLiteral("insert into EVENT values (1, 'a')"), "E "));
        QVERIFY(!worker.db().isOpen());
        QVERIFY(openRepBDD(worker.db(), &m_mutex, path));
        QVERIFY(sqlrun::exec(worker.db(), &m_mutex, QStringLiteral("insert into EVENT values (1, 'a')"), "E "));

        QVERIFY(dropBDD(m_db, &m_mutex));
        QVERIFY(!sqlrun::exec(worker.db(), &m_mutex, QStringLiteral("insert into EVENT values (2, 'b')"), "E "));
    }

    void threadsWriteToTheirOwnFiles()
    {
        constexpr int rows = 200;
        auto writer = [this](const QString& file) {
            return QThread::create([this, file]() {
                ThreadConnection connection(QStringLiteral("writer"));
                if (!openRepBDD(connection.db(), &m_mutex, repPath(file))) {
                    return;
                }
                for (int i = 0; i < rows; ++i) {
                    sqlrun::exec(connection.db(),
                                 &m_mutex,
                                 QStringLiteral("insert into EVENT (ID, NOM) values (%1, '%2')").arg(i).arg(file),
                                 QStringLiteral("Erreur "));
                }
            });
        };
        QThread* a = writer(QStringLiteral("P1_Z0.db"));
        QThread* b = writer(QStringLiteral("P2_Z0.db"));
        a->start();
        b->start();
        a->wait();
        b->wait();
        delete a;
        delete b;
        for (const char* name : {"P1_Z0.db", "P2_Z0.db"}) {
            const QString file = QString::fromLatin1(name);
            QVERIFY(openRepBDD(m_db, nullptr, repPath(file)));
            QSqlQuery query(m_db);
            QVERIFY(query.exec(QStringLiteral("select count(*), min(NOM), max(NOM) from EVENT")));
            QVERIFY(query.next());
            QCOMPARE(query.value(0).toInt(), rows);
            QCOMPARE(query.value(1).toString(), file);
            QCOMPARE(query.value(2).toString(), file);
        }
    }

    void workerFailureBoxIsShownOnGuiThread()
    {
        BoxRecorder boxes;
        QThread* worker = QThread::create([this]() {
            ThreadConnection connection(QStringLiteral("failing"));
            openRepBDD(connection.db(), &m_mutex, dbFolder() + QStringLiteral("none/x.db"));
        });
        worker->start();
        worker->wait();
        delete worker;
        QTRY_COMPARE(boxes.entries().size(), 1);
        QCOMPARE(boxes.entries().first().thread, QThread::currentThread());
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestDatabase)
#include "TestDatabase.moc"
