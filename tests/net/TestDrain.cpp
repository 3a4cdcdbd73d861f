#include "core/AppFolder.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "data/CDataVidange.h"
#include "ui/MainWindow.h"
#include "ui/MessageDlg.h"
#include "ui/ProgressBar.h"
#include "ui/Ui_MainWindow.h"

#include "CoreFixture.h"
#include "DataFixture.h"
#include "NetFixture.h"
#include "TestMain.h"

#include <QLabel>
#include <QProgressBar>

using standin::ScriptedReply;

namespace
{

// Queues drain rows Q1, Q2, Q3 of TYPE `firstType`, 99 and 4, made under the logins
// a, b and c.
void queueThree(MainWindow& window, unsigned int firstType)
{
    QStringList values;
    for (const QString& row : {QString::number(firstType) + "Q1a", QStringLiteral("99Q2b"), QStringLiteral("4Q3c")}) {
        values << QStringLiteral("(%1,'2024-03-01 10:20:05','%2','%3','%3-md5',3,815,'2024-03-01 10:15:00')")
                      .arg(row.chopped(3), row.right(3).left(2), row.right(1));
    }
    QVERIFY(sqlRun(window.db,
                   "insert into VIDANGE (TYPE,DATE,CODE_BARRE,LOGIN,PASSWORD,ZONE_ID,DELTA_ID,DELTA_DATE) values "
                       + values.join(',')));
}

// A ticket-list file with `pending` pending rows (and one sent), and a DELTA row
// when `login` is not empty.
void makeListFile(MainWindow& window, const QString& name, int pending, const QString& login)
{
    QVERIFY(openRepBDD(window.db, window.dbMutex, dbFolder() + name));
    QList<CDataModif> rows = netfixture::pendingRows(8, pending, name.left(2));
    rows.prepend(netfixture::pendingRow(8, QStringLiteral("sent")));
    rows.first().STATUS = MODIF_STATUS_SENT;
    QVERIFY(netfixture::addPending(window.db, window.dbMutex, rows));
    if (!login.isEmpty()) {
        QVERIFY(sqlRun(window.db,
                       QStringLiteral("insert into DELTA values (900,'2024-02-02 02:02:02','%1','pw',4)").arg(login)));
    }
}

}  // namespace

class TestDrain : public StandinTestBase
{
    Q_OBJECT

private slots:

