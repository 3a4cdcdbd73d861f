#include "net/EventListWriter.h"

#include "data/CDataEvenement.h"
#include "data/CDataRepresentation.h"
#include "net/JsonReply.h"

#include <QDebug>

using jsonreply::toText;
using jsonreply::toUInt32;

EventListWriter::EventListWriter(QSqlDatabase& db, QMutex* mutex, OnFailure onFailure)
    : m_db(db)
    , m_mutex(mutex)
    , m_onFailure(onFailure)
{}

bool EventListWriter::write(const QVariantMap& entries,
                            unsigned int type,
                            const std::function<void(unsigned int)>& afterEach)
{
    bool written = true;
    unsigned int count = 0;
    for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
        if (!writeEntry(it.value().toMap(), type)) {
            written = false;
            if (m_onFailure == OnFailure::Stop) {
                return false;
            }
        }
        afterEach(++count);
    }
    return written;
}

bool EventListWriter::writeEntry(const QVariantMap& entry, unsigned int type)
{
    const bool stop = m_onFailure == OnFailure::Stop;
    const char* const word = type == 0 ? "evt " : "pont ";
    CDataEvenement evenement;
    evenement.initDefaut();
    evenement.ID = toUInt32(entry.value(QStringLiteral("id")));
    evenement.IMAGE = toText(entry.value(QStringLiteral("image")));
    evenement.NOM = toText(entry.value(QStringLiteral("nom")));
    evenement.TYPE = type;
    bool written = evenement.ajouteSql(m_db, m_mutex) != 0;
    if (!written && stop) {
        return false;
    }
    lastEventId = evenement.ID;

    CDataRepresentationListe performances;
    // Only an array: a text would convert to a list of one performance.
    const QVariant replistValue = entry.value(QStringLiteral("replist"));
    const QVariantList replist =
        replistValue.typeId() == QMetaType::QVariantList ? replistValue.toList() : QVariantList();
    for (const QVariant& element : replist) {
        const QVariantMap item = element.toMap();
        CDataRepresentation representation;
        representation.initDefaut();
        representation.ID = toUInt32(item.value(QStringLiteral("id")));
        representation.EVENEMENT_ID = evenement.ID;
        representation.DATE_DEBUT = toText(item.value(QStringLiteral("debut")));
        representation.DATE_FIN = toText(item.value(QStringLiteral("fin")));
        representation.DATE_FIN_VENTE = toText(item.value(QStringLiteral("finvente")));
        representation.NB_PLACE = toUInt32(item.value(QStringLiteral("nbplace")));
        representation.NB_TICKET = toUInt32(item.value(QStringLiteral("nbticket")));
        representation.NOM_EVT = toText(item.value(QStringLiteral("evtnom")));
        representation.NOM_SALLE = toText(item.value(QStringLiteral("salle")));
        // Keyed by its ID, 0 included: a size key could land on a sibling's ID.
        performances.insert(representation.ID, representation);
        lastRepId = representation.ID;
        if (performances.size() > 99) {
            written = flush(performances) && written;
            if (!written && stop) {
                return false;
            }
        }
    }
    if (!performances.isEmpty()) {
        written = flush(performances) && written;
        qDebug() << word << evenement.ID << " : " << replist.size() << " rep inserees";
    }
    qDebug() << word << evenement.ID << " : OK";
    return written;
}

// The list is emptied even when its statement fails: those rows are not retried.
bool EventListWriter::flush(CDataRepresentationListe& performances)
{
    const bool written = performances.ajouteSql(m_db, m_mutex);
    performances.dropList();
    return written;
}
