#include "core/CDateHeure.h"

#include "TestMain.h"

namespace
{

QDateTime local(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::LocalTime);
}

// The value every parse starts from: a row expecting it means "false, left unchanged";
// a row expecting a null value means "false, value spoilt".
const QDateTime kBefore = local(2001, 2, 3, 4, 5, 6);

}  // namespace

class TestDates : public QObject
{
    Q_OBJECT

private slots:
    void modes();
    void constructors();
    void parsers_data();
    void parsers();
    void longForm_data();
    void longForm();
    void dateCalculeMinute_data();
    void dateCalculeMinute();
};

void TestDates::modes()
{
    const CDateHeure now(0u);
    QCOMPARE(now.timeSpec(), Qt::LocalTime);
    QCOMPARE(now.time().msec(), 0);
    QVERIFY(qAbs(now.secsTo(QDateTime::currentDateTime())) <= 2);

    const CDateHeure end(1u);
    QCOMPARE(QDateTime(end), local(2037, 12, 31));
    QVERIFY(end.estFinDesTemps());
    QVERIFY(!now.estFinDesTemps());

    // Read with its milliseconds; one sample in a thousand has 0.
    QCOMPARE(CDateHeure(2u).timeSpec(), Qt::LocalTime);
    QTRY_VERIFY(CDateHeure(2u).time().msec() != 0);

    QVERIFY(CDateHeure(7u).isNull());
}

void TestDates::constructors()
{
    // The fields are kept as they are: no zone conversion.
    const CDateHeure fromUtc(QDateTime(QDate(2026, 6, 1), QTime(23, 30), Qt::UTC));
    QCOMPARE(QDateTime(fromUtc), local(2026, 6, 1, 23, 30));
    QCOMPARE(fromUtc.timeSpec(), Qt::LocalTime);
    QVERIFY(CDateHeure(QDateTime()).isNull());
    QVERIFY(CDate(2026, 2, 30).isNull());

    QCOMPARE(QTime(CHeure(90507)), QTime(9, 5, 7));
    QVERIFY(CHeure(246000).isNull());
    const CDateHeure typed(QStringLiteral("05/12/2026"), QStringLiteral("9"), QStringLiteral("5"));
    QCOMPARE(QDateTime(typed), local(2026, 12, 5, 9, 5));
    QVERIFY(!CDateHeure(QStringLiteral("05/12/2026"), QStringLiteral("25"), QStringLiteral("0")).isValid());

    QCOMPARE(CDate(2026, 11, 30).jourDeLaSemaine(), QStringLiteral("Lundi"));
    QCOMPARE(CDate(2026, 12, 6).jourDeLaSemaine(), QStringLiteral("Dimanche"));
    QCOMPARE(CDate().jourDeLaSemaine(), QString());
}

