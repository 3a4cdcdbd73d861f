#pragma once

#include "data/CDataListe.h"

#include <QMutex>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

// A performance covered by a ticket list: table REP of a ticket-list database, with
// the number of punches a ticket of it allows. Dates are the stored texts
// "yyyy-MM-dd hh:mm:ss", never parsed here.
//
// Every SQL operation runs one statement on the connection it is given, holding
// `mutex` (may be null, must not be held by the caller) for that statement only.
// Failures are logged at level 2 and reported through the result only. Any thread.
class CDataRep
{
public:
    unsigned int ID = 0;
    unsigned int EVENT_ID = 0;
    QString DATE_DEBUT;
    QString DATE_FIN;
    unsigned int NB_COMPOSTAGE = 0;

    // IDs 0, the widest date range (1970 to the open end 2170) and one punch.
    void initDefaut();

    // Resets the record to its defaults, then reads the row `id`. True when the
    // statement ran: a miss leaves the defaults, ID 0 included.
    bool initParSql(QSqlDatabase& db, QMutex* mutex, unsigned int id);
    // Writes the record, replacing the row with the same ID; the row number, 0 on failure.
    unsigned int ajouteSql(QSqlDatabase& db, QMutex* mutex) const;
    // Rewrites the row whose ID is the record's ID (or `key`); false on failure.
    bool sauvegardeParSql(QSqlDatabase& db, QMutex* mutex) const;
    bool sauvegardeParSql(QSqlDatabase& db, QMutex* mutex, unsigned int key) const;

    // Statement pieces, shared with the list.
    static QString selectSql();
    static QString insertHead();
    QString valuesSql() const;
    void readRow(const QSqlQuery& query);
};

class CDataRepListe : public CDataListe<unsigned int, CDataRep>
{
public:
    // Replaces the content with every row of REP, keyed by ID; false (list empty) on failure.
    bool initParSql(QSqlDatabase& db, QMutex* mutex);
    // Writes every entry in key order, at most 100 rows a statement; false when one failed.
    bool ajouteSql(QSqlDatabase& db, QMutex* mutex) const;
    // See CDataListe::saveEach.
    void sauvegardeParSql(QSqlDatabase& db, QMutex* mutex, CDataRepListe* other);
    // Copies the entry under `key` into `out`; false for 0 or a missing key.
    bool affecteRep(unsigned int key, CDataRep& out) const;
    void dropList();
};
