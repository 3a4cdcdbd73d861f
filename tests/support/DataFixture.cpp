#include "DataFixture.h"

#include "core/AppFolder.h"
#include "core/Database.h"

#include "CoreFixture.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace
{

const QString kConnection = QStringLiteral("test");

}  // namespace

QStringList sqlRows(QSqlDatabase& db, const QString& sql)
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

bool sqlRun(QSqlDatabase& db, const QString& sql)
{
    return QSqlQuery(db).exec(sql);
}

DataFixture::DataFixture(bool withLog)
{
    fixture::initCore(withLog);
    db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnection);
}

DataFixture::~DataFixture()
{
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(kConnection);
}

bool DataFixture::openRep(const QString& name)
{
    dropBDD(db, &mutex);
    const bool opened = openRepBDD(db, &mutex, dbFolder() + name);
    fixture::clearLog();
    return opened;
}

bool DataFixture::openMain()
{
    dropBDD(db, &mutex);
    const bool opened = openBDD(db, &mutex);
    fixture::clearLog();
    return opened;
}
