#include "data/CDataRechercheBilletLocal.h"

#include "data/CDataBillet.h"

#include <QVariant>

void CDataBilletLocalFound::initDefaut()
{
    IS_USABLE = 1;
    NB_COMPOSTAGE = 0;
    NOM_PORTEUR.clear();
    PRENOM_PORTEUR.clear();
    DATE_ACHAT = QStringLiteral("1970-01-01 00:00:00");
    CODE_BARRE.clear();
    MAIL.clear();
    TEL_PORTEUR.clear();
    PLACEMENT.clear();
    REP_ID = 0;
}

bool CDataBilletLocalFoundListe::affecteBillet(unsigned int key, CDataBilletLocalFound& out) const
{
    return copyEntry(key, out);
}

void CDataBilletLocalFoundListe::dropList()
{
    clear();
}

void CDataRechercheBilletLocal::initRequete(QString /*text*/, QStringList where, QStringList orderBy)
{
    setPieces(QStringLiteral("select BILLET.IS_USABLE,BILLET.NB_COMPOSTAGE,BILLET.NOM_PORTEUR,BILLET.PRENOM_PORTEUR,"
                             "BILLET.DATE_ACHAT,BILLET.CODE_BARRE,BILLET.TEL_PORTEUR,BILLET.MAIL,BILLET.REP_ID,"
                             "PLACE.PLACEMENT from BILLET inner join PLACE on PLACE.CODE_BARRE = BILLET.CODE_BARRE "
                             "and PLACE.EDITEUR_ID = BILLET.EDITEUR_ID"),
              QStringLiteral("BILLET.EDITEUR_ID = '") + QString::number(EDITEUR_LOCAL_ID) + QLatin1Char('\''),
              where,
              orderBy);
}

void CDataRechercheBilletLocal::getData()
{
    QSqlQuery query = CDataRecherche::getData();
    liste.dropList();
    if (!verifieSql(QStringLiteral("Erreur Recherche Billet "))) {
        return;
    }
    while (query.next()) {
        CDataBilletLocalFound found;
        found.IS_USABLE = query.value(0).toUInt();
        found.NB_COMPOSTAGE = query.value(1).toUInt();
        found.NOM_PORTEUR = query.value(2).toString();
        found.PRENOM_PORTEUR = query.value(3).toString();
        found.DATE_ACHAT = query.value(4).toString();
        found.CODE_BARRE = query.value(5).toString();
        found.TEL_PORTEUR = query.value(6).toString();
        found.MAIL = query.value(7).toString();
        found.REP_ID = query.value(8).toUInt();
        found.PLACEMENT = query.value(9).toString();
        liste.ajoute(found, 0);
    }
}
