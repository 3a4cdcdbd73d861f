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

// The rules of the panel that the window tests do not reach one by one.
class TestVerdict : public QObject
{
    Q_OBJECT

private slots:

    void initTestCase()
    {
        fixture::initQuietCore();
    }

    // "counts" is "IS_USABLE IS_DELETED NB_COMPOSTAGE"; "punch" the punch button's
    // caption line (0 hidden). Un-punching only for a ticket shown as punched.
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
        QTest::newRow("deleted") << Verdict::Supprime << u"1 1 1"_s << true << 0 << true;
        QTest::newRow("reported, used") << Verdict::Signale << u"1 0 0"_s << false << 0 << false;
        QTest::newRow("unknown") << Verdict::Inconnu << u"1 0 1"_s << true << 0 << false;
    }

    void buttons()
    {
        QFETCH(Verdict, shown);
        QFETCH(QString, counts);
        QFETCH(bool, unpunch);
        QFETCH(int, punch);
        QFETCH(bool, fraude);
        const QStringList parts = counts.split(u' ');
        CDataBillet billet;
        billet.initDefaut();
        billet.IS_USABLE = parts[0].toUInt();
        billet.IS_DELETED = parts[1].toUInt();
        billet.NB_COMPOSTAGE = parts[2].toUInt();
        const ActionButtons buttons = actionButtonsOf(shown, billet, unpunch);
        QCOMPARE(buttons.punchLabel, punch);
        QCOMPARE(buttons.fraude, fraude);
    }

    void history()
    {
        CDataModifListe list;
        list.ajoute(entry(MODIF_PUNCH_LAST, u"2024-05-03 21:40:00"_s, u"A7"_s), 0);
        list.ajoute(entry(MODIF_FRAUDE, u"2024-05-02 10:00:00"_s), 0);
        list.ajoute(entry(MODIF_PUNCH, u"2024-05-01 20:15:00"_s), 0);
        QCOMPARE(tickettext::historyLine(list.value(0), QString(), 0), u"Compostage 03/05/2024 21:40 A7"_s);
        QCOMPARE(tickettext::historyLine(list.value(1), QString(), 0), u"Signalement 02/05/2024 10:00 Inconnu"_s);
        QCOMPARE(tickettext::lastPunchLine(list, 0), u"Composté le : 03/05/2024 21:40"_s);
        // Just punched: the time since the punch before it.
        const QDateTime now(QDate(2024, 5, 3), QTime(21, 40, 30));
        QCOMPARE(tickettext::previousPunchLine(list, true, now, 0), u"Précédent compostage : 2 jours 1 heure 25 min"_s);
        QCOMPARE(tickettext::previousPunchLine(list, false, now, 0), u"Précédent compostage : 0 min"_s);
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestVerdict)
#include "TestVerdict.moc"
