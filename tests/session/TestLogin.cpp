#include "data/CDataDelta.h"
#include "data/CDataVidange.h"
#include "session/DatabaseWipe.h"
#include "ui/ProgressBar.h"
#include "ui/SaisieDlg.h"

#include "SessionFixture.h"
#include "TestMain.h"

#include <QRegularExpression>

#include <memory>

using namespace sessionfixture;
using standin::ScriptedReply;

namespace
{

const QString kDemoHash = QStringLiteral("fe01ce2a7fbac8fafaed7c982a04e229");  // MD5 of "demo"

// Pending rows in a ticket-list file with its DELTA context.
void makeListFile(MainWindow& window, const QString& name, const QList<CDataModif>& rows)
{
    QVERIFY(openRepBDD(window.db, window.dbMutex, dbFolder() + name));
    QVERIFY(netfixture::addPending(window.db, window.dbMutex, rows));
    CDataDelta delta;
    delta.initDefaut();
    delta.ID = 55;
    delta.LOGIN = QStringLiteral("previous");
    QVERIFY(delta.ajouteSql(window.db, window.dbMutex));
    QVERIFY(openBDD(window.db, window.dbMutex));
}

void typeLogin(MainWindow& window, const QString& login, const QString& password, bool remember = true)
{
    window.ui->editLogin->setText(login);
    window.ui->editPassword->setText(password);
    window.ui->editAgent->setText(QStringLiteral("5"));
    window.ui->chkBoxRememberPassword->setChecked(remember);
}

}  // namespace

class TestLogin : public QObject
{
    Q_OBJECT

    Harness m_harness;
    standin::StandinServer* m_server = nullptr;

    MainWindow& window()
    {
        return *m_harness.window;
    }

    QStringList vidange()
    {
        openBDD(window().db, window().dbMutex);
        return sqlRows(window().db, QStringLiteral("select CODE_BARRE, LOGIN, DELTA_ID from VIDANGE order by ID"));
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
        gParam->initParametre(LOGIN_KEST, QStringLiteral("demo"));
    }

    void cleanup()
    {
        m_harness.window.reset();
    }

    // What was typed at the press is what the session and the settings keep; only
    // the hash is remembered.
    void loginOnline_data()
    {
        QTest::addColumn<bool>("remember");
        QTest::newRow("remembered") << true;
        QTest::newRow("not remembered") << false;
    }

    void loginOnline()
    {
        QFETCH(bool, remember);
        typeLogin(window(), QStringLiteral("demo"), QStringLiteral("demo"), remember);
        window().verifLoginClicked();
        typeLogin(window(), QStringLiteral("other"), QStringLiteral("other"), remember);
        QTRY_VERIFY(!window().saisieDlg->isHidden());
        QCOMPARE(m_server->requests(QStringLiteral("221")).first().value(QStringLiteral("pw")), kDemoHash);
        QCOMPARE(gParam->login.get(), QStringLiteral("demo"));
        QCOMPARE(gParam->passwordMd5.get(), kDemoHash);
        QVERIFY(gParam->sessionId.get().startsWith(QLatin1Char('S')));
        QCOMPARE(savedValue(MY_AGENT_ID), QStringLiteral("17"));
        QCOMPARE(savedValue(LOGIN_KEST), QStringLiteral("demo"));
        QCOMPARE(savedValue(PASSWORD_KEST), remember ? kDemoHash : QString());
        QCOMPARE(savedValue(AGENT_KEST), remember ? QStringLiteral("5") : QString());
        QCOMPARE(savedValue(REMEMBER_PASSWORD),
                 remember ? QStringLiteral("Sauvegarder Mot De Passe") : QStringLiteral("Ne Rien Conserver"));
        QCOMPARE(sqlRows(window().db, QStringLiteral("select count(*) from ZONE")), QStringList{"3"});
    }

    // Whatever goes wrong, the agent stays on the login page with nothing changed.
    void loginFails_data()
    {
        QTest::addColumn<ScriptedReply>("reply");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("logged");
        QTest::addColumn<int>("logCount");
        QTest::newRow("refused") << ScriptedReply::bytes(R"({"request":"login","error":3})") << message(2)
                                 << "Login ou mot de passe incorrect : demo (Erreur 3)" << 1;
        QTest::newRow("empty") << ScriptedReply::empty() << message(2) << "Login ou mot de passe incorrect : demo" << 1;
        QTest::newRow("not JSON") << ScriptedReply::invalidJson() << message(3)
                                  << "Erreur de decodage de la reponse JSON de la verification du login." << 1;
        QTest::newRow("status") << ScriptedReply::bytes(R"({"request":"login","status":1})") << QString() << QString()
                                << 0;
        QTest::newRow("scalar") << ScriptedReply::scalar() << QString() << QString() << 0;
        QTest::newRow("network error, reported twice") << ScriptedReply::httpError(404) << message(4) + " (err=203)"
                                                       << "Erreur Connexion login (err=203) : demo" << 2;
    }

