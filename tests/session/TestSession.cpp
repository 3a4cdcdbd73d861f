#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "data/CDataVidange.h"
#include "session/CRepWidget.h"
#include "session/DatabaseWipe.h"
#include "session/EventPages.h"
#include "session/LoginRules.h"
#include "session/RepDisplay.h"
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
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QRegularExpression>

#include <memory>
#include <numeric>

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

QString dbPath(const QString& name)
{
    return dbFolder() + name;
}

QString cachePath(const QString& name)
{
    return appFolder() + "/img/" + name;
}

QStringList dbFiles()
{
    return QDir(dbFolder()).entryList({QStringLiteral("*.db")}, QDir::Files, QDir::Name);
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

// Per tile "s" shown, "l" shown without separator, "-" hidden; the page; "<" ">" enabled.
QString pageState(MainWindow& window)
{
    QString state;
    for (const CRepWidget* tile : window.repWidgets) {
        const bool sep = !tile->lblSeparateur->isHidden();
        state += tile->parentWidget()->isHidden() ? QLatin1Char('-') : QLatin1Char(sep ? 's' : 'l');
    }
    return state + QLatin1Char(' ') + window.ui->lblRepPage->text().mid(label(28).size())
           + (window.ui->btnRepPrevPage->isEnabled() ? " <" : " .")
           + (window.ui->btnRepNextPage->isEnabled() ? ">" : ".");
}

struct Perf
{
    unsigned int id = 0;
    QString debut, finVente;
    unsigned int places = 0;
};

CDataEvenement eventRecord(unsigned int id, unsigned int type, const QString& image = QString())
{
    CDataEvenement evenement;
    evenement.initDefaut();
    evenement.ID = id;
    evenement.TYPE = type;
    evenement.NOM = QStringLiteral("Concert %1").arg(id);
    evenement.IMAGE = image;
    return evenement;
}

}  // namespace

// Login, zones, event pages, tiles and file box of a window, against the stand-in.
class TestSession : public StandinTestBase
{
    Q_OBJECT

    std::unique_ptr<MainWindow> m_window;
    CRepWidget* m_tile = nullptr;

    MainWindow& window()
    {
        return *m_window;
    }

