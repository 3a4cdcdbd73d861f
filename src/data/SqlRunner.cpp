#include "data/SqlRunner.h"

#include "core/Database.h"
#include "core/Log.h"
#include "core/Util.h"

#include <QSqlError>
#include <QVariant>

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
    checkConnectionAlive(db);
    QSqlQuery query(db);
    if (!query.exec(statement)) {
        enregistreLog(2, errorHead + statement + QStringLiteral(" : ") + query.lastError().text(), false);
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

bool execRows(QSqlDatabase& db, QMutex* mutex, const QString& head, const QStringList& rows, const QString& errorHead)
{
    if (rows.isEmpty()) {
        return exec(db, mutex, head, errorHead);
    }
    bool allWritten = true;
    for (qsizetype first = 0; first < rows.size(); first += kMaxRowsPerStatement) {
        const QString statement = head + rows.mid(first, kMaxRowsPerStatement).join(QStringLiteral(" union all "));
        if (!exec(db, mutex, statement, errorHead)) {
            allWritten = false;
        }
    }
    return allWritten;
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
