// Data-layer benchmark: builds ticket-list databases of several sizes through the
// list writes, then times what a scan at the door costs, a punch, the list write
// against a prepared-statement floor, the ticket search and the two counts.
//
// Usage: bench_data [results folder]   (figures written to <folder>/bench_data.json)

#include "core/AppFolder.h"
#include "core/Database.h"
#include "data/CDataBillet.h"
#include "data/CDataCanalVente.h"
#include "data/CDataEditeur.h"
#include "data/CDataModif.h"
#include "data/CDataPlace.h"
#include "data/CDataRechercheBillet.h"
#include "data/CDataRechercheNb.h"

#include "BenchHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

namespace
{

const unsigned int kEditeurs[] = {11, 12, 27, 40};
const char* const kSyllables[] = {"ber", "mar", "du", "lan", "che", "vo",  "ro",  "pin",  "gar", "mo",  "let", "sa",
                                  "fon", "ri",  "ta", "bou", "nel", "cla", "dre", "quet", "vin", "zol", "ja",  "ka"};
const char* const kPrenoms[] = {"Anne", "Louis", "Marie", "Paul", "Lea", "Hugo", "Chloe", "Jules", "Emma", "Nina"};
const char kBarcodeChars[] = "0123456789ABCDEFGHJKLMNPQRSTUVWXYZ";

// Every row of the generated data comes from its index alone, so that the list
// write, the floor and the samples see the same tickets without keeping them.
std::mt19937 rngFor(quint64 index, quint64 salt)
{
    std::seed_seq seed{static_cast<quint32>(index), static_cast<quint32>(index >> 32), static_cast<quint32>(salt)};
    return std::mt19937(seed);
}

// 12 to 20 characters, mostly digits; the index in base 34 makes it unique. One
// ticket in fifty has the barcode of the one before it, sold by another issuer.
QString barcodeOf(quint64 index)
{
    if (index % 50 == 1) {
        --index;
    }
    std::mt19937 rng = rngFor(index, 1);
    const int length = 12 + static_cast<int>(rng() % 9);
    const bool letters = rng() % 5 == 0;
    QString out;
    quint64 rest = index;
    for (int i = 0; i < 6; ++i) {
        out.prepend(QLatin1Char(kBarcodeChars[rest % 34]));
        rest /= 34;
    }
    while (out.size() < length) {
        out.prepend(QLatin1Char(kBarcodeChars[rng() % (letters ? 34 : 10)]));
    }
    return out;
}

QString surnameOf(quint64 index)
{
    std::mt19937 rng = rngFor(index, 2);
    QString out;
    const int parts = 2 + static_cast<int>(rng() % 2);
    for (int i = 0; i < parts; ++i) {
        out += QLatin1String(kSyllables[rng() % std::size(kSyllables)]);
    }
    out[0] = out[0].toUpper();
    return out;
}

unsigned int editeurOf(quint64 index)
{
    return kEditeurs[index % std::size(kEditeurs)];
}

CDataBillet ticketOf(quint64 index)
{
    std::mt19937 rng = rngFor(index, 3);
    CDataBillet b;
    b.initDefaut();
    b.ID = static_cast<unsigned int>(100000 + index);
    b.EDITEUR_ID = editeurOf(index);
    b.REP_ID = 5001;
    b.CANAL_VENTE_ID = 1 + rng() % 3;
    b.NB_COMPOSTAGE = 1 + rng() % 3;
    b.NOM_PORTEUR = surnameOf(index);
    b.PRENOM_PORTEUR = QLatin1String(kPrenoms[rng() % std::size(kPrenoms)]);
    b.TEL_PORTEUR = QStringLiteral("06%1").arg(rng() % 100000000, 8, 10, QLatin1Char('0'));
    b.NOM_ACHETEUR = b.NOM_PORTEUR;
    b.PRENOM_ACHETEUR = QLatin1String(kPrenoms[rng() % std::size(kPrenoms)]);
    b.DATE_ACHAT = QStringLiteral("2024-04-%1 1%2:%3:00")
                       .arg(1 + rng() % 28, 2, 10, QLatin1Char('0'))
                       .arg(rng() % 10)
                       .arg(rng() % 60, 2, 10, QLatin1Char('0'));
    b.MAIL = b.NOM_PORTEUR.toLower() + QStringLiteral("@example.org");
    b.CODE_BARRE = barcodeOf(index);
    return b;
}

struct Stats
{
    double medianMs = 0;
    double p99Ms = 0;
    int samples = 0;
};

Stats statsOf(std::vector<qint64> ns)
{
    Stats s;
    s.samples = static_cast<int>(ns.size());
    if (ns.empty()) {
        return s;
    }
    std::sort(ns.begin(), ns.end());
    s.medianMs = ns[ns.size() / 2] / 1e6;
    s.p99Ms = ns[std::min(ns.size() - 1, ns.size() * 99 / 100)] / 1e6;
    return s;
}

// Runs `sample` (its return: the nanoseconds to count) after a few warm-up runs,
// `wanted` times or until `budgetMs` has passed, but at least `least` times.
Stats measure(int wanted, qint64 budgetMs, int least, const std::function<qint64(int)>& sample)
{
    for (int i = 0; i < std::min(wanted / 10, 50); ++i) {
        sample(-1 - i);
    }
    std::vector<qint64> ns;
    ns.reserve(wanted);
    QElapsedTimer total;
    total.start();
    for (int i = 0; i < wanted; ++i) {
        if (i >= least && total.elapsed() > budgetMs) {
            break;
        }
        ns.push_back(sample(i));
    }
    return statsOf(std::move(ns));
}

struct SizeResult
{
    int tickets = 0;
    qint64 seats = 0;
    qint64 history = 0;
    double buildS = 0;
    double listRowsPerS = 0;
    double floorRowsPerS = 0;
    Stats door;
    Stats punch;
    Stats search;
    Stats countTicket;
    Stats countPunch;
};

class Bench
{
public:
    static constexpr int kTicketsPerWrite = 10000;

