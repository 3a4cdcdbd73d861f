#include "core/AppFolder.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "net/CThreadPunch.h"
#include "net/RequestBody.h"
#include "ui/MainWindow.h"
#include "ui/Ui_MainWindow.h"

#include "CoreFixture.h"
#include "DataFixture.h"
#include "NetFixture.h"
#include "TestMain.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>

#include <algorithm>

using standin::ScriptedReply;

namespace
{

const QString kRepFile = QStringLiteral("R4001_Z7.db");

// A window scanning list 4001 with `rows` pending; its delta timer is slow enough
// that no second cycle starts within a test.
struct Scanning
{
    explicit Scanning(const QList<CDataModif>& rows)
    {
        window.deltaTimer.setInterval(60000);
        window.quitEventLoop = [this] {
            ++quits;
        };
        dropRepBDD(window.db, window.dbMutex, dbFolder() + kRepFile);
        openRepBDD(window.db, window.dbMutex, dbFolder() + kRepFile);
        netfixture::addPending(window.db, window.dbMutex, rows);
    }

    // One cycle, up to the timer armed again.
    void cycle()
    {
        window.deltaTimer.stop();
        window.timerDelta();
        QTRY_VERIFY(window.deltaTimer.isActive());
    }

    // The rows still pending, as TYPE and barcode; the end of a cycle may have moved
    // the connection to the main database.
    QStringList pending()
    {
        openRepBDD(window.db, window.dbMutex, dbFolder() + kRepFile);
        return sqlRows(window.db, QStringLiteral("select TYPE||CODE_BARRE from MODIF where STATUS=1 order by ID"));
    }

    MainWindow window;
    int quits = 0;
    QSignalSpy workerStarts{&window.threadGetDelta, &QThread::started};
};

QList<CDataModif> mixedRows()
{
    QList<CDataModif> rows;
    for (const QString& row : QStringList{"3A", "8B", "4C", "16D", "99E", "3F"}) {
        rows.append(netfixture::pendingRow(row.chopped(1).toUInt(), row.right(1)));
    }
    return rows;
}

}  // namespace

class TestSyncCycle : public StandinTestBase
{
    Q_OBJECT

private slots:

    void init()
    {
        netfixture::setSession(m_server->serviceUrl());
        m_server->clearRequests();
        fixture::clearLog();
    }

    // Batches of one kind in ID order, each acknowledgement marking exactly its rows,
    // then one delta request whose reply goes to the worker, then the timer again. An
    // empty reply or an error marks nothing more and ends the cycle without a delta.
    // Offline, each expiry only arms the timer again.
    void cycle_data()
    {
        QTest::addColumn<QList<CDataModif>>("rows");
        QTest::addColumn<QList<ScriptedReply>>("replies");
        QTest::addColumn<bool>("online");
        QTest::addColumn<QStringList>("batches");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<QString>("logged");
        const QList<ScriptedReply> none;
        const QStringList all{"3A", "8B", "4C", "16D", "99E", "3F"};
        QTest::newRow("45 punches") << netfixture::pendingRows(8, 45) << none << true
                                    << QStringList{"cl20", "cl20", "cl5"} << QStringList{} << "";
        QTest::newRow("kinds") << mixedRows() << none << true << QStringList{"cl2", "dl2", "sl1", "cl1"}
                               << QStringList{} << "";
        QTest::newRow("unknown type stays pending")
            << QList<CDataModif>{netfixture::pendingRow(5, QStringLiteral("A")),
                                 netfixture::pendingRow(8, QStringLiteral("B"))}
            << none << true << QStringList{"cl1"} << QStringList{"5A"} << "TYPE=5 ";
        QTest::newRow("empty reply") << mixedRows()
                                     << QList<ScriptedReply>{ScriptedReply::normal(), ScriptedReply::empty()} << true
                                     << QStringList{"cl2", "dl2"} << all.mid(2) << "";
        QTest::newRow("error") << mixedRows()
                               << QList<ScriptedReply>{ScriptedReply::normal(), ScriptedReply::httpError(500)} << true
                               << QStringList{"cl2", "dl2"} << all.mid(2)
                               << "warning - Erreur Connexion Send Punch (err=401)";
        QTest::newRow("offline") << mixedRows() << none << false << QStringList{} << all << "";
    }

