// Interleaving trials of the program: interleave [--trials N] [--seed N] [--steps N]
// [--tickets N] [--lanes N] [--json FILE] [--no-shrink] [--replay SEED]. An agent acts
// at random on the window while the stand-in of the service answers late, out of
// order, twice, cut or never. Exits 0 when every invariant held.
#include "InterleaveTrial.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <memory>
#include <vector>

namespace
{

struct Options
{
    int trials = 200;
    quint32 seed = 1;
    int steps = 40;
    int tickets = 40;
    int lanes = 1;
    QString json;
    bool shrink = true;
    // One trial of exactly this seed, its steps printed.
    quint32 replay = 0;
    // A lane runs trials first..first+trials-1 and reports to this file.
    int first = 0;
    QString laneReport;
};

Options parse(const QStringList& arguments)
{
    Options options;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& word = arguments.at(i);
        const QString value = arguments.value(i + 1);
        if (word == QLatin1String("--no-shrink")) {
            options.shrink = false;
            continue;
        }
        if (word == QLatin1String("--trials")) {
            options.trials = value.toInt();
        } else if (word == QLatin1String("--seed")) {
            options.seed = value.toUInt();
        } else if (word == QLatin1String("--steps")) {
            options.steps = value.toInt();
        } else if (word == QLatin1String("--tickets")) {
            options.tickets = value.toInt();
        } else if (word == QLatin1String("--lanes")) {
            options.lanes = std::max(1, value.toInt());
        } else if (word == QLatin1String("--replay")) {
            options.replay = value.toUInt();
            options.trials = 1;
        } else if (word == QLatin1String("--json")) {
            options.json = value;
        } else if (word == QLatin1String("--first")) {
            options.first = value.toInt();
        } else if (word == QLatin1String("--lane-report")) {
            options.laneReport = value;
        } else {
            continue;
        }
        ++i;
    }
    return options;
}

// The seed of trial `index` of a run: printed, and enough to replay it alone.
quint32 trialSeed(quint32 seed, int index)
{
    return seed * 100003u + static_cast<quint32>(index);
}

void printTable(QTextStream& out, const trials::InterleaveFigures& f, qint64 ms)
{
    out << "Interleaving trials (an agent at random, the service late, out of order, twice, cut or silent)\n";
    out << QStringLiteral("| %1 | %2 |\n").arg(QStringLiteral("figure"), -34).arg(QStringLiteral("value"), 8);
    out << "|------------------------------------|----------|\n";
    const auto row = [&out](const char* name, qint64 value) {
        out << QStringLiteral("| %1 | %2 |\n").arg(QLatin1String(name), -34).arg(value, 8);
    };
    row("trials", f.trials);
    row("actions", f.actions);
    row("kills", f.kills);
    row("exits and starts", f.restarts);
    row("replies late", f.repliesLate);
    row("replies reordered", f.repliesReordered);
    row("replies doubled", f.repliesDoubled);
    row("replies cut", f.repliesCut);
    row("replies lost", f.repliesLost);
    row("replies with an HTTP error", f.repliesFailed);
    row("punches accepted", f.accepted);
    row("punches lost", f.lost);
    row("punches doubled", f.doubled);
    row("wrong lists shown", f.wrongLists);
    row("invariant failures", f.failures);
    row("wall time (s)", ms / 1000);
}

