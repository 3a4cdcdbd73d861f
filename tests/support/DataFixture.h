#pragma once

#include <QMutex>
#include <QObject>
#include <QSqlDatabase>
#include <QStringList>
#include <QVariant>

// Every row of `sql`, its columns joined by "|"; "<failed>" when it does not run.
QStringList sqlRows(QSqlDatabase& db, const QString& sql);

// The values joined by "|" as sqlRows shows them, numbers in decimal: a record read
// back, field by field, to compare with its row.
template <typename... Values>
QString fieldsRow(const Values&... values)
{
    return QStringList{QVariant::fromValue(values).toString()...}.join(QLatin1Char('|'));
}

// Runs a statement of the test's own set-up.
bool sqlRun(QSqlDatabase& db, const QString& sql);

// Base of the data-layer tests: the core services, and the "test" connection and the
// database mutex for as long as the test object lives.
class DataFixture : public QObject
{
    Q_OBJECT

protected:
    explicit DataFixture(bool withLog = false);
    ~DataFixture() override;

    // Remove every database, point `db` at a fresh ticket-list database `name` of the
    // database folder (or at the main database), then empty the log.
    bool openRep(const QString& name = QStringLiteral("R1_Z0.db"));
    bool openMain();

    QSqlDatabase db;
    QMutex mutex;
};