    Bench()
        : m_db(QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench")))
    {}

    ~Bench()
    {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("bench"));
    }

    // The download worker's pattern today: a list write every 100 tickets, each its
    // own commit, beside one list write, both into an empty database.
    bool measureFlushPattern(int tickets, double& per100, double& perList)
    {
        const QString path = dbFolder() + QStringLiteral("S_Z0.db");
        qint64 ns100 = 0;
        qint64 nsList = 0;
        bool ok = true;
        for (int pass = 0; pass < 2 && ok; ++pass) {
            dropRepBDD(m_db, &m_mutex, path);
            ok = openRepBDD(m_db, &m_mutex, path)
                 && writeTicketLists(0, tickets, pass == 0 ? 100 : tickets, pass == 0 ? ns100 : nsList);
        }
        m_db.close();
        dropRepBDD(m_db, &m_mutex, path);
        per100 = tickets / (ns100 / 1e9);
        perList = tickets / (nsList / 1e9);
        return ok;
    }

    bool run(int tickets, SizeResult& r)
    {
        r.tickets = tickets;
        const QString path = dbFolder() + QStringLiteral("R%1_Z0.db").arg(tickets);
        const QString floorPath = dbFolder() + QStringLiteral("F%1_Z0.db").arg(tickets);
        QElapsedTimer build;
        build.start();
        if (!openRepBDD(m_db, &m_mutex, path) || !writeReference() || !writeTickets(tickets, r)
            || !writeSeatsAndHistory(tickets, r)) {
            return false;
        }
        r.buildS = build.elapsed() / 1000.0;
        const bool floorWritten = writeFloor(tickets, floorPath, r);
        dropRepBDD(m_db, &m_mutex, floorPath);
        if (!floorWritten || !openRepBDD(m_db, &m_mutex, path)) {
            return false;
        }
        measureDoor(tickets, r);
        measureQueries(tickets, r);
        measurePunch(tickets, r);
        m_db.close();
        dropRepBDD(m_db, &m_mutex, path);
        return true;
    }

private:
    bool writeReference()
    {
        CDataEditeurListe editeurs;
        for (unsigned int id : kEditeurs) {
            CDataEditeur e;
            e.ID = id;
            e.NOM = QStringLiteral("Editeur %1").arg(id);
            editeurs.ajoute(e, id);
        }
        CDataCanalVenteListe canaux;
        for (unsigned int id = 1; id <= 3; ++id) {
            CDataCanalVente c;
            c.ID = id;
            c.NOM = QStringLiteral("Canal %1").arg(id);
            canaux.ajoute(c, id);
        }
        return editeurs.ajouteSql(m_db, &m_mutex) && canaux.ajouteSql(m_db, &m_mutex);
    }

