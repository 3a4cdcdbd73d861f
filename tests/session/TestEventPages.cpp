#include "data/CDataRepresentation.h"
#include "data/CDataVidange.h"
#include "data/CDataZone.h"
#include "session/CRepWidget.h"
#include "ui/ProgressBar.h"
#include "ui/SaisieDlg.h"

#include "SessionFixture.h"
#include "TestMain.h"

#include <QComboBox>
#include <QJsonArray>
#include <QJsonObject>

#include <memory>

using namespace sessionfixture;
using standin::ScriptedReply;

namespace
{

void addEvents(MainWindow& window, int count)
{
    for (int i = 1; i <= count; ++i) {
        CDataEvenement event;
        event.initDefaut();
        event.ID = static_cast<unsigned int>(i);
        QVERIFY(event.ajouteSql(window.db, window.dbMutex));
        CDataRepresentation performance;
        performance.initDefaut();
        performance.ID = event.ID;
        performance.EVENEMENT_ID = event.ID;
        performance.DATE_FIN = QStringLiteral("2040-01-01 00:00:00");
        QVERIFY(performance.ajouteSql(window.db, window.dbMutex));
    }
}

// "s" for each tile shown, "-" for each hidden, and the page label.
QString pageState(MainWindow& window)
{
    QString state;
    for (QWidget* place : {window.ui->widgetRep1,
                           window.ui->widgetRep2,
                           window.ui->widgetRep3,
                           window.ui->widgetRep4,
                           window.ui->widgetRep5,
                           window.ui->widgetRep6}) {
        state += place->isHidden() ? QLatin1Char('-') : QLatin1Char('s');
    }
    state += QLatin1Char(' ') + window.ui->lblRepPage->text().mid(label(28).size());
    state += window.ui->btnRepPrevPage->isEnabled() ? QStringLiteral(" <") : QStringLiteral(" .");
    state += window.ui->btnRepNextPage->isEnabled() ? QStringLiteral(">") : QStringLiteral(".");
    return state;
}

QStringList comboEntries(MainWindow& window)
{
    auto* combo = window.saisieDlg->findChild<QComboBox*>(QStringLiteral("comboSaisieDlg"));
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i) {
        entries << (i == combo->currentIndex() ? QStringLiteral("*") : QString()) + combo->itemText(i);
    }
    return entries;
}

}  // namespace

class TestEventPages : public QObject
{
    Q_OBJECT

    Harness m_harness;
    standin::StandinServer* m_server = nullptr;

    MainWindow& window()
    {
        return *m_harness.window;
    }

    void addZones()
    {
        CDataZoneListe zones;
        for (const auto& [id, name] : {std::pair(5u, "N"), std::pair(12u, "S"), std::pair(40u, "E")}) {
            CDataZone zone;
            zone.ID = id;
            zone.NOM = QLatin1String(name);
            zones.ajoute(zone, 0);
        }
        QVERIFY(zones.ajouteSql(window().db, window().dbMutex));
    }

private slots:

    void initTestCase()
    {
        QVERIFY(m_harness.start());
        m_server = m_harness.server.get();
    }

    void init()
    {
        m_harness.openWindow();
    }

    void cleanup()
    {
        m_harness.window.reset();
    }

    // The zone is asked online, with zones known, from the login page or the list.
    void zoneDialog_data()
    {
        QTest::addColumn<QString>("storedZone");
        QTest::addColumn<bool>("online");
        QTest::addColumn<int>("page");
        QTest::addColumn<QStringList>("entries");
        const QString none = QStringLiteral("0 - ") + label(101);
        QTest::newRow("stored zone selected") << "12" << true << 0 << QStringList({none, "5 - N", "*12 - S", "40 - E"});
        QTest::newRow("unknown zone") << "99" << true << 1 << QStringList({"*" + none, "5 - N", "12 - S", "40 - E"});
        QTest::newRow("offline") << "12" << false << 0 << QStringList();
        QTest::newRow("from the scan page") << "12" << true << 2 << QStringList();
    }

