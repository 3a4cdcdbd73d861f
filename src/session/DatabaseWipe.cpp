#include "session/DatabaseWipe.h"

#include "core/AppFolder.h"
#include "core/Database.h"
#include "core/Log.h"
#include "data/CDataVidange.h"
#include "data/CDataZone.h"
#include "net/Drain.h"

#include <QFile>

#include <cstdio>

namespace databasewipe
{

namespace
{

// Leaves `db` open on the staging file, whatever the outcome.
bool buildStaging(QSqlDatabase& db, QMutex* mutex, const CDataVidangeListe& drainRows, const CDataZoneListe& zones)
{
    removeDatabaseFile(stagingPath());
    if (!openStagingBDD(db, mutex, stagingPath())) {
        return false;
    }
    if (!drainRows.isEmpty() && !drainRows.ajouteSql(db, mutex)) {
        return false;
    }
    if (!zones.isEmpty() && !zones.ajouteSql(db, mutex)) {
        return false;
    }
    CDataVidangeListe writtenRows;
    CDataZoneListe writtenZones;
    return writtenRows.initParSql(db, mutex) && writtenZones.initParSql(db, mutex)
           && writtenRows.size() == drainRows.size() && writtenZones.size() == zones.size();
}

}  // namespace

QString stagingPath()
{
    return dbFolder() + QStringLiteral("kest.db.new");
}

QString readyPath()
{
    return dbFolder() + QStringLiteral("kest.db.ready");
}

namespace
{

// Deletes the old files and puts the complete new main database in their place.
bool replaceMain(QSqlDatabase& db, QMutex* mutex)
{
    if (!dropBDD(db, mutex)) {
        enregistreLog(3, QStringLiteral("Erreur d'effacement de la BDD."), false);
    }
    // Unlike QFile::rename, this replaces a "kest.db" that could not be deleted.
    const bool renamed =
        std::rename(QFile::encodeName(readyPath()).constData(), QFile::encodeName(mainDatabasePath()).constData()) == 0;
    if (!renamed) {
        enregistreLog(3,
                      QStringLiteral("Erreur de remplacement de la BDD : les compostages non envoyes restent dans ")
                          + readyPath(),
                      false);
    }
    return renamed;
}

}  // namespace

bool run(QSqlDatabase& db, QMutex* mutex, bool keepZones, CDataVidangeListe& drainRows)
{
    CDataZoneListe zones;
    bool read = drain::collect(db, mutex, drainRows);
    if (keepZones) {
        read = zones.initParSql(db, mutex) && read;
    }
    if (!read) {
        enregistreLog(3, QStringLiteral("Effacement de la BDD annule : une base n'a pas pu etre lue."), false);
        return false;
    }
    // Renamed only once complete: a stop before leaves every old file as it was.
    const bool built = buildStaging(db, mutex, drainRows, zones);
    openBDD(db, mutex);
    if (!built || !QFile::rename(stagingPath(), readyPath())) {
        removeDatabaseFile(stagingPath());
        enregistreLog(3,
                      QStringLiteral("Effacement de la BDD annule : la nouvelle base n'a pas pu etre ecrite."),
                      false);
        return false;
    }
    const bool replaced = replaceMain(db, mutex);
    openBDD(db, mutex);
    return replaced;
}

bool finishInterrupted(QSqlDatabase& db, QMutex* mutex)
{
    if (QFile::exists(stagingPath()) || QFile::exists(stagingPath() + QStringLiteral("-journal"))) {
        enregistreLog(4, QStringLiteral("Effacement de la BDD interrompu avant sa fin : ") + stagingPath(), false);
        removeDatabaseFile(stagingPath());
    }
    if (!QFile::exists(readyPath())) {
        return true;
    }
    enregistreLog(4, QStringLiteral("Effacement de la BDD interrompu : il est termine maintenant."), false);
    return replaceMain(db, mutex);
}

}  // namespace databasewipe
