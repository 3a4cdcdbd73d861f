#include "SessionFixture.h"
#include "TestMain.h"

namespace
{

// "text|value" of the waiting dialog each time it is shown.
struct WaitingShown : QObject
{
    QStringList shown;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ShowToParent) {
            const auto* dialog = static_cast<QWidget*>(watched);
            shown << dialog->findChild<QLabel*>(QStringLiteral("lblWaiting"))->text() + '|'
                         + QString::number(dialog->findChild<QProgressBar*>(QStringLiteral("pbWaiting"))->value());
        }
        return false;
    }
};

}  // namespace

class TestSession : public SessionTestBase
{
    Q_OBJECT

private slots:

    // What was typed is kept, the password as its hash; the same organiser wipes nothing.
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
        makeRepFile(QStringLiteral("R1_Z7.db"), netfixture::pendingRows(8, 1), 55);
        login(QStringLiteral("demo"), password, remember);
        window().ui->editLogin->setText(QStringLiteral("other"));
        QTRY_VERIFY(!window().saisieDlg->isHidden());
        QCOMPARE(gParam->login.get() + ' ' + gParam->passwordMd5.get(), "demo " + kDemoHash);
        QCOMPARE(savedValue(MY_AGENT_ID), QStringLiteral("17"));
        QCOMPARE(savedValue(PASSWORD_KEST), remember ? kDemoHash : QString());
        QCOMPARE(savedValue(AGENT_KEST), remember ? QStringLiteral("5") : QString());
        QCOMPARE(sqlRows(db(), QStringLiteral("select count(*) from ZONE")), QStringList{"3"});
        QCOMPARE(dbFiles(), QStringList({"R1_Z7.db", "kest.db"}));
    }

    // A failed login changes nothing; other answers, or status not 0, pass in silence.
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
        QVERIFY2(fixture::logContains(logged), qPrintable(fixture::logLines().join('\n')));
        fixture::clearLog();
        window().ackMessage();
        for (const char* reply : {R"({"request":"ping"})", R"({"request":"login","status":1})"}) {
            window().actionResponseLogin(reply);
        }
        QVERIFY(shownMessage().isEmpty() && fixture::logLines().isEmpty());
    }

    // A hash is 32 hex figures, else hashed; logins are trimmed; the terminal identifier.
    void rules()
    {
        QCOMPARE(loginrules::passwordHash(QStringLiteral("demo")), kDemoHash);
        QVERIFY(loginrules::offlineAccepted(" demo ", "demo", "demo", kDemoHash));
        QVERIFY(!loginrules::offlineAccepted("Demo", "demo", "demo", "demo"));
        for (const QString& hash : {kDemoHash, kDemoHash.toUpper()}) {
            QCOMPARE(loginrules::passwordHash(hash), hash);
        }
        for (const QString& text : {kDemoHash + '0', kDemoHash.left(31), kDemoHash.left(31) + 'g'}) {
            const QByteArray md5 = QCryptographicHash::hash(text.toLatin1(), QCryptographicHash::Md5).toHex();
            QCOMPARE(loginrules::passwordHash(text), QString::fromLatin1(md5));
        }
        QString names;
        for (int code : {1, 2, 5, 8, 9, terminalid::kNoMacVersion}) {
            names += terminalid::systemName(code) + ' ';
        }
        QCOMPARE(names, QStringLiteral("UNKNOWN CHEETAH PANTHER SNOWLEOPARD UNKNOWN UNKNOWN "));
        QCOMPARE(terminalid::firstUsableAddress({"", "00:00:00:00:00:00", "AA:01", "BB:02"}), "AA:01");
        QCOMPARE(terminalid::firstUsableAddress({"00:00:00:00:00:00"}), terminalid::kDefaultAddress);
        const QString serial = window().getSerialNumber();
        QVERIFY(QRegularExpression(QStringLiteral("^PC-MAC-UNKNOWN-[0-9A-Z:]{17}$")).match(serial).hasMatch());
        QCOMPARE(serial.mid(15), savedValue(MAC));
    }

    // Another organiser: every unsent punch, even twice the same, ends in the new kest.db.
    void newOrganiserWipe()
    {
        QList<CDataModif> rows = netfixture::pendingRows(8, 520, QStringLiteral("R"));
        rows << rows.first();
        makeRepFile(QStringLiteral("R1_Z7.db"), rows, 55);
        makeRepFile(QStringLiteral("E2_Z7.DB"), netfixture::pendingRows(3, 2, QStringLiteral("E")), 55);
        CDataVidangeListe queued;
        queued.ajoute(CDataVidange(), 0);
        QVERIFY(queued.ajouteSql(db(), window().dbMutex));
        gParam->initParametre(LOGIN_KEST, QStringLiteral("previous"));
        login(QStringLiteral("demo"), QStringLiteral("demo"));
        QTRY_VERIFY(!window().saisieDlg->isHidden());
        QCOMPARE(dbFiles(), QStringList{"kest.db"});
        const QStringList drained =
            sqlRows(db(), QStringLiteral("select CODE_BARRE, LOGIN, DELTA_ID from VIDANGE order by ID"));
        QCOMPARE(drained.size(), 1 + 521 + 2);
        QCOMPARE(drained.filter(QRegularExpression(QStringLiteral("^R0\\|orga\\|55$"))).size(), 2);
        QCOMPARE(savedValue(ZONE_KEST), QStringLiteral("0"));
    }

    // A wipe stopped once its new database was complete is finished at the next start; half-built, undone.
    void interruptedWipe_data()
    {
        QTest::addColumn<bool>("complete");
        QTest::newRow("new database complete") << true;
        QTest::newRow("new database half-built") << false;
    }

    void interruptedWipe()
    {
        QFETCH(bool, complete);
        makeRepFile(QStringLiteral("R1_Z7.db"), netfixture::pendingRows(8, 3), 55);
        const QString building = complete ? databasewipe::readyPath() : databasewipe::stagingPath();
        QVERIFY(openStagingBDD(db(), window().dbMutex, building));
        CDataVidangeListe moved;
        moved.ajoute(CDataVidange(), 0);
        QVERIFY(moved.ajouteSql(db(), window().dbMutex));
        QVERIFY(openBDD(db(), window().dbMutex));
        const QStringList before = dbFiles();
        const QString journal = databasewipe::stagingPath() + QStringLiteral("-journal");
        QVERIFY(fixture::writeFile(journal, QByteArray(512, 'j')));
        m_window.reset();
        m_window = std::make_unique<MainWindow>();
        QVERIFY(!window().isStartFailed);
        QVERIFY(!QFile::exists(building) && !QFile::exists(journal));
        QCOMPARE(dbFiles(), complete ? QStringList{"kest.db"} : before);
        QCOMPARE(sqlRows(db(), QStringLiteral("select count(*) from VIDANGE")), QStringList{complete ? "1" : "0"});
    }

    // Only the newest login press is answered, and only while the login page shows.
    void lateLoginAnswer()
    {
        m_server->enqueue(QStringLiteral("221"), ScriptedReply::normal().delayed(300));
        login(QStringLiteral("demo"), QStringLiteral("demo"));
        login(QStringLiteral("demo"), QStringLiteral("demo"));
        QTRY_VERIFY(!window().saisieDlg->isHidden());
        window().cancelSaisie();
        QTRY_VERIFY(fixture::logContains(QStringLiteral("Reponse login ignoree")));
        QVERIFY(window().saisieDlg->isHidden());
        m_server->enqueue(QStringLiteral("221"), ScriptedReply::normal().delayed(300));
        login(QStringLiteral("demo"), QStringLiteral("demo"));
        window().backToRepClicked();
        window().isStaleLoginLogged = false;
        QTRY_COMPARE(fixture::logLines().filter(QStringLiteral("Reponse login ignoree")).size(), 2);
        QVERIFY(window().saisieDlg->isHidden());
    }

    // A wipe that cannot be done deletes nothing; a zone change keeps the zone and list.
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
        makeRepFile(QStringLiteral("R1_Z7.db"), netfixture::pendingRows(8, 3), 55);
        QVERIFY(unreadableList ? fixture::writeFile(dbPath(QStringLiteral("R2_Z7.db")), QByteArray(4096, 'x'))
                               : QDir().mkpath(databasewipe::stagingPath()));
        const QStringList before = dbFiles();
        if (byZone) {
            addEvents({1});
            window().zoneChosen(5);
        } else {
            gParam->initParametre(LOGIN_KEST, QStringLiteral("previous"));
            login(QStringLiteral("demo"), QStringLiteral("demo"));
        }
        QTRY_COMPARE(shownMessage(), message(5));
        QDir().rmdir(databasewipe::stagingPath());
        QCOMPARE(dbFiles(), before);
        if (byZone) {
            QCOMPARE(gParam->parametre(ZONE_KEST) + savedValue(ZONE_KEST), QStringLiteral("77"));
            QCOMPARE(window().ui->stackedWidget->currentIndex(), 1);
            QCOMPARE(pageState(window()), QStringLiteral("l----- 1 / 1 .."));
        } else {
            QCOMPARE(gParam->parametre(LOGIN_KEST), QStringLiteral("previous"));
            QVERIFY(gParam->login.get() != QLatin1String("demo"));
        }
        m_boxes->clear();
    }

    // A failed ping is logged and shown; forced offline, no answer undoes it; exit.
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
        window().isSyncRunning = true;
        window().exitClick();
        QVERIFY(window().isExitRequested && !window().progressBar->isHidden());
    }

    // Pressed again, the connection button pings at once and restarts the repeating ping.
    void leavingOfflineRestartsPing()
    {
        window().connectionClick();
        QVERIFY(!window().pingTimer.isActive());
        window().connectionClick();
        QVERIFY(window().pingTimer.isActive() && !window().pingTimer.isSingleShot());
        QCOMPARE(window().pingTimer.interval(), 30000);
        QTRY_VERIFY(gParam->isOnline);
        QCOMPARE(window().ui->lblConnection->text(), label(11));
        QCOMPARE(m_server->requests(QStringLiteral("11")).size(), 1);
    }

    // Typed field by field: the login and the password are needed, the agent code is not.
    void loginButton_data()
    {
        QTest::addColumn<QStringList>("typed");  // login, password, agent
        QTest::addColumn<bool>("enabled");
        QTest::newRow("login and password") << QStringList{"demo", "demo", ""} << true;
        QTest::newRow("all three") << QStringList{"demo", "demo", "5"} << true;
        QTest::newRow("no password") << QStringList{"demo", "", "5"} << false;
        QTest::newRow("no login") << QStringList{"", "demo", "5"} << false;
        QTest::newRow("login only") << QStringList{"demo", "", ""} << false;
        QTest::newRow("password only") << QStringList{"", "demo", ""} << false;
    }

    void loginButton()
    {
        QFETCH(QStringList, typed);
        QFETCH(bool, enabled);
        const QList<QLineEdit*> fields{window().ui->editLogin, window().ui->editPassword, window().ui->editAgent};
        for (QLineEdit* field : fields) {
            field->clear();
        }
        QVERIFY(!window().ui->btnLoginValidation->isEnabled());
        for (qsizetype i = 0; i < fields.size(); ++i) {
            QTest::keyClicks(fields[i], typed[i]);
        }
        QCOMPARE(window().ui->btnLoginValidation->isEnabled(), enabled);
    }

    // "No zone" then the stored zones, the stored one chosen; Cancel shows the stored list.
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
        QVERIFY(sqlRun(db(), QStringLiteral("insert into ZONE values (9,'X'),(5,'N'),(7,'S')")));
        addEvents({1});
        window().ui->stackedWidget->setCurrentIndex(1);
        window().affichePageRep();
        QVERIFY(!window().saisieDlg->isHidden());
        auto* combo = window().saisieDlg->findChild<QComboBox*>();
        QStringList entries;
        for (int i = 0; i < combo->count(); ++i) {
            entries << combo->itemText(i) + '=' + combo->itemData(i).toString();
        }
        QCOMPARE(entries.join('|'), "0 - " + label(101) + "=0|5 - N=5|7 - S=7|9 - X=9");
        QCOMPARE(combo->currentIndex(), chosen);
        window().cancelSaisie();
        QCOMPARE(pageState(window()), QStringLiteral("l----- 1 / 1 .."));
        QVERIFY(m_server->requests(QStringLiteral("241")).isEmpty());
    }

    // Another zone wipes the lists, keeping the unsent punches and the zones, and is saved.
    void zoneChosen_data()
    {
        QTest::addColumn<uint>("zone");
        QTest::newRow("same zone") << 7u;
        QTest::newRow("no zone") << 0u;
    }

    void zoneChosen()
    {
        QFETCH(uint, zone);
        QVERIFY(sqlRun(db(), QStringLiteral("insert into ZONE values (5,'N')")));
        makeRepFile(QStringLiteral("R1_Z7.db"), netfixture::pendingRows(8, 3), 55);
        addEvents({1, 2});
        window().displayDownloadedEvents();
        QCOMPARE(pageState(window()).left(6), QStringLiteral("sl----"));
        // While the new zone's list is on its way, no tile offers a list just wiped.
        m_server->enqueue(QStringLiteral("241"), ScriptedReply::json(eventsReply({})).delayed(300));
        window().zoneChosen(zone);
        if (zone != 7) {
            QCOMPARE(pageState(window()).left(6), QStringLiteral("------"));
        }
        QTRY_COMPARE(m_server->requests(QStringLiteral("241")).size(), 1);
        QCOMPARE(m_server->requests(QStringLiteral("241")).first().value(QStringLiteral("zo")), QString::number(zone));
        QCOMPARE(savedValue(ZONE_KEST), QString::number(zone));
        QCOMPARE(dbFiles().size(), zone == 7 ? 2 : 1);
        QTRY_VERIFY(!window().isEventListParsing && window().progressBar->isHidden());
        QCOMPARE(sqlRows(db(), QStringLiteral("select count(*) from VIDANGE")), QStringList(zone == 7 ? "0" : "3"));
        QCOMPARE(sqlRows(db(), QStringLiteral("select count(*) from ZONE")), QStringList("1"));
    }

    // Zone 7's late event list does not land in zone 5's database.
    void staleEventList()
    {
        QVERIFY(sqlRun(db(), QStringLiteral("insert into ZONE values (5,'N')")));
        m_server->enqueue(QStringLiteral("241"), ScriptedReply::json(eventsReply({70})).delayed(400));
        m_server->enqueue(QStringLiteral("241"), ScriptedReply::json(eventsReply({50})));
        window().recupEvents();
        QTRY_COMPARE(m_server->requests(QStringLiteral("241")).size(), 1);
        window().zoneChosen(5);
        QTRY_VERIFY(fixture::logContains(QStringLiteral("Reponse getEvents ignoree")));
        QTRY_VERIFY(!window().isEventListParsing && window().progressBar->isHidden());
        QCOMPARE(m_server->requests(QStringLiteral("241")).value(1).value(QStringLiteral("zo")), QStringLiteral("5"));
        QCOMPARE(sqlRows(db(), QStringLiteral("select ID from EVENEMENT")), QStringList("50"));
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
        addEvents({1, 2});
        m_server->enqueue(QStringLiteral("241"), reply);
        window().recupEvents();
        QTRY_COMPARE(shownMessage(), shown);
        QVERIFY(window().progressBar->isHidden());
        QCOMPARE(pageState(window()), QStringLiteral("sl---- 1 / 1 .."));
        QVERIFY2(fixture::logContains(logged), qPrintable(fixture::logLines().join('\n')));
    }

    // F5 acts on the list page only; a worker writing blocks downloads and zone changes.
    void download()
    {
        window().ui->stackedWidget->setCurrentIndex(2);
        window().F5KeyPressed();
        QVERIFY(window().ui->stackedWidget->currentIndex() == 2 && window().saisieDlg->isHidden());
        gParam->initParametre(REP_JOUR, QStringLiteral("1"));
        QList<int> ids(20);
        std::iota(ids.begin(), ids.end(), 1);
        QVERIFY(sqlRun(db(), QStringLiteral("insert into ZONE values (5,'N')")));
        m_server->enqueue(QStringLiteral("241"), ScriptedReply::json(eventsReply(ids)).delayed(100));
        window().ui->stackedWidget->setCurrentIndex(1);
        window().F5KeyPressed();
        QVERIFY(!window().saisieDlg->isHidden());
        window().cancelSaisie();
        window().recupEvents();
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

    // Pass 0's tile asks for "-0", but its scope once current is "0".
    void passZeroScope()
    {
        makeRepFile(QStringLiteral("P0_Z7.db"), {}, 1000);
        addEvent(eventRecord(0, 1), {{7, "2030-05-03 20:00:00", "2030-05-02 18:00:00", 100}});
        fill(eventRecord(0, 1));
        QCOMPARE(tileList(), QStringLiteral("-0 P0_Z7.db"));
        m_tile->selectClicked();
        QCOMPARE(current(), QStringLiteral("0 P0_Z7.db"));
    }

    // An event file onto a list already there leaves it whole; only unsent punches are told.
    void eventFileOntoList_data()
    {
        QTest::addColumn<unsigned int>("status");
        QTest::newRow("unsent punch") << MODIF_STATUS_PENDING;
        QTest::newRow("every punch sent") << MODIF_STATUS_SENT;
    }

    void eventFileOntoList()
    {
        QFETCH(unsigned int, status);
        CDataModif punch = netfixture::pendingRow(8, QStringLiteral("kept"));
        punch.STATUS = status;
        makeRepFile(QStringLiteral("R4001_Z0.db"), {punch}, 1000);
        importFile(QStringLiteral("event.kst"), QJsonDocument(m_server->eventFileDocument("R4001", 0)).toJson());
        QCOMPARE(current(), QStringLiteral("4001 R4001_Z0.db"));
        QVERIFY(QFile::exists(dbPath(QStringLiteral("dump.db"))));
        QCOMPARE(rows(dbPath(QStringLiteral("R4001_Z0.db")), QStringLiteral("select CODE_BARRE, STATUS from MODIF")),
                 QStringList{"kept|" + QString::number(status)});
        QCOMPARE(shownMessage(), status == MODIF_STATUS_PENDING ? message(20) : QString());
        QCOMPARE(fixture::logLines()
                     .filter(" - warning - Liste des billets deja presente, fichier non importe : "
                             + dbPath(QStringLiteral("R4001_Z0.db")))
                     .size(),
                 1);
        QCOMPARE(db().databaseName(), mainDatabasePath());
    }

    // Each choice of a list shows the local-ticket button by the exact setting "1" of that moment.
    void localTicketButton_data()
    {
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<bool>("shown");
        QTest::newRow("on") << QStringList{"1"} << true;
        QTest::newRow("off") << QStringList{"0"} << false;
        QTest::newRow("empty") << QStringList{""} << false;
        QTest::newRow("on, then off") << QStringList{"1", "0"} << false;
    }

    void localTicketButton()
    {
        QFETCH(QStringList, settings);
        QFETCH(bool, shown);
        tile4001();
        for (const QString& setting : settings) {
            gParam->initParametre(USE_LOCAL_TICKET, setting);
            m_tile->selectClicked();
            QCOMPARE(current(), QStringLiteral("4001 R4001_Z7.db"));
        }
        QCOMPARE(!window().ui->btnLocalTicket->isHidden(), shown);
    }

    // A file import shows the waiting text from its start, over whatever was shown before.
    void importWaitingText_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("event file") << "event.kst";
        QTest::newRow("local-ticket file") << "tickets.csv";
    }

    void importWaitingText()
    {
        QFETCH(QString, file);
        makeRepFile("R4001_Z7.db", {});
        m_window->currentRepDbName = dbPath("R4001_Z7.db");
        window().progressBar->setText("before");
        window().progressBar->setMax(10);
        window().progressBar->setValue(5);
        WaitingShown waiting;
        window().progressBar->installEventFilter(&waiting);
        importFile(file,
                   file.endsWith(".csv") ? QByteArray("111;Dupont;Jean;0601;j@x;2;A1;4001\n")
                                         : QJsonDocument(m_server->eventFileDocument("R4001", 0)).toJson());
        QCOMPARE(waiting.shown.value(0), message(7) + "|0");
        QVERIFY(window().progressBar->isHidden() && window().isEnabled());
        QVERIFY(m_window->currentRepDbName.endsWith(file.endsWith(".csv") ? "R4001_Z7.db" : "R4001_Z0.db"));
    }

    // Old performances without a list on disk go, then entries left empty (pass 0 too).
    void purge()
    {
        const QDateTime now(QDate(2030, 6, 10), QTime(12, 0, 0));
        QVERIFY(!eventpages::isOver(QStringLiteral("2030-06-08 12:00:00"), now));
        QVERIFY(eventpages::isOver(QStringLiteral("2030-06-08 11:59:59"), now));
        QVERIFY(eventpages::pageCount(0) == 1 && eventpages::pageCount(6) == 1 && eventpages::pageCount(7) == 2);
        window().connectionClick();
        QVERIFY(sqlRun(
            db(),
            QStringLiteral("insert into EVENEMENT (ID, TYPE) values (0,1),(1,0),(2,0),(3,1),(4,0),(5,0),(6,0),(7,1)")));
        const QString old = QStringLiteral("'2001-01-01 00:00:00'");
        QVERIFY(sqlRun(db(),
                       QStringLiteral("insert into REPRESENTATION (ID, EVENEMENT_ID, DATE_FIN) values (10,1,%1),"
                                      "(11,1,'2040-01-01 00:00:00'),(20,2,%1),(30,3,%1),(40,4,%1),(41,4,%1),(50,5,%1),"
                                      "(51,5,'2001-13-01 00:00:00'),(60,6,%1),(70,7,%1),(80,0,%1)")
                           .arg(old)));
        for (const char* name : {"P3_Z7.db", "E4_Z7.db", "R60_Z7.db"}) {
            QVERIFY(fixture::writeFile(dbPath(QLatin1String(name)), QByteArray()));
        }
        window().displayDownloadedEvents();
        QStringList kept;
        for (const CDataEvenement& entry : std::as_const(window().dataEvenementListe)) {
            kept << QString::number(entry.ID);
        }
        kept.sort();
        QCOMPARE(kept, QStringList({"1", "3", "4", "5", "6"}));
        QCOMPARE(sqlRows(db(), QStringLiteral("select ID from REPRESENTATION order by ID")),
                 QStringList({"11", "30", "40", "41", "51", "60"}));
        QVERIFY(sqlRun(db(), QStringLiteral("drop table REPRESENTATION")));
        QCOMPARE(eventpages::purge(db(), window().dbMutex, window().dataEvenementListe, now).size(), 5);
        QCOMPARE(sqlRows(db(), QStringLiteral("select count(*) from EVENEMENT")), QStringList{"5"});
    }
};

TAVRIMEX_TEST_MAIN(TestSession)
#include "TestSession.moc"
