#pragma once

#include "data/CDataListe.h"

#include <QMutex>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

// Journal TYPE codes.
inline constexpr unsigned int MODIF_PUNCH_LAST = 3;    // punch that used the last entry
inline constexpr unsigned int MODIF_PUNCH = 8;         // punch that leaves entries
inline constexpr unsigned int MODIF_UNPUNCH_LAST = 4;  // un-punch leaving exactly one entry
inline constexpr unsigned int MODIF_UNPUNCH = 16;      // any other un-punch
inline constexpr unsigned int MODIF_FRAUDE = 99;       // fraud report; the ticket is unchanged
inline constexpr unsigned int MODIF_DELETE = 1;        // deleted on the service (downloaded only)

// Journal STATUS values.
inline constexpr unsigned int MODIF_STATUS_PENDING = 1;  // waiting for upload
inline constexpr unsigned int MODIF_STATUS_SENT = 0;     // acknowledged, downloaded, or never uploaded

// One journal row of MODIF: a punch, un-punch or fraud report made here, or an entry
// of the history sent by the service. ID is given by the database on insert.
//
// Every SQL operation runs one statement on the connection it is given, holding
// `mutex` (may be null, must not be held by the caller) for that statement only.
// Failures are logged at level 2 and reported through the result only. Any thread.
class CDataModif
{
public:
    unsigned int ID = 0;
    unsigned int TYPE = 0;
    QString AGENT_ID;
    unsigned int REP_ID = 0;
    unsigned int EDITEUR_ID = 0;
    unsigned int STATUS = 0;
    QString DATE;
    QString CODE_BARRE;
    QString NEW_VALUE;

    // Numbers 0, texts empty, DATE at the epoch.
    void initDefaut();

    // Adds this entry as a new row (ID not written); false when the statement failed.
    bool ajouteSql(QSqlDatabase& db, QMutex* mutex) const;
    // Marks the row ID sent; the record's STATUS becomes 0 whatever the outcome. True
    // also when no row has that ID; false when the statement failed.
    bool synchroSql(QSqlDatabase& db, QMutex* mutex);

    // Sets `found` when the journal holds an entry of this barcode, issuer and date
    // whose TYPE is of the same kind (kindOf). False when the statement failed.
    bool existeSql(QSqlDatabase& db, QMutex* mutex, bool& found) const;

    // What the journal holds of the same punch as this entry (existeSql), by origin;
    // another agent's row of the same second is none of them.
    struct Held
    {
        // Written here: waiting for upload, or marked sent (REP_ID set).
        bool pending = false;
        bool local = false;
        // A row of the service's history (REP_ID 0) naming the agent asked about: the
        // service holds the punch, and the counts it sends have it.
        bool service = false;

        bool recorded() const
        {
            return pending || local || service;
        }
    };

    // Fills `held` for this entry's barcode, issuer, date and kind; `agent` is this
    // terminal's agent. False when the statement failed.
    bool heldSql(QSqlDatabase& db, QMutex* mutex, const QString& agent, Held& held) const;
    // Deletes the rows written here and marked sent (STATUS 0, REP_ID set) of this
    // entry's barcode, issuer, date and kind. False when the statement failed.
    bool deleteSentLocalSql(QSqlDatabase& db, QMutex* mutex) const;
    // The service's item is a ticket, issuer, kind and second: 3 and 8 are one kind (a
    // punch), 4 and 16 another (an un-punch); any other TYPE is its own.
    static unsigned int kindOf(unsigned int type);

    // Statement pieces, shared with the list and the punch transaction.
    static QString insertHead();
    QString valuesSql() const;
    QString ajouteStatement() const;
    // The same insert with placeholders, and its values in their order.
    static QString insertBoundStatement();
    QVariantList boundValues() const;
    void readRow(const QSqlQuery& query);

private:
    QString samePunchWhere() const;
};

class CDataModifListe : public CDataListe<unsigned int, CDataModif>
{
public:
    // Replaces the content with the pending entries (STATUS 1), keyed by ID. False
    // (list empty) when the statement failed.
    bool initLocalPunchParSql(QSqlDatabase& db, QMutex* mutex);
    // Replaces the content with the history of barcode `code` (exact) and issuer
    // `editeur`, keyed 0, 1, 2... newest DATE first. False (list empty) on failure.
    // `prepared`, when given, keeps the statement for the next ticket.
    bool initParSql(QSqlDatabase& db,
                    QMutex* mutex,
                    QString code,
                    unsigned int editeur,
                    sqlrun::Prepared* prepared = nullptr);
    // Deletes every entry of that barcode and issuer; the list is not used. False
    // when the statement failed.
    bool deleteSql(QSqlDatabase& db, QMutex* mutex, QString code, unsigned int editeur) const;
    static QString deleteStatement(const QString& code, unsigned int editeur);
    // Marks sent the pending entries up to ID `lastId` in the MODIF table of the attached
    // database `schema`. False when the statement failed.
    static bool markPendingSentSql(QSqlDatabase& db, QMutex* mutex, const QString& schema, unsigned int lastId);
    // Adds every entry as a new row, in key order, at most 100 rows a statement; the
    // new IDs follow the key order and identical entries are all kept. False when a
    // statement failed (the others are still written). The list keeps its content.
    bool ajouteSql(QSqlDatabase& db, QMutex* mutex) const;
    // Copies the entry under `key` into `out`; false for 0 or a missing key.
    bool affecteModif(unsigned int key, CDataModif& out) const;
    void dropList();
};
