#pragma once

#include <QMutex>
#include <QSqlDatabase>
#include <QString>

// Path of the main database: <app folder>/db/kest.db.
QString mainDatabasePath();

// Points `db` at the main database, creating the file and its missing tables.
// Holds `mutex` (may be null) for the whole call; on failure logs, shows a warning
// box once the mutex is released, and returns false.
bool openBDD(QSqlDatabase& db, QMutex* mutex);
// As openBDD, for a main database built under another name at `path` before it
// takes the place of the main one.
bool openStagingBDD(QSqlDatabase& db, QMutex* mutex, const QString& path);
// Closes `db` and removes every "*.db" file of the database folder. Connections of
// other threads open on those files are retired: their next statement fails.
bool dropBDD(QSqlDatabase& db, QMutex* mutex);

// Points `db` at the ticket-list database `path`, creating it and its missing tables.
bool openRepBDD(QSqlDatabase& db, QMutex* mutex, QString path);
// Removes the ticket-list database `path`; closes `db` first when its database name
// is that very text. Other connections open on the file are retired.
bool dropRepBDD(QSqlDatabase& db, QMutex* mutex, QString path);

// Removes a database file and the rollback journal a stop may have left beside it:
// a new database of that name would otherwise take the old journal as its own and
// "roll back" pages of another file into itself. False when the file stays.
bool removeDatabaseFile(const QString& path);

// Writes the four rows with id 0 of a fresh ticket-list database. False when one of
// them failed (each failure is logged).
bool createDefaultValuesRepBDD(QSqlDatabase& db, QMutex* mutex);

// Empties the tables of the ticket-list database `db` is open on, in place, keeping
// the journal rows waiting for upload (STATUS 1) with their IDs, then writes the
// default rows. Meant to run inside the caller's transaction, so that the file is
// never without its pending punches. `mutex` (may be null) is held per statement.
// False at the first failed statement (logged).
bool resetRepBDD(QSqlDatabase& db, QMutex* mutex);

// Makes the database file `path` reachable as `name` on `db`, which stays on its own
// file, so that one transaction can change both. False (logged) on failure.
bool attachBDD(QSqlDatabase& db, QMutex* mutex, const QString& path, const QString& name);
// Undoes attachBDD; harmless when `name` is not attached.
void detachBDD(QSqlDatabase& db, QMutex* mutex, const QString& name);

// For the statement runner, with the database mutex held: false (and the connection
// closed) when the file `db` was open on has been removed by a drop since.
bool checkConnectionAlive(QSqlDatabase& db);

// A connection of its own for the calling thread, removed when this object goes.
// The GUI thread keeps the default connection; each worker makes one of these in
// its run() and hands db() to openBDD/openRepBDD and the data classes.
class ThreadConnection
{
public:
    explicit ThreadConnection(const QString& purpose);
    ~ThreadConnection();
    ThreadConnection(const ThreadConnection&) = delete;
    ThreadConnection& operator=(const ThreadConnection&) = delete;

    QSqlDatabase& db();

private:
    QString m_name;
    QSqlDatabase m_db;
};
