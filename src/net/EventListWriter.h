#pragma once

#include <QMutex>
#include <QSqlDatabase>
#include <QVariantMap>

#include <functional>

class CDataRepresentationListe;

// Writes the events or passes of an event list into the main database, in the form
// shared by the "getEvents" reply and a ticket-list file's event data: one member per
// event ({"id", "image", "nom", "replist": [performances]}), taken in ascending order
// of the member names. Rows are replaced on their keys; nothing is deleted first.
// Any thread, on a connection of its own open on the main database.
class EventListWriter
{
public:
    // What a failed statement does to the rest of the write.
    enum class OnFailure
    {
        // Each statement stands alone: the next ones are written all the same.
        GoOn,
        // The caller holds a transaction it will roll back: nothing more is written.
        Stop,
    };

    EventListWriter(QSqlDatabase& db, QMutex* mutex, OnFailure onFailure = OnFailure::GoOn);

    // Writes every entry of `entries` with TYPE `type` (0 event, 1 pass): its
    // EVENEMENT row, then its performances in statements of at most 100 rows, never
    // mixed with the next entry's. `afterEach(k)` runs after the k-th entry (from 1).
    // False when a statement failed.
    bool write(const QVariantMap& entries, unsigned int type, const std::function<void(unsigned int)>& afterEach);

    // The ID of the entry written last, and of the last performance read (0 before any).
    unsigned int lastEventId = 0;
    unsigned int lastRepId = 0;

private:
    bool writeEntry(const QVariantMap& entry, unsigned int type);
    bool flush(CDataRepresentationListe& performances);

    QSqlDatabase& m_db;
    QMutex* m_mutex;
    const OnFailure m_onFailure;
};
