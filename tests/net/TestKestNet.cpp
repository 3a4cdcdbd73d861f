#include "core/CParam.h"
#include "net/KestNet.h"

#include "CoreFixture.h"
#include "NetFixture.h"
#include "TestMain.h"

#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTimer>

#include <memory>

using standin::ScriptedReply;

namespace
{

struct Outcome
{
    QList<QByteArray> responses;
    QList<int> errors;
};

// Posts `body` to `url` and waits until the request object is gone and its queued
// reply delivered.
Outcome post(QNetworkAccessManager& manager, const QString& url, const QByteArray& body = QByteArrayLiteral("d={}"))
{
    Outcome outcome;
    auto* request = new KestNet(&manager);
    QObject::connect(
        request,
        &KestNet::signal_Response,
        &manager,
        [&outcome](const QByteArray& response) {
            outcome.responses.append(response);
        },
        Qt::QueuedConnection);
    QObject::connect(request, &KestNet::signal_Error, &manager, [&outcome](int code) {
        outcome.errors.append(code);
    });
    QSignalSpy destroyed(request, &QObject::destroyed);
    request->Init(url, QStringLiteral("test"), body);
    request->Request();
    if (!destroyed.wait(10000)) {
        qWarning("request never ended");
    }
    QCoreApplication::processEvents();
    return outcome;
}

int logCount(const QString& text)
{
    int count = 0;
    for (const QString& line : fixture::logLines()) {
        count += line.contains(text) ? 1 : 0;
    }
    return count;
}

}  // namespace

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

    // One outcome per request, two reports for a failed reply.
    void outcomes_data()
    {
        QTest::addColumn<ScriptedReply>("reply");
        QTest::addColumn<QList<QByteArray>>("responses");
        QTest::addColumn<QList<int>>("errors");
        QTest::addColumn<int>("errorLines");
        QTest::newRow("reply") << ScriptedReply::bytes("abc") << QList<QByteArray>{"abc"} << QList<int>{} << 0;
        QTest::newRow("empty reply is a success")
            << ScriptedReply::empty() << QList<QByteArray>{""} << QList<int>{} << 0;
        QTest::newRow("chunked") << ScriptedReply::chunkedBytes("hello world") << QList<QByteArray>{"hello world"}
                                 << QList<int>{} << 0;
        QTest::newRow("500 twice") << ScriptedReply::httpError(500) << QList<QByteArray>{} << QList<int>{401, 401} << 2;
        QTest::newRow("404 twice") << ScriptedReply::httpError(404) << QList<QByteArray>{} << QList<int>{203, 203} << 2;
        QTest::newRow("closed connection") << ScriptedReply::close() << QList<QByteArray>{} << QList<int>{2, 2} << 2;
    }

    void outcomes()
    {
        QFETCH(ScriptedReply, reply);
        QFETCH(QList<QByteArray>, responses);
        QFETCH(QList<int>, errors);
        QFETCH(int, errorLines);
        // A connection closed before any byte is tried once more by the client.
        const int tries = reply.kind == ScriptedReply::Kind::Close ? 2 : 1;
        for (int i = 0; i < tries; ++i) {
            m_server->enqueue(QStringLiteral("11"), reply);
        }
        const Outcome outcome = post(*m_manager, m_server->serviceUrl(), QByteArrayLiteral("d={\"pa\":\"11\"}"));
        QCOMPARE(outcome.responses, responses);
        QCOMPARE(outcome.errors, errors);
        QCOMPARE(logCount(QStringLiteral("Kestnet Error Request ("))
                     + logCount(QStringLiteral("Kestnet Request "
                                               "finished with Error  "
                                               ": ")),
                 errorLines);
    }

    void headers()
    {
        const QByteArray body = QByteArrayLiteral("d={\"pa\":\"11\",\"se\":\"x\"}");
        QCOMPARE(post(*m_manager, m_server->serviceUrl(), body).responses.size(), 1);
        QCOMPARE(post(*m_manager, m_server->imageUrl(QStringLiteral("a.png")), QByteArray()).responses.size(), 1);
        const QList<standin::RecordedRequest> requests = m_server->requests();
        QCOMPARE(requests.size(), 2);
        const standin::RecordedRequest& first = requests[0];
        QCOMPARE(first.requestLine, QByteArrayLiteral("POST /accessctrl/? HTTP/1.1"));
        QCOMPARE(first.header("Host"), QByteArrayLiteral("127.0.0.1"));
        QCOMPARE(first.headerCount("Content-Length"), 1);
        QCOMPARE(first.header("Content-Length"), QByteArray::number(body.size()));
        QCOMPARE(first.header("Connection"), QByteArrayLiteral("close"));
        QCOMPARE(first.header("Content-Type"), QByteArrayLiteral("application/x-www-form-urlencoded"));
        QCOMPARE(first.body, body);
        QCOMPARE(requests[1].header("Content-Length"), QByteArrayLiteral("0"));
    }

    // A redirect ends the request with its own body: it is not followed.
    void redirectNotFollowed()
    {
        m_server->enqueue(QStringLiteral("11"),
                          ScriptedReply::redirect(m_server->imageUrl(QStringLiteral("x.png")).toLatin1(), "moved"));
        const Outcome outcome = post(*m_manager, m_server->serviceUrl(), QByteArrayLiteral("d={\"pa\":\"11\"}"));
        QCOMPARE(outcome.responses, QList<QByteArray>{"moved"});
        QCOMPARE(m_server->requests().size(), 1);
    }

    void refusedPort()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        const quint16 port = closed.serverPort();
        closed.close();
        const Outcome outcome = post(*m_manager, QStringLiteral("http://127.0.0.1:%1/accessctrl/?").arg(port));
        QCOMPARE(outcome.errors, QList<int>({1, 1}));
    }

    // The time-out reports once; the reply that comes later reaches nobody.
    void timeoutThenLateReply()
    {
        gParam->initParametre(TIMEOUT, QStringLiteral("1"));
        m_server->enqueue(QStringLiteral("11"), ScriptedReply::bytes("late").delayed(1300));
        const Outcome outcome = post(*m_manager, m_server->serviceUrl(), QByteArrayLiteral("d={\"pa\":\"11\"}"));
        QCOMPARE(outcome.errors, QList<int>{4});
        QVERIFY(outcome.responses.isEmpty());
        QCOMPARE(logCount(QStringLiteral("critique - Kestnet Time Out Request : ")), 1);
        // Past the moment the server answers: the next request still gets its own reply.
        QTimer late;
        late.setSingleShot(true);
        QSignalSpy lateSpy(&late, &QTimer::timeout);
        late.start(600);
        QVERIFY(lateSpy.wait());
        gParam->initParametre(TIMEOUT, QStringLiteral("300"));
        QCOMPARE(post(*m_manager, m_server->serviceUrl(), QByteArrayLiteral("d={\"pa\":\"11\"}")).responses,
                 QList<QByteArray>{"1"});
    }

    void immediateTimeout()
    {
        gParam->initParametre(TIMEOUT, QStringLiteral("0"));
        const Outcome outcome = post(*m_manager, m_server->serviceUrl(), QByteArrayLiteral("d={\"pa\":\"11\"}"));
        QCOMPARE(outcome.errors, QList<int>{4});
        QVERIFY(outcome.responses.isEmpty());
    }

    void timeoutSetting_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<int>("ms");
        QTest::newRow("default") << "300" << 300000;
        QTest::newRow("one second") << "1" << 1000;
        QTest::newRow("zero fails at once") << "0" << 0;
        QTest::newRow("not a number fails at once") << "abc" << 0;
        QTest::newRow("empty fails at once") << "" << 0;
        QTest::newRow("negative falls back") << "-5" << 300000;
        QTest::newRow("overflow falls back") << "2147484" << 300000;
        QTest::newRow("largest") << "2147483" << 2147483000;
    }

    void timeoutSetting()
    {
        QFETCH(QString, setting);
        QFETCH(int, ms);
        QCOMPARE(KestNet::timeoutMs(setting), ms);
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

    // A host-only proxy goes on the shared manager and stays there.
    void proxyStays()
    {
        QNetworkAccessManager manager;
        gParam->initParametre(PROXY, QStringLiteral("proxy.invalid"));
        delete new KestNet(&manager);
        gParam->initParametre(PROXY, QString());
        delete new KestNet(&manager);
        QCOMPARE(manager.proxy().hostName(), QStringLiteral("proxy.invalid"));
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestKestNet)
#include "TestKestNet.moc"
