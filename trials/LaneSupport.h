#pragma once

#include "StandinServer.h"

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

}  // namespace trials::lane
