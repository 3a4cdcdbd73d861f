#include "core/Startup.h"

#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/CParam.h"
#include "core/Log.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QSocketNotifier>
#include <QStringList>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace
{

// The signal handler only writes a stamp here; the GUI thread reads it.
int signalPipe[2] = {-1, -1};

// Serial of the last loop started. A signal is stamped with it, so that the GUI
// thread, reading the pipe only inside some later loop, can still tell the loops
// that ran when the signal came from those started since.
std::atomic<unsigned> lastLoopSerial{0};
static_assert(std::atomic<unsigned>::is_always_lock_free, "read in signal context");

struct RunningLoop
{
    unsigned serial = 0;
    std::function<void()> end;
};

// Outermost first; GUI thread only.
std::vector<RunningLoop> runningLoops;

void writeStdout(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

void onSignalReadable()
{
    unsigned stamp = 0;
    unsigned latest = 0;
    while (::read(signalPipe[0], &stamp, sizeof stamp) == static_cast<ssize_t>(sizeof stamp)) {
        latest = std::max(latest, stamp);
    }
    if (QCoreApplication::closingDown()) {
        return;
    }
    // A loop that still runs and started no later than the stamp was running when
    // the signal came. A signal that came while no loop ran ends nothing, not even
    // the loop that reads it.
    std::vector<std::function<void()>> ends;
    for (auto loop = runningLoops.rbegin(); loop != runningLoops.rend(); ++loop) {
        if (loop->serial <= latest) {
            ends.push_back(loop->end);
        }
    }
    for (const std::function<void()>& end : ends) {
        end();
    }
}

void ensureFolder(const QDir& dir, const QString& path, const char* failureText)
{
    if (dir.exists(path)) {
        return;
    }
    if (!dir.mkpath(path)) {
        qDebug() << failureText << path;
    }
}

}  // namespace

void handler(int sig)
{
    if (sig != SIGINT && sig != SIGQUIT && sig != SIGABRT && sig != SIGTERM) {
        return;
    }
    if (signalPipe[1] < 0) {
        return;
    }
    const int savedErrno = errno;
    const unsigned stamp = lastLoopSerial.load();
    // Smaller than PIPE_BUF, so each stamp lands whole.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &stamp, sizeof stamp);
    errno = savedErrno;
}

SignalLoopScope::SignalLoopScope(std::function<void()> end)
    : serial(lastLoopSerial.load() + 1)
{
    runningLoops.push_back({serial, std::move(end)});
    lastLoopSerial.store(serial);
}

SignalLoopScope::~SignalLoopScope()
{
    runningLoops.erase(std::find_if(runningLoops.begin(), runningLoops.end(), [this](const RunningLoop& loop) {
        return loop.serial == serial;
    }));
}

void myMessageOutput(QtMsgType, const QMessageLogContext&, const QString&)
{}

void applyRunFlags(CParam& param, const QStringList& arguments)
{
    param.isDebug = arguments.contains(QStringLiteral("debug"), Qt::CaseSensitive);
    param.isLog = arguments.contains(QStringLiteral("log"), Qt::CaseSensitive);
    param.isCrypt = !arguments.contains(QStringLiteral("nocrypt"), Qt::CaseSensitive);
    param.isPreprod = arguments.contains(QStringLiteral("preprod"), Qt::CaseSensitive);
}

int tavrimexMain(int argc, char** argv)
{
    QString startText = QStringLiteral("Demarrage :");
    QString folder;
    const QDir currentDir;

    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        signalPipe[0] = signalPipe[1] = -1;
    }
    for (const int sig : {SIGABRT, SIGTERM, SIGQUIT, SIGINT, SIGHUP}) {
        std::signal(sig, handler);
    }
    qInstallMessageHandler(myMessageOutput);

    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLatin1(argv[i]);
        startText += QLatin1Char(' ') + arguments.last();
    }

    if (arguments.contains(QStringLiteral("--version"), Qt::CaseSensitive)) {
        writeStdout(QByteArray(kAppWord) + ' ' + kAppVersion + '\n');
        return 0;
    }
    if (arguments.contains(QStringLiteral("--default"), Qt::CaseSensitive)) {
        CParam defaults;
        const QList<QByteArray> lines = defaults.defaut().split('\n');
        for (const QByteArray& line : lines) {
            writeStdout(line + '\n');
        }
        return 0;
    }

    QApplication app(argc, argv);
    gParam = new CParam;
    enregistreLog(5, startText, true);
    applyRunFlags(*gParam, arguments);

    std::unique_ptr<QSocketNotifier> signalNotifier;
    if (signalPipe[0] >= 0) {
        signalNotifier = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
        QObject::connect(signalNotifier.get(), &QSocketNotifier::activated, &app, &onSignalReadable);
    }

    folder = appFolder();
    qDebug() << "Repertoire Application : " << folder;
    ensureFolder(currentDir, folder + QStringLiteral("/db/"), "Erreur de creation du repertoire DB : ");
    ensureFolder(currentDir, folder + QStringLiteral("/img/"), "Erreur de creation du repertoire IMG : ");
    ensureFolder(currentDir, folder, "Erreur de creation du repertoire CONFIG : ");
    ensureFolder(currentDir, folder + QStringLiteral("/traces/"), "Erreur de creation du repertoire TRACES : ");

    if (!gParam->charge(folder, true)) {
        delete gParam;
        gParam = nullptr;
        return 1;
    }
    gAffichage = new CAffichage;

    int exitCode = 0;
    {
        MainWindow window(nullptr);
        if (!window.isStartFailed) {
            window.setWindowModality(Qt::ApplicationModal);
            window.setVisible(true);
            // Ends the boxes open over the main loop too.
            const SignalLoopScope mainLoop([] {
                QCoreApplication::exit(0);
            });
            exitCode = QApplication::exec();
        }
        enregistreLog(5, QStringLiteral("Fermeture"), true);
    }
    return exitCode;
}
