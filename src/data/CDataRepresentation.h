#pragma once

#include "data/CDataListe.h"

#include <QMutex>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

// A performance of an event or a pass: table REPRESENTATION of the main database,
// keyed by (ID, EVENEMENT_ID). Dates are the service's texts "yyyy-MM-dd hh:mm:ss",
// kept as sent; their text order is their order in time.
//
// Every SQL operation runs one statement on the connection it is given, holding
// `mutex` (may be null, must not be held by the caller) for that statement only.
// Failures are logged at level 2 and reported through the result only. Any thread.
class CDataRepresentation
{
public:
    unsigned int ID = 0;
    unsigned int EVENEMENT_ID = 0;
    QString DATE_DEBUT;
    QString DATE_FIN;
    QString DATE_FIN_VENTE;
    QString NOM_SALLE;
    QString NOM_EVT;
    unsigned int NB_TICKET = 0;
    unsigned int NB_PLACE = 0;

    // Numbers 0, names empty, the three dates "1970-01-01 00:00:00" (unset).
    void initDefaut();

    // Reads the row (id, evenementId). True when the statement ran; a miss leaves the
    // record as it was.
    bool initParSql(QSqlDatabase& db, QMutex* mutex, unsigned int id, unsigned int evenementId);
    // Writes the record, replacing the row with the same (ID, EVENEMENT_ID); the SQLite
    // row number, 0 on failure.
    unsigned int ajouteSql(QSqlDatabase& db, QMutex* mutex) const;
    // Rewrites every column but ID of the rows whose ID is the record's ID (or `key`),
    // whatever their event. False on failure.
    bool sauvegardeParSql(QSqlDatabase& db, QMutex* mutex) const;
    bool sauvegardeParSql(QSqlDatabase& db, QMutex* mutex, unsigned int key) const;
    // Deletes the row (ID, EVENEMENT_ID). False on failure only.
    bool deleteSql(QSqlDatabase& db, QMutex* mutex) const;

    // Statement pieces, shared with the list.
    static QString selectSql();
    static QString insertHead();
    QString valuesSql() const;
    void readRow(const QSqlQuery& query);
};

// Performances keyed by ID alone, so walked in ascending ID whatever the statement's
// order; of two rows sharing an ID, the later in start order stays.
class CDataRepresentationListe : public CDataListe<unsigned int, CDataRepresentation>
{
public:
    // Replaces the content with every performance; false (list empty) on failure.
    bool initParSql(QSqlDatabase& db, QMutex* mutex);
    // Replaces the content with the performances of one event or pass.
    bool initParSql(QSqlDatabase& db, QMutex* mutex, unsigned int evenementId);
    // Writes every entry in key order, at most 100 rows a statement; false when one failed.
    bool ajouteSql(QSqlDatabase& db, QMutex* mutex) const;
    // See CDataListe::saveEach.
    void sauvegardeParSql(QSqlDatabase& db, QMutex* mutex, CDataRepresentationListe* other);
    // Copies the entry under `key` into `out`; false for 0 or a missing key.
    bool affecteRepresentation(unsigned int key, CDataRepresentation& out) const;
    void dropList();

private:
    bool loadWhere(QSqlDatabase& db, QMutex* mutex, const QString& clause);
};
