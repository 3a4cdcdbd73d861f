#include "core/Util.h"

#include "TestMain.h"

using namespace Qt::StringLiterals;

class TestUtil : public QObject
{
    Q_OBJECT

private slots:

    void sqlFormateString_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("safe");  // may reach a statement as it is
        QTest::newRow("two quotes") << u"a''b"_s << u"a  b"_s << true;
        QTest::newRow("no quote") << u"Salle \"A\" \\ 100%"_s << u"Salle \"A\" \\ 100%"_s << true;
        QTest::newRow("NUL") << u"ab"_s + QChar(u'\0') + u"c"_s << u"ab c"_s << false;
        QTest::newRow("lone first half at the end") << u"A"_s + QChar(0xD800) << u"A "_s << false;
        QTest::newRow("lone first half before a quote") << QChar(0xDBFF) + u"'x"_s << u"  x"_s << false;
        QTest::newRow("lone second half") << QChar(0xDC00) + u"x"_s << u" x"_s << false;
        QTest::newRow("first half before a pair") << QChar(0xD83D) + u"\U0001F600"_s << u" \U0001F600"_s << false;
        QTest::newRow("pair kept") << u"\U0001F600'"_s << u"\U0001F600 "_s << true;
    }

    // One blank per code unit: the length stays.
    void sqlFormateString()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QFETCH(bool, safe);
        QCOMPARE(utilSqlFormateString(text), expected);
        QCOMPARE(utilSqlTexteSur(text), safe);
        QVERIFY(utilSqlTexteSur(expected));
    }

    void isHexa_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("hexa");
        QTest::newRow("empty") << u""_s << true;
        QTest::newRow("every figure") << u"0123456789abcdefABCDEF"_s << true;
        QTest::newRow("0x") << u"0x1F"_s << false;
        QTest::newRow("blank") << u"0a 1F"_s << false;
        QTest::newRow("letter after F") << u"0G"_s << false;
        QTest::newRow("other digit") << u"\u0663"_s << false;
    }

    void isHexa()
    {
        QFETCH(QString, text);
        QFETCH(bool, hexa);
        QCOMPARE(utilIsHexa(text), hexa);
    }

    // The toolkit functions nothing in the program calls, one row each.
    void uncalledToolkit_data()
    {
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const QString& result, const QString& expected) {
            QTest::newRow(name) << result << expected;
        };
        const auto hex = [](const TCryptage& reg) {
            return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(reg.byte), 3).toHex());
        };
        row("8-bit quotes", QString::fromLatin1(utilSqlFormate("x'); --")), "x ); --");
        row("code page 1252 out",
            QString::fromLatin1(gSqlCodec->fromUnicode(u"\u00E9\u20AC\u0178\u008D\u0100\U0001F600"_s).toHex()),
            "e9809f8d3f3f");
        row("escaped for the server", QString::fromLatin1(utilSqlVersDbString(u"l'\u00E9"_s)), u"l\\'\u00E9"_s);
        const QSqlError duplicate({}, "Duplicate entry 'AB12' for key 2", QSqlError::StatementError, "1062");
        row("duplicate",
            QString("%1%2%3")
                .arg(utilSqlEstDoublon(duplicate, 0))
                .arg(utilSqlEstDoublon(duplicate, 2))
                .arg(utilSqlEstDoublon(duplicate, 3)),
            "110");
        row("price without tax", QString::number(utilPrixHt(1200, 2000)), "1000");
        row("double to int", QString::number(utilDoubleToInt(-1.9)), "-1");
        row("double to unsigned, low bits", QString::number(utilDoubleToUInt(4294967296.0 + 5.0)), "5");
        row("number text", utilIntToDoubleString(-1234567, 0), "-1.23457e+06");
        row("LRC", QString::number(cryptageCalculeLrc(QByteArray::fromHex("F00F01"))), "254");
        row("packed figures", QString::number(cryptageByte7bits(42), 16), "42");
        TCryptage odd{{0x00, 0x00, 0x80, 0}};
        cryptageCalculePolynome(0x00, odd);
        row("checksum step, odd parity", hex(odd), "212180");
        row("secret code, padded",
            QString::number(cryptageCalculeCodeSecret("123") == cryptageCalculeCodeSecret("000001239")),
            "1");
        row("Luhn key", QString::number(cryptageCalculeCleLuhn("7992739871")), "3");
        row("Luhn check",
            QString("%1%2").arg(cryptageVerifieCleLuhn("79927398713")).arg(cryptageVerifieCleLuhn("")),
            "10");
    }

    void uncalledToolkit()
    {
        QFETCH(QString, result);
        QFETCH(QString, expected);
        QCOMPARE(result, expected);
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestUtil)
#include "TestUtil.moc"
