#pragma once

#include "data/CDataBillet.h"

#include <QMutex>
#include <QSqlDatabase>
#include <QString>

// The writes of the local-ticket page, each all or nothing in one transaction under
// one hold of the mutex (may be null, must not be held by the caller). Any thread.

// Stores `billet` (issuer EDITEUR_LOCAL_ID) with its issuer row {EDITEUR_LOCAL_ID,
// `editeurNom`}, replacing the row of the same barcode and issuer, and gives it one
// seat of price category 0 with `placement` in place of its seats. False when
// nothing was written.
bool ajouteBilletLocalSql(QSqlDatabase& db,
                          QMutex* mutex,
                          const CDataBillet& billet,
                          const QString& placement,
                          const QString& editeurNom);

// Deletes the local ticket of barcode `code` (exact, as stored) with its seats and
// its journal. True also when there was none; false when nothing was deleted.
bool supprimeBilletLocalSql(QSqlDatabase& db, QMutex* mutex, const QString& code);
