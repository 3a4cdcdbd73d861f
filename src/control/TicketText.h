#pragma once

#include <QDateTime>
#include <QString>

class CDataModif;
class CDataModifListe;

// The texts of the ticket display built from the journal, in `language` (0 French,
// 1 English, 2 Spanish).
namespace tickettext
{

// A stored "yyyy-MM-dd hh:mm:ss" in the display form of translation line 55; the
// stored text itself when it is no such date.
QString dateText(const QString& stored, int language);

// "Compostage 01/05/2024 20:15 Marc": the entry's kind, its date and its agent
// (`agentName`, else the agent id, else "Inconnu").
QString historyLine(const CDataModif& entry, const QString& agentName, int language);

// "Composté le : 01/05/2024 20:15" for the newest entry; empty without one.
QString lastPunchLine(const CDataModifListe& history, int language);

// "Précédent compostage : 2 jours 3 heures 5 min": the time from the newest punch
// before the one just made (`skipNewest`) to `now`; empty when there is none.
QString previousPunchLine(const CDataModifListe& history, bool skipNewest, const QDateTime& now, int language);

// Days, hours and minutes, the zero parts left out; "0 min" under a minute.
QString durationText(qint64 seconds, int language);

}  // namespace tickettext
