#include "net/CThreadEvt.h"

#include "core/CAffichage.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "core/Log.h"
#include "core/ThreadEnd.h"
#include "core/Util.h"
#include "net/EventListWriter.h"
#include "net/JsonReply.h"

#include <QDebug>

CThreadEvt::CThreadEvt(QObject* parent)
    : QThread(parent)
{}

CThreadEvt::~CThreadEvt()
{
    wait();
    threadend::joined(this);
}

void CThreadEvt::setData(const QByteArray& data, const QSqlDatabase& db, QMutex* mutex)
{
    this->data = data;
    this->db = db;
    this->mutex = mutex;
}

void CThreadEvt::run()
{
    const threadend::RunEnd end(this);
    qDebug() << "ThreadEvt running...";
    const int language = currentLangue();
    bool parsed = false;
    const QVariantMap reply = jsonreply::parseObject(data, &parsed);
    if (!parsed) {
        enregistreLog(3,
                      QStringLiteral("Erreur de decodage de la reponse JSON de la recuperation des representations."),
                      false);
        emit signalError(gAffichage->getTraduction(language, 100), gAffichage->getMessage(language, 3));
        return;
    }
    if (jsonreply::toText(reply.value(QStringLiteral("request"))) != QLatin1String("getEvents")) {
        return;
    }
    gParam->sessionId.set(jsonreply::toText(reply.value(QStringLiteral("sessionID"))));

    // The window's connection stays wherever the window puts it meanwhile.
    ThreadConnection connection(QStringLiteral("threadEvt"));
    if (!openBDD(connection.db(), mutex)) {
        return;
    }
    EventListWriter writer(connection.db(), mutex);
    const QVariantMap events = reply.value(QStringLiteral("events")).toMap();

    const QVariantMap eventMap = events.value(QStringLiteral("event")).toMap();
    emit signalProgressText(gAffichage->getMessage(language, 8));
    if (!eventMap.isEmpty()) {
        emit signalProgressMax(static_cast<uint>(eventMap.size()));
    }
    emit signalProgressValue(0);
    writer.write(eventMap, 0, [this](unsigned int done) {
        emit signalProgressValue(done);
        utilSleep(1);
    });

    const QVariantMap passMap = events.value(QStringLiteral("pont")).toMap();
    if (passMap.isEmpty()) {
        return;
    }
    emit signalProgressText(gAffichage->getMessage(language, 9));
    emit signalProgressMax(static_cast<uint>(passMap.size()));
    emit signalProgressValue(0);
    writer.write(passMap, 1, [this](unsigned int done) {
        emit signalProgressValue(done);
    });
}
