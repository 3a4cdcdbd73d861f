#include "data/CDataCompostage.h"

#include "data/SqlRunner.h"

#include <QSqlQuery>
#include <QVariant>

namespace
{

const QString kWhereBillet = QStringLiteral(" where CODE_BARRE=? and EDITEUR_ID=?");

QString errorHead(ActionCompostage action)
{
    switch (action) {
    case ActionCompostage::Punch:
        return QStringLiteral("Erreur punchSql ");
    case ActionCompostage::Unpunch:
        return QStringLiteral("Erreur unpunchSql ");
    case ActionCompostage::Fraude:
        break;
    }
    return QStringLiteral("Erreur fraudeSql ");
}

// The relative update with its guard; empty for a report, which changes nothing.
QString updateStatement(ActionCompostage action)
{
    switch (action) {
    case ActionCompostage::Punch:
        return QStringLiteral("update BILLET set NB_COMPOSTAGE=NB_COMPOSTAGE-1") + kWhereBillet
               + QStringLiteral(" and IS_DELETED=0 and IS_USABLE=1 and NB_COMPOSTAGE>0");
    case ActionCompostage::Unpunch:
        return QStringLiteral("update BILLET set NB_COMPOSTAGE=NB_COMPOSTAGE+1,IS_USABLE=1") + kWhereBillet
               + QStringLiteral(" and IS_DELETED=0");
    case ActionCompostage::Fraude:
        break;
    }
    return QString();
}

unsigned int journalType(ActionCompostage action, unsigned int nbCompostage)
{
    switch (action) {
    case ActionCompostage::Punch:
        return nbCompostage == 0 ? MODIF_PUNCH_LAST : MODIF_PUNCH;
    case ActionCompostage::Unpunch:
        return nbCompostage == 1 ? MODIF_UNPUNCH_LAST : MODIF_UNPUNCH;
    case ActionCompostage::Fraude:
        break;
    }
    return MODIF_FRAUDE;
}

struct StoredCounts
{
    bool found = false;
    unsigned int isUsable = 0;
    unsigned int isDeleted = 0;
    unsigned int nbCompostage = 0;
};

}  // namespace

ResultatCompostage compostageSql(QSqlDatabase& db,
                                 QMutex* mutex,
                                 CDataBillet& billet,
                                 ActionCompostage action,
                                 const QString& agentId,
                                 const QString& date,
                                 CDataModif* journal,
                                 sqlrun::Prepared* prepared)
{
    const QString head = errorHead(action);
    sqlrun::Locked locked(db, mutex);
    sqlrun::Transaction transaction(db, nullptr, head);
    if (!transaction.isOpen()) {
        return ResultatCompostage::Echec;
    }

    const QVariantList key{sqlrun::bound(billet.CODE_BARRE), sqlrun::bound(billet.EDITEUR_ID)};
    bool applied = true;
    const QString update = updateStatement(action);
    if (!update.isEmpty()) {
        int changed = 0;
        if (!sqlrun::execBound(db, prepared, update, key, head, {}, &changed)) {
            return ResultatCompostage::Echec;
        }
        applied = changed == 1;
    }
    StoredCounts stored;
    const QString select = QStringLiteral("select IS_USABLE,IS_DELETED,NB_COMPOSTAGE from BILLET") + kWhereBillet;
    if (!sqlrun::execBound(db, prepared, select, key, head, [&stored](QSqlQuery& query) {
            stored = {true, query.value(0).toUInt(), query.value(1).toUInt(), query.value(2).toUInt()};
        })) {
        return ResultatCompostage::Echec;
    }

    CDataModif modif;
    if (applied) {
        const bool changesCount = action != ActionCompostage::Fraude;
        modif.TYPE = journalType(action, stored.found ? stored.nbCompostage : billet.NB_COMPOSTAGE);
        modif.STATUS = changesCount && billet.EDITEUR_ID == EDITEUR_LOCAL_ID ? MODIF_STATUS_SENT : MODIF_STATUS_PENDING;
        modif.AGENT_ID = agentId;
        modif.REP_ID = billet.REP_ID;
        modif.EDITEUR_ID = billet.EDITEUR_ID;
        modif.CODE_BARRE = billet.CODE_BARRE;
        modif.NEW_VALUE = QStringLiteral("");
        modif.DATE = date;
        if (!sqlrun::execBound(db,
                               prepared,
                               CDataModif::insertBoundStatement(),
                               modif.boundValues(),
                               QStringLiteral("Erreur ajouteSql "))
            || !transaction.commit()) {
            return ResultatCompostage::Echec;
        }
    }
    if (stored.found) {
        billet.IS_USABLE = stored.isUsable;
        billet.IS_DELETED = stored.isDeleted;
        billet.NB_COMPOSTAGE = stored.nbCompostage;
    }
    if (!applied) {
        return stored.found ? ResultatCompostage::Refuse : ResultatCompostage::Absent;
    }
    if (journal) {
        *journal = modif;
    }
    return ResultatCompostage::Ecrit;
}
