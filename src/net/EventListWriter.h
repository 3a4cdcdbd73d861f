#pragma once

#include <QMutex>
#include <QSqlDatabase>
#include <QVariantMap>

#include <functional>

// Writes the events or passes of an event list into the main database, in the form
// shared by the "getEvents" reply and a ticket-list file's event data: one member per
// event ({"id", "image", "nom", "replist": [performances]}), taken in ascending order
// of the member names. Rows are replaced on their keys; nothing is deleted first.
// Any thread, on a connection of its own open on the main database.
class EventListWriter
{
public:
    EventListWriter(QSqlDatabase& db, QMutex* mutex);

    // Writes every entry of `entries` with TYPE `type` (0 event, 1 pass): its
    // EVENEMENT row, then its performances in statements of at most 100 rows, never
    // mixed with the next entry's. `afterEach(k)` runs after the k-th entry (from 1).
    void write(const QVariantMap& entries, unsigned int type, const std::function<void(unsigned int)>& afterEach);

    // The ID of the entry written last, and of the last performance read (0 before any).
    unsigned int lastEventId = 0;
    unsigned int lastRepId = 0;

private:
    QSqlDatabase& m_db;
    QMutex* m_mutex;
};
