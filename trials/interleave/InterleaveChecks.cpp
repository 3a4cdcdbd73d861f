#include "core/CAffichage.h"
#include "core/CParam.h"
#include "data/CDataEvenement.h"
#include "data/CDataRepresentation.h"
#include "session/CRepWidget.h"
#include "ui/MainWindow.h"
#include "ui/MessageDlg.h"
#include "ui/SaisieDlg.h"
#include "ui/Ui_MainWindow.h"

#include "InterleaveTrial.h"
#include "LaneSupport.h"

#include <QDir>
#include <QRegularExpression>
#include <QSqlQuery>

namespace trials
{

using lane::withDatabase;

namespace
{

constexpr unsigned int kLocalIssuer = 99999999;

QString listKeyOf(unsigned int type)
{
    switch (type) {
    case 3:
    case 8:
        return QStringLiteral("cl");
    case 4:
    case 16:
        return QStringLiteral("dl");
    case 99:
        return QStringLiteral("sl");
    default:
        return QString();
    }
}

// "yyyy-MM-dd hh:mm:ss" as the service's figures.
QString figures14(const QString& date)
{
    QString out = date;
    out.remove(QLatin1Char('-')).remove(QLatin1Char(':')).remove(QLatin1Char(' '));
    return out;
}

struct Row
{
    QString item;
    QString ticket;
    QString listKey;
};

// Journal rows of one list (`where` on MODIF), or drain rows, as service items.
QList<Row> itemsOf(const QString& path, const QString& statement)
{
    QList<Row> rows;
    withDatabase(path, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        if (!query.exec(statement)) {
            return;
        }
        while (query.next()) {
            const QString key = listKeyOf(query.value(0).toUInt());
            if (key.isEmpty()) {
                continue;
            }
            const QString ticket = query.value(1).toString() + QLatin1Char('|') + query.value(2).toString();
            rows.append({key + QLatin1Char('|') + ticket + QLatin1Char('|') + figures14(query.value(3).toString()),
                         ticket,
                         key});
        }
    });
    return rows;
}

int countOf(const QString& path, const QString& statement)
{
    int count = -1;
    withDatabase(path, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        if (query.exec(statement) && query.next()) {
            count = query.value(0).toInt();
        }
    });
    return count;
}

QStringList listFiles(const QString& folder)
{
    QStringList files;
    for (const QString& name : QDir(folder).entryList({QStringLiteral("*.db")}, QDir::Files)) {
        if (name != QLatin1String("kest.db") && name != QLatin1String("dump.db")) {
            files << name;
        }
    }
    return files;
}

}  // namespace

QString InterleaveTrial::storedForm(const QString& barcode) const
{
    return QString(barcode).replace(QLatin1Char('\''), QLatin1Char(' '));
}

// ---- after every step ----

