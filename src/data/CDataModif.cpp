#include "data/CDataModif.h"

#include "data/SqlRunner.h"

#include <QSqlQuery>
#include <QVariant>

#include <utility>

namespace
{

const QString kColumns = QStringLiteral("(TYPE, STATUS, AGENT_ID, REP_ID, EDITEUR_ID, CODE_BARRE, NEW_VALUE, DATE) ");

const QString kSelect =
    QStringLiteral("select ID,TYPE,STATUS,AGENT_ID,REP_ID,EDITEUR_ID,CODE_BARRE,NEW_VALUE,DATE from MODIF");

}  // namespace

void CDataModif::initDefaut()
{
    ID = 0;
    TYPE = 0;
    STATUS = 0;
    REP_ID = 0;
    EDITEUR_ID = 0;
    AGENT_ID = QStringLiteral("");
    CODE_BARRE = QStringLiteral("");
    NEW_VALUE = QStringLiteral("");
    DATE = QStringLiteral("1970-01-01 00:00:00");
}

// The list's head: rows are always added, the database numbers them.
QString CDataModif::insertHead()
{
    return QStringLiteral("insert into MODIF ") + kColumns;
}

QString CDataModif::valuesSql() const
{
    return (sqlrun::ValueList() << TYPE << STATUS << AGENT_ID << REP_ID << EDITEUR_ID << CODE_BARRE << NEW_VALUE
                                << DATE)
        .text();
}

void CDataModif::readRow(const QSqlQuery& query)
{
    ID = query.value(0).toUInt();
    TYPE = query.value(1).toUInt();
    STATUS = query.value(2).toUInt();
    AGENT_ID = query.value(3).toString();
    REP_ID = query.value(4).toUInt();
    EDITEUR_ID = query.value(5).toUInt();
    CODE_BARRE = query.value(6).toString();
    NEW_VALUE = query.value(7).toString();
    DATE = query.value(8).toString();
}

QString CDataModif::ajouteStatement() const
{
    return QStringLiteral("replace into MODIF ") + kColumns + QStringLiteral("values (") + valuesSql()
           + QLatin1Char(')');
}

QString CDataModif::insertBoundStatement()
{
    return insertHead() + QStringLiteral("values (?,?,?,?,?,?,?,?)");
}

QVariantList CDataModif::boundValues() const
{
    return {sqlrun::bound(TYPE),
            sqlrun::bound(STATUS),
            sqlrun::bound(AGENT_ID),
            sqlrun::bound(REP_ID),
            sqlrun::bound(EDITEUR_ID),
            sqlrun::bound(CODE_BARRE),
            sqlrun::bound(NEW_VALUE),
            sqlrun::bound(DATE)};
}

bool CDataModif::ajouteSql(QSqlDatabase& db, QMutex* mutex) const
{
    return sqlrun::exec(db, mutex, ajouteStatement(), QStringLiteral("Erreur ajouteSql "));
}

bool CDataModif::synchroSql(QSqlDatabase& db, QMutex* mutex)
{
    sqlrun::Locked locked(db, mutex);
    STATUS = MODIF_STATUS_SENT;
    const QString statement = QStringLiteral("update MODIF set STATUS=") + sqlrun::quoted(STATUS)
                              + QStringLiteral(" where ID=") + sqlrun::quoted(ID);
    return locked.exec(statement, QStringLiteral("Erreur synchroSql "));
}

unsigned int CDataModif::kindOf(unsigned int type)
{
    if (type == MODIF_PUNCH_LAST) {
        return MODIF_PUNCH;
    }
    return type == MODIF_UNPUNCH_LAST ? MODIF_UNPUNCH : type;
}

// The rows of the same barcode, issuer, date and kind.
QString CDataModif::samePunchWhere() const
{
    QString types = QString::number(TYPE);
    const unsigned int kind = kindOf(TYPE);
    if (kind == MODIF_PUNCH || kind == MODIF_UNPUNCH) {
        types = QString::number(kind) + QLatin1Char(',')
                + QString::number(kind == MODIF_PUNCH ? MODIF_PUNCH_LAST : MODIF_UNPUNCH_LAST);
    }
    return QStringLiteral(" where CODE_BARRE=") + sqlrun::quoted(CODE_BARRE) + QStringLiteral(" and EDITEUR_ID=")
           + sqlrun::quoted(EDITEUR_ID) + QStringLiteral(" and DATE=") + sqlrun::quoted(DATE)
           + QStringLiteral(" and TYPE in (") + types + QLatin1Char(')');
}

