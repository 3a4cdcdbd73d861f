#include "settings/SoftwareUpdate.h"
#include "ui/ProgressBar.h"
#include "ui/Ui_MainWindow.h"

#include "BoxRecorder.h"
#include "SettingsFixture.h"
#include "TestMain.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>

using namespace settingsFixture;

namespace
{

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
        m_started.clear();
        m_startWorks = true;
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
        m_window->actionErrorUpdate(4);
        QCOMPARE(m_window->ui->btnUpdateSoftware->isHidden() ? gParam->updateModifs.get().join(' ') : "shown",
                 storedAndShown.section(QLatin1Char(' '), 1));
        QVERIFY(shownMessage(*m_window).isEmpty());
    }

    // What is started must come over HTTPS, except in pre-production.
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
        QTest::addColumn<bool>("isFolderInTheWay");
        QTest::addColumn<bool>("startWorks");
        QTest::addColumn<bool>("fails");
        QTest::newRow("started") << QByteArray("#!/bin/sh\n\0\xff", 12) << false << true << false;
        QTest::newRow("empty download") << QByteArray() << false << true << true;
        QTest::newRow("cannot write") << QByteArray("x") << true << true << true;
        QTest::newRow("cannot start") << QByteArray("x") << false << false << true;
    }

    void handOff()
    {
        QFETCH(QByteArray, installer);
        QFETCH(bool, isFolderInTheWay);
        QFETCH(bool, startWorks);
        QFETCH(bool, fails);
        QVERIFY(!isFolderInTheWay || QDir().mkdir(QStringLiteral("update.exe")));
        m_startWorks = startWorks;
        m_window->actionShowProgress(true);
        m_window->actionResponseGetUpdate(installer);

        QVERIFY(m_window->progressBar->isHidden() && m_window->isEnabled());
        QCOMPARE(shownMessage(*m_window).value(1), fails ? message(0, 4) : QString());
        const bool isWritten = !installer.isEmpty() && !isFolderInTheWay;
        QCOMPARE(m_started, isWritten ? QStringList{QStringLiteral("./update.exe")} : QStringList());
        QFile file(QStringLiteral("update.exe"));
        QCOMPARE(file.exists(), isWritten || isFolderInTheWay);
        if (isWritten) {
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), installer);
            QVERIFY(file.permissions().testFlag(QFileDevice::ExeOwner));
        }
    }

    // The installer really runs, from the working folder, on its own.
    void installerRuns()
    {
        softwareUpdate::setDetachedStarter({});
        m_window->actionResponseGetUpdate("#!/bin/sh\necho ran > ran.txt\n");
        recordStarts();
        QVERIFY(shownMessage(*m_window).isEmpty());
        QTRY_VERIFY(QFileInfo(QStringLiteral("ran.txt")).size() > 0);
    }
};

TAVRIMEX_TEST_MAIN(TestSoftwareUpdate)
#include "TestSoftwareUpdate.moc"
