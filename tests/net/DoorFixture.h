#pragma once

#include "core/CParam.h"
#include "core/Database.h"
#include "data/CDataDelta.h"
#include "ui/MainWindow.h"

#include "CoreFixture.h"
#include "DataFixture.h"
#include "NetFixture.h"
#include "ScanFixture.h"

#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTest>

#include <memory>

// A window at the door against the stand-in: scanning performance 4001, in step with
// the service's delta, with cycles run by hand or every 150 ms.
class DoorTestBase : public ScanTestBase
{
    Q_OBJECT

protected:
    std::unique_ptr<standin::StandinServer> m_server;
    std::unique_ptr<MainWindow> m_window;
    QList<standin::Ticket> m_tickets;

    // A window scanning performance 4001 of the stand-in, in step with its delta.
    void startScanning()
    {
        m_tickets.clear();
        QList<TicketRow> rows;
        for (const standin::Ticket& ticket : m_server->organiser().tickets) {
            if (ticket.repId == 4001) {
                m_tickets.append(ticket);
                rows.append({ticket.barcode,
                             ticket.editeurId,
                             ticket.nbCompostage,
                             ticket.isUsable ? 1u : 0u,
                             ticket.isDeleted ? 1u : 0u,
                             ticket.id});
            }
        }
        m_window = scanfixture::startScanning(rows);
        // The window's first ping went to the default address: its failure must not
        // come after the session below and put the window offline.
        QSignalSpy pinged(m_window->networkManager, &QNetworkAccessManager::finished);
        pinged.wait(5000);
        netfixture::setSession(m_server->serviceUrl());
        gParam->initParametre(TIMEOUT, QStringLiteral("1"));
        gParam->initParametre(MY_AGENT_ID, m_server->organiser().terminalId);
        CDataDelta delta;
        delta.initDefaut();
        delta.ID = m_server->currentDelta();
        delta.ajouteSql(m_window->db, m_window->dbMutex);
        m_window->deltaTimer.stop();
        m_window->deltaTimer.setInterval(150);
    }

    int pending()
    {
        return scanfixture::rows(*m_window, QStringLiteral("select count(*) from MODIF where STATUS=1"))
            .value(0)
            .toInt();
    }

    // One cycle by hand, waited for to its end.
    bool cycle()
    {
        m_window->deltaTimer.stop();
        openRepBDD(m_window->db, m_window->dbMutex, scanfixture::listPath());
        m_window->timerDelta();
        return QTest::qWaitFor(
            [this] {
                return m_window->deltaTimer.isActive() && !m_window->isSyncRunning
                       && !m_window->threadGetDelta.isRunning();
            },
            10000);
    }

    // The punches taken by the stand-in per barcode, each distinct item once.
    QHash<QString, int> takenPunches() const
    {
        QHash<QString, int> taken;
        QSet<QString> seen;
        for (const standin::ReceivedPunch& punch : m_server->receivedPunches()) {
            const QString key = punch.listKey + punch.barcode + punch.date;
            if (punch.listKey == QLatin1String("cl") && !seen.contains(key)) {
                seen.insert(key);
                taken[punch.barcode] += 1;
            }
        }
        return taken;
    }

private slots:

    void init()
    {
        m_server = std::make_unique<standin::StandinServer>(standin::makeSampleOrganiser(9, 60, QDate(2030, 1, 1)));
        QVERIFY(m_server->listen(0));
        startScanning();
        fixture::clearLog();
    }

    void cleanup()
    {
        m_window.reset();
        m_server.reset();
    }
};
