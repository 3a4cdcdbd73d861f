#include "core/CAffichage.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "core/Util.h"
#include "data/CDataAgent.h"
#include "data/CDataBillet.h"
#include "data/CDataCaisse.h"
#include "data/CDataCanalVente.h"
#include "data/CDataDelta.h"
#include "data/CDataEditeur.h"
#include "data/CDataEvent.h"
#include "data/CDataModif.h"
#include "data/CDataPlace.h"
#include "data/CDataRep.h"
#include "data/CDataTarif.h"
#include "net/CThreadGet.h"
#include "net/CThreadGetJson.h"
#include "net/CThreadGetRun.h"
#include "net/JsonReply.h"

#include <QJsonArray>
#include <QSet>

using jsonreply::toText;
using jsonreply::toUInt32;
using ticketlist::member;

namespace
{

// Lists are written once they hold more than this many records after a member.
constexpr qsizetype kFlushAbove = 99;

// The row a ticket is stored in: its barcode as the quoting helper writes it (a quote,
// a NUL or a lone surrogate blanked), so that two keys it makes one are one ticket.
QString ticketKey(const QString& barcode, unsigned int editeurId)
{
    return utilSqlFormateString(barcode) + QLatin1Char('|') + QString::number(editeurId);
}

// One item for the service: the ticket as stored, the second and the kind.
QString punchKey(const CDataModif& modif)
{
    return ticketKey(modif.CODE_BARRE, modif.EDITEUR_ID) + QLatin1Char('|') + modif.DATE + QLatin1Char('|')
           + QString::number(CDataModif::kindOf(modif.TYPE));
}

void setId(unsigned int& id, const QString& key)
{
    id = ticketlist::keyToUInt32(key);
}

// Agents keep their key as it is written.
void setId(QString& id, const QString& key)
{
    id = key;
}

// Every field from the entry: a missing member gives 0 or an empty text, not the
// record's default.
void fillRep(CDataRep& rep, const QString& key, const QJsonValue& value)
{
    const QJsonObject object = value.toObject();
    setId(rep.ID, key);
    rep.DATE_DEBUT = toText(member(object, "debut"));
    rep.DATE_FIN = toText(member(object, "fin"));
    rep.EVENT_ID = toUInt32(member(object, "evt"));
    rep.NB_COMPOSTAGE = toUInt32(member(object, "comp"));
}

}  // namespace

TicketListRun::TicketListRun(CThreadGet& worker,
                             const QJsonObject& document,
                             bool isDelta,
                             const CDataModifListe& drained)
    : m_worker(worker)
    , m_document(document)
    , m_isDelta(isDelta)
    , m_drained(drained)
    , m_agent(gParam->parametre(MY_AGENT_ID))
{
    for (const CDataModif& modif : drained) {
        m_queued.insert(punchKey(modif));
    }
}

int TicketListRun::nbTicket() const
{
    return m_change.live;
}

int TicketListRun::nbPunched() const
{
    return m_change.usedUp;
}

TicketListRun::Counts TicketListRun::countsOf(const CDataBillet& billet)
{
    const bool live = billet.IS_DELETED == 0;
    return Counts{live ? 1 : 0, live && billet.NB_COMPOSTAGE == 0 ? 1 : 0};
}

void TicketListRun::addChange(const Counts& before, const Counts& after)
{
    m_change.live += after.live - before.live;
    m_change.usedUp += after.usedUp - before.usedUp;
}

QString TicketListRun::message(int line)
{
    return gAffichage ? gAffichage->getMessage(currentLangue(), line) : QString();
}

bool TicketListRun::interrupted() const
{
    return m_worker.isInterruptionRequested();
}

