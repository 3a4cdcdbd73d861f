#pragma once

#include "data/CDataIdNom.h"

// The name of an event of a ticket list: table EVENT of a ticket-list database.
class CDataEvent : public CDataIdNom<CDataEvent, unsigned int>
{
public:
    static constexpr const char* kTable = "EVENT";
    static constexpr bool kReadResets = false;
};

class CDataEventListe : public CDataIdNomListe<CDataEventListe, CDataEvent>
{
public:
    static constexpr const char* kAjouteErreur = "Erreur dataEventListe ajouteSql ";

    // Copies the entry under `key` into `out`; false for 0 or a missing key.
    bool affecteEvent(unsigned int key, CDataEvent& out) const
    {
        return copyEntry(key, out);
    }
};
