// The kill trials at length: 2,000 trials over one lane per core, the table printed
// and the figures written to <results folder>/killtrials.json.
#include "KillTrials.h"

#include <QApplication>
#include <QDir>
#include <QThread>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QApplication app(argc, argv);
    trials::KillTrialOptions options =
        trials::killTrialOptions(QApplication::arguments(), QStringLiteral(TAVRIMEX_BIN));
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() == 2) {
        options.trials = 2000;
        options.lanes = std::max(2, QThread::idealThreadCount());
        options.ticketsPerPerformance = 1500;
        options.jsonPath = QDir(arguments.at(1)).filePath(QStringLiteral("killtrials.json"));
    }
    return trials::runKillTrials(options);
}
