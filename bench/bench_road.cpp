// Whole-road benchmark: the real window, driven offscreen as a barcode reader drives it
// (the barcode typed into the field, then Return), scans flat out at the door on a list
// of 100,000 tickets it downloaded from the local stand-in of the service, while its
// 5-second cycle uploads the punches and applies the deltas that bring the punches of
// three other entrances. The stand-in runs on a thread of its own, as a remote service
// would. Reported: scans per second sustained, Return to verdict painted, the cycles,
// and whether every punch reached the service exactly once.
//
// Usage: bench_road [results folder] [seconds at the door, default 30]
//   (figures written to <folder>/bench_road.json)

#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/CParam.h"
#include "session/CRepWidget.h"
#include "ui/MainWindow.h"
#include "ui/ProgressBar.h"
#include "ui/Ui_MainWindow.h"

#include "BenchHome.h"
#include "DoorPaint.h"
#include "StandinServer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace
{

constexpr int kTickets = 100000;
constexpr int kEntrances = 3;
// Each other entrance punches a ticket this often.
constexpr int kEntranceMs = 100;
constexpr qint64 kCycleLimitMs = 5000;

struct Stats
{
    double p50 = 0;
    double p99 = 0;
    double max = 0;
};

Stats statsOf(std::vector<double> values)
{
    if (values.empty()) {
        return {};
    }
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values[std::min(values.size() - 1, values.size() * 99 / 100)], values.back()};
}

// Runs `work` on the stand-in's thread and waits for it.
template <typename Work>
void onService(standin::StandinServer* server, Work work)
{
    QMetaObject::invokeMethod(server, work, Qt::BlockingQueuedConnection);
}

