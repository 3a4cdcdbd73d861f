#pragma once

#include "data/CDataIdNom.h"

// An organiser (text ID): table ORGANISATEUR of the main database.
class CDataOrga : public CDataIdNom<CDataOrga, QString>
{
public:
    static constexpr const char* kTable = "ORGANISATEUR";
    static constexpr bool kReadResets = true;
};

class CDataOrgaListe : public CDataIdNomListe<CDataOrgaListe, CDataOrga>
{
public:
    static constexpr const char* kAjouteErreur = "Erreur dataOrgaListe ajouteSql ";

    // Copies the entry under `key` into `out`; false for the empty key or a missing key.
    bool affecteOrga(const QString& key, CDataOrga& out) const
    {
        return copyEntry(key, out);
    }
};