    QSqlDatabase& db()
    {
        return m_window->db;
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

    // A list file with `pending` rows and, unless `deltaId` is 0, a DELTA row.
    void makeRepFile(const QString& name, const QList<CDataModif>& pending, unsigned int deltaId = 0)
    {
        QVERIFY(openRepBDD(db(), m_window->dbMutex, dbPath(name)));
        QVERIFY(pending.isEmpty() || netfixture::addPending(db(), m_window->dbMutex, pending));
        QVERIFY(deltaId == 0
                || sqlRun(db(),
                          QStringLiteral("insert into DELTA (ID, LAST_UPDATE, LOGIN, ZONE_ID) values (%1, "
                                         "'2030-01-01 08:00:00', 'orga', 7)")
                              .arg(deltaId)));
        QVERIFY(openBDD(db(), m_window->dbMutex));
    }

    void addEvent(const CDataEvenement& evenement, const QList<Perf>& perfs)
    {
        QVERIFY(evenement.ajouteSql(db(), m_window->dbMutex));
        for (const Perf& perf : perfs) {
            QVERIFY(sqlRun(db(),
                           QStringLiteral("insert into REPRESENTATION (ID, EVENEMENT_ID, DATE_DEBUT, DATE_FIN, "
                                          "DATE_FIN_VENTE, NB_PLACE, NOM_EVT) values (%1, %2, '%3', '2040-01-01 "
                                          "12:00:00', '%4', %5, 'Perf %1')")
                               .arg(perf.id)
                               .arg(evenement.ID)
                               .arg(perf.debut, perf.finVente)
                               .arg(perf.places)));
        }
    }

    void addEvents(const QList<unsigned int>& ids)
    {
        for (unsigned int id : ids) {
            addEvent(eventRecord(id, 0), {{id, "2030-01-01 20:00:00", "", 5}});
        }
    }

    // The tile of event 301 and its performance 4001, as the stand-in sells them.
    void tile4001(const QList<CDataModif>& pending = {}, unsigned int deltaId = 1000, bool withFile = true)
    {
        if (withFile) {
            makeRepFile("R4001_Z7.db", pending, deltaId);
        }
        addEvent(eventRecord(301, 0), {{4001, "2030-01-01 20:00:00", "", 5}});
        fill(eventRecord(301, 0));
    }

    void fill(const CDataEvenement& evenement)
    {
        m_tile->init(evenement, m_window->dbMutex, db(), m_window->networkManager);
    }

    QStringList rows(const QString& file, const QString& sql)
    {
        openRepBDD(db(), m_window->dbMutex, file);
        const QStringList result = sqlRows(db(), sql);
        openBDD(db(), m_window->dbMutex);
        return result;
    }

    int pendingIn4001()
    {
        return rows(dbPath("R4001_Z7.db"), "select count(*) from MODIF where STATUS=1").value(0).toInt();
    }

    QString current()
    {
        return gParam->currentIdRep.get() + ' ' + m_window->currentRepDbName.mid(dbFolder().size());
    }

    QString tileList()
    {
        return m_tile->idRep + ' ' + m_tile->repFilePath.mid(dbFolder().size());
    }

    void getRep()
    {
        m_tile->getRepClicked();
        QTRY_VERIFY(m_window->isEnabled() && !m_tile->isChainRunning());
    }

    void importFile(const QString& name, const QByteArray& content)
    {
        const QString path = QDir::tempPath() + "/tavrimex-import-" + name;
        QVERIFY(fixture::writeFile(path, content));
        m_window->chooseFile = [path](QWidget*) {
            return path;
        };
        m_window->loadFileClicked();
        QTRY_VERIFY(m_window->isEnabled() && !m_window->threadGetFile.isRunning());
    }

private slots:

    // No database, the stand-in's session saved, a new window whose first ping came.
    void init()
    {
        m_window.reset();
        for (const QString& name : QDir(dbFolder()).entryList(QDir::Files)) {
            QFile::remove(dbPath(name));
        }
        gParam->initDefaut();
        netfixture::setSession(m_server->serviceUrl());
        gParam->initParametre(LOGIN_KEST, QStringLiteral("demo"));
        gParam->initParametre(HIDE_RECAP_TICKET_REP, QStringLiteral("0"));
        gParam->isLockFocus = false;
        gParam->sauvegarde(QString(), true);
        fixture::clearLog();
        gParam->isOnline = false;
        m_window = std::make_unique<MainWindow>();
        m_tile = m_window->repWidgets[0];
        QTRY_VERIFY(gParam->isOnline);
        m_server->clearRequests();
    }

    void cleanup()
    {
        m_window.reset();
        QVERIFY(m_boxes->entries().isEmpty());
    }

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
        QCOMPARE(savedValue(PASSWORD_KEST), QString());
        QVERIFY2(fixture::logContains(logged), qPrintable(fixture::logLines().join('\n')));
        fixture::clearLog();
        window().ackMessage();
        for (const char* reply : {R"({"request":"ping"})", R"({"request":"login","status":1})"}) {
            window().actionResponseLogin(reply);
        }
        QVERIFY(shownMessage().isEmpty() && fixture::logLines().isEmpty());
        QCOMPARE(window().ui->stackedWidget->currentIndex(), 0);
    }

    // A hash is 32 hex figures exactly, else hashed; offline, logins are trimmed. The
    // terminal's system name and first address neither empty nor zeros.
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

    // A failed ping is logged and shown; forced offline, no answer undoes it.
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
        QVERIFY(window().saisieDlg->isHidden());
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
        window().zoneChosen(zone);
        QTRY_COMPARE(m_server->requests(QStringLiteral("241")).size(), 1);
        QCOMPARE(m_server->requests(QStringLiteral("241")).first().value(QStringLiteral("zo")), QString::number(zone));
        QCOMPARE(savedValue(ZONE_KEST), QString::number(zone));
        QCOMPARE(dbFiles().size(), zone == 7 ? 2 : 1);
        QTRY_VERIFY(!window().isEventListParsing && window().progressBar->isHidden());
        QCOMPARE(sqlRows(db(), QStringLiteral("select count(*) from VIDANGE")), QStringList(zone == 7 ? "0" : "3"));
        QCOMPARE(sqlRows(db(), QStringLiteral("select count(*) from ZONE")), QStringList("1"));
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
        QVERIFY(!window().progressBar->isHidden());
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

