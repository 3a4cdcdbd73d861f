#pragma once

#include <QSqlDatabase>
#include <QString>

namespace sqlrun
{

// A step that must be all or nothing: begun by the constructor, rolled back by the
// destructor unless commit() succeeded. The caller holds the database mutex (see
// sqlrun::Locked) for the whole life of the object. Any thread.
class Transaction
{
public:
    // A failed begin is logged at level 2 as <errorHead>"begin : "<error text>.
    Transaction(QSqlDatabase& db, const QString& errorHead);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Whether the transaction began; nothing may be written otherwise.
    bool isOpen() const;
    // False (logged, rolled back) when the commit failed or nothing began.
    bool commit();

private:
    QSqlDatabase& m_db;
    QString m_errorHead;
    bool m_open = false;
};

}  // namespace sqlrun
