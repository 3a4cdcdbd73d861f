#include "data/SqlRunner.h"

#include "core/Database.h"
#include "core/Log.h"
#include "core/Util.h"

#include <QSqlError>
#include <QVariant>

#include <algorithm>

namespace sqlrun
{

namespace
{

// Runs one statement with the mutex already held (or none given).
bool execLocked(QSqlDatabase& db,
                const QString& statement,
                const QString& errorHead,
                const RowReader& readRow,
                quint32* lastInsertId)
{
    const QString refused = refusal(statement);
    if (!refused.isEmpty()) {
        enregistreLog(2, failureLine(errorHead, statement, refused), false);
        return false;
    }
    checkConnectionAlive(db);
    QSqlQuery query(db);
    if (!query.exec(statement)) {
        enregistreLog(2, failureLine(errorHead, statement, query.lastError().text()), false);
        return false;
    }
    if (lastInsertId) {
        *lastInsertId = query.lastInsertId().toUInt();
    }
    if (readRow) {
        while (query.next()) {
            readRow(query);
        }
    }
    return true;
}

// Runs the statements of one multi-row write with the mutex held, committed together
// when there are several: one commit instead of one per statement. A failing
// statement loses only its own rows: the transaction is committed right after it
// (SQLite has undone that statement alone, or the whole transaction on a disk error,
// in which case the statements before it run again), and the rest run one by one.
bool execGroup(QSqlDatabase& db, const QStringList& statements, const QString& errorHead)
{
    const bool inTransaction = statements.size() > 1 && checkConnectionAlive(db) && db.transaction();
    bool ok = true;
    qsizetype next = 0;
    while (next < statements.size() && ok) {
        ok = execLocked(db, statements[next], errorHead, {}, nullptr);
        ++next;
    }
    if (inTransaction && !db.commit()) {
        enregistreLog(2, errorHead + QStringLiteral("commit : ") + db.lastError().text(), false);
        db.rollback();
        const qsizetype succeeded = ok ? next : next - 1;
        for (qsizetype i = 0; i < succeeded; ++i) {
            ok = execLocked(db, statements[i], errorHead, {}, nullptr) && ok;
        }
    }
    for (; next < statements.size(); ++next) {
        ok = execLocked(db, statements[next], errorHead, {}, nullptr) && ok;
    }
    return ok;
}

}  // namespace

bool exec(QSqlDatabase& db,
          QMutex* mutex,
          const QString& statement,
          const QString& errorHead,
          const RowReader& readRow,
          quint32* lastInsertId)
{
    if (lastInsertId) {
        *lastInsertId = 0;
    }
    QMutexLocker lock(mutex);
    return execLocked(db, statement, errorHead, readRow, lastInsertId);
}

Locked::Locked(QSqlDatabase& db, QMutex* mutex)
    : m_db(db)
    , m_lock(mutex)
{}

bool Locked::exec(const QString& statement, const QString& errorHead, const RowReader& readRow, quint32* lastInsertId)
{
    if (lastInsertId) {
        *lastInsertId = 0;
    }
    return execLocked(m_db, statement, errorHead, readRow, lastInsertId);
}

bool execRows(QSqlDatabase& db, QMutex* mutex, const QString& head, const QStringList& rows, const QString& errorHead)
{
    if (rows.isEmpty()) {
        return exec(db, mutex, head, errorHead);
    }
    constexpr qsizetype rowsPerGroup = qsizetype(kMaxRowsPerStatement) * kStatementsPerTransaction;
    bool allWritten = true;
    for (qsizetype group = 0; group < rows.size(); group += rowsPerGroup) {
        QStringList statements;
        const qsizetype end = std::min(rows.size(), group + rowsPerGroup);
        for (qsizetype first = group; first < end; first += kMaxRowsPerStatement) {
            statements.append(head
                              + rows.mid(first, std::min<qsizetype>(kMaxRowsPerStatement, end - first))
                                    .join(QStringLiteral(" union all ")));
        }
        QMutexLocker lock(mutex);
        if (!execGroup(db, statements, errorHead)) {
            allWritten = false;
        }
    }
    return allWritten;
}

QString refusal(const QString& statement)
{
    return utilSqlTexteSur(statement)
               ? QString()
               : QStringLiteral("statement refused: it holds a NUL or an unpaired UTF-16 surrogate");
}

QString failureLine(const QString& errorHead, QString statement, const QString& error)
{
    // A NUL would cut the line short for whoever reads the log.
    statement.replace(QChar(u'\0'), QLatin1Char(' '));
    return errorHead + statement + QStringLiteral(" : ") + error;
}

QString quoted(const QString& text)
{
    return QLatin1Char('\'') + utilSqlFormateString(text) + QLatin1Char('\'');
}

QString quoted(quint32 number)
{
    return QLatin1Char('\'') + QString::number(number) + QLatin1Char('\'');
}

}  // namespace sqlrun
