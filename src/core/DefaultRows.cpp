#include "core/CAffichage.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "core/Log.h"
#include "data/CDataEditeur.h"
#include "data/CDataEvent.h"
#include "data/CDataRep.h"
#include "data/CDataTarif.h"

// Tickets whose event, performance, issuer or price category is missing from the
// downloaded tables still find a row with ID 0 to show. Each write takes the mutex
// by itself; a failed one is logged by its record and the others still run.
bool createDefaultValuesRepBDD(QSqlDatabase& db, QMutex* mutex)
{
    const QString inconnu = gAffichage ? gAffichage->getTraduction(currentLangue(), 145) : QString();

    CDataEvent event;
    event.initDefaut();
    event.NOM = inconnu;
    bool written = event.ajouteSql(db, mutex) != 0;

    // ID 0 and EVENT_ID 0 are the defaults, as are the widest dates and one punch.
    CDataRep rep;
    rep.initDefaut();
    written = rep.ajouteSql(db, mutex) != 0 && written;

    CDataEditeur editeur;
    editeur.initDefaut();
    editeur.NOM = QStringLiteral("kestrova");
    written = editeur.ajouteSql(db, mutex) != 0 && written;

    CDataTarif tarif;
    tarif.initDefaut();
    tarif.NOM = inconnu;
    written = tarif.ajouteSql(db, mutex) != 0 && written;

    enregistreLog(5, QStringLiteral("Creation des valeurs par defaut terminees"), false);
    return written;
}
