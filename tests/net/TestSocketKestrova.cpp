#include "net/CSocketKestrova.h"

#include "CoreFixture.h"
#include "NetFixture.h"
#include "TestMain.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>

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

    // One outcome, the whole body as sent, then the object goes. Without a whole reply
    // the outcome waits for the time-out, whether the peer is silent, gone or absent.
    void replies_data()
    {
        QTest::addColumn<QList<Chunk>>("chunks");
        QTest::addColumn<bool>("closeAfter");
        QTest::addColumn<bool>("listening");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("steps");
        const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Length: 11\r\n\r\n";
        const QString replied = QStringLiteral("0 2 3 4 1");
        QTest::newRow("whole reply") << QList<Chunk>{{0, head + "hello world"}} << false << true
                                     << QByteArray("hello world") << replied;
        QTest::newRow("split reply") << QList<Chunk>{{0, head + "hello"}, {50, " world"}} << false << true
                                     << QByteArray("hello world") << replied;
        QTest::newRow("interim 1xx first")
            << QList<Chunk>{{0, "HTTP/1.1 100 Continue\r\nX: 1\r\n\r\n" + head + "hello world"}} << false << true
            << QByteArray("hello world") << replied;
        QTest::newRow("other status: its body") << QList<Chunk>{{0, "HTTP/1.1 404 No\r\nContent-length: 2\r\n\r\nno"}}
                                                << false << true << QByteArray("no") << replied;
        QTest::newRow("bytes past the length")
            << QList<Chunk>{{0, head + "hello worldXY"}} << false << true << QByteArray("hello world") << replied;
        // Each arrival gives the reply the whole time-out again (1 s).
        QTest::newRow("slow reply") << QList<Chunk>{{0, head + "hel"}, {700, "lo wo"}, {700, "rld"}} << false << true
                                    << QByteArray("hello world") << replied;
        QTest::newRow("line ends kept") << QList<Chunk>{{0, "HTTP/1.1 200 OK\r\nContent-length: 6\r\n\r\na\r\nb\nc"}}
                                        << false << true << QByteArray("a\r\nb\nc") << replied;
        QTest::newRow("no length: up to the close") << QList<Chunk>{{0, "HTTP/1.1 200 OK\r\n\r\nab"}, {30, "cd"}}
                                                    << true << true << QByteArray("abcd") << replied;
        QTest::newRow("closed without data") << QList<Chunk>{} << true << true << QByteArray() << "0 2 3 5 1";
        QTest::newRow("truncated body") << QList<Chunk>{{0, head + "hello"}} << true << true << QByteArray()
                                        << "0 2 3 4 5 1";
        QTest::newRow("silent") << QList<Chunk>{} << false << true << QByteArray() << "0 2 3 5 1";
        QTest::newRow("refused") << QList<Chunk>{} << false << false << QByteArray() << "0 5 1";
    }

    void replies()
    {
        QFETCH(QList<Chunk>, chunks);
        QFETCH(bool, closeAfter);
        QFETCH(bool, listening);
        QFETCH(QByteArray, body);
        QFETCH(QString, steps);
        standin::RawPeer peer;
        quint16 port = 0;
        if (listening) {
            QVERIFY(peer.listen());
            peer.script(chunks, closeAfter);
            port = peer.port();
        } else {
            QTcpServer gone;
            QVERIFY(gone.listen(QHostAddress::LocalHost));
            port = gone.serverPort();
        }
        QPointer<CSocketKestrova> socket = new CSocketKestrova;
        socket->timeoutMs = 1000;
        socket->init(QStringLiteral("ab:cd"), QString(), QString());
        QSignalSpy reception(socket.data(), &CSocketKestrova::signal_reception);
        QSignalSpy action(socket.data(), &CSocketKestrova::signal_action);
        const QString address = QStringLiteral("http://127.0.0.1:%1/").arg(port);
        socket->emission(address, QStringLiteral("check"));
        QTRY_VERIFY_WITH_TIMEOUT(socket.isNull(), 5000);
        QCOMPARE(reception.size(), 1);
        const bool isReplied = steps == QLatin1String("0 2 3 4 1");
        QCOMPARE(reception[0][2].toInt(), isReplied ? 0 : 4);
        QCOMPARE(reception[0][1].toByteArray(), body);
        const QByteArray request = CSocketKestrova::buildRequest(address, QStringLiteral("check"), "ab:cd").bytes;
        QCOMPARE(reception[0][0].toString(), isReplied ? QStringLiteral("check") : QString::fromUtf8(request));
        // Each arrival is a step 4 of its own: one stands for them all.
        QStringList seen;
        for (const QList<QVariant>& step : std::as_const(action)) {
            const QString number = QString::number(step[0].toInt());
            if (seen.isEmpty() || seen.last() != number || number != QLatin1String("4")) {
                seen << number;
            }
        }
        QCOMPARE(seen.join(' '), steps);
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
