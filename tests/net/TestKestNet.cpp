#include "core/CParam.h"
#include "core/DrivenTimers.h"
#include "net/KestNet.h"

#include "CoreFixture.h"
#include "NetFixture.h"
#include "TestMain.h"

#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QUrl>

using standin::ScriptedReply;

class TestKestNet : public QObject
{
    Q_OBJECT

    std::unique_ptr<standin::StandinServer> m_server;
    std::unique_ptr<QNetworkAccessManager> m_manager;

private slots:

    void initTestCase()
    {
        fixture::initQuietCore();
        m_server = netfixture::startStandin();
        QVERIFY(m_server);
        m_manager = std::make_unique<QNetworkAccessManager>();
    }

    void init()
    {
        netfixture::setSession(m_server->serviceUrl());
        m_server->clearRequests();
        fixture::clearLog();
    }

    // One outcome per request, an empty reply a success; a failed reply reports twice
    // and logs twice; a redirect is not followed but fails; the time-out reports once and the
    // reply that comes later reaches nobody. Host without the port, one length.
    void outcomes_data()
    {
        QTest::addColumn<ScriptedReply>("reply");
        QTest::addColumn<QString>("timeout");
        QTest::addColumn<QStringList>("outcome");
        QTest::newRow("reply") << ScriptedReply::bytes("abc") << "300" << QStringList{"reply:abc"};
        QTest::newRow("empty") << ScriptedReply::empty() << "300" << QStringList{"reply:"};
        QTest::newRow("500") << ScriptedReply::httpError(500) << "300" << QStringList{"error:401", "error:401"};
        QTest::newRow("closed") << ScriptedReply::close() << "300" << QStringList{"error:2", "error:2"};
        // Its body is no answer of the service: it must acknowledge nothing.
        QTest::newRow("redirect") << ScriptedReply::redirect("http://127.0.0.1:1/x", "moved") << "300"
                                  << QStringList{"error:399"};
        QTest::newRow("time-out") << ScriptedReply::bytes("late").delayed(1300) << "1" << QStringList{"error:4"};
    }

    void outcomes()
    {
        QFETCH(ScriptedReply, reply);
        QFETCH(QString, timeout);
        QFETCH(QStringList, outcome);
        gParam->initParametre(TIMEOUT, timeout);
        // A connection closed before any byte is tried once more by the client.
        const int tries = reply.kind == ScriptedReply::Kind::Close ? 2 : 1;
        for (int i = 0; i < tries; ++i) {
            m_server->enqueue(QStringLiteral("11"), reply);
        }
        // What the request reported once it is gone and its queued reply delivered.
        QStringList got;
        auto* request = new KestNet(m_manager.get());
        connect(
            request,
            &KestNet::signal_Response,
            this,
            [&got](const QByteArray& response) {
                got.append("reply:" + QString::fromLatin1(response));
            },
            Qt::QueuedConnection);
        connect(request, &KestNet::signal_Error, this, [&got](int code) {
            got.append("error:" + QString::number(code));
        });
        QSignalSpy destroyed(request, &QObject::destroyed);
        request->Init(m_server->serviceUrl(), QStringLiteral("test"), "d={\"pa\":\"11\"}");
        request->Request();
        QVERIFY(destroyed.wait(10000));
        QCoreApplication::processEvents();
        QCOMPARE(got, outcome);
        QCOMPARE(fixture::logLines().filter(QStringLiteral(" - error - Kestnet ")).size(),
                 outcome.filter("error:").size() == 2  ? 2
                 : outcome == QStringList{"error:399"} ? 1
                                                       : 0);
        QCOMPARE(m_server->requests().size(), tries);
        const standin::RecordedRequest sent = m_server->requests().value(0);
        QCOMPARE(sent.header("Host"), QByteArrayLiteral("127.0.0.1"));
        QCOMPARE(sent.headerCount("Content-Length"), 1);
        QCOMPARE(sent.header("Content-Length"), QByteArray::number(sent.body.size()));
        QCOMPARE(sent.header("Connection") + ' ' + sent.header("Content-Type"),
                 QByteArrayLiteral("close application/x-www-form-urlencoded"));
    }

