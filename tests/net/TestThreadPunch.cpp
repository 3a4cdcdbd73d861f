#include "net/CThreadPunch.h"

#include "CoreFixture.h"
#include "DataFixture.h"
#include "NetFixture.h"
#include "TestMain.h"

#include <QSignalSpy>

using standin::ScriptedReply;

class TestThreadPunch : public DataFixture
{
    Q_OBJECT

    std::unique_ptr<standin::StandinServer> m_server;

    QStringList run(const QList<CDataModif>& rows, const QList<ScriptedReply>& replies = {})
    {
        m_server->clearRequests();
        [&] {
            QVERIFY(openRep(QStringLiteral("R4001_Z7.db")));
            QVERIFY(netfixture::addPending(db, &mutex, rows));
        }();
        for (const ScriptedReply& reply : replies) {
            m_server->enqueue(QStringLiteral("61"), reply);
        }
        CThreadPunch worker;
        QSignalSpy finished(&worker, &QThread::finished);
        worker.setData(db, &mutex);
        worker.start();
        if (!finished.wait(10000)) {
            qWarning("worker never finished");
        }
        return netfixture::batchesOf(m_server->requests(QStringLiteral("61")));
    }

private slots:

    void initTestCase()
    {
        fixture::initQuietCore();
        m_server = netfixture::startStandin();
        QVERIFY(m_server);
        netfixture::setSession(m_server->serviceUrl());
    }

    // Batches of one exact TYPE; the worker stops at the first empty reply or error,
    // what was acknowledged staying sent and the rest pending.
    void upload()
    {
        const QList<CDataModif> mixed{netfixture::pendingRow(3, QStringLiteral("A")),
                                      netfixture::pendingRow(8, QStringLiteral("B")),
                                      netfixture::pendingRow(8, QStringLiteral("C"))};
        QCOMPARE(run(mixed), QStringList({"cl1", "cl2"}));
        QCOMPARE(run(netfixture::pendingRows(8, 45), {ScriptedReply::normal(), ScriptedReply::empty()}),
                 QStringList({"cl20", "cl20"}));
        QCOMPARE(netfixture::pendingCount(db), 25);
        QCOMPARE(run(netfixture::pendingRows(16, 3), {ScriptedReply::httpError(500)}), QStringList{"dl3"});
        QCOMPARE(netfixture::pendingCount(db), 3);
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestThreadPunch)
#include "TestThreadPunch.moc"
