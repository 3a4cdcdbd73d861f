#include "control/CWebCam.h"
#include "core/CDateHeure.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "core/Log.h"
#include "data/CDataZone.h"
#include "net/KestNet.h"
#include "net/RequestBody.h"
#include "session/CRepWidget.h"
#include "session/EventPages.h"
#include "session/SessionTexts.h"
#include "ui/MainWindow.h"
#include "ui/ProgressBar.h"
#include "ui/SaisieDlg.h"
#include "ui/Ui_MainWindow.h"

#include <QFileInfo>

#include <algorithm>

namespace
{

constexpr int kLoginPage = 0;
constexpr int kRepPage = 1;

}  // namespace

using sessiontexts::label;
using sessiontexts::message;

// ---- zone choice and entry to the performance list ----

void MainWindow::affichePageRep()
{
    for (QWidget* place :
         {ui->widgetRep1, ui->widgetRep2, ui->widgetRep3, ui->widgetRep4, ui->widgetRep5, ui->widgetRep6}) {
        place->hide();
    }
    eventPage = 0;
    eventPageCount = 0;
    resetCurrentRep();

    openBDD(db, dbMutex);
    CDataZoneListe zones;
    zones.initParSql(db, dbMutex);
    const int page = ui->stackedWidget->currentIndex();
    // No zone change while the event-list worker writes the main database, nor while
    // a tile works on a list the change would wipe.
    if (zones.isEmpty() || !gParam->isOnline || (page != kLoginPage && page != kRepPage) || isEventListParsing
        || isTileChainRunning()) {
        recupEvents();
        return;
    }
    saisieDlg->setGoal(saisiegoal::Zone);
    saisieDlg->setType(1);
    saisieDlg->clear();
    saisieDlg->setTitle(message(24), QStringLiteral("OK"), QStringLiteral("Cancel"));
    saisieDlg->addToCombo(0u, QStringLiteral("0 - ") + label(101));
    const unsigned int storedZone = gParam->parametre(ZONE_KEST).toUInt();
    int selected = 0;
    int position = 0;
    for (const CDataZone& zone : std::as_const(zones)) {
        ++position;
        saisieDlg->addToCombo(zone.ID, QString::number(zone.ID) + QStringLiteral(" - ") + zone.NOM);
        if (zone.ID == storedZone) {
            selected = position;
        }
    }
    saisieDlg->setEditFocus(selected);
    actionShowSaisieDlg(true);
}

void MainWindow::zoneChosen(uint zoneId)
{
    actionShowSaisieDlg(false);
    // The dialog is closed when the worker starts; a choice that still comes waits for
    // nothing: the worker's end shows the list of the zone it was asked for.
    if (isEventListParsing || isTileChainRunning()) {
        enregistreLog(4, QStringLiteral("Changement de zone ignore, liste en cours de mise a jour"), false);
        return;
    }
    const QString previousZone = gParam->parametre(ZONE_KEST);
    if (!gParam->initParametre(ZONE_KEST, QString::number(zoneId))) {
        recupEvents();
        return;
    }
    if (!wipeLocalData(true)) {
        gParam->initParametre(ZONE_KEST, previousZone);
        // Nothing was wiped: the stored list is still the zone's.
        ui->stackedWidget->setCurrentIndex(kRepPage);
        displayDownloadedEvents();
        return;
    }
    gParam->sauvegarde(QString(), false);
    recupEvents();
}

bool MainWindow::isTileChainRunning() const
{
    return std::any_of(repWidgets.cbegin(), repWidgets.cend(), [](const CRepWidget* tile) {
        return tile && tile->isChainRunning();
    });
}

void MainWindow::cancelSaisie()
{
    if (saisieDlg->goal() == saisiegoal::Zone && ui->stackedWidget->currentIndex() == kRepPage) {
        displayDownloadedEvents();
    }
    actionShowSaisieDlg(false);
}

// ---- event list download ----