// Waits, running the event loop, until `done` or `limitMs`.
template <typename Done>
bool waitFor(Done done, int limitMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limitMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

int count(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery query(db);
    return query.exec(sql) && query.next() ? query.value(0).toInt() : -1;
}

QStringList rows(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery query(db);
    QStringList out;
    query.exec(sql);
    while (query.next()) {
        out << query.value(0).toString();
    }
    return out;
}

struct Cycle
{
    qint64 ms = 0;
    int uploaded = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    if (!benchhome::enter(home)) {
        return 2;
    }
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false\ndefault.warning=false"));
    const QString resultsDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("bench/results");
    const int doorSeconds = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 30;
    benchhome::makeFolders();
    gParam = new CParam;
    gAffichage = new CAffichage;

    // One event, one performance, 100,000 tickets, one zone.
    standin::SampleShape shape;
    shape.zones = {{1, QStringLiteral("Entree principale")}};
    shape.events = 1;
    shape.passes = 0;
    shape.performancesPerEvent = 1;
    const standin::Organiser organiser = standin::makeSampleOrganiser(5, kTickets, QDate::currentDate(), shape);
    QThread serviceThread;
    serviceThread.setObjectName(QStringLiteral("service"));
    auto* server = new standin::StandinServer(organiser);
    server->moveToThread(&serviceThread);
    QObject::connect(&serviceThread, &QThread::finished, server, &QObject::deleteLater);
    serviceThread.start();
    bool listening = false;
    onService(server, [&] {
        listening = server->listen();
    });
    if (!listening) {
        std::fprintf(stderr, "bench_road: cannot listen on the loopback\n");
        return 1;
    }

    // What the login and the zone choice leave.
    gParam->initParametre(URL, server->serviceUrl());
    gParam->initParametre(ZONE_KEST, QStringLiteral("1"));
    gParam->initParametre(MY_AGENT_ID, organiser.terminalId);
    gParam->login.set(organiser.login);
    gParam->passwordMd5.set(QStringLiteral("fe01ce2a7fbac8fafaed7c982a04e229"));
    gParam->sessionId.set(QStringLiteral("S1"));
    gParam->isWebcam = false;
    gParam->isOnline = true;
    gParam->sauvegarde(QString(), true);

    int exitCode = 0;
    {
        MainWindow window;
        window.quitEventLoop = [] {};
        window.show();
        QElapsedTimer clock;
        clock.start();
        window.recupEvents();
        if (!waitFor(
                [&] {
                    return !window.isEventListParsing && window.progressBar->isHidden();
                },
                60000)) {
            std::fprintf(stderr, "bench_road: no event list\n");
            return 1;
        }
        CRepWidget* tile = window.repWidgets[0];
        clock.restart();
        tile->getRepClicked();
        if (!waitFor(
                [&] {
                    return !window.currentRepDbName.isEmpty() && window.isEnabled();
                },
                600000)) {
            std::fprintf(stderr, "bench_road: the list did not come\n");
            return 1;
        }
        const double downloadS = double(clock.elapsed()) / 1000;
        window.startScanClicked();

        // The door's tickets from the front of the list, one in ten unknown; the other
        // entrances' from its back half.
        std::vector<QString> door;
        std::mt19937 rng(2024);
        std::vector<int> order(kTickets / 2);
        for (int i = 0; i < kTickets / 2; ++i) {
            order[size_t(i)] = i;
        }
        std::shuffle(order.begin(), order.end(), rng);
        for (size_t i = 0; i < order.size(); ++i) {
            door.push_back(i % 10 == 9 ? QStringLiteral("999%1").arg(i, 10, 10, QLatin1Char('0'))
                                       : organiser.tickets.at(order[i]).barcode);
        }
        onService(server, [server, &organiser] {
            auto* entrances = new QTimer(server);
            auto next = std::make_shared<int>(kTickets / 2);
            QObject::connect(entrances, &QTimer::timeout, server, [server, &organiser, next] {
                for (int agent = 0; agent < kEntrances && *next < kTickets; ++agent) {
                    server->otherPunch(organiser.tickets.at((*next)++).barcode, 0, QString::number(31 + agent));
                }
            });
            entrances->start(kEntranceMs);
        });

        // A cycle runs from the timer's expiry until the timer is armed again.
        std::vector<Cycle> cycles;
        qint64 cycleStart = -1;
        int uploadedBefore = 0;
        QObject::connect(&window.deltaTimer, &QTimer::timeout, [&] {
            cycleStart = clock.elapsed();
        });
        const auto received = [server] {
            int n = 0;
            onService(server, [&] {
                n = int(server->receivedPunches().size());
            });
            return n;
        };

        DoorPaint paint(&window);
        std::vector<double> painted;
        std::vector<double> handled;
        // Return to verdict painted of the scans made while a cycle ran.
        std::vector<double> duringCycles;
        QElapsedTimer scan;
        clock.restart();
        size_t scans = 0;
        while (clock.elapsed() < doorSeconds * 1000 && scans < door.size()) {
            QTest::keyClicks(window.ui->editBarcode, door[scans]);
            scan.start();
            QTest::keyClick(window.ui->editBarcode, Qt::Key_Return);
            handled.push_back(double(scan.nsecsElapsed()) / 1e6);
            const bool inCycle = cycleStart >= 0;
            paint.settle();
            // The flash shows first; the verdict panel follows once its timer ends it.
            endFlash(window);
            paint.settle();
            painted.push_back(double(scan.nsecsElapsed()) / 1e6);
            if (inCycle) {
                duringCycles.push_back(painted.back());
            }
            ++scans;
            if (cycleStart >= 0 && window.deltaTimer.isActive()) {
                const int uploaded = received();
                cycles.push_back({clock.elapsed() - cycleStart, uploaded - uploadedBefore});
                uploadedBefore = uploaded;
                cycleStart = -1;
            }
        }
        const double doorS = double(clock.elapsed()) / 1000;
        onService(server, [server] {
            for (QTimer* timer : server->findChildren<QTimer*>()) {
                timer->stop();
            }
        });

        // The last punches go up with cycles run at once.
        for (int round = 0; round < 20; ++round) {
            waitFor(
                [&] {
                    return window.deltaTimer.isActive();
                },
                60000);
            if (count(window.db, QStringLiteral("select count(*) from MODIF where STATUS=1")) == 0) {
                break;
            }
            window.deltaTimer.stop();
            window.timerDelta();
        }
        waitFor(
            [&] {
                return window.deltaTimer.isActive();
            },
            60000);
        window.deltaTimer.stop();
        const int left = count(window.db, QStringLiteral("select count(*) from MODIF where STATUS=1"));
        QStringList made = rows(window.db,
                                QStringLiteral("select CODE_BARRE||'|'||replace(replace(replace(DATE,'-',''),' ',''),"
                                               "':','') from MODIF where TYPE in (3, 8) and AGENT_ID='%1'")
                                    .arg(organiser.terminalId));
        QStringList sent;
        onService(server, [&] {
            for (const standin::ReceivedPunch& punch : server->receivedPunches()) {
                sent << punch.barcode + QLatin1Char('|') + punch.date;
            }
        });
        made.sort();
        sent.sort();
        const int otherPunches =
            count(window.db, QStringLiteral("select count(*) from MODIF where AGENT_ID in ('31','32','33')"));
        const bool exactlyOnce = left == 0 && made == sent;

        const Stats painting = statsOf(painted);
        const Stats before = statsOf(handled);
        const Stats cycling = statsOf(duringCycles);
        qint64 longest = 0;
        int uploaded = 0;
        for (const Cycle& cycle : cycles) {
            longest = std::max(longest, cycle.ms);
            uploaded = std::max(uploaded, cycle.uploaded);
        }
        const double rate = double(scans) / doorS;

        std::printf("bench_road: %d-ticket list, %d other entrances each punching every %d ms, %.0f s at the door\n",
                    kTickets,
                    kEntrances,
                    kEntranceMs,
                    doorS);
        std::printf("%-44s %.1f s\n", "first download of the list", downloadS);
        std::printf("%-44s %zu\n", "scans at the door", scans);
        std::printf("%-44s %.0f\n", "scans per second sustained", rate);
        std::printf("%-44s %.3f / %.3f / %.3f ms\n",
                    "Return to verdict painted, p50 / p99 / max",
                    painting.p50,
                    painting.p99,
                    painting.max);
        std::printf("%-44s %.3f / %.3f / %.3f ms\n", "  of which before the paint", before.p50, before.p99, before.max);
        std::printf("%-44s %.3f / %.3f / %.3f ms (%zu scans)\n",
                    "  scans while a cycle ran",
                    cycling.p50,
                    cycling.p99,
                    cycling.max,
                    duringCycles.size());
        std::printf("%-44s %zu\n", "cycles during the run", cycles.size());
        std::printf("%-44s %lld ms (limit %lld)\n",
                    "longest cycle",
                    static_cast<long long>(longest),
                    static_cast<long long>(kCycleLimitMs));
        std::printf("%-44s %d\n", "most punches uploaded by one cycle", uploaded);
        std::printf("%-44s %d\n", "other entrances' punches applied", otherPunches);
        std::printf("%-44s %lld sent, %lld received, %d pending: %s\n",
                    "door punches",
                    static_cast<long long>(made.size()),
                    static_cast<long long>(sent.size()),
                    left,
                    exactlyOnce ? "each exactly once" : "MISMATCH");

        QDir().mkpath(resultsDir);
        QFile out(resultsDir + QStringLiteral("/bench_road.json"));
        if (out.open(QIODevice::WriteOnly)) {
            out.write(QJsonDocument(QJsonObject{{QStringLiteral("tickets"), kTickets},
                                                {QStringLiteral("otherEntrances"), kEntrances},
                                                {QStringLiteral("entrancePunchEveryMs"), kEntranceMs},
                                                {QStringLiteral("downloadS"), downloadS},
                                                {QStringLiteral("doorS"), doorS},
                                                {QStringLiteral("scans"), qint64(scans)},
                                                {QStringLiteral("scansPerSecond"), rate},
                                                {QStringLiteral("paintedP50Ms"), painting.p50},
                                                {QStringLiteral("paintedP99Ms"), painting.p99},
                                                {QStringLiteral("paintedMaxMs"), painting.max},
                                                {QStringLiteral("duringCyclesP99Ms"), cycling.p99},
                                                {QStringLiteral("scansDuringCycles"), qint64(duringCycles.size())},
                                                {QStringLiteral("cycles"), qint64(cycles.size())},
                                                {QStringLiteral("longestCycleMs"), longest},
                                                {QStringLiteral("mostUploadedByOneCycle"), uploaded},
                                                {QStringLiteral("otherPunchesApplied"), otherPunches},
                                                {QStringLiteral("exactlyOnce"), exactlyOnce}})
                          .toJson());
        }
        exitCode = exactlyOnce && longest <= kCycleLimitMs ? 0 : 1;
    }
    serviceThread.quit();
    serviceThread.wait();
    return exitCode;
}
