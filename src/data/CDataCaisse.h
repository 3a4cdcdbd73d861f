#pragma once

#include "data/CDataIdNom.h"

// A till of a ticket list: table CAISSE of a ticket-list database.
// A read starts from the defaults: the offline barcode check compares the ID read
// back with the ID asked to tell a known till.
class CDataCaisse : public CDataIdNom<CDataCaisse, unsigned int>
{
public:
    static constexpr const char* kTable = "CAISSE";
    static constexpr bool kReadResets = true;
};

class CDataCaisseListe : public CDataIdNomListe<CDataCaisseListe, CDataCaisse>
{
public:
    static constexpr const char* kAjouteErreur = "Erreur dataCaisseListe ajouteSql ";

    // Copies the entry under `key` into `out`; false for 0 or a missing key.
    bool affecteCaisse(unsigned int key, CDataCaisse& out) const
    {
        return copyEntry(key, out);
    }
};
