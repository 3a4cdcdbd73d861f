#pragma once

#include "data/CDataIdNom.h"

// A zone offered at login: table ZONE of the main database.
class CDataZone : public CDataIdNom<CDataZone, unsigned int>
{
public:
    static constexpr const char* kTable = "ZONE";
    static constexpr bool kReadResets = false;
};

class CDataZoneListe : public CDataIdNomListe<CDataZoneListe, CDataZone>
{
public:
    static constexpr const char* kAjouteErreur = "Erreur dataZoneListe ajouteSql ";

    // Copies the entry under `key` into `out`; false for 0 or a missing key.
    bool affecteZone(unsigned int key, CDataZone& out) const
    {
        return copyEntry(key, out);
    }
};
