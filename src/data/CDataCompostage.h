#pragma once

#include "data/CDataBillet.h"
#include "data/CDataModif.h"
#include "data/SqlRunner.h"

#include <QMutex>
#include <QSqlDatabase>
#include <QString>

// What the agent can do to a ticket at the door.
enum class ActionCompostage
{
    Punch,
    Unpunch,
    Fraude,
};

enum class ResultatCompostage
{
    // The ticket's change and its journal row are stored together.
    Ecrit,
    // The stored ticket does not allow it (deleted, not usable, no entry left):
    // nothing was written.
    Refuse,
    // The ticket is no longer in the list (a reload took it out): nothing was written.
    Absent,
    // A statement or the commit failed: nothing was written.
    Echec,
};

// Applies `action` to the stored ticket of billet's barcode and issuer and adds its
// journal row, in one transaction under one hold of the mutex (may be null, must not
// be held by the caller). The count is changed relative to the stored row, never
// from the record's copy, so a punch written meanwhile elsewhere is kept:
// - a punch needs a ticket not deleted, usable and with an entry left, and leaves
//   TYPE 3 (no entry left now) or 8;
// - an un-punch needs a ticket not deleted, makes it usable and leaves TYPE 4 (one
//   entry now) or 16;
// - a fraud report changes nothing and leaves TYPE 99.
// A punch or un-punch of a local ticket (EDITEUR_LOCAL_ID) is journalled as sent
// (STATUS 0), every other row as pending (STATUS 1). The row carries `agentId` and
// `date` ("yyyy-MM-dd hh:mm:ss").
//
// On Ecrit and Refuse, billet's IS_USABLE, IS_DELETED and NB_COMPOSTAGE are those
// stored now (a missing row leaves them); on Echec billet is untouched. `journal`,
// when given, receives the row written; `prepared`, when given, keeps the statements
// for the next ticket. Any thread.
ResultatCompostage compostageSql(QSqlDatabase& db,
                                 QMutex* mutex,
                                 CDataBillet& billet,
                                 ActionCompostage action,
                                 const QString& agentId,
                                 const QString& date,
                                 CDataModif* journal = nullptr,
                                 sqlrun::Prepared* prepared = nullptr);
