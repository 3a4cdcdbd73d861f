#include "data/CDataReferences.h"

#include <QSqlQuery>
#include <QVariant>

namespace
{

template <typename Liste, typename Key>
QString nameIn(const Liste& liste, const Key& id)
{
    const auto it = liste.constFind(id);
    return it == liste.cend() ? QString() : it.value().NOM;
}

}  // namespace

bool CDataReferences::refresh(QSqlDatabase& db, QMutex* mutex, sqlrun::Prepared* prepared)
{
    // Changes when another connection committed to the file since the last asking.
    qint64 version = -1;
    const bool versionRead = sqlrun::execBound(db,
                                               mutex,
                                               prepared,
                                               QStringLiteral("PRAGMA data_version"),
                                               {},
                                               QStringLiteral("Erreur data_version "),
                                               [&version](QSqlQuery& query) {
                                                   version = query.value(0).toLongLong();
                                               });
    if (m_read && versionRead && version == m_dataVersion && db.databaseName() == m_databaseName) {
        return true;
    }
    m_read = versionRead && m_tarifs.initParSql(db, mutex) && m_editeurs.initParSql(db, mutex)
             && m_canaux.initParSql(db, mutex) && m_events.initParSql(db, mutex) && m_agents.initParSql(db, mutex)
             && m_reps.initParSql(db, mutex);
    if (!m_read) {
        invalidate();
        return false;
    }
    m_dataVersion = version;
    m_databaseName = db.databaseName();
    return true;
}

void CDataReferences::invalidate()
{
    m_read = false;
    m_tarifs.clear();
    m_editeurs.clear();
    m_canaux.clear();
    m_events.clear();
    m_agents.clear();
    m_reps.clear();
}

QString CDataReferences::tarif(unsigned int id) const
{
    return nameIn(m_tarifs, id);
}

QString CDataReferences::editeur(unsigned int id) const
{
    return nameIn(m_editeurs, id);
}

QString CDataReferences::canalVente(unsigned int id) const
{
    return nameIn(m_canaux, id);
}

QString CDataReferences::event(unsigned int id) const
{
    return nameIn(m_events, id);
}

QString CDataReferences::agent(const QString& id) const
{
    return nameIn(m_agents, id);
}

bool CDataReferences::rep(unsigned int id, CDataRep& out) const
{
    const auto it = m_reps.constFind(id);
    if (it == m_reps.cend()) {
        return false;
    }
    out = it.value();
    return true;
}
