#include "control/TicketText.h"
#include "control/Verdict.h"
#include "data/CDataBillet.h"
#include "data/CDataModif.h"

#include "CoreFixture.h"
#include "TestMain.h"

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Verdict)

namespace
{

CDataBillet ticket(unsigned int usable, unsigned int deleted, unsigned int nb)
{
    CDataBillet billet;
    billet.initDefaut();
    billet.IS_USABLE = usable;
    billet.IS_DELETED = deleted;
    billet.NB_COMPOSTAGE = nb;
    return billet;
}

CDataModif entry(unsigned int type, const QString& date, const QString& agent = QString())
{
    CDataModif modif;
    modif.initDefaut();
    modif.TYPE = type;
    modif.DATE = date;
    modif.AGENT_ID = agent;
    return modif;
}

}  // namespace

class TestVerdict : public QObject
{
    Q_OBJECT

private slots:

    void initTestCase()
    {
        fixture::initQuietCore();
    }

    // The first rule that applies: deleted, then used, then valid.
    void verdictOf_data()
    {
        QTest::addColumn<unsigned int>("usable");
        QTest::addColumn<unsigned int>("deleted");
        QTest::addColumn<unsigned int>("nb");
        QTest::addColumn<Verdict>("verdict");
        QTest::newRow("valid") << 1u << 0u << 2u << Verdict::Valide;
        QTest::newRow("no entry left") << 1u << 0u << 0u << Verdict::DejaUtilise;
        QTest::newRow("not usable, entries left") << 0u << 0u << 1u << Verdict::DejaUtilise;
        QTest::newRow("deleted with entries") << 1u << 1u << 2u << Verdict::Supprime;
        QTest::newRow("deleted and used") << 0u << 1u << 0u << Verdict::Supprime;
    }

    void verdictOf()
    {
        QFETCH(unsigned int, usable);
        QFETCH(unsigned int, deleted);
        QFETCH(unsigned int, nb);
        QFETCH(Verdict, verdict);
        QCOMPARE(::verdictOf(ticket(usable, deleted, nb)), verdict);
    }

    // "punch" is the punch button's caption line (0 hidden), "fraude" the report button.
    void buttons_data()
    {
        QTest::addColumn<Verdict>("shown");
        QTest::addColumn<QString>("counts");
        QTest::addColumn<bool>("unpunch");
        QTest::addColumn<int>("punch");
        QTest::addColumn<bool>("fraude");
        QTest::newRow("read, valid") << Verdict::Valide << u"1 0 1"_s << true << 51 << true;
        QTest::newRow("punched, un-punch off") << Verdict::Composte << u"1 0 0"_s << false << 0 << true;
        QTest::newRow("punched, un-punch on") << Verdict::Composte << u"1 0 0"_s << true << 52 << true;
        QTest::newRow("used, un-punch on") << Verdict::DejaUtilise << u"1 0 0"_s << true << 52 << true;
        QTest::newRow("un-punched") << Verdict::Decomposte << u"1 0 1"_s << true << 51 << true;
        QTest::newRow("deleted") << Verdict::Supprime << u"1 1 1"_s << true << 0 << true;
        QTest::newRow("reported, valid") << Verdict::Signale << u"1 0 1"_s << true << 51 << false;
        QTest::newRow("reported, used") << Verdict::Signale << u"1 0 0"_s << false << 0 << false;
        QTest::newRow("unknown") << Verdict::Inconnu << u"1 0 1"_s << true << 0 << false;
        QTest::newRow("error") << Verdict::Erreur << u"1 0 1"_s << true << 0 << false;
    }

    void buttons()
    {
        QFETCH(Verdict, shown);
        QFETCH(QString, counts);
        QFETCH(bool, unpunch);
        QFETCH(int, punch);
        QFETCH(bool, fraude);
        const QStringList parts = counts.split(u' ');
        const ActionButtons buttons =
            actionButtonsOf(shown, ticket(parts[0].toUInt(), parts[1].toUInt(), parts[2].toUInt()), unpunch);
        QCOMPARE(buttons.punchLabel, punch);
        QCOMPARE(buttons.fraude, fraude);
    }

    void gauge()
    {
        QCOMPARE(gaugePercent(3, 10), 30);
        QCOMPARE(gaugePercent(0, 0), 0);
        QCOMPARE(gaugePercent(7, 3), 100);
        QCOMPARE(gaugePercent(2'000'000'000, 2'000'000'000), 100);
    }

    void offlineCheckAcceptsNothing()
    {
        for (const QString& barcode : {u"0000000000"_s, u"1234567890123"_s, QString()}) {
            QVERIFY(!offlineAccept(barcode));
        }
    }

    void history()
    {
        CDataModifListe list;
        list.ajoute(entry(MODIF_PUNCH_LAST, u"2024-05-03 21:40:00"_s, u"A7"_s), 0);
        list.ajoute(entry(MODIF_FRAUDE, u"2024-05-02 10:00:00"_s), 0);
        list.ajoute(entry(MODIF_PUNCH, u"2024-05-01 20:15:00"_s), 0);
        QCOMPARE(tickettext::historyLine(list.value(0), u"Marc"_s, 0), u"Compostage 03/05/2024 21:40 Marc"_s);
        QCOMPARE(tickettext::historyLine(list.value(0), QString(), 0), u"Compostage 03/05/2024 21:40 A7"_s);
        QCOMPARE(tickettext::historyLine(list.value(1), QString(), 0), u"Signalement 02/05/2024 10:00 Inconnu"_s);
        QCOMPARE(tickettext::historyLine(entry(42, u"bad"_s), QString(), 0), u"42 bad Inconnu"_s);
        QCOMPARE(tickettext::lastPunchLine(list, 0), u"Composté le : 03/05/2024 21:40"_s);
        QVERIFY(tickettext::lastPunchLine(CDataModifListe(), 0).isEmpty());

        const QDateTime now(QDate(2024, 5, 3), QTime(21, 40, 30));
        // Just punched: the time since the punch before it.
        QCOMPARE(tickettext::previousPunchLine(list, true, now, 0), u"Précédent compostage : 2 jours 1 heure 25 min"_s);
        QCOMPARE(tickettext::previousPunchLine(list, false, now, 0), u"Précédent compostage : 0 min"_s);
        CDataModifListe once;
        once.ajoute(entry(MODIF_PUNCH_LAST, u"2024-05-03 21:40:00"_s), 0);
        QVERIFY(tickettext::previousPunchLine(once, true, now, 0).isEmpty());
    }

    void durations_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("under a minute") << qint64(59) << u"0 min"_s;
        QTest::newRow("hours") << qint64(3 * 3600) << u"3 heures"_s;
        QTest::newRow("one of each") << qint64(86400 + 3600 + 60) << u"1 jour 1 heure 1 min"_s;
    }

    void durations()
    {
        QFETCH(qint64, seconds);
        QFETCH(QString, text);
        QCOMPARE(tickettext::durationText(seconds, 0), text);
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestVerdict)
#include "TestVerdict.moc"
