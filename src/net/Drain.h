#pragma once

#include "data/CDataModif.h"

#include <QMutex>
#include <QSqlDatabase>

class CDataDelta;
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

// Moves the `pending` rows of the ticket list at `listPath` (whose context is
// `delta`) to VIDANGE, `db` being open on the main database. One transaction over
// both files writes them to VIDANGE and marks them sent in the list: a stop before
// the list is removed leaves each row pending in one place only, and the list still
// knows its own punches when a delta brings them back. False, nothing changed, when a
// step failed.
bool moveToQueue(QSqlDatabase& db,
                 QMutex* mutex,
                 const QString& listPath,
                 const CDataModifListe& pending,
                 const CDataDelta& delta);

// This terminal's punches that the service has not acknowledged yet, for a ticket list
// about to be asked for: every VIDANGE row, whatever zone or login it was made under,
// as journal rows keyed by their VIDANGE ID, with their TYPE, REP_ID, EDITEUR_ID,
// CODE_BARRE and DATE, this terminal's agent and STATUS sent.
//
// The reply's counts lack them unless its history names them, so the worker storing
// it applies them to the tickets it writes, as it does the list's own pending
// punches. Take them on the GUI thread when the getTickets request is sent, not when
// its reply comes (a row the drain sends in between is in neither), and hand them to
// CThreadGet::setDrained after setData and before start. `db` is the window's
// connection, open on the main database or on a ticket list (the main database is then
// attached for the read). Empty, logged, when the queue cannot be read.
CDataModifListe queuedPunches(QSqlDatabase& db, QMutex* mutex);

}  // namespace drain
