#pragma once

#include "data/CDataIdNom.h"

// A ticket issuer of a ticket list: table EDITEUR of a ticket-list database.
class CDataEditeur : public CDataIdNom<CDataEditeur, unsigned int>
{
public:
    static constexpr const char* kTable = "EDITEUR";
    static constexpr bool kReadResets = false;
};

class CDataEditeurListe : public CDataIdNomListe<CDataEditeurListe, CDataEditeur>
{
public:
    static constexpr const char* kAjouteErreur = "Erreur dataEditeurListe ajouteSql ";

    // Copies the entry under `key` into `out`; false for 0 or a missing key.
    bool affecteEditeur(unsigned int key, CDataEditeur& out) const
    {
        return copyEntry(key, out);
    }
};