    // Lists of kTicketsPerWrite tickets, each written by one list write; only the
    // writes are timed.
    bool writeTickets(int tickets, SizeResult& r)
    {
        qint64 ns = 0;
        const bool ok = writeTicketLists(0, tickets, kTicketsPerWrite, ns);
        r.listRowsPerS = tickets / (ns / 1e9);
        return ok;
    }

    bool writeTicketLists(int first, int end, int perWrite, qint64& ns)
    {
        CDataBilletListe list;
        bool ok = true;
        for (int i = first; i < end; ++i) {
            list.ajoute(ticketOf(i), 0);
            if (list.size() >= perWrite || i == end - 1) {
                QElapsedTimer t;
                t.start();
                ok = list.ajouteSql(m_db, &m_mutex) && ok;
                ns += t.nsecsElapsed();
                list.dropList();
            }
        }
        return ok;
    }

    bool writeSeatsAndHistory(int tickets, SizeResult& r)
    {
        CDataPlaceListe places;
        CDataModifListe history;
        bool ok = true;
        for (int i = 0; i < tickets; ++i) {
            std::mt19937 rng = rngFor(i, 4);
            const CDataBillet b = ticketOf(i);
            const int seats = 1 + static_cast<int>(rng() % 2);
            for (int s = 0; s < seats; ++s) {
                CDataPlace p;
                p.initDefaut();
                p.CODE_BARRE = b.CODE_BARRE;
                p.EDITEUR_ID = b.EDITEUR_ID;
                p.TARIF_ID = 1 + rng() % 4;
                p.PLACEMENT = QStringLiteral("Rang %1 place %2")
                                  .arg(QChar(static_cast<char16_t>(u'A' + rng() % 20)))
                                  .arg(1 + rng() % 40);
                places.ajoute(p, 0);
                ++r.seats;
            }
            const int entries = static_cast<int>(rng() % 3);
            for (int h = 0; h < entries; ++h) {
                CDataModif m;
                m.initDefaut();
                m.TYPE = h % 2 == 0 ? MODIF_PUNCH : MODIF_UNPUNCH;
                m.AGENT_ID = QStringLiteral("ag%1").arg(rng() % 12);
                m.EDITEUR_ID = b.EDITEUR_ID;
                m.CODE_BARRE = b.CODE_BARRE;
                m.DATE = QStringLiteral("2024-05-01 19:%1:00").arg(10 + h * 5);
                history.ajoute(m, 0);
                ++r.history;
            }
            if (places.size() > 99 || i == tickets - 1) {
                ok = places.ajouteSql(m_db, &m_mutex) && ok;
                places.dropList();
            }
            if (history.size() > 99 || (i == tickets - 1 && !history.isEmpty())) {
                ok = history.ajouteSql(m_db, &m_mutex) && ok;
                history.dropList();
            }
        }
        return ok;
    }

    // The same ticket rows through one prepared statement in one transaction, into a
    // fresh database of the same schema.
    bool writeFloor(int tickets, const QString& floorPath, SizeResult& r)
    {
        dropRepBDD(m_db, &m_mutex, floorPath);
        if (!openRepBDD(m_db, &m_mutex, floorPath)) {
            return false;
        }
        bool ok = writeFloorRows(tickets, r);
        m_db.close();
        return ok;
    }

