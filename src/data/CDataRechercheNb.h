#pragma once

#include "data/CDataListe.h"
#include "data/CDataRecherche.h"

#include <QString>
#include <QStringList>

// The tickets of the open database that are not deleted. Run it through
// CDataRecherche::execute. GUI thread only.
class CDataRechercheNbTicket : public CDataRecherche
{
public:
    // The caller's extra conditions and sort keys, usually empty.
    void initRequete(QStringList where, QStringList orderBy);

    // Counts with the mutex held by the caller. On failure logs it at level 2,
    // leaves `nb` as it was and erreurSql() tells the error.
    void getData();

    unsigned int nb = 0;
};

// The tickets that are not deleted and have no entry left (NB_COMPOSTAGE 0). Run it
// through CDataRecherche::execute. GUI thread only.
class CDataRechercheNbPunch : public CDataRecherche
{
public:
    // The caller's extra conditions and sort keys, usually empty.
    void initRequete(QStringList where, QStringList orderBy);

    // Counts with the mutex held by the caller. On failure logs it at level 2,
    // leaves `nb` as it was and erreurSql() tells the error.
    void getData();

    unsigned int nb = 0;
};

// One issuer's count of tickets that are not deleted.
class CDataNbBillet
{
public:
    unsigned int ID = 0;
    QString NOM;
    unsigned int NB = 0;

    // 0, empty, 0.
    void initDefaut();
};

// Issuer counts keyed by issuer ID.
class CDataNbBilletListe : public CDataListe<unsigned int, CDataNbBillet>
{
public:
    // Copies the entry under `key` into `out`; false for key 0 or a missing key.
    bool affecteNbBillet(unsigned int key, CDataNbBillet& out) const;
    void dropList();
};

// The tickets that are not deleted, per issuer name, for the issuers that have an
// EDITEUR row. Run it through CDataRecherche::execute. GUI thread only.
class CDataRechercheNbBilletByEditeur : public CDataRecherche
{
public:
    // The caller's extra conditions and sort keys ("EDITEUR.ID" for the summary).
    void initRequete(QStringList where, QStringList orderBy);

    // Counts with the mutex held by the caller and replaces `liste`, keyed by issuer
    // ID. On failure logs it at level 2, leaves `liste` empty and erreurSql() tells
    // the error.
    void getData();

    CDataNbBilletListe liste;
};
