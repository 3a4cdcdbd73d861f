#pragma once

#include <QMutex>
#include <QMutexLocker>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

class QWidget;

// Base of the read-only queries the screens run on the open ticket-list database
// (ticket search, local tickets, counts). It keeps the pieces of one select
// statement, assembles and runs it, and keeps the error of that run.
//
// Unlike the other data classes a query never takes the database mutex: its caller
// holds it around getData, so that several queries can share one lock. Use
// execute(), which also keeps any error box out of the locked section. GUI thread
// only; a query object lives on the stack of one window operation.
class CDataRecherche
{
public:
    // Stores a copy of the handle (the same connection) and the mutex the caller
    // will hold around getData.
    void initConnectionSql(QSqlDatabase db, QMutex* mutex);

    // The error of the statement this query ran last: not valid when that statement
    // succeeded or when nothing has run yet. Later statements on the connection do
    // not change it.
    QSqlError erreurSql() const;

    // Takes the mutex given to the first query's initConnectionSql, runs each
    // query's getData in the order given, releases the mutex and only then hands the
    // first failure to erreurDb (logged at level 3; a box, parented to `parent`, only
    // in debug mode). Returns true when every query succeeded; on false none of the
    // results may be used. GUI thread only; the caller must not hold the mutex.
    template <typename First, typename... Rest>
    static bool execute(QWidget* parent, First& first, Rest&... rest)
    {
        {
            QMutexLocker lock(static_cast<CDataRecherche&>(first).m_mutex);
            first.getData();
            (rest.getData(), ...);
        }
        QSqlError erreur = first.erreurSql();
        ((erreur = erreur.isValid() ? erreur : rest.erreurSql()), ...);
        return !signaleErreur(erreur, parent);
    }

protected:
    // Replaces every piece at once. `condition` is the query's own where condition;
    // the caller's `where` conditions are added to it with " and ".
    void setPieces(const QString& select,
                   const QString& condition,
                   const QStringList& where,
                   const QStringList& orderBy,
                   const QString& groupBy = QString(),
                   const QString& limit = QString());

    // Assembles the statement (select, where, group by, order by, limit), logs it at
    // level 5 in debug mode, and runs it on the stored connection unless
    // sqlrun::refusal refuses it. Returns the query before its first row; a failure is
    // only kept for erreurSql. The caller holds the mutex.
    QSqlQuery getData();

    // False after logging "<errorHead><statement> : <error text>" at level 2 when the
    // last getData failed; true otherwise.
    bool verifieSql(const QString& errorHead) const;

private:
    // erreurDb with the query family's settings; true when `error` was reported.
    static bool signaleErreur(const QSqlError& error, QWidget* parent);

    QSqlDatabase m_db;
    QMutex* m_mutex = nullptr;
    QString m_select;
    QString m_condition;
    QStringList m_where;
    QStringList m_orderBy;
    QString m_groupBy;
    QString m_limit;
    // The statement getData assembled last, for the failure's log line.
    QString m_statement;
    QSqlError m_erreur;
};
