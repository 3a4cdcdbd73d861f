#pragma once

#include "data/CDataModif.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QMutex>
#include <QSet>
#include <QSqlDatabase>
#include <QString>

#include <functional>

class CDataBillet;
class CDataModifListe;
class CThreadGet;

// One run of CThreadGet over a parsed document: the sections in their fixed order,
// the counts and the progress. Worker thread only.
class TicketListRun
{
public:
    // `drained`: this terminal's punches still in the drain queue (CThreadGet::setDrained).
    TicketListRun(CThreadGet& worker, const QJsonObject& document, bool isDelta, const CDataModifListe& drained);

    // Stores every section from "dt" to "modifs" through `db`, which must be inside a
    // transaction; a full load first empties the tables in place. Each statement
    // holds `mutex` (null when the caller holds it). False at the first failed
    // statement or when the worker is asked to stop: the caller rolls back.
    bool storeTickets(QSqlDatabase& db, QMutex* mutex);
    // The settings switch of "params"; true when it is on ("dwd" 1), which lets the
    // event data through.
    bool applySettings();
    // Writes "evtData" into the main database through a connection of the run's own,
    // holding `mutex` meanwhile, then reports the list's event and performance.
    void storeEventData(QMutex* mutex);

    int nbTicket() const;
    int nbPunched() const;

    // Line `line` of the message table in the settings' language.
    static QString message(int line);

private:
    struct Counts
    {
        int live = 0;
        int usedUp = 0;
    };

    using EntryWriter = std::function<bool(const QString& key, const QJsonValue& value)>;

    static Counts countsOf(const CDataBillet& billet);
    void addChange(const Counts& before, const Counts& after);
    bool interrupted() const;

    // The frame shared by the sections: progress, names in text order, one call per
    // member, the stop request.
    bool section(const char* member, int messageLine, const EntryWriter& writeEntry);
    template <typename Liste>
    bool flush(Liste& list);
    template <typename Liste, typename Fill>
    bool oneRecordSection(const char* member, int messageLine, Fill fill);
    template <typename Liste>
    bool idNomSection(const char* member, int messageLine);

    bool deltaRow();
    bool tickets();
    bool modifs();
    bool applyModif(const CDataModif& modif);
    bool applyTo(CDataBillet& billet, const CDataModif& modif);
    bool reapplyUnsent();
    bool reapply(const CDataModif& modif, bool sameRep, bool& applied, CDataModif::Held& held);

    CThreadGet& m_worker;
    const QJsonObject m_document;
    const bool m_isDelta;
    const CDataModifListe& m_drained;
    // The drain queue's punches as items (barcode as stored, issuer, second, kind).
    QSet<QString> m_queued;
    // This terminal's agent (MY_AGENT_ID).
    const QString m_agent;
    // The run's connection, while storeTickets runs.
    QSqlDatabase* m_db = nullptr;
    QMutex* m_mutex = nullptr;
    Counts m_change;
    // A delta's tickets, as stored: their rows (barcode and issuer) and their barcodes.
    QSet<QString> m_written;
    QSet<QString> m_writtenBarcodes;
};
