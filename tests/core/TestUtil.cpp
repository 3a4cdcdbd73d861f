#include "core/Util.h"

#include "TestMain.h"

#include <QFontMetrics>
#include <QLabel>
#include <QTimer>

class TestUtil : public QObject
{
    Q_OBJECT

private slots:
    void utilSqlFormateString_data();
    void utilSqlFormateString();
    void utilIsHexa_data();
    void utilIsHexa();
    void utilSleepDeliversEvents();
    void utilElidedText();
    void cp1252_data();
    void cp1252();
    void sqlHelpers();
    void numbers();
    void cryptage();
    void luhn_data();
    void luhn();
};

void TestUtil::utilSqlFormateString_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("apostrophe") << "l'entree"
                                << "l entree";
    QTest::newRow("two quotes") << "a''b"
                                << "a  b";
    QTest::newRow("closing attempt") << "x'); DROP TABLE t; --"
                                     << "x ); DROP TABLE t; --";
    QTest::newRow("no quote") << "Salle \"A\" \\ 100%"
                              << "Salle \"A\" \\ 100%";
}

void TestUtil::utilSqlFormateString()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);

    QCOMPARE(::utilSqlFormateString(text), expected);
    QCOMPARE(utilSqlFormate(text.toUtf8()), expected.toUtf8());
}

void TestUtil::utilIsHexa_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");

    QTest::newRow("empty") << "" << true;
    QTest::newRow("mixed case") << "0a1F" << true;
    QTest::newRow("all figures") << "0123456789abcdefABCDEF" << true;
    QTest::newRow("small x") << "0x1F" << false;
    QTest::newRow("blank") << "0a 1F" << false;
    QTest::newRow("G") << "0G" << false;
    QTest::newRow("arabic-indic three") << QString(QChar(0x0663)) << false;
}

void TestUtil::utilIsHexa()
{
    QFETCH(QString, text);
    QFETCH(bool, expected);

    QCOMPARE(::utilIsHexa(text), expected);
}

void TestUtil::utilSleepDeliversEvents()
{
    bool delivered = false;
    QTimer::singleShot(0, this, [&delivered] {
        delivered = true;
    });
    utilSleep(20);
    QVERIFY(delivered);
}

void TestUtil::utilElidedText()
{
    QLabel label;
    label.resize(80, 20);
    const QFontMetrics metrics(label.font());
    QCOMPARE(::utilElidedText(QStringLiteral("A"), &label), QStringLiteral("A"));

    const QString text = QStringLiteral("Grande salle du theatre municipal, rang 12");
    QVERIFY(metrics.horizontalAdvance(text) > label.width());
    const QString elided = ::utilElidedText(text, &label);
    QVERIFY(elided.endsWith(QChar(0x2026)));
    QVERIFY(text.startsWith(elided.chopped(1)));
    QVERIFY(metrics.horizontalAdvance(elided) <= label.width());

    label.resize(200, 20);
    QVERIFY(::utilElidedText(text, &label).size() > elided.size());
}

void TestUtil::cp1252_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("roundTrip");

    QTest::newRow("euro") << QStringLiteral("\u20AC") << QByteArray("\x80") << true;
    QTest::newRow("latin-1") << QStringLiteral("A \u00E9\u00A0\u00FF") << QByteArray("A \xE9\xA0\xFF") << true;
    QTest::newRow("table ends") << QStringLiteral("\u201A\u0178") << QByteArray("\x82\x9F") << true;
    QTest::newRow("undefined bytes") << QStringLiteral("\u0081\u008D\u008F\u0090\u009D")
                                     << QByteArray("\x81\x8D\x8F\x90\x9D") << true;
    QTest::newRow("outside") << QStringLiteral("a\u0080b\u0100c") << QByteArray("a?b?c") << false;
    QTest::newRow("beyond BMP") << QStringLiteral("x\U0001F600y") << QByteArray("x?y") << false;
}