    void loginFails()
    {
        QFETCH(ScriptedReply, reply);
        QFETCH(QString, shown);
        QFETCH(QString, logged);
        QFETCH(int, logCount);
        gParam->sessionId.set(QStringLiteral("before"));
        m_server->enqueue(QStringLiteral("221"), reply);
        typeLogin(window(), QStringLiteral("demo"), QStringLiteral("demo"));
        window().verifLoginClicked();
        QTRY_COMPARE(m_server->requests(QStringLiteral("221")).size(), 1);
        QTRY_COMPARE(shownMessage(window()), shown);
        QTest::qWait(50);
        QCOMPARE(shownMessage(window()), shown);
        if (!logged.isEmpty()) {
            QCOMPARE(fixture::logLines().filter(logged).size(), logCount);
        }
        QCOMPARE(window().ui->stackedWidget->currentIndex(), 0);
        QCOMPARE(gParam->sessionId.get(), QStringLiteral("before"));
        QCOMPARE(savedValue(PASSWORD_KEST), QString());
    }

    // Offline the stored login and password decide, and no request leaves.
    void loginOffline()
    {
        window().connectionClick();
        gParam->initParametre(PASSWORD_KEST, kDemoHash);
        typeLogin(window(), QStringLiteral("demo"), QStringLiteral("wrong"));
        window().verifLoginClicked();
        QCOMPARE(shownMessage(window()), message(2));
        QCOMPARE(window().ui->stackedWidget->currentIndex(), 0);
        typeLogin(window(), QStringLiteral("demo "), QStringLiteral("demo"));
        window().verifLoginClicked();
        QCOMPARE(window().ui->stackedWidget->currentIndex(), 1);
        QCOMPARE(gParam->passwordMd5.get(), kDemoHash);
        QTest::qWait(50);
        QVERIFY(m_server->requests(QStringLiteral("221")).isEmpty());
    }

    // Another organiser: every unsent punch of every list, and the drain queue, end in
    // the new main database, two identical punches included; nothing else is left.
    void newOrganiserWipe()
    {
        QList<CDataModif> rows = netfixture::pendingRows(8, 520, QStringLiteral("R"));
        rows << rows.first();
        makeListFile(window(), QStringLiteral("R1_Z7.db"), rows);
        makeListFile(window(), QStringLiteral("E2_Z7.db"), netfixture::pendingRows(3, 2, QStringLiteral("E")));
        CDataVidangeListe drained;
        CDataVidange old;
        old.initDefaut();
        old.CODE_BARRE = QStringLiteral("old");
        drained.ajoute(old, 0);
        QVERIFY(drained.ajouteSql(window().db, window().dbMutex));
        gParam->initParametre(LOGIN_KEST, QStringLiteral("previous"));

        typeLogin(window(), QStringLiteral("demo"), QStringLiteral("demo"));
        window().verifLoginClicked();
        QTRY_VERIFY(!window().saisieDlg->isHidden());
        QCOMPARE(dbFiles(), QStringList{"kest.db"});
        const QStringList rowsNow = vidange();
        QCOMPARE(rowsNow.size(), 1 + 521 + 2);
        QCOMPARE(rowsNow.first(), QStringLiteral("old||0"));
        QCOMPARE(rowsNow.filter(QStringLiteral("R0|previous|55")).size(), 2);
        QCOMPARE(savedValue(ZONE_KEST), QStringLiteral("0"));
        QCOMPARE(savedValue(LOGIN_KEST), QStringLiteral("demo"));

        // The same organiser again: nothing is wiped.
        makeListFile(window(), QStringLiteral("R1_Z0.db"), netfixture::pendingRows(8, 1));
        window().actionShowSaisieDlg(false);
        window().ui->stackedWidget->setCurrentIndex(0);
        window().verifLoginClicked();
        QTRY_VERIFY(!window().saisieDlg->isHidden());
        QCOMPARE(dbFiles(), QStringList({"R1_Z0.db", "kest.db"}));
    }

    // A list that cannot be read, or a new main database that cannot be written:
    // nothing is deleted and the login stops before anything is kept.
    void wipeFailsSafely_data()
    {
        QTest::addColumn<bool>("unreadableList");
        QTest::newRow("unreadable list") << true;
        QTest::newRow("new database not writable") << false;
    }

