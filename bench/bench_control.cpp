// Door benchmark: drives the real window offscreen as a barcode reader does (the
// barcode typed into the field, then Return) and times Return to the verdict painted,
// on ticket lists of 10,000 and 500,000 tickets; beside it, the floor: the same
// lookups and punch transactions by plain prepared statements. Also the zbar decoding
// of a 640x480 frame of a real barcode.
// A verdict shows first as the result flash, then as the verdict panel once the flash's
// timer ends it: the flash is timed to its paint, the panel to its own paint after the
// flash, less the flash's wait (the timer is fired at once rather than waited for).
//
// Usage: bench_control [results folder] [scans per list] [list sizes...]
//   (figures written to <folder>/bench_control.json; by default 3000 scans on lists of
//   10,000 and 500,000 tickets)
// Instruction counts of one scan, split into the Return handled, the paints and the
// flash's end (the functions' inclusive costs), with callgrind on a short run:
//   valgrind --tool=callgrind --toggle-collect='*pressReturn*' --toggle-collect='*paintVerdict*'
//   --toggle-collect='*endFlash*' build-bench/bench/bench_control /tmp 300 10000

#include "control/CWebCam.h"
#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "ui/MainWindow.h"
#include "ui/Ui_MainWindow.h"

#include "BenchHome.h"
#include "DoorPaint.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QVariant>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>
#include <zint.h>

namespace
{

int scansPerList = 3000;

// Ticket i: one in ten deleted, one in ten used up, the rest with one entry left.
QString barcodeOf(int index)
{
    return QStringLiteral("48%1").arg(index, 10, 10, QLatin1Char('0'));
}

int stateOf(int index)
{
    return index % 10;
}

struct Stats
{
    double p50 = 0;
    double p99 = 0;
};

Stats statsOf(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 99 / 100)]};
}

bool buildList(const QString& path, int tickets)
{
    QFile::remove(path);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("build"));
        if (openRepBDD(db, nullptr, path)) {
            QSqlQuery query(db);
            db.transaction();
            query.exec(QStringLiteral("insert into EDITEUR (ID, NOM) values (7, 'Billetterie')"));
            query.exec(QStringLiteral("insert into EVENT (ID, NOM) values (5, 'Concert')"));
            query.exec(QStringLiteral("insert into TARIF (ID, NOM) values (1, 'Plein tarif')"));
            query.exec(
                QStringLiteral("insert into REP (ID, EVENT_ID, DATE_DEBUT, DATE_FIN, NB_COMPOSTAGE) values (12, 5, "
                               "'2024-05-01 20:00:00', '2024-05-01 23:00:00', 1)"));
            QSqlQuery billet(db);
            billet.prepare(QStringLiteral(
                "insert into BILLET (ID, EDITEUR_ID, REP_ID, CANAL_VENTE_ID, IS_USABLE, IS_DELETED, NB_COMPOSTAGE, "
                "NOM_PORTEUR, PRENOM_PORTEUR, TEL_PORTEUR, NOM_ACHETEUR, PRENOM_ACHETEUR, TEL_ACHETEUR, DATE_ACHAT, "
                "IMAGE, MAIL, CODE_BARRE) values (?, 7, 12, 0, 1, ?, ?, ?, 'Anne', '', ?, 'Anne', '', "
                "'2024-04-01 10:00:00', '', '', ?)"));
            QSqlQuery place(db);
            place.prepare(
                QStringLiteral("insert into PLACE (CODE_BARRE, TARIF_ID, EDITEUR_ID, PLACEMENT) values (?, 1, 7, ?)"));
            for (int i = 0; i < tickets; ++i) {
                const QString name = QStringLiteral("Nom%1").arg(i);
                billet.addBindValue(i + 1);
                billet.addBindValue(stateOf(i) == 0 ? 1 : 0);
                billet.addBindValue(stateOf(i) == 1 ? 0 : 1);
                billet.addBindValue(name);
                billet.addBindValue(name);
                billet.addBindValue(barcodeOf(i));
                billet.exec();
                place.addBindValue(barcodeOf(i));
                place.addBindValue(QStringLiteral("R%1-%2").arg(i % 40).arg(i % 30));
                place.exec();
            }
            ok = db.commit();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("build"));
    return ok;
}

