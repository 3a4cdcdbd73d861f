#pragma once

#include <QString>

namespace trials
{

struct KillTrialOptions
{
    QString appPath;
    int trials = 200;
    // Lanes run as child processes of this program, each with its own X server,
    // stand-in and home folder.
    int lanes = 1;
    quint32 seed = 1;
    int ticketsPerPerformance = 400;
    // The figures as JSON, when not empty.
    QString jsonPath;
    // Set in a lane's own process: where it writes its figures.
    QString laneReport;
};

// Runs the kill trials and prints their table. 0 when every check passed.
int runKillTrials(const KillTrialOptions& options);

// Reads the options from the command line of a trials program.
KillTrialOptions killTrialOptions(const QStringList& arguments, const QString& defaultApp);

}  // namespace trials
