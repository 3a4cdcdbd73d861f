#pragma once

#include <QString>

class CDataBillet;

// What the scan page shows of the ticket just looked up or acted on.
enum class Verdict
{
    Aucun,
    Valide,
    DejaUtilise,
    Supprime,
    Inconnu,
    Composte,
    Decomposte,
    Signale,
    // The ticket could not be read or written: nothing was punched.
    Erreur,
};

// The look of the verdict panel: its sprite shows green, slate or red.
enum class PanelLook
{
    Attente,
    Accepte,
    Refuse,
};

enum class Son
{
    Aucun,
    Ok,
    Ko,
};

// SUPPRIMÉ, then DÉJA UTILISÉ (not usable or no entry left), else VALIDE.
Verdict verdictOf(const CDataBillet& billet);
// The translation line of the verdict's text.
int verdictLabel(Verdict verdict);
PanelLook panelLookOf(Verdict verdict);
// OK after a punch or un-punch, KO for a refusal; nothing for a mere reading or a report.
Son sonOf(Verdict verdict);

// The two buttons under the panel for the verdict shown: the punch button's caption
// (translation line 51 "Composter" or 52 "Décomposter"; 0 hides it) and whether a
// fraud report is offered. Un-punching is offered only for a ticket shown as
// punched, so that un-punches never outnumber the punches the agent saw.
struct ActionButtons
{
    int punchLabel = 0;
    bool fraude = false;
};

ActionButtons actionButtonsOf(Verdict shown, const CDataBillet& billet, bool unpunchAllowed);

// The gauge's bar, 0 to 100; 0 for an empty list.
int gaugePercent(int punched, int total);

// Whether a barcode missing from the list may be accepted offline. The barcode's
// layout and its check key are not known, so none is: accepting a guess would let
// forged tickets in.
bool offlineAccept(const QString& barcode);
