#include "core/CParam.h"
#include "core/Database.h"
#include "core/Log.h"
#include "core/Util.h"
#include "data/SqlRunner.h"
#include "net/CThreadGet.h"
#include "net/CThreadGetJson.h"
#include "net/CThreadGetRun.h"
#include "net/EventListWriter.h"
#include "net/JsonReply.h"

#include <QMutexLocker>

using jsonreply::toText;
using ticketlist::member;

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
    EventListWriter writer(connection.db(), nullptr, EventListWriter::OnFailure::Stop);
    const auto afterEach = [this, type](unsigned int done) {
        emit m_worker.signalProgressValue(done);
        if (type == 0) {
            utilSleep(1);
        }
    };
    bool stored = false;
    {
        // The main database is the GUI's too: hold the mutex for these few rows, so
        // that none of its writes meets the file locked.
        QMutexLocker lock(mutex);
        sqlrun::Transaction transaction(connection.db(), nullptr);
        stored = transaction.isOpen() && writer.write(entries.toVariantMap(), type, afterEach) && transaction.commit();
    }
    if (!stored) {
        enregistreLog(3, QStringLiteral("Evenement de la liste des billets non enregistre"), false);
        return;
    }
    const QJsonObject params = member(m_document, "params").toObject();
    emit m_worker.signalRepFile(writer.lastEventId, type, writer.lastRepId, toText(member(params, "id")));
}
