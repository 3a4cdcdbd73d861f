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

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

class Program
{
public:
    explicit Program(const char* binary = BOXES_TO_STDERR_BIN)
        : m_binary(QString::fromLocal8Bit(binary))
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_home.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        m_process.setProcessEnvironment(env);
    }

    QString app() const
    {
        return m_home.path() + QStringLiteral("/Library/Application Support/Tavrimex");
    }

    QString home() const
    {
        return m_home.path();
    }

    void start(const QStringList& args)
    {
        m_process.start(m_binary, args);
        QVERIFY(m_process.waitForStarted());
    }

    Run finish(int ms = 20000)
    {
        m_process.waitForFinished(ms);
        return {m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1,
                m_process.readAllStandardOutput(),
                m_process.readAllStandardError()};
    }

    Run run(const QStringList& args)
    {
        start(args);
        return finish();
    }

    // The program has opened its main database: it is about to enter its loop.
    bool waitUntilUp()
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 15000) {
            if (QFile::exists(app() + QStringLiteral("/db/kest.db"))) {
                return true;
            }
            QTest::qWait(20);
        }
        return false;
    }

    bool running()
    {
        return m_process.state() == QProcess::Running;
    }

    // Signals that come before the event loop runs are dropped, so keep sending
    // until the program has gone.
    bool signalUntilGone(int sig)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 15000) {
            ::kill(static_cast<pid_t>(m_process.processId()), sig);
            if (m_process.waitForFinished(200)) {
                return true;
            }
        }
        return false;
    }

    // Sends the signal a few times over a second; true when the program still runs.
    bool survives(int sig)
    {
        for (int i = 0; i < 5; ++i) {
            ::kill(static_cast<pid_t>(m_process.processId()), sig);
            if (m_process.waitForFinished(200)) {
                return false;
            }
        }
        return running();
    }

    QString log() const
    {
        QDir traces(app() + QStringLiteral("/traces"));
        QString all;
        for (const QString& name : traces.entryList(QDir::Files)) {
            QFile file(traces.filePath(name));
            if (file.open(QIODevice::ReadOnly)) {
                all += QString::fromUtf8(file.readAll());
            }
        }
        return all;
    }

private:
    QTemporaryDir m_home;
    QString m_binary;
    QProcess m_process;
};

}  // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:

    void versionWins_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("alone") << QStringList{"--version"};
        QTest::newRow("before default") << QStringList{"--version", "--default"};
        QTest::newRow("after other words") << QStringList{"log", "--default", "--version"};
    }

    void versionWins()
    {
        QFETCH(QStringList, args);
        Program program(TAVRIMEX_BIN);
        const Run run = program.run(args);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QByteArray("tavrimex 4.3.1\n"));
        QVERIFY(!QDir(program.home() + QStringLiteral("/Library")).exists());
    }

    void defaultPrintsTheTwentyLines()
    {
        Program program(TAVRIMEX_BIN);
        const Run run = program.run({QStringLiteral("--default")});
        QCOMPARE(run.exitCode, 0);
        const QList<QByteArray> lines = run.out.split('\n');
        QCOMPARE(lines.size(), 21);
        QCOMPARE(lines.first(), QByteArray("VERSION=4.3.1"));
        QCOMPARE(lines.at(19), QByteArray("TIMEOUT=300"));
        QVERIFY(lines.last().isEmpty());
        QVERIFY(!QDir(program.home() + QStringLiteral("/Library")).exists());
    }

    void firstStartThenSignalEndsCleanly()
    {
        Program program;
        program.start({QStringLiteral("-version"), QStringLiteral("LOG"), QStringLiteral("nocrypt")});
        QVERIFY(program.waitUntilUp());
        QVERIFY(program.signalUntilGone(SIGTERM));
        const Run run = program.finish();
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.err.isEmpty());
        const QString log = program.log();
        // On a first start the traces folder comes after the start line.
        QVERIFY(!log.contains(QStringLiteral("Demarrage")));
        QVERIFY(log.contains(QStringLiteral(" - notice - Fermeture\n")));
        // "LOG" is not "log": unforced notices stay out.
        QVERIFY(!log.contains(QStringLiteral("Ouverture de la base")));
        QFile ini(program.app() + QStringLiteral("/param.ini"));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QVERIFY(ini.readAll().startsWith("0VERSION=4.3.1\n"));
        for (const char* sub : {"/db", "/img", "/traces"}) {
            QVERIFY(QDir(program.app() + QLatin1String(sub)).exists());
        }
    }

    void secondStartLogsStartLineAndSurvivesHangup_data()
    {
        QTest::addColumn<int>("endSignal");
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGQUIT") << int(SIGQUIT);
        QTest::newRow("SIGABRT") << int(SIGABRT);
    }

    void secondStartLogsStartLineAndSurvivesHangup()
    {
        QFETCH(int, endSignal);
        Program program;
        QVERIFY(QDir().mkpath(program.app() + QStringLiteral("/traces")));
        program.start({QStringLiteral("log")});
        QVERIFY(program.waitUntilUp());
        QVERIFY(program.survives(SIGHUP));
        QVERIFY(program.signalUntilGone(endSignal));
        const Run run = program.finish();
        QCOMPARE(run.exitCode, 0);
        const QString log = program.log();
        static const QRegularExpression start(QStringLiteral(" - notice - Demarrage : \\S+ log\n"));
        QVERIFY2(start.match(log).hasMatch(), qPrintable(log));
        QVERIFY(log.contains(QStringLiteral("Ouverture de la base de donnees ")));
        QVERIFY(log.endsWith(QStringLiteral(" - notice - Fermeture\n")));
        QFile ini(program.app() + QStringLiteral("/param.ini"));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QVERIFY(ini.readAll().startsWith('1'));
    }

    void settingsFailureExitsWithOne()
    {
        Program program;
        QVERIFY(QDir().mkpath(program.app() + QStringLiteral("/param.ini")));
        QVERIFY(QDir().mkpath(program.app() + QStringLiteral("/traces")));
        const Run run = program.run({});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains("BOX [Erreur de chargement] -"));
        const QString log = program.log();
        QVERIFY(log.contains(QStringLiteral("Demarrage")));
        QVERIFY(!log.contains(QStringLiteral("Fermeture")));
    }

    void mainDatabaseFailureSkipsTheLoop()
    {
        Program program;
        QVERIFY(QDir().mkpath(program.app() + QStringLiteral("/db/kest.db")));
        const Run run = program.run({});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.err.contains("BOX [warning] "));
        QVERIFY(program.log().contains(QStringLiteral("Erreur a l'ouverture du fichier de la base de donnees")));
        QVERIFY(program.log().contains(QStringLiteral(" - notice - Fermeture")));
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestStartup)
#include "TestStartup.moc"
