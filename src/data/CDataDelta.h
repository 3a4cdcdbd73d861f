#pragma once

#include <QMutex>
#include <QSqlDatabase>
#include <QString>

// How far a ticket list has been brought up to date: a row of DELTA, one per delta
// id received; the row written last is the current one.
//
// Every SQL operation runs one statement on the connection it is given, holding
// `mutex` (may be null, must not be held by the caller) for that statement only.
// Failures are logged at level 2 and reported through the result only. Any thread.
class CDataDelta
{
public:
    QString LAST_UPDATE;
    unsigned int ID = 0;
    QString LOGIN;
    QString PASSWORD;
    unsigned int ZONE_ID = 0;

    // ID and zone 0, login and password empty, LAST_UPDATE at the epoch.
    void initDefaut();

    // Reads the current row. True when the statement ran, also on an empty table,
    // which leaves the record as it was: call initDefaut first.
    bool initParSql(QSqlDatabase& db, QMutex* mutex);
    // Writes the record, replacing the row of the same ID. Returns the row number
    // SQLite gave it, 0 on failure.
    unsigned int ajouteSql(QSqlDatabase& db, QMutex* mutex) const;
};
