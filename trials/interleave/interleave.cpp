// Interleaving trials of the program: interleave [--trials N] [--seed N] [--steps N]
// [--tickets N] [--lanes N] [--json FILE] [--no-shrink] [--replay SEED] [--twice]
// [--jitter MS]. An
// agent acts at random on the window while the stand-in of the service answers late,
// out of order, twice, cut, with what is not its answer, or never. With --twice every
// trial runs again, as a replay of its seed, while other processes spin on every core,
// each replay is held to one core and loses up to MS ms (10 by default) whenever it
// lets the program run, and the two transcripts must match step for step. Exits 0 when every invariant held (and, with
// --twice, every replay matched).
#include "InterleaveTrial.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHashSeed>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <sched.h>
#include <unistd.h>
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
    // Every trial again under load, transcripts compared.
    bool twice = false;
    // A lane runs trials first..first+trials-1 and reports to this file.
    int first = 0;
    QString laneReport;
    // Each trial's transcript goes to <folder>/<seed>.txt.
    QString transcripts;
    // The lane's trials last to first, each after another one than the first time.
    bool reverse = false;
    // Nothing printed per trial.
    bool quiet = false;
    // Wall time lost at random while the program runs (see InterleaveTrial::setJitter);
    // with --twice, that of the second run.
    int jitter = -1;
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
        if (word == QLatin1String("--twice")) {
            options.twice = true;
            continue;
        }
        if (word == QLatin1String("--reverse")) {
            options.reverse = true;
            continue;
        }
        if (word == QLatin1String("--quiet")) {
            options.quiet = true;
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
        } else if (word == QLatin1String("--transcripts")) {
            options.transcripts = value;
        } else if (word == QLatin1String("--jitter")) {
            options.jitter = value.toInt();
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

quint32 seedOf(const Options& options, int index)
{
    return options.replay != 0 ? options.replay : trialSeed(options.seed, index);
}

QString replayCommand(quint32 seed, int steps, int tickets)
{
    return QStringLiteral("interleave --replay %1 --steps %2 --tickets %3").arg(seed).arg(steps).arg(tickets);
}

// A transcript as compared: the steps, without the program's log quoted after a
// failure (its times and addresses are the machine's), then the trace.
QStringList comparable(const QStringList& steps, const QStringList& trace = {})
{
    QStringList lines;
    for (const QString& line : steps + trace) {
        if (!line.startsWith(trials::InterleaveTrial::kLogLine)) {
            lines << line;
        }
    }
    return lines;
}

// The first line where two transcripts part, or -1.
int firstDifference(const QStringList& a, const QStringList& b)
{
    const auto [at, _] = std::mismatch(a.cbegin(), a.cend(), b.cbegin(), b.cend());
    return a == b ? -1 : static_cast<int>(at - a.cbegin());
}

void printDifference(QTextStream& out, const QStringList& first, const QStringList& again, int at)
{
    const auto line = [](const QStringList& lines, int i) {
        return i < lines.size() ? lines.at(i) : QStringLiteral("(the run ends here)");
    };
    out << "    first:  " << line(first, at) << "\n";
    out << "    again:  " << line(again, at) << "\n";
}

void writeTranscript(const QString& folder, quint32 seed, const QStringList& steps)
{
    QFile file(QDir(folder).filePath(QString::number(seed) + QStringLiteral(".txt")));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(steps.join(QLatin1Char('\n')).toUtf8());
    }
}

QStringList readTranscript(const QString& folder, quint32 seed)
{
    QFile file(QDir(folder).filePath(QString::number(seed) + QStringLiteral(".txt")));
    if (!file.open(QIODevice::ReadOnly)) {
        return {QStringLiteral("(no transcript)")};
    }
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
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
    row("replies not the document asked", f.repliesForeign);
    row("punches accepted", f.accepted);
    row("punches lost", f.lost);
    row("punches doubled", f.doubled);
    row("wrong lists shown", f.wrongLists);
    row("invariant failures", f.failures);
    row("wall time (s)", ms / 1000);
}