    void cycle()
    {
        QFETCH(QList<CDataModif>, rows);
        QFETCH(QList<ScriptedReply>, replies);
        QFETCH(bool, online);
        QFETCH(QStringList, batches);
        QFETCH(QStringList, left);
        QFETCH(QString, logged);
        Scanning scan(rows);
        for (const ScriptedReply& reply : replies) {
            m_server->enqueue(QStringLiteral("61"), reply);
        }
        gParam->isOnline = online;
        // A punch of this terminal still in the drain queue goes to the delta's worker.
        QVERIFY(openBDD(scan.window.db, scan.window.dbMutex));
        QVERIFY(sqlRun(scan.window.db, QStringLiteral("delete from VIDANGE")));
        QVERIFY(sqlRun(scan.window.db, QStringLiteral("insert into VIDANGE (TYPE,LOGIN,ZONE_ID) values (8,'orga',7)")));
        QVERIFY(openRepBDD(scan.window.db, scan.window.dbMutex, dbFolder() + kRepFile));
        scan.cycle();
        QVERIFY(!scan.window.isSyncRunning);
        QCOMPARE(netfixture::batchesOf(m_server->requests(QStringLiteral("61"))), batches);
        QCOMPARE(scan.pending(), left);
        const bool delta = online && replies.isEmpty();
        QCOMPARE(m_server->requests(QStringLiteral("53")).size(), delta ? 1 : 0);
        QVERIFY(!delta || m_server->requests().last().route() == QStringLiteral("53"));
        QCOMPARE(scan.workerStarts.size(), delta ? 1 : 0);
        QCOMPARE(scan.window.threadGetDelta.data.isEmpty(), !delta);
        QCOMPARE(scan.window.threadGetDelta.drained().size(), delta ? 1 : 0);
        QCOMPARE(fixture::logContains(logged.isEmpty() ? QStringLiteral(" - Erreur") : logged), !logged.isEmpty());
    }

    // Exit or a change of performance during an upload waits for its answer, then
    // sends nothing more: the exit quits, the change shows the performance page.
    void requestDuringUpload_data()
    {
        QTest::addColumn<bool>("exit");
        QTest::newRow("exit") << true;
        QTest::newRow("change of performance") << false;
    }

    void requestDuringUpload()
    {
        QFETCH(bool, exit);
        Scanning scan(netfixture::pendingRows(8, 25));
        m_server->enqueue(QStringLiteral("61"), ScriptedReply::normal().delayed(200));
        scan.window.timerDelta();
        (exit ? scan.window.isExitRequested : scan.window.isRepPageRequested) = true;
        QTRY_VERIFY(!scan.window.isSyncRunning);
        QCOMPARE(scan.quits, exit ? 1 : 0);
        QCOMPARE(netfixture::batchesOf(m_server->requests(QStringLiteral("61"))), QStringList{"cl20"});
        QCOMPARE(scan.pending().size(), 5);
        QVERIFY(!scan.window.deltaTimer.isActive());
        QCOMPARE(scan.workerStarts.size(), 0);
    }

    // The punch worker uploads the rows of one exact TYPE a batch; it stops at the first
    // empty reply or error, what was acknowledged staying sent and the rest pending.
    void punchWorker_data()
    {
        QTest::addColumn<QList<CDataModif>>("rows");
        QTest::addColumn<QList<ScriptedReply>>("replies");
        QTest::addColumn<QStringList>("batches");
        QTest::addColumn<int>("left");
        QTest::newRow("kinds") << mixedRows() << QList<ScriptedReply>{}
                               << QStringList{"cl1", "cl1", "dl1", "dl1", "sl1", "cl1"} << 0;
        QTest::newRow("empty reply") << netfixture::pendingRows(8, 45)
                                     << QList<ScriptedReply>{ScriptedReply::normal(), ScriptedReply::empty()}
                                     << QStringList{"cl20", "cl20"} << 25;
        QTest::newRow("error") << netfixture::pendingRows(16, 3) << QList<ScriptedReply>{ScriptedReply::httpError(500)}
                               << QStringList{"dl3"} << 3;
    }

    void punchWorker()
    {
        QFETCH(QList<CDataModif>, rows);
        QFETCH(QList<ScriptedReply>, replies);
        QFETCH(QStringList, batches);
        QFETCH(int, left);
        Scanning scan(rows);
        for (const ScriptedReply& reply : replies) {
            m_server->enqueue(QStringLiteral("61"), reply);
        }
        CThreadPunch worker;
        QSignalSpy finished(&worker, &QThread::finished);
        worker.setData(scan.window.db, scan.window.dbMutex);
        worker.start();
        QVERIFY(finished.wait(10000));
        QCOMPARE(netfixture::batchesOf(m_server->requests(QStringLiteral("61"))), batches);
        QCOMPARE(scan.pending().size(), left);
    }

