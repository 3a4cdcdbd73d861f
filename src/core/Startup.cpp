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

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace
{

// The signal handler only writes the signal number here; the GUI thread reads it.
int signalPipe[2] = {-1, -1};

void writeStdout(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

// Signals that arrived while no event loop ran must have no lasting effect.
void drainSignalPipe()
{
    char buffer[64];
    while (::read(signalPipe[0], buffer, sizeof buffer) > 0) {
    }
}

void onSignalReadable()
{
    unsigned char sig = 0;
    while (::read(signalPipe[0], &sig, 1) == 1) {
        if (QCoreApplication::closingDown()) {
            continue;
        }
        if (sig == SIGINT || sig == SIGQUIT || sig == SIGABRT || sig == SIGTERM) {
            // Ends every loop running on the GUI thread, a box's included.
            QCoreApplication::exit(0);
        }
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
    if (signalPipe[1] < 0) {
        return;
    }
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(sig);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
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
            if (signalPipe[0] >= 0) {
                drainSignalPipe();
            }
            exitCode = QApplication::exec();
        }
        enregistreLog(5, QStringLiteral("Fermeture"), true);
    }
    return exitCode;
}