// The scans: mostly valid tickets, some used up, some deleted, one in ten unknown.
// `part` 0 and 1 take disjoint tickets, so that the floor punches fresh ones too.
QStringList scansOf(int tickets, int part)
{
    std::mt19937 rng(12345 + part);
    QStringList codes;
    int next = part;
    for (int i = 0; i < scansPerList; ++i) {
        if (i % 10 == 9) {
            codes.append(QStringLiteral("99%1").arg(rng() % 100000000u, 10, 10, QLatin1Char('0')));
            continue;
        }
        next = (next + 2 + 2 * int(rng() % 3)) % tickets;
        codes.append(barcodeOf(next));
    }
    return codes;
}

struct DoorTimes
{
    // Return to the verdict panel painted (less the flash's wait), Return to the flash
    // painted, and the part before the first paint.
    std::vector<double> painted;
    std::vector<double> flashed;
    std::vector<double> handled;
};

// The two steps of a scan, apart so that a profiler can tell them.
Q_NEVER_INLINE void pressReturn(QWidget* field)
{
    QTest::keyClick(field, Qt::Key_Return);
}

// The paint the event loop does next: the regions the verdict changed.
Q_NEVER_INLINE void paintVerdict(DoorPaint& paint)
{
    paint.settle();
}

DoorTimes driveWindow(const QString& path, const QStringList& codes)
{
    MainWindow window;
    window.currentRepDbName = path;
    window.show();
    window.startScanClicked();
    (void)QTest::qWaitForWindowActive(&window);
    DoorPaint paint(&window);
    DoorTimes times;
    QElapsedTimer timer;
    for (const QString& code : codes) {
        QTest::keyClicks(window.ui->editBarcode, code);
        timer.start();
        pressReturn(window.ui->editBarcode);
        times.handled.push_back(double(timer.nsecsElapsed()) / 1e6);
        paintVerdict(paint);
        times.flashed.push_back(double(timer.nsecsElapsed()) / 1e6);
        endFlash(window);
        paintVerdict(paint);
        times.painted.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return times;
}

// The same lookups (the ticket, its seats and its history) and the punch transaction
// by prepared statements on a connection of its own.
std::vector<double> floorOf(const QString& path, const QStringList& codes)
{
    std::vector<double> ms;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("floor"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery exact(db);
        exact.prepare(QStringLiteral("select ID,EDITEUR_ID,IS_USABLE,IS_DELETED,NB_COMPOSTAGE,REP_ID,CODE_BARRE from "
                                     "BILLET where CODE_BARRE=?"));
        QSqlQuery places(db);
        places.prepare(QStringLiteral("select TARIF_ID,PLACEMENT from PLACE where CODE_BARRE=? and EDITEUR_ID=?"));
        QSqlQuery history(db);
        history.prepare(QStringLiteral(
            "select TYPE,AGENT_ID,DATE from MODIF where CODE_BARRE=? and EDITEUR_ID=? order by DATE desc"));
        QSqlQuery punch(db);
        punch.prepare(QStringLiteral("update BILLET set NB_COMPOSTAGE=NB_COMPOSTAGE-1 where CODE_BARRE=? and "
                                     "EDITEUR_ID=? and IS_DELETED=0 and IS_USABLE=1 and NB_COMPOSTAGE>0"));
        QSqlQuery journal(db);
        journal.prepare(QStringLiteral("insert into MODIF (TYPE, STATUS, AGENT_ID, REP_ID, EDITEUR_ID, CODE_BARRE, "
                                       "NEW_VALUE, DATE) values (3, 1, '', 12, ?, ?, '', '2024-05-01 20:15:00')"));
        QElapsedTimer timer;
        for (const QString& code : codes) {
            timer.start();
            exact.addBindValue(code);
            exact.exec();
            if (exact.next()) {
                const int editeur = exact.value(1).toInt();
                const bool valid =
                    exact.value(3).toInt() == 0 && exact.value(2).toInt() == 1 && exact.value(4).toInt() > 0;
                exact.finish();
                if (valid) {
                    db.transaction();
                    punch.addBindValue(code);
                    punch.addBindValue(editeur);
                    punch.exec();
                    journal.addBindValue(editeur);
                    journal.addBindValue(code);
                    journal.exec();
                    db.commit();
                }
                for (QSqlQuery* shown : {&places, &history}) {
                    shown->addBindValue(code);
                    shown->addBindValue(editeur);
                    shown->exec();
                    while (shown->next()) {
                    }
                    shown->finish();
                }
            }
            exact.finish();
            ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("floor"));
    return ms;
}

Stats decodeTime()
{
    std::vector<uchar> grey(640 * 480, 255);
    zint_symbol* symbol = ZBarcode_Create();
    symbol->symbology = BARCODE_CODE128;
    symbol->scale = 1.5f;
    const QByteArray data = barcodeOf(4242).toLatin1();
    ZBarcode_Encode_and_Buffer(symbol, reinterpret_cast<const unsigned char*>(data.constData()), int(data.size()), 0);
    for (int row = 0; row < symbol->bitmap_height && row + 150 < 480; ++row) {
        for (int col = 0; col < symbol->bitmap_width && col + 40 < 640; ++col) {
            grey[size_t((row + 150) * 640 + col + 40)] = symbol->bitmap[3 * (row * symbol->bitmap_width + col)];
        }
    }
    ZBarcode_Delete(symbol);
    QWidget parent;
    parent.resize(335, 260);
    CWebCam camera(&parent);
    std::vector<double> ms;
    QElapsedTimer timer;
    for (int i = 0; i < 300; ++i) {
        timer.start();
        const QStringList found = camera.decode(grey.data(), 640, 480);
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (found.value(0) != QString::fromLatin1(data)) {
            std::fprintf(stderr, "decode failed\n");
            return {};
        }
    }
    return statsOf(ms);
}

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    if (!benchhome::enter(home)) {
        return 2;
    }
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false\ndefault.warning=false"));
    benchhome::makeFolders();
    gParam = new CParam;
    gAffichage = new CAffichage;
    const QString resultsDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("bench/results");
    if (argc > 2) {
        scansPerList = std::max(1, QString::fromLocal8Bit(argv[2]).toInt());
    }
    std::vector<int> listSizes;
    for (int i = 3; i < argc; ++i) {
        listSizes.push_back(std::max(1, QString::fromLocal8Bit(argv[i]).toInt()));
    }
    if (listSizes.empty()) {
        listSizes = {10000, 500000};
    }

    std::printf("%-10s %12s %12s %12s %12s %12s %12s %12s %12s\n",
                "tickets",
                "door p50",
                "door p99",
                "flash p50",
                "flash p99",
                "unpainted50",
                "unpainted99",
                "floor p50",
                "floor p99");
    QJsonArray sizes;
    for (const int tickets : listSizes) {
        const QString path = dbFolder() + QStringLiteral("R12_Z0.db");
        if (!buildList(path, tickets)) {
            std::fprintf(stderr, "cannot build the list of %d tickets\n", tickets);
            return 1;
        }
        gParam->isWebcam = false;
        gParam->isDirectPunch = true;
        const DoorTimes times = driveWindow(path, scansOf(tickets, 0));
        const Stats door = statsOf(times.painted);
        const Stats flash = statsOf(times.flashed);
        const Stats handled = statsOf(times.handled);
        const Stats floor = statsOf(floorOf(path, scansOf(tickets, 1)));
        std::printf("%-10d %9.3f ms %9.3f ms %9.3f ms %9.3f ms %9.3f ms %9.3f ms %9.3f ms %9.3f ms\n",
                    tickets,
                    door.p50,
                    door.p99,
                    flash.p50,
                    flash.p99,
                    handled.p50,
                    handled.p99,
                    floor.p50,
                    floor.p99);
        sizes.append(QJsonObject{{QStringLiteral("tickets"), tickets},
                                 {QStringLiteral("door_p50_ms"), door.p50},
                                 {QStringLiteral("door_p99_ms"), door.p99},
                                 {QStringLiteral("door_flash_p50_ms"), flash.p50},
                                 {QStringLiteral("door_flash_p99_ms"), flash.p99},
                                 {QStringLiteral("door_before_paint_p50_ms"), handled.p50},
                                 {QStringLiteral("door_before_paint_p99_ms"), handled.p99},
                                 {QStringLiteral("floor_p50_ms"), floor.p50},
                                 {QStringLiteral("floor_p99_ms"), floor.p99}});
        QFile::remove(path);
    }
    const Stats decode = decodeTime();
    std::printf("zbar decode of a 640x480 frame: p50 %.3f ms, p99 %.3f ms\n", decode.p50, decode.p99);

    QDir().mkpath(resultsDir);
    QFile out(resultsDir + QStringLiteral("/bench_control.json"));
    if (out.open(QIODevice::WriteOnly)) {
        out.write(QJsonDocument(QJsonObject{{QStringLiteral("scans_per_size"), scansPerList},
                                            {QStringLiteral("sizes"), sizes},
                                            {QStringLiteral("zbar_decode_p50_ms"), decode.p50},
                                            {QStringLiteral("zbar_decode_p99_ms"), decode.p99}})
                      .toJson());
    }
    return 0;
}