// The shortest run of a failing seed that still fails, checked to fail again the same
// way when replayed.
void printShortest(QTextStream& out, const Options& options, quint32 seed, QStringList steps, QStringList trace)
{
    int shortest = options.steps;
    if (options.shrink) {
        int low = 1;
        while (low < shortest) {
            const int middle = (low + shortest) / 2;
            trials::InterleaveTrial replay(seed, middle, options.tickets);
            if (!replay.run()) {
                shortest = middle;
                steps = replay.steps;
                trace = replay.trace;
            } else {
                low = middle + 1;
            }
        }
    }
    out << "Shortest failing run: " << shortest << " steps (replay: " << replayCommand(seed, shortest, options.tickets)
        << ")\n";
    for (const QString& line : std::as_const(steps)) {
        out << "  " << line << "\n";
    }
    trials::InterleaveTrial again(seed, shortest, options.tickets);
    again.run();
    const int at = firstDifference(comparable(steps, trace), comparable(again.steps, again.trace));
    if (at >= 0) {
        out << "The replay of that run did not repeat it, from line " << at + 1 << ":\n";
        printDifference(out, comparable(steps, trace), comparable(again.steps, again.trace), at);
    }
}

// Runs this process's share of the trials; failures are printed with their shortest
// failing run.
trials::InterleaveFigures runTrials(const Options& options, QTextStream& out, const QElapsedTimer& clock)
{
    trials::InterleaveFigures total;
    QList<int> indexes;
    for (int index = options.first; index < options.first + options.trials; ++index) {
        indexes << index;
    }
    if (options.reverse) {
        std::reverse(indexes.begin(), indexes.end());
    }
    for (int index : std::as_const(indexes)) {
        const quint32 seed = seedOf(options, index);
        QStringList steps;
        QStringList trace;
        QString failure;
        {
            trials::InterleaveTrial trial(seed, options.steps, options.tickets);
            trial.run();
            total.add(trial.figures);
            failure = trial.failure;
            steps = trial.steps;
            trace = trial.trace;
        }
        if (!options.transcripts.isEmpty()) {
            writeTranscript(options.transcripts, seed, comparable(steps, trace));
        }
        if (options.quiet) {
            continue;
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
        printShortest(out, options, seed, steps, trace);
        out.flush();
    }
    return total;
}

// The cores this process may run on, for children held to one core each.
QList<int> allowedCores()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    QList<int> cores;
    if (sched_getaffinity(0, sizeof(set), &set) == 0) {
        for (int core = 0; core < CPU_SETSIZE; ++core) {
            if (CPU_ISSET(core, &set)) {
                cores << core;
            }
        }
    }
    if (cores.isEmpty()) {
        cores << 0;
    }
    return cores;
}

void holdToCore(QProcess& process, int core)
{
    process.setChildProcessModifier([core] {
        cpu_set_t set;
        CPU_ZERO(&set);
        CPU_SET(core, &set);
        sched_setaffinity(0, sizeof(set), &set);
    });
}

