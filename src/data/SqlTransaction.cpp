#include "data/SqlTransaction.h"

#include "core/Database.h"
#include "core/Log.h"

#include <QSqlError>

namespace sqlrun
{

Transaction::Transaction(QSqlDatabase& db, const QString& errorHead)
    : m_db(db)
    , m_errorHead(errorHead)
{
    m_open = checkConnectionAlive(m_db) && m_db.transaction();
    if (!m_open) {
        enregistreLog(2, m_errorHead + QStringLiteral("begin : ") + m_db.lastError().text(), false);
    }
}

Transaction::~Transaction()
{
    if (m_open) {
        m_db.rollback();
    }
}

bool Transaction::isOpen() const
{
    return m_open;
}

bool Transaction::commit()
{
    if (!m_open) {
        return false;
    }
    if (m_db.commit()) {
        m_open = false;
        return true;
    }
    enregistreLog(2, m_errorHead + QStringLiteral("commit : ") + m_db.lastError().text(), false);
    return false;
}

}  // namespace sqlrun
