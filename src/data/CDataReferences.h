#pragma once

#include "data/CDataAgent.h"
#include "data/CDataCanalVente.h"
#include "data/CDataEditeur.h"
#include "data/CDataEvent.h"
#include "data/CDataRep.h"
#include "data/CDataTarif.h"
#include "data/SqlRunner.h"

#include <QMutex>
#include <QSqlDatabase>
#include <QString>

// The small tables the ticket display names things from (price categories, issuers,
// sales channels, events, agents, performances), read once per ticket list and kept
// while nothing changed them, instead of six or more reads at every scan. One thread,
// one connection.
class CDataReferences
{
public:
    // Reads the tables again when `db` is open on another file than at the last read,
    // when another connection wrote to the file since (the synchronisation does), or
    // after invalidate(). `prepared` (may be null) keeps the change check's statement.
    // False when a read failed: the names are then empty until a refresh succeeds.
    // The mutex (may be null) must not be held by the caller.
    bool refresh(QSqlDatabase& db, QMutex* mutex, sqlrun::Prepared* prepared);
    // Forgets what was read: writes made on the same connection go unnoticed otherwise.
    void invalidate();

    // The name of the row with that ID; empty when there is none.
    QString tarif(unsigned int id) const;
    QString editeur(unsigned int id) const;
    QString canalVente(unsigned int id) const;
    QString event(unsigned int id) const;
    QString agent(const QString& id) const;
    // Copies the performance `id` into `out`; false when there is none.
    bool rep(unsigned int id, CDataRep& out) const;

private:
    bool m_read = false;
    QString m_databaseName;
    qint64 m_dataVersion = -1;
    CDataTarifListe m_tarifs;
    CDataEditeurListe m_editeurs;
    CDataCanalVenteListe m_canaux;
    CDataEventListe m_events;
    CDataAgentListe m_agents;
    CDataRepListe m_reps;
};
