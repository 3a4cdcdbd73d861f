#pragma once

#include "data/CDataListe.h"

#include <QMutex>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

// One row of the drain queue VIDANGE (main database): a journal entry that was still
// pending when its ticket list was deleted, with that list's DELTA context, so that
// it can be uploaded later under the login and zone it was made with.
//
// Every SQL operation runs one statement on the connection it is given, holding
// `mutex` (may be null, must not be held by the caller) for that statement only.
// Failures are logged at level 2 and reported through the result only. Any thread.
class CDataVidange
{
public:
    unsigned int ID = 0;
    unsigned int TYPE = 0;
    unsigned int REP_ID = 0;
    unsigned int EDITEUR_ID = 0;
    QString DATE;
    QString CODE_BARRE;
    QString LOGIN;
    QString PASSWORD;
    unsigned int ZONE_ID = 0;
    unsigned int DELTA_ID = 0;
    QString DELTA_DATE;

    // Numbers 0, texts empty, both dates at the epoch.
    void initDefaut();

    // Deletes the row ID. True also when it is gone already; false when the
    // statement failed.
    bool deleteSql(QSqlDatabase& db, QMutex* mutex) const;

    // Statement pieces, shared with the list.
    static QString insertHead();
    QString valuesSql() const;
    void readRow(const QSqlQuery& query);
};

class CDataVidangeListe : public CDataListe<unsigned int, CDataVidange>
{
public:
    // Replaces the content with every row of VIDANGE, keyed by ID, from the database
    // `schema` of the connection (an attached one, or its own "main"). False (list
    // empty) when the statement failed.
    bool initParSql(QSqlDatabase& db, QMutex* mutex, const QString& schema = QStringLiteral("main"));
    // Adds every entry as a new row (IDs given by the database, following the key
    // order), at most 100 rows a statement; identical entries are all kept. False when
    // a statement failed (the others are still written). The list keeps its content.
    bool ajouteSql(QSqlDatabase& db, QMutex* mutex) const;
    void dropList();
};
