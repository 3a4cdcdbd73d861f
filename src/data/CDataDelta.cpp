#include "data/CDataDelta.h"

#include "data/SqlRunner.h"

#include <QSqlQuery>
#include <QVariant>

void CDataDelta::initDefaut()
{
    LAST_UPDATE = QStringLiteral("1970-01-01 00:00:00");
    ID = 0;
    LOGIN = QStringLiteral("");
    PASSWORD = QStringLiteral("");
    ZONE_ID = 0;
}

// A replace gives the row a new row number above the others, so the table order ends
// with the row written last.
bool CDataDelta::initParSql(QSqlDatabase& db, QMutex* mutex)
{
    return sqlrun::exec(db,
                        mutex,
                        QStringLiteral("select ID,LAST_UPDATE,LOGIN,PASSWORD,ZONE_ID from DELTA"),
                        QStringLiteral("Erreur initParSql "),
                        [this](QSqlQuery& query) {
                            ID = query.value(0).toUInt();
                            LAST_UPDATE = query.value(1).toString();
                            LOGIN = query.value(2).toString();
                            PASSWORD = query.value(3).toString();
                            ZONE_ID = query.value(4).toUInt();
                        });
}

unsigned int CDataDelta::ajouteSql(QSqlDatabase& db, QMutex* mutex) const
{
    const QLatin1Char comma(',');
    const QString statement = QStringLiteral("replace into DELTA (ID, LAST_UPDATE, LOGIN, PASSWORD, ZONE_ID) values (")
                              + sqlrun::quoted(ID) + comma + sqlrun::quoted(LAST_UPDATE) + comma + sqlrun::quoted(LOGIN)
                              + comma + sqlrun::quoted(PASSWORD) + comma + sqlrun::quoted(ZONE_ID) + QLatin1Char(')');
    quint32 rowId = 0;
    sqlrun::exec(db, mutex, statement, QStringLiteral("Erreur ajouteSql "), {}, &rowId);
    return rowId;
}