    bool writeFloorRows(int tickets, SizeResult& r)
    {
        QSqlQuery insert(m_db);
        if (!insert.prepare(QStringLiteral("replace into BILLET (ID, EDITEUR_ID, REP_ID, CANAL_VENTE_ID, IS_USABLE, "
                                           "IS_DELETED, NB_COMPOSTAGE, NOM_PORTEUR, PRENOM_PORTEUR, TEL_PORTEUR, "
                                           "NOM_ACHETEUR, PRENOM_ACHETEUR, TEL_ACHETEUR, DATE_ACHAT, IMAGE, MAIL, "
                                           "CODE_BARRE) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"))) {
            return false;
        }
        qint64 ns = 0;
        QElapsedTimer t;
        t.start();
        bool ok = m_db.transaction();
        ns += t.nsecsElapsed();
        std::vector<CDataBillet> chunk;
        for (int first = 0; first < tickets && ok; first += 1000) {
            chunk.clear();
            for (int i = first; i < std::min(tickets, first + 1000); ++i) {
                chunk.push_back(ticketOf(i));
            }
            t.restart();
            for (const CDataBillet& b : chunk) {
                const QVariant values[] = {b.ID,
                                           b.EDITEUR_ID,
                                           b.REP_ID,
                                           b.CANAL_VENTE_ID,
                                           b.IS_USABLE,
                                           b.IS_DELETED,
                                           b.NB_COMPOSTAGE,
                                           b.NOM_PORTEUR,
                                           b.PRENOM_PORTEUR,
                                           b.TEL_PORTEUR,
                                           b.NOM_ACHETEUR,
                                           b.PRENOM_ACHETEUR,
                                           b.TEL_ACHETEUR,
                                           b.DATE_ACHAT,
                                           b.IMAGE,
                                           b.MAIL,
                                           b.CODE_BARRE};
                for (int c = 0; c < 17; ++c) {
                    insert.bindValue(c, values[c]);
                }
                ok = insert.exec() && ok;
            }
            ns += t.nsecsElapsed();
        }
        t.restart();
        ok = m_db.commit() && ok;
        ns += t.nsecsElapsed();
        r.floorRowsPerS = tickets / (ns / 1e9);
        return ok;
    }

    // The data part of a scan: the exact lookup, the load of the chosen ticket by
    // barcode and issuer, its seats and its history.
    void measureDoor(int tickets, SizeResult& r)
    {
        std::mt19937 rng(tickets);
        r.door = measure(5000, 20000, 1000, [&](int) {
            const QString code = barcodeOf(rng() % tickets);
            QElapsedTimer t;
            t.start();
            CDataBilletListe found;
            found.initParSqlByCodeBarre(m_db, &m_mutex, code);
            CDataBillet current;
            current.initDefaut();
            if (!found.isEmpty()) {
                current.initParSql(m_db, &m_mutex, found.first().CODE_BARRE, found.first().EDITEUR_ID);
            }
            CDataPlaceListe places;
            places.initParSql(m_db, &m_mutex, current.CODE_BARRE, current.EDITEUR_ID);
            CDataModifListe history;
            history.initParSql(m_db, &m_mutex, current.CODE_BARRE, current.EDITEUR_ID);
            const qint64 ns = t.nsecsElapsed();
            if (found.isEmpty() || places.isEmpty()) {
                std::fprintf(stderr, "door path: %s not found\n", qPrintable(code));
            }
            return ns;
        });
    }

    // A punch as the scan makes it: the ticket's update and its journal row.
    void measurePunch(int tickets, SizeResult& r)
    {
        std::mt19937 rng(tickets + 1);
        r.punch = measure(2000, 20000, 300, [&](int) {
            const quint64 index = rng() % tickets;
            CDataBillet current;
            current.initDefaut();
            current.initParSql(m_db, &m_mutex, barcodeOf(index), editeurOf(index));
            QElapsedTimer t;
            t.start();
            current.punchSql(m_db, &m_mutex, false);
            CDataModif modif;
            modif.TYPE = current.NB_COMPOSTAGE == 0 ? MODIF_PUNCH_LAST : MODIF_PUNCH;
            modif.STATUS = MODIF_STATUS_PENDING;
            modif.AGENT_ID = QStringLiteral("ag1");
            modif.REP_ID = current.REP_ID;
            modif.EDITEUR_ID = current.EDITEUR_ID;
            modif.CODE_BARRE = current.CODE_BARRE;
            modif.DATE = QStringLiteral("2024-05-01 20:00:00");
            modif.ajouteSql(m_db, &m_mutex);
            return t.nsecsElapsed();
        });
    }

