#include "DoorFixture.h"
#include "TestMain.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

using standin::ScriptedReply;

namespace
{

QByteArray anyDocument()
{
    return QByteArrayLiteral("{\"dt\":\"1\",\"tickets\":{},\"modifs\":{}}");
}

}  // namespace

// The service misbehaving while the door works: every fault is logged, nothing the
// agent saw punched is lost or counted twice, and the cycle recovers by itself.
class TestServiceFaults : public DoorTestBase
{
    Q_OBJECT

private slots:

    // Each fault of an upload or a delta: its log line, nothing marked sent that the
    // service did not acknowledge, and the next cycle sending what is left.
    void eachFault_data()
    {
        QTest::addColumn<QString>("route");
        QTest::addColumn<ScriptedReply>("reply");
        QTest::addColumn<QString>("logged");
        const QString upload = QStringLiteral("61");
        const QString delta = QStringLiteral("53");
        QTest::newRow("upload: empty") << upload << ScriptedReply::empty() << "Erreur Send Punch : reponse vide";
        QTest::newRow("upload: HTTP 500")
            << upload << ScriptedReply::httpError(500) << "Erreur Connexion Send Punch (err=401)";
        QTest::newRow("upload: dropped") << upload << ScriptedReply::close() << "Erreur Connexion Send Punch (err=2)";
        QTest::newRow("upload: cut") << upload << ScriptedReply::cutShort("1111")
                                     << "Erreur Connexion Send Punch (err=2)";
        QTest::newRow("upload: late") << upload << ScriptedReply::normal().delayed(1500)
                                      << "Erreur Connexion Send Punch (err=4)";
        QTest::newRow("delta: empty") << delta << ScriptedReply::empty()
                                      << "Erreur de decodage de la reponse JSON de recuperation des billets";
        QTest::newRow("delta: invalid JSON") << delta << ScriptedReply::invalidJson()
                                             << "Erreur de decodage de la reponse JSON de recuperation des billets";
        QTest::newRow("delta: HTTP 404") << delta << ScriptedReply::httpError(404)
                                         << "Erreur Connexion get Delta (err=203)";
        QTest::newRow("delta: cut") << delta << ScriptedReply::cutShort(anyDocument())
                                    << "Erreur Connexion get Delta (err=2)";
        QTest::newRow("delta: late") << delta << ScriptedReply::normal().delayed(1500)
                                     << "Erreur Connexion get Delta (err=4)";
    }

    void eachFault()
    {
        QFETCH(QString, route);
        QFETCH(ScriptedReply, reply);
        QFETCH(QString, logged);
        for (int i = 0; i < 3; ++i) {
            scanfixture::scan(*m_window, m_tickets.at(i * 4).barcode);
        }
        QCOMPARE(pending(), 3);
        // Qt posts a request again, once, when its connection drops before any answer.
        for (int i = 0; i < (reply.kind == ScriptedReply::Kind::Close ? 2 : 1); ++i) {
            m_server->enqueue(route, reply);
        }
        QVERIFY(cycle());
        QVERIFY2(fixture::logContains(logged), qPrintable(fixture::logLines().join(QLatin1Char('\n'))));
        QCOMPARE(pending(), route == QLatin1String("61") ? 3 : 0);
        QVERIFY(cycle());
        QCOMPARE(pending(), 0);
        const QHash<QString, int> taken = takenPunches();
        for (int i = 0; i < 3; ++i) {
            const standin::Ticket& scanned = m_tickets.at(i * 4);
            QCOMPARE(taken.value(scanned.barcode), 1);
            // An item sent again after a lost acknowledgement is taken once, as the
            // service does.
            for (const standin::Ticket& now : std::as_const(*m_server).organiser().tickets) {
                if (now.barcode == scanned.barcode && now.editeurId == scanned.editeurId) {
                    QCOMPARE(now.nbCompostage, scanned.nbCompostage - 1);
                }
            }
        }
    }

    // A long run at the door while the service answers badly a third of the time.
    void longRunWithRandomFaults()
    {
        const QList<ScriptedReply> uploadFaults{ScriptedReply::empty(),
                                                ScriptedReply::httpError(500),
                                                ScriptedReply::close(),
                                                ScriptedReply::cutShort("1111"),
                                                ScriptedReply::chunkedBytes("1")};
        const QList<ScriptedReply> deltaFaults{ScriptedReply::empty(),
                                               ScriptedReply::invalidJson(),
                                               ScriptedReply::scalar(),
                                               ScriptedReply::latin1Names(),
                                               ScriptedReply::httpError(404),
                                               ScriptedReply::close(),
                                               ScriptedReply::cutShort(anyDocument())};
        QRandomGenerator random(16);
        int lateFaults = 0;
        QObject::connect(m_server.get(), &standin::StandinServer::requestReceived, m_server.get(), [&](int) {
            const bool fault = random.bounded(3) == 0;
            if (!fault) {
                return;
            }
            // The next request of a route meets the fault; a few are late past the time-out.
            if (lateFaults < 3 && random.bounded(10) == 0) {
                ++lateFaults;
                m_server->enqueue(random.bounded(2) ? QStringLiteral("61") : QStringLiteral("53"),
                                  ScriptedReply::normal().delayed(1200));
                return;
            }
            m_server->enqueue(QStringLiteral("61"), uploadFaults.at(random.bounded(uploadFaults.size())));
            m_server->enqueue(QStringLiteral("53"), deltaFaults.at(random.bounded(deltaFaults.size())));
        });
        m_window->deltaTimer.start();

        QHash<QString, int> accepted;
        QHash<QString, qint64> scannedAt;
        QElapsedTimer clock;
        clock.start();
        for (int scanCount = 0; scanCount < 120; ++scanCount) {
            const standin::Ticket& ticket = m_tickets.at(random.bounded(m_tickets.size()));
            // Two punches of one ticket within a second are one item for the service.
            if (scannedAt.contains(ticket.barcode) && clock.elapsed() - scannedAt.value(ticket.barcode) < 1100) {
                continue;
            }
            scannedAt.insert(ticket.barcode, clock.elapsed());
            scanfixture::scan(*m_window, ticket.barcode);
            if (scanfixture::status(*m_window) == scanfixture::label(64)) {
                accepted[ticket.barcode] += 1;
            }
            QTest::qWait(static_cast<int>(random.bounded(40)));
        }
        QObject::disconnect(m_server.get(), nullptr, m_server.get(), nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(pending() == 0 && !m_window->isSyncRunning, 30000);
        QVERIFY(cycle());

        QVERIFY(!accepted.isEmpty());
        const QHash<QString, int> taken = takenPunches();
        for (auto it = accepted.cbegin(); it != accepted.cend(); ++it) {
            QCOMPARE(taken.value(it.key()), it.value());
        }
        for (const standin::Ticket& ticket : m_server->organiser().tickets) {
            if (ticket.repId == 4001 && !ticket.isDeleted) {
                QCOMPARE(
                    scanfixture::rows(
                        *m_window,
                        QStringLiteral("select NB_COMPOSTAGE from BILLET where CODE_BARRE='%1'").arg(ticket.barcode))
                        .value(0)
                        .toUInt(),
                    ticket.nbCompostage);
            }
        }
        QCOMPARE(scanfixture::rows(*m_window, QStringLiteral("pragma integrity_check")), QStringList{"ok"});
    }
};

TAVRIMEX_TEST_MAIN(TestServiceFaults)
#include "TestServiceFaults.moc"
