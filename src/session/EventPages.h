#pragma once

#include "data/CDataEvenement.h"

#include <QChar>
#include <QDateTime>
#include <QMutex>
#include <QSqlDatabase>
#include <QString>

// The list behind the event pages, apart from the window.
namespace eventpages
{

inline constexpr int kTilesPerPage = 6;

// Pages for `entries` entries: 1 for none, then one more for every six.
int pageCount(int entries);

// The ticket-list database of a pass ('P', event id), a whole event ('E', event id)
// or a performance ('R', performance id) in the current zone.
QString repDatabasePath(QChar kind, unsigned int id);

// Whether a performance ended two days or more before `now`: its DATE_FIN plus two
// days is earlier. An end that cannot be read is never over.
bool isOver(const QString& dateFin, const QDateTime& now);

// Deletes from the main database the performances that are over and have no ticket
// list on disk, then the events and passes left without performance; returns the
// entries of `entries` that stay, in order. A pass, or an event whose whole-event
// list exists, keeps all its performances. The entry with ID 0 of a non-pass (all the
// events) is kept untouched. A failed delete is logged and the purge goes on. Any
// thread, on a connection open on the main database.
CDataEvenementListe purge(QSqlDatabase& db, QMutex* mutex, const CDataEvenementListe& entries, const QDateTime& now);

}  // namespace eventpages
