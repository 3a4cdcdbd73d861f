#pragma once

#include "data/CDataListe.h"

#include <QMutex>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

// Issuer of the tickets added on this terminal (local form, offline check, CSV import).
inline constexpr unsigned int EDITEUR_LOCAL_ID = 99999999;

// One ticket: a row of BILLET in a ticket-list database, identified by
// (CODE_BARRE, EDITEUR_ID). ID is the service's id and 0 for terminal-made tickets.
//
// Every SQL operation runs on the connection it is given and holds `mutex` (may be
// null, must not be held by the caller) for its statements only. Failures are logged
// at level 2 and reported through the result only. Any thread.
class CDataBillet
{
public:
    unsigned int ID = 0;
    unsigned int EDITEUR_ID = 0;
    unsigned int REP_ID = 0;
    unsigned int CANAL_VENTE_ID = 0;
    unsigned int IS_USABLE = 0;
    unsigned int IS_DELETED = 0;
    QString NOM_PORTEUR;
    QString PRENOM_PORTEUR;
    QString TEL_PORTEUR;
    QString NOM_ACHETEUR;
    QString PRENOM_ACHETEUR;
    QString TEL_ACHETEUR;
    QString DATE_ACHAT;
    QString IMAGE;
    QString MAIL;
    QString CODE_BARRE;
    // Entries still allowed; 0 = used up.
    unsigned int NB_COMPOSTAGE = 0;

    // Ids 0, usable, not deleted, one entry, texts empty, purchase date at the epoch.
    void initDefaut();

    // Reads the ticket of `codeBarre` (letter case ignored) sold by `editeurId`. True
    // when a row was read; false on a miss or a failed statement, the record untouched.
    // `failed`, when given, tells the two apart.
    bool initParSql(QSqlDatabase& db, QMutex* mutex, QString codeBarre, unsigned int editeurId, bool* failed = nullptr);
    // Reads the row of exactly this barcode and issuer (the key a list write replaces).
    // `found` says whether there was one; false when the statement failed.
    bool initParSqlExact(QSqlDatabase& db, QMutex* mutex, QString codeBarre, unsigned int editeurId, bool& found);

    // Uses up one entry (never below 0) and, with `lastUse`, makes the ticket unusable.
    // The change applies to the stored row as read under the mutex, so a punch written
    // meanwhile by another thread is kept; the record ends with the written values.
    // A missing row is no error: the record's own values are changed. False when a
    // statement failed.
    bool punchSql(QSqlDatabase& db, QMutex* mutex, bool lastUse);
    // Gives one entry back and makes the ticket usable; as punchSql otherwise.
    bool unpunchSql(QSqlDatabase& db, QMutex* mutex);
    // Marks the ticket deleted (record and row); false when the statement failed.
    bool setIsDeletedSql(QSqlDatabase& db, QMutex* mutex);
    // Marks the record deleted and removes its row; false when the statement failed.
    bool deleteSql(QSqlDatabase& db, QMutex* mutex);
    // Writes the whole ticket, replacing the row of the same barcode and issuer.
    // Returns the row number SQLite gave it, 0 on failure.
    unsigned int ajouteSql(QSqlDatabase& db, QMutex* mutex) const;

    // Statement pieces, shared with the list and the local-ticket writes.
    static QString selectSql();
    static QString insertHead();
    QString valuesSql() const;
    QString ajouteStatement() const;
    static QString deleteStatement(const QString& code, unsigned int editeur);
    void readRow(const QSqlQuery& query);
};

// Tickets by key. The exact lookup keys them by ID and keeps every row (several under
// one key, the row read last first); writers add under the size key 0, 1, 2...
class CDataBilletListe : public CDataMultiListe<unsigned int, CDataBillet>
{
public:
    // Replaces the content with every ticket whose barcode is exactly `codeBarre`,
    // whatever its issuer. False (list empty) only when the statement failed.
    // `prepared`, when given, keeps the statement for the next lookup.
    bool
    initParSqlByCodeBarre(QSqlDatabase& db, QMutex* mutex, QString codeBarre, sqlrun::Prepared* prepared = nullptr);
    // Writes every entry in key order, at most 100 rows a statement, each replacing
    // the row of the same barcode and issuer. False when a statement failed; the
    // others are still written. The list keeps its content.
    bool ajouteSql(QSqlDatabase& db, QMutex* mutex) const;
    void dropList();

    // Counts the live tickets (not deleted) and, among them, those with no entry left,
    // as the scan gauge does. False when the statement failed.
    static bool compteSql(QSqlDatabase& db, QMutex* mutex, int& live, int& usedUp);
};