bool TicketListRun::storeTickets(QSqlDatabase& db, QMutex* mutex)
{
    m_db = &db;
    m_mutex = mutex;
    Counts before;
    if (!m_isDelta) {
        // A full load replaces the list: its counts are the new totals minus the old.
        if (!CDataBilletListe::compteSql(*m_db, m_mutex, before.live, before.usedUp) || !resetRepBDD(*m_db, m_mutex)) {
            return false;
        }
    }
    const bool stored = deltaRow() && oneRecordSection<CDataRepListe>("rep", 13, fillRep)
                        && idNomSection<CDataEventListe>("evt", 8) && idNomSection<CDataTarifListe>("tarif", 14)
                        && idNomSection<CDataAgentListe>("agent", 16) && idNomSection<CDataEditeurListe>("pub", 15)
                        && idNomSection<CDataCaisseListe>("caisse", 18)
                        && idNomSection<CDataCanalVenteListe>("canal", 19) && tickets() && modifs() && reapplyUnsent();
    if (!stored || m_isDelta) {
        return stored;
    }
    Counts after;
    if (!CDataBilletListe::compteSql(*m_db, m_mutex, after.live, after.usedUp)) {
        return false;
    }
    addChange(before, after);
    return true;
}

bool TicketListRun::section(const char* name, int messageLine, const EntryWriter& writeEntry)
{
    const QJsonObject entries = member(m_document, name).toObject();
    emit m_worker.signalProgressText(message(messageLine));
    if (!entries.isEmpty()) {
        emit m_worker.signalProgressMax(static_cast<uint>(entries.size()));
    }
    emit m_worker.signalProgressValue(0);
    uint done = 0;
    const QStringList keys = ticketlist::sortedKeys(entries);
    for (const QString& key : keys) {
        if (!writeEntry(key, entries.value(key)) || interrupted()) {
            return false;
        }
        emit m_worker.signalProgressValue(++done);
    }
    return true;
}

// Writes and empties the list; the list is emptied even on failure, which ends the run.
template <typename Liste>
bool TicketListRun::flush(Liste& list)
{
    const bool written = list.ajouteSql(*m_db, m_mutex);
    list.dropList();
    return written;
}

template <typename Liste, typename Fill>
bool TicketListRun::oneRecordSection(const char* name, int messageLine, Fill fill)
{
    Liste list;
    const bool stored = section(name, messageLine, [&](const QString& key, const QJsonValue& value) {
        typename Liste::Record record;
        record.initDefaut();
        fill(record, key, value);
        // Added at the next position, not under its ID: two members naming one ID
        // both reach the statement.
        list.ajoute(record, {});
        return list.size() <= kFlushAbove || flush(list);
    });
    return stored && (list.isEmpty() || flush(list));
}

template <typename Liste>
bool TicketListRun::idNomSection(const char* name, int messageLine)
{
    return oneRecordSection<Liste>(name,
                                   messageLine,
                                   [](typename Liste::Record& record, const QString& key, const QJsonValue& value) {
                                       setId(record.ID, key);
                                       record.NOM = toText(value);
                                   });
}

bool TicketListRun::deltaRow()
{
    CDataDelta delta;
    delta.initDefaut();
    delta.ID = toUInt32(member(m_document, "dt"));
    if (delta.ID == 0) {
        return true;
    }
    delta.LAST_UPDATE = ticketlist::serviceDateTime(toText(member(m_document, "da")));
    delta.LOGIN = gParam->login.get();
    delta.PASSWORD = gParam->passwordMd5.get();
    delta.ZONE_ID = gParam->parametre(ZONE_KEST).toUInt();
    return delta.ajouteSql(*m_db, m_mutex) != 0;
}

