#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

// Every row of `sql`, its columns joined by "|"; "<failed>" when it does not run.
inline QStringList sqlRows(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery query(db);
    QStringList rows;
    if (!query.exec(sql)) {
        rows.append(QStringLiteral("<failed>"));
    }
    while (query.next()) {
        QStringList columns;
        for (int i = 0; i < query.record().count(); ++i) {
            columns.append(query.value(i).toString());
        }
        rows.append(columns.join(QLatin1Char('|')));
    }
    return rows;
}

// Runs a statement of the test's own set-up.
inline bool sqlRun(QSqlDatabase& db, const QString& sql)
{
    return QSqlQuery(db).exec(sql);
}
