#include "core/CAffichage.h"
#include "core/CParam.h"
#include "core/Log.h"
#include "net/Drain.h"
#include "net/KestNet.h"
#include "net/RequestBody.h"
#include "ui/MainWindow.h"
#include "ui/Ui_MainWindow.h"

#include <QCoreApplication>
#include <QDebug>

namespace
{

int language()
{
    return currentLangue();
}

}  // namespace

// ---- synchronisation cycle ----

void MainWindow::timerDelta()
{
    isSyncRunning = true;
    // A delta reply still in flight from an earlier stay on a performance is stale.
    ++deltaRequestGeneration;
    if (!gParam->isOnline) {
        actionSendPunchTerminated();
        return;
    }
    dataModifListe.initLocalPunchParSql(db, dbMutex);
    keepUploadableRows(dataModifListe, "MODIF");
    qDebug() << dataModifListe.size() << " punch to send";
    if (dataModifListe.isEmpty() || isRepPageRequested || isExitRequested) {
        actionSendPunchTerminated();
    } else {
        sendPunch();
    }
}

void MainWindow::sendPunch()
{
    const PunchBatch batch = nextPunchBatch(dataModifListe, BatchRule::SameKind, ItemLayout::DateBarcodeRepEditeur);
    nbModifSent = batch.count;
    auto* request = new KestNet(networkManager);
    connect(request, &KestNet::signal_Response, this, &MainWindow::actionResponseSendPunch, Qt::QueuedConnection);
    connect(request, &KestNet::signal_Error, this, &MainWindow::actionErrorSendPunch, Qt::DirectConnection);
    const QString url = serviceUrl();
    const QByteArray requestBody = body::sendPunchCycle(loadDeltaContext(db, dbMutex), batch);
    logRequestInDebug(url, requestBody);
    request->Init(url, QStringLiteral("sendPunch"), requestBody);
    request->Request();
}

// Any non-empty body acknowledges the whole batch; its content is never read. An
// empty one marks nothing: the rows stay pending for the next cycle.
void MainWindow::actionResponseSendPunch(const QByteArray& response)
{
    if (!response.isEmpty()) {
        markBatchSent(dataModifListe, nbModifSent, db, dbMutex);
        if (!dataModifListe.isEmpty() && !isRepPageRequested && !isExitRequested) {
            sendPunch();
            return;
        }
    }
    actionSendPunchTerminated();
}

void MainWindow::actionErrorSendPunch(int code)
{
    enregistreLog(4,
                  QStringLiteral("Erreur Connexion Send Punch (err=") + QString::number(code) + QLatin1Char(')'),
                  false);
    actionSendPunchTerminated();
}

void MainWindow::actionSendPunchTerminated()
{
    qDebug() << "Thread Punch terminated";
    if (dataModifListe.isEmpty() && gParam->isOnline && !isRepPageRequested && !isExitRequested) {
        getDelta();
    } else {
        actionGetDeltaTerminated();
    }
}

void MainWindow::getDelta()
{
    isDeltaError = false;
    auto* request = new KestNet(networkManager);
    // The delta timer runs again only once scanning started anew: the reply then
    // belongs to a stay on a performance that is over.
    const quint64 generation = deltaRequestGeneration;
    const auto isStale = [this, generation] {
        return generation != deltaRequestGeneration || deltaTimer.isActive();
    };
    connect(
        request,
        &KestNet::signal_Response,
        this,
        [this, isStale](const QByteArray& response) {
            if (!isStale()) {
                actionResponseGetDelta(response);
            }
        },
        Qt::QueuedConnection);
    connect(
        request,
        &KestNet::signal_Error,
        this,
        [this, isStale](int code) {
            if (!isStale()) {
                actionErrorGetDelta(code);
            }
        },
        Qt::DirectConnection);
    const QString url = serviceUrl();
    deltaDrained = drain::queuedPunches(db, dbMutex);
    const QByteArray requestBody = body::getTicketsCycle(loadDeltaContext(db, dbMutex));
    logRequestInDebug(url, requestBody);
    request->Init(url, QStringLiteral("getTickets"), requestBody);
    request->Request();
    isSyncRunning = false;
}

