#include "control/TicketText.h"

#include "core/CAffichage.h"
#include "core/CDateHeure.h"
#include "data/CDataModif.h"

#include <QStringList>

namespace tickettext
{

namespace
{

QString label(int language, int index)
{
    return gAffichage->getTraduction(language, index);
}

bool isPunch(unsigned int type)
{
    return type == MODIF_PUNCH || type == MODIF_PUNCH_LAST;
}

// The kind of an entry, and the words of its "... le : " line.
int kindLabel(unsigned int type)
{
    switch (type) {
    case MODIF_DELETE:
        return 56;
    case MODIF_PUNCH_LAST:
    case MODIF_PUNCH:
        return 57;
    case MODIF_UNPUNCH_LAST:
    case MODIF_UNPUNCH:
        return 58;
    case MODIF_FRAUDE:
        return 104;
    default:
        return -1;
    }
}

int lastLineLabel(unsigned int type)
{
    switch (type) {
    case MODIF_DELETE:
        return 68;
    case MODIF_PUNCH_LAST:
    case MODIF_PUNCH:
        return 62;
    case MODIF_UNPUNCH_LAST:
    case MODIF_UNPUNCH:
        return 66;
    case MODIF_FRAUDE:
        return 105;
    default:
        return -1;
    }
}

}  // namespace

QString dateText(const QString& stored, int language)
{
    CDateHeure date;
    if (!date.initParTrameSQL(stored)) {
        return stored;
    }
    return date.toString(label(language, 55));
}

QString historyLine(const CDataModif& entry, const QString& agentName, int language)
{
    const int kind = kindLabel(entry.TYPE);
    const QString agent = !agentName.isEmpty()        ? agentName
                          : !entry.AGENT_ID.isEmpty() ? entry.AGENT_ID
                                                      : label(language, 145);
    return (kind < 0 ? QString::number(entry.TYPE) : label(language, kind).trimmed()) + QLatin1Char(' ')
           + dateText(entry.DATE, language) + QLatin1Char(' ') + agent;
}

QString lastPunchLine(const CDataModifListe& history, int language)
{
    if (history.isEmpty()) {
        return QString();
    }
    const CDataModif& newest = history.first();
    const int words = lastLineLabel(newest.TYPE);
    return (words < 0 ? QString() : label(language, words)) + dateText(newest.DATE, language);
}

QString previousPunchLine(const CDataModifListe& history, bool skipNewest, const QDateTime& now, int language)
{
    bool skipped = !skipNewest;
    for (const CDataModif& entry : history) {
        if (!isPunch(entry.TYPE)) {
            continue;
        }
        if (!skipped) {
            skipped = true;
            continue;
        }
        CDateHeure date;
        if (!date.initParTrameSQL(entry.DATE)) {
            return QString();
        }
        return label(language, 73) + durationText(std::max<qint64>(0, date.secsTo(now)), language);
    }
    return QString();
}

QString durationText(qint64 seconds, int language)
{
    const qint64 minutes = seconds / 60;
    const qint64 parts[3] = {minutes / 1440, (minutes % 1440) / 60, minutes % 60};
    QStringList words;
    for (int i = 0; i < 3; ++i) {
        if (parts[i] > 0) {
            words.append(QString::number(parts[i]) + QLatin1Char(' ')
                         + label(language, 77 + 2 * i + (parts[i] > 1 ? 1 : 0)).trimmed());
        }
    }
    if (words.isEmpty()) {
        return QStringLiteral("0 ") + label(language, 81).trimmed();
    }
    return words.join(QLatin1Char(' '));
}

}  // namespace tickettext
