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

}  // namespace databasewipe