void MainWindow::actionResponseGetDelta(const QByteArray& response)
{
    if (isDeltaError || isRepPageRequested || isExitRequested || threadGetDelta.isRunning()) {
        actionGetDeltaTerminated();
        return;
    }
    isSyncRunning = true;
    threadGetDelta.setData(response, dbMutex, db, true);
    threadGetDelta.setDrained(deltaDrained);
    threadGetDelta.start(QThread::InheritPriority);
}

void MainWindow::actionErrorGetDelta(int code)
{
    isDeltaError = true;
    enregistreLog(4,
                  QStringLiteral("Erreur Connexion get Delta (err=") + QString::number(code) + QLatin1Char(')'),
                  false);
    actionGetDeltaTerminated();
}

// The end of every cycle, and of a second error report of the same request.
void MainWindow::actionGetDeltaTerminated()
{
    qDebug() << "Thread Get Delta terminated";
    actionShowProgress(false);
    isSyncRunning = false;
    if (isExitRequested) {
        if (quitEventLoop) {
            quitEventLoop();
        } else {
            QCoreApplication::quit();
        }
        return;
    }
    if (isRepPageRequested) {
        affichePageRep();
        return;
    }
    if (gParam->isOnline) {
        updateScanJauge(false);
    }
    deltaTimer.start();
}

// ---- global drain ----

void MainWindow::recupVidange()
{
    drain::collect(db, dbMutex, dataVidangeListe);
}

void MainWindow::actionDrainNeeded()
{
    // A list of its own: the drain's list may have a row in flight.
    CDataVidangeListe queued;
    queued.initParSql(db, dbMutex);
    ui->btnDrainGlobal->setVisible(!queued.isEmpty());
}

void MainWindow::drainGlobalClicked()
{
    if (!gParam->isOnline) {
        return;
    }
    dataVidangeListe.initParSql(db, dbMutex);
    keepUploadableRows(dataVidangeListe, "VIDANGE");
    actionUpdateProgressText(gAffichage->getMessage(language(), 21));
    actionUpdateProgressValue(0);
    actionUpdateProgressMax(static_cast<uint>(dataVidangeListe.size()));
    actionShowProgress(true);
    nbModifSent = 0;
    sendGlobalPunch();
}

void MainWindow::sendGlobalPunch()
{
    if (!gParam->isOnline || dataVidangeListe.isEmpty()) {
        actionSendGlobalPunchTerminated();
        return;
    }
    auto* request = new KestNet(networkManager);
    connect(request, &KestNet::signal_Response, this, &MainWindow::actionResponseSendGlobalPunch, Qt::QueuedConnection);
    connect(request, &KestNet::signal_Error, this, &MainWindow::actionErrorSendGlobalPunch, Qt::DirectConnection);
    const QString url = serviceUrl();
    drainRowInFlight = dataVidangeListe.firstKey();
    const QByteArray requestBody = body::sendGlobalPunch(dataVidangeListe.first());
    logRequestInDebug(url, requestBody);
    request->Init(url, QStringLiteral("sendPunch"), requestBody);
    request->Request();
}

void MainWindow::actionResponseSendGlobalPunch(const QByteArray& response)
{
    if (response.isEmpty() || dataVidangeListe.isEmpty()) {
        if (response.isEmpty()) {
            enregistreLog(4, QStringLiteral("Erreur Send Punch : reponse vide, vidange non acquittee"), false);
        }
        actionSendGlobalPunchTerminated();
        return;
    }
    CDataVidange sent;
    sent.ID = drainRowInFlight;
    sent.deleteSql(db, dbMutex);
    dataVidangeListe.remove(drainRowInFlight);
    ++nbModifSent;
    actionUpdateProgressValue(static_cast<uint>(nbModifSent));
    if (dataVidangeListe.isEmpty()) {
        actionSendGlobalPunchTerminated();
    } else {
        sendGlobalPunch();
    }
}

void MainWindow::actionErrorSendGlobalPunch(int code)
{
    const QString err = QStringLiteral(" (err=") + QString::number(code) + QLatin1Char(')');
    enregistreLog(4, QStringLiteral("Erreur Connexion Send Punch") + err, false);
    displayMessage(gAffichage->getTraduction(language(), 100), gAffichage->getMessage(language(), 4) + err);
    actionSendGlobalPunchTerminated();
}

void MainWindow::actionSendGlobalPunchTerminated()
{
    if (dataVidangeListe.isEmpty()) {
        ui->btnDrainGlobal->hide();
    }
    actionShowProgress(false);
}