// Lanes are children of this program, each with its share of the trials.
trials::InterleaveFigures runLanes(const Options& options, const QStringList& extra, bool holdToCores)
{
    QTemporaryDir reports;
    std::vector<std::unique_ptr<QProcess>> lanes;
    int first = 0;
    const QList<int> cores = allowedCores();
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
        arguments << extra;
        if (holdToCores) {
            holdToCore(*process, cores.at(lane % cores.size()));
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

// Busy processes, one per core, for as long as the second run lasts.
class Load
{
public:
    Load()
    {
        for (int core = 0; core < std::max(1, QThread::idealThreadCount()); ++core) {
            auto process = std::make_unique<QProcess>();
            process->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--spin"), QStringLiteral("3600")});
            m_spinners.push_back(std::move(process));
        }
        for (auto& process : m_spinners) {
            process->waitForStarted();
        }
    }

    ~Load()
    {
        for (auto& process : m_spinners) {
            process->kill();
            process->waitForFinished();
        }
    }

    Load(const Load&) = delete;
    Load& operator=(const Load&) = delete;

private:
    std::vector<std::unique_ptr<QProcess>> m_spinners;
};

// Keeps a core busy for `seconds`, or until the process that started it is gone.
int spin(int seconds)
{
    const pid_t parent = getppid();
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    volatile quint64 sink = 0;
    while (std::chrono::steady_clock::now() < end && getppid() == parent) {
        for (int i = 0; i < 1000000; ++i) {
            sink = sink + static_cast<quint64>(i);
        }
    }
    return 0;
}

// Every trial again, as a replay under load: each alone in a process held to one core
// (or, with lanes, each lane's trials in the reverse order), while every core spins.
// Returns how many transcripts matched the first run's step for step.
int runAgain(const Options& options, const QString& firstRun, const QString& secondRun, QTextStream& out)
{
    const QString jitter = QString::number(options.jitter < 0 ? 10 : options.jitter);
    {
        const Load load;
        if (options.lanes > 1) {
            runLanes(options,
                     {QStringLiteral("--transcripts"),
                      secondRun,
                      QStringLiteral("--reverse"),
                      QStringLiteral("--quiet"),
                      QStringLiteral("--no-shrink"),
                      QStringLiteral("--jitter"),
                      jitter},
                     true);
        } else {
            for (int index = options.first; index < options.first + options.trials; ++index) {
                QProcess replay;
                replay.setProcessChannelMode(QProcess::ForwardedErrorChannel);
                holdToCore(replay, allowedCores().constFirst());
                replay.start(QCoreApplication::applicationFilePath(),
                             {QStringLiteral("--replay"),
                              QString::number(seedOf(options, index)),
                              QStringLiteral("--steps"),
                              QString::number(options.steps),
                              QStringLiteral("--tickets"),
                              QString::number(options.tickets),
                              QStringLiteral("--transcripts"),
                              secondRun,
                              QStringLiteral("--quiet"),
                              QStringLiteral("--no-shrink"),
                              QStringLiteral("--jitter"),
                              jitter});
                replay.waitForFinished(-1);
            }
        }
    }
    int identical = 0;
    for (int index = options.first; index < options.first + options.trials; ++index) {
        const quint32 seed = seedOf(options, index);
        const QStringList first = comparable(readTranscript(firstRun, seed));
        const QStringList again = comparable(readTranscript(secondRun, seed));
        const int at = firstDifference(first, again);
        if (at < 0) {
            ++identical;
            continue;
        }
        out << "\nREPLAY DIFFERS: seed " << seed << " (" << replayCommand(seed, options.steps, options.tickets)
            << "), from line " << at + 1 << ":\n";
        printDifference(out, first, again, at);
    }
    return identical;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--spin") == 0) {
        return spin(std::atoi(argv[2]));
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The order of every hash, the program's and the trial's, is the same in every run.
    QHashSeed::setDeterministicGlobalSeed();
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QApplication app(argc, argv);
    Options options = parse(QApplication::arguments());
    if (!options.twice && options.jitter > 0) {
        trials::InterleaveTrial::setJitter(options.jitter);
    }
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
    if (options.quiet) {
        runTrials(options, out, clock);
        return 0;
    }
    out << "seed " << options.seed << ", " << options.trials << " trials of " << options.steps << " steps\n";
    out.flush();
    QTemporaryDir transcripts;
    const QString firstRun = transcripts.filePath(QStringLiteral("first"));
    const QString secondRun = transcripts.filePath(QStringLiteral("again"));
    QStringList extra;
    if (options.twice) {
        QDir().mkpath(firstRun);
        QDir().mkpath(secondRun);
        options.transcripts = firstRun;
        extra << QStringLiteral("--transcripts") << firstRun;
    }
    const trials::InterleaveFigures total =
        options.lanes > 1 ? runLanes(options, extra, false) : runTrials(options, out, clock);
    int identical = -1;
    if (options.twice) {
        identical = runAgain(options, firstRun, secondRun, out);
    }
    out << "\n";
    printTable(out, total, clock.elapsed());
    if (identical >= 0) {
        out << "Replayed identically under load: " << identical << " of " << options.trials << "\n";
    }
    if (!options.json.isEmpty()) {
        QJsonObject json = total.toJson();
        json.insert(QStringLiteral("wall_seconds"), static_cast<double>(clock.elapsed()) / 1000.0);
        if (identical >= 0) {
            json.insert(QStringLiteral("replayed_identically"), identical);
        }
        QFile file(options.json);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            file.write(QJsonDocument(json).toJson());
        }
    }
    return total.failures == 0 && (identical < 0 || identical == options.trials) ? 0 : 1;
}