    // An item the service took already (same kind, ticket, issuer and second) comes
    // again when its acknowledgement was lost: the stand-in counts it once unless told
    // to apply every item it receives. Each row sends an item of its own second.
    void repeatedItem_data()
    {
        QTest::addColumn<bool>("lostOnTheWay");
        QTest::addColumn<bool>("once");
        QTest::addColumn<int>("applied");
        QTest::addColumn<QString>("date");
        QTest::newRow("sent again, by default") << false << true << 1 << "2030-01-01 11:00:01";
        QTest::newRow("delivered twice, by default") << true << true << 1 << "2030-01-01 11:00:02";
        QTest::newRow("sent again, each item applied") << false << false << 2 << "2030-01-01 11:00:03";
    }

    void repeatedItem()
    {
        QFETCH(bool, lostOnTheWay);
        QFETCH(bool, once);
        QFETCH(int, applied);
        QFETCH(QString, date);
        // An un-punch: its ticket's entries grow with each time it is applied.
        const standin::Ticket ticket = m_server->organiser().tickets.first();
        const auto count = [ticket](const auto& list) {
            return std::count_if(list.cbegin(), list.cend(), [ticket](const auto& item) {
                return item.barcode == ticket.barcode;
            });
        };
        const auto before = count(m_server->organiser().history);
        Scanning scan({netfixture::pendingRow(16, ticket.barcode, date, ticket.repId, ticket.editeurId)});
        if (!once) {
            m_server->setRepeatsTakenOnce(false);
        }
        if (lostOnTheWay) {
            ScriptedReply twice = ScriptedReply::normal();
            twice.twice = true;
            m_server->enqueue(QStringLiteral("61"), twice);
        } else {
            m_server->enqueue(QStringLiteral("61"), ScriptedReply::empty());
            scan.cycle();
        }
        scan.cycle();
        if (!once) {
            m_server->setRepeatsTakenOnce(true);
        }
        QCOMPARE(count(m_server->receivedPunches()), 2);
        QCOMPARE(count(m_server->organiser().history) - before, applied);
        QCOMPARE(m_server->organiser().tickets.first().nbCompostage, ticket.nbCompostage + applied);
        QVERIFY(scan.pending().isEmpty());
    }

    // A delta error ends the cycle. When the agent left the performance while the
    // request was in flight, its reply or error changes nothing: no worker, no error,
    // no performance page shown again, the timer armed only by scanning again.
    void deltaOutcome_data()
    {
        QTest::addColumn<ScriptedReply>("reply");
        QTest::addColumn<int>("moves");
        QTest::newRow("error") << ScriptedReply::httpError(500) << 0;
        for (const int moves : {1, 2}) {
            const char* const how = moves == 1 ? "left" : "scanning again";
            QTest::addRow("reply, %s", how) << ScriptedReply::normal().delayed(300) << moves;
            QTest::addRow("error, %s", how) << ScriptedReply::httpError(500).delayed(300) << moves;
        }
    }

    void deltaOutcome()
    {
        QFETCH(ScriptedReply, reply);
        QFETCH(int, moves);
        Scanning scan({});
        scan.window.ui->stackedWidget->setCurrentIndex(2);
        m_server->enqueue(QStringLiteral("53"), reply);
        // The delta request's answer, not the ping's or the event list's.
        bool answered = false;
        const QByteArray length = QByteArray::number(body::getTicketsCycle(DeltaContext()).size());
        connect(scan.window.networkManager, &QNetworkAccessManager::finished, this, [&](QNetworkReply* r) {
            answered = answered || r->request().rawHeader("Content-Length") == length;
        });
        scan.window.timerDelta();
        QVERIFY(!scan.window.isSyncRunning);
        if (moves > 0) {
            scan.window.changeRepClicked();
        }
        if (moves > 1) {
            scan.window.currentRepDbName = dbFolder() + kRepFile;
            scan.window.startScanClicked();
        }
        QTRY_VERIFY(answered);
        // Until the service hears nothing more (the tiles ask for their pictures).
        QSignalSpy received(m_server.get(), &standin::StandinServer::requestReceived);
        while (received.wait(600)) {
        }
        QCOMPARE(m_server->requests(QStringLiteral("241")).size(), moves > 0 ? 1 : 0);
        QCOMPARE(scan.workerStarts.size(), 0);
        QCOMPARE(scan.window.isDeltaError, moves == 0);
        QCOMPARE(fixture::logContains(QStringLiteral("warning - Erreur Connexion get Delta (err=401)")), moves == 0);
        QVERIFY(!scan.window.isSyncRunning);
        QCOMPARE(scan.window.deltaTimer.isActive(), moves != 1);
    }
};

TAVRIMEX_TEST_MAIN(TestSyncCycle)
#include "TestSyncCycle.moc"
