#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "data/CDataVidange.h"
#include "session/CRepWidget.h"
#include "session/DatabaseWipe.h"
#include "session/EventPages.h"
#include "session/LoginRules.h"
#include "session/TerminalId.h"
#include "ui/MainWindow.h"
#include "ui/MessageDlg.h"
#include "ui/ProgressBar.h"
#include "ui/SaisieDlg.h"
#include "ui/Ui_MainWindow.h"

#include "BoxRecorder.h"
#include "CoreFixture.h"
#include "DataFixture.h"
#include "NetFixture.h"
#include "TestMain.h"

#include <QComboBox>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QRegularExpression>

#include <memory>

using standin::ScriptedReply;

namespace
{

const QString kDemoHash = QStringLiteral("fe01ce2a7fbac8fafaed7c982a04e229");  // MD5 of "demo"

QString label(int index)
{
    return gAffichage->getTraduction(0, index);
}

QString message(int index)
{
    return gAffichage->getMessage(0, index);
}

QString savedValue(ParamKey key)
{
    CParam saved;
    saved.charge(QString(), false);
    return saved.parametre(key);
}

// Events with one performance each, to end in 2040.
QJsonObject eventsReply(const QList<int>& ids)
{
    QJsonObject events;
    for (int id : ids) {
        const QJsonObject performance{{"id", id}, {"fin", "2040-01-01 12:00:00"}};
        events.insert(QString::number(id), QJsonObject{{"id", id}, {"replist", QJsonArray{performance}}});
    }
    return {{"request", "getEvents"}, {"events", QJsonObject{{"event", events}}}};
}

// The same events stored as the event-list worker stores them.
void addEvents(MainWindow& window, const QList<int>& ids)
{
    for (int id : ids) {
        QVERIFY(sqlRun(window.db, QStringLiteral("insert into EVENEMENT (ID, TYPE) values (%1, 0)").arg(id)));
        QVERIFY(sqlRun(window.db,
                       QStringLiteral("insert into REPRESENTATION (ID, EVENEMENT_ID, DATE_FIN) values (%1, %1, "
                                      "'2040-01-01 12:00:00')")
                           .arg(id)));
    }
}

QStringList dbFiles()
{
    return QDir(dbFolder()).entryList({QStringLiteral("*.db")}, QDir::Files, QDir::Name);
}

// "s" for each tile shown ("l" for one without separator), "-" for each hidden, the
// page label, "<" and ">" for the enabled page buttons.
QString pageState(MainWindow& window)
{
    QString state;
    const QWidget* places[] = {window.ui->widgetRep1,
                               window.ui->widgetRep2,
                               window.ui->widgetRep3,
                               window.ui->widgetRep4,
                               window.ui->widgetRep5,
                               window.ui->widgetRep6};
    for (int i = 0; i < 6; ++i) {
        const bool sep = !window.repWidgets[i]->lblSeparateur->isHidden();
        state += places[i]->isHidden() ? QLatin1Char('-') : QLatin1Char(sep ? 's' : 'l');
    }
    return state + QLatin1Char(' ') + window.ui->lblRepPage->text().mid(label(28).size())
           + (window.ui->btnRepPrevPage->isEnabled() ? " <" : " .")
           + (window.ui->btnRepNextPage->isEnabled() ? ">" : ".");
}

}  // namespace

class TestSession : public StandinTestBase
{
    Q_OBJECT

    std::unique_ptr<MainWindow> m_window;

    MainWindow& window()
    {
        return *m_window;
    }

    QString shownMessage()
    {
        return window().messageDlg->isHidden()
                   ? QString()
                   : window().messageDlg->findChild<QLabel*>(QStringLiteral("lblMessageDlgInfo"))->text();
    }

    void login(const QString& login, const QString& password, bool remember = true)
    {
        window().ui->editLogin->setText(login);
        window().ui->editPassword->setText(password);
        window().ui->editAgent->setText(QStringLiteral("5"));
        window().ui->chkBoxRememberPassword->setChecked(remember);
        window().verifLoginClicked();
    }