void MainWindow::recupEvents()
{
    // The download under way ends in displayDownloadedEvents all the same.
    if (isEventListParsing) {
        return;
    }
    actionUpdateProgressValue(0);
    actionUpdateProgressText(message(7));
    // A plain show: the window stays enabled during this download.
    progressBar->show();
    getEvents();
    ui->stackedWidget->setCurrentIndex(kRepPage);
}

void MainWindow::getEvents()
{
    // Only the newest request is answered: an older one may be of another zone.
    const quint64 generation = ++eventsRequestGeneration;
    openBDD(db, dbMutex);
    if (!gParam->isOnline) {
        displayDownloadedEvents();
        return;
    }
    const auto isCurrent = [this, generation] {
        if (generation == eventsRequestGeneration) {
            return true;
        }
        if (!isStaleEventsLogged) {
            isStaleEventsLogged = true;
            enregistreLog(4, QStringLiteral("Reponse getEvents ignoree, une demande plus recente est en cours"), false);
        }
        return false;
    };
    auto* request = new KestNet(networkManager);
    connect(
        request,
        &KestNet::signal_Response,
        this,
        [this, isCurrent](const QByteArray& response) {
            if (isCurrent()) {
                actionResponseGetEvents(response);
            }
        },
        Qt::QueuedConnection);
    connect(
        request,
        &KestNet::signal_Error,
        this,
        [this, isCurrent](int code) {
            if (isCurrent()) {
                actionErrorGetEvents(code);
            }
        },
        Qt::DirectConnection);
    connect(request,
            &KestNet::signal_DownloadProgress,
            this,
            &MainWindow::actionDownloadProgress,
            Qt::DirectConnection);
    request->Init(serviceUrl(), QStringLiteral("getEvents"), body::getEvents());
    request->Request();
}

void MainWindow::actionResponseGetEvents(const QByteArray& response)
{
    if (response.isEmpty()) {
        enregistreLog(4, QStringLiteral("Erreur (no events) : ") + ui->editLogin->text(), false);
        displayMessage(label(100), message(26));
        if (!isEventListParsing) {
            displayDownloadedEvents();
        }
        return;
    }
    // One reply at a time: the worker's input must not change while it runs.
    if (isEventListParsing) {
        return;
    }
    isEventListParsing = true;
    ui->btnRefreshListRep->setEnabled(false);
    ui->widgetLoadFile->setEnabled(false);
    // No zone change while the worker writes the main database.
    if (!saisieDlg->isHidden() && saisieDlg->goal() == saisiegoal::Zone) {
        actionShowSaisieDlg(false);
    }
    // The previous run may still be returning from its finished() signal.
    threadEvt.wait();
    threadEvt.setData(response, db, dbMutex);
    threadEvt.start(QThread::InheritPriority);
}

void MainWindow::actionErrorGetEvents(int code)
{
    const QString err = QStringLiteral(" (err=") + QString::number(code) + QLatin1Char(')');
    enregistreLog(4,
                  QStringLiteral("Erreur Connexion get events") + err + QStringLiteral(" : ") + ui->editLogin->text(),
                  false);
    displayMessage(label(100), message(4) + err);
    if (!isEventListParsing) {
        displayDownloadedEvents();
    }
}

void MainWindow::actionGetEventsTerminated()
{
    isEventListParsing = false;
    ui->btnRefreshListRep->setEnabled(true);
    ui->widgetLoadFile->setEnabled(true);
    displayDownloadedEvents();
}

// Connected to nothing: a parse failure of the event list is only logged.
void MainWindow::actionGetEventsError(const QString& text)
{
    displayMessage(label(100), text);
}

// ---- event pages and navigation ----