void TestDates::parsers_data()
{
    QTest::addColumn<QString>("parser");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("withSeconds");
    QTest::addColumn<QDateTime>("expected");

    const QDateTime full = local(2026, 12, 5, 9, 5, 7);
    const QDateTime noSeconds = local(2026, 12, 5, 9, 5);
    QTest::newRow("sql") << "sql" << QByteArray("2026-12-05 09:05:07") << false << full;
    QTest::newRow("sql unset date") << "sql" << QByteArray("1970-01-01 00:00:00") << false << local(1970, 1, 1);
    QTest::newRow("sql separators ignored") << "sql" << QByteArray("2026x12x05x09x05x07") << false << full;
    QTest::newRow("sql 18 characters") << "sql" << QByteArray("2026-12-05 09:05:0") << false << kBefore;
    QTest::newRow("sql 20 characters") << "sql" << QByteArray("2026-12-05 09:05:07 ") << false << kBefore;
    QTest::newRow("sql month 13") << "sql" << QByteArray("2026-13-05 09:05:07") << false << QDateTime();
    QTest::newRow("sql 30 February") << "sql" << QByteArray("2026-02-30 09:05:07") << false << QDateTime();
    // Qt would take a bad time as midnight of a good date.
    QTest::newRow("sql hour 25") << "sql" << QByteArray("2026-12-05 25:05:07") << false << QDateTime();
    QTest::newRow("sql letters") << "sql" << QByteArray("abcd-ef-gh ij:kl:mn") << false << QDateTime();

    QTest::newRow("kestrova") << "kestrova" << QByteArray("20261205090507") << true << full;
    QTest::newRow("kestrova seconds not read") << "kestrova" << QByteArray("20261205090507") << false << noSeconds;
    QTest::newRow("kestrova 12 figures") << "kestrova" << QByteArray("202612050905") << true << noSeconds;
    QTest::newRow("kestrova date only") << "kestrova" << QByteArray("20261205") << false << local(2026, 12, 5);
    QTest::newRow("kestrova month 13") << "kestrova" << QByteArray("20261305090507") << true << kBefore;
    QTest::newRow("kestrova hour 24") << "kestrova" << QByteArray("20261205240507") << true << kBefore;
    QTest::newRow("kestrova second 60") << "kestrova" << QByteArray("20261205090560") << true << kBefore;
    // Only where the local zone skips that hour (TZ=Europe/Paris under ctest).
    if (!local(2026, 3, 29, 2, 30).isValid()) {
        QTest::newRow("kestrova skipped hour") << "kestrova" << QByteArray("20260329023000") << true << kBefore;
    }

    QTest::newRow("trame 70 is 2070") << "trame" << QByteArray("0512700905") << false << local(2070, 12, 5, 9, 5);
    QTest::newRow("trame 71 is 1971") << "trame" << QByteArray("051271090507") << true << local(1971, 12, 5, 9, 5, 7);
    QTest::newRow("trame day 32") << "trame" << QByteArray("3202260905") << false << kBefore;
    QTest::newRow("rs485") << "rs485" << QByteArray::fromHex("050C3236090507") << true << full;
    QTest::newRow("rs485 no seconds") << "rs485" << QByteArray::fromHex("050C32360905") << false << noSeconds;
    QTest::newRow("rs485 short") << "rs485" << QByteArray::fromHex("050C32360905") << true << kBefore;
    QTest::newRow("vardel") << "vardel" << QByteArray::fromHex("050C1A090507") << false << full;
    QTest::newRow("vardel minute 60") << "vardel" << QByteArray::fromHex("050C1A093C07") << false << QDateTime();
    QTest::newRow("vardel short") << "vardel" << QByteArray::fromHex("050C1A") << false << kBefore;
    QTest::newRow("chaine") << "chaine" << QByteArray("05/12/2026") << false << noSeconds;
    QTest::newRow("chaine 9 characters") << "chaine" << QByteArray("5/12/2026") << false << kBefore;
    QTest::newRow("gmt") << "gmt" << QByteArray("Sat, 05 Dec 2026 09:05:07 GMT") << false << full;
    QTest::newRow("gmt 28 characters") << "gmt" << QByteArray("Sat, 5 Dec 2026 09:05:07 GMT") << false << kBefore;
    QTest::newRow("saisie") << "saisie" << QByteArray("9:5") << false << local(2001, 2, 3, 9, 5);
    QTest::newRow("saisie no colon") << "saisie" << QByteArray("0905") << false << kBefore;
    QTest::newRow("saisie minute 60") << "saisie" << QByteArray("9:60") << false << kBefore;
    QTest::newRow("saisie not figures") << "saisie" << QByteArray("ab:cd") << false << kBefore;
}