void TestUtil::cp1252()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, roundTrip);

    QCOMPARE(gSqlCodec->fromUnicode(text), bytes);
    if (roundTrip) {
        QCOMPARE(utilSqlDepuisDb(bytes), text);
    }
}

void TestUtil::sqlHelpers()
{
    QCOMPARE(utilSqlVersDbString(QStringLiteral("l'\u00E9t\u00E9 \u20AC")), QByteArray("l\\'\xE9t\xE9 \x80"));

    const QSqlError duplicate(QString(),
                              QStringLiteral("Duplicate entry 'AB12' for key 2"),
                              QSqlError::StatementError,
                              QStringLiteral("1062"));
    const QSqlError other(QString(),
                          QStringLiteral("Unknown column"),
                          QSqlError::StatementError,
                          QStringLiteral("1054"));
    QVERIFY(utilSqlEstDoublon(duplicate, 0));
    QVERIFY(!utilSqlEstDoublon(other, 0));
    QVERIFY(utilSqlEstDoublon(duplicate, 2));
    QVERIFY(!utilSqlEstDoublon(duplicate, 3));
}

void TestUtil::numbers()
{
    QCOMPARE(utilPrixHt(1200, 2000), 1000.0);
    QCOMPARE(utilPrixTva(1200, 2000), 200.0);
    QCOMPARE(utilDoubleToInt(-1.9), -1);
    QCOMPARE(utilDoubleToUInt(-1.0), 0xFFFFFFFFu);
    QCOMPARE(utilDoubleToUInt(4294967296.0 + 5.0), 5u);
    QCOMPARE(utilIntToDoubleString(-1234567, 0), QStringLiteral("-1.23457e+06"));
}

void TestUtil::cryptage()
{
    QCOMPARE(cryptageCalculeLrc(QByteArray()), 0);
    QCOMPARE(cryptageCalculeLrc(QByteArray::fromHex("F00F01")), 0xFE);
    QCOMPARE(cryptageByte7bits(42), 0x42);
    QCOMPARE(cryptageByte7bits(255), (25 * 16 + 5) & 0xFF);

    // Odd parity of v: 0x80 added to r2, r0 xored with 0x21; the high bit of v
    // reaches r1 through both shifts.
    TCryptage reg{{0x00, 0x00, 0x80, 0}};
    cryptageCalculePolynome(0x00, reg);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(reg.byte), 3), QByteArray::fromHex("212180"));
    // Even parity: r0 and r1 move up.
    reg = TCryptage{{0x10, 0x20, 0x00, 0}};
    cryptageCalculePolynome(0x03, reg);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(reg.byte), 3), QByteArray::fromHex("C61020"));

    const unsigned int code = cryptageCalculeCodeSecret("123");
    QCOMPARE(cryptageCalculeCodeSecret("000001239"), code);
    QVERIFY(code <= 0xFFFFFFu);
    QVERIFY(cryptageCalculeCodeSecret("124") != code);
}

void TestUtil::luhn_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("key");

    QTest::newRow("known") << QByteArray("7992739871") << 3;
    QTest::newRow("odd length") << QByteArray("1") << 9;
    QTest::newRow("doubled 9") << QByteArray("09") << 1;
    QTest::newRow("sum multiple of 10") << QByteArray("0") << 0;
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("letter") << QByteArray("12a4") << -1;
}

void TestUtil::luhn()
{
    QFETCH(QByteArray, text);
    QFETCH(int, key);

    QCOMPARE(cryptageCalculeCleLuhn(text), key);
    if (key >= 0) {
        QVERIFY(cryptageVerifieCleLuhn(text + QByteArray::number(key)));
        QVERIFY(!cryptageVerifieCleLuhn(text + QByteArray::number((key + 1) % 10)));
    }
    QVERIFY(!cryptageVerifieCleLuhn(QByteArray()));
}

TAVRIMEX_TEST_MAIN(TestUtil)
#include "TestUtil.moc"
