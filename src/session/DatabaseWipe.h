#pragma once

#include <QMutex>
#include <QSqlDatabase>
#include <QString>

class CDataVidangeListe;

// The wipe of every local database, at a login by another organiser and at a change
// of zone. Unsent punches survive it in the drain queue of the new main database.
namespace databasewipe
{

// Where the new main database is built: a name that does not end in ".db", so that
// neither the wipe nor the drain collection takes it for a database of the folder.
QString stagingPath();
// The new main database once it holds every row: from the moment it has this name,
// the wipe is certain to be finished, at the next start if the program stops.
QString readyPath();

// `drainRows` receives the drain queue and every pending journal row of every ticket
// list; a new main database is built at stagingPath() with those rows (and with the
// zones when `keepZones` is set) and read back; only then are the ".db" files deleted
// and the new database renamed "kest.db". So every unsent row is on disk at every
// moment. A file that cannot be deleted is logged and the wipe goes on.
// False, after a log line, when a database could not be read or the new one could not
// be written in full: nothing is deleted then. Also false when the new database could
// not take the old one's place, which then stays at stagingPath() with every row.
// `db` ends on the main database. GUI thread.
bool run(QSqlDatabase& db, QMutex* mutex, bool keepZones, CDataVidangeListe& drainRows);

// At start, before the main database is opened: a wipe stopped after its new main
// database was complete is carried to its end (the remaining ".db" files deleted, the
// new one renamed "kest.db"); a new main database left half-built is removed, the old
// files being whole. False, after a log line, when the new one cannot take its place.
bool finishInterrupted(QSqlDatabase& db, QMutex* mutex);

}  // namespace databasewipe
