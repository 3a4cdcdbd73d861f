#include "core/CParam.h"
#include "net/CThreadPunch.h"

#include "CoreFixture.h"
#include "DataFixture.h"
#include "NetFixture.h"
#include "TestMain.h"

#include <QSignalSpy>

#include <memory>

using standin::ScriptedReply;

class TestThreadPunch : public DataFixture
{
    Q_OBJECT

    std::unique_ptr<standin::StandinServer> m_server;

    QStringList upload(const QList<CDataModif>& rows, const QList<ScriptedReply>& replies = {})
    {
        [&] {
            QVERIFY(openRep(QStringLiteral("R4001_Z7.db")));
            QVERIFY(rows.isEmpty() || netfixture::addPending(db, &mutex, rows));
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
        QStringList batches;
        for (const standin::RecordedRequest& request : m_server->requests(QStringLiteral("61"))) {
            const QString key = request.keys.last();
            batches.append(key + QString::number(request.value(key).count(QLatin1Char(';'))));
        }
        return batches;
    }

    int pending()
    {
        return sqlRows(db, QStringLiteral("select count(*) from MODIF where STATUS=1")).value(0).toInt();
    }

private slots:

    void initTestCase()
    {
        fixture::initQuietCore();
        m_server = netfixture::startStandin();
        QVERIFY(m_server);
    }

    void init()
    {
        netfixture::setSession(m_server->serviceUrl());
        m_server->clearRequests();
    }

    void batchesOfOneType()
    {
        QCOMPARE(upload(netfixture::pendingRows(8, 45)), QStringList({"cl20", "cl20", "cl5"}));
        QCOMPARE(pending(), 0);
        QCOMPARE(m_server->requests().first().keys,
                 QStringList({"pa", "se", "lg", "ta", "pw", "si", "zo", "jo", "dt", "da", "ba", "fv", "id", "cl"}));
        m_server->clearRequests();
        const QList<CDataModif> mixed{netfixture::pendingRow(3, QStringLiteral("A")),
                                      netfixture::pendingRow(8, QStringLiteral("B")),
                                      netfixture::pendingRow(8, QStringLiteral("C"))};
        QCOMPARE(upload(mixed), QStringList({"cl1", "cl2"}));
    }

    // The worker stops at the first empty reply or error; what was acknowledged stays
    // sent and the rest pending.
    void stopsUnacknowledged()
    {
        QCOMPARE(upload(netfixture::pendingRows(8, 45), {ScriptedReply::normal(), ScriptedReply::empty()}),
                 QStringList({"cl20", "cl20"}));
        QCOMPARE(pending(), 25);
        m_server->clearRequests();
        fixture::clearLog();
        QCOMPARE(upload(netfixture::pendingRows(16, 3), {ScriptedReply::httpError(500)}), QStringList{"dl3"});
        QCOMPARE(pending(), 3);
        QVERIFY(fixture::logContains(QStringLiteral("Erreur Connexion Send Punch (err=401) : req = ")));
    }

    void nothingPending()
    {
        QCOMPARE(upload({}), QStringList());
        QCOMPARE(m_server->requests().size(), 0);
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestThreadPunch)
#include "TestThreadPunch.moc"
