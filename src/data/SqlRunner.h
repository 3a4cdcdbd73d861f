#pragma once

#include <QMutex>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <functional>

// The one way the data classes run a statement: under the database mutex (when
// given), failures logged at level 2 as <errorHead><statement> : <error text>.
namespace sqlrun
{

// Largest number of rows one multi-row write sends.
inline constexpr int kMaxRowsPerStatement = 100;

using RowReader = std::function<void(QSqlQuery& query)>;

// Runs `statement`; `readRow` is called for each row while the mutex is held.
// `lastInsertId`, when given, receives the row id of the write (0 on failure).
// Returns whether the statement ran.
bool exec(QSqlDatabase& db,
          QMutex* mutex,
          const QString& statement,
          const QString& errorHead,
          const RowReader& readRow = {},
          quint32* lastInsertId = nullptr);

// Writes `rows` (each "select '..','..'") after `head` in statements of at most
// kMaxRowsPerStatement rows joined by " union all ", in the given order. Every
// statement is tried; returns whether all succeeded. An empty `rows` runs `head`
// alone, which the database rejects and which is logged like any failure.
bool execRows(QSqlDatabase& db, QMutex* mutex, const QString& head, const QStringList& rows, const QString& errorHead);

// "'" + value + "'" with the value's quotes turned into blanks.
QString quoted(const QString& text);
QString quoted(quint32 number);

}  // namespace sqlrun
