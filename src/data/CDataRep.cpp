#include "data/CDataRep.h"

#include "data/SqlRunner.h"

#include <QSqlQuery>
#include <QVariant>

#include <utility>

namespace
{

// Year 2170 rather than the end of time of CDateHeure: tickets of the default
// performance must stay valid whatever the clock says.
const QString kDateDebutDefaut = QStringLiteral("1970-01-01 00:00:00");
const QString kDateFinDefaut = QStringLiteral("2170-01-01 00:00:00");

}  // namespace

void CDataRep::initDefaut()
{
    ID = 0;
    EVENT_ID = 0;
    DATE_DEBUT = kDateDebutDefaut;
    DATE_FIN = kDateFinDefaut;
    NB_COMPOSTAGE = 1;
}

QString CDataRep::selectSql()
{
    return QStringLiteral("select ID,EVENT_ID,DATE_DEBUT,DATE_FIN,NB_COMPOSTAGE from REP");
}

// NB_COMPOSTAGE comes third here, unlike the table; the values follow this list.
QString CDataRep::insertHead()
{
    return QStringLiteral("replace into REP (ID, EVENT_ID, NB_COMPOSTAGE, DATE_DEBUT, DATE_FIN) ");
}

QString CDataRep::valuesSql() const
{
    return sqlrun::quoted(ID) + QLatin1Char(',') + sqlrun::quoted(EVENT_ID) + QLatin1Char(',')
           + sqlrun::quoted(NB_COMPOSTAGE) + QLatin1Char(',') + sqlrun::quoted(DATE_DEBUT) + QLatin1Char(',')
           + sqlrun::quoted(DATE_FIN);
}

void CDataRep::readRow(const QSqlQuery& query)
{
    ID = query.value(0).toUInt();
    EVENT_ID = query.value(1).toUInt();
    DATE_DEBUT = query.value(2).toString();
    DATE_FIN = query.value(3).toString();
    NB_COMPOSTAGE = query.value(4).toUInt();
}

bool CDataRep::initParSql(QSqlDatabase& db, QMutex* mutex, unsigned int id)
{
    const QString statement = selectSql() + QStringLiteral(" where ID=") + QString::number(id);
    initDefaut();
    return sqlrun::exec(db, mutex, statement, QStringLiteral("Erreur initParSql "), [this](QSqlQuery& query) {
        readRow(query);
    });
}

unsigned int CDataRep::ajouteSql(QSqlDatabase& db, QMutex* mutex) const
{
    const QString statement = insertHead() + QStringLiteral("values (") + valuesSql() + QLatin1Char(')');
    quint32 rowId = 0;
    sqlrun::exec(db, mutex, statement, QStringLiteral("Erreur ajouteSql "), {}, &rowId);
    return rowId;
}

bool CDataRep::sauvegardeParSql(QSqlDatabase& db, QMutex* mutex) const
{
    return sauvegardeParSql(db, mutex, ID);
}

bool CDataRep::sauvegardeParSql(QSqlDatabase& db, QMutex* mutex, unsigned int key) const
{
    const QString statement = QStringLiteral("update REP set EVENT_ID=") + sqlrun::quoted(EVENT_ID)
                              + QStringLiteral(",DATE_DEBUT=") + sqlrun::quoted(DATE_DEBUT)
                              + QStringLiteral(",DATE_FIN=") + sqlrun::quoted(DATE_FIN)
                              + QStringLiteral(",NB_COMPOSTAGE=") + sqlrun::quoted(NB_COMPOSTAGE)
                              + QStringLiteral(" where ID=") + sqlrun::quoted(key);
    return sqlrun::exec(db, mutex, statement, QStringLiteral("Erreur sauvegardeParSql "));
}

bool CDataRepListe::initParSql(QSqlDatabase& db, QMutex* mutex)
{
    return load(db, mutex, CDataRep::selectSql(), [](QSqlQuery& query) {
        CDataRep record;
        record.readRow(query);
        return std::pair{record.ID, record};
    });
}

bool CDataRepListe::ajouteSql(QSqlDatabase& db, QMutex* mutex) const
{
    return writeAll(db, mutex, QStringLiteral("Erreur dataRepListe ajouteSql "));
}

void CDataRepListe::sauvegardeParSql(QSqlDatabase& db, QMutex* mutex, CDataRepListe* other)
{
    saveEach(db, mutex, other);
}

bool CDataRepListe::affecteRep(unsigned int key, CDataRep& out) const
{
    return copyEntry(key, out);
}

void CDataRepListe::dropList()
{
    clear();
}
