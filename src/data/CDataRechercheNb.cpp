#include "data/CDataRechercheNb.h"

#include <QVariant>

namespace
{

const QString kCountFrom = QStringLiteral("select count(BILLET.ID) from BILLET");

// A count statement yields exactly one row.
void readCount(QSqlQuery& query, unsigned int& nb)
{
    while (query.next()) {
        nb = query.value(0).toUInt();
    }
}

}  // namespace

void CDataRechercheNbTicket::initRequete(QStringList where, QStringList orderBy)
{
    setPieces(kCountFrom, QStringLiteral("BILLET.IS_DELETED=0"), where, orderBy);
}

void CDataRechercheNbTicket::getData()
{
    QSqlQuery query = CDataRecherche::getData();
    if (verifieSql(QStringLiteral("Erreur Recherche nb ticket "))) {
        readCount(query, nb);
    }
}

void CDataRechercheNbPunch::initRequete(QStringList where, QStringList orderBy)
{
    setPieces(kCountFrom, QStringLiteral("BILLET.NB_COMPOSTAGE=0 and BILLET.IS_DELETED=0"), where, orderBy);
}

void CDataRechercheNbPunch::getData()
{
    QSqlQuery query = CDataRecherche::getData();
    if (verifieSql(QStringLiteral("Erreur Recherche nb punch "))) {
        readCount(query, nb);
    }
}

void CDataNbBillet::initDefaut()
{
    ID = 0;
    NOM.clear();
    NB = 0;
}

bool CDataNbBilletListe::affecteNbBillet(unsigned int key, CDataNbBillet& out) const
{
    return copyEntry(key, out);
}

void CDataNbBilletListe::dropList()
{
    clear();
}

void CDataRechercheNbBilletByEditeur::initRequete(QStringList where, QStringList orderBy)
{
    setPieces(QStringLiteral("select EDITEUR.ID,count(BILLET.ID),EDITEUR.NOM from BILLET inner join EDITEUR on "
                             "BILLET.EDITEUR_ID=EDITEUR.ID"),
              QStringLiteral("BILLET.IS_DELETED=0"),
              where,
              orderBy,
              QStringLiteral("EDITEUR.NOM"));
}

void CDataRechercheNbBilletByEditeur::getData()
{
    QSqlQuery query = CDataRecherche::getData();
    liste.dropList();
    if (!verifieSql(QStringLiteral("Erreur Recherche nb ticket by editeur "))) {
        return;
    }
    while (query.next()) {
        CDataNbBillet nbBillet;
        nbBillet.ID = query.value(0).toUInt();
        nbBillet.NB = query.value(1).toUInt();
        nbBillet.NOM = query.value(2).toString();
        liste.ajoute(nbBillet, nbBillet.ID);
    }
}
