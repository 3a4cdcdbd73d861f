#pragma once

#include "data/CDataListe.h"
#include "data/CDataRecherche.h"

#include <QString>
#include <QStringList>

// One ticket added on this terminal, with one of its seats.
class CDataBilletLocalFound
{
public:
    unsigned int IS_USABLE = 0;
    // Entries left.
    unsigned int NB_COMPOSTAGE = 0;
    QString NOM_PORTEUR;
    QString PRENOM_PORTEUR;
    // As stored, "yyyy-MM-dd hh:mm:ss".
    QString DATE_ACHAT;
    QString CODE_BARRE;
    QString MAIL;
    QString TEL_PORTEUR;
    QString PLACEMENT;
    // Performance the ticket was added for.
    unsigned int REP_ID = 0;

    // IS_USABLE 1, NB_COMPOSTAGE 0, DATE_ACHAT "1970-01-01 00:00:00", REP_ID 0, texts empty.
    void initDefaut();
};

// The local tickets under a running key 0, 1, 2... in the order the rows came.
class CDataBilletLocalFoundListe : public CDataListe<unsigned int, CDataBilletLocalFound>
{
public:
    // Copies the entry under `key` into `out`; false for key 0 or a missing key.
    bool affecteBillet(unsigned int key, CDataBilletLocalFound& out) const;
    void dropList();
};

// The tickets of the terminal's own issuer (EDITEUR_LOCAL_ID), one entry per seat
// row: a ticket without a seat is not listed. Deleted tickets and tickets of every
// performance of the open database are included. Run it through
// CDataRecherche::execute. GUI thread only.
class CDataRechercheBilletLocal : public CDataRecherche
{
public:
    // `text` is not read; the caller's extra conditions and sort keys, usually empty.
    void initRequete(QString text, QStringList where, QStringList orderBy);

    // Runs the listing with the mutex held by the caller and replaces `liste` with
    // its rows. On failure logs it at level 2, leaves `liste` empty and erreurSql()
    // tells the error.
    void getData();

    CDataBilletLocalFoundListe liste;
};
