#pragma once

#include "data/CDataIdNom.h"

// A price category of a ticket list: table TARIF of a ticket-list database.
class CDataTarif : public CDataIdNom<CDataTarif, unsigned int>
{
public:
    static constexpr const char* kTable = "TARIF";
    static constexpr bool kReadResets = false;
};

class CDataTarifListe : public CDataIdNomListe<CDataTarifListe, CDataTarif>
{
public:
    static constexpr const char* kAjouteErreur = "Erreur dataTarifListe ajouteSql ";

    // Copies the entry under `key` into `out`; false for 0 or a missing key.
    bool affecteTarif(unsigned int key, CDataTarif& out) const
    {
        return copyEntry(key, out);
    }
};
