// Kill trials of the program: killtrials [--trials N] [--lanes N] [--seed N]
// [--tickets N] [--json FILE] [--app PATH]. Exits 0 when no punch was lost or
// doubled and every database stayed sound.
#include "KillTrials.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // The driver draws nothing; the program it drives runs on its own X server.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The settings code the driver borrows talks on standard error; the table is what counts.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QApplication app(argc, argv);
    return trials::runKillTrials(trials::killTrialOptions(QApplication::arguments(), QStringLiteral(TAVRIMEX_BIN)));
}
