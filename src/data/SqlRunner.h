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

// Largest number of rows one statement of a multi-row write sends.
inline constexpr int kMaxRowsPerStatement = 100;
// Statements of one multi-row write committed together (5,000 rows): committing
// each statement alone costs several times the writing on a big list. The mutex is
// released between groups, so that a scan waits for one group at most (about 0.2 s
// on a list database of 500,000 tickets).
inline constexpr int kStatementsPerTransaction = 50;

using RowReader = std::function<void(QSqlQuery& query)>;

// Runs `statement`; `readRow` is called for each row while the mutex is held.
// `lastInsertId`, when given, receives the row id of the write (0 on failure).
// Returns whether the statement ran; a statement with a refusal is not run.
bool exec(QSqlDatabase& db,
          QMutex* mutex,
          const QString& statement,
          const QString& errorHead,
          const RowReader& readRow = {},
          quint32* lastInsertId = nullptr);

// Writes `rows` (each "select '..','..'") after `head` in statements of at most
// kMaxRowsPerStatement rows joined by " union all ", in the given order, committed
// by groups of kStatementsPerTransaction statements. Every statement is tried, and
// a failing one loses only its own rows; returns whether all succeeded. An empty
// `rows` runs `head` alone, which the database rejects and which is logged like any
// failure. Any thread, with the mutex not held by the caller.
bool execRows(QSqlDatabase& db, QMutex* mutex, const QString& head, const QStringList& rows, const QString& errorHead);

// Several statements under one hold of the mutex: a read and the write computed
// from it must not let another thread's statement in between. The mutex (may be
// null) is taken by the constructor and released with the object. Any thread, with
// the mutex not held by the caller.
class Locked
{
public:
    Locked(QSqlDatabase& db, QMutex* mutex);
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

    // As sqlrun::exec, with the mutex already held.
    bool exec(const QString& statement,
              const QString& errorHead,
              const RowReader& readRow = {},
              quint32* lastInsertId = nullptr);

private:
    QSqlDatabase& m_db;
    QMutexLocker<QMutex> m_lock;
};

// Why `statement` may not run, or an empty text when it may. A NUL or an unpaired
// UTF-16 surrogate is refused: only a value that skipped utilSqlFormateString brings
// one, and SQLite would not read the statement as it is written (a NUL ends it, a lone
// half swallows the code unit after it). Both runners, exec and the queries, ask it.
QString refusal(const QString& statement);

// The one shape of a failure's log line: <errorHead><statement> : <error>.
QString failureLine(const QString& errorHead, QString statement, const QString& error);

// "'" + value + "'" with the value passed through utilSqlFormateString.
QString quoted(const QString& text);
QString quoted(quint32 number);

}  // namespace sqlrun