bool CDataModif::existeSql(QSqlDatabase& db, QMutex* mutex, bool& found) const
{
    const QString statement = QStringLiteral("select 1 from MODIF") + samePunchWhere() + QStringLiteral(" limit 1");
    found = false;
    return sqlrun::exec(db, mutex, statement, QStringLiteral("Erreur existeSql "), [&found](QSqlQuery&) {
        found = true;
    });
}

bool CDataModif::heldSql(QSqlDatabase& db, QMutex* mutex, const QString& agent, Held& held) const
{
    const QString statement = QStringLiteral("select STATUS,REP_ID,AGENT_ID from MODIF") + samePunchWhere();
    held = Held();
    return sqlrun::exec(db, mutex, statement, QStringLiteral("Erreur heldSql "), [&held, &agent](QSqlQuery& query) {
        if (query.value(0).toUInt() == MODIF_STATUS_PENDING) {
            held.pending = true;
        } else if (query.value(1).toUInt() != 0) {
            held.local = true;
        } else if (query.value(2).toString() == agent) {
            held.service = true;
        }
    });
}

bool CDataModif::deleteSentLocalSql(QSqlDatabase& db, QMutex* mutex) const
{
    const QString statement = QStringLiteral("delete from MODIF") + samePunchWhere() + QStringLiteral(" and STATUS=")
                              + QString::number(MODIF_STATUS_SENT) + QStringLiteral(" and REP_ID<>0");
    return sqlrun::exec(db, mutex, statement, QStringLiteral("Erreur deleteSentLocalSql "));
}

bool CDataModifListe::markPendingSentSql(QSqlDatabase& db, QMutex* mutex, const QString& schema, unsigned int lastId)
{
    const QString statement = QStringLiteral("update ") + schema + QStringLiteral(".MODIF set STATUS=")
                              + QString::number(MODIF_STATUS_SENT) + QStringLiteral(" where STATUS=")
                              + QString::number(MODIF_STATUS_PENDING) + QStringLiteral(" and ID<=")
                              + QString::number(lastId);
    return sqlrun::exec(db, mutex, statement, QStringLiteral("Erreur markPendingSentSql "));
}

bool CDataModifListe::initLocalPunchParSql(QSqlDatabase& db, QMutex* mutex)
{
    const QString statement = kSelect + QStringLiteral(" where STATUS=") + QString::number(MODIF_STATUS_PENDING)
                              + QStringLiteral(" order by ID asc");
    clear();
    return sqlrun::exec(db, mutex, statement, QStringLiteral("Erreur initLocalPunchParSql "), [this](QSqlQuery& query) {
        CDataModif modif;
        modif.readRow(query);
        insert(modif.ID, modif);
    });
}

bool CDataModifListe::initParSql(QSqlDatabase& db,
                                 QMutex* mutex,
                                 QString code,
                                 unsigned int editeur,
                                 sqlrun::Prepared* prepared)
{
    const QString statement = kSelect + QStringLiteral(" where CODE_BARRE=? and EDITEUR_ID=? order by DATE desc");
    const QVariantList values{sqlrun::bound(code), sqlrun::bound(editeur)};
    unsigned int key = 0;
    return loadBound(db, mutex, prepared, statement, values, [&key](QSqlQuery& query) {
        CDataModif modif;
        modif.readRow(query);
        return std::pair{key++, modif};
    });
}

QString CDataModifListe::deleteStatement(const QString& code, unsigned int editeur)
{
    return QStringLiteral("delete from MODIF where CODE_BARRE=") + sqlrun::quoted(code)
           + QStringLiteral(" and EDITEUR_ID=") + sqlrun::quoted(editeur);
}

bool CDataModifListe::deleteSql(QSqlDatabase& db, QMutex* mutex, QString code, unsigned int editeur) const
{
    return sqlrun::exec(db, mutex, deleteStatement(code, editeur), QStringLiteral("Erreur deleteSql "));
}

bool CDataModifListe::ajouteSql(QSqlDatabase& db, QMutex* mutex) const
{
    return writeAll(db, mutex, QStringLiteral("Erreur dataModifListe ajouteSql "));
}

bool CDataModifListe::affecteModif(unsigned int key, CDataModif& out) const
{
    return copyEntry(key, out);
}

void CDataModifListe::dropList()
{
    clear();
}
