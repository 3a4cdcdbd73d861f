#pragma once

#include "data/CDataListe.h"

#include <QMutex>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

// An event (TYPE 0) or a pass (TYPE 1) of the event list: table EVENEMENT of the
// main database, keyed by (ID, TYPE), so an event and a pass may share an ID.
//
// Every SQL operation runs one statement on the connection it is given, holding
// `mutex` (may be null, must not be held by the caller) for that statement only.
// Failures are logged at level 2 and reported through the result only. Any thread.
class CDataEvenement
{
public:
    QString NOM;
    QString IMAGE;
    unsigned int ID = 0;
    unsigned int TYPE = 0;

    // Empty texts, ID and TYPE 0.
    void initDefaut();

    // Reads the row (id, type). True when the statement ran; a miss leaves the record
    // as it was.
    bool initParSql(QSqlDatabase& db, QMutex* mutex, unsigned int id, unsigned int type);
    // Writes the record, replacing the row with the same (ID, TYPE); the row number,
    // 0 on failure.
    unsigned int ajouteSql(QSqlDatabase& db, QMutex* mutex) const;
    // Deletes the row (ID, TYPE); its performances stay. False on failure only.
    bool deleteSql(QSqlDatabase& db, QMutex* mutex) const;
    // Rewrites NOM, IMAGE and TYPE of the rows whose ID is the record's ID (or `key`):
    // the event and the pass of that ID alike. False on failure.
    bool sauvegardeParSql(QSqlDatabase& db, QMutex* mutex) const;
    bool sauvegardeParSql(QSqlDatabase& db, QMutex* mutex, unsigned int key) const;

    // Statement pieces, shared with the list.
    static QString insertHead();
    QString valuesSql() const;
    void readRow(const QSqlQuery& query);
};

// The events to show, keyed 0, 1, 2... in display order. Events are written one at a
// time, so the list has no multi-row write.
class CDataEvenementListe : public CDataListe<unsigned int, CDataEvenement>
{
public:
    // Replaces the content with the events and passes that have a performance: passes
    // first, then by performance start, one entry per ID. False (list empty) on failure.
    bool initParSql(QSqlDatabase& db, QMutex* mutex);
    // See CDataListe::saveEach.
    void sauvegardeParSql(QSqlDatabase& db, QMutex* mutex, CDataEvenementListe* other);
    // Copies the entry under `key` into `out`; false for 0 or a missing key.
    bool affecteEvenement(unsigned int key, CDataEvenement& out) const;
};