void TestDates::parsers()
{
    QFETCH(QString, parser);
    QFETCH(QByteArray, input);
    QFETCH(bool, withSeconds);
    QFETCH(QDateTime, expected);

    CDateHeure value(kBefore);
    bool result = false;
    if (parser == QLatin1String("sql")) {
        result = value.initParTrameSQL(QString::fromLatin1(input));
    } else if (parser == QLatin1String("kestrova")) {
        result = value.initParTrameKestrova(input, withSeconds);
    } else if (parser == QLatin1String("trame")) {
        result = value.initParTrame(input, withSeconds);
    } else if (parser == QLatin1String("rs485")) {
        result = value.initParTrameRS485(input, withSeconds);
    } else if (parser == QLatin1String("vardel")) {
        result = value.initParTrameVardel(input);
    } else if (parser == QLatin1String("chaine")) {
        result = value.initParChaineDate(QString::fromLatin1(input), CHeure(9, 5));
    } else if (parser == QLatin1String("gmt")) {
        result = value.initParGmt(QString::fromLatin1(input));
    } else if (parser == QLatin1String("saisie")) {
        CHeure time(value.time());
        result = time.initParTrameSaisie(input);
        value.setTime(time);
    }
    QCOMPARE(result, expected.isValid() && expected != kBefore);
    QCOMPARE(value.isValid(), expected.isValid());
    if (expected.isValid()) {
        QCOMPARE(QDateTime(value), expected);
        QCOMPARE(value.timeSpec(), Qt::LocalTime);
    }
}

void TestDates::longForm_data()
{
    QTest::addColumn<QDateTime>("value");
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("expected");

    const QDateTime saturday = local(2026, 12, 5, 9, 5);
    QTest::newRow("fr") << saturday << 0 << " Samedi 5 Decembre a 09:05";
    QTest::newRow("en") << saturday << 1 << " Saturday 5 of December at 09:05";
    QTest::newRow("es") << saturday << 2 << " Sasbado 5 de Diciembre a 09:05";
    QTest::newRow("language 3") << saturday << 3 << "";
    QTest::newRow("language -1") << saturday << -1 << "";
    // First entries of both lists, two-figure day, late hour.
    QTest::newRow("fr monday") << local(2024, 1, 15, 23, 59) << 0 << " Lundi 15 Janvier a 23:59";
    QTest::newRow("en february") << local(2026, 2, 1) << 1 << " Sunday 1 of Febuary at 00:00";
    QTest::newRow("null fr") << QDateTime() << 0 << "";
    QTest::newRow("null en") << QDateTime() << 1 << "";
    QTest::newRow("null es") << QDateTime() << 2 << "";
}

void TestDates::longForm()
{
    QFETCH(QDateTime, value);
    QFETCH(int, language);
    QFETCH(QString, expected);

    QCOMPARE(CDateHeure(value).getString(language), expected);
}

void TestDates::dateCalculeMinute_data()
{
    QTest::addColumn<unsigned int>("minutes");
    QTest::addColumn<QStringList>("units");
    QTest::addColumn<QList<unsigned int>>("widths");
    QTest::addColumn<bool>("showZero");
    QTest::addColumn<QByteArray>("expected");

    const QStringList units{QStringLiteral("j "), QStringLiteral("h "), QStringLiteral("min")};
    const QList<unsigned int> none{0, 0, 0};
    QTest::newRow("all three") << 1501u << units << none << false << QByteArray("1j 1h 1min");
    QTest::newRow("zeros skipped") << 60u << units << none << false << QByteArray("1h ");
    QTest::newRow("zeros shown") << 60u << units << none << true << QByteArray("0j 1h 0min");
    QTest::newRow("nothing") << 0u << units << none << false << QByteArray("0j ");
    QTest::newRow("padded") << 1441u << units << QList<unsigned int>{3, 0, 2} << false << QByteArray("  1j  1min");
    QTest::newRow("short lists") << 59u << QStringList() << QList<unsigned int>() << false << QByteArray("59");
}

void TestDates::dateCalculeMinute()
{
    QFETCH(unsigned int, minutes);
    QFETCH(QStringList, units);
    QFETCH(QList<unsigned int>, widths);
    QFETCH(bool, showZero);
    QFETCH(QByteArray, expected);

    QCOMPARE(::dateCalculeMinute(minutes, units, widths, showZero), expected);
}

TAVRIMEX_TEST_GUILESS_MAIN(TestDates)
#include "TestDates.moc"