void InterleaveTrial::checkStep()
{
    if (!m_window) {
        return;
    }
    // What reached the service, item by item.
    QSet<QString> received;
    QHash<QString, int> takenPunches;
    for (const standin::ReceivedPunch& punch : m_server->receivedPunches()) {
        const QString ticket = punch.barcode + QLatin1Char('|') + QString::number(punch.editeurId);
        const QString item = punch.listKey + QLatin1Char('|') + ticket + QLatin1Char('|') + punch.date;
        if (!received.contains(item) && punch.listKey == QLatin1String("cl")) {
            takenPunches[ticket] += 1;
        }
        received.insert(item);
    }
    QSet<QString> queued;
    QHash<QString, int> pendingPunches;
    for (const Row& row : itemsOf(dbFolder() + QStringLiteral("kest.db"),
                                  QStringLiteral("select TYPE, CODE_BARRE, EDITEUR_ID, DATE from VIDANGE"))) {
        queued.insert(row.item);
        pendingPunches[row.ticket] += row.listKey == QLatin1String("cl") ? 1 : 0;
    }
    const QString myAgent = gParam->parametre(MY_AGENT_ID);
    for (const QString& file : listFiles(dbFolder())) {
        const QString path = dbFolder() + file;
        for (const Row& row : itemsOf(path,
                                      QStringLiteral("select TYPE, CODE_BARRE, EDITEUR_ID, DATE from MODIF where "
                                                     "STATUS=1 and EDITEUR_ID<>%1")
                                          .arg(kLocalIssuer))) {
            pendingPunches[row.ticket] += row.listKey == QLatin1String("cl") ? 1 : 0;
        }
        // A row marked sent is the service's own history, or was received, or waits in
        // the drain queue.
        if (myAgent.isEmpty()) {
            continue;
        }
        for (const Row& row : itemsOf(path,
                                      QStringLiteral("select TYPE, CODE_BARRE, EDITEUR_ID, DATE from MODIF where "
                                                     "STATUS=0 and EDITEUR_ID<>%1 and AGENT_ID='%2'")
                                          .arg(kLocalIssuer)
                                          .arg(myAgent))) {
            if (!received.contains(row.item) && !queued.contains(row.item)) {
                fail(QStringLiteral("punch %1 marked sent in %2 but never received").arg(row.item, file));
                return;
            }
        }
    }
    // Every punch shown accepted was received or waits on disk.
    for (auto it = m_acceptedAnywhere.cbegin(); it != m_acceptedAnywhere.cend(); ++it) {
        const int missing = it.value() - takenPunches.value(it.key()) - pendingPunches.value(it.key());
        if (missing > 0) {
            ++figures.lost;
            fail(QStringLiteral("accepted punch of %1 neither received nor pending").arg(it.key()));
            return;
        }
    }
    // One list never lets more entries in than the ticket holds.
    for (auto it = m_admitted.cbegin(); it != m_admitted.cend(); ++it) {
        const QString ticket = it.key().section(QLatin1Char('|'), 1);
        const int bound = static_cast<int>(m_initialEntries.value(ticket)) + m_otherUnpunches.value(ticket);
        if (m_initialEntries.contains(ticket) && it.value() > bound) {
            ++figures.doubled;
            fail(QStringLiteral("%1 entries let in on %2 for a ticket of %3").arg(it.value()).arg(it.key()).arg(bound));
            return;
        }
    }

    // The current list is one the agent asked for, whole, and named as chosen.
    const QString current = m_window->currentRepDbName;
    if (!current.isEmpty()) {
        static const QRegularExpression name(QStringLiteral("^([PER])(\\d+)_Z(\\d+)\\.db$"));
        const QRegularExpressionMatch match = name.match(QFileInfo(current).fileName());
        const QString id =
            match.captured(1) == QLatin1String("P") ? QLatin1Char('-') + match.captured(2) : match.captured(2);
        if (!m_acceptableCurrent.contains(current)) {
            ++figures.wrongLists;
            fail(QStringLiteral("current list %1, never asked for").arg(QFileInfo(current).fileName()));
            return;
        }
        if (!match.hasMatch() || gParam->currentIdRep.get() != id) {
            ++figures.wrongLists;
            fail(QStringLiteral("current list %1 sent as id %2")
                     .arg(QFileInfo(current).fileName(), gParam->currentIdRep.get()));
            return;
        }
        if (countOf(current, QStringLiteral("pragma user_version")) <= 0) {
            ++figures.wrongLists;
            fail(QStringLiteral("current list %1 is not a downloaded list").arg(QFileInfo(current).fileName()));
            return;
        }
    }

    // The tiles shown are those of the zone the settings hold.
    const unsigned int zone = gParam->parametre(ZONE_KEST).toUInt();
    QSet<unsigned int> zoneEvents;
    for (const standin::Event& event : m_server->organiser().events) {
        if (event.zones.isEmpty() || event.zones.contains(zone)) {
            zoneEvents.insert(event.id);
        }
    }
    const QString zoneSuffix = QStringLiteral("_Z%1.db").arg(gParam->parametre(ZONE_KEST));
    for (CRepWidget* tile : m_window->repWidgets) {
        if (!tile->isVisible() || tile->isChainRunning() || tile->dataEvent.ID == 0) {
            continue;
        }
        if (!zoneEvents.contains(tile->dataEvent.ID)
            || (!tile->repFilePath.isEmpty() && !tile->repFilePath.endsWith(zoneSuffix))) {
            ++figures.wrongLists;
            fail(QStringLiteral("tile of event %1 (%2) shown in zone %3")
                     .arg(tile->dataEvent.ID)
                     .arg(QFileInfo(tile->repFilePath).fileName())
                     .arg(zone));
            return;
        }
    }

    // The gauge, once the cycle rests, counts the list as it is.
    Ui_MainWindow* ui = m_window->ui;
    if (ui->stackedWidget->currentIndex() == 2 && !m_window->isSyncRunning && !m_window->threadGetDelta.isRunning()
        && !current.isEmpty()) {
        const int total = countOf(current, QStringLiteral("select count(*) from BILLET where IS_DELETED=0"));
        const int used =
            countOf(current, QStringLiteral("select count(*) from BILLET where IS_DELETED=0 and NB_COMPOSTAGE=0"));
        const QString expected =
            gAffichage->getTraduction(currentLangue(), 43) + QStringLiteral("%1 / %2").arg(used).arg(total);
        if (total >= 0 && ui->lblScanJauge->text() != expected) {
            fail(QStringLiteral("gauge shows \"%1\", the list holds \"%2\"").arg(ui->lblScanJauge->text(), expected));
        }
    }
}

