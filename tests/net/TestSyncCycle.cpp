#include "core/AppFolder.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "data/CDataDelta.h"
#include "ui/MainWindow.h"
#include "ui/Ui_MainWindow.h"

#include "BoxRecorder.h"
#include "CoreFixture.h"
#include "DataFixture.h"
#include "NetFixture.h"
#include "TestMain.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QSignalSpy>

#include <memory>

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

    // The end of a cycle may have moved the connection to the main database.
    int pending()
    {
        openRepBDD(window.db, window.dbMutex, dbFolder() + kRepFile);
        return sqlRows(window.db, QStringLiteral("select count(*) from MODIF where STATUS=1")).value(0).toInt();
    }

    MainWindow window;
    int quits = 0;
    QSignalSpy workerStarts{&window.threadGetDelta, &QThread::started};
};

QStringList batchesOf(const QList<standin::RecordedRequest>& requests)
{
    QStringList batches;
    for (const standin::RecordedRequest& request : requests) {
        const QString key = request.keys.last();
        batches.append(key + QString::number(request.value(key).count(QLatin1Char(';'))));
    }
    return batches;
}

}  // namespace

class TestSyncCycle : public QObject
{
    Q_OBJECT

    std::unique_ptr<BoxRecorder> m_boxes;
    std::unique_ptr<standin::StandinServer> m_server;

private slots:

    void initTestCase()
    {
        fixture::initQuietCore();
        m_boxes = std::make_unique<BoxRecorder>();
        m_server = netfixture::startStandin();
        QVERIFY(m_server);
    }

    void init()
    {
        netfixture::setSession(m_server->serviceUrl());
        m_server->clearRequests();
        fixture::clearLog();
    }

    // Batches of one kind in ID order, each acknowledgement marking exactly its rows,
    // then one delta request whose reply goes to the worker, then the timer again.
    void uploadThenDelta_data()
    {
        QTest::addColumn<QList<CDataModif>>("rows");
        QTest::addColumn<QStringList>("batches");
        QTest::newRow("45 punches") << netfixture::pendingRows(8, 45) << QStringList{"cl20", "cl20", "cl5"};
        QTest::newRow("3 3 4 3") << QList<CDataModif>{netfixture::pendingRow(3, QStringLiteral("A")),
                                                      netfixture::pendingRow(3, QStringLiteral("B")),
                                                      netfixture::pendingRow(4, QStringLiteral("A")),
                                                      netfixture::pendingRow(3, QStringLiteral("C"))}
                                 << QStringList{"cl2", "dl1", "cl1"};
        QTest::newRow("unknown type stays pending") << QList<CDataModif>{netfixture::pendingRow(5, QStringLiteral("A")),
                                                                         netfixture::pendingRow(8, QStringLiteral("B"))}
                                                    << QStringList{"cl1"};
        QTest::newRow("nothing pending") << QList<CDataModif>{} << QStringList{};
    }

    void uploadThenDelta()
    {
        QFETCH(QList<CDataModif>, rows);
        QFETCH(QStringList, batches);
        Scanning scan(rows);
        scan.window.timerDelta();
        QTRY_VERIFY(scan.window.deltaTimer.isActive());
        QCOMPARE(batchesOf(m_server->requests(QStringLiteral("61"))), batches);
        QCOMPARE(scan.pending(), batches.isEmpty() || rows.first().TYPE != 5 ? 0 : 1);
        QCOMPARE(m_server->requests(QStringLiteral("53")).size(), 1);
        QCOMPARE(m_server->requests().last().route(), QStringLiteral("53"));
        QCOMPARE(scan.workerStarts.size(), 1);
        QVERIFY(scan.window.threadGetDelta.isDelta);
        QVERIFY(!scan.window.isSyncRunning && !scan.window.isDeltaError);
        QCOMPARE(m_server->duplicatePunches(), 0);
    }

    // An empty reply or an error marks nothing and ends the cycle without a delta.
    void uploadNotAcknowledged_data()
    {
        QTest::addColumn<ScriptedReply>("reply");
        QTest::addColumn<QString>("logged");
        QTest::newRow("empty reply") << ScriptedReply::empty() << QString();
        QTest::newRow("error") << ScriptedReply::httpError(500) << "Erreur Connexion Send Punch (err=401)";
    }

    void uploadNotAcknowledged()
    {
        QFETCH(ScriptedReply, reply);
        QFETCH(QString, logged);
        Scanning scan(netfixture::pendingRows(8, 25));
        m_server->enqueue(QStringLiteral("61"), reply);
        scan.window.timerDelta();
        QTRY_VERIFY(scan.window.deltaTimer.isActive());
        QCOMPARE(m_server->requests(QStringLiteral("61")).size(), 1);
        QCOMPARE(scan.pending(), 25);
        QCOMPARE(scan.workerStarts.size(), 0);
        if (!logged.isEmpty()) {
            QVERIFY(fixture::logContains(logged));
        }
        // The next cycle sends the same rows again.
        m_server->clearRequests();
        scan.window.deltaTimer.stop();
        scan.window.timerDelta();
        QTRY_VERIFY(scan.window.deltaTimer.isActive());
        QCOMPARE(batchesOf(m_server->requests(QStringLiteral("61"))), QStringList({"cl20", "cl5"}));
        QCOMPARE(scan.pending(), 0);
    }

