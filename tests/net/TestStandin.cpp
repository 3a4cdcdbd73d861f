#include "CoreFixture.h"
#include "NetFixture.h"
#include "TestMain.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>

#include <memory>

using standin::StandinServer;

namespace
{

QHash<QString, QString> ticketsRequest(quint32 since, const QString& id = QStringLiteral("4001"))
{
    return {{QStringLiteral("dt"), QString::number(since)},
            {QStringLiteral("ba"), QStringLiteral("1")},
            {QStringLiteral("id"), id},
            {QStringLiteral("jo"), QStringLiteral("0")}};
}

}  // namespace

// The stand-in is what the later tests and the demo trust to behave like the
// service: its deltas, its record of requests and its documents.
class TestStandin : public QObject
{
    Q_OBJECT

    std::unique_ptr<StandinServer> m_server;

private slots:

    void init()
    {
        fixture::initQuietCore();
        m_server = std::make_unique<StandinServer>(netfixture::smallOrganiser());
        QVERIFY(m_server->listen());
    }

    // A delta carries only what changed since "dt": history of the other entrance,
    // tickets added, a drop on request.
    void deltas()
    {
        const QJsonObject full = m_server->ticketsDocument(ticketsRequest(0));
        QCOMPARE(full.value(QStringLiteral("tickets")).toObject().size(), 5);
        QVERIFY(full.contains(QStringLiteral("rep")) && full.contains(QStringLiteral("pub")));
        const quint32 since = quint32(full.value(QStringLiteral("dt")).toInteger());

        const QString barcode = full.value(QStringLiteral("tickets")).toObject().keys().first();
        QVERIFY(m_server->otherPunch(barcode));
        QVERIFY(!m_server->otherPunch(QStringLiteral("nope")));
        standin::Ticket added = m_server->organiser().tickets.first();
        added.barcode = QStringLiteral("NEW1");
        m_server->putTicket(added);
        const QJsonObject delta = m_server->ticketsDocument(ticketsRequest(since));
        QCOMPARE(delta.value(QStringLiteral("tickets")).toObject().keys(), QStringList{"NEW1"});
        const QJsonArray history = delta.value(QStringLiteral("modifs")).toObject().value(barcode).toArray();
        QCOMPARE(history.size(), 1);
        QCOMPARE(history[0].toObject().value(QStringLiteral("9")).toString(), QStringLiteral("23"));
        QVERIFY(!delta.contains(QStringLiteral("rep")));

        const QJsonObject nothing = m_server->ticketsDocument(ticketsRequest(m_server->currentDelta()));
        QVERIFY(nothing.value(QStringLiteral("tickets")).toObject().isEmpty());
        m_server->requestDrop();
        const QJsonObject dropped = m_server->ticketsDocument(ticketsRequest(m_server->currentDelta()));
        QVERIFY(dropped.value(QStringLiteral("drop")).toBool());
        QCOMPARE(dropped.value(QStringLiteral("tickets")).toObject().size(), 6);
        QVERIFY(!m_server->ticketsDocument(ticketsRequest(0)).contains(QStringLiteral("drop")));
        // The pass's list is named "-" and its id.
        QCOMPARE(m_server->ticketsDocument(ticketsRequest(0, QStringLiteral("-901")))
                     .value(QStringLiteral("tickets"))
                     .toObject()
                     .size(),
                 10);
    }

    // Keys in order and values as meant, even when a raw quote broke the JSON.
    void recordsBrokenBodies()
    {
        QNetworkAccessManager manager;
        QNetworkRequest request{QUrl(m_server->serviceUrl())};
        request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
        QNetworkReply* reply =
            manager.post(request, QByteArrayLiteral("d={\"pa\":\"11\",\"lg\":\"a\"b%26c\",\"cl\":\"1;\"}"));
        QSignalSpy finished(reply, &QNetworkReply::finished);
        QVERIFY(finished.wait());
        QCOMPARE(reply->readAll(), QByteArrayLiteral("1"));
        reply->deleteLater();
        const standin::RecordedRequest recorded = m_server->requests().first();
        QCOMPARE(recorded.keys, QStringList({"pa", "lg", "cl"}));
        QCOMPARE(recorded.value(QStringLiteral("lg")), QStringLiteral("a\"b&c"));
        QCOMPARE(recorded.route(), QStringLiteral("11"));
    }

    // Punches of both layouts change the organiser's tickets and are logged as this
    // terminal's history.
    void receivesPunches()
    {
        const standin::Ticket ticket = m_server->organiser().tickets.at(1);
        standin::RecordedRequest request;
        const QString window =
            QStringLiteral("20300101100000%1:%2:%3;").arg(ticket.barcode).arg(ticket.repId).arg(ticket.editeurId);
        const QString tile =
            QStringLiteral("20300101100500:%1:%2:%3;").arg(ticket.barcode).arg(ticket.editeurId).arg(ticket.repId);
        QNetworkAccessManager manager;
        for (const QString& body : {QStringLiteral("d={\"pa\":\"61\",\"cl\":\"%1%1\"}").arg(window),
                                    QStringLiteral("d={\"pa\":\"61\",\"dl\":\"%1\"}").arg(tile)}) {
            QNetworkRequest post{QUrl(m_server->serviceUrl())};
            post.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
            QNetworkReply* reply = manager.post(post, body.toLatin1());
            QSignalSpy finished(reply, &QNetworkReply::finished);
            QVERIFY(finished.wait());
            reply->deleteLater();
        }
        const QList<standin::ReceivedPunch> punches = m_server->receivedPunches();
        QCOMPARE(punches.size(), 3);
        QVERIFY(!punches[0].tileLayout && punches[2].tileLayout);
        QCOMPARE(punches[2].editeurId, ticket.editeurId);
        QCOMPARE(punches[2].repId, ticket.repId);
        QCOMPARE(m_server->duplicatePunches(), 1);
        QCOMPARE(m_server->organiser().tickets.at(1).nbCompostage, 1u);
        QCOMPARE(m_server->organiser().history.last().agentId, QStringLiteral("17"));
        QCOMPARE(m_server->organiser().history.last().type, 4u);
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestStandin)
#include "TestStandin.moc"