void MainWindow::displayDownloadedEvents()
{
    // The event list may land while the scan page holds the connection on the current
    // list: it is read from the main database, and the connection then goes back.
    const QString held = db.databaseName();
    openBDD(db, dbMutex);
    QString title = label(18);
    const QString zone = gParam->parametre(ZONE_KEST);
    if (zone.toUInt() != 0) {
        title += QStringLiteral(" (") + label(102) + QLatin1Char(' ') + zone + QLatin1Char(')');
    }
    ui->lblRepChoiceTitle->setText(title);
    actionDrainNeeded();

    CDataEvenementListe loaded;
    loaded.initParSql(db, dbMutex);
    CDataEvenementListe entries;
    if (gParam->parametre(REP_JOUR) != QLatin1String("0")) {
        CDataEvenement everything;
        everything.initDefaut();
        everything.NOM = label(150);
        entries.ajoute(everything, 0);
    }
    for (const CDataEvenement& entry : std::as_const(loaded)) {
        entries.ajoute(entry, 0);
    }
    dataEvenementListe = eventpages::purge(db, dbMutex, entries, CDateHeure(0));
    eventCount = static_cast<int>(dataEvenementListe.size());
    eventPageCount = eventpages::pageCount(eventCount);

    ui->lblWaitingBar->hide();
    progressBar->hide();
    eventPage = 1;
    displayPageEvents();
    if (!currentRepDbName.isEmpty() && held == currentRepDbName && QFileInfo::exists(held)) {
        openRepBDD(db, dbMutex, held);
    }
}

void MainWindow::displayPageEvents()
{
    openBDD(db, dbMutex);
    if (eventPage < 1 || eventPage > eventPageCount) {
        return;
    }
    actionPageEnable(true);
    ui->lblRepPage->setText(label(28) + QString::number(eventPage) + QStringLiteral(" / ")
                            + QString::number(eventPageCount));
    QWidget* const places[] =
        {ui->widgetRep1, ui->widgetRep2, ui->widgetRep3, ui->widgetRep4, ui->widgetRep5, ui->widgetRep6};
    auto entry = dataEvenementListe.cbegin();
    std::advance(entry, std::min<qsizetype>((eventPage - 1) * eventpages::kTilesPerPage, dataEvenementListe.size()));
    for (std::size_t tile = 0; tile < repWidgets.size(); ++tile) {
        const bool filled = entry != dataEvenementListe.cend();
        if (filled) {
            repWidgets[tile]->init(*entry, dbMutex, db, networkManager);
            places[tile]->show();
            repWidgets[tile]->show();
            ++entry;
        } else {
            places[tile]->hide();
        }
        if (tile > 0) {
            repWidgets[tile - 1]->setVisibleSep(filled);
        }
    }
}

void MainWindow::repPrevPageClicked()
{
    if (eventPage > 1) {
        --eventPage;
        displayPageEvents();
    }
}

void MainWindow::repNextPageClicked()
{
    if (eventPage < eventPageCount) {
        ++eventPage;
        displayPageEvents();
    }
}

void MainWindow::refreshListRepClicked()
{
    affichePageRep();
}

void MainWindow::F5KeyPressed()
{
    if (ui->stackedWidget->currentIndex() == kRepPage && !isEventListParsing) {
        affichePageRep();
    }
}

void MainWindow::changeRepClicked()
{
    focusTimer.stop();
    isRepPageRequested = true;
    deltaTimer.stop();
    if (gParam->isWebcam) {
        webCam->stopWebcam();
    }
    if (isSyncRunning) {
        actionUpdateProgressValue(0);
        actionUpdateProgressText(message(7));
        actionShowProgress(true);
        return;
    }
    // A delta request still in flight belongs to the stay that ends here: its end
    // must not show the page again (and ask for the zone) later.
    ++deltaRequestGeneration;
    affichePageRep();
}

void MainWindow::backToRepClicked()
{
    openBDD(db, dbMutex);
    ui->stackedWidget->setCurrentIndex(kRepPage);
}

void MainWindow::actionPageEnable(bool isEnabled)
{
    ui->btnRepNextPage->setEnabled(isEnabled && eventPage < eventPageCount);
    ui->btnRepPrevPage->setEnabled(isEnabled && eventPage > 1);
}
