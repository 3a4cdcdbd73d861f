#include "core/Util.h"

#include "TestMain.h"

#include <QFontMetrics>
#include <QLabel>
#include <QTimer>

class TestUtil : public QObject
{
    Q_OBJECT

private slots:

    void sqlFormate()
    {
        const std::pair<const char*, const char*> cases[] = {{"a''b", "a  b"},
                                                             {"x'); DROP TABLE t; --", "x ); DROP TABLE t; --"},
                                                             {"Salle \"A\" \\ 100%", "Salle \"A\" \\ 100%"}};
        for (const auto& [text, expected] : cases) {
            QCOMPARE(utilSqlFormateString(text), QString(expected));
            QCOMPARE(utilSqlFormate(text), QByteArray(expected));
        }
    }

    void isHexa()
    {
        QVERIFY(utilIsHexa(""));
        QVERIFY(utilIsHexa("0123456789abcdefABCDEF"));
        for (const QString text : {"0x1F", "0a 1F", "0G", "g", "\u0663"}) {
            QVERIFY2(!utilIsHexa(text), qPrintable(text));
        }
    }

    void sleepDeliversEvents()
    {
        bool delivered = false;
        QTimer::singleShot(0, this, [&delivered] {
            delivered = true;
        });
        utilSleep(20);
        QVERIFY(delivered);
    }

    void elidedText()
    {
        QLabel label;
        label.resize(80, 20);
        QCOMPARE(utilElidedText("A", &label), "A");
        const QString text = "Grande salle du theatre municipal, rang 12";
        const QString elided = utilElidedText(text, &label);
        QVERIFY(elided.endsWith(QChar(0x2026)));
        QVERIFY(QFontMetrics(label.font()).horizontalAdvance(elided) <= label.width());
    }

    void cp1252()
    {
        // Latin-1, both ends of the 0x80-0x9F table, and its five undefined bytes.
        const QString mapped = u"A \u00E9\u00A0\u00FF\u20AC\u201A\u0178\u0081\u008D\u008F\u0090\u009D"_qs;
        const QByteArray bytes("A \xE9\xA0\xFF\x80\x82\x9F\x81\x8D\x8F\x90\x9D");
        QCOMPARE(gSqlCodec->fromUnicode(mapped), bytes);
        QCOMPARE(utilSqlDepuisDb(bytes), mapped);
        QCOMPARE(gSqlCodec->fromUnicode(u"a\u0080b\u0100c x\U0001F600y"_qs), QByteArray("a?b?c x?y"));
    }

    void sqlHelpers()
    {
        QCOMPARE(utilSqlVersDbString(u"l'\u00E9t\u00E9 \u20AC"_qs), QByteArray("l\\'\xE9t\xE9 \x80"));
        const QSqlError duplicate({}, "Duplicate entry 'AB12' for key 2", QSqlError::StatementError, "1062");
        QVERIFY(utilSqlEstDoublon(duplicate, 0));
        QVERIFY(!utilSqlEstDoublon(QSqlError({}, "Unknown column", QSqlError::StatementError, "1054"), 0));
        QVERIFY(utilSqlEstDoublon(duplicate, 2));
        QVERIFY(!utilSqlEstDoublon(duplicate, 3));
    }

    void numbers()
    {
        QCOMPARE(utilPrixHt(1200, 2000), 1000.0);
        QCOMPARE(utilPrixTva(1200, 2000), 200.0);
        QCOMPARE(utilDoubleToInt(-1.9), -1);
        QCOMPARE(utilDoubleToUInt(-1.0), 0xFFFFFFFFu);
        QCOMPARE(utilDoubleToUInt(4294967296.0 + 5.0), 5u);
        QCOMPARE(utilIntToDoubleString(-1234567, 0), "-1.23457e+06");
    }

    void cryptage()
    {
        QCOMPARE(cryptageCalculeLrc(QByteArray::fromHex("F00F01")), 0xFE);
        QCOMPARE(cryptageByte7bits(42), 0x42);
        QCOMPARE(cryptageByte7bits(255), (25 * 16 + 5) & 0xFF);

        // Odd parity: 0x80 added to r2, r0 xored with 0x21; bit 7 reaches r1 through both shifts.
        TCryptage reg{{0x00, 0x00, 0x80, 0}};
        cryptageCalculePolynome(0x00, reg);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(reg.byte), 3), QByteArray::fromHex("212180"));
        reg = TCryptage{{0x10, 0x20, 0x00, 0}};  // even parity: r0 and r1 move up
        cryptageCalculePolynome(0x03, reg);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(reg.byte), 3), QByteArray::fromHex("C61020"));

        const unsigned int code = cryptageCalculeCodeSecret("123");
        QCOMPARE(cryptageCalculeCodeSecret("000001239"), code);
        QVERIFY(code <= 0xFFFFFFu);
        QVERIFY(cryptageCalculeCodeSecret("124") != code);
    }

    void luhn()
    {
        const std::pair<const char*, int> cases[] = {{"7992739871", 3}, {"1", 9}, {"09", 1}, {"", 0}, {"12a4", -1}};
        for (const auto& [text, key] : cases) {
            QCOMPARE(cryptageCalculeCleLuhn(text), key);
            if (key >= 0) {
                QVERIFY(cryptageVerifieCleLuhn(text + QByteArray::number(key)));
                QVERIFY(!cryptageVerifieCleLuhn(text + QByteArray::number((key + 1) % 10)));
            }
        }
        QVERIFY(!cryptageVerifieCleLuhn(QByteArray()));
    }
};

TAVRIMEX_TEST_MAIN(TestUtil)
#include "TestUtil.moc"
