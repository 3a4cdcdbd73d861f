#pragma once

#include "core/CParam.h"

#include "StandinServer.h"

#include <QCryptographicHash>
#include <QSqlDatabase>
#include <QString>

// What the lane's driving and its checks share.
namespace trials::lane
{

inline QString ticketKey(const QString& barcode, unsigned int editeurId)
{
    return barcode + QLatin1Char('|') + QString::number(editeurId);
}

inline QString itemKey(const standin::ReceivedPunch& punch)
{
    return punch.listKey + QLatin1Char('|') + ticketKey(punch.barcode, punch.editeurId) + QLatin1Char('|') + punch.date;
}

// Runs `body` on a connection of its own to `path`; false when it cannot be opened.
template <typename Body>
bool withDatabase(const QString& path, Body body)
{
    static int counter = 0;
    const QString name = QStringLiteral("trial-%1").arg(++counter);
    bool opened = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        opened = db.open();
        if (opened) {
            body(db);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return opened;
}

// The settings an agent typed once on the settings and login pages, in a new
// param.ini of `folder`: the service, the remembered login "demo" of zone 1, and the
// request time-out; `agentId`, when given, as an earlier online login left it.
inline bool writeAgentSettings(const QString& folder,
                               const QString& serviceUrl,
                               bool crypt,
                               const QString& timeout,
                               const QString& agentId = QString())
{
    CParam settings;
    settings.isCrypt = crypt;
    if (!settings.charge(folder, true)) {
        return false;
    }
    settings.initParametre(URL, serviceUrl);
    settings.initParametre(LOGIN_KEST, QStringLiteral("demo"));
    settings.initParametre(PASSWORD_KEST,
                           QString::fromLatin1(QCryptographicHash::hash("demo", QCryptographicHash::Md5).toHex()));
    settings.initParametre(AGENT_KEST, QStringLiteral("1"));
    settings.initParametre(REMEMBER_PASSWORD, QStringLiteral("Sauvegarder Mot De Passe"));
    settings.initParametre(ZONE_KEST, QStringLiteral("1"));
    settings.initParametre(MY_AGENT_ID, agentId);
    settings.initParametre(TIMEOUT, timeout);
    return settings.sauvegarde(folder, true);
}

}  // namespace trials::lane
