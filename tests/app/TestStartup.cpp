#include "core/CParam.h"
#include "core/Startup.h"

#include "CoreFixture.h"
#include "TestMain.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <csignal>

namespace
{

// Calls `done` every 20 ms until it returns true, for at most `ms`.
template <typename Done>
bool poll(Done done, int ms = 15000)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        if (done()) {
            return true;
        }
        QTest::qWait(20);
    }
    return false;
}

// The program in a home folder of its own.
struct Program
{
    QTemporaryDir home;
    QString app = home.path() + "/Library/Application Support/Tavrimex";
    QProcess process;

    explicit Program(const char* binary = BOXES_TO_STDERR_BIN)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        process.setProgram(QString::fromLocal8Bit(binary));
    }

    void setEnv(const QStringList& entries)
    {
        QProcessEnvironment env = process.processEnvironment();
        for (const QString& entry : entries) {
            env.insert(entry.section('=', 0, 0), entry.section('=', 1));
        }
        process.setProcessEnvironment(env);
    }

    // Starts the program and waits until it has opened its main database, that is
    // until it is about to enter its loop.
    bool startUp(const QStringList& args)
    {
        process.setArguments(args);
        process.start();
        return poll([this] {
            return QFile::exists(app + "/db/kest.db");
        });
    }

    // The exit code once the program has ended; -1 after a crash, -3 when it does not end.
    int finish()
    {
        if (process.state() != QProcess::NotRunning && !process.waitForFinished(20000)) {
            process.kill();
            process.waitForFinished();
            return -3;
        }
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    // Standard error so far, kept whole across reads.
    QByteArray errors()
    {
        stderrSoFar += process.readAllStandardError();
        return stderrSoFar;
    }

    int run(const QStringList& args = {})
    {
        process.setArguments(args);
        process.start();
        return finish();
    }

    // Sends `sig` until the program has ended (true) or `ms` have passed. Signals
    // that come before the event loop runs are dropped, hence the repeats.
    bool signal(int sig, int ms = 15000)
    {
        return poll(
            [&] {
                ::kill(static_cast<pid_t>(process.processId()), sig);
                return process.waitForFinished(200);
            },
            ms);
    }

    QByteArray stderrSoFar;

    QString log() const
    {
        const QDir traces(app + "/traces");
        QString all;
        for (const QString& name : traces.entryList(QDir::Files)) {
            all += QString::fromUtf8(fixture::readFile(traces.filePath(name)));
        }
        return all;
    }
};

}  // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:

    // The version wins over everything; neither word creates anything in the home folder.
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("out");
        const QByteArray version = "tavrimex 4.3.1\n";
        QTest::newRow("version") << QStringList{"--version"} << version;
        QTest::newRow("version before default") << QStringList{"--version", "--default"} << version;
        QTest::newRow("version after other words") << QStringList{"log", "--default", "--version"} << version;
        QTest::newRow("default") << QStringList{"--default"} << CParam().getParamStr().toLatin1() + '\n';
    }

    void commandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, out);
        Program program(TAVRIMEX_BIN);
        QCOMPARE(program.run(args), 0);
        QCOMPARE(program.process.readAllStandardOutput(), out);
        QVERIFY(QDir(program.home.path()).isEmpty());
    }

    void runFlags_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("flags");  // debug, log, crypt, preprod
        QTest::newRow("none") << QStringList{"tavrimex"} << "0010";
        QTest::newRow("debug") << QStringList{"debug"} << "1010";
        QTest::newRow("log") << QStringList{"log"} << "0110";
        QTest::newRow("nocrypt") << QStringList{"nocrypt"} << "0000";
        QTest::newRow("preprod") << QStringList{"preprod"} << "0011";
        QTest::newRow("all, any order") << QStringList{"preprod", "nocrypt", "log", "debug"} << "1101";
        QTest::newRow("other spellings") << QStringList{"LOG", "-log", "--debug", "Debug", "no crypt", "pre-prod"}
                                         << "0010";
    }

    void runFlags()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, flags);
        CParam param;
        param.isCrypt = false;
        param.isDebug = param.isLog = param.isPreprod = true;
        applyRunFlags(param, args);
        QCOMPARE(QString("%1%2%3%4").arg(param.isDebug).arg(param.isLog).arg(param.isCrypt).arg(param.isPreprod),
                 flags);
    }

    void firstStartThenSignalEndsCleanly()
    {
        Program program;
        QVERIFY(program.startUp({"-version", "LOG", "nocrypt"}));
        QVERIFY(program.signal(SIGTERM));
        QCOMPARE(program.finish(), 0);
        QVERIFY(program.process.readAllStandardError().isEmpty());
        const QString log = program.log();
        // On a first start the traces folder comes after the start line.
        QVERIFY(!log.contains("Demarrage"));
        QVERIFY(log.contains(" - notice - Fermeture\n"));
        // "LOG" is not "log": unforced notices stay out.
        QVERIFY(!log.contains("Ouverture de la base"));
        QVERIFY(fixture::readFile(program.app + "/param.ini").startsWith("0VERSION=4.3.1\n"));
        for (const char* sub : {"/db", "/img", "/traces"}) {
            QVERIFY(QDir(program.app + sub).exists());
        }
    }

    void secondStartLogsStartLineAndSurvivesHangup_data()
    {
        QTest::addColumn<int>("endSignal");
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGQUIT") << int(SIGQUIT);
        QTest::newRow("SIGABRT") << int(SIGABRT);
    }

    // The start-up's own SIGTERM and SIGHUP leave the program running.
    void secondStartLogsStartLineAndSurvivesHangup()
    {
        QFETCH(int, endSignal);
        Program program;
        QVERIFY(QDir().mkpath(program.app + "/traces"));
        QVERIFY(program.startUp({"log"}));
        QVERIFY(!program.signal(SIGHUP, 1000));
        QVERIFY(program.signal(endSignal));
        QCOMPARE(program.finish(), 0);
        const QString log = program.log();
        static const QRegularExpression start(" - notice - Demarrage : \\S+ log\n");
        QVERIFY2(start.match(log).hasMatch(), qPrintable(log));
        QVERIFY(log.contains("Ouverture de la base de donnees "));
        QVERIFY(log.endsWith(" - notice - Fermeture\n"));
        QVERIFY(fixture::readFile(program.app + "/param.ini").startsWith('1'));
    }

    void settingsFailureExitsWithOne()
    {
        Program program;
        QVERIFY(QDir().mkpath(program.app + "/param.ini"));
        QVERIFY(QDir().mkpath(program.app + "/traces"));
        QCOMPARE(program.run(), 1);
        QVERIFY(program.process.readAllStandardError().contains("BOX [Erreur de chargement] -"));
        QVERIFY(program.log().contains("Demarrage"));
        QVERIFY(!program.log().contains("Fermeture"));
    }

    void mainDatabaseFailureSkipsTheLoop()
    {
        Program program;
        QVERIFY(QDir().mkpath(program.app + "/db/kest.db"));
        QCOMPARE(program.run(), 0);
        QVERIFY(program.process.readAllStandardError().contains("BOX [warning] "));
        QVERIFY(program.log().contains("Erreur a l'ouverture du fichier de la base de donnees"));
        QVERIFY(program.log().contains(" - notice - Fermeture"));
    }

    // Real boxes during start-up. A termination signal ends only a loop running when it
    // comes: from inside a box's loop it closes that box and start-up goes on; one sent
    // while no loop runs is dropped, so the next box still waits for its answer.
    void signalDuringStartUpBoxes_data()
    {
        QTest::addColumn<QString>("broken");  // what fails to load: "param.ini", "db/kest.db" or nothing
        QTest::addColumn<QStringList>("env");
        QTest::addColumn<QStringList>("boxes");  // standard error, line by line
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<bool>("mainLoop");  // runs, and is then ended by a signal from here

        const QString settingsBox = "BOX 1 [Erreur de chargement] shown";
        const QString databaseBox = "BOX 1 [warning] shown";
        QTest::newRow("settings box, signal from its loop")
            << "param.ini" << QStringList{"BOX_ANSWERS=signal"} << QStringList{settingsBox, "BOX 1 closed unanswered"}
            << 1 << false;
        QTest::newRow("settings box, signal before it")
            << "param.ini" << QStringList{"RAISE_AT_START=1", "BOX_ANSWERS=answer"}
            << QStringList{settingsBox, "BOX 1 answered"} << 1 << false;
        QTest::newRow("database box, signal from its loop")
            << "db/kest.db" << QStringList{"BOX_ANSWERS=signal"} << QStringList{databaseBox, "BOX 1 closed unanswered"}
            << 0 << false;
        QTest::newRow("database box, signal before it")
            << "db/kest.db" << QStringList{"RAISE_AT_START=1", "BOX_ANSWERS=answer"}
            << QStringList{databaseBox, "BOX 1 answered"} << 0 << false;
        // The program shows these boxes itself, as its main window is shown.
        QTest::newRow("two boxes before the main loop, signal from the first")
            << QString() << QStringList{"STEPS_AT_SHOW=box,box", "BOX_ANSWERS=signal,answer"}
            << QStringList{"BOX 1 [hook] shown",
                           "BOX 1 closed unanswered",
                           "BOX 2 [hook] shown",
                           "BOX 2 answered",
                           "MAIN LOOP"}
            << 0 << true;
        QTest::newRow("two boxes before the main loop, signal between them")
            << QString() << QStringList{"STEPS_AT_SHOW=box,raise,box", "BOX_ANSWERS=answer,answer"}
            << QStringList{"BOX 1 [hook] shown", "BOX 1 answered", "BOX 2 [hook] shown", "BOX 2 answered", "MAIN LOOP"}
            << 0 << true;
        QTest::newRow("box before the main loop, signal at start")
            << QString() << QStringList{"RAISE_AT_START=1", "STEPS_AT_SHOW=box", "BOX_ANSWERS=answer"}
            << QStringList{"BOX 1 [hook] shown", "BOX 1 answered", "MAIN LOOP"} << 0 << true;
    }

    void signalDuringStartUpBoxes()
    {
        QFETCH(QString, broken);
        QFETCH(QStringList, env);
        QFETCH(QStringList, boxes);
        QFETCH(int, exitCode);
        QFETCH(bool, mainLoop);
        Program program(BOX_SIGNALS_BIN);
        QVERIFY(QDir().mkpath(program.app + "/traces"));
        if (!broken.isEmpty()) {
            QVERIFY(QDir().mkpath(program.app + '/' + broken));
        }
        program.setEnv(env);
        program.process.start();
        const QByteArray expected = boxes.join('\n').toUtf8() + '\n';
        if (mainLoop) {
            QVERIFY2(poll([&] {
                         return program.errors().endsWith("MAIN LOOP\n")
                                || program.process.state() == QProcess::NotRunning;
                     }),
                     program.errors().constData());
            QCOMPARE(program.errors(), expected);
            ::kill(static_cast<pid_t>(program.process.processId()), SIGTERM);
        }
        QCOMPARE(program.finish(), exitCode);
        QCOMPARE(program.errors(), expected);
        const QString log = program.log();
        QVERIFY(log.contains("Demarrage"));
        QCOMPARE(log.endsWith(" - notice - Fermeture\n"), broken != "param.ini");
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestStartup)
#include "TestStartup.moc"
