#include "net/CSocketKestrova.h"

#include "CoreFixture.h"
#include "NetFixture.h"
#include "TestMain.h"

#include <QPointer>
#include <QSignalSpy>

using Chunk = standin::RawPeer::Chunk;

Q_DECLARE_METATYPE(QList<Chunk>)

class TestSocketKestrova : public QObject
{
    Q_OBJECT

private slots:

    void initTestCase()
    {
        fixture::initQuietCore();
    }

    // One outcome, the whole body as sent, then the object goes.
    void replies_data()
    {
        QTest::addColumn<QList<Chunk>>("chunks");
        QTest::addColumn<bool>("closeAfter");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("code");
        const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Length: 11\r\n\r\n";
        QTest::newRow("whole reply") << QList<Chunk>{{0, head + "hello world"}} << false << QByteArray("hello world")
                                     << 0;
        QTest::newRow("split reply") << QList<Chunk>{{0, head + "hello"}, {50, " world"}} << false
                                     << QByteArray("hello world") << 0;
        QTest::newRow("interim 1xx first")
            << QList<Chunk>{{0, "HTTP/1.1 100 Continue\r\nX: 1\r\n\r\n" + head + "hello world"}} << false
            << QByteArray("hello world") << 0;
        QTest::newRow("other status: its body")
            << QList<Chunk>{{0, "HTTP/1.1 404 No\r\nContent-length: 2\r\n\r\nno"}} << false << QByteArray("no") << 0;
        QTest::newRow("bytes past the length")
            << QList<Chunk>{{0, head + "hello worldXY"}} << false << QByteArray("hello world") << 0;
        // Each arrival gives the reply the whole time-out again (1 s).
        QTest::newRow("slow reply") << QList<Chunk>{{0, head + "hel"}, {700, "lo wo"}, {700, "rld"}} << false
                                    << QByteArray("hello world") << 0;
        QTest::newRow("line ends kept") << QList<Chunk>{{0, "HTTP/1.1 200 OK\r\nContent-length: 6\r\n\r\na\r\nb\nc"}}
                                        << false << QByteArray("a\r\nb\nc") << 0;
        QTest::newRow("no length: up to the close")
            << QList<Chunk>{{0, "HTTP/1.1 200 OK\r\n\r\nab"}, {30, "cd"}} << true << QByteArray("abcd") << 0;
        QTest::newRow("closed without data") << QList<Chunk>{} << true << QByteArray() << 4;
        QTest::newRow("truncated body") << QList<Chunk>{{0, head + "hello"}} << true << QByteArray() << 4;
        QTest::newRow("silent") << QList<Chunk>{} << false << QByteArray() << 4;
    }

    void replies()
    {
        QFETCH(QList<Chunk>, chunks);
        QFETCH(bool, closeAfter);
        QFETCH(QByteArray, body);
        QFETCH(int, code);
        standin::RawPeer peer;
        QVERIFY(peer.listen());
        peer.script(chunks, closeAfter);
        QPointer<CSocketKestrova> socket = new CSocketKestrova;
        socket->timeoutMs = 1000;
        socket->init(QStringLiteral("ab:cd"), QString(), QString());
        QSignalSpy reception(socket.data(), &CSocketKestrova::signal_reception);
        socket->emission(QStringLiteral("http://127.0.0.1:%1/").arg(peer.port()), QStringLiteral("check"));
        QTRY_VERIFY_WITH_TIMEOUT(socket.isNull(), 5000);
        QCOMPARE(reception.size(), 1);
        QCOMPARE(reception[0][2].toInt(), code);
        QCOMPARE(reception[0][1].toByteArray(), body);
        QCOMPARE(reception[0][0].toString(), code == 0 ? QStringLiteral("check") : QString::fromUtf8(peer.received()));
    }

    // The length announced is that of the bytes sent, whatever the text.
    void requestLength_data()
    {
        QTest::addColumn<QString>("mac");
        QTest::newRow("ASCII") << QStringLiteral("ab:cd");
        QTest::newRow("accents and a sign beyond Latin-1") << QStringLiteral("é-€");
    }

    void requestLength()
    {
        QFETCH(QString, mac);
        const QByteArray sent = CSocketKestrova::buildRequest(QStringLiteral("http://h.test/"), "check", mac).bytes;
        const qsizetype bodyStart = sent.indexOf("\r\n\r\n") + 4;
        QCOMPARE(sent.mid(bodyStart), "mac=" + mac.toUtf8());
        QVERIFY(sent.left(bodyStart).contains("\r\nContent-length: " + QByteArray::number(sent.size() - bodyStart)
                                              + "\r\n"));
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestSocketKestrova)
#include "TestSocketKestrova.moc"