    void offline()
    {
        Scanning scan(netfixture::pendingRows(8, 3));
        gParam->isOnline = false;
        scan.window.timerDelta();
        QVERIFY(scan.window.deltaTimer.isActive() && !scan.window.isSyncRunning);
        QVERIFY(scan.window.dataModifListe.isEmpty());
        QCOMPARE(m_server->requests(QStringLiteral("61")).size() + m_server->requests(QStringLiteral("53")).size(), 0);
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
        QCOMPARE(batchesOf(m_server->requests(QStringLiteral("61"))), QStringList{"cl20"});
        QCOMPARE(scan.pending(), 5);
        QVERIFY(!scan.window.deltaTimer.isActive());
        QCOMPARE(scan.workerStarts.size(), 0);
    }

    // The agent left the performance and came back to scanning while the delta
    // request was in flight: its reply or error changes nothing at all.
    void staleDelta_data()
    {
        QTest::addColumn<ScriptedReply>("reply");
        QTest::newRow("reply") << ScriptedReply::normal().delayed(300);
        QTest::newRow("error") << ScriptedReply::httpError(500).delayed(300);
    }

    void staleDelta()
    {
        QFETCH(ScriptedReply, reply);
        Scanning scan({});
        m_server->enqueue(QStringLiteral("53"), reply);
        QSignalSpy finished(scan.window.networkManager, &QNetworkAccessManager::finished);
        scan.window.timerDelta();
        QVERIFY(!scan.window.isSyncRunning);
        // What leaving and starting to scan again do to the cycle.
        scan.window.deltaTimer.stop();
        scan.window.deltaTimer.start();
        const int remaining = scan.window.deltaTimer.remainingTime();
        QVERIFY(finished.wait(5000));
        QTest::qWait(0);
        QCOMPARE(scan.workerStarts.size(), 0);
        QVERIFY(!scan.window.isDeltaError && !scan.window.isSyncRunning);
        QVERIFY(scan.window.deltaTimer.isActive());
        QVERIFY(scan.window.deltaTimer.remainingTime() <= remaining);
        QVERIFY(!fixture::logContains(QStringLiteral("Erreur Connexion get Delta")));
    }

    // The agent went back to the performance choice while the delta request was in
    // flight, and stays there: its reply or error must not show the page once more.
    void lateDeltaAfterLeaving_data()
    {
        staleDelta_data();
    }

    void lateDeltaAfterLeaving()
    {
        QFETCH(ScriptedReply, reply);
        Scanning scan({});
        scan.window.ui->stackedWidget->setCurrentIndex(2);
        m_server->enqueue(QStringLiteral("53"), reply);
        scan.window.timerDelta();
        scan.window.changeRepClicked();
        QTRY_COMPARE(m_server->requests(QStringLiteral("241")).size(), 1);
        // Until the service hears nothing more (the tiles ask for their pictures).
        QSignalSpy received(m_server.get(), &standin::StandinServer::requestReceived);
        while (received.wait(600)) {
        }
        QCOMPARE(m_server->requests(QStringLiteral("241")).size(), 1);
        QCOMPARE(m_server->requests(QStringLiteral("53")).size(), 1);
        QCOMPARE(scan.workerStarts.size(), 0);
    }

    // A delta error ends the cycle; the timer is armed again.
    void deltaError()
    {
        Scanning scan({});
        m_server->enqueue(QStringLiteral("53"), ScriptedReply::httpError(500));
        scan.window.timerDelta();
        QTRY_VERIFY(scan.window.deltaTimer.isActive());
        QVERIFY(scan.window.isDeltaError);
        QCOMPARE(scan.workerStarts.size(), 0);
        QVERIFY(fixture::logContains(QStringLiteral("Erreur Connexion get Delta (err=401)")));
    }

    // The punches of this terminal and of another entrance come back in the delta
    // handed to the worker, the other entrance's after the upload.
    void otherEntranceInDelta()
    {
        const QString barcode = m_server->organiser().tickets.at(2).barcode;
        Scanning scan({netfixture::pendingRow(8,
                                              barcode,
                                              QStringLiteral("2030-01-01 10:00:00"),
                                              4001,
                                              m_server->organiser().tickets.at(2).editeurId)});
        // A first full list, to know where the client stands.
        const quint32 since = m_server->currentDelta();
        QVERIFY(m_server->otherPunch(m_server->organiser().tickets.at(3).barcode));
        CDataDelta delta;
        delta.initDefaut();
        delta.ID = since;
        delta.ajouteSql(scan.window.db, scan.window.dbMutex);
        scan.window.timerDelta();
        QTRY_VERIFY(scan.window.deltaTimer.isActive());
        const QJsonObject document = QJsonDocument::fromJson(scan.window.threadGetDelta.data).object();
        const QJsonObject modifs = document.value(QStringLiteral("modifs")).toObject();
        QCOMPARE(modifs.keys().size(), 2);
        QVERIFY(document.value(QStringLiteral("tickets")).toObject().isEmpty());
        QCOMPARE(modifs.value(barcode).toArray().first().toObject().value(QStringLiteral("9")).toString(),
                 QStringLiteral("17"));
        QCOMPARE(m_server->requests(QStringLiteral("53")).first().value(QStringLiteral("dt")), QString::number(since));
    }
};

TAVRIMEX_TEST_MAIN(TestSyncCycle)
#include "TestSyncCycle.moc"
