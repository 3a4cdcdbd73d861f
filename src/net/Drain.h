#pragma once

#include <QMutex>
#include <QSqlDatabase>

class CDataDelta;
class CDataModif;
class CDataVidange;
class CDataVidangeListe;

// The drain queue VIDANGE of the main database: the unsent journal rows of ticket
// lists that were deleted, each with the context (login, password, zone, delta) of
// the list it came from. GUI thread, on the window's connection.
namespace drain
{

// The drain row of one pending journal row of a ticket list whose newest DELTA row
// (or the DELTA defaults) is `delta`. ID 0: the table gives it one when written.
CDataVidange rowFor(const CDataModif& pending, const CDataDelta& delta);

// Before every database file is deleted: `rows` gets every VIDANGE row (keyed by
// ID), then, after them, every pending journal row of every other "*.db" file of
// the database folder (files by name without regard to case, rows in ID order),
// under new keys so that none replaces another. Nothing is changed on disk. `db` is
// moved from file to file and left open on the main database. False when a file or
// a table could not be read: `rows` may then miss some pending rows.
bool collect(QSqlDatabase& db, QMutex* mutex, CDataVidangeListe& rows);

}  // namespace drain
