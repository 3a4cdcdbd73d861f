#include "data/CDataPlace.h"

#include "data/SqlRunner.h"

#include <QSqlQuery>
#include <QVariant>

#include <utility>

namespace
{

QString whereTicket(const QString& code, unsigned int editeur)
{
    return QStringLiteral(" where CODE_BARRE=") + sqlrun::quoted(code) + QStringLiteral(" and EDITEUR_ID=")
           + sqlrun::quoted(editeur);
}

}  // namespace

void CDataPlace::initDefaut()
{
    CODE_BARRE = QStringLiteral("");
    TARIF_ID = 0;
    EDITEUR_ID = 0;
    PLACEMENT = QStringLiteral("");
}

// The list's head: PLACE has no key, so rows are plainly inserted.
QString CDataPlace::insertHead()
{
    return QStringLiteral("insert into PLACE (CODE_BARRE, TARIF_ID, EDITEUR_ID, PLACEMENT) ");
}

QString CDataPlace::valuesSql() const
{
    return (sqlrun::ValueList() << CODE_BARRE << TARIF_ID << EDITEUR_ID << PLACEMENT).text();
}

void CDataPlace::readRow(const QSqlQuery& query)
{
    CODE_BARRE = query.value(0).toString();
    TARIF_ID = query.value(1).toUInt();
    EDITEUR_ID = query.value(2).toUInt();
    PLACEMENT = query.value(3).toString();
}

QString CDataPlace::ajouteStatement() const
{
    return QStringLiteral("replace into PLACE (CODE_BARRE, TARIF_ID, EDITEUR_ID, PLACEMENT) values (") + valuesSql()
           + QLatin1Char(')');
}

QString CDataPlace::deleteStatement(const QString& code, unsigned int editeur)
{
    return QStringLiteral("delete from PLACE") + whereTicket(code, editeur);
}

bool CDataPlace::ajouteSql(QSqlDatabase& db, QMutex* mutex) const
{
    return sqlrun::exec(db, mutex, ajouteStatement(), QStringLiteral("Erreur ajouteSql "));
}

bool CDataPlace::deleteSql(QSqlDatabase& db, QMutex* mutex, QString code, unsigned int editeur) const
{
    return sqlrun::exec(db, mutex, deleteStatement(code, editeur), QStringLiteral("Erreur deleteSql "));
}

bool CDataPlaceListe::initParSql(QSqlDatabase& db,
                                 QMutex* mutex,
                                 QString code,
                                 unsigned int editeur,
                                 sqlrun::Prepared* prepared)
{
    const QString statement = QStringLiteral(
        "select CODE_BARRE,TARIF_ID,EDITEUR_ID,PLACEMENT from PLACE where CODE_BARRE=? and EDITEUR_ID=?");
    // The issuer as a text, as the other statements of PLACE write it (and so its
    // failure line reads); the column's affinity compares it as the same number.
    const QVariantList values{sqlrun::bound(code), sqlrun::bound(QString::number(editeur))};
    return loadBound(db, mutex, prepared, statement, values, [](QSqlQuery& query) {
        CDataPlace place;
        place.readRow(query);
        return std::pair{place.TARIF_ID, place};
    });
}

bool CDataPlaceListe::ajouteSql(QSqlDatabase& db, QMutex* mutex) const
{
    return writeAll(db, mutex, QStringLiteral("Erreur dataPlaceListe ajouteSql "));
}

void CDataPlaceListe::dropList()
{
    clear();
}