    void init()
    {
        netfixture::setSession(m_server->serviceUrl());
        m_server->clearRequests();
        QSqlDatabase scratch = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("wipe"));
        QMutex mutex;
        dropBDD(scratch, &mutex);
        scratch = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("wipe"));
    }

    // The queue first, then every file's pending rows with the file's own context
    // (defaults without DELTA row), files by name without regard to case, kest.db
    // left out. No file changes and the connection ends on the main database.
    void recupVidange()
    {
        MainWindow window;
        queueThree(window, 3);
        makeListFile(window, QStringLiteral("R1_Z1.db"), 600, QStringLiteral("r1"));
        makeListFile(window, QStringLiteral("E5_Z1.db"), 1, QString());
        makeListFile(window, QStringLiteral("dump.db"), 1, QStringLiteral("dump"));
        // The main database is no ticket list, whatever rows it may hold.
        QVERIFY(openRepBDD(window.db, window.dbMutex, mainDatabasePath()));
        QVERIFY(netfixture::addPending(window.db, window.dbMutex, {netfixture::pendingRow(8, QStringLiteral("K"))}));
        QVERIFY(openBDD(window.db, window.dbMutex));
        window.recupVidange();
        QCOMPARE(window.db.databaseName(), mainDatabasePath());
        QStringList rows;
        for (const CDataVidange& row : std::as_const(window.dataVidangeListe)) {
            rows.append(QStringLiteral("%1|%2|%3|%4|%5")
                            .arg(row.CODE_BARRE, row.LOGIN)
                            .arg(row.ZONE_ID)
                            .arg(row.DELTA_ID)
                            .arg(row.DELTA_DATE));
        }
        QCOMPARE(rows.size(), 3 + 1 + 1 + 600);
        QCOMPARE(rows.mid(2, 4),
                 QStringList({"Q3|c|3|815|2024-03-01 10:15:00",
                              "du0|dump|4|900|2024-02-02 02:02:02",
                              "E50||0|0|1970-01-01 00:00:00",
                              "R10|r1|4|900|2024-02-02 02:02:02"}));
        QVERIFY(rows.last().startsWith(QStringLiteral("R1599|")));
        QVERIFY(openRepBDD(window.db, window.dbMutex, dbFolder() + QStringLiteral("R1_Z1.db")));
        QCOMPARE(sqlRows(window.db, QStringLiteral("select count(*) from MODIF where STATUS=1")), QStringList{"600"});
    }

    // One row per request in its own context; any non-empty reply deletes its row; an
    // error stops with a message, an empty reply silently; a row of unknown TYPE stays
    // queued, the others go, also when the queue is read again meanwhile; offline, nothing.
    void drain_data()
    {
        QTest::addColumn<QList<ScriptedReply>>("replies");
        QTest::addColumn<unsigned int>("firstType");
        QTest::addColumn<QStringList>("sentAs");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("reread");
        const QList<ScriptedReply> acks(3, ScriptedReply::bytes("0"));
        QTest::newRow("\"0\" acknowledges")
            << acks << 3u << QStringList{"a", "b", "c"} << QStringList{} << QString() << false;
        QTest::newRow("then error") << QList<ScriptedReply>{ScriptedReply::normal(), ScriptedReply::httpError(500)}
                                    << 3u << QStringList{"a", "b"} << QStringList{"Q2", "Q3"}
                                    << "Erreur de connexion (err=401)" << false;
        QTest::newRow("empty reply") << QList<ScriptedReply>{ScriptedReply::empty()} << 3u << QStringList{"a"}
                                     << QStringList{"Q1", "Q2", "Q3"} << QString() << false;
        QTest::newRow("unknown type") << acks.mid(0, 2) << 7u << QStringList{"b", "c"} << QStringList{"Q1"} << QString()
                                      << false;
        QTest::newRow("queue read again in flight")
            << QList<ScriptedReply>{ScriptedReply::bytes("0").delayed(300), acks[0]} << 7u << QStringList{"b", "c"}
            << QStringList{"Q1"} << QString() << true;
        QTest::newRow("offline") << QList<ScriptedReply>{} << 3u << QStringList{} << QStringList{"Q1", "Q2", "Q3"}
                                 << QString() << false;
    }

    void drain()
    {
        QFETCH(QList<ScriptedReply>, replies);
        QFETCH(unsigned int, firstType);
        QFETCH(QStringList, sentAs);
        QFETCH(QStringList, left);
        QFETCH(QString, shown);
        QFETCH(bool, reread);
        MainWindow window;
        queueThree(window, firstType);
        for (const ScriptedReply& reply : replies) {
            m_server->enqueue(QStringLiteral("61"), reply);
        }
        gParam->isOnline = !replies.isEmpty();
        window.actionDrainNeeded();
        window.drainGlobalClicked();
        if (reread) {
            // As the event list shown meanwhile does.
            QTRY_COMPARE(m_server->requests(QStringLiteral("61")).size(), 1);
            window.actionDrainNeeded();
        }
        QTRY_VERIFY(window.progressBar->isHidden());
        QCOMPARE(sqlRows(window.db, QStringLiteral("select CODE_BARRE from VIDANGE order by ID")), left);
        QStringList logins;
        for (const standin::RecordedRequest& request : m_server->requests(QStringLiteral("61"))) {
            logins.append(request.value(QStringLiteral("pw")).chopped(4));
        }
        QCOMPARE(logins, sentAs);
        QVERIFY(replies.isEmpty() || window.progressBar->findChild<QProgressBar*>()->value() == 3 - left.size());
        QVERIFY(firstType == 7 || window.ui->btnDrainGlobal->isHidden() == left.isEmpty());
        QCOMPARE(window.messageDlg->isHidden()
                     ? QString()
                     : window.messageDlg->findChild<QLabel*>(QStringLiteral("lblMessageDlgInfo"))->text(),
                 shown);
    }
};

TAVRIMEX_TEST_MAIN(TestDrain)
#include "TestDrain.moc"
