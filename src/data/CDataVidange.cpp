#include "data/CDataVidange.h"

#include "data/SqlRunner.h"

#include <QSqlQuery>
#include <QVariant>

#include <utility>

void CDataVidange::initDefaut()
{
    ID = 0;
    TYPE = 0;
    REP_ID = 0;
    EDITEUR_ID = 0;
    CODE_BARRE = QStringLiteral("");
    DATE = QStringLiteral("1970-01-01 00:00:00");
    LOGIN = QStringLiteral("");
    PASSWORD = QStringLiteral("");
    ZONE_ID = 0;
    DELTA_ID = 0;
    DELTA_DATE = QStringLiteral("1970-01-01 00:00:00");
}

// CODE_BARRE before DATE here, unlike the table.
QString CDataVidange::insertHead()
{
    return QStringLiteral("insert into VIDANGE (TYPE, REP_ID, EDITEUR_ID, CODE_BARRE, DATE, LOGIN, PASSWORD, ZONE_ID, "
                          "DELTA_ID, DELTA_DATE) ");
}

QString CDataVidange::valuesSql() const
{
    const QLatin1Char comma(',');
    return sqlrun::quoted(TYPE) + comma + sqlrun::quoted(REP_ID) + comma + sqlrun::quoted(EDITEUR_ID) + comma
           + sqlrun::quoted(CODE_BARRE) + comma + sqlrun::quoted(DATE) + comma + sqlrun::quoted(LOGIN) + comma
           + sqlrun::quoted(PASSWORD) + comma + sqlrun::quoted(ZONE_ID) + comma + sqlrun::quoted(DELTA_ID) + comma
           + sqlrun::quoted(DELTA_DATE);
}

void CDataVidange::readRow(const QSqlQuery& query)
{
    ID = query.value(0).toUInt();
    TYPE = query.value(1).toUInt();
    REP_ID = query.value(2).toUInt();
    EDITEUR_ID = query.value(3).toUInt();
    CODE_BARRE = query.value(4).toString();
    DATE = query.value(5).toString();
    LOGIN = query.value(6).toString();
    PASSWORD = query.value(7).toString();
    ZONE_ID = query.value(8).toUInt();
    DELTA_ID = query.value(9).toUInt();
    DELTA_DATE = query.value(10).toString();
}

bool CDataVidange::deleteSql(QSqlDatabase& db, QMutex* mutex) const
{
    return sqlrun::exec(db,
                        mutex,
                        QStringLiteral("delete from VIDANGE where ID=") + sqlrun::quoted(ID),
                        QStringLiteral("Erreur deleteSql "));
}

bool CDataVidangeListe::initParSql(QSqlDatabase& db, QMutex* mutex, const QString& schema)
{
    const QString statement =
        QStringLiteral(
            "select ID,TYPE,REP_ID,EDITEUR_ID,CODE_BARRE,DATE,LOGIN,PASSWORD,ZONE_ID,DELTA_ID,DELTA_DATE from ")
        + schema + QStringLiteral(".VIDANGE order by ID asc");
    return load(db, mutex, statement, [](QSqlQuery& query) {
        CDataVidange vidange;
        vidange.readRow(query);
        return std::pair{vidange.ID, vidange};
    });
}

bool CDataVidangeListe::ajouteSql(QSqlDatabase& db, QMutex* mutex) const
{
    return writeAll(db, mutex, QStringLiteral("Erreur dataVidangeListe ajouteSql "));
}

void CDataVidangeListe::dropList()
{
    clear();
}