void InterleaveTrial::checkIntegrity()
{
    for (const QString& file : QDir(dbFolder()).entryList(QDir::Files)) {
        if (file.contains(QLatin1String("-journal")) || file.contains(QLatin1String("-mj"))) {
            continue;
        }
        QString result;
        const bool opened = withDatabase(dbFolder() + file, [&](QSqlDatabase& db) {
            QSqlQuery query(db);
            result = query.exec(QStringLiteral("pragma integrity_check")) && query.next() ? query.value(0).toString()
                                                                                          : QStringLiteral("no answer");
        });
        if (!opened || result != QLatin1String("ok")) {
            fail(QStringLiteral("integrity of %1: %2").arg(file, result));
            return;
        }
    }
}

// ---- the end ----

// Every list brought up: its cycle uploads its punches and applies the delta, twice
// over every list so that each learns the others' uploads; the drain queue emptied.
bool InterleaveTrial::finalDrain()
{
    if (!m_window) {
        return false;
    }
    const auto idle = [this] {
        return m_window->isEnabled() && !m_window->isSyncRunning && !m_window->threadGetDelta.isRunning()
               && !m_window->isEventListParsing
               && std::none_of(m_window->repWidgets.cbegin(), m_window->repWidgets.cend(), [](CRepWidget* tile) {
                      return tile->isChainRunning();
                  });
    };
    const auto closeDialogs = [this] {
        m_window->messageDlg->hide();
        m_window->saisieDlg->hide();
    };
    if (m_window->isForcedOffline) {
        m_window->connectionClick();
    }
    gParam->isOnline = true;
    if (!settleUntil(idle, 60)) {
        fail(QStringLiteral("the program never came to rest for the final drain"));
        return false;
    }
    closeDialogs();
    if (m_window->ui->stackedWidget->currentIndex() == 0) {
        // Still at the login: the stored login goes.
        m_window->ui->editLogin->setText(m_agentLogin);
        m_window->ui->editPassword->setText(QStringLiteral("demo"));
        m_window->verifLoginClicked();
        settleUntil(idle, 10);
        closeDialogs();
    }
    for (int round = 0; round < 2; ++round) {
        for (const QString& file : listFiles(dbFolder())) {
            static const QRegularExpression name(QStringLiteral("^([PER])(\\d+)_Z(\\d+)\\.db$"));
            const QRegularExpressionMatch match = name.match(file);
            if (!match.hasMatch() || match.captured(3) != gParam->parametre(ZONE_KEST)) {
                continue;
            }
            const QString kind = match.captured(1);
            const QString idRep = kind == QLatin1String("P") ? QLatin1Char('-') + match.captured(2) : match.captured(2);
            CDataEvenement evenement;
            evenement.initDefaut();
            evenement.TYPE = kind == QLatin1String("P") ? 1 : 0;
            evenement.ID = match.captured(2).toUInt();
            CDataRepresentation representation;
            representation.initDefaut();
            representation.ID = evenement.ID;
            // The settings the list was chosen under.
            gParam->initParametre(REP_JOUR, kind == QLatin1String("E") ? QStringLiteral("1") : QStringLiteral("0"));
            m_window->changeRepClicked();
            settleUntil(idle, 20);
            closeDialogs();
            m_window->setCurrentRep(evenement,
                                    representation,
                                    dbFolder() + file,
                                    idRep,
                                    kind == QLatin1String("E") ? QStringLiteral("1") : QStringLiteral("0"));
            m_acceptableCurrent = {dbFolder() + file};
            m_window->startScanClicked();
            m_window->deltaTimer.stop();
            m_window->timerDelta();
            // The cycle's end arms the timer again.
            if (!settleUntil(
                    [this, &idle] {
                        return m_window->deltaTimer.isActive() && idle();
                    },
                    30)) {
                fail(QStringLiteral("the cycle of %1 never ended in the final drain").arg(file));
                return false;
            }
        }
        m_window->changeRepClicked();
        settleUntil(idle, 20);
        closeDialogs();
        for (int attempt = 0; attempt < 5; ++attempt) {
            if (countOf(dbFolder() + QStringLiteral("kest.db"), QStringLiteral("select count(*) from VIDANGE")) <= 0) {
                break;
            }
            m_window->drainGlobalClicked();
            settleUntil(idle, 20);
            closeDialogs();
        }
    }
    return failure.isEmpty();
}

