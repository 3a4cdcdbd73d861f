#include "data/CDataEvenement.h"

#include "core/CParam.h"
#include "core/Log.h"
#include "data/SqlRunner.h"

#include <QSqlQuery>
#include <QVariant>

#include <utility>

void CDataEvenement::initDefaut()
{
    NOM = QStringLiteral("");
    IMAGE = QStringLiteral("");
    ID = 0;
    TYPE = 0;
}

QString CDataEvenement::insertHead()
{
    return QStringLiteral("replace into EVENEMENT (ID, TYPE, NOM, IMAGE) ");
}

QString CDataEvenement::valuesSql() const
{
    return sqlrun::quoted(ID) + QLatin1Char(',') + sqlrun::quoted(TYPE) + QLatin1Char(',') + sqlrun::quoted(NOM)
           + QLatin1Char(',') + sqlrun::quoted(IMAGE);
}

void CDataEvenement::readRow(const QSqlQuery& query)
{
    ID = query.value(0).toUInt();
    NOM = query.value(1).toString();
    IMAGE = query.value(2).toString();
    TYPE = query.value(3).toUInt();
}

bool CDataEvenement::initParSql(QSqlDatabase& db, QMutex* mutex, unsigned int id, unsigned int type)
{
    const QString statement = QStringLiteral("select ID,NOM,IMAGE,TYPE FROM EVENEMENT where ID=") + QString::number(id)
                              + QStringLiteral(" and TYPE=") + QString::number(type);
    return sqlrun::exec(db, mutex, statement, QStringLiteral("Erreur initParSql "), [this](QSqlQuery& query) {
        readRow(query);
    });
}

unsigned int CDataEvenement::ajouteSql(QSqlDatabase& db, QMutex* mutex) const
{
    const QString statement = insertHead() + QStringLiteral("values (") + valuesSql() + QLatin1Char(')');
    quint32 rowId = 0;
    sqlrun::exec(db, mutex, statement, QStringLiteral("Erreur ajouteSql "), {}, &rowId);
    return rowId;
}

bool CDataEvenement::deleteSql(QSqlDatabase& db, QMutex* mutex) const
{
    const QString statement = QStringLiteral("delete from EVENEMENT where ID=") + sqlrun::quoted(ID)
                              + QStringLiteral(" and TYPE=") + sqlrun::quoted(TYPE);
    return sqlrun::exec(db, mutex, statement, QStringLiteral("Erreur deleteSql "));
}

bool CDataEvenement::sauvegardeParSql(QSqlDatabase& db, QMutex* mutex) const
{
    return sauvegardeParSql(db, mutex, ID);
}

bool CDataEvenement::sauvegardeParSql(QSqlDatabase& db, QMutex* mutex, unsigned int key) const
{
    const QString statement = QStringLiteral("update EVENEMENT set NOM=") + sqlrun::quoted(NOM)
                              + QStringLiteral(",IMAGE=") + sqlrun::quoted(IMAGE) + QStringLiteral(",TYPE=")
                              + sqlrun::quoted(TYPE) + QStringLiteral(" where ID=") + sqlrun::quoted(key);
    return sqlrun::exec(db, mutex, statement, QStringLiteral("Erreur sauvegardeParSql "));
}

// Grouping by EVENEMENT.ID alone merges an event and a pass of the same ID into one
// entry, and leaves SQLite free to pick which of the two (and which start date) the
// row shows; the display has always relied on this very text.
bool CDataEvenementListe::initParSql(QSqlDatabase& db, QMutex* mutex)
{
    const QString statement = QStringLiteral(
        "select EVENEMENT.ID,EVENEMENT.NOM,EVENEMENT.IMAGE,EVENEMENT.TYPE from REPRESENTATION inner join EVENEMENT "
        "on REPRESENTATION.EVENEMENT_ID = EVENEMENT.ID group by EVENEMENT.ID order by EVENEMENT.TYPE desc, "
        "REPRESENTATION.DATE_DEBUT asc");
    if (gParam && gParam->isDebug) {
        enregistreLog(6, QStringLiteral("initParSql : ") + statement, false);
    }
    unsigned int position = 0;
    return load(db, mutex, statement, [&position](QSqlQuery& query) {
        CDataEvenement record;
        record.readRow(query);
        return std::pair{position++, record};
    });
}

void CDataEvenementListe::sauvegardeParSql(QSqlDatabase& db, QMutex* mutex, CDataEvenementListe* other)
{
    saveEach(db, mutex, other);
}

bool CDataEvenementListe::affecteEvenement(unsigned int key, CDataEvenement& out) const
{
    return copyEntry(key, out);
}
