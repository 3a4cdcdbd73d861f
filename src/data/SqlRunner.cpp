#include "data/SqlRunner.h"

#include "core/Database.h"
#include "core/Log.h"
#include "core/Util.h"

#include <QSet>
#include <QSqlError>
#include <QSqlResult>
#include <QVariant>

#include <algorithm>

namespace sqlrun
{

namespace
{

// Connections with an open Transaction, by name.
class OpenTransactions
{
public:
    void set(const QString& connection, bool open)
    {
        QMutexLocker lock(&m_mutex);
        if (open) {
            m_names.insert(connection);
        } else {
            m_names.remove(connection);
        }
    }

    bool contains(const QString& connection) const
    {
        QMutexLocker lock(&m_mutex);
        return m_names.contains(connection);
    }

private:
    mutable QMutex m_mutex;
    QSet<QString> m_names;
};

OpenTransactions& openTransactions()
{
    static OpenTransactions instance;
    return instance;
}

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
    // In the caller's transaction a failed statement may have undone it whole (a full
    // disk): going on would commit the next statements one by one.
    if (inTransaction(db)) {
        for (const QString& statement : statements) {
            if (!execLocked(db, statement, errorHead, {}, nullptr)) {
                return false;
            }
        }
        return true;
    }
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
    for (qsizetype group = 0; group < rows.size() && (allWritten || !inTransaction(db)); group += rowsPerGroup) {
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

namespace
{

// Whether the statement of `query` still exists: closing its connection finalizes it.
bool isPrepared(const QSqlQuery& query)
{
    const QSqlResult* result = query.result();
    if (!result) {
        return false;
    }
    const QVariant handle = result->handle();
    return handle.isValid() && qstrcmp(handle.typeName(), "sqlite3_stmt*") == 0
           && *static_cast<void* const*>(handle.constData()) != nullptr;
}

bool runBound(QSqlQuery& query,
              const QString& statement,
              const QVariantList& values,
              const QString& errorHead,
              const RowReader& readRow,
              int* changes)
{
    for (qsizetype i = 0; i < values.size(); ++i) {
        query.bindValue(int(i), values[i]);
    }
    if (!query.exec()) {
        enregistreLog(2, failureLine(errorHead, withValues(statement, values), query.lastError().text()), false);
        query.finish();
        return false;
    }
    if (changes) {
        *changes = query.numRowsAffected();
    }
    if (readRow) {
        while (query.next()) {
            readRow(query);
        }
    }
    query.finish();
    return true;
}

}  // namespace

QSqlQuery* Prepared::query(QSqlDatabase& db, const QString& text, const QString& errorHead, const QVariantList& values)
{
    const auto it = m_queries.find(text);
    if (it != m_queries.end() && isPrepared(*it->second)) {
        return it->second.get();
    }
    auto query = std::make_unique<QSqlQuery>(db);
    // Rows are read once, in order: no copy of them is kept.
    query->setForwardOnly(true);
    if (!query->prepare(text)) {
        enregistreLog(2, failureLine(errorHead, withValues(text, values), query->lastError().text()), false);
        m_queries.erase(text);
        return nullptr;
    }
    QSqlQuery* prepared = query.get();
    m_queries[text] = std::move(query);
    return prepared;
}

void Prepared::clear()
{
    m_queries.clear();
}

QVariant bound(const QString& text)
{
    const QString formatted = utilSqlFormateString(text);
    // A null text would be bound as NULL, where a quoted one is ''.
    return formatted.isNull() ? QStringLiteral("") : formatted;
}

QVariant bound(quint32 number)
{
    return QVariant::fromValue(qlonglong(number));
}

bool execBound(QSqlDatabase& db,
               Prepared* prepared,
               const QString& statement,
               const QVariantList& values,
               const QString& errorHead,
               const RowReader& readRow,
               int* changes)
{
    if (changes) {
        *changes = 0;
    }
    checkConnectionAlive(db);
    Prepared once;
    QSqlQuery* query = (prepared ? prepared : &once)->query(db, statement, errorHead, values);
    return query && runBound(*query, statement, values, errorHead, readRow, changes);
}

bool execBound(QSqlDatabase& db,
               QMutex* mutex,
               Prepared* prepared,
               const QString& statement,
               const QVariantList& values,
               const QString& errorHead,
               const RowReader& readRow)
{
    QMutexLocker lock(mutex);
    return execBound(db, prepared, statement, values, errorHead, readRow);
}

bool inTransaction(const QSqlDatabase& db)
{
    return openTransactions().contains(db.connectionName());
}

Transaction::Transaction(QSqlDatabase& db, QMutex* mutex, const QString& errorHead)
    : m_db(db)
    , m_mutex(mutex)
    , m_errorHead(errorHead)
{
    QMutexLocker lock(m_mutex);
    m_open = checkConnectionAlive(m_db) && m_db.transaction();
    if (!m_open) {
        enregistreLog(2, m_errorHead + QStringLiteral("begin : ") + m_db.lastError().text(), false);
        return;
    }
    openTransactions().set(m_db.connectionName(), true);
}

Transaction::~Transaction()
{
    if (m_open) {
        end(false);
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
    end(true);
    return m_committed;
}

void Transaction::end(bool keep)
{
    QMutexLocker lock(m_mutex);
    openTransactions().set(m_db.connectionName(), false);
    m_open = false;
    m_committed = keep && m_db.commit();
    if (keep && !m_committed) {
        enregistreLog(2, m_errorHead + QStringLiteral("commit : ") + m_db.lastError().text(), false);
    }
    if (!m_committed) {
        // Fails harmlessly when SQLite has already undone the transaction itself.
        m_db.rollback();
    }
}

namespace
{

// Whether `text` holds a character that the quoting helper or the statement check must
// look at: a quote, a NUL or a UTF-16 surrogate. Most texts hold none, and a big list
// write passes millions of them: one plain pass instead of the helpers' own walk.
bool mayBeUnsafe(QStringView text, bool quoteToo)
{
    return std::any_of(text.utf16(), text.utf16() + text.size(), [quoteToo](char16_t c) {
        return c == 0 || (c & 0xF800) == 0xD800 || (quoteToo && c == u'\'');
    });
}

}  // namespace

QString refusal(const QString& statement)
{
    return !mayBeUnsafe(statement, false) || utilSqlTexteSur(statement)
               ? QString()
               : QStringLiteral("statement refused: it holds a NUL or an unpaired UTF-16 surrogate");
}

QString failureLine(const QString& errorHead, QString statement, const QString& error)
{
    // A NUL would cut the line short for whoever reads the log.
    statement.replace(QChar(u'\0'), QLatin1Char(' '));
    return errorHead + statement + QStringLiteral(" : ") + error;
}

QString withValues(const QString& statement, const QVariantList& values)
{
    QString text;
    qsizetype next = 0;
    bool isInQuotes = false;
    for (const QChar c : statement) {
        if (c == QLatin1Char('\'')) {
            isInQuotes = !isInQuotes;
        }
        if (c != QLatin1Char('?') || isInQuotes || next >= values.size()) {
            text += c;
            continue;
        }
        const QVariant& value = values[next++];
        if (!value.isValid()) {
            text += QStringLiteral("NULL");
        } else if (value.typeId() == QMetaType::QString) {
            text += quoted(value.toString());
        } else {
            text += value.toString();
        }
    }
    return text;
}

QString quoted(const QString& text)
{
    return QLatin1Char('\'') + utilSqlFormateString(text) + QLatin1Char('\'');
}

QString quoted(quint32 number)
{
    return QLatin1Char('\'') + QString::number(number) + QLatin1Char('\'');
}

void ValueList::separate()
{
    if (m_text.isEmpty()) {
        m_text.reserve(256);
    } else {
        m_text += QLatin1Char(',');
    }
}

ValueList& ValueList::operator<<(const QString& text)
{
    separate();
    m_text += QLatin1Char('\'');
    if (mayBeUnsafe(text, true)) {
        m_text += utilSqlFormateString(text);
    } else {
        m_text += text;
    }
    m_text += QLatin1Char('\'');
    return *this;
}

ValueList& ValueList::operator<<(quint32 number)
{
    separate();
    char digits[12];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number != 0);
    m_text += QLatin1Char('\'');
    while (count > 0) {
        m_text += QLatin1Char(digits[--count]);
    }
    m_text += QLatin1Char('\'');
    return *this;
}

QString ValueList::text() const
{
    return m_text;
}

}  // namespace sqlrun
