#include "data/CDataRepresentation.h"

#include "core/CParam.h"
#include "core/Log.h"
#include "data/SqlRunner.h"

#include <QSqlQuery>
#include <QVariant>

#include <utility>

namespace
{

const QString kDateNonDefinie = QStringLiteral("1970-01-01 00:00:00");

// The three reads trace their statement in debug mode; the other tables do not.
void traceRead(const QString& statement)
{
    if (gParam && gParam->isDebug) {
        enregistreLog(6, QStringLiteral("initParSql : ") + statement, false);
    }
}

QString updateSql(const CDataRepresentation& record, unsigned int key)
{
    return QStringLiteral("update REPRESENTATION set NOM_SALLE=") + sqlrun::quoted(record.NOM_SALLE)
           + QStringLiteral(",EVENEMENT_ID=") + sqlrun::quoted(record.EVENEMENT_ID) + QStringLiteral(",NOM_EVT=")
           + sqlrun::quoted(record.NOM_EVT) + QStringLiteral(",NB_TICKET=") + sqlrun::quoted(record.NB_TICKET)
           + QStringLiteral(",NB_PLACE=") + sqlrun::quoted(record.NB_PLACE) + QStringLiteral(",DATE_DEBUT=")
           + sqlrun::quoted(record.DATE_DEBUT) + QStringLiteral(",DATE_FIN=") + sqlrun::quoted(record.DATE_FIN)
           + QStringLiteral(",DATE_FIN_VENTE=") + sqlrun::quoted(record.DATE_FIN_VENTE) + QStringLiteral(" where ID=")
           + sqlrun::quoted(key);
}

}  // namespace

void CDataRepresentation::initDefaut()
{
    ID = 0;
    EVENEMENT_ID = 0;
    NB_TICKET = 0;
    NB_PLACE = 0;
    NOM_SALLE = QStringLiteral("");
    NOM_EVT = QStringLiteral("");
    DATE_DEBUT = kDateNonDefinie;
    DATE_FIN = kDateNonDefinie;
    DATE_FIN_VENTE = kDateNonDefinie;
}

QString CDataRepresentation::selectSql()
{
    return QStringLiteral(
        "select ID,NOM_SALLE,NOM_EVT,EVENEMENT_ID,NB_TICKET,NB_PLACE,DATE_DEBUT,DATE_FIN,DATE_FIN_VENTE FROM "
        "REPRESENTATION");
}

QString CDataRepresentation::insertHead()
{
    return QStringLiteral(
        "replace into REPRESENTATION (ID, NOM_SALLE, NOM_EVT, EVENEMENT_ID, NB_TICKET, NB_PLACE, DATE_DEBUT, "
        "DATE_FIN, DATE_FIN_VENTE) ");
}

QString CDataRepresentation::valuesSql() const
{
    const QStringList values{sqlrun::quoted(ID),
                             sqlrun::quoted(NOM_SALLE),
                             sqlrun::quoted(NOM_EVT),
                             sqlrun::quoted(EVENEMENT_ID),
                             sqlrun::quoted(NB_TICKET),
                             sqlrun::quoted(NB_PLACE),
                             sqlrun::quoted(DATE_DEBUT),
                             sqlrun::quoted(DATE_FIN),
                             sqlrun::quoted(DATE_FIN_VENTE)};
    return values.join(QLatin1Char(','));
}

void CDataRepresentation::readRow(const QSqlQuery& query)
{
    ID = query.value(0).toUInt();
    NOM_SALLE = query.value(1).toString();
    NOM_EVT = query.value(2).toString();
    EVENEMENT_ID = query.value(3).toUInt();
    NB_TICKET = query.value(4).toUInt();
    NB_PLACE = query.value(5).toUInt();
    DATE_DEBUT = query.value(6).toString();
    DATE_FIN = query.value(7).toString();
    DATE_FIN_VENTE = query.value(8).toString();
}

bool CDataRepresentation::initParSql(QSqlDatabase& db, QMutex* mutex, unsigned int id, unsigned int evenementId)
{
    const QString statement = selectSql() + QStringLiteral(" where ID=") + QString::number(id)
                              + QStringLiteral(" and EVENEMENT_ID=") + QString::number(evenementId);
    traceRead(statement);
    return sqlrun::exec(db, mutex, statement, QStringLiteral("Erreur initParSql "), [this](QSqlQuery& query) {
        readRow(query);
    });
}

unsigned int CDataRepresentation::ajouteSql(QSqlDatabase& db, QMutex* mutex) const
{
    const QString statement = insertHead() + QStringLiteral("values (") + valuesSql() + QLatin1Char(')');
    quint32 rowId = 0;
    sqlrun::exec(db, mutex, statement, QStringLiteral("Erreur dataRep ajouteSql "), {}, &rowId);
    return rowId;
}

// The two rewrites log under different heads; the logs have always told them apart so.
bool CDataRepresentation::sauvegardeParSql(QSqlDatabase& db, QMutex* mutex) const
{
    return sqlrun::exec(db, mutex, updateSql(*this, ID), QStringLiteral("Erreur sauvegardeParSql "));
}

bool CDataRepresentation::sauvegardeParSql(QSqlDatabase& db, QMutex* mutex, unsigned int key) const
{
    return sqlrun::exec(db, mutex, updateSql(*this, key), QStringLiteral("Erreur dataRep sauvegardeParSql "));
}

bool CDataRepresentation::deleteSql(QSqlDatabase& db, QMutex* mutex) const
{
    const QString statement = QStringLiteral("delete from REPRESENTATION where ID=") + sqlrun::quoted(ID)
                              + QStringLiteral(" and EVENEMENT_ID=") + sqlrun::quoted(EVENEMENT_ID);
    return sqlrun::exec(db, mutex, statement, QStringLiteral("Erreur deleteSql "));
}

bool CDataRepresentationListe::loadWhere(QSqlDatabase& db, QMutex* mutex, const QString& clause)
{
    const QString statement = CDataRepresentation::selectSql() + clause + QStringLiteral(" order by DATE_DEBUT");
    traceRead(statement);
    return load(db, mutex, statement, [](QSqlQuery& query) {
        CDataRepresentation record;
        record.readRow(query);
        return std::pair{record.ID, record};
    });
}

bool CDataRepresentationListe::initParSql(QSqlDatabase& db, QMutex* mutex)
{
    return loadWhere(db, mutex, QString());
}

bool CDataRepresentationListe::initParSql(QSqlDatabase& db, QMutex* mutex, unsigned int evenementId)
{
    return loadWhere(db, mutex, QStringLiteral(" where EVENEMENT_ID=") + QString::number(evenementId));
}

bool CDataRepresentationListe::ajouteSql(QSqlDatabase& db, QMutex* mutex) const
{
    return writeAll(db, mutex, QStringLiteral("Erreur dataRepresentationListe ajouteSql "));
}

void CDataRepresentationListe::sauvegardeParSql(QSqlDatabase& db, QMutex* mutex, CDataRepresentationListe* other)
{
    saveEach(db, mutex, other);
}

bool CDataRepresentationListe::affecteRepresentation(unsigned int key, CDataRepresentation& out) const
{
    return copyEntry(key, out);
}

void CDataRepresentationListe::dropList()
{
    clear();
}