bool TicketListRun::tickets()
{
    CDataBilletListe billets;
    CDataPlaceListe places;
    const bool stored = section("tickets", 10, [&](const QString& key, const QJsonValue& value) {
        const QJsonObject ticket = value.toObject();
        CDataBillet billet;
        billet.initDefaut();
        billet.CODE_BARRE = key;
        billet.ID = toUInt32(member(ticket, "1"));
        billet.EDITEUR_ID = toUInt32(member(ticket, "0"));
        billet.REP_ID = toUInt32(member(ticket, "2"));
        billet.CANAL_VENTE_ID = toUInt32(member(ticket, "17"));
        billet.IS_USABLE = toUInt32(member(ticket, "6"));
        billet.IS_DELETED = toUInt32(member(ticket, "7"));
        billet.NB_COMPOSTAGE = toUInt32(member(ticket, "15"));
        billet.NOM_PORTEUR = toText(member(ticket, "9"));
        billet.PRENOM_PORTEUR = toText(member(ticket, "10"));
        billet.TEL_PORTEUR = toText(member(ticket, "13"));
        billet.NOM_ACHETEUR = toText(member(ticket, "11"));
        billet.PRENOM_ACHETEUR = toText(member(ticket, "12"));
        billet.TEL_ACHETEUR = billet.TEL_PORTEUR;
        billet.DATE_ACHAT = toText(member(ticket, "14"));
        billet.IMAGE = toText(member(ticket, "19"));

        if (m_isDelta) {
            // A key stored as the same row as an earlier one of this document: that one
            // is written first, so that this replace is counted and seated against it.
            const QString row = ticketKey(key, billet.EDITEUR_ID);
            if (m_written.contains(row)
                && !((billets.isEmpty() || flush(billets)) && (places.isEmpty() || flush(places)))) {
                return false;
            }
            m_written.insert(row);
            m_writtenBarcodes.insert(utilSqlFormateString(key));
            // The change this replace makes, against the row it replaces; and the seats
            // it brings stand for the stored ones.
            CDataBillet stored;
            bool found = false;
            if (!stored.initParSqlExact(*m_db, m_mutex, key, billet.EDITEUR_ID, found)
                || !CDataPlace().deleteSql(*m_db, m_mutex, key, billet.EDITEUR_ID)) {
                return false;
            }
            addChange(found ? countsOf(stored) : Counts(), countsOf(billet));
        }
        billets.ajoute(billet, 0);

        const QJsonArray seats = member(ticket, "places").toArray();
        for (const QJsonValue& seat : seats) {
            const QJsonObject object = seat.toObject();
            CDataPlace place;
            place.initDefaut();
            place.CODE_BARRE = key;
            place.EDITEUR_ID = billet.EDITEUR_ID;
            place.TARIF_ID = toUInt32(member(object, "3"));
            place.PLACEMENT = toText(member(object, "4"));
            places.ajoute(place, 0);
        }
        return (billets.size() <= kFlushAbove || flush(billets)) && (places.size() <= kFlushAbove || flush(places));
    });
    return stored && (billets.isEmpty() || flush(billets)) && (places.isEmpty() || flush(places));
}

// The punches made here that the service had not acknowledged when the list was asked
// for: a ticket the document rewrote has the service's count, which lacks them unless
// the service holds them already, and would let the same entry in twice. First those
// of the drain queue, older than the list's own pending ones; a queued punch applied is
// journalled as sent, once.
bool TicketListRun::reapplyUnsent()
{
    if (m_isDelta && m_written.isEmpty()) {
        return true;
    }
    CDataModifListe journal;
    for (CDataModif modif : m_drained) {
        bool applied = false;
        CDataModif::Held held;
        modif.STATUS = MODIF_STATUS_SENT;
        if (!reapply(modif, true, applied, held)) {
            return false;
        }
        if (applied && !held.recorded()) {
            journal.ajoute(modif, 0);
        }
    }
    CDataModifListe pending;
    if ((!journal.isEmpty() && !flush(journal)) || !pending.initLocalPunchParSql(*m_db, m_mutex)) {
        return false;
    }
    for (const CDataModif& modif : std::as_const(pending)) {
        bool applied = false;
        CDataModif::Held held;
        if (!reapply(modif, false, applied, held)) {
            return false;
        }
    }
    return true;
}