    void measureQueries(int tickets, SizeResult& r)
    {
        std::mt19937 rng(tickets + 2);
        r.search = measure(1000, 10000, 30, [&](int) {
            CDataRechercheBillet search;
            search.initConnectionSql(m_db, &m_mutex);
            search.initRequete(surnameOf(rng() % tickets), {}, {});
            QElapsedTimer t;
            t.start();
            CDataRecherche::execute(nullptr, search);
            return t.nsecsElapsed();
        });
        // Times one run of a count, set up afresh as the counters are.
        auto countRun = [&](auto count) {
            count.initConnectionSql(m_db, &m_mutex);
            count.initRequete({}, {});
            QElapsedTimer t;
            t.start();
            CDataRecherche::execute(nullptr, count);
            return t.nsecsElapsed();
        };
        r.countTicket = measure(1000, 10000, 30, [&](int) {
            return countRun(CDataRechercheNbTicket());
        });
        r.countPunch = measure(1000, 10000, 30, [&](int) {
            return countRun(CDataRechercheNbPunch());
        });
    }

    QSqlDatabase m_db;
    QMutex m_mutex;
};

QJsonObject toJson(const Stats& s)
{
    return QJsonObject{{QStringLiteral("median_ms"), s.medianMs},
                       {QStringLiteral("p99_ms"), s.p99Ms},
                       {QStringLiteral("samples"), s.samples}};
}

QString cell(const Stats& s)
{
    return QStringLiteral("%1 / %2 (%3)").arg(s.medianMs, 0, 'f', 3).arg(s.p99Ms, 0, 'f', 3).arg(s.samples);
}

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    if (!benchhome::enter(home)) {
        return 2;
    }
    // As in the program, debug and warning texts go nowhere.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QCoreApplication app(argc, argv);
    const QString resultsDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("bench/results");
    benchhome::makeFolders({"/db/", "/traces/"});

    std::vector<SizeResult> results;
    constexpr int kFlushTickets = 10000;
    double flush100 = 0;
    double flushList = 0;
    {
        Bench bench;
        if (!bench.measureFlushPattern(kFlushTickets, flush100, flushList)) {
            std::fprintf(stderr, "bench_data: flush pattern failed (see the log)\n");
            return 1;
        }
        for (int tickets : {10000, 100000, 500000}) {
            SizeResult r;
            std::fprintf(stderr, "building and measuring %d tickets...\n", tickets);
            if (!bench.run(tickets, r)) {
                std::fprintf(stderr, "bench_data: database of %d tickets failed (see the log)\n", tickets);
                return 1;
            }
            results.push_back(r);
        }
    }

    const SizeResult& small = results.front();
    const SizeResult& big = results.back();
    const double doorGrowth = big.door.medianMs / small.door.medianMs;
    double worstRatio = 0;
    double worstDoorP99 = 0;
    for (const SizeResult& r : results) {
        worstRatio = std::max(worstRatio, r.floorRowsPerS / r.listRowsPerS);
        worstDoorP99 = std::max(worstDoorP99, r.door.p99Ms);
    }

