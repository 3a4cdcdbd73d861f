#include "data/CDataBillet.h"

#include "core/Log.h"
#include "core/Util.h"
#include "data/SqlRunner.h"

#include <QList>
#include <QSqlQuery>
#include <QVariant>

#include <utility>

namespace
{

const QString kDateAchatDefaut = QStringLiteral("1970-01-01 00:00:00");

// Where clause of the writes: the row of this barcode and issuer.
QString whereBillet(const CDataBillet& billet)
{
    return QStringLiteral(" where CODE_BARRE=") + sqlrun::quoted(billet.CODE_BARRE) + QStringLiteral(" and EDITEUR_ID=")
           + sqlrun::quoted(billet.EDITEUR_ID);
}

// Reads the stored IS_USABLE and NB_COMPOSTAGE into `billet`, applies `change` and
// writes the result, all under one hold of the mutex. Without a stored row the
// record's own values are changed and the update touches nothing.
template <typename Change>
bool updateCount(CDataBillet& billet, QSqlDatabase& db, QMutex* mutex, const QString& errorHead, Change change)
{
    sqlrun::Locked locked(db, mutex);
    const QString select = QStringLiteral("select IS_USABLE,NB_COMPOSTAGE from BILLET") + whereBillet(billet);
    const bool read = locked.exec(select, errorHead, [&billet](QSqlQuery& query) {
        billet.IS_USABLE = query.value(0).toUInt();
        billet.NB_COMPOSTAGE = query.value(1).toUInt();
    });
    change(billet);
    if (!read) {
        return false;
    }
    const QString statement = QStringLiteral("update BILLET set IS_USABLE=") + sqlrun::quoted(billet.IS_USABLE)
                              + QStringLiteral(",NB_COMPOSTAGE=") + sqlrun::quoted(billet.NB_COMPOSTAGE)
                              + whereBillet(billet);
    return locked.exec(statement, errorHead);
}

}  // namespace

void CDataBillet::initDefaut()
{
    ID = 0;
    EDITEUR_ID = 0;
    REP_ID = 0;
    CANAL_VENTE_ID = 0;
    IS_USABLE = 1;
    IS_DELETED = 0;
    NOM_PORTEUR = QStringLiteral("");
    PRENOM_PORTEUR = QStringLiteral("");
    TEL_PORTEUR = QStringLiteral("");
    NOM_ACHETEUR = QStringLiteral("");
    PRENOM_ACHETEUR = QStringLiteral("");
    TEL_ACHETEUR = QStringLiteral("");
    DATE_ACHAT = kDateAchatDefaut;
    IMAGE = QStringLiteral("");
    MAIL = QStringLiteral("");
    CODE_BARRE = QStringLiteral("");
    NB_COMPOSTAGE = 1;
}

QString CDataBillet::selectSql()
{
    return QStringLiteral(
        "select ID,EDITEUR_ID,REP_ID,CANAL_VENTE_ID,IS_USABLE,IS_DELETED,NB_COMPOSTAGE,NOM_PORTEUR,PRENOM_PORTEUR,"
        "TEL_PORTEUR,NOM_ACHETEUR,PRENOM_ACHETEUR,TEL_ACHETEUR,DATE_ACHAT,IMAGE,MAIL,CODE_BARRE from BILLET");
}

QString CDataBillet::insertHead()
{
    return QStringLiteral(
        "replace into BILLET (ID, EDITEUR_ID, REP_ID, CANAL_VENTE_ID, IS_USABLE, IS_DELETED, NB_COMPOSTAGE, "
        "NOM_PORTEUR, PRENOM_PORTEUR, TEL_PORTEUR, NOM_ACHETEUR, PRENOM_ACHETEUR, TEL_ACHETEUR, DATE_ACHAT, IMAGE, "
        "MAIL, CODE_BARRE) ");
}

// Same column order as selectSql: NB_COMPOSTAGE seventh.
QString CDataBillet::valuesSql() const
{
    return (sqlrun::ValueList() << ID << EDITEUR_ID << REP_ID << CANAL_VENTE_ID << IS_USABLE << IS_DELETED
                                << NB_COMPOSTAGE << NOM_PORTEUR << PRENOM_PORTEUR << TEL_PORTEUR << NOM_ACHETEUR
                                << PRENOM_ACHETEUR << TEL_ACHETEUR << DATE_ACHAT << IMAGE << MAIL << CODE_BARRE)
        .text();
}

void CDataBillet::readRow(const QSqlQuery& query)
{
    ID = query.value(0).toUInt();
    EDITEUR_ID = query.value(1).toUInt();
    REP_ID = query.value(2).toUInt();
    CANAL_VENTE_ID = query.value(3).toUInt();
    IS_USABLE = query.value(4).toUInt();
    IS_DELETED = query.value(5).toUInt();
    NB_COMPOSTAGE = query.value(6).toUInt();
    NOM_PORTEUR = query.value(7).toString();
    PRENOM_PORTEUR = query.value(8).toString();
    TEL_PORTEUR = query.value(9).toString();
    NOM_ACHETEUR = query.value(10).toString();
    PRENOM_ACHETEUR = query.value(11).toString();
    TEL_ACHETEUR = query.value(12).toString();
    DATE_ACHAT = query.value(13).toString();
    IMAGE = query.value(14).toString();
    MAIL = query.value(15).toString();
    CODE_BARRE = query.value(16).toString();
}

