#include "net/CThreadGet.h"

#include "core/CAffichage.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "core/Log.h"
#include "core/ThreadEnd.h"
#include "data/SqlRunner.h"
#include "net/CThreadGetJson.h"
#include "net/CThreadGetRun.h"
#include "net/JsonReply.h"

#include <QFileInfo>
#include <QJsonObject>
#include <QMutexLocker>
#include <QSqlQuery>
#include <QVariant>

namespace
{

// Kept in the file's header, so that it commits or rolls back with the rows.
constexpr int kListWhole = 1;

}  // namespace

CThreadGet::CThreadGet(QObject* parent)
    : QThread(parent)
{}

// An owner must not be destroyed while its worker runs; ask it to stop and wait.
CThreadGet::~CThreadGet()
{
    requestInterruption();
    wait();
    threadend::joined(this);
}

void CThreadGet::setData(const QByteArray& data, QMutex* mutex, const QSqlDatabase& db, bool isDelta)
{
    this->data = data;
    this->mutex = mutex;
    this->db = db;
    this->isDelta = isDelta;
    m_path = db.databaseName();
    m_drained.clear();
}

void CThreadGet::setDrained(const CDataModifListe& rows)
{
    m_drained = rows;
}

const CDataModifListe& CThreadGet::drained() const
{
    return m_drained;
}

bool CThreadGet::markListWhole(QSqlDatabase& db, QMutex* mutex, bool whole)
{
    return sqlrun::exec(db,
                        mutex,
                        QStringLiteral("pragma user_version=") + QString::number(whole ? kListWhole : 0),
                        QStringLiteral("Erreur marque liste "));
}

bool CThreadGet::isListMarkedWhole(QSqlDatabase& db, QMutex* mutex, bool& whole)
{
    whole = false;
    return sqlrun::exec(db,
                        mutex,
                        QStringLiteral("pragma user_version"),
                        QStringLiteral("Erreur lecture marque liste "),
                        [&whole](QSqlQuery& query) {
                            whole = query.value(0).toInt() == kListWhole;
                        });
}

void CThreadGet::run()
{
    const threadend::RunEnd end(this);
    bool parsed = false;
    const QJsonObject document = jsonreply::parseDocument(data, &parsed);
    if (!parsed) {
        enregistreLog(3, QStringLiteral("Erreur de decodage de la reponse JSON de recuperation des billets."), false);
        const QString title = gAffichage ? gAffichage->getTraduction(currentLangue(), 100) : QString();
        emit signalError(title, TicketListRun::message(3));
        emit signalNbTicket(0, 0);
        return;
    }

    // The scan page works on the file of a delta run, "drop" or not: its punches must
    // wait for the run rather than meet a file being rewritten.
    const bool holdMutex = isDelta;
    if (ticketlist::isTrue(document.value(QLatin1String("drop")))) {
        isDelta = false;
    }
    if (!isDelta) {
        emit signalProgressText(TicketListRun::message(7));
        emit signalProgressMax(10);
        emit signalProgressValue(0);
        emit signalProgressShow(true);
    }
    const QString sessionId = jsonreply::toText(document.value(QLatin1String("si")));
    if (!sessionId.isEmpty()) {
        gParam->sessionId.set(sessionId);
    }

    // A file removed since setData must not be created again with a delta in it.
    if (m_path.isEmpty() || !QFileInfo::exists(m_path)) {
        enregistreLog(3, QStringLiteral("Base de la liste des billets introuvable : ") + m_path, false);
        emit signalNbTicket(0, 0);
        return;
    }

    TicketListRun ticketRun(*this, document, isDelta, m_drained);
    bool stored = false;
    {
        ThreadConnection connection(QStringLiteral("CThreadGet"));
        if (openRepBDD(connection.db(), mutex, m_path)) {
            QMutexLocker whole(holdMutex ? mutex : nullptr);
            QMutex* perStatement = holdMutex ? nullptr : mutex;
            sqlrun::Transaction transaction(connection.db(), perStatement);
            // A delta holding no list leaves the list as it was; a reload without one
            // has emptied it.
            const bool isList = ticketlist::holdsList(document);
            stored = transaction.isOpen() && ticketRun.storeTickets(connection.db(), perStatement)
                     && ((isDelta && !isList) || markListWhole(connection.db(), perStatement, isList))
                     && transaction.commit();
        }
    }
    if (!stored) {
        enregistreLog(isInterruptionRequested() ? 4 : 3,
                      QStringLiteral("Liste des billets non enregistree, la base est inchangee : ") + m_path,
                      false);
        // A full disk or a read-only file: whoever waits for the list must not take it
        // as stored.
        if (!isInterruptionRequested()) {
            emit signalError(gAffichage ? gAffichage->getTraduction(currentLangue(), 100) : QString(),
                             TicketListRun::message(5));
        }
        emit signalNbTicket(0, 0);
        return;
    }

    if (ticketRun.applySettings()) {
        ticketRun.storeEventData(mutex);
    }
    emit signalNbTicket(ticketRun.nbTicket(), ticketRun.nbPunched());
}
