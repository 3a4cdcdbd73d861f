#include "KillLane.h"
#include "LaneSupport.h"
#include "StandinServer.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>

namespace trials
{

using lane::itemKey;
using lane::ticketKey;
using lane::withDatabase;

void Figures::add(const Figures& other)
{
    trials += other.trials;
    accepted += other.accepted;
    refused += other.refused;
    lost += other.lost;
    doubled += other.doubled;
    countMismatches += other.countMismatches;
    resent += other.resent;
    pending += other.pending;
    validRefused += other.validRefused;
    integrityFailures += other.integrityFailures;
    boxes += other.boxes;
    for (auto it = other.killsByPhase.cbegin(); it != other.killsByPhase.cend(); ++it) {
        killsByPhase[it.key()] += it.value();
    }
}

QJsonObject Figures::toJson() const
{
    QJsonObject phases;
    for (auto it = killsByPhase.cbegin(); it != killsByPhase.cend(); ++it) {
        phases.insert(it.key(), it.value());
    }
    return QJsonObject{{QStringLiteral("trials"), trials},
                       {QStringLiteral("punches"), accepted},
                       {QStringLiteral("refused"), refused},
                       {QStringLiteral("lost"), lost},
                       {QStringLiteral("doubled"), doubled},
                       {QStringLiteral("count_mismatches"), countMismatches},
                       {QStringLiteral("resent_after_cut_ack"), resent},
                       {QStringLiteral("pending_at_end"), pending},
                       {QStringLiteral("valid_refused"), validRefused},
                       {QStringLiteral("integrity_failures"), integrityFailures},
                       {QStringLiteral("boxes_closed"), boxes},
                       {QStringLiteral("kills_by_phase"), phases}};
}

Figures Figures::fromJson(const QJsonObject& object)
{
    Figures f;
    f.trials = object.value(QStringLiteral("trials")).toInt();
    f.accepted = object.value(QStringLiteral("punches")).toInt();
    f.refused = object.value(QStringLiteral("refused")).toInt();
    f.lost = object.value(QStringLiteral("lost")).toInt();
    f.doubled = object.value(QStringLiteral("doubled")).toInt();
    f.countMismatches = object.value(QStringLiteral("count_mismatches")).toInt();
    f.resent = object.value(QStringLiteral("resent_after_cut_ack")).toInt();
    f.pending = object.value(QStringLiteral("pending_at_end")).toInt();
    f.validRefused = object.value(QStringLiteral("valid_refused")).toInt();
    f.integrityFailures = object.value(QStringLiteral("integrity_failures")).toInt();
    f.boxes = object.value(QStringLiteral("boxes_closed")).toInt();
    const QJsonObject phases = object.value(QStringLiteral("kills_by_phase")).toObject();
    for (auto it = phases.constBegin(); it != phases.constEnd(); ++it) {
        f.killsByPhase.insert(it.key(), it.value().toInt());
    }
    return f;
}

// ---- checks ----

QString KillLane::ticketStory(const Scan& scan)
{
    const QString key = ticketKey(scan.barcode, scan.editeurId);
    QStringList parts;
    for (const standin::Ticket& ticket : m_server->organiser().tickets) {
        if (ticketKey(ticket.barcode, ticket.editeurId) == key) {
            parts << QStringLiteral("service count %1%2")
                         .arg(ticket.nbCompostage)
                         .arg(ticket.isDeleted ? " deleted" : "");
        }
    }
    QStringList received;
    for (const standin::ReceivedPunch& punch : m_server->receivedPunches()) {
        if (ticketKey(punch.barcode, punch.editeurId) == key) {
            received << itemKey(punch) + QLatin1Char('@') + punch.listKey;
        }
    }
    parts << QStringLiteral("accepted here %1").arg(m_accepted.value(key));
    parts << QStringLiteral("received [%1]").arg(received.join(QLatin1Char(' ')));
    const QStringList files = QDir(dbFolder()).entryList(QStringList(QStringLiteral("*.db")), QDir::Files);
    for (const QString& file : files) {
        const bool isMain = file == QLatin1String("kest.db");
        withDatabase(dbFolder() + file, [&](QSqlDatabase& db) {
            QSqlQuery query(db);
            query.prepare(
                isMain ? QStringLiteral("select TYPE, DATE from VIDANGE where CODE_BARRE=?")
                       : QStringLiteral("select NB_COMPOSTAGE, IS_DELETED from BILLET where CODE_BARRE=? "
                                        "union all select 'journal ' || STATUS, DATE from MODIF where CODE_BARRE=?"));
            query.addBindValue(scan.barcode);
            if (!isMain) {
                query.addBindValue(scan.barcode);
            }
            query.exec();
            QStringList rows;
            while (query.next()) {
                rows << query.value(0).toString() + QLatin1Char('/') + query.value(1).toString();
            }
            if (!rows.isEmpty()) {
                parts << file + QStringLiteral(" [") + rows.join(QStringLiteral(", ")) + QLatin1Char(']');
            }
        });
    }
    return QStringLiteral(" (") + parts.join(QStringLiteral("; ")) + QLatin1Char(')');
}

void KillLane::checkIntegrity()
{
    const QStringList files = QDir(dbFolder()).entryList(QDir::Files);
    for (const QString& file : files) {
        // Rollback journals and the super-journals of a transaction over two files are
        // SQLite's own; the next opening of their databases settles them.
        if (file.contains(QLatin1String("-journal")) || file.contains(QLatin1String("-mj"))) {
            continue;
        }
        QString result;
        const bool opened = withDatabase(dbFolder() + file, [&](QSqlDatabase& db) {
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("pragma integrity_check")) && query.next()) {
                result = query.value(0).toString();
            } else {
                result = query.lastError().text();
            }
        });
        if (!opened || result != QLatin1String("ok")) {
            ++figures.integrityFailures;
            failures << QStringLiteral("integrity of ") + file + QStringLiteral(": ") + result;
        }
    }
}