    // Old performances without a list on disk go, then entries left empty (pass 0 too).
    void purge()
    {
        const QDateTime now(QDate(2030, 6, 10), QTime(12, 0, 0));
        QVERIFY(!eventpages::isOver(QStringLiteral("2030-06-08 12:00:00"), now));
        QVERIFY(eventpages::isOver(QStringLiteral("2030-06-08 11:59:59"), now));
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
        // A pass's list, an event's whole list, a performance's own list.
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
        // Performances that could not be read are not "none left".
        QVERIFY(sqlRun(db(), QStringLiteral("drop table REPRESENTATION")));
        QCOMPARE(eventpages::purge(db(), window().dbMutex, window().dataEvenementListe, now).size(), 5);
        QCOMPARE(sqlRows(db(), QStringLiteral("select count(*) from EVENEMENT")), QStringList{"5"});
    }

    // The list a tile stands for, kept when REP_JOUR changes; a whole event sums.
    void kinds_data()
    {
        QTest::addColumn<unsigned int>("type");
        QTest::addColumn<QString>("jourThenNow");
        QTest::addColumn<bool>("twoPerfs");
        QTest::addColumn<QString>("idAndFile");
        QTest::newRow("several performances") << 0u << "0|1" << true << "7 R7_Z7.db";
        QTest::newRow("single performance") << 0u << "0|2" << false << "7 R7_Z7.db";
        QTest::newRow("whole event") << 0u << "2|0" << true << "50 E50_Z7.db";
        QTest::newRow("pass") << 1u << "0|2" << true << "-50 P50_Z7.db";
    }

    void kinds()
    {
        QFETCH(unsigned int, type);
        QFETCH(QString, jourThenNow);
        QFETCH(bool, twoPerfs);
        QFETCH(QString, idAndFile);
        const QString jour = jourThenNow.section('|', 0, 0);
        gParam->initParametre(REP_JOUR, jour);
        makeRepFile(idAndFile.section(' ', 1), {}, 1000);
        QList<Perf> perfs{{7, "2030-05-03 20:00:00", "2030-05-02 18:00:00", 100}};
        if (twoPerfs) {
            perfs.prepend({12, "2030-05-01 20:00:00", "2030-05-04 18:00:00", 50});
        }
        addEvent(eventRecord(50, type), perfs);
        fill(eventRecord(50, type));
        QCOMPARE(tileList(), idAndFile);
        const bool combo = !m_tile->comboRep->isHidden();
        QCOMPARE(combo, twoPerfs && type == 0 && jour == "0");
        if (twoPerfs && !combo) {
            QCOMPARE(m_tile->lblNbPlace->text() + ' ' + m_tile->dataRep.DATE_FIN_VENTE, "150 2030-05-04 18:00:00");
        } else {
            QCOMPARE(m_tile->lblNbPlace->text() + ' ' + QString::number(m_tile->dataRep.ID), "100 7");
        }
        gParam->initParametre(REP_JOUR, jourThenNow.section('|', 1));
        m_tile->selectClicked();
        QCOMPARE(current() + ' ' + gParam->currentJour.get(), idAndFile + ' ' + jour);
        QVERIFY(!window().ui->btnStartScan->isHidden() && db().databaseName() == mainDatabasePath());
        if (combo) {
            m_tile->comboRep->setCurrentIndex(1);
            QCOMPARE(tileList() + ' ' + m_tile->lblNbPlace->text() + ' ' + m_tile->lblRep->text(),
                     "12 R12_Z7.db 50 " + m_tile->comboRep->itemText(1));
            QVERIFY(m_tile->btnSelect->isHidden() && !m_tile->repFileExists);
        }
    }