bool CDataBillet::initParSql(QSqlDatabase& db, QMutex* mutex, QString codeBarre, unsigned int editeurId, bool* failed)
{
    const QString statement = selectSql() + QStringLiteral(" where upper(CODE_BARRE)=upper('")
                              + utilSqlFormateString(codeBarre) + QStringLiteral("') and EDITEUR_ID=")
                              + QString::number(editeurId);
    sqlrun::Locked locked(db, mutex);
    QList<CDataBillet> rows;
    if (!locked.exec(statement, QStringLiteral("Erreur initParSql "), [&rows](QSqlQuery& query) {
            CDataBillet row;
            row.readRow(query);
            rows.append(row);
        })) {
        if (failed) {
            *failed = true;
        }
        return false;
    }
    if (failed) {
        *failed = false;
    }
    enregistreLog(6, QStringLiteral("search Barcode : ") + statement, false);
    for (const CDataBillet& row : std::as_const(rows)) {
        enregistreLog(6, QStringLiteral("image = ") + row.IMAGE, false);
        *this = row;
    }
    return !rows.isEmpty();
}

bool CDataBillet::initParSqlExact(QSqlDatabase& db,
                                  QMutex* mutex,
                                  QString codeBarre,
                                  unsigned int editeurId,
                                  bool& found)
{
    found = false;
    CDataBillet row;
    row.CODE_BARRE = codeBarre;
    row.EDITEUR_ID = editeurId;
    return sqlrun::exec(db,
                        mutex,
                        selectSql() + whereBillet(row),
                        QStringLiteral("Erreur initParSql "),
                        [this, &found](QSqlQuery& query) {
                            readRow(query);
                            found = true;
                        });
}

bool CDataBillet::punchSql(QSqlDatabase& db, QMutex* mutex, bool lastUse)
{
    return updateCount(*this, db, mutex, QStringLiteral("Erreur punchSql "), [lastUse](CDataBillet& billet) {
        if (billet.NB_COMPOSTAGE > 0) {
            --billet.NB_COMPOSTAGE;
        }
        if (lastUse) {
            billet.IS_USABLE = 0;
        }
    });
}

bool CDataBillet::unpunchSql(QSqlDatabase& db, QMutex* mutex)
{
    return updateCount(*this, db, mutex, QStringLiteral("Erreur unpunchSql "), [](CDataBillet& billet) {
        ++billet.NB_COMPOSTAGE;
        billet.IS_USABLE = 1;
    });
}

bool CDataBillet::setIsDeletedSql(QSqlDatabase& db, QMutex* mutex)
{
    sqlrun::Locked locked(db, mutex);
    IS_DELETED = 1;
    const QString statement =
        QStringLiteral("update BILLET set IS_DELETED=") + sqlrun::quoted(IS_DELETED) + whereBillet(*this);
    return locked.exec(statement, QStringLiteral("Erreur setIsDeletedSql "));
}

bool CDataBillet::deleteSql(QSqlDatabase& db, QMutex* mutex)
{
    sqlrun::Locked locked(db, mutex);
    IS_DELETED = 1;
    return locked.exec(deleteStatement(CODE_BARRE, EDITEUR_ID), QStringLiteral("Erreur deleteSql "));
}

QString CDataBillet::ajouteStatement() const
{
    return insertHead() + QStringLiteral("values (") + valuesSql() + QLatin1Char(')');
}

QString CDataBillet::deleteStatement(const QString& code, unsigned int editeur)
{
    return QStringLiteral("delete from BILLET where CODE_BARRE=") + sqlrun::quoted(code)
           + QStringLiteral(" and EDITEUR_ID=") + sqlrun::quoted(editeur);
}

unsigned int CDataBillet::ajouteSql(QSqlDatabase& db, QMutex* mutex) const
{
    quint32 rowId = 0;
    sqlrun::exec(db, mutex, ajouteStatement(), QStringLiteral("Erreur ajouteSql "), {}, &rowId);
    return rowId;
}

bool CDataBilletListe::initParSqlByCodeBarre(QSqlDatabase& db,
                                             QMutex* mutex,
                                             QString codeBarre,
                                             sqlrun::Prepared* prepared)
{
    const QString statement = CDataBillet::selectSql() + QStringLiteral(" where CODE_BARRE=?");
    return loadBound(db, mutex, prepared, statement, {sqlrun::bound(codeBarre)}, [](QSqlQuery& query) {
        CDataBillet billet;
        billet.readRow(query);
        return std::pair{billet.ID, billet};
    });
}

bool CDataBilletListe::ajouteSql(QSqlDatabase& db, QMutex* mutex) const
{
    return writeAll(db, mutex, QStringLiteral("Erreur dataBilletListe ajouteSql "));
}

void CDataBilletListe::dropList()
{
    clear();
}

bool CDataBilletListe::compteSql(QSqlDatabase& db, QMutex* mutex, int& live, int& usedUp)
{
    live = 0;
    usedUp = 0;
    return sqlrun::exec(
        db,
        mutex,
        QStringLiteral("select count(*),coalesce(sum(NB_COMPOSTAGE=0),0) from BILLET where IS_DELETED=0"),
        QStringLiteral("Erreur compteSql "),
        [&](QSqlQuery& query) {
            live = query.value(0).toInt();
            usedUp = query.value(1).toInt();
        });
}
