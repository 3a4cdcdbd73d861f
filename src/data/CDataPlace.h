#pragma once

#include "data/CDataListe.h"

#include <QMutex>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

// One seat of a ticket: a row of PLACE, tied to its ticket by (CODE_BARRE, EDITEUR_ID).
// PLACE has no key: every insert adds a row, and a ticket's seats are replaced by
// deleting them all and inserting again.
//
// Every SQL operation runs one statement on the connection it is given, holding
// `mutex` (may be null, must not be held by the caller) for that statement only.
// Failures are logged at level 2 and reported through the result only. Any thread.
class CDataPlace
{
public:
    QString CODE_BARRE;
    unsigned int TARIF_ID = 0;
    unsigned int EDITEUR_ID = 0;
    QString PLACEMENT;

    // Texts empty, ids 0.
    void initDefaut();

    // Adds this seat as a new row; false when the statement failed.
    bool ajouteSql(QSqlDatabase& db, QMutex* mutex) const;
    // Deletes every seat of barcode `code` and issuer `editeur` (this record plays no
    // part). True also when there was none; false when the statement failed.
    bool deleteSql(QSqlDatabase& db, QMutex* mutex, QString code, unsigned int editeur) const;

    // Statement pieces, shared with the list and the local-ticket writes.
    static QString insertHead();
    QString valuesSql() const;
    QString ajouteStatement() const;
    static QString deleteStatement(const QString& code, unsigned int editeur);
    void readRow(const QSqlQuery& query);
};

// Seats keyed by TARIF_ID once loaded, several under one key (the row read last
// first); writers add under the size key 0, 1, 2...
class CDataPlaceListe : public CDataMultiListe<unsigned int, CDataPlace>
{
public:
    // Replaces the content with the seats of barcode `code` (exact) and issuer
    // `editeur`. False (list empty) when the statement failed.
    bool initParSql(QSqlDatabase& db,
                    QMutex* mutex,
                    QString code,
                    unsigned int editeur,
                    sqlrun::Prepared* prepared = nullptr);
    // Adds every entry as a new row, in key order, at most 100 rows a statement;
    // identical entries give identical rows. False when a statement failed (the others
    // are still written). The list keeps its content.
    bool ajouteSql(QSqlDatabase& db, QMutex* mutex) const;
    void dropList();
};
