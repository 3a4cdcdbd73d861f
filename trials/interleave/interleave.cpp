// Interleaving trials of the program: interleave [--trials N] [--seed N] [--steps N]
// [--tickets N] [--json FILE] [--no-shrink]. An agent acts at random on the window
// while the stand-in of the service answers late, out of order, twice, cut or never.
// Exits 0 when every invariant held.
#include "InterleaveTrial.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QTextStream>

namespace
{

struct Options
{
    int trials = 200;
    quint32 seed = 1;
    int steps = 40;
    int tickets = 12;
    QString json;
    bool shrink = true;
    // One trial of exactly this seed.
    quint32 replay = 0;
};

Options parse(const QStringList& arguments)
{
    Options options;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& word = arguments.at(i);
        const QString value = arguments.value(i + 1);
        if (word == QLatin1String("--trials")) {
            options.trials = value.toInt();
        } else if (word == QLatin1String("--seed")) {
            options.seed = value.toUInt();
        } else if (word == QLatin1String("--steps")) {
            options.steps = value.toInt();
        } else if (word == QLatin1String("--tickets")) {
            options.tickets = value.toInt();
        } else if (word == QLatin1String("--replay")) {
            options.replay = value.toUInt();
            options.trials = 1;
        } else if (word == QLatin1String("--json")) {
            options.json = value;
        } else if (word == QLatin1String("--no-shrink")) {
            options.shrink = false;
            continue;
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

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QApplication app(argc, argv);
    const Options options = parse(QApplication::arguments());
    QTextStream out(stdout);
    out << "seed " << options.seed << ", " << options.trials << " trials of " << options.steps << " steps\n";
    out.flush();

    QElapsedTimer clock;
    clock.start();
    trials::InterleaveFigures total;
    int failed = 0;
    for (int index = 0; index < options.trials; ++index) {
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
        ++failed;
        out << "\nFAIL: trial seed " << seed << " (trial " << index + 1 << ", found after " << clock.elapsed() / 1000
            << " s): " << failure << "\n";
        // The shortest run of the same seed that still fails.
        int shortest = options.steps;
        if (options.shrink) {
            int low = 1;
            int high = options.steps;
            while (low < high) {
                const int middle = (low + high) / 2;
                trials::InterleaveTrial replay(seed, middle, options.tickets);
                if (!replay.run()) {
                    high = middle;
                    steps = replay.steps;
                    failure = replay.failure;
                } else {
                    low = middle + 1;
                }
            }
            shortest = high;
        }
        out << "Shortest failing run: " << shortest << " steps (replay: interleave --replay " << seed
            << " --steps " << shortest << ")\n";
        for (const QString& line : std::as_const(steps)) {
            out << "  " << line << "\n";
        }
        out.flush();
    }
    out << "\n";
    printTable(out, total, clock.elapsed());
    if (!options.json.isEmpty()) {
        QFile file(options.json);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            file.write(QJsonDocument(total.toJson()).toJson());
        }
    }
    return failed == 0 ? 0 : 1;
}
