#include "core/CDateHeure.h"

#include "TestMain.h"

namespace
{

QDateTime local(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::LocalTime);
}

// Every parse starts from this value: a row expecting it means "false, left unchanged";
// a row expecting a null value means "false, value spoilt".
const QDateTime kBefore = local(2001, 2, 3, 4, 5, 6);

bool parse(const QString& parser, CDateHeure& value, const QByteArray& input, bool withSeconds)
{
    if (parser == "saisie") {
        CHeure time(value.time());
        const bool ok = time.initParTrameSaisie(input);
        value.setTime(time);
        return ok;
    }
    const QString text = QString::fromLatin1(input);
    return parser == "sql"        ? value.initParTrameSQL(text)
           : parser == "kestrova" ? value.initParTrameKestrova(input, withSeconds)
           : parser == "trame"    ? value.initParTrame(input, withSeconds)
           : parser == "rs485"    ? value.initParTrameRS485(input, withSeconds)
           : parser == "vardel"   ? value.initParTrameVardel(input)
           : parser == "chaine"   ? value.initParChaineDate(text, CHeure(9, 5))
                                  : parser == "gmt" && value.initParGmt(text);
}

}  // namespace

class TestDates : public QObject
{
    Q_OBJECT

private slots:

    void modesAndConstructors()
    {
        const CDateHeure now(0u);
        QVERIFY(now.timeSpec() == Qt::LocalTime && now.time().msec() == 0);
        QVERIFY(qAbs(now.secsTo(QDateTime::currentDateTime())) <= 2);
        QVERIFY(CDateHeure(1u) == local(2037, 12, 31) && CDateHeure(1u).estFinDesTemps());
        QVERIFY(CDateHeure(7u).isNull());

        // The fields are kept as they are: no zone conversion.
        const CDateHeure fromUtc(QDateTime(QDate(2026, 6, 1), QTime(23, 30), Qt::UTC));
        QCOMPARE(QDateTime(fromUtc), local(2026, 6, 1, 23, 30));
        QCOMPARE(QDateTime(CDateHeure("05/12/2026", "9", "5")), local(2026, 12, 5, 9, 5));
    }

    // A clock of the caller's for now, to the second and to the millisecond, given in
    // any zone; without one, the system's again.
    void nowFromAClockOfItsOwn()
    {
        const QDateTime set = QDateTime(QDate(2031, 3, 4), QTime(9, 0, 7, 250), Qt::UTC);
        setDateHeureNow([&set] {
            return set;
        });
        const CDateHeure seconds(0u);
        const CDateHeure millis(2u);
        setDateHeureNow({});
        QCOMPARE(QDateTime(seconds), set.addMSecs(-250).toLocalTime());
        QCOMPARE(seconds.timeSpec(), Qt::LocalTime);
        QCOMPARE(QDateTime(millis), set.toLocalTime());
        QVERIFY(qAbs(CDateHeure(0u).secsTo(QDateTime::currentDateTime())) <= 2);
    }

    void parsers_data()
    {
        QTest::addColumn<QString>("parser");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<bool>("withSeconds");
        QTest::addColumn<QDateTime>("expected");

        const QDateTime full = local(2026, 12, 5, 9, 5, 7);
        const QDateTime noSeconds = local(2026, 12, 5, 9, 5);
        QTest::newRow("sql") << "sql" << QByteArray("2026-12-05 09:05:07") << false << full;
        QTest::newRow("sql separators ignored") << "sql" << QByteArray("2026x12x05x09x05x07") << false << full;
        QTest::newRow("sql 18 characters") << "sql" << QByteArray("2026-12-05 09:05:0") << false << kBefore;
        QTest::newRow("sql 20 characters") << "sql" << QByteArray("2026-12-05 09:05:07 ") << false << kBefore;
        QTest::newRow("sql month 13") << "sql" << QByteArray("2026-13-05 09:05:07") << false << QDateTime();
        // Qt would take a bad time as midnight of a good date.
        QTest::newRow("sql hour 25") << "sql" << QByteArray("2026-12-05 25:05:07") << false << QDateTime();

        QTest::newRow("kestrova") << "kestrova" << QByteArray("20261205090507") << true << full;
        QTest::newRow("kestrova seconds not read") << "kestrova" << QByteArray("20261205090507") << false << noSeconds;
        QTest::newRow("kestrova 12 figures") << "kestrova" << QByteArray("202612050905") << true << noSeconds;
        QTest::newRow("kestrova date only") << "kestrova" << QByteArray("20261205") << false << local(2026, 12, 5);
        QTest::newRow("kestrova month 13") << "kestrova" << QByteArray("20261305090507") << true << kBefore;
        QTest::newRow("kestrova second 60") << "kestrova" << QByteArray("20261205090560") << true << kBefore;
        // Only where the local zone skips that hour (TZ=Europe/Paris under ctest).
        if (!local(2026, 3, 29, 2, 30).isValid()) {
            QTest::newRow("kestrova skipped hour") << "kestrova" << QByteArray("20260329023000") << true << kBefore;
        }

        // The parsers nothing in the program calls, one row each.
        QTest::newRow("trame 71 is 1971")
            << "trame" << QByteArray("051271090507") << true << local(1971, 12, 5, 9, 5, 7);
        QTest::newRow("rs485") << "rs485" << QByteArray::fromHex("050C3236090507") << true << full;
        QTest::newRow("vardel") << "vardel" << QByteArray::fromHex("050C1A090507") << false << full;
        QTest::newRow("chaine") << "chaine" << QByteArray("05/12/2026") << false << noSeconds;
        QTest::newRow("gmt") << "gmt" << QByteArray("Sat, 05 Dec 2026 09:05:07 GMT") << false << full;

        QTest::newRow("saisie") << "saisie" << QByteArray("9:5") << false << local(2001, 2, 3, 9, 5);
        QTest::newRow("saisie minute 60") << "saisie" << QByteArray("9:60") << false << kBefore;
        QTest::newRow("saisie no minute") << "saisie" << QByteArray("9:") << false << kBefore;
        QTest::newRow("saisie minute not a number") << "saisie" << QByteArray("9:x") << false << kBefore;
    }

