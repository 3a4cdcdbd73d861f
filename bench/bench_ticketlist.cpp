// Ticket-list worker benchmark: a generated document of N tickets (one or two seats
// each, history for a fifth of them) stored by a full-reload run into a file
// database, beside the floor (the JSON parse alone, plus the same rows through one
// prepared statement in one transaction); then deltas of other agents' history rows
// applied to the stored list.
//
// Usage: bench_ticketlist [results folder]   (figures in <folder>/bench_ticketlist.json)

#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "net/CThreadGet.h"

#include "BenchHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{

constexpr int kPasses = 3;
const char* const kNoms[] = {"Martin", "Bernard", "Dubois", "Thomas", "Robert", "Richard", "Petit", "Durand"};
const char* const kPrenoms[] = {"Anne", "Louis", "Marie", "Paul", "Lea", "Hugo", "Chloe", "Jules"};

QByteArray barcodeOf(int index)
{
    return QByteArray::number(3100000000000LL + index * 7919LL);
}

// The rows a document carries, for the floor.
struct Rows
{
    struct Ticket
    {
        QByteArray code;
        int editeur, entries;
        const char *nom, *prenom;
    };

    struct Seat
    {
        QByteArray code;
        int editeur, tarif;
        QByteArray placement;
    };

    struct History
    {
        QByteArray code;
        int editeur, type;
    };

    std::vector<Ticket> tickets;
    std::vector<Seat> seats;
    std::vector<History> history;
};

// The document as the service writes it, built as text: a QJsonObject of 100,000
// members is slow to fill.
QByteArray ticketListDocument(int count, Rows& rows)
{
    QByteArray tickets;
    QByteArray modifs;
    for (int i = 0; i < count; ++i) {
        const Rows::Ticket t{barcodeOf(i), 11 + i % 4, 1 + i % 3, kNoms[i % 8], kPrenoms[(i / 8) % 8]};
        rows.tickets.push_back(t);
        QByteArray places;
        for (int s = 0; s < 1 + i % 2; ++s) {
            const Rows::Seat seat{t.code,
                                  t.editeur,
                                  1 + (i + s) % 4,
                                  "Rang " + QByteArray::number(i % 30) + " place " + QByteArray::number(s + i % 40)};
            rows.seats.push_back(seat);
            places += (s ? "," : "") + QByteArray(R"({"3":)") + QByteArray::number(seat.tarif) + R"(,"4":")"
                      + seat.placement + "\"}";
        }
        tickets += (i ? "," : "") + QByteArray("\"") + t.code + R"(":{"0":)" + QByteArray::number(t.editeur)
                   + R"(,"1":)" + QByteArray::number(100000 + i) + R"(,"2":5001,"6":1,"7":0,"9":")" + t.nom
                   + R"(","10":")" + t.prenom + R"(","11":")" + t.nom + R"(","12":")" + t.prenom
                   + R"(","13":"0601020304","14":"2024-04-01 10:00:00","15":)" + QByteArray::number(t.entries)
                   + R"(,"17":2,"19":"","places":[)" + places + "]}";
        if (i % 5 == 0) {
            QByteArray list;
            for (int h = 0; h < 1 + i % 3; ++h) {
                rows.history.push_back({t.code, t.editeur, h % 2 ? 16 : 8});
                list += (h ? "," : "") + QByteArray(R"({"0":)") + QByteArray::number(t.editeur) + R"(,"4":)"
                        + QByteArray(h % 2 ? "16" : "8") + R"(,"5":"20240501203000","9":"ag3"})";
            }
            modifs += (modifs.isEmpty() ? "" : ",") + QByteArray("\"") + t.code + "\":[" + list + "]";
        }
    }
    return R"({"dt":900,"da":"20240501203000","rep":{"5001":{"debut":"2024-05-01 20:00:00","fin":"2024-05-01 )"
           R"(23:00:00","evt":56,"comp":3}},"evt":{"56":"Gala"},"tarif":{"1":"Plein","2":"Reduit","3":"Enfant","4":)"
           R"("Invitation"},"pub":{"11":"A","12":"B","13":"C","14":"D"},"canal":{"2":"Web"},"tickets":{)"
           + tickets + R"(},"modifs":{)" + modifs + "}}";
}