// Applies `modif` to its ticket where the document wrote it (a full load wrote every
// ticket the table holds, a delta those of m_written), with `sameRep` only to a
// ticket of the row's performance, and only while the service's history does not hold
// it: this document's, which "modifs" stored before, or an earlier one's. `applied`
// tells whether it did, `held` what the journal holds of it.
bool TicketListRun::reapply(const CDataModif& modif, bool sameRep, bool& applied, CDataModif::Held& held)
{
    applied = false;
    held = CDataModif::Held();
    if (m_isDelta && !m_written.contains(ticketKey(modif.CODE_BARRE, modif.EDITEUR_ID))) {
        return true;
    }
    if (!modif.heldSql(*m_db, m_mutex, m_agent, held)) {
        return false;
    }
    if (held.service) {
        return true;
    }
    CDataBillet billet;
    bool found = false;
    if (!billet.initParSqlExact(*m_db, m_mutex, modif.CODE_BARRE, modif.EDITEUR_ID, found)) {
        return false;
    }
    if (!found || (sameRep && billet.REP_ID != modif.REP_ID)) {
        return true;
    }
    applied = true;
    return applyTo(billet, modif);
}

bool TicketListRun::modifs()
{
    CDataModifListe journal;
    const bool stored = section("modifs", 11, [&](const QString& key, const QJsonValue& value) {
        const QJsonArray rows = value.toArray();
        for (const QJsonValue& row : rows) {
            const QJsonObject object = row.toObject();
            CDataModif modif;
            modif.initDefaut();
            modif.CODE_BARRE = key;
            modif.TYPE = toUInt32(member(object, "4"));
            // Each row its own date: an unreadable one stays empty rather than take
            // the previous row's.
            modif.DATE = ticketlist::serviceDateTime(toText(member(object, "5")));
            modif.AGENT_ID = toText(member(object, "9"));
            modif.EDITEUR_ID = toUInt32(member(object, "0"));
            modif.STATUS = MODIF_STATUS_SENT;
            if (m_isDelta && modif.AGENT_ID == m_agent) {
                // This terminal's own row. The list counts the punch already when its
                // journal holds it; a list downloaded afresh after a deletion or a wipe
                // does not, and its drained punches must still reach the tickets.
                CDataModif::Held held;
                if (!modif.heldSql(*m_db, m_mutex, m_agent, held)) {
                    return false;
                }
                if (held.recorded()) {
                    // Pending here or queued, yet the service holds it: its row is kept,
                    // not applied, so that a ticket rewritten later does not get the punch
                    // again; the row written for the queued punch gives way to it.
                    const bool queued = m_queued.contains(punchKey(modif));
                    if (!held.service && (held.pending || queued)) {
                        if (queued && held.local && !modif.deleteSentLocalSql(*m_db, m_mutex)) {
                            return false;
                        }
                        journal.ajoute(modif, 0);
                    }
                    continue;
                }
            }
            journal.ajoute(modif, 0);
            // Where "tickets" brought the ticket, it already holds the change.
            if (m_isDelta && !m_writtenBarcodes.contains(utilSqlFormateString(key)) && !applyModif(modif)) {
                return false;
            }
        }
        return journal.size() <= kFlushAbove || flush(journal);
    });
    return stored && (journal.isEmpty() || flush(journal));
}

// Applies another entrance's change to the stored ticket (barcode without regard to
// case). Each row reloads the ticket, so the rows of a barcode act one after another.
bool TicketListRun::applyModif(const CDataModif& modif)
{
    CDataBillet billet;
    billet.initDefaut();
    bool failed = false;
    if (!billet.initParSql(*m_db, m_mutex, modif.CODE_BARRE, modif.EDITEUR_ID, &failed)) {
        return !failed;
    }
    return applyTo(billet, modif);
}

bool TicketListRun::applyTo(CDataBillet& billet, const CDataModif& modif)
{
    const Counts before = countsOf(billet);
    bool updated = true;
    switch (modif.TYPE) {
    case MODIF_DELETE:
        updated = billet.setIsDeletedSql(*m_db, m_mutex);
        break;
    case MODIF_PUNCH_LAST:
        updated = billet.punchSql(*m_db, m_mutex, true);
        break;
    case MODIF_PUNCH:
        updated = billet.punchSql(*m_db, m_mutex, false);
        break;
    case MODIF_UNPUNCH_LAST:
    case MODIF_UNPUNCH:
        updated = billet.unpunchSql(*m_db, m_mutex);
        break;
    default:
        return true;
    }
    // A full load counts its totals at the end.
    if (m_isDelta) {
        addChange(before, countsOf(billet));
    }
    return updated;
}
