#pragma once

#include "data/CDataModif.h"

#include "StandinServer.h"

#include <QList>
#include <QMetaType>
#include <QMutex>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <memory>

// What the server-link tests share: a small organiser for the stand-in, the session
// values the request bodies read, and pending journal rows.
namespace netfixture
{

// A stand-in serving a small organiser (seed 7, five tickets per performance, dated
// from 2030-01-01) on a free loopback port; null when it cannot listen.
std::unique_ptr<standin::StandinServer> startStandin();

// A known session (terminal "PC-MAC-Test-0011", login "orga", zone 7, agent 12,
// current list 4001, online, TIMEOUT 300) whose requests go to `serviceUrl`.
void setSession(const QString& serviceUrl);

// A journal row waiting for upload.
CDataModif pendingRow(unsigned int type,
                      const QString& barcode,
                      const QString& date = QStringLiteral("2030-01-01 10:00:00"),
                      unsigned int repId = 4001,
                      unsigned int editeurId = 11);

// Writes `count` pending rows of `type` with barcodes prefix + index.
bool addPending(QSqlDatabase& db, QMutex* mutex, const QList<CDataModif>& rows);
QList<CDataModif> pendingRows(unsigned int type, int count, const QString& prefix = QStringLiteral("B"));

// Each upload as its list key and item count ("cl20"), in the order received.
QStringList batchesOf(const QList<standin::RecordedRequest>& requests);

}  // namespace netfixture

Q_DECLARE_METATYPE(standin::ScriptedReply)
Q_DECLARE_METATYPE(CDataModif)

class BoxRecorder;

// A test of the window against the stand-in: quiet core, every box recorded, one
// stand-in for the whole test.
class StandinTestBase : public QObject
{
    Q_OBJECT

protected:
    StandinTestBase();
    ~StandinTestBase() override;

    std::unique_ptr<BoxRecorder> m_boxes;
    std::unique_ptr<standin::StandinServer> m_server;

private slots:
    void initTestCase();
};
