#include "data/CDataRecherche.h"

#include "core/CParam.h"
#include "core/Database.h"
#include "core/Log.h"
#include "data/SqlRunner.h"

void CDataRecherche::initConnectionSql(QSqlDatabase db, QMutex* mutex)
{
    m_db = db;
    m_mutex = mutex;
}

QSqlError CDataRecherche::erreurSql() const
{
    return m_erreur;
}

void CDataRecherche::setPieces(const QString& select,
                               const QString& condition,
                               const QStringList& where,
                               const QStringList& orderBy,
                               const QString& groupBy,
                               const QString& limit)
{
    m_select = select;
    m_condition = condition;
    m_where = where;
    m_orderBy = orderBy;
    m_groupBy = groupBy;
    m_limit = limit;
}

QSqlQuery CDataRecherche::getData()
{
    QStringList conditions = m_where;
    if (!m_condition.isEmpty()) {
        // The own condition may be a chain of "or": keep it whole beside the others.
        conditions.prepend(m_where.isEmpty() ? m_condition : QLatin1Char('(') + m_condition + QLatin1Char(')'));
    }
    QString statement = m_select;
    if (!conditions.isEmpty()) {
        statement += QStringLiteral(" where ") + conditions.join(QStringLiteral(" and "));
    }
    if (!m_groupBy.isEmpty()) {
        statement += QStringLiteral(" group by ") + m_groupBy;
    }
    if (!m_orderBy.isEmpty()) {
        statement += QStringLiteral(" order by ") + m_orderBy.join(QLatin1Char(','));
    }
    if (!m_limit.isEmpty()) {
        statement += QStringLiteral(" limit ") + m_limit;
    }
    if (gParam && gParam->isDebug) {
        enregistreLog(5, QStringLiteral("Recherche : ") + statement, false);
    }

    m_statement = statement;
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    const QString refused = sqlrun::refusal(statement);
    if (!refused.isEmpty()) {
        m_erreur = QSqlError(QString(), refused, QSqlError::StatementError);
        return query;
    }
    checkConnectionAlive(m_db);
    const bool ran = query.exec(statement);
    m_erreur = query.lastError();
    if (!ran && !m_erreur.isValid()) {
        // A closed connection refuses the statement without setting an error.
        m_erreur = QSqlError(QString(), QStringLiteral("database not open"), QSqlError::ConnectionError);
    }
    return query;
}

bool CDataRecherche::verifieSql(const QString& errorHead) const
{
    if (!m_erreur.isValid()) {
        return true;
    }
    enregistreLog(2, sqlrun::failureLine(errorHead, m_statement, m_erreur.text()), false);
    return false;
}

bool CDataRecherche::signaleErreur(const QSqlError& error, QWidget* parent)
{
    return erreurDb(error, gParam && gParam->isDebug, parent, false, 3);
}