// `count` other agents' rows, one per ticket, alternately punch and un-punch.
QByteArray deltaDocument(int count, int tickets)
{
    QByteArray modifs;
    for (int i = 0; i < count; ++i) {
        const int index = static_cast<int>((i * 7919LL) % tickets);
        modifs += (i ? "," : "") + QByteArray("\"") + barcodeOf(index) + R"(":[{"0":)"
                  + QByteArray::number(11 + index % 4) + R"(,"4":)" + QByteArray(i % 2 ? "16" : "8")
                  + R"(,"5":"20240501213000","9":"ag9"}])";
    }
    return R"({"dt":901,"da":"20240501213000","modifs":{)" + modifs + "}}";
}

// A "Vm...:" figure of /proc/self/status in MB: VmRSS now, VmHWM the peak since the
// last reset.
double statusMb(const QByteArray& field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field)) {
            return line.mid(field.size()).trimmed().split(' ').value(0).toDouble() / 1024;
        }
    }
    return 0;
}

// Starts a peak measurement; returns the resident memory it starts from (the
// document and the floor's rows already built).
double resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) {
        clear.write("5");
    }
    return statusMb("VmRSS:");
}

struct Measure
{
    double seconds = 0;
    double peak = 0;
};

// One run of the worker as its owners start it, progress delivered to this thread.
Measure runWorker(const QByteArray& document, const QString& path, bool isDelta, QMutex& mutex, bool& ok)
{
    QSqlDatabase gui = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("gui"));
    Measure m;
    {
        ok = openRepBDD(gui, &mutex, path);
        CThreadGet worker;
        QObject receiver;
        int changes = 0;
        QObject::connect(&worker, &CThreadGet::signalProgressValue, &receiver, [](uint) {});
        QObject::connect(&worker, &CThreadGet::signalNbTicket, &receiver, [&](int tickets, int) {
            changes = tickets;
        });
        worker.setData(document, &mutex, gui, isDelta);
        const double base = resetPeak();
        // The progress reaches this thread while the worker runs, as it reaches the window.
        QEventLoop loop;
        QObject::connect(&worker, &QThread::finished, &loop, &QEventLoop::quit);
        QElapsedTimer timer;
        timer.start();
        worker.start();
        loop.exec();
        m.seconds = timer.nsecsElapsed() / 1e9;
        m.peak = statusMb("VmHWM:") - base;
        ok = ok && (isDelta || changes > 0);
        gui.close();
    }
    gui = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("gui"));
    return m;
}

// The floor: the parse alone, then the same rows by prepared statements in one
// transaction into a fresh database of the same schema.
Measure floorOf(const QByteArray& document, const Rows& rows, const QString& path, QMutex& mutex, bool& ok)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("floor"));
    Measure m;
    {
        ok = openRepBDD(db, &mutex, path);
        const double base = resetPeak();
        QElapsedTimer timer;
        timer.start();
        ok = !QJsonDocument::fromJson(document).isNull() && ok && db.transaction();
        QSqlQuery ticket(db);
        QSqlQuery seat(db);
        QSqlQuery history(db);
        ok = ok
             && ticket.prepare(QStringLiteral(
                 "replace into BILLET (ID, EDITEUR_ID, REP_ID, CANAL_VENTE_ID, IS_USABLE, IS_DELETED, NB_COMPOSTAGE, "
                 "NOM_PORTEUR, PRENOM_PORTEUR, TEL_PORTEUR, NOM_ACHETEUR, PRENOM_ACHETEUR, TEL_ACHETEUR, DATE_ACHAT, "
                 "IMAGE, MAIL, CODE_BARRE) values (?,?,5001,2,1,0,?,?,?,'0601020304',?,?,'0601020304',"
                 "'2024-04-01 10:00:00','','',?)"))
             && seat.prepare(QStringLiteral("insert into PLACE (CODE_BARRE, TARIF_ID, EDITEUR_ID, PLACEMENT) values "
                                            "(?,?,?,?)"))
             && history.prepare(QStringLiteral("insert into MODIF (TYPE, STATUS, AGENT_ID, REP_ID, EDITEUR_ID, "
                                               "CODE_BARRE, NEW_VALUE, DATE) values (?,0,'ag3',0,?,?,'',"
                                               "'2024-05-01 20:30:00')"));
        int id = 100000;
        for (const Rows::Ticket& t : rows.tickets) {
            const QVariant values[] = {id++, t.editeur, t.entries, t.nom, t.prenom, t.nom, t.prenom, t.code};
            for (int c = 0; c < 8; ++c) {
                ticket.bindValue(c, values[c]);
            }
            ok = ticket.exec() && ok;
        }
        for (const Rows::Seat& s : rows.seats) {
            seat.bindValue(0, s.code);
            seat.bindValue(1, s.tarif);
            seat.bindValue(2, s.editeur);
            seat.bindValue(3, s.placement);
            ok = seat.exec() && ok;
        }
        for (const Rows::History& h : rows.history) {
            history.bindValue(0, h.type);
            history.bindValue(1, h.editeur);
            history.bindValue(2, h.code);
            ok = history.exec() && ok;
        }
        ok = db.commit() && ok;
        m.seconds = timer.nsecsElapsed() / 1e9;
        m.peak = statusMb("VmHWM:") - base;
        db.close();
    }
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("floor"));
    return m;
}