    QTextStream out(stdout);
    out << "bench_data: median / p99 in ms (samples)\n";
    out << QStringLiteral("%1").arg(QStringLiteral("tickets"), -26);
    for (const SizeResult& r : results) {
        out << QStringLiteral("%1").arg(r.tickets, 28);
    }
    out << '\n';
    auto line = [&](const QString& label, const std::function<QString(const SizeResult&)>& value) {
        out << QStringLiteral("%1").arg(label, -26);
        for (const SizeResult& r : results) {
            out << QStringLiteral("%1").arg(value(r), 28);
        }
        out << '\n';
    };
    line(QStringLiteral("seats / history rows"), [](const SizeResult& r) {
        return QStringLiteral("%1 / %2").arg(r.seats).arg(r.history);
    });
    line(QStringLiteral("door path"), [](const SizeResult& r) {
        return cell(r.door);
    });
    line(QStringLiteral("punch + journal row"), [](const SizeResult& r) {
        return cell(r.punch);
    });
    line(QStringLiteral("search by name"), [](const SizeResult& r) {
        return cell(r.search);
    });
    line(QStringLiteral("count tickets"), [](const SizeResult& r) {
        return cell(r.countTicket);
    });
    line(QStringLiteral("count punched"), [](const SizeResult& r) {
        return cell(r.countPunch);
    });
    line(QStringLiteral("ticket list write rows/s"), [](const SizeResult& r) {
        return QString::number(r.listRowsPerS, 'f', 0);
    });
    line(QStringLiteral("floor rows/s"), [](const SizeResult& r) {
        return QString::number(r.floorRowsPerS, 'f', 0);
    });
    line(QStringLiteral("floor / list write"), [](const SizeResult& r) {
        return QString::number(r.floorRowsPerS / r.listRowsPerS, 'f', 2) + u'x';
    });
    line(QStringLiteral("build (s)"), [](const SizeResult& r) {
        return QString::number(r.buildS, 'f', 1);
    });
    out << QStringLiteral("ticket list writes hold %1 tickets each; into an empty database, %2 tickets written 100 per "
                          "list write (one commit each, as the download flushes today): %3 rows/s, in one list "
                          "write: %4 rows/s\n")
               .arg(Bench::kTicketsPerWrite)
               .arg(kFlushTickets)
               .arg(flush100, 0, 'f', 0)
               .arg(flushList, 0, 'f', 0);
    out << QStringLiteral("target door median %1 / %2: %3x (<= 2x) %4\n")
               .arg(big.tickets)
               .arg(small.tickets)
               .arg(doorGrowth, 0, 'f', 2)
               .arg(doorGrowth <= 2 ? QStringLiteral("met") : QStringLiteral("MISSED"));
    out << QStringLiteral("target door p99 < 1 ms: worst %1 ms %2\n")
               .arg(worstDoorP99, 0, 'f', 3)
               .arg(worstDoorP99 < 1 ? QStringLiteral("met") : QStringLiteral("MISSED"));
    out << QStringLiteral("target list write within 4x of the floor: worst %1x %2\n")
               .arg(worstRatio, 0, 'f', 2)
               .arg(worstRatio <= 4 ? QStringLiteral("met") : QStringLiteral("MISSED"));
    out.flush();

    QJsonArray sizes;
    for (const SizeResult& r : results) {
        sizes.append(QJsonObject{{QStringLiteral("tickets"), r.tickets},
                                 {QStringLiteral("seats"), r.seats},
                                 {QStringLiteral("history"), r.history},
                                 {QStringLiteral("build_s"), r.buildS},
                                 {QStringLiteral("door_path"), toJson(r.door)},
                                 {QStringLiteral("punch"), toJson(r.punch)},
                                 {QStringLiteral("search_by_name"), toJson(r.search)},
                                 {QStringLiteral("count_tickets"), toJson(r.countTicket)},
                                 {QStringLiteral("count_punched"), toJson(r.countPunch)},
                                 {QStringLiteral("list_write_rows_per_s"), r.listRowsPerS},
                                 {QStringLiteral("floor_rows_per_s"), r.floorRowsPerS},
                                 {QStringLiteral("floor_over_list"), r.floorRowsPerS / r.listRowsPerS}});
    }
    const QJsonObject doc{
        {QStringLiteral("benchmark"), QStringLiteral("bench_data")},
        {QStringLiteral("machine"),
         QSysInfo::prettyProductName() + QStringLiteral(", ") + QSysInfo::currentCpuArchitecture()
             + QStringLiteral(", ") + QString::number(QThread::idealThreadCount()) + QStringLiteral(" threads")},
        {QStringLiteral("sizes"), sizes},
        {QStringLiteral("tickets_per_list_write"), Bench::kTicketsPerWrite},
        {QStringLiteral("empty_database_10000_tickets"),
         QJsonObject{{QStringLiteral("rows_per_s_100_per_list_write"), flush100},
                     {QStringLiteral("rows_per_s_one_list_write"), flushList}}},
        {QStringLiteral("targets"),
         QJsonObject{{QStringLiteral("door_median_growth"), doorGrowth},
                     {QStringLiteral("door_median_growth_met"), doorGrowth <= 2},
                     {QStringLiteral("door_p99_worst_ms"), worstDoorP99},
                     {QStringLiteral("door_p99_met"), worstDoorP99 < 1},
                     {QStringLiteral("list_write_worst_ratio"), worstRatio},
                     {QStringLiteral("list_write_met"), worstRatio <= 4}}},
    };
    QDir().mkpath(resultsDir);
    QFile file(resultsDir + QStringLiteral("/bench_data.json"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "bench_data: cannot write %s\n", qPrintable(file.fileName()));
        return 1;
    }
    file.write(QJsonDocument(doc).toJson());
    return 0;
}
