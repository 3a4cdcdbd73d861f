#pragma once

#include "data/CDataIdNom.h"

// A sales channel of a ticket list: table CANAL_VENTE of a ticket-list database.
class CDataCanalVente : public CDataIdNom<CDataCanalVente, unsigned int>
{
public:
    static constexpr const char* kTable = "CANAL_VENTE";
    static constexpr bool kReadResets = false;
};

class CDataCanalVenteListe : public CDataIdNomListe<CDataCanalVenteListe, CDataCanalVente>
{
public:
    static constexpr const char* kAjouteErreur = "Erreur dataCanalVenteListe ajouteSql ";

    // Copies the entry under `key` into `out`; false for 0 or a missing key.
    bool affecteCanalVente(unsigned int key, CDataCanalVente& out) const
    {
        return copyEntry(key, out);
    }
};
