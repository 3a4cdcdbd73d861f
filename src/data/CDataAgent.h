#pragma once

#include "data/CDataIdNom.h"

// An agent of a ticket list (text ID): table AGENT of a ticket-list database.
// A read starts empty, so that a missing agent never shows the previous one.
class CDataAgent : public CDataIdNom<CDataAgent, QString>
{
public:
    static constexpr const char* kTable = "AGENT";
    static constexpr bool kReadResets = true;
};

class CDataAgentListe : public CDataIdNomListe<CDataAgentListe, CDataAgent>
{
public:
    static constexpr const char* kAjouteErreur = "Erreur dataAgentListe ajouteSql ";

    // Copies the entry under `key` into `out`; false for the empty key or a missing key.
    bool affecteAgent(const QString& key, CDataAgent& out) const
    {
        return copyEntry(key, out);
    }
};
