#include "settings/SoftwareUpdate.h"
#include "ui/ProgressBar.h"
#include "ui/Ui_MainWindow.h"

#include "BoxRecorder.h"
#include "SettingsFixture.h"
#include "TestMain.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>
#include <memory>
#include <sys/resource.h>

using namespace settingsFixture;

namespace
{

// Files may not grow past `bytes` (0: no limit), as on a full disk.
void limitFileSize(int bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = bytes > 0 ? rlim_t(bytes) : limit.rlim_max;
    setrlimit(RLIMIT_FSIZE, &limit);
}

// JSON written with single quotes, for legibility.
QByteArray json(const char* text)
{
    return QByteArray(text).replace('\'', '"');
}

}  // namespace

class TestSoftwareUpdate : public QObject
{
    Q_OBJECT

    std::unique_ptr<BoxRecorder> m_boxes;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<QTemporaryDir> m_workDir;
    QString m_startDir;
    QStringList m_started;
    bool m_startWorks = true;
    int m_quits = 0;

    // Records each start in place of running it.
    void recordStarts()
    {
        softwareUpdate::setDetachedStarter([this](const QString& program) {
            m_started << program;
            return m_startWorks;
        });
    }

private slots:

    void initTestCase()
    {
        fixture::initQuietCore();
        m_boxes = std::make_unique<BoxRecorder>();
        m_startDir = QDir::currentPath();
        recordStarts();
    }