    // Pending rows in a ticket-list file with a DELTA row of login "previous".
    void addListFile(const QString& name, const QList<CDataModif>& rows)
    {
        QVERIFY(openRepBDD(window().db, window().dbMutex, dbFolder() + name));
        QVERIFY(netfixture::addPending(window().db, window().dbMutex, rows));
        QVERIFY(sqlRun(window().db, QStringLiteral("insert into DELTA (ID, LOGIN) values (55, 'previous')")));
        QVERIFY(openBDD(window().db, window().dbMutex));
    }

private slots:

    // No database, the stand-in's session saved, and a new window whose first ping has
    // been answered.
    void init()
    {
        m_window.reset();
        for (const QString& name : QDir(dbFolder()).entryList(QDir::Files)) {
            QFile::remove(dbFolder() + name);
        }
        gParam->initDefaut();
        netfixture::setSession(m_server->serviceUrl());
        gParam->initParametre(LOGIN_KEST, QStringLiteral("demo"));
        gParam->sauvegarde(QString(), true);
        fixture::clearLog();
        gParam->isOnline = false;
        m_window = std::make_unique<MainWindow>();
        QTRY_VERIFY(gParam->isOnline);
        m_server->clearRequests();
    }

    // What was typed at the press is kept, the password only as its hash; the same
    // organiser wipes nothing.
    void loginOnline_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("remember");
        QTest::newRow("remembered") << "demo" << true;
        QTest::newRow("ready hash, not remembered") << kDemoHash << false;
    }

    void loginOnline()
    {
        QFETCH(QString, password);
        QFETCH(bool, remember);
        addListFile(QStringLiteral("R1_Z7.db"), netfixture::pendingRows(8, 1));
        login(QStringLiteral("demo"), password, remember);
        window().ui->editLogin->setText(QStringLiteral("other"));
        QTRY_VERIFY(!window().saisieDlg->isHidden());
        QCOMPARE(gParam->login.get(), QStringLiteral("demo"));
        QCOMPARE(gParam->passwordMd5.get(), kDemoHash);
        QCOMPARE(savedValue(MY_AGENT_ID), QStringLiteral("17"));
        QCOMPARE(savedValue(PASSWORD_KEST), remember ? kDemoHash : QString());
        QCOMPARE(savedValue(AGENT_KEST), remember ? QStringLiteral("5") : QString());
        QCOMPARE(sqlRows(window().db, QStringLiteral("select count(*) from ZONE")), QStringList{"3"});
        QCOMPARE(dbFiles(), QStringList({"R1_Z7.db", "kest.db"}));
    }

    // Whatever goes wrong, the agent stays on the login page with nothing changed.
    void loginFails_data()
    {
        QTest::addColumn<ScriptedReply>("reply");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("logged");
        QTest::newRow("refused") << ScriptedReply::bytes(R"({"request":"login","error":3})") << message(2)
                                 << "warning - Login ou mot de passe incorrect : demo (Erreur 3)";
        QTest::newRow("empty") << ScriptedReply::empty() << message(2)
                               << "warning - Login ou mot de passe incorrect : demo";
        QTest::newRow("not JSON") << ScriptedReply::invalidJson() << message(3)
                                  << "error - Erreur de decodage de la reponse JSON de la verification du login.";
        QTest::newRow("network error") << ScriptedReply::httpError(404) << message(4) + " (err=203)"
                                       << "warning - Erreur Connexion login (err=203) : demo";
    }

    void loginFails()
    {
        QFETCH(ScriptedReply, reply);
        QFETCH(QString, shown);
        QFETCH(QString, logged);
        gParam->sessionId.set(QStringLiteral("before"));
        m_server->enqueue(QStringLiteral("221"), reply);
        login(QStringLiteral("demo"), QStringLiteral("demo"));
        QTRY_COMPARE(shownMessage(), shown);
        QCOMPARE(window().ui->stackedWidget->currentIndex(), 0);
        QCOMPARE(gParam->sessionId.get(), QStringLiteral("before"));
        QCOMPARE(savedValue(PASSWORD_KEST), QString());
        QVERIFY2(fixture::logContains(logged), qPrintable(fixture::logLines().join('\n')));
        // What is no login answer, or not one with status 0, is passed over in silence.
        fixture::clearLog();
        window().ackMessage();
        for (const char* reply : {R"({"request":"ping"})", R"({"request":"login","status":1})"}) {
            window().actionResponseLogin(reply);
        }
        QVERIFY(shownMessage().isEmpty() && fixture::logLines().isEmpty());
        QCOMPARE(window().ui->stackedWidget->currentIndex(), 0);
    }

    // A hash is 32 hexadecimal figures exactly, kept as typed; anything else is hashed.
    void passwordHash_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("kept");
        QTest::newRow("hash") << kDemoHash << true;
        QTest::newRow("upper-case hash") << kDemoHash.toUpper() << true;
        QTest::newRow("33 figures") << kDemoHash + "0" << false;
        QTest::newRow("31 figures") << kDemoHash.left(31) << false;
        QTest::newRow("not hexadecimal") << kDemoHash.left(31) + "g" << false;
    }

    void passwordHash()
    {
        QFETCH(QString, typed);
        QFETCH(bool, kept);
        const QString hash = loginrules::passwordHash(typed);
        QCOMPARE(hash == typed, kept);
        QCOMPARE(hash.size(), 32);
        QCOMPARE(loginrules::passwordHash(QStringLiteral("demo")), kDemoHash);
    }

    // "PC-MAC-" + system name + "-" + the first address that is neither empty nor zeros.
    void terminalId()
    {
        QStringList names;
        for (int code : {1, 2, 5, 8, 9, terminalid::kNoMacVersion}) {
            names << terminalid::systemName(code);
        }
        QCOMPARE(names.join(' '), QStringLiteral("UNKNOWN CHEETAH PANTHER SNOWLEOPARD UNKNOWN UNKNOWN"));
        QCOMPARE(terminalid::firstUsableAddress({"", "00:00:00:00:00:00", "AA:01", "BB:02"}), "AA:01");
        QCOMPARE(terminalid::firstUsableAddress({"00:00:00:00:00:00"}), terminalid::kDefaultAddress);
        QCOMPARE(terminalid::firstUsableAddress({}), terminalid::kDefaultAddress);
    }

    // The stored password may be a hash or, in older settings files, the text; the
    // login is compared trimmed, on both sides, but in its case.
    void loginOffline()
    {
        window().connectionClick();
        gParam->initParametre(PASSWORD_KEST, QStringLiteral("demo"));
        login(QStringLiteral("Demo"), QStringLiteral("demo"));
        QCOMPARE(shownMessage(), message(2));
        QVERIFY(loginrules::offlineAccepted(QStringLiteral("demo"), QStringLiteral("demo"), "demo", kDemoHash));
        // A login stored with the blanks it was typed with is the same organiser.
        QVERIFY(loginrules::offlineAccepted(QStringLiteral("demo "), QStringLiteral("demo"), "demo ", kDemoHash));
        login(QStringLiteral(" demo "), QStringLiteral("demo"));
        QCOMPARE(window().ui->stackedWidget->currentIndex(), 1);
        QCOMPARE(gParam->passwordMd5.get(), kDemoHash);
        // Back online, the ping comes and goes; no login was ever sent.
        window().connectionClick();
        QTRY_VERIFY(gParam->isOnline);
        QVERIFY(m_server->requests(QStringLiteral("221")).isEmpty());
    }

    // Another organiser: the drain queue and every unsent punch of every list, two
    // identical ones and a ".DB" file's included, end in the new main database, the
    // only file left.
    void newOrganiserWipe()
    {
        QList<CDataModif> rows = netfixture::pendingRows(8, 520, QStringLiteral("R"));
        rows << rows.first();
        addListFile(QStringLiteral("R1_Z7.db"), rows);
        addListFile(QStringLiteral("E2_Z7.DB"), netfixture::pendingRows(3, 2, QStringLiteral("E")));
        CDataVidangeListe queued;
        queued.ajoute(CDataVidange(), 0);
        QVERIFY(queued.ajouteSql(window().db, window().dbMutex));
        gParam->initParametre(LOGIN_KEST, QStringLiteral("previous"));

        login(QStringLiteral("demo"), QStringLiteral("demo"));
        QTRY_VERIFY(!window().saisieDlg->isHidden());
        QCOMPARE(dbFiles(), QStringList{"kest.db"});
        const QStringList drained =
            sqlRows(window().db, QStringLiteral("select CODE_BARRE, LOGIN, DELTA_ID from VIDANGE order by ID"));
        QCOMPARE(drained.size(), 1 + 521 + 2);
        QCOMPARE(drained.filter(QRegularExpression(QStringLiteral("^R0\\|previous\\|55$"))).size(), 2);
        QCOMPARE(savedValue(ZONE_KEST), QStringLiteral("0"));
    }

    // A wipe stopped after its new main database was complete is finished at the next
    // start; one stopped while building it leaves the old files as they were.
    void interruptedWipe_data()
    {
        QTest::addColumn<bool>("complete");
        QTest::newRow("new database complete") << true;
        QTest::newRow("new database half-built") << false;
    }

    void interruptedWipe()
    {
        QFETCH(bool, complete);
        addListFile(QStringLiteral("R1_Z7.db"), netfixture::pendingRows(8, 3));
        const QString building = complete ? databasewipe::readyPath() : databasewipe::stagingPath();
        QVERIFY(openStagingBDD(window().db, window().dbMutex, building));
        CDataVidangeListe moved;
        moved.ajoute(CDataVidange(), 0);
        QVERIFY(moved.ajouteSql(window().db, window().dbMutex));
        QVERIFY(openBDD(window().db, window().dbMutex));
        const QStringList before = dbFiles();
        // The journal a stop left beside it would be taken by the next one of that name.
        QFile journal(databasewipe::stagingPath() + QStringLiteral("-journal"));
        QVERIFY(journal.open(QIODevice::WriteOnly) && journal.write(QByteArray(512, 'j')) == 512);
        journal.close();

        QVERIFY(databasewipe::finishInterrupted(window().db, window().dbMutex));
        QVERIFY(openBDD(window().db, window().dbMutex));
        QVERIFY(!QFile::exists(building) && !journal.exists());
        QCOMPARE(dbFiles(), complete ? QStringList{"kest.db"} : before);
        QCOMPARE(sqlRows(window().db, QStringLiteral("select count(*) from VIDANGE")),
                 QStringList{complete ? "1" : "0"});
    }

    // Only the newest press is answered: a late answer to an earlier one does not log in
    // again over the session that went on.
    void lateLoginAnswer()
    {
        m_server->enqueue(QStringLiteral("221"), ScriptedReply::normal().delayed(300));
        login(QStringLiteral("demo"), QStringLiteral("demo"));
        login(QStringLiteral("demo"), QStringLiteral("demo"));
        QTRY_VERIFY(!window().saisieDlg->isHidden());
        window().cancelSaisie();
        QTRY_VERIFY(fixture::logContains(QStringLiteral("Reponse login ignoree")));
        QVERIFY(window().saisieDlg->isHidden());
    }

    // A list that cannot be read, or a new main database that cannot be written:
    // nothing is deleted and the login stops before anything is kept.
    // A zone change that cannot wipe keeps its zone and shows the stored list again.
    void wipeFailsSafely_data()
    {
        QTest::addColumn<bool>("unreadableList");
        QTest::addColumn<bool>("byZone");
        QTest::newRow("unreadable list") << true << false;
        QTest::newRow("new database not writable") << false << false;
        QTest::newRow("zone change") << false << true;
    }

    void wipeFailsSafely()
    {
        QFETCH(bool, unreadableList);
        QFETCH(bool, byZone);
        addListFile(QStringLiteral("R1_Z7.db"), netfixture::pendingRows(8, 3));
        if (unreadableList) {
            QFile garbage(dbFolder() + QStringLiteral("R2_Z7.db"));
            QVERIFY(garbage.open(QIODevice::WriteOnly) && garbage.write(QByteArray(4096, 'x')) == 4096);
        } else {
            QVERIFY(QDir().mkpath(databasewipe::stagingPath()));
        }
        const QStringList before = dbFiles();
        if (byZone) {
            addEvents(window(), {1});
            window().zoneChosen(5);
            QCOMPARE(shownMessage(), message(5));
            QDir().rmdir(databasewipe::stagingPath());
            QCOMPARE(dbFiles(), before);
            QCOMPARE(gParam->parametre(ZONE_KEST) + savedValue(ZONE_KEST), QStringLiteral("77"));
            QCOMPARE(window().ui->stackedWidget->currentIndex(), 1);
            QCOMPARE(pageState(window()), QStringLiteral("l----- 1 / 1 .."));
            return;
        }
        gParam->initParametre(LOGIN_KEST, QStringLiteral("previous"));
        login(QStringLiteral("demo"), QStringLiteral("demo"));
        QTRY_COMPARE(shownMessage(), message(5));
        QDir().rmdir(databasewipe::stagingPath());
        QCOMPARE(dbFiles(), before);
        QCOMPARE(gParam->parametre(LOGIN_KEST), QStringLiteral("previous"));
        QVERIFY(gParam->login.get() != QLatin1String("demo"));
    }

    // Forcing offline stops the pings and a late answer or failure does not undo it;
    // leaving it pings at once. The identifier names the address it saved.
    void connectionState()
    {
        window().actionErrorPing(9);
        QVERIFY(!gParam->isOnline);
        QCOMPARE(window().ui->lblConnection->text(), label(12));
        QVERIFY(fixture::logContains(QStringLiteral("warning - Erreur Connexion ping (err=9)")));
        window().actionResponsePing(QByteArray());
        QVERIFY(gParam->isOnline);
        QCOMPARE(window().ui->lblConnection->text(), label(11));
        window().connectionClick();
        QVERIFY(!gParam->isOnline && !window().pingTimer.isActive());
        window().actionResponsePing(QByteArray());
        window().actionErrorPing(4);
        QVERIFY(!gParam->isOnline);
        QCOMPARE(window().ui->lblConnection->text(), label(12));

        window().connectionClick();
        QTRY_VERIFY(gParam->isOnline);
        QCOMPARE(m_server->requests(QStringLiteral("11")).size(), 1);

        const QString serial = window().getSerialNumber();
        QVERIFY2(QRegularExpression(QStringLiteral("^PC-MAC-UNKNOWN-[0-9A-Z:]{17}$")).match(serial).hasMatch(),
                 qPrintable(serial));
        QCOMPARE(serial.mid(15), savedValue(MAC));
    }

    void exit()
    {
        int quits = 0;
        window().quitEventLoop = [&quits] {
            ++quits;
        };
        window().exitClick();
        window().isSyncRunning = true;
        window().exitClick();
        QVERIFY(quits == 1 && window().isExitRequested && !window().isEnabled());
        window().actionGetDeltaTerminated();
        QCOMPARE(quits, 2);
    }

    // The stored zone downloads at once; another wipes the lists, keeping the unsent
    // punches and the zones, and is saved.
    void zoneChosen_data()
    {
        QTest::addColumn<uint>("zone");
        QTest::newRow("same zone") << 7u;
        QTest::newRow("no zone") << 0u;
    }

    void zoneChosen()
    {
        QFETCH(uint, zone);
        QVERIFY(sqlRun(window().db, QStringLiteral("insert into ZONE values (5,'N')")));
        addListFile(QStringLiteral("R1_Z7.db"), netfixture::pendingRows(8, 3));
        window().zoneChosen(zone);
        QTRY_COMPARE(m_server->requests(QStringLiteral("241")).size(), 1);
        QCOMPARE(m_server->requests(QStringLiteral("241")).first().value(QStringLiteral("zo")), QString::number(zone));
        QCOMPARE(savedValue(ZONE_KEST), QString::number(zone));
        QCOMPARE(dbFiles().size(), zone == 7 ? 2 : 1);
        // The list is shown once its reply has come and been stored.
        QTRY_VERIFY(!window().isEventListParsing && window().progressBar->isHidden());
        QCOMPARE(sqlRows(window().db, QStringLiteral("select count(*) from VIDANGE")),
                 QStringList(zone == 7 ? "0" : "3"));
        QCOMPARE(sqlRows(window().db, QStringLiteral("select count(*) from ZONE")), QStringList("1"));
    }

    // A failed event list is told and logged; the stored list shows again.
    void eventListErrors_data()
    {
        QTest::addColumn<ScriptedReply>("reply");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("logged");
        QTest::newRow("empty") << ScriptedReply::empty() << message(26) << "warning - Erreur (no events) : demo";
        QTest::newRow("network error") << ScriptedReply::httpError(404) << message(4) + " (err=203)"
                                       << "warning - Erreur Connexion get events (err=203) : demo";
    }

    void eventListErrors()
    {
        QFETCH(ScriptedReply, reply);
        QFETCH(QString, shown);
        QFETCH(QString, logged);
        addEvents(window(), {1, 2});
        m_server->enqueue(QStringLiteral("241"), reply);
        window().recupEvents();
        QVERIFY(!window().progressBar->isHidden());
        QTRY_COMPARE(shownMessage(), shown);
        QVERIFY(window().progressBar->isHidden());
        QCOMPARE(pageState(window()), QStringLiteral("sl---- 1 / 1 .."));
        QVERIFY2(fixture::logContains(logged), qPrintable(fixture::logLines().join('\n')));
    }

    // F5 asks for the list again on the list page only.
    void refreshKey()
    {
        window().ui->stackedWidget->setCurrentIndex(2);
        window().F5KeyPressed();
        QCOMPARE(window().ui->stackedWidget->currentIndex(), 2);
        window().ui->stackedWidget->setCurrentIndex(1);
        window().F5KeyPressed();
        QTRY_COMPARE(m_server->requests(QStringLiteral("241")).size(), 1);
    }

    // The zone dialog offers "no zone" then the stored zones, the stored one chosen;
    // Cancel shows the stored list without asking for it.
    void zoneDialog_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("chosen");
        QTest::newRow("second zone") << "7" << 2;
        QTest::newRow("last zone") << "9" << 3;
        QTest::newRow("no zone") << "0" << 0;
        QTest::newRow("unknown zone") << "4" << 0;
    }

    void zoneDialog()
    {
        QFETCH(QString, stored);
        QFETCH(int, chosen);
        gParam->initParametre(ZONE_KEST, stored);
        QVERIFY(sqlRun(window().db, QStringLiteral("insert into ZONE values (9,'X'),(5,'N'),(7,'S')")));
        addEvents(window(), {1});
        window().ui->stackedWidget->setCurrentIndex(1);
        window().affichePageRep();
        auto* combo = window().saisieDlg->findChild<QComboBox*>();
        QVERIFY(!window().saisieDlg->isHidden());
        QStringList entries;
        for (int i = 0; i < combo->count(); ++i) {
            entries << combo->itemText(i) + '=' + combo->itemData(i).toString();
        }
        QCOMPARE(entries.join('|'), "0 - " + label(101) + "=0|5 - N=5|7 - S=7|9 - X=9");
        QCOMPARE(combo->currentIndex(), chosen);
        window().cancelSaisie();
        QVERIFY(window().saisieDlg->isHidden());
        QCOMPARE(pageState(window()), QStringLiteral("l----- 1 / 1 .."));
        QVERIFY(m_server->requests(QStringLiteral("241")).isEmpty());
    }

    // Only the newest event-list request is answered: the reply of zone 7, late, does
    // not land in zone 5's wiped database.
    void staleEventList()
    {
        QVERIFY(sqlRun(window().db, QStringLiteral("insert into ZONE values (5,'N')")));
        m_server->enqueue(QStringLiteral("241"), ScriptedReply::json(eventsReply({70})).delayed(400));
        m_server->enqueue(QStringLiteral("241"), ScriptedReply::json(eventsReply({50})));
        window().recupEvents();
        QTRY_COMPARE(m_server->requests(QStringLiteral("241")).size(), 1);
        window().zoneChosen(5);
        QTRY_VERIFY(fixture::logContains(QStringLiteral("Reponse getEvents ignoree")));
        QTRY_VERIFY(!window().isEventListParsing && window().progressBar->isHidden());
        QCOMPARE(m_server->requests(QStringLiteral("241")).value(1).value(QStringLiteral("zo")), QStringLiteral("5"));
        QCOMPARE(sqlRows(window().db, QStringLiteral("select ID from EVENEMENT")), QStringList("50"));
    }

    // While the worker writes, no second download starts and the buttons that would
    // start one are disabled, nor can the zone change; its end shows the list with
    // "all events" first.
    void download()
    {
        gParam->initParametre(REP_JOUR, QStringLiteral("1"));
        QList<int> ids;
        for (int i = 1; i <= 20; ++i) {
            ids << i;
        }
        QVERIFY(sqlRun(window().db, QStringLiteral("insert into ZONE values (5,'N')")));
        m_server->enqueue(QStringLiteral("241"), ScriptedReply::json(eventsReply(ids)).delayed(100));
        window().recupEvents();
        // A zone dialog opened before the reply closes when the worker starts.
        window().affichePageRep();
        QVERIFY(!window().saisieDlg->isHidden());
        QTRY_VERIFY(window().isEventListParsing);
        QVERIFY(window().saisieDlg->isHidden());
        QVERIFY(!window().ui->btnRefreshListRep->isEnabled() && !window().ui->widgetLoadFile->isEnabled());
        window().zoneChosen(5);
        window().refreshListRepClicked();
        window().F5KeyPressed();
        QTRY_VERIFY(window().progressBar->isHidden());
        QVERIFY(window().ui->btnRefreshListRep->isEnabled());
        QCOMPARE(m_server->requests(QStringLiteral("241")).size(), 1);
        QCOMPARE(gParam->parametre(ZONE_KEST), QStringLiteral("7"));
        QCOMPARE(pageState(window()), QStringLiteral("ssssss 1 / 4 .>"));
        QCOMPARE(window().dataEvenementListe.first().NOM, label(150));

        for (int page = 0; page < 4; ++page) {
            window().repNextPageClicked();
        }
        QCOMPARE(pageState(window()), QStringLiteral("ssl--- 4 / 4 <."));
    }

    // Old performances go unless a list on disk may still hold punches, and so does an
    // entry left without performance; an end that cannot be read keeps its row.
    void purge()
    {
        const QDateTime now(QDate(2030, 6, 10), QTime(12, 0, 0));
        QVERIFY(!eventpages::isOver(QStringLiteral("2030-06-08 12:00:00"), now));
        QVERIFY(eventpages::isOver(QStringLiteral("2030-06-08 11:59:59"), now));
        window().connectionClick();
        QVERIFY(sqlRun(
            window().db,
            QStringLiteral("insert into EVENEMENT (ID, TYPE) values (0,1),(1,0),(2,0),(3,1),(4,0),(5,0),(6,0),(7,1)")));
        const QString old = QStringLiteral("'2001-01-01 00:00:00'");
        QVERIFY(sqlRun(window().db,
                       QStringLiteral("insert into REPRESENTATION (ID, EVENEMENT_ID, DATE_FIN) values (10,1,%1),"
                                      "(11,1,'2040-01-01 00:00:00'),(20,2,%1),(30,3,%1),(40,4,%1),(41,4,%1),(50,5,%1),"
                                      "(51,5,'2001-13-01 00:00:00'),(60,6,%1),(70,7,%1),(80,0,%1)")
                           .arg(old)));
        // A pass's list, an event's whole list, a performance's own list.
        for (const char* name : {"P3_Z7.db", "E4_Z7.db", "R60_Z7.db"}) {
            QVERIFY(QFile(dbFolder() + QLatin1String(name)).open(QIODevice::WriteOnly));
        }
        window().displayDownloadedEvents();
        QStringList kept;
        for (const CDataEvenement& entry : std::as_const(window().dataEvenementListe)) {
            kept << QString::number(entry.ID);
        }
        kept.sort();
        QCOMPARE(kept, QStringList({"1", "3", "4", "5", "6"}));
        QCOMPARE(sqlRows(window().db, QStringLiteral("select ID from REPRESENTATION order by ID")),
                 QStringList({"11", "30", "40", "41", "51", "60"}));

        // Performances that could not be read are not "none left".
        QVERIFY(sqlRun(window().db, QStringLiteral("drop table REPRESENTATION")));
        QCOMPARE(eventpages::purge(window().db, window().dbMutex, window().dataEvenementListe, now).size(), 5);
        QCOMPARE(sqlRows(window().db, QStringLiteral("select count(*) from EVENEMENT")), QStringList{"5"});
    }
};

TAVRIMEX_TEST_MAIN(TestSession)
#include "TestSession.moc"
