#include "session/EventPages.h"

#include "core/AppFolder.h"
#include "core/CDateHeure.h"
#include "core/CParam.h"
#include "data/CDataRepresentation.h"

#include <QFile>

namespace eventpages
{

int pageCount(int entries)
{
    return (entries - 1) / kTilesPerPage + 1;
}

QString repDatabasePath(QChar kind, unsigned int id)
{
    return dbFolder() + kind + QString::number(id) + QStringLiteral("_Z") + gParam->parametre(ZONE_KEST)
           + QStringLiteral(".db");
}

bool isOver(const QString& dateFin, const QDateTime& now)
{
    CDateHeure end;
    return end.initParTrameSQL(dateFin) && end.addDays(2) < now;
}

CDataEvenementListe purge(QSqlDatabase& db, QMutex* mutex, const CDataEvenementListe& entries, const QDateTime& now)
{
    CDataEvenementListe kept;
    for (const CDataEvenement& entry : entries) {
        const bool isPass = entry.TYPE == 1;
        if (!isPass && entry.ID == 0) {
            kept.ajoute(entry, 0);
            continue;
        }
        // A list on disk may still hold unsent punches: its performances stay.
        if (QFile::exists(repDatabasePath(isPass ? QLatin1Char('P') : QLatin1Char('E'), entry.ID))) {
            kept.ajoute(entry, 0);
            continue;
        }
        CDataRepresentationListe performances;
        if (!performances.initParSql(db, mutex, entry.ID)) {
            // Unread is not empty: deleting the entry would be wrong.
            kept.ajoute(entry, 0);
            continue;
        }
        for (auto it = performances.begin(); it != performances.end();) {
            const bool hasOwnList = !isPass && QFile::exists(repDatabasePath(QLatin1Char('R'), it->ID));
            if (!hasOwnList && isOver(it->DATE_FIN, now)) {
                it->deleteSql(db, mutex);
                it = performances.erase(it);
            } else {
                ++it;
            }
        }
        if (performances.isEmpty()) {
            entry.deleteSql(db, mutex);
        } else {
            kept.ajoute(entry, 0);
        }
    }
    return kept;
}

}  // namespace eventpages