    void parsers()
    {
        QFETCH(QString, parser);
        QFETCH(QByteArray, input);
        QFETCH(bool, withSeconds);
        QFETCH(QDateTime, expected);

        CDateHeure value(kBefore);
        QCOMPARE(parse(parser, value, input, withSeconds), expected.isValid() && expected != kBefore);
        QCOMPARE(value.isValid(), expected.isValid());
        if (expected.isValid()) {
            QCOMPARE(QDateTime(value), expected);
            QCOMPARE(value.timeSpec(), Qt::LocalTime);
        }
    }

    void longForm_data()
    {
        QTest::addColumn<QDateTime>("value");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("expected");

        const QDateTime saturday = local(2026, 12, 5, 9, 5);
        QTest::newRow("fr") << saturday << 0 << " Samedi 5 Decembre a 09:05";
        QTest::newRow("en") << saturday << 1 << " Saturday 5 of December at 09:05";
        QTest::newRow("es") << saturday << 2 << " Sasbado 5 de Diciembre a 09:05";
        QTest::newRow("language 3") << saturday << 3 << "";
        QTest::newRow("two-figure day, late hour") << local(2024, 1, 15, 23, 59) << 0 << " Lundi 15 Janvier a 23:59";
        QTest::newRow("null fr") << QDateTime() << 0 << "";
    }

    void longForm()
    {
        QFETCH(QDateTime, value);
        QFETCH(int, language);
        QFETCH(QString, expected);
        QCOMPARE(CDateHeure(value).getString(language), expected);
    }

    void names_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("expected");
        QTest::newRow("fr")
            << 0
            << "Jeudi/Janvier Dimanche/Fevrier Dimanche/Mars Mercredi/Avril Vendredi/Mai Lundi/Juin "
               "Mercredi/Juillet Samedi/Aout Mardi/Septembre Jeudi/Octobre Dimanche/Novembre Mardi/Decembre";
        QTest::newRow("en") << 1
                            << "Thursday/January Sunday/Febuary Sunday/March Wednesday/April Friday/May Monday/June "
                               "Wednesday/July Saturday/August Tuesday/September Thursday/October Sunday/November "
                               "Tuesday/December";
        QTest::newRow("es") << 2
                            << "Jueves/Enero Domingo/Febrero Domingo/Marzo Miercoles/Abril Viernes/Mayo Lunes/Junio "
                               "Miercoles/Julio Sasbado/Agosto Martes/Septiembre Jueves/Octubre Domingo/Noviembre "
                               "Martes/Diciembre";
    }

    // Every day and month name, through the first day of each month of 2026.
    void names()
    {
        QFETCH(int, language);
        QFETCH(QString, expected);
        QStringList names;
        for (int month = 1; month <= 12; ++month) {
            const QStringList words = CDateHeure(local(2026, month, 1)).getString(language).split(u' ');
            names << words.at(1) + u'/' + words.at(words.size() - 3);
        }
        QCOMPARE(names.join(u' '), expected);
    }

    // Nothing in the program calls it.
    void dateCalculeMinute()
    {
        QCOMPARE(::dateCalculeMinute(1441, {"j ", "h ", "min"}, {3, 0, 2}, false), "  1j  1min");
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestDates)
#include "TestDates.moc"
