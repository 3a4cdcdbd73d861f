#include "data/CDataBilletLocal.h"

#include "data/CDataEditeur.h"
#include "data/CDataModif.h"
#include "data/CDataPlace.h"
#include "data/SqlRunner.h"

#include <QStringList>

namespace
{

bool runAll(QSqlDatabase& db, QMutex* mutex, const QStringList& statements, const QString& errorHead)
{
    sqlrun::Locked locked(db, mutex);
    sqlrun::Transaction transaction(db, nullptr, errorHead);
    if (!transaction.isOpen()) {
        return false;
    }
    for (const QString& statement : statements) {
        if (!locked.exec(statement, errorHead)) {
            return false;
        }
    }
    return transaction.commit();
}

}  // namespace

bool ajouteBilletLocalSql(QSqlDatabase& db,
                          QMutex* mutex,
                          const CDataBillet& billet,
                          const QString& placement,
                          const QString& editeurNom)
{
    CDataEditeur editeur;
    editeur.initDefaut();
    editeur.ID = EDITEUR_LOCAL_ID;
    editeur.NOM = editeurNom;
    CDataPlace place;
    place.initDefaut();
    place.CODE_BARRE = billet.CODE_BARRE;
    place.EDITEUR_ID = EDITEUR_LOCAL_ID;
    place.PLACEMENT = placement;
    const QStringList statements{
        CDataEditeur::insertHead() + QStringLiteral("values (") + editeur.valuesSql() + QLatin1Char(')'),
        billet.ajouteStatement(),
        CDataPlace::deleteStatement(billet.CODE_BARRE, EDITEUR_LOCAL_ID),
        place.ajouteStatement(),
    };
    return runAll(db, mutex, statements, QStringLiteral("Erreur ajouteSql "));
}

bool supprimeBilletLocalSql(QSqlDatabase& db, QMutex* mutex, const QString& code)
{
    const QStringList statements{
        CDataBillet::deleteStatement(code, EDITEUR_LOCAL_ID),
        CDataPlace::deleteStatement(code, EDITEUR_LOCAL_ID),
        CDataModifListe::deleteStatement(code, EDITEUR_LOCAL_ID),
    };
    return runAll(db, mutex, statements, QStringLiteral("Erreur deleteSql "));
}