struct SizeResult
{
    int tickets = 0;
    size_t seats = 0;
    size_t history = 0;
    double documentMb = 0;
    Measure reload;
    Measure floor;
    // Applied rows, then seconds per row in microseconds.
    std::vector<std::pair<int, double>> deltas;
};

// One measurement in a process of its own, so that its peak memory is its own:
// prints "<seconds> <peak growth in MB>".
int measureOnce(const QString& kind, int tickets, int applied)
{
    QMutex mutex;
    const QString path = dbFolder() + QStringLiteral("R%1_Z0.db").arg(tickets);
    bool ok = true;
    Measure m;
    if (kind == QLatin1String("delta")) {
        m = runWorker(deltaDocument(applied, tickets), path, true, mutex, ok);
    } else {
        Rows rows;
        const QByteArray document = ticketListDocument(tickets, rows);
        if (kind == QLatin1String("floor")) {
            const QString floorPath = dbFolder() + QStringLiteral("F%1_Z0.db").arg(tickets);
            QFile::remove(floorPath);
            m = floorOf(document, rows, floorPath, mutex, ok);
        } else {
            QFile::remove(path);
            m = runWorker(document, path, false, mutex, ok);
        }
    }
    std::printf("%.6f %.3f\n", m.seconds, m.peak);
    return ok ? 0 : 1;
}

Measure inChild(const QStringList& args, bool& ok)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), QStringList{QStringLiteral("--one")} + args);
    const bool ended = child.waitForFinished(-1);
    const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
    ok = ok && ended && child.exitCode() == 0 && figures.size() == 2;
    return Measure{figures.value(0).toDouble(), figures.value(1).toDouble()};
}

}  // namespace