void KillLane::checkEnd()
{
    // Pending punches on disk, per ticket: journal rows of every list, drain rows.
    QHash<QString, int> pending;
    QHash<QString, int> pendingInLists;
    const QStringList files = QDir(dbFolder()).entryList(QStringList(QStringLiteral("*.db")), QDir::Files);
    for (const QString& file : files) {
        const bool isMain = file == QLatin1String("kest.db");
        withDatabase(dbFolder() + file, [&](QSqlDatabase& db) {
            QSqlQuery query(db);
            query.exec(
                isMain ? QStringLiteral("select CODE_BARRE, EDITEUR_ID from VIDANGE where TYPE in (3, 8)")
                       : QStringLiteral("select CODE_BARRE, EDITEUR_ID from MODIF where STATUS=1 and TYPE in (3, 8)"));
            while (query.next()) {
                const QString key = ticketKey(query.value(0).toString(), query.value(1).toUInt());
                pending[key] += 1;
                if (!isMain) {
                    pendingInLists[key] += 1;
                }
                ++figures.pending;
                failures << QStringLiteral("punch still pending after the final drain: %1 in %2").arg(key, file);
            }
        });
    }

    // What reached the stand-in: each item once, repeats only where a kill cut the
    // acknowledgement of the upload that carried them.
    QHash<QString, int> taken;
    QSet<QString> seen;
    for (const standin::ReceivedPunch& punch : m_server->receivedPunches()) {
        const QString key = itemKey(punch);
        if (seen.contains(key)) {
            if (m_cutItems.contains(key)) {
                ++figures.resent;
            } else {
                ++figures.doubled;
                failures << QStringLiteral("punch sent twice: ") + key;
            }
            continue;
        }
        seen.insert(key);
        if (punch.listKey == QLatin1String("cl")) {
            taken[ticketKey(punch.barcode, punch.editeurId)] += 1;
        }
    }
    for (auto it = m_accepted.cbegin(); it != m_accepted.cend(); ++it) {
        const int missing = it.value() - taken.value(it.key()) - pending.value(it.key());
        if (missing > 0) {
            figures.lost += missing;
            failures << QStringLiteral("accepted punch lost: ") + it.key();
        }
    }

    // The scanned list, once synchronised, counts what the service counts less what it
    // still has to send (a drain row of a deleted list is in neither count).
    QHash<QString, unsigned int> serverCount;
    for (const standin::Ticket& ticket : m_server->organiser().tickets) {
        if (!ticket.isDeleted) {
            serverCount.insert(ticketKey(ticket.barcode, ticket.editeurId), ticket.nbCompostage);
        }
    }
    for (const QString& file : files) {
        if (file == QLatin1String("kest.db")) {
            continue;
        }
        withDatabase(dbFolder() + file, [&](QSqlDatabase& db) {
            QSqlQuery query(db);
            query.exec(QStringLiteral("select CODE_BARRE, EDITEUR_ID, NB_COMPOSTAGE from BILLET where IS_DELETED=0"));
            while (query.next()) {
                const QString key = ticketKey(query.value(0).toString(), query.value(1).toUInt());
                if (!serverCount.contains(key)) {
                    continue;
                }
                const int local = query.value(2).toInt() + pendingInLists.value(key);
                if (local != static_cast<int>(serverCount.value(key))) {
                    ++figures.countMismatches;
                    failures << QStringLiteral("count of %1 in %2: %3 here, %4 at the service")
                                    .arg(key, file)
                                    .arg(local)
                                    .arg(serverCount.value(key));
                }
            }
        });
    }
}

}  // namespace trials
