#pragma once

#include <QMutex>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <functional>
#include <map>
#include <memory>

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
// a failing one loses only its own rows; returns whether all succeeded. Inside a
// Transaction of the connection the statements join it instead, and the first
// failure ends the write. An empty `rows` runs `head` alone, which the database
// rejects and which is logged like any failure. Any thread, with the mutex not held
// by the caller.
bool execRows(QSqlDatabase& db, QMutex* mutex, const QString& head, const QStringList& rows, const QString& errorHead);

// Statements with "?" placeholders prepared once on one connection and run again with
// new values: the lookups and writes made at every scan. A statement finalized since
// (its connection was closed, or moved to another file) is prepared again. One thread,
// one connection; clear() before the connection is removed.
class Prepared
{
public:
    // The statement of `text`, prepared on `db` when it is not yet, or no longer. Null
    // when the preparation failed (logged after `errorHead`, with `values` in place).
    QSqlQuery* query(QSqlDatabase& db, const QString& text, const QString& errorHead, const QVariantList& values = {});
    void clear();

private:
    std::map<QString, std::unique_ptr<QSqlQuery>> m_queries;
};

// A value bound to a placeholder. Texts go through the same helper as quoted(), so a
// value is stored and matched the same bound or quoted.
QVariant bound(const QString& text);
QVariant bound(quint32 number);

// Runs `statement` with `values` bound in order, prepared through `prepared` (may be
// null: prepared for this run only), with the mutex already held (or none needed).
// `changes`, when given, receives the rows a write changed. Logged and false on
// failure. The statement is reset after its rows are read, so it holds no lock.
bool execBound(QSqlDatabase& db,
               Prepared* prepared,
               const QString& statement,
               const QVariantList& values,
               const QString& errorHead,
               const RowReader& readRow = {},
               int* changes = nullptr);
// As execBound, holding `mutex` (may be null; not held by the caller) for the call.
bool execBound(QSqlDatabase& db,
               QMutex* mutex,
               Prepared* prepared,
               const QString& statement,
               const QVariantList& values,
               const QString& errorHead,
               const RowReader& readRow = {});

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

// Makes the statements run on one connection all-or-nothing: begun by the
// constructor, rolled back by the destructor unless commit() succeeded. Begin,
// commit and rollback hold `mutex` (null when the caller already holds it, as under
// Locked); the statements in between take whatever mutex they are given. A failed
// begin or commit is logged at level 2 after `errorHead`. One thread, one
// connection; not nested.
class Transaction
{
public:
    Transaction(QSqlDatabase& db, QMutex* mutex, const QString& errorHead = QStringLiteral("Erreur "));
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Whether the transaction began (and was neither committed nor rolled back).
    bool isOpen() const;
    // Commits; on failure rolls back. False when nothing was committed.
    bool commit();

private:
    void end(bool keep);

    QSqlDatabase& m_db;
    QMutex* m_mutex;
    QString m_errorHead;
    bool m_open = false;
    bool m_committed = false;
};

// Whether a Transaction is open on this connection.
bool inTransaction(const QSqlDatabase& db);

// Why `statement` may not run, or an empty text when it may. A NUL or an unpaired
// UTF-16 surrogate is refused: only a value that skipped utilSqlFormateString brings
// one, and SQLite would not read the statement as it is written (a NUL ends it, a lone
// half swallows the code unit after it). Both runners, exec and the queries, ask it.
QString refusal(const QString& statement);

// The one shape of a failure's log line: <errorHead><statement> : <error>.
QString failureLine(const QString& errorHead, QString statement, const QString& error);
// `statement` as it would read written out, for the log: its "?" placeholders (those
// outside quotes) replaced in order by `values`, a text through quoted(), a number in
// decimal.
QString withValues(const QString& statement, const QVariantList& values);

// "'" + value + "'" with the value passed through utilSqlFormateString.
QString quoted(const QString& text);
QString quoted(quint32 number);

// The values of one row, each as quoted() gives it, joined by commas: the same text
// as joining quoted() pieces, built in one buffer (a big list write makes millions).
class ValueList
{
public:
    ValueList& operator<<(const QString& text);
    ValueList& operator<<(quint32 number);
    QString text() const;

private:
    void separate();

    QString m_text;
};

}  // namespace sqlrun