int main(int argc, char** argv)
{
    const bool isChild = argc == 5 && qstrcmp(argv[1], "--one") == 0;
    QTemporaryDir home;
    // The children share the parent's folder.
    if (!isChild && !benchhome::enter(home)) {
        return 2;
    }
    // As in the program, debug and warning texts go nowhere.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QCoreApplication app(argc, argv);
    benchhome::makeFolders({"/db/", "/traces/"});
    gParam = new CParam;
    gAffichage = new CAffichage;
    gParam->initParametre(MY_AGENT_ID, QStringLiteral("ag1"));
    if (isChild) {
        return measureOnce(QString::fromLatin1(argv[2]), atoi(argv[3]), atoi(argv[4]));
    }
    const QString resultsDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("bench/results");

    std::vector<SizeResult> results;
    for (int tickets : {10000, 100000}) {
        std::fprintf(stderr, "%d tickets...\n", tickets);
        SizeResult r;
        r.tickets = tickets;
        Rows rows;
        r.documentMb = ticketListDocument(tickets, rows).size() / 1e6;
        r.seats = rows.seats.size();
        r.history = rows.history.size();
        const QString size = QString::number(tickets);
        bool ok = true;
        // The best of three: the machine is shared.
        for (int pass = 0; pass < kPasses && ok; ++pass) {
            const Measure floor = inChild({QStringLiteral("floor"), size, QStringLiteral("0")}, ok);
            const Measure reload = inChild({QStringLiteral("reload"), size, QStringLiteral("0")}, ok);
            if (pass == 0 || floor.seconds < r.floor.seconds) {
                r.floor = floor;
            }
            if (pass == 0 || reload.seconds < r.reload.seconds) {
                r.reload = reload;
            }
        }
        for (int applied : {1000, 10000}) {
            const Measure delta = inChild({QStringLiteral("delta"), size, QString::number(applied)}, ok);
            r.deltas.emplace_back(applied, delta.seconds * 1e6 / applied);
        }
        if (!ok) {
            std::fprintf(stderr, "bench_ticketlist: %d tickets failed (see the log)\n", tickets);
            return 1;
        }
        results.push_back(r);
    }

    QTextStream out(stdout);
    out << "bench_ticketlist (shared machine: figures are noisy)\n";
    out << QStringLiteral("%1%2%3%4%5%6%7\n")
               .arg(QStringLiteral("tickets"), -9)
               .arg(QStringLiteral("seats/history"), 16)
               .arg(QStringLiteral("doc MB"), 8)
               .arg(QStringLiteral("reload s / +MB"), 16)
               .arg(QStringLiteral("floor s / +MB"), 16)
               .arg(QStringLiteral("ratio"), 8)
               .arg(QStringLiteral("delta us/row (1k, 10k)"), 26);
    double worstRatio = 0;
    double worstGrowth = 0;
    QJsonArray sizes;
    for (const SizeResult& r : results) {
        const double ratio = r.reload.seconds / r.floor.seconds;
        worstRatio = std::max(worstRatio, ratio);
        out << QStringLiteral("%1%2%3%4%5%6%7\n")
                   .arg(r.tickets, -9)
                   .arg(QStringLiteral("%1/%2").arg(r.seats).arg(r.history), 16)
                   .arg(r.documentMb, 8, 'f', 1)
                   .arg(QStringLiteral("%1 / %2").arg(r.reload.seconds, 0, 'f', 2).arg(r.reload.peak, 0, 'f', 0), 16)
                   .arg(QStringLiteral("%1 / %2").arg(r.floor.seconds, 0, 'f', 2).arg(r.floor.peak, 0, 'f', 0), 16)
                   .arg(QString::number(ratio, 'f', 2) + u'x', 8)
                   .arg(QStringLiteral("%1, %2").arg(r.deltas[0].second, 0, 'f', 1).arg(r.deltas[1].second, 0, 'f', 1),
                        26);
        QJsonArray deltas;
        for (const auto& [applied, perRow] : r.deltas) {
            deltas.append(QJsonObject{{QStringLiteral("rows"), applied}, {QStringLiteral("us_per_row"), perRow}});
        }
        sizes.append(QJsonObject{{QStringLiteral("tickets"), r.tickets},
                                 {QStringLiteral("seats"), static_cast<qint64>(r.seats)},
                                 {QStringLiteral("history"), static_cast<qint64>(r.history)},
                                 {QStringLiteral("reload_s"), r.reload.seconds},
                                 {QStringLiteral("reload_peak_mb"), r.reload.peak},
                                 {QStringLiteral("floor_s"), r.floor.seconds},
                                 {QStringLiteral("floor_peak_mb"), r.floor.peak},
                                 {QStringLiteral("deltas"), deltas}});
    }
    // Per-row cost of the 10k delta on the large list against the small one.
    worstGrowth = results.back().deltas.back().second / results.front().deltas.back().second;
    out << QStringLiteral("target reload within 2x of the floor: worst %1x %2\n")
               .arg(worstRatio, 0, 'f', 2)
               .arg(worstRatio <= 2 ? QStringLiteral("met") : QStringLiteral("MISSED"));
    out << QStringLiteral("target delta cost per row flat from %1 to %2 tickets: %3x (<= 2x) %4\n")
               .arg(results.front().tickets)
               .arg(results.back().tickets)
               .arg(worstGrowth, 0, 'f', 2)
               .arg(worstGrowth <= 2 ? QStringLiteral("met") : QStringLiteral("MISSED"));
    out.flush();

    QDir().mkpath(resultsDir);
    QFile file(resultsDir + QStringLiteral("/bench_ticketlist.json"));
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QJsonDocument(QJsonObject{{QStringLiteral("sizes"), sizes}}).toJson());
    }
    return 0;
}