    void zoneDialog()
    {
        QFETCH(QString, storedZone);
        QFETCH(bool, online);
        QFETCH(int, page);
        QFETCH(QStringList, entries);
        addZones();
        gParam->initParametre(ZONE_KEST, storedZone);
        if (!online) {
            window().connectionClick();
        }
        window().ui->stackedWidget->setCurrentIndex(page);
        window().affichePageRep();
        QCOMPARE(!window().saisieDlg->isHidden(), !entries.isEmpty());
        if (entries.isEmpty()) {
            QCOMPARE(window().ui->stackedWidget->currentIndex(), 1);
            return;
        }
        QCOMPARE(comboEntries(window()), entries);
        QCOMPARE(window().saisieDlg->findChild<QLabel*>(QStringLiteral("lblSaisieDlgTitle"))->text(), message(24));
    }

    // The stored zone again downloads at once; another one wipes the lists but keeps
    // the unsent punches and the zones, and is saved.
    void zoneChosen_data()
    {
        QTest::addColumn<uint>("zone");
        QTest::newRow("same zone") << 7u;
        QTest::newRow("no zone") << 0u;
    }

    void zoneChosen()
    {
        QFETCH(uint, zone);
        addZones();
        QVERIFY(openRepBDD(window().db, window().dbMutex, dbFolder() + QStringLiteral("R1_Z7.db")));
        QVERIFY(netfixture::addPending(window().db, window().dbMutex, netfixture::pendingRows(8, 3)));
        QVERIFY(openBDD(window().db, window().dbMutex));
        window().zoneChosen(zone);
        QTRY_COMPARE(m_server->requests(QStringLiteral("241")).size(), 1);
        QCOMPARE(m_server->requests(QStringLiteral("241")).first().value(QStringLiteral("zo")), QString::number(zone));
        QCOMPARE(savedValue(ZONE_KEST), QString::number(zone));
        const bool wiped = zone != 7;
        QCOMPARE(dbFiles().contains(QStringLiteral("R1_Z7.db")), !wiped);
        QTRY_VERIFY(!window().isEventListParsing);
        QCOMPARE(sqlRows(window().db, QStringLiteral("select count(*) from VIDANGE")), QStringList(wiped ? "3" : "0"));
        QCOMPARE(sqlRows(window().db, QStringLiteral("select count(*) from ZONE")), QStringList("3"));
    }

    // Cancel on the list shows the stored events; on the login page it only closes.
    void zoneCancelled()
    {
        addZones();
        addEvents(window(), 1);
        window().affichePageRep();
        window().cancelSaisie();
        QVERIFY(window().saisieDlg->isHidden());
        QCOMPARE(pageState(window()), QStringLiteral("------ 0 / 0 .."));
        window().ui->stackedWidget->setCurrentIndex(1);
        window().affichePageRep();
        window().cancelSaisie();
        QCOMPARE(pageState(window()), QStringLiteral("s----- 1 / 1 .."));
        QTest::qWait(50);
        QVERIFY(m_server->requests(QStringLiteral("241")).isEmpty());
    }

    // "Tous les événements" first, then the stand-in's three events and its pass.
    void download()
    {
        gParam->initParametre(REP_JOUR, QStringLiteral("1"));
        window().recupEvents();
        QCOMPARE(window().ui->stackedWidget->currentIndex(), 1);
        QVERIFY(!window().progressBar->isHidden() && window().isEnabled());
        QTRY_VERIFY(window().progressBar->isHidden());
        QCOMPARE(pageState(window()), QStringLiteral("sssss- 1 / 1 .."));
        QCOMPARE(window().dataEvenementListe.first().NOM, label(150));
        QCOMPARE(window().dataEvenementListe.value(1).TYPE, 1u);
        QCOMPARE(window().ui->lblRepChoiceTitle->text(), label(18) + " (" + label(102) + " 7)");
    }