void InterleaveTrial::checkEnd()
{
    checkStep();
    checkIntegrity();
    if (!failure.isEmpty()) {
        return;
    }
    // Nothing waits any more.
    const int queued = countOf(dbFolder() + QStringLiteral("kest.db"),
                               QStringLiteral("select count(*) from VIDANGE where TYPE in (3, 4, 8, 16, 99)"));
    if (queued > 0) {
        fail(QStringLiteral("%1 drain rows left after the final drain").arg(queued));
        return;
    }
    QHash<QString, unsigned int> serviceCount;
    for (const standin::Ticket& ticket : m_server->organiser().tickets) {
        if (!ticket.isDeleted) {
            serviceCount.insert(storedForm(ticket.barcode) + QLatin1Char('|') + QString::number(ticket.editeurId),
                                ticket.nbCompostage);
        }
    }
    for (const QString& file : listFiles(dbFolder())) {
        const int pending = countOf(dbFolder() + file,
                                    QStringLiteral("select count(*) from MODIF where STATUS=1 and TYPE in (3, 4, 8, "
                                                   "16, 99) and EDITEUR_ID<>%1")
                                        .arg(kLocalIssuer));
        if (pending > 0) {
            fail(QStringLiteral("%1 punches still pending in %2 after the final drain").arg(pending).arg(file));
            return;
        }
        // Each ticket counts what the service counts.
        withDatabase(dbFolder() + file, [&](QSqlDatabase& db) {
            QSqlQuery query(db);
            query.exec(QStringLiteral("select CODE_BARRE, EDITEUR_ID, NB_COMPOSTAGE from BILLET where IS_DELETED=0"));
            while (query.next() && failure.isEmpty()) {
                const QString key = query.value(0).toString() + QLatin1Char('|') + query.value(1).toString();
                if (serviceCount.contains(key) && query.value(2).toUInt() != serviceCount.value(key)) {
                    ++figures.doubled;
                    // What each side recorded of the ticket, to tell where it went wrong.
                    QStringList journal;
                    QSqlQuery rows(db);
                    rows.exec(QStringLiteral("select ID, TYPE, DATE, STATUS, AGENT_ID from MODIF where "
                                             "CODE_BARRE='%1' order by ID")
                                  .arg(key.section(QLatin1Char('|'), 0, 0)));
                    while (rows.next()) {
                        journal << QStringLiteral("%1:%2:%3:%4:%5")
                                       .arg(rows.value(0).toString(),
                                            rows.value(1).toString(),
                                            rows.value(2).toString(),
                                            rows.value(3).toString(),
                                            rows.value(4).toString());
                    }
                    QStringList history;
                    for (const standin::HistoryEntry& entry : m_server->organiser().history) {
                        if (storedForm(entry.barcode) == key.section(QLatin1Char('|'), 0, 0)) {
                            history << QStringLiteral("%1:%2:%3:%4")
                                           .arg(entry.deltaId)
                                           .arg(entry.type)
                                           .arg(entry.date, entry.agentId);
                        }
                    }
                    fail(QStringLiteral("count of %1 in %2: %3 here, %4 at the service (journal %5; service %6)")
                             .arg(key, file)
                             .arg(query.value(2).toUInt())
                             .arg(serviceCount.value(key))
                             .arg(journal.join(QLatin1Char(' ')), history.join(QLatin1Char(' '))));
                }
            }
        });
        if (!failure.isEmpty()) {
            return;
        }
    }
}

}  // namespace trials
