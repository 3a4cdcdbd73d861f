#pragma once

#include "data/CDataListe.h"
#include "data/CDataRecherche.h"

#include <QString>
#include <QStringList>

// One ticket found by the search, with its issuer's and sales channel's names.
class CDataBilletFound
{
public:
    unsigned int ID = 0;
    unsigned int EDITEUR_ID = 0;
    QString NOM_EDITEUR;
    unsigned int CANAL_VENTE_ID = 0;
    // Empty when the channel has no CANAL_VENTE row.
    QString NOM_CANAL_VENTE;
    unsigned int IS_USABLE = 0;
    unsigned int IS_DELETED = 0;
    // Entries left.
    unsigned int NB_COMPOSTAGE = 0;
    QString NOM_PORTEUR;
    QString PRENOM_PORTEUR;
    QString NOM_ACHETEUR;
    QString PRENOM_ACHETEUR;
    // As stored, "yyyy-MM-dd hh:mm:ss".
    QString DATE_ACHAT;
    QString CODE_BARRE;

    // IS_USABLE 1, DATE_ACHAT "1970-01-01 00:00:00", the other numbers 0, texts empty.
    void initDefaut();
};

// The search's hits under a running key 0, 1, 2... A key says nothing about the
// ticket: a hit is identified by CODE_BARRE and EDITEUR_ID.
class CDataBilletFoundListe : public CDataListe<unsigned int, CDataBilletFound>
{
public:
    // Copies the entry under `key` into `out`; false for key 0 or a missing key.
    bool affecteBillet(unsigned int key, CDataBilletFound& out) const;
    void dropList();
};

// The tickets whose bearer's or buyer's name or first name, or whose barcode,
// contains a text; only tickets whose issuer has an EDITEUR row. Run it through
// CDataRecherche::execute. GUI thread only.
class CDataRechercheBillet : public CDataRecherche
{
public:
    // The search text (quotes are searched as blanks; "%" and "_" act as wildcards)
    // and the caller's extra conditions and sort keys, usually empty. A `limit`
    // above 0 reads at most that many rows.
    void initRequete(QString text, QStringList where, QStringList orderBy, unsigned int limit = 0);

    // Runs the search with the mutex held by the caller and replaces `liste` with
    // every matching row, in ticket ID order. On failure logs it at level 2, leaves
    // `liste` empty and erreurSql() tells the error.
    void getData();

    CDataBilletFoundListe liste;
};