    // A failed download tells the agent and shows the events already stored.
    void downloadFails_data()
    {
        QTest::addColumn<ScriptedReply>("reply");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("logged");
        QTest::newRow("empty") << ScriptedReply::empty() << message(26) << "Erreur (no events) : ";
        QTest::newRow("error") << ScriptedReply::httpError(404) << message(4) + " (err=203)"
                               << "Erreur Connexion get events (err=203) : ";
    }

    void downloadFails()
    {
        QFETCH(ScriptedReply, reply);
        QFETCH(QString, shown);
        QFETCH(QString, logged);
        addEvents(window(), 2);
        window().ui->editLogin->setText(QStringLiteral("typed"));
        m_server->enqueue(QStringLiteral("241"), reply);
        window().recupEvents();
        QTRY_COMPARE(shownMessage(window()), shown);
        QVERIFY(fixture::logContains(logged + "typed"));
        QCOMPARE(pageState(window()), QStringLiteral("ss---- 1 / 1 .."));
        QVERIFY(window().progressBar->isHidden());
    }

    // While the worker writes, no second download starts and the buttons that would
    // start one are disabled.
    void oneDownloadAtATime()
    {
        QJsonObject events;
        for (int i = 1; i <= 20; ++i) {
            const QJsonObject performance{{"id", i}, {"debut", "2040-01-01 10:00:00"}, {"fin", "2040-01-01 12:00:00"}};
            events.insert(QString::number(i),
                          QJsonObject{{"id", i}, {"nom", "e"}, {"replist", QJsonArray{performance}}});
        }
        m_server->enqueue(QStringLiteral("241"),
                          ScriptedReply::json({{"request", "getEvents"}, {"events", QJsonObject{{"event", events}}}}));
        window().recupEvents();
        QTRY_VERIFY(window().isEventListParsing);
        QVERIFY(!window().ui->btnRefreshListRep->isEnabled() && !window().ui->widgetLoadFile->isEnabled());
        window().refreshListRepClicked();
        window().F5KeyPressed();
        QTRY_VERIFY(!window().isEventListParsing);
        QVERIFY(window().ui->btnRefreshListRep->isEnabled() && window().ui->widgetLoadFile->isEnabled());
        QCOMPARE(m_server->requests(QStringLiteral("241")).size(), 1);
        QCOMPARE(pageState(window()), QStringLiteral("ssssss 1 / 4 .>"));
    }

    void paging()
    {
        window().connectionClick();
        window().displayDownloadedEvents();
        QCOMPARE(pageState(window()), QStringLiteral("------ 1 / 1 .."));
        addEvents(window(), 13);
        window().displayDownloadedEvents();
        QCOMPARE(pageState(window()), QStringLiteral("ssssss 1 / 3 .>"));
        window().repPrevPageClicked();
        window().repNextPageClicked();
        window().repNextPageClicked();
        window().repNextPageClicked();
        QCOMPARE(pageState(window()), QStringLiteral("s----- 3 / 3 <."));
        window().actionPageEnable(false);
        QCOMPARE(pageState(window()), QStringLiteral("s----- 3 / 3 .."));
        window().actionPageEnable(true);
        QCOMPARE(pageState(window()), QStringLiteral("s----- 3 / 3 <."));
        window().repPrevPageClicked();
        QCOMPARE(pageState(window()), QStringLiteral("ssssss 2 / 3 <>"));

        // F5 counts on the list page only; leaving the scan page during a cycle waits.
        window().ui->stackedWidget->setCurrentIndex(0);
        window().F5KeyPressed();
        QCOMPARE(pageState(window()), QStringLiteral("ssssss 2 / 3 <>"));
        window().isSyncRunning = true;
        window().changeRepClicked();
        QVERIFY(window().isRepPageRequested && !window().progressBar->isHidden());
        QVERIFY(pageState(window()).startsWith(QStringLiteral("ssssss 2 / 3")));
    }
};

TAVRIMEX_TEST_MAIN(TestEventPages)
#include "TestEventPages.moc"