    void wipeFailsSafely()
    {
        QFETCH(bool, unreadableList);
        makeListFile(window(), QStringLiteral("R1_Z7.db"), netfixture::pendingRows(8, 3));
        if (unreadableList) {
            QFile garbage(dbFolder() + QStringLiteral("R2_Z7.db"));
            QVERIFY(garbage.open(QIODevice::WriteOnly) && garbage.write(QByteArray(4096, 'x')) == 4096);
        } else {
            QVERIFY(QDir().mkpath(databasewipe::stagingPath()));
        }
        const QStringList before = dbFiles();
        gParam->initParametre(LOGIN_KEST, QStringLiteral("previous"));
        gParam->login.set(QStringLiteral("previous"));
        m_harness.boxes->clear();

        typeLogin(window(), QStringLiteral("demo"), QStringLiteral("demo"));
        window().verifLoginClicked();
        QTRY_COMPARE(shownMessage(window()), message(5));
        QCOMPARE(dbFiles(), before);
        QVERIFY(fixture::logContains(QStringLiteral("Effacement de la BDD annule")));
        QCOMPARE(gParam->login.get(), QStringLiteral("previous"));
        QCOMPARE(gParam->parametre(LOGIN_KEST), QStringLiteral("previous"));
        QCOMPARE(window().ui->stackedWidget->currentIndex(), 0);
        QDir().rmdir(databasewipe::stagingPath());
    }

    // Any answer sets the online state; forcing offline stops the pings and a late
    // answer does not undo it; leaving it pings at once.
    void pingAndForcedOffline()
    {
        typeLogin(window(), QStringLiteral("demo"), QStringLiteral("demo"));
        QCOMPARE(window().ui->lblConnection->text(), label(11));
        QVERIFY(window().ui->btnLoginValidation->isEnabled());
        window().ui->editPassword->clear();
        QVERIFY(!window().ui->btnLoginValidation->isEnabled());

        window().connectionClick();
        QVERIFY(!gParam->isOnline && !window().pingTimer.isActive());
        QCOMPARE(window().ui->lblConnection->text(), label(12));
        window().actionResponsePing(QByteArray());
        window().actionErrorPing(4);
        QVERIFY(!gParam->isOnline);
        QVERIFY(!fixture::logContains(QStringLiteral("Erreur Connexion ping")));

        window().connectionClick();
        QVERIFY(window().pingTimer.isActive());
        QTRY_VERIFY(gParam->isOnline);
        QCOMPARE(m_server->requests(QStringLiteral("11")).size(), 1);

        m_server->enqueue(QStringLiteral("11"), ScriptedReply::httpError(500));
        window().timerPing();
        QTRY_VERIFY(!gParam->isOnline);
        QCOMPARE(window().ui->lblConnection->text(), label(12));
        QVERIFY(fixture::logContains(QStringLiteral("Erreur Connexion ping (err=401)")));
    }

    // "PC-MAC-UNKNOWN-" and the address, which is saved only when it changed.
    void terminalIdentifier()
    {
        const QString serial = window().getSerialNumber();
        QVERIFY2(QRegularExpression(QStringLiteral("^PC-MAC-UNKNOWN-[0-9A-Z:]{17}$")).match(serial).hasMatch(),
                 qPrintable(serial));
        QCOMPARE(serial.mid(15), savedValue(MAC));
        gParam->initParametre(AGENT_KEST, QStringLiteral("unsaved"));
        window().getSerialNumber();
        QCOMPARE(savedValue(AGENT_KEST), QStringLiteral("12"));
        gParam->initParametre(MAC, QStringLiteral("11:22:33:44:55:66"));
        window().getSerialNumber();
        QCOMPARE(savedValue(AGENT_KEST), QStringLiteral("unsaved"));
    }

    // Exit quits at once, or waits for the cycle under way and quits at its end.
    void exit()
    {
        int quits = 0;
        window().quitEventLoop = [&quits] {
            ++quits;
        };
        window().exitClick();
        QCOMPARE(quits, 1);
        window().isSyncRunning = true;
        window().exitClick();
        QCOMPARE(quits, 1);
        QVERIFY(window().isExitRequested && !window().progressBar->isHidden() && !window().isEnabled());
        window().actionGetDeltaTerminated();
        QCOMPARE(quits, 2);
    }
};

TAVRIMEX_TEST_MAIN(TestLogin)
#include "TestLogin.moc"