    // A cached picture serves 7 days; "", "." and ".." name no file of the cache.
    void pictureCache()
    {
        for (const int hours : {6 * 24 + 23, 7 * 24}) {
            const bool asked = hours == 7 * 24;
            QVERIFY(repdisplay::defaultPicture().save(cachePath("event301.png")));
            QFile file(cachePath("event301.png"));
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(CDateHeure(0).addSecs(-hours * 3600), QFileDevice::FileModificationTime));
            fill(eventRecord(301, 0, m_server->imageUrl("event301.png")));
            QVERIFY(m_tile->imageInCache);
            QCOMPARE(m_tile->lblImage->text() == " ", asked);
            QTRY_COMPARE(m_server->requests(QStringLiteral("image")).size(), asked ? 1 : 0);
        }
        QTRY_VERIFY(QFileInfo(cachePath("event301.png")).lastModified().secsTo(CDateHeure(0)) < 60);
        for (const char* name : {"", ".", ".."}) {
            QVERIFY(!repdisplay::isCacheName(cachePath(name)));
        }
    }

    // Sales close once their end is strictly past. The tile's parts and separator.
    void badgeAndGeometry()
    {
        const QDateTime now = CDateHeure(0);
        QVERIFY(!repdisplay::isSaleClosed(now, now) && !repdisplay::isSaleClosed(now.addSecs(1), now));
        QVERIFY(repdisplay::isSaleClosed(now.addSecs(-1), now) && repdisplay::isSaleClosed(QDateTime(), now));
        for (const bool closed : {false, true}) {
            const QDateTime end = now.addDays(closed ? -1 : 1);
            repdisplay::showSaleBadge(m_tile->lblStatus, m_tile->lblFinVente, end);
            QCOMPARE(m_tile->lblStatus->text(), label(closed ? 32 : 31));
            QCOMPARE(m_tile->lblFinVente->isHidden(), !closed);
            QCOMPARE(m_tile->lblFinVente->text(), closed ? end.toString(label(97)) : QString());
        }
        QStringList rects;
        for (const QWidget* part : m_tile->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            const QRect r = part->geometry();
            rects << QStringLiteral("%1,%2,%3,%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
        }
        QCOMPARE(m_tile->geometry(), QRect(QPoint(), m_tile->parentWidget()->size()));
        QCOMPARE(rects.join(' '),
                 "100,10,310,20 15,15,70,70 100,30,320,16 100,30,293,32 100,70,110,16 215,70,75,16 305,70,60,16 "
                 "370,70,60,20 425,6,90,20 435,55,115,30 520,6,20,20 545,6,20,20 0,100,570,1 425,30,140,20");
        QCOMPARE(m_tile->lblImage->geometry(), QRect(8, 9, 54, 53));
    }

    // Pending rows go first, batched by kind, then the update; the list becomes current.
    void updateUploadsFirst()
    {
        tile4001({netfixture::pendingRow(8, "A"), netfixture::pendingRow(16, "B"), netfixture::pendingRow(8, "C")});
        QVERIFY(!m_tile->lblDrainNeeded->isHidden());
        getRep();
        QStringList batches;
        for (const standin::RecordedRequest& request : m_server->requests(QStringLiteral("61"))) {
            batches << request.keys.last() + '=' + request.value(request.keys.last());
        }
        QCOMPARE(batches,
                 QStringList(
                     {"cl=20300101100000:A:11:4001;", "dl=20300101100000:B:11:4001;", "cl=20300101100000:C:11:4001;"}));
        QCOMPARE(m_server->requests(QStringLiteral("53")).value(0).value("dt"), QStringLiteral("1000"));
        QCOMPARE(pendingIn4001(), 0);
        QVERIFY(m_tile->lblDrainNeeded->isHidden());
        QCOMPARE(current(), "4001 R4001_Z7.db");
    }

    // Only a readable reply is selected; a failed first download leaves no list, an update
    // keeps its own. A failed upload keeps its rows and asks for no list.
    void tileDownload_data()
    {
        QTest::addColumn<QString>("route");
        QTest::addColumn<ScriptedReply>("reply");
        QTest::addColumn<bool>("update");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<int>("shown");
        QTest::newRow("first download") << "53" << ScriptedReply::normal() << false << true << 0;
        QTest::newRow("empty, first download") << "53" << ScriptedReply::empty() << false << false << 3;
        QTest::newRow("broken, first download") << "53" << ScriptedReply::invalidJson() << false << false << 3;
        QTest::newRow("no list, first download")
            << "53" << ScriptedReply::bytes(R"({"request":"getTickets","error":"3"})") << false << false << 3;
        QTest::newRow("broken, update") << "53" << ScriptedReply::invalidJson() << true << false << 3;
        QTest::newRow("not stored, update") << "53" << ScriptedReply::normal() << true << false << 5;
        QTest::newRow("upload refused") << "61" << ScriptedReply::httpError(404) << true << false << 4;
        QTest::newRow("upload not acknowledged") << "61" << ScriptedReply::empty() << true << false << 0;
    }

    void tileDownload()
    {
        QFETCH(QString, route);
        QFETCH(ScriptedReply, reply);
        QFETCH(bool, update);
        QFETCH(bool, selected);
        QFETCH(int, shown);
        const bool upload = route == "61";
        tile4001(upload ? QList<CDataModif>{netfixture::pendingRow(8, "A")} : QList<CDataModif>(), 1000, update);
        if (shown == 5) {
            m_server->requestDrop();
            rows(dbPath("R4001_Z7.db"),
                 "create trigger full before insert on BILLET begin select raise(abort, 'full'); end");
        }
        m_server->enqueue(route, reply);
        getRep();
        QCOMPARE(m_window->currentRepDbName.isEmpty(), !selected);
        QCOMPARE(shownMessage(), shown == 0 ? QString() : message(shown));
        QCOMPARE(db().databaseName(), mainDatabasePath());
        if (upload) {
            QCOMPARE(pendingIn4001(), 1);
            QVERIFY(m_server->requests(QStringLiteral("53")).isEmpty());
            return;
        }
        const standin::RecordedRequest request = m_server->requests(QStringLiteral("53")).value(0);
        QCOMPARE(request.keys.contains("dt"), update);
        QCOMPARE(request.value("ba") + ' ' + request.value("id"), QString(update ? "1 4001" : "0 4001"));
        QCOMPARE(QFile::exists(dbPath("R4001_Z7.db")), update || selected);
        QCOMPARE(m_tile->btnSelect->isHidden(), !update && !selected);
    }

    // Deletion moves the pending rows to the drain queue with the file's DELTA context,
    // then removes the file. Offline, a download does nothing.
    void deletion_data()
    {
        QTest::addColumn<unsigned int>("deltaId");
        QTest::addColumn<QString>("context");
        QTest::newRow("with DELTA") << 1000u << "orga|7|1000|2030-01-01 08:00:00";
        QTest::newRow("without DELTA") << 0u << "|0|0|1970-01-01 00:00:00";
        QTest::newRow("nothing pending") << 1000u << "";
    }

    void deletion()
    {
        QFETCH(unsigned int, deltaId);
        QFETCH(QString, context);
        gParam->isOnline = false;
        QStringList drained;
        QList<CDataModif> pending;
        for (const auto& [type, code] : {std::pair{8, "A"}, {16, "B"}, {99, "C"}}) {
            pending << netfixture::pendingRow(type, code);
            drained << QString::number(type) + '|' + code + '|' + context;
        }
        tile4001(context.isEmpty() ? QList<CDataModif>() : pending, deltaId);
        m_tile->selectClicked();
        QCOMPARE(current(), "4001 R4001_Z7.db");
        m_tile->getRepClicked();
        QVERIFY(!m_tile->isChainRunning() && m_window->isEnabled() && m_server->requests("53").isEmpty());
        m_tile->dropRepClicked();
        QCOMPARE(
            sqlRows(db(), "select TYPE, CODE_BARRE, LOGIN, ZONE_ID, DELTA_ID, DELTA_DATE from VIDANGE order by ID"),
            context.isEmpty() ? QStringList() : drained);
        QCOMPARE(window().ui->btnDrainGlobal->isHidden(), context.isEmpty());
        QVERIFY(!QFile::exists(dbPath("R4001_Z7.db")) && m_tile->btnDropRep->isHidden());
        QVERIFY(m_window->currentRepDbName.isEmpty() && window().ui->btnStartScan->isHidden());
    }

    // Short lines and empty barcodes are skipped, a later line wins, text is Latin-1; the
    // tickets written are counted, and the recap shows them per issuer, used over all.
    void localTicketCsv()
    {
        importFile("none.csv", "1;a;b;c;d;1;e;2\n");
        QCOMPARE(shownMessage(), message(33));
        const QString file = dbPath("R4001_Z7.db");
        makeRepFile("R4001_Z7.db", {});
        rows(file,
             "create trigger refuse before insert on BILLET when NEW.CODE_BARRE='444' begin select "
             "raise(abort, 'no'); end");
        m_window->currentRepDbName = file;
        importFile("tickets.csv",
                   "CODE;NOM;PRENOM;TEL;MAIL;NB;PLACE;REP\n111;Dupont;Jean;0601;j@x;2;A1;4001\r\n"
                   "222;Short;line;1;2;3;4\n;Empty;barcode;1;2;3;4;5\n111;Dupond;Jeanne;0602;j@y;3;B2;4001\n"
                   "444;Refused;X;;;1;;4001\n 333 ;M\xfcller;Zo\xe9;;;1; 12 ;4001\r");
        QCOMPARE(rows(file,
                      "select CODE_BARRE, NOM_PORTEUR, NB_COMPOSTAGE, REP_ID from BILLET where EDITEUR_ID=99999999 "
                      "order by CODE_BARRE"),
                 QStringList({"111|Dupond|3|4001", "333|M\u00fcller|1|4001", "CODE|NOM|0|0"}));
        QCOMPARE(rows(file, "select PLACEMENT from PLACE where CODE_BARRE='111'"), QStringList("B2"));
        QCOMPARE(shownMessage(), "4" + label(155));
        QCOMPARE(window().ui->tableNbTicket->item(0, 0)->text() + window().ui->tableNbTicket->item(0, 1)->text(),
                 label(112) + "3");
        QCOMPARE(window().ui->lblRepNbPunch->text() + window().ui->lblRepNbPlace->text(), "1 / 3");
        QVERIFY(window().ui->editLoadFile->text().isEmpty());
    }

    // Anything but ".csv" is an event file: one that does not parse leaves nothing
    // current; else its list becomes current, a list already there staying as it is.
    void eventFile_data()
    {
        QTest::addColumn<QString>("scope");
        QTest::addColumn<unsigned int>("zone");
        QTest::addColumn<QString>("idAndFile");
        QTest::addColumn<bool>("existing");
        QTest::newRow("performance, no zone") << "R4001" << 0u << "4001 R4001_Z0.db" << false;
        QTest::newRow("pass") << "P901" << 3u << "-901 P901_Z3.db" << false;
        QTest::newRow("onto a list") << "R4001" << 0u << "4001 R4001_Z0.db" << true;
    }

    void eventFile()
    {
        QFETCH(QString, scope);
        QFETCH(unsigned int, zone);
        QFETCH(QString, idAndFile);
        QFETCH(bool, existing);
        importFile("tickets.CSV", "1;a;b;c;d;1;e;2\n");
        QCOMPARE(db().databaseName(), mainDatabasePath());
        QVERIFY(m_window->currentRepDbName.isEmpty() && shownMessage().isEmpty());
        if (existing) {
            makeRepFile("R4001_Z0.db", {netfixture::pendingRow(8, "kept")});
        }
        // A punch of one of its tickets waits in the drain queue: the file lacks it.
        const QString document = QJsonDocument(m_server->eventFileDocument(scope, zone)).toJson();
        const standin::Ticket& ticket = m_server->organiser().tickets.first();
        QVERIFY(sqlRun(db(),
                       QStringLiteral("insert into VIDANGE (TYPE,DATE,CODE_BARRE,EDITEUR_ID,REP_ID) values "
                                      "(8,'2030-01-01 10:00:00','%1',%2,%3)")
                           .arg(ticket.barcode)
                           .arg(ticket.editeurId)
                           .arg(ticket.repId)));
        importFile("event.kst", document.toUtf8());
        QCOMPARE(current(), idAndFile);
        QCOMPARE(QFile::exists(dbPath("dump.db")), existing);
        QCOMPARE(shownMessage(), existing ? message(20) : QString());
        QCOMPARE(rows(m_window->currentRepDbName,
                      "select count(*) from MODIF where STATUS=1 and CODE_BARRE='kept' union all select count(*) "
                      "from MODIF where STATUS=0 and CODE_BARRE='"
                          + ticket.barcode + "'"),
                 QStringList({existing ? "1" : "0", document.contains(ticket.barcode) && !existing ? "1" : "0"}));
    }
};

TAVRIMEX_TEST_MAIN(TestSession)
#include "TestSession.moc"