    void timeoutSetting_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<int>("ms");
        QTest::newRow("default") << "300" << 300000;
        QTest::newRow("zero fails at once") << "0" << 0;
        QTest::newRow("not a number fails at once") << "abc" << 0;
        QTest::newRow("negative falls back") << "-5" << 300000;
        QTest::newRow("overflow falls back") << "2147484" << 300000;
    }

    void timeoutSetting()
    {
        QFETCH(QString, setting);
        QFETCH(int, ms);
        QCOMPARE(KestNet::timeoutMs(setting), ms);
    }

    // The time-out is handed to a driver when there is one: it runs with the setting's
    // length from the request on, and fires when the driver says, not before.
    void timeOutDriven()
    {
        QList<QTimer*> enrolled;
        driventimers::setDriver([&enrolled](QTimer* timer) {
            enrolled << timer;
        });
        gParam->initParametre(TIMEOUT, QStringLiteral("1"));
        m_server->enqueue(QStringLiteral("11"), ScriptedReply::silent());
        auto* request = new KestNet(m_manager.get());
        driventimers::setDriver({});
        QSignalSpy errors(request, &KestNet::signal_Error);
        QCOMPARE(enrolled.size(), 1);
        QCOMPARE(enrolled.first(), &request->timer);
        request->Init(m_server->serviceUrl(), QStringLiteral("ping"), QByteArrayLiteral("d={\"pa\":\"11\"}"));
        request->Request();
        QVERIFY(request->timer.isActive());
        QCOMPARE(request->timer.interval(), 1000);
        QTimerEvent due(request->timer.timerId());
        QCoreApplication::sendEvent(&request->timer, &due);
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors.first().first().toInt(), 4);
    }

    // What the service may send in its own answer's place, and requests it keeps
    // waiting: held, never answered, or not taken until the caller says.
    void serviceAnswers_data()
    {
        QTest::addColumn<ScriptedReply>("reply");
        QTest::addColumn<bool>("deferred");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("a proxy's page") << ScriptedReply::proxyPage() << false << "<!DOCTYPE html>";
        QTest::newRow("half the answer") << ScriptedReply::truncatedDocument() << false << "{\"modifs\":[\"Corr";
        QTest::newRow("held") << ScriptedReply::held() << false << "waits";
        QTest::newRow("never answered") << ScriptedReply::silent() << false << "waits";
        QTest::newRow("not taken yet") << ScriptedReply::normal() << true << "waits";
    }

    void serviceAnswers()
    {
        QFETCH(ScriptedReply, reply);
        QFETCH(bool, deferred);
        QFETCH(QString, outcome);
        gParam->initParametre(TIMEOUT, QStringLiteral("300"));
        m_server->enqueue(QStringLiteral("17"), reply);
        m_server->setDeferred(deferred);
        QString got = QStringLiteral("waits");
        auto* request = new KestNet(m_manager.get());
        connect(request, &KestNet::signal_Response, this, [&got](const QByteArray& response) {
            got = QString::fromUtf8(response);
        });
        QSignalSpy destroyed(request, &QObject::destroyed);
        request->Init(m_server->serviceUrl(), QStringLiteral("update"), QByteArrayLiteral("d={\"pa\":\"17\"}"));
        request->Request();
        QTRY_COMPARE(m_server->requests().size(), 1);
        if (outcome != QLatin1String("waits")) {
            QTRY_COMPARE(destroyed.size(), 1);
            // A whole response, status 200, and no document.
            QVERIFY2(got.startsWith(outcome), qPrintable(got));
            QVERIFY(QJsonDocument::fromJson(got.toUtf8()).isNull());
            QVERIFY(m_server->unansweredOpen().isEmpty() && m_server->deferredRequests().isEmpty());
            return;
        }
        QCOMPARE(m_server->deferredRequests(), deferred ? QList<int>{0} : QList<int>{});
        QCOMPARE(m_server->unansweredOpen(), deferred ? QList<int>{} : QList<int>{0});
        QCOMPARE(got, QStringLiteral("waits"));
        if (deferred) {
            // Taken now, with the script queued for it.
            m_server->setDeferred(false);
            QTRY_COMPARE(destroyed.size(), 1);
            QVERIFY2(got.contains(QLatin1String("getUpdate")), qPrintable(got));
            return;
        }
        // Its client gone, nothing waits any more.
        delete request;
        QTRY_VERIFY(m_server->unansweredOpen().isEmpty());
        QTRY_COMPARE(m_server->openConnections(), 0);
        m_server->release(0);
    }

    // A request the stand-in still keeps when its requests are cleared is not left to
    // wait, nor answered later as the next request that takes its index: its connection
    // closes, and the next request gets its own answer. Plain sockets, which never send
    // a request again on a new connection.
    void requestsCleared_data()
    {
        QTest::addColumn<ScriptedReply>("reply");
        QTest::addColumn<bool>("deferred");
        QTest::newRow("held") << ScriptedReply::held() << false;
        QTest::newRow("never answered") << ScriptedReply::silent() << false;
        QTest::newRow("not taken yet") << ScriptedReply::normal() << true;
    }

    void requestsCleared()
    {
        QFETCH(ScriptedReply, reply);
        QFETCH(bool, deferred);
        m_server->enqueue(QStringLiteral("17"), reply);
        m_server->enqueue(QStringLiteral("17"), reply);
        m_server->setDeferred(deferred);
        const QUrl url(m_server->serviceUrl());
        const auto post = [&url](QTcpSocket& socket, const QByteArray& body) {
            socket.connectToHost(url.host(), static_cast<quint16>(url.port()));
            QVERIFY(socket.waitForConnected(5000));
            socket.write("POST " + url.path().toUtf8() + " HTTP/1.1\r\nHost: " + url.host().toUtf8()
                         + "\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: "
                         + QByteArray::number(body.size()) + "\r\n\r\n" + body);
        };
        QTcpSocket first;
        post(first, QByteArrayLiteral("d={\"pa\":\"17\"}"));
        QTRY_COMPARE(m_server->requests().size(), 1);
        m_server->clearRequests();
        QTRY_COMPARE(first.state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(first.readAll(), QByteArray());

        m_server->setDeferred(deferred);
        QTcpSocket second;
        post(second, QByteArrayLiteral("d={\"pa\":\"17\"}"));
        QTRY_COMPARE(m_server->requests().size(), 1);
        if (deferred) {
            m_server->setDeferred(false);
        } else if (reply.kind == ScriptedReply::Kind::Held) {
            QCOMPARE(m_server->heldRequests(), QList<int>{0});
            m_server->release(0);
        }
        if (reply.kind == ScriptedReply::Kind::Silent) {
            QCOMPARE(m_server->unansweredOpen(), QList<int>{0});
        } else {
            QTRY_VERIFY(second.bytesAvailable() > 0);
            QVERIFY(second.readAll().startsWith("HTTP/1.1 200"));
        }
        QCOMPARE(m_server->heldRequests(), QList<int>{});
    }

    // A request whose manager goes (its window closed) goes too, without reporting.
    void managerGoesFirst()
    {
        auto* manager = new QNetworkAccessManager;
        m_server->enqueue(QStringLiteral("11"), ScriptedReply::silent());
        auto* request = new KestNet(manager);
        QSignalSpy errors(request, &KestNet::signal_Error);
        QSignalSpy destroyed(request, &QObject::destroyed);
        request->Init(m_server->serviceUrl(), QStringLiteral("ping"), QByteArrayLiteral("d={\"pa\":\"11\"}"));
        request->Request();
        QTRY_COMPARE(m_server->requests().size(), 1);
        delete manager;
        QVERIFY(destroyed.wait());
        QCOMPARE(errors.size(), 0);
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestKestNet)
#include "TestKestNet.moc"
