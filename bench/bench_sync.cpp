// Synchronisation benchmark: the window's cycle uploads 1,000 pending punches to the
// local stand-in of the service (batches of 20, then the delta request), on the path
// the program runs: timerDelta, sendPunch, the acknowledgement marking each row sent.
// The floor is the same number of bare POST round trips on one network manager.
//
// Usage: bench_sync [results folder]   (figures written to <folder>/bench_sync.json)

#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "data/CDataModif.h"
#include "ui/MainWindow.h"

#include "BenchHome.h"
#include "StandinServer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace
{

constexpr int kPunches = 1000;
constexpr int kRuns = 3;

struct Run
{
    double ms = 0;
    int uploads = 0;
    int deltas = 0;
    int received = 0;
    int duplicates = 0;
    int leftPending = 0;
};

int count(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery query(db);
    return query.exec(sql) && query.next() ? query.value(0).toInt() : -1;
}

bool addPending(MainWindow& window, int rows)
{
    CDataModifListe list;
    for (int i = 0; i < rows; ++i) {
        CDataModif row;
        row.initDefaut();
        row.TYPE = i % 10 == 9 ? MODIF_PUNCH_LAST : MODIF_PUNCH;
        row.STATUS = MODIF_STATUS_PENDING;
        row.CODE_BARRE = QStringLiteral("BENCH%1").arg(i, 6, 10, QLatin1Char('0'));
        row.DATE = QStringLiteral("2030-01-01 10:%1:%2")
                       .arg(i / 60 % 60, 2, 10, QLatin1Char('0'))
                       .arg(i % 60, 2, 10, QLatin1Char('0'));
        row.REP_ID = 4001;
        row.EDITEUR_ID = 11;
        row.AGENT_ID = QStringLiteral("17");
        list.ajoute(row, 0);
    }
    return list.ajouteSql(window.db, window.dbMutex);
}

bool uploadOnce(standin::StandinServer& server, Run& run)
{
    MainWindow window;
    window.deltaTimer.setInterval(3600 * 1000);
    const QString file = dbFolder() + QStringLiteral("R4001_Z1.db");
    dropRepBDD(window.db, window.dbMutex, file);
    if (!openRepBDD(window.db, window.dbMutex, file) || !addPending(window, kPunches)) {
        return false;
    }
    server.clearRequests();
    QElapsedTimer clock;
    clock.start();
    window.timerDelta();
    while (!window.deltaTimer.isActive() && clock.elapsed() < 120000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    run.ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    run.uploads = static_cast<int>(server.requests(QStringLiteral("61")).size());
    run.deltas = static_cast<int>(server.requests(QStringLiteral("53")).size());
    run.received = static_cast<int>(server.receivedPunches().size());
    run.duplicates = server.duplicatePunches();
    run.leftPending = count(window.db, QStringLiteral("select count(*) from MODIF where STATUS=1"));
    window.threadGetDelta.wait();
    return window.deltaTimer.isActive();
}

// Bare round trips of a small body, one after the other, as the batches go.
double floorMs(standin::StandinServer& server, int requests)
{
    QNetworkAccessManager manager;
    QNetworkRequest request{QUrl(server.serviceUrl())};
    request.setRawHeader("Content-Type", "application/x-www-form-urlencoded");
    request.setRawHeader("Connection", "close");
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < requests; ++i) {
        QNetworkReply* reply = manager.post(request, QByteArrayLiteral("d={\"pa\":\"11\"}"));
        while (!reply->isFinished()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
        reply->deleteLater();
    }
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    if (!benchhome::enter(home)) {
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QApplication app(argc, argv);
    const QString resultsDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("bench/results");
    benchhome::makeFolders();
    gParam = new CParam;
    gAffichage = new CAffichage;

    standin::StandinServer server(standin::makeSampleOrganiser(1, 100, QDate::currentDate()));
    if (!server.listen()) {
        std::fprintf(stderr, "bench_sync: cannot listen on the loopback\n");
        return 1;
    }
    gParam->initParametre(URL, server.serviceUrl());
    gParam->initParametre(TIMEOUT, QStringLiteral("300"));
    gParam->initParametre(ZONE_KEST, QStringLiteral("1"));
    gParam->initParametre(AGENT_KEST, QStringLiteral("1"));
    gParam->login.set(QStringLiteral("demo"));
    gParam->currentIdRep.set(QStringLiteral("4001"));
    gParam->isOnline = true;

    std::vector<Run> runs;
    for (int i = 0; i < kRuns; ++i) {
        Run run;
        if (!uploadOnce(server, run)) {
            std::fprintf(stderr, "bench_sync: the cycle did not end (see the log)\n");
            return 1;
        }
        runs.push_back(run);
    }
    const int expectedUploads = (kPunches + 19) / 20;
    const double floor = floorMs(server, expectedUploads + 1);
    std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) {
        return a.ms < b.ms;
    });
    const Run& median = runs[runs.size() / 2];
    const bool allSent = std::all_of(runs.begin(), runs.end(), [](const Run& r) {
        return r.leftPending == 0 && r.received == kPunches && r.duplicates == 0;
    });

    QTextStream out(stdout);
    out << "bench_sync: " << kPunches << " pending punches uploaded by one cycle, " << kRuns << " runs\n";
    out << QStringLiteral("%1%2\n").arg(QStringLiteral("sendPunch requests"), -40).arg(median.uploads);
    out << QStringLiteral("%1%2\n").arg(QStringLiteral("getTickets requests"), -40).arg(median.deltas);
    out << QStringLiteral("%1%2\n")
               .arg(QStringLiteral("items received / duplicates"), -40)
               .arg(QStringLiteral("%1 / %2").arg(median.received).arg(median.duplicates));
    out << QStringLiteral("%1%2\n").arg(QStringLiteral("rows left pending"), -40).arg(median.leftPending);
    out << QStringLiteral("%1%2 ms (best %3, worst %4)\n")
               .arg(QStringLiteral("cycle, median"), -40)
               .arg(median.ms, 0, 'f', 1)
               .arg(runs.front().ms, 0, 'f', 1)
               .arg(runs.back().ms, 0, 'f', 1);
    out << QStringLiteral("%1%2 ms\n")
               .arg(QStringLiteral("per request"), -40)
               .arg(median.ms / (median.uploads + median.deltas), 0, 'f', 2);
    out << QStringLiteral("%1%2 ms (%3 bare round trips)\n")
               .arg(QStringLiteral("floor"), -40)
               .arg(floor, 0, 'f', 1)
               .arg(expectedUploads + 1);
    out << QStringLiteral("%1%2\n").arg(QStringLiteral("all marked sent"), -40).arg(allSent ? "yes" : "NO");
    out.flush();

    QDir().mkpath(resultsDir);
    QJsonArray runTimes;
    for (const Run& r : runs) {
        runTimes.append(r.ms);
    }
    const QJsonObject doc{{QStringLiteral("punches"), kPunches},
                          {QStringLiteral("sendPunchRequests"), median.uploads},
                          {QStringLiteral("getTicketsRequests"), median.deltas},
                          {QStringLiteral("cycleMsMedian"), median.ms},
                          {QStringLiteral("cycleMsRuns"), runTimes},
                          {QStringLiteral("floorMs"), floor},
                          {QStringLiteral("allMarkedSent"), allSent}};
    QFile file(resultsDir + QStringLiteral("/bench_sync.json"));
    if (!file.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "bench_sync: cannot write %s\n", qPrintable(file.fileName()));
        return 1;
    }
    file.write(QJsonDocument(doc).toJson());
    return allSent && median.uploads == expectedUploads && median.deltas == 1 ? 0 : 1;
}
