#include "control/Verdict.h"

#include "data/CDataBillet.h"

#include <algorithm>

Verdict verdictOf(const CDataBillet& billet)
{
    if (billet.IS_DELETED != 0) {
        return Verdict::Supprime;
    }
    if (billet.IS_USABLE == 0 || billet.NB_COMPOSTAGE == 0) {
        return Verdict::DejaUtilise;
    }
    return Verdict::Valide;
}

int verdictLabel(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Valide:
        return 45;
    case Verdict::DejaUtilise:
        return 46;
    case Verdict::Supprime:
        return 47;
    case Verdict::Inconnu:
        return 48;
    case Verdict::Composte:
        return 64;
    case Verdict::Decomposte:
        return 65;
    case Verdict::Signale:
        return 103;
    case Verdict::Erreur:
        return 100;
    case Verdict::Aucun:
        break;
    }
    return -1;
}

PanelLook panelLookOf(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Valide:
    case Verdict::Composte:
    case Verdict::Decomposte:
        return PanelLook::Accepte;
    case Verdict::DejaUtilise:
    case Verdict::Supprime:
    case Verdict::Inconnu:
    case Verdict::Signale:
    case Verdict::Erreur:
        return PanelLook::Refuse;
    case Verdict::Aucun:
        break;
    }
    return PanelLook::Attente;
}

Son sonOf(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Composte:
    case Verdict::Decomposte:
        return Son::Ok;
    case Verdict::DejaUtilise:
    case Verdict::Supprime:
    case Verdict::Inconnu:
    case Verdict::Erreur:
        return Son::Ko;
    case Verdict::Valide:
    case Verdict::Signale:
    case Verdict::Aucun:
        break;
    }
    return Son::Aucun;
}

ActionButtons actionButtonsOf(Verdict shown, const CDataBillet& billet, bool unpunchAllowed)
{
    const int unpunch = unpunchAllowed ? 52 : 0;
    switch (shown) {
    case Verdict::Valide:
        return {51, true};
    case Verdict::Composte:
        return {unpunch, true};
    case Verdict::DejaUtilise:
        return {billet.IS_DELETED == 0 ? unpunch : 0, true};
    case Verdict::Decomposte:
        return {verdictOf(billet) == Verdict::Valide ? 51 : 0, true};
    case Verdict::Supprime:
        return {0, true};
    case Verdict::Signale:
        // Reported once; the ticket itself is unchanged.
        return {actionButtonsOf(verdictOf(billet), billet, unpunchAllowed).punchLabel, false};
    case Verdict::Inconnu:
    case Verdict::Erreur:
    case Verdict::Aucun:
        break;
    }
    return {};
}

int gaugePercent(int punched, int total)
{
    if (total <= 0) {
        return 0;
    }
    return std::clamp(static_cast<int>(qint64(punched) * 100 / total), 0, 100);
}

bool offlineAccept(const QString& barcode)
{
    Q_UNUSED(barcode);
    return false;
}
