#include "NetFixture.h"

#include "core/CParam.h"

#include "BoxRecorder.h"
#include "CoreFixture.h"
#include "DataFixture.h"

#include <QTest>

namespace netfixture
{

std::unique_ptr<standin::StandinServer> startStandin()
{
    auto server = std::make_unique<standin::StandinServer>(standin::makeSampleOrganiser(7, 5, QDate(2030, 1, 1)));
    return server->listen() ? std::move(server) : nullptr;
}

void setSession(const QString& serviceUrl)
{
    gParam->initParametre(URL, serviceUrl);
    gParam->initParametre(URL_PREPROD, QStringLiteral("http://preprod.invalid/accessctrl/?"));
    gParam->initParametre(TIMEOUT, QStringLiteral("300"));
    gParam->initParametre(PROXY, QString());
    gParam->initParametre(ZONE_KEST, QStringLiteral("7"));
    gParam->initParametre(REP_JOUR, QStringLiteral("0"));
    gParam->initParametre(AGENT_KEST, QStringLiteral("12"));
    gParam->initParametre(VERSION, QStringLiteral("4.3.1"));
    gParam->serialNumber.set(QStringLiteral("PC-MAC-Test-0011"));
    gParam->login.set(QStringLiteral("orga"));
    gParam->passwordMd5.set(QStringLiteral("0123456789abcdef0123456789abcdef"));
    gParam->sessionId.set(QStringLiteral("S42"));
    gParam->currentIdRep.set(QStringLiteral("4001"));
    gParam->isOnline = true;
    gParam->isPreprod = false;
    gParam->isDebug = false;
}

CDataModif
pendingRow(unsigned int type, const QString& barcode, const QString& date, unsigned int repId, unsigned int editeurId)
{
    CDataModif row;
    row.initDefaut();
    row.TYPE = type;
    row.STATUS = MODIF_STATUS_PENDING;
    row.CODE_BARRE = barcode;
    row.DATE = date;
    row.REP_ID = repId;
    row.EDITEUR_ID = editeurId;
    row.AGENT_ID = QStringLiteral("17");
    return row;
}

bool addPending(QSqlDatabase& db, QMutex* mutex, const QList<CDataModif>& rows)
{
    CDataModifListe list;
    for (const CDataModif& row : rows) {
        list.ajoute(row, 0);
    }
    return list.ajouteSql(db, mutex);
}

QList<CDataModif> pendingRows(unsigned int type, int count, const QString& prefix)
{
    QList<CDataModif> rows;
    for (int i = 0; i < count; ++i) {
        rows.append(pendingRow(type, prefix + QString::number(i)));
    }
    return rows;
}

QStringList batchesOf(const QList<standin::RecordedRequest>& requests)
{
    QStringList batches;
    for (const standin::RecordedRequest& request : requests) {
        const QString key = request.keys.last();
        batches.append(key + QString::number(request.value(key).count(QLatin1Char(';'))));
    }
    return batches;
}

}  // namespace netfixture

StandinTestBase::StandinTestBase() = default;
StandinTestBase::~StandinTestBase() = default;

void StandinTestBase::initTestCase()
{
    fixture::initQuietCore();
    m_boxes = std::make_unique<BoxRecorder>();
    m_server = netfixture::startStandin();
    QVERIFY(m_server);
}
