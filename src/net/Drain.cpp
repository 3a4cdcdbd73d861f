#include "net/Drain.h"

#include "core/AppFolder.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "core/Log.h"
#include "data/CDataDelta.h"
#include "data/CDataModif.h"
#include "data/CDataVidange.h"
#include "data/SqlRunner.h"
#include "net/RequestBody.h"

#include <QDir>

namespace drain
{

CDataVidange rowFor(const CDataModif& pending, const CDataDelta& delta)
{
    CDataVidange row;
    row.initDefaut();
    row.TYPE = pending.TYPE;
    row.REP_ID = pending.REP_ID;
    row.EDITEUR_ID = pending.EDITEUR_ID;
    row.DATE = pending.DATE;
    row.CODE_BARRE = pending.CODE_BARRE;
    row.LOGIN = delta.LOGIN;
    row.PASSWORD = delta.PASSWORD;
    row.ZONE_ID = delta.ZONE_ID;
    row.DELTA_ID = delta.ID;
    row.DELTA_DATE = delta.LAST_UPDATE;
    return row;
}

bool collect(QSqlDatabase& db, QMutex* mutex, CDataVidangeListe& rows)
{
    bool read = openBDD(db, mutex) && rows.initParSql(db, mutex);
    unsigned int nextKey = rows.isEmpty() ? 1 : rows.lastKey() + 1;

    const QStringList names =
        QDir(dbFolder()).entryList(QStringList(QStringLiteral("*.db")), QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names) {
        // The wipe deletes "*.DB" too: its rows are collected as well.
        if (!name.endsWith(QLatin1String(".db"), Qt::CaseInsensitive) || name == QLatin1String("kest.db")) {
            continue;
        }
        CDataModifListe pending;
        if (!openRepBDD(db, mutex, dbFolder() + name) || !pending.initLocalPunchParSql(db, mutex)) {
            read = false;
            continue;
        }
        if (pending.isEmpty()) {
            continue;
        }
        // Defaults first: a file without DELTA row must not inherit another's context.
        CDataDelta delta;
        delta.initDefaut();
        read = delta.initParSql(db, mutex) && read;
        for (const CDataModif& row : std::as_const(pending)) {
            rows.insert(nextKey++, rowFor(row, delta));
        }
    }
    return openBDD(db, mutex) && read;
}

bool moveToQueue(QSqlDatabase& db,
                 QMutex* mutex,
                 const QString& listPath,
                 const CDataModifListe& pending,
                 const CDataDelta& delta)
{
    static const QString kListSchema = QStringLiteral("LISTE");
    CDataVidangeListe rows;
    for (const CDataModif& row : pending) {
        rows.ajoute(rowFor(row, delta), 0);
    }
    bool moved = attachBDD(db, mutex, listPath, kListSchema);
    if (moved) {
        sqlrun::Transaction transaction(db, mutex);
        moved = transaction.isOpen() && rows.ajouteSql(db, mutex)
                && CDataModifListe::markPendingSentSql(db, mutex, kListSchema, pending.lastKey())
                && transaction.commit();
    }
    detachBDD(db, mutex, kListSchema);
    return moved;
}

CDataModifListe queuedPunches(QSqlDatabase& db, QMutex* mutex)
{
    static const QString kMainSchema = QStringLiteral("KEST");
    CDataVidangeListe queue;
    bool read = false;
    if (db.databaseName() == mainDatabasePath()) {
        read = queue.initParSql(db, mutex);
    } else {
        read = attachBDD(db, mutex, mainDatabasePath(), kMainSchema) && queue.initParSql(db, mutex, kMainSchema);
        detachBDD(db, mutex, kMainSchema);
    }
    CDataModifListe punches;
    if (!read) {
        enregistreLog(3,
                      QStringLiteral("File de vidange illisible : ses compostages ne sont pas appliques a la liste"),
                      false);
        return punches;
    }
    // Whatever zone or login they were made under: an entry used is used in every zone,
    // and the worker matches a row to a ticket by barcode, issuer and performance.
    const QString agent = gParam->parametre(MY_AGENT_ID);
    for (const CDataVidange& row : std::as_const(queue)) {
        CDataModif punch;
        punch.initDefaut();
        punch.TYPE = row.TYPE;
        punch.REP_ID = row.REP_ID;
        punch.EDITEUR_ID = row.EDITEUR_ID;
        punch.CODE_BARRE = row.CODE_BARRE;
        punch.DATE = row.DATE;
        punch.AGENT_ID = agent;
        punch.STATUS = MODIF_STATUS_SENT;
        punches.insert(row.ID, punch);
    }
    return punches;
}

}  // namespace drain
