#include "data/CDataRechercheBillet.h"

#include "core/Util.h"

#include <QList>
#include <QVariant>

#include <algorithm>

void CDataBilletFound::initDefaut()
{
    ID = 0;
    EDITEUR_ID = 0;
    NOM_EDITEUR.clear();
    CANAL_VENTE_ID = 0;
    NOM_CANAL_VENTE.clear();
    IS_USABLE = 1;
    IS_DELETED = 0;
    NB_COMPOSTAGE = 0;
    NOM_PORTEUR.clear();
    PRENOM_PORTEUR.clear();
    NOM_ACHETEUR.clear();
    PRENOM_ACHETEUR.clear();
    DATE_ACHAT = QStringLiteral("1970-01-01 00:00:00");
    CODE_BARRE.clear();
}

bool CDataBilletFoundListe::affecteBillet(unsigned int key, CDataBilletFound& out) const
{
    return copyEntry(key, out);
}

void CDataBilletFoundListe::dropList()
{
    clear();
}

void CDataRechercheBillet::initRequete(QString text, QStringList where, QStringList orderBy, unsigned int limit)
{
    const QString pattern = QStringLiteral(" like '%") + utilSqlFormateString(text) + QStringLiteral("%'");
    setPieces(QStringLiteral("select BILLET.ID,BILLET.EDITEUR_ID,EDITEUR.NOM,BILLET.CANAL_VENTE_ID,CANAL_VENTE.NOM,"
                             "BILLET.IS_USABLE,BILLET.IS_DELETED,BILLET.NB_COMPOSTAGE,BILLET.NOM_PORTEUR,"
                             "BILLET.PRENOM_PORTEUR,BILLET.NOM_ACHETEUR,BILLET.PRENOM_ACHETEUR,BILLET.DATE_ACHAT,"
                             "BILLET.CODE_BARRE from BILLET inner join EDITEUR on EDITEUR.ID = BILLET.EDITEUR_ID "
                             "left join CANAL_VENTE on CANAL_VENTE.ID = BILLET.CANAL_VENTE_ID"),
              QStringLiteral("BILLET.NOM_PORTEUR") + pattern + QStringLiteral(" or BILLET.PRENOM_PORTEUR") + pattern
                  + QStringLiteral(" or BILLET.NOM_ACHETEUR") + pattern + QStringLiteral(" or BILLET.PRENOM_ACHETEUR")
                  + pattern + QStringLiteral(" or BILLET.CODE_BARRE") + pattern,
              where,
              orderBy,
              QString(),
              limit > 0 ? QString::number(limit) : QString());
}

void CDataRechercheBillet::getData()
{
    QSqlQuery query = CDataRecherche::getData();
    liste.dropList();
    if (!verifieSql(QStringLiteral("Erreur Recherche Billet "))) {
        return;
    }
    QList<CDataBilletFound> rows;
    while (query.next()) {
        CDataBilletFound found;
        found.ID = query.value(0).toUInt();
        found.EDITEUR_ID = query.value(1).toUInt();
        found.NOM_EDITEUR = query.value(2).toString();
        found.CANAL_VENTE_ID = query.value(3).toUInt();
        found.NOM_CANAL_VENTE = query.value(4).toString();
        found.IS_USABLE = query.value(5).toUInt();
        found.IS_DELETED = query.value(6).toUInt();
        found.NB_COMPOSTAGE = query.value(7).toUInt();
        found.NOM_PORTEUR = query.value(8).toString();
        found.PRENOM_PORTEUR = query.value(9).toString();
        found.NOM_ACHETEUR = query.value(10).toString();
        found.PRENOM_ACHETEUR = query.value(11).toString();
        found.DATE_ACHAT = query.value(12).toString();
        found.CODE_BARRE = query.value(13).toString();
        rows.append(found);
    }
    // Keyed by ID, rows sharing an ID (other issuers, terminal-made tickets) would
    // replace one another; a running key keeps them all, still in ID order.
    std::stable_sort(rows.begin(), rows.end(), [](const CDataBilletFound& a, const CDataBilletFound& b) {
        return a.ID < b.ID;
    });
    for (const CDataBilletFound& found : std::as_const(rows)) {
        liste.ajoute(found, 0);
    }
}