// Runs this process's share of the trials; failures are printed with their shortest
// failing run.
trials::InterleaveFigures runTrials(const Options& options, QTextStream& out, const QElapsedTimer& clock)
{
    trials::InterleaveFigures total;
    for (int index = options.first; index < options.first + options.trials; ++index) {
        const quint32 seed = options.replay != 0 ? options.replay : trialSeed(options.seed, index);
        QStringList steps;
        QString failure;
        {
            trials::InterleaveTrial trial(seed, options.steps, options.tickets);
            trial.run();
            total.add(trial.figures);
            failure = trial.failure;
            steps = trial.steps;
        }
        if (options.replay != 0) {
            for (const QString& line : std::as_const(steps)) {
                out << "  " << line << "\n";
            }
        }
        if (failure.isEmpty()) {
            continue;
        }
        out << "\nFAIL: trial seed " << seed << " (trial " << index + 1 << ", found after " << clock.elapsed() / 1000
            << " s): " << failure << "\n";
        // The shortest run of the same seed that still fails.
        int shortest = options.steps;
        if (options.shrink) {
            int low = 1;
            while (low < shortest) {
                const int middle = (low + shortest) / 2;
                trials::InterleaveTrial replay(seed, middle, options.tickets);
                if (!replay.run()) {
                    shortest = middle;
                    steps = replay.steps;
                } else {
                    low = middle + 1;
                }
            }
        }
        out << "Shortest failing run: " << shortest << " steps (replay: interleave --replay " << seed << " --steps "
            << shortest << ")\n";
        for (const QString& line : std::as_const(steps)) {
            out << "  " << line << "\n";
        }
        out.flush();
    }
    return total;
}

// Lanes are children of this program, each with its share of the trials.
trials::InterleaveFigures runLanes(const Options& options)
{
    QTemporaryDir reports;
    std::vector<std::unique_ptr<QProcess>> lanes;
    int first = 0;
    for (int lane = 0; lane < options.lanes; ++lane) {
        const int trials = options.trials / options.lanes + (lane < options.trials % options.lanes ? 1 : 0);
        auto process = std::make_unique<QProcess>();
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        QStringList arguments{QStringLiteral("--trials"),
                              QString::number(trials),
                              QStringLiteral("--first"),
                              QString::number(first),
                              QStringLiteral("--seed"),
                              QString::number(options.seed),
                              QStringLiteral("--steps"),
                              QString::number(options.steps),
                              QStringLiteral("--tickets"),
                              QString::number(options.tickets),
                              QStringLiteral("--lane-report"),
                              reports.filePath(QStringLiteral("lane%1.json").arg(lane))};
        if (!options.shrink) {
            arguments << QStringLiteral("--no-shrink");
        }
        process->start(QCoreApplication::applicationFilePath(), arguments);
        lanes.push_back(std::move(process));
        first += trials;
    }
    trials::InterleaveFigures total;
    for (std::size_t lane = 0; lane < lanes.size(); ++lane) {
        lanes[lane]->waitForFinished(-1);
        QFile file(reports.filePath(QStringLiteral("lane%1.json").arg(lane)));
        if (!file.open(QIODevice::ReadOnly)) {
            // A lane that died took its trials with it: a crash is a failure.
            ++total.failures;
            continue;
        }
        total.add(trials::InterleaveFigures::fromJson(QJsonDocument::fromJson(file.readAll()).object()));
    }
    return total;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QApplication app(argc, argv);
    const Options options = parse(QApplication::arguments());
    QTextStream out(stdout);
    QElapsedTimer clock;
    clock.start();
    if (!options.laneReport.isEmpty()) {
        const trials::InterleaveFigures figures = runTrials(options, out, clock);
        QFile file(options.laneReport);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
                       && file.write(QJsonDocument(figures.toJson()).toJson()) > 0
                   ? 0
                   : 1;
    }
    out << "seed " << options.seed << ", " << options.trials << " trials of " << options.steps << " steps\n";
    out.flush();
    const trials::InterleaveFigures total = options.lanes > 1 ? runLanes(options) : runTrials(options, out, clock);
    out << "\n";
    printTable(out, total, clock.elapsed());
    if (!options.json.isEmpty()) {
        QJsonObject json = total.toJson();
        json.insert(QStringLiteral("wall_seconds"), static_cast<double>(clock.elapsed()) / 1000.0);
        QFile file(options.json);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            file.write(QJsonDocument(json).toJson());
        }
    }
    return total.failures == 0 ? 0 : 1;
}
