#include "net/EventListWriter.h"

#include "data/CDataEvenement.h"
#include "data/CDataRepresentation.h"
#include "net/JsonReply.h"

#include <QDebug>

EventListWriter::EventListWriter(QSqlDatabase& db, QMutex* mutex)
    : m_db(db)
    , m_mutex(mutex)
{}

void EventListWriter::write(const QVariantMap& entries,
                            unsigned int type,
                            const std::function<void(unsigned int)>& afterEach)
{
    using jsonreply::toText;
    using jsonreply::toUInt32;
    const char* const word = type == 0 ? "evt " : "pont ";
    CDataRepresentationListe performances;
    unsigned int count = 0;
    for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
        const QVariantMap entry = it.value().toMap();
        CDataEvenement evenement;
        evenement.initDefaut();
        evenement.ID = toUInt32(entry.value(QStringLiteral("id")));
        evenement.IMAGE = toText(entry.value(QStringLiteral("image")));
        evenement.NOM = toText(entry.value(QStringLiteral("nom")));
        evenement.TYPE = type;
        evenement.ajouteSql(m_db, m_mutex);
        lastEventId = evenement.ID;

        const QVariantList replist = entry.value(QStringLiteral("replist")).toList();
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
                performances.ajouteSql(m_db, m_mutex);
                performances.dropList();
            }
        }
        if (!performances.isEmpty()) {
            performances.ajouteSql(m_db, m_mutex);
            qDebug() << word << evenement.ID << " : " << replist.size() << " rep inserees";
            performances.dropList();
        }
        qDebug() << word << evenement.ID << " : OK";
        afterEach(++count);
    }
}
