#include "KillTrials.h"

#include "KillLane.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <memory>
#include <vector>

namespace trials
{

namespace
{

bool writeJson(const QString& path, const QJsonObject& object)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(QJsonDocument(object).toJson()) > 0;
}

int runLane(const KillTrialOptions& options)
{
    QTemporaryDir work;
    KillLane lane(options.appPath, work.path(), options.seed, options.ticketsPerPerformance);
    if (lane.setUp()) {
        lane.runTrials(options.trials);
        lane.finish();
    }
    QJsonObject report = lane.figures.toJson();
    QJsonArray failures;
    for (const QString& failure : std::as_const(lane.failures)) {
        failures.append(failure);
    }
    report.insert(QStringLiteral("failures"), failures);
    if (!options.laneReport.isEmpty()) {
        writeJson(options.laneReport, report);
    }
    return lane.failures.isEmpty() ? 0 : 1;
}

void printTable(const Figures& f, const QStringList& failures, qint64 ms)
{
    QTextStream out(stdout);
    out << "Kill trials (SIGKILL at a random moment, restart, drive on)\n";
    out << QStringLiteral("| %1 | %2 |\n").arg(QStringLiteral("figure"), -38).arg(QStringLiteral("value"), 8);
    out << "|----------------------------------------|----------|\n";
    const auto row = [&out](const QString& name, qint64 value) {
        out << QStringLiteral("| %1 | %2 |\n").arg(name, -38).arg(value, 8);
    };
    row(QStringLiteral("trials"), f.trials);
    for (auto it = f.killsByPhase.cbegin(); it != f.killsByPhase.cend(); ++it) {
        row(QStringLiteral("  killed during ") + it.key(), it.value());
    }
    row(QStringLiteral("punches seen accepted"), f.accepted);
    row(QStringLiteral("verdicts seen refused"), f.refused);
    row(QStringLiteral("lost"), f.lost);
    row(QStringLiteral("doubled"), f.doubled);
    row(QStringLiteral("count mismatches"), f.countMismatches);
    row(QStringLiteral("resent after a cut acknowledgement"), f.resent);
    row(QStringLiteral("still pending at the end"), f.pending);
    row(QStringLiteral("valid tickets refused"), f.validRefused);
    row(QStringLiteral("databases failing integrity_check"), f.integrityFailures);
    row(QStringLiteral("message boxes closed"), f.boxes);
    row(QStringLiteral("wall time (s)"), ms / 1000);
    for (const QString& failure : failures) {
        out << "FAIL: " << failure << "\n";
    }
    out.flush();
}

}  // namespace

KillTrialOptions killTrialOptions(const QStringList& arguments, const QString& defaultApp)
{
    KillTrialOptions options;
    options.appPath = defaultApp;
    for (int i = 1; i + 1 < arguments.size(); i += 2) {
        const QString& name = arguments[i];
        const QString& value = arguments[i + 1];
        if (name == QLatin1String("--trials")) {
            options.trials = value.toInt();
        } else if (name == QLatin1String("--lanes")) {
            options.lanes = std::max(1, value.toInt());
        } else if (name == QLatin1String("--seed")) {
            options.seed = value.toUInt();
        } else if (name == QLatin1String("--tickets")) {
            options.ticketsPerPerformance = value.toInt();
        } else if (name == QLatin1String("--json")) {
            options.jsonPath = value;
        } else if (name == QLatin1String("--lane-report")) {
            options.laneReport = value;
        } else if (name == QLatin1String("--app")) {
            options.appPath = value;
        }
    }
    return options;
}

int runKillTrials(const KillTrialOptions& options)
{
    if (!options.laneReport.isEmpty()) {
        return runLane(options);
    }
    QElapsedTimer clock;
    clock.start();
    QTemporaryDir reports;
    std::vector<std::unique_ptr<QProcess>> lanes;
    for (int lane = 0; lane < options.lanes; ++lane) {
        const int trials = options.trials / options.lanes + (lane < options.trials % options.lanes ? 1 : 0);
        auto process = std::make_unique<QProcess>();
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        process->start(QCoreApplication::applicationFilePath(),
                       {QStringLiteral("--trials"),
                        QString::number(trials),
                        QStringLiteral("--seed"),
                        QString::number(options.seed * 1000 + static_cast<quint32>(lane)),
                        QStringLiteral("--tickets"),
                        QString::number(options.ticketsPerPerformance),
                        QStringLiteral("--app"),
                        options.appPath,
                        QStringLiteral("--lane-report"),
                        reports.filePath(QStringLiteral("lane%1.json").arg(lane))});
        lanes.push_back(std::move(process));
    }
    Figures total;
    QStringList failures;
    for (std::size_t lane = 0; lane < lanes.size(); ++lane) {
        lanes[lane]->waitForFinished(-1);
        QFile file(reports.filePath(QStringLiteral("lane%1.json").arg(lane)));
        if (!file.open(QIODevice::ReadOnly)) {
            failures << QStringLiteral("lane %1 wrote no report").arg(lane);
            continue;
        }
        const QJsonObject report = QJsonDocument::fromJson(file.readAll()).object();
        total.add(Figures::fromJson(report));
        for (const QJsonValue& failure : report.value(QStringLiteral("failures")).toArray()) {
            failures << QStringLiteral("lane %1: ").arg(lane) + failure.toString();
        }
    }
    printTable(total, failures, clock.elapsed());
    if (!options.jsonPath.isEmpty()) {
        QJsonObject json = total.toJson();
        json.insert(QStringLiteral("lanes"), options.lanes);
        json.insert(QStringLiteral("wall_seconds"), static_cast<double>(clock.elapsed()) / 1000.0);
        json.insert(QStringLiteral("failures"), QJsonArray::fromStringList(failures));
        writeJson(options.jsonPath, json);
    }
    return failures.isEmpty() && total.lost == 0 && total.doubled == 0 && total.countMismatches == 0
                   && total.integrityFailures == 0
               ? 0
               : 1;
}

}  // namespace trials