    // "./update.exe" goes to the working folder: a fresh one per test.
    void init()
    {
        resetSettings();
        m_workDir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir::setCurrent(m_workDir->path()));
        m_window = std::make_unique<MainWindow>();
        m_window->quitEventLoop = [this] {
            ++m_quits;
        };
        m_started.clear();
        m_startWorks = true;
        m_quits = 0;
    }

    void cleanup()
    {
        m_window.reset();
        QDir::setCurrent(m_startDir);
        QVERIFY(m_boxes->entries().isEmpty());
    }

    // The numbers left once the dots are removed are compared, not the parts. A reply
    // that offers nothing leaves the last offer as it was; a failed check shows nothing.
    void checkReplies_data()
    {
        QTest::addColumn<QByteArray>("reply");
        // The stored version, then what shows: "shown" for the update button, else the
        // changes kept.
        QTest::addColumn<QString>("storedAndShown");
        const auto offer = [](const char* version) {
            return json("{'request':'getUpdate','version':'%1','url':'https://u.test/i'}").replace("%1", version);
        };
        QTest::newRow("4.3.10 > 4.3.9") << offer("4.3.10") << "4.3.9 shown";
        QTest::newRow("5.0 < 4.3.1") << offer("5.0") << "4.3.1 ";
        QTest::newRow("same") << offer("4.3.1") << "4.3.1 ";
        QTest::newRow("letter") << offer("4.3.2b") << "4.3.1 ";
        QTest::newRow("blank before") << offer(" 4.3.2") << "4.3.1 ";
        QTest::newRow("plus sign") << offer("+4.3.2") << "4.3.1 ";
        QTest::newRow("stored not a number") << offer("0.1") << "abc shown";
        QTest::newRow("not JSON") << QByteArray("<html>") << "4.3.1 old";
        QTest::newRow("other request") << json("{'request':'update','url':'https://u.test'}") << "4.3.1 old";
        QTest::newRow("one change as text")
            << json("{'request':'getUpdate','version':'1','url':'https://u.test','modifs':'fix'}") << "4.3.1 fix";
    }

    void checkReplies()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, storedAndShown);
        gParam->initParametre(VERSION, storedAndShown.section(QLatin1Char(' '), 0, 0));
        gParam->updateModifs.set({QStringLiteral("old")});
        m_window->actionResponseUpdate(reply);
        m_window->actionErrorUpdate(47);
        QVERIFY(fixture::logContains(QStringLiteral("warning - Erreur Connexion Verif New Version (err=47)")));
        QCOMPARE(m_window->ui->btnUpdateSoftware->isHidden() ? gParam->updateModifs.get().join(' ') : "shown",
                 storedAndShown.section(QLatin1Char(' '), 1));
        QVERIFY(shownMessage(*m_window).isEmpty());
    }

    // What is started must come over HTTPS, except in pre-production; so must the
    // version check, whose reply names the installer's address.
    void downloadAddress_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("isPreprod");
        QTest::addColumn<bool>("isSent");

        QTest::newRow("https") << "HTTPS://127.0.0.1:1/i" << false << true;
        QTest::newRow("http") << "http://127.0.0.1:1/i" << false << false;
        QTest::newRow("http in pre-production") << "http://127.0.0.1:1/i" << true << true;
    }

    void downloadAddress()
    {
        QFETCH(QString, url);
        QFETCH(bool, isPreprod);
        QFETCH(bool, isSent);
        gParam->isPreprod = isPreprod;
        gParam->initParametre(isPreprod ? URL_PREPROD : URL, url);
        fixture::clearLog();
        m_window->verifNewVersion();
        // Sent, it fails on the closed port; refused, it is logged at once.
        if (isSent) {
            QTRY_VERIFY(fixture::logContains(QStringLiteral("Erreur Connexion Verif New Version")));
        } else {
            QVERIFY(fixture::logContains(QStringLiteral("adresse non securisee : ") + url));
        }

        gParam->updateUrl.set(url);
        m_window->ui->btnGetUpdate->click();
        QCOMPARE(m_window->progressBar->isHidden(), !isSent);
        QCOMPARE(shownMessage(*m_window).value(1), isSent ? QString() : message(0, 4));
        if (isSent) {
            m_window->actionErrorGetUpdate(4);
            QVERIFY(m_window->progressBar->isHidden() && m_window->isEnabled());
            QCOMPARE(shownMessage(*m_window).value(1), message(0, 4) + QStringLiteral(" (err=4)"));
        }
    }

    // Each step of the hand-off is checked: a failure is told and the program stays.
    void handOff_data()
    {
        QTest::addColumn<QByteArray>("installer");
        // What "update.exe" is before: nothing, a folder, or else an earlier file's content.
        QTest::addColumn<QString>("before");
        // The size no file may grow past, as on a full disk; 0: none.
        QTest::addColumn<int>("sizeLimit");
        QTest::addColumn<bool>("startWorks");
        // In the log line of a failure; empty: none.
        QTest::addColumn<QString>("logged");
        QTest::newRow("started") << QByteArray("#!/bin/sh\n\0\xff", 12) << "" << 0 << true << "";
        QTest::newRow("over an earlier one") << QByteArray("x") << "old" << 0 << true << "";
        QTest::newRow("empty download") << QByteArray() << "" << 0 << true << "Mise a jour vide";
        QTest::newRow("cannot write") << QByteArray("x") << "folder" << 0 << true << "Erreur d'ecriture";
        QTest::newRow("no room: the earlier one stays whole")
            << QByteArray(40000, 'x') << "old" << 4096 << true << "File too large";
        QTest::newRow("cannot start") << QByteArray("x") << "" << 0 << false << "Erreur de lancement";
    }

    void handOff()
    {
        QFETCH(QByteArray, installer);
        QFETCH(QString, before);
        QFETCH(int, sizeLimit);
        QFETCH(bool, startWorks);
        QFETCH(QString, logged);
        const QString path = QStringLiteral("update.exe");
        QVERIFY(before != "folder" ? before.isEmpty() || fixture::writeFile(path, before.toLatin1())
                                   : QDir().mkdir(path));
        m_startWorks = startWorks;
        m_window->actionShowProgress(true);
        limitFileSize(sizeLimit);
        m_window->actionResponseGetUpdate(installer);
        limitFileSize(0);

        QVERIFY(m_window->progressBar->isHidden() && m_window->isEnabled());
        QCOMPARE(shownMessage(*m_window).value(1), logged.isEmpty() ? QString() : message(0, 4));
        QVERIFY2(logged.isEmpty() || fixture::logContains(logged), qPrintable(fixture::logLines().join('\n')));
        const bool isWritten = !installer.isEmpty() && before != "folder" && sizeLimit == 0;
        QCOMPARE(m_started, isWritten ? QStringList{QStringLiteral("./update.exe")} : QStringList());
        // Only a started installer ends the program.
        QCOMPARE(m_quits, isWritten && startWorks ? 1 : 0);
        // Nothing half-written is left, beside it or in its place.
        QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 isWritten || !before.isEmpty() ? QStringList{path} : QStringList());
        if (before != "folder" && QFile::exists(path)) {
            QCOMPARE(fixture::readFile(path), isWritten ? installer : before.toLatin1());
            QCOMPARE(QFileInfo(path).permissions().testFlag(QFileDevice::ExeOwner), isWritten);
        }
    }

    // A new version records itself once, at its first start.
    void versionRecord()
    {
        gParam->initParametre(VERSION, QStringLiteral("1.0"));
        gParam->sauvegarde(QString(), true);
        fixture::clearLog();
        m_window = std::make_unique<MainWindow>();
        QCOMPARE(savedValue(VERSION), QLatin1String(kAppVersion));
        QVERIFY(fixture::logContains(QStringLiteral("Mise a jour de la version 1.0 avec la version ")
                                     + QLatin1String(kAppVersion)));
    }

    // The installer really runs, from the working folder, on its own.
    void installerRuns()
    {
        softwareUpdate::setDetachedStarter({});
        m_window->actionResponseGetUpdate("#!/bin/sh\necho ran > ran.txt\n");
        recordStarts();
        QVERIFY(shownMessage(*m_window).isEmpty());
        QTRY_VERIFY(QFileInfo(QStringLiteral("ran.txt")).size() > 0);
        QCOMPARE(m_quits, 1);
    }
};

TAVRIMEX_TEST_MAIN(TestSoftwareUpdate)
#include "TestSoftwareUpdate.moc"
