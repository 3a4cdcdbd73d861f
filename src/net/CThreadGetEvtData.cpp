#include "core/CParam.h"
#include "core/Database.h"
#include "core/Log.h"
#include "core/Util.h"
#include "data/CDataEvenement.h"
#include "data/CDataRepresentation.h"
#include "data/SqlRunner.h"
#include "net/CThreadGet.h"
#include "net/CThreadGetJson.h"
#include "net/CThreadGetRun.h"
#include "net/JsonReply.h"

#include <QJsonArray>
#include <QMutexLocker>

using jsonreply::toText;
using jsonreply::toUInt32;
using ticketlist::member;

namespace
{

// The event (or pass) of an event file and its performances, as the event list
// stores them.
struct EvtDataWriter
{
    QSqlDatabase& db;
    unsigned int type = 0;
    unsigned int lastEventId = 0;
    unsigned int lastRepId = 0;

    bool write(const QJsonObject& entry)
    {
        CDataEvenement evenement;
        evenement.initDefaut();
        evenement.ID = toUInt32(member(entry, "id"));
        evenement.IMAGE = toText(member(entry, "image"));
        evenement.NOM = toText(member(entry, "nom"));
        evenement.TYPE = type;
        if (evenement.ajouteSql(db, nullptr) == 0) {
            return false;
        }
        lastEventId = evenement.ID;

        CDataRepresentationListe representations;
        const QJsonArray replist = member(entry, "replist").toArray();
        for (const QJsonValue& value : replist) {
            const QJsonObject object = value.toObject();
            CDataRepresentation representation;
            representation.initDefaut();
            representation.ID = toUInt32(member(object, "id"));
            representation.EVENEMENT_ID = evenement.ID;
            representation.DATE_DEBUT = toText(member(object, "debut"));
            representation.DATE_FIN = toText(member(object, "fin"));
            representation.DATE_FIN_VENTE = toText(member(object, "finvente"));
            representation.NB_PLACE = toUInt32(member(object, "nbplace"));
            representation.NB_TICKET = toUInt32(member(object, "nbticket"));
            representation.NOM_EVT = toText(member(object, "evtnom"));
            representation.NOM_SALLE = toText(member(object, "salle"));
            // Keyed by ID, 0 included: ajoute would take 0 for the list's size and could
            // overwrite the performance stored under that number.
            representations.insert(representation.ID, representation);
            lastRepId = representation.ID;
            if (representations.size() > 99 && !flush(representations)) {
                return false;
            }
        }
        return representations.isEmpty() || flush(representations);
    }

    bool flush(CDataRepresentationListe& representations)
    {
        const bool written = representations.ajouteSql(db, nullptr);
        representations.dropList();
        return written;
    }
};

}  // namespace

bool TicketListRun::applySettings()
{
    const QJsonObject params = member(m_document, "params").toObject();
    if (jsonreply::toInteger(member(params, "dwd")) != 1) {
        return false;
    }
    const QJsonValue zone = member(params, "zo");
    gParam->initParametre(ZONE_KEST, toText(zone));
    gParam->initParametre(REP_JOUR, jsonreply::toInteger(zone) == 0 ? QStringLiteral("0") : QStringLiteral("1"));
    if (!gParam->sauvegarde(QString(), false)) {
        enregistreLog(3, QStringLiteral("Erreur de sauvegarde des parametres de la liste des billets"), false);
    }
    return true;
}

void TicketListRun::storeEventData(QMutex* mutex)
{
    const QJsonObject evtData = member(m_document, "evtData").toObject();
    if (evtData.isEmpty()) {
        return;
    }
    emit m_worker.signalProgressText(message(8));
    QJsonObject entries = member(evtData, "event").toObject();
    unsigned int type = 0;
    if (entries.isEmpty()) {
        entries = member(evtData, "pont").toObject();
        if (entries.isEmpty()) {
            return;
        }
        type = 1;
        emit m_worker.signalProgressText(message(9));
    }
    emit m_worker.signalProgressMax(static_cast<uint>(entries.size()));
    emit m_worker.signalProgressValue(0);

    ThreadConnection connection(QStringLiteral("CThreadGet-evt"));
    if (!openBDD(connection.db(), mutex)) {
        return;
    }
    EvtDataWriter writer{connection.db(), type};
    bool stored = false;
    {
        // The main database is the GUI's too: hold the mutex for these few rows, so
        // that none of its writes meets the file locked.
        QMutexLocker lock(mutex);
        sqlrun::Transaction transaction(connection.db(), nullptr);
        stored = transaction.isOpen();
        uint done = 0;
        const QStringList names = ticketlist::sortedKeys(entries);
        for (const QString& name : names) {
            stored = stored && writer.write(entries.value(name).toObject());
            if (!stored) {
                break;
            }
            emit m_worker.signalProgressValue(++done);
            if (type == 0) {
                utilSleep(1);
            }
        }
        stored = stored && transaction.commit();
    }
    if (!stored) {
        enregistreLog(3, QStringLiteral("Evenement de la liste des billets non enregistre"), false);
        return;
    }
    const QJsonObject params = member(m_document, "params").toObject();
    emit m_worker.signalRepFile(writer.lastEventId, type, writer.lastRepId, toText(member(params, "id")));
}
