#include "control/CWebCam.h"
#include "core/CAffichage.h"
#include "core/CDateHeure.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "core/Log.h"
#include "data/CDataEditeur.h"
#include "data/CDataRechercheNb.h"
#include "ui/DesignStyleSheet.h"
#include "ui/MainWindow.h"
#include "ui/OpaqueBackdrop.h"
#include "ui/SaisieDlg.h"
#include "ui/Ui_MainWindow.h"

#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QSoundEffect>
#include <QUrl>

namespace
{

constexpr int kScanPage = 2;
constexpr int kFocusInterval = 10000;
// Capture restarts this long after a result.
constexpr int kRestartDelay = 1000;

QString label(int index)
{
    return gAffichage->getTraduction(currentLangue(), index);
}

QString message(int index)
{
    return gAffichage->getMessage(currentLangue(), index);
}

bool settingOn(ParamKey key)
{
    return gParam->parametre(key) == QLatin1String("1");
}

QString markPosition(bool on)
{
    return on ? QStringLiteral("background-position: top;") : QStringLiteral("background-position: bottom;");
}

// The row of the verdict panel's sprite, its three looks one above the other.
int spriteRow(PanelLook look)
{
    return look == PanelLook::Accepte ? 0 : look == PanelLook::Refuse ? 2 : 1;
}

// The verdict panel and the static areas of the scan page under what a scan changes
// are painted from pictures made once: otherwise each changed text repaints the
// window's background, the panel's sprite and the rounded borders under it, and a
// change of the panel's look lays out again every text on it. The panel picks its look
// by its sprite's row, not by its style sheet: a new style sheet would re-polish the
// panel and its children at every change.
void makeScanPageOpaque(Ui_MainWindow& ui)
{
    QWidget* panel = ui.widgetScanResult;
    if (panel->findChild<OpaqueBackdrop*>(QString(), Qt::FindDirectChildrenOnly)) {
        return;
    }
    panel->setStyleSheet(QStringLiteral("QWidget#widgetScanResult { background-image: none; }"));
    const QPixmap sprite(QLatin1String(kDesignPath) + QStringLiteral("resultPanel.png"));
    new OpaqueBackdrop(panel, OpaqueBackdrop::Content::InPicture, [panel, sprite](QPainter& painter, int row) {
        painter.drawPixmap(0, 0, sprite, 0, row * panel->height(), panel->width(), panel->height());
    });
    for (QLabel* text : {ui.lblAnnonce,
                         ui.lblResultName,
                         ui.lblResultBarcode,
                         ui.lblResultStatus,
                         ui.lblResultEvent,
                         ui.lblResultRep,
                         ui.lblResultLastPunch,
                         ui.lblResultNbCompostage,
                         ui.lblResultDiffPrevPunch}) {
        OpaqueBackdrop::forLabel(text);
    }
    new OpaqueBackdrop(ui.lstResultTarif->viewport(), OpaqueBackdrop::Content::Over);
    for (QWidget* still : {ui.widgetScanBar, ui.widgetScanKeyboard, ui.widgetScanInfoBillet}) {
        new OpaqueBackdrop(still, OpaqueBackdrop::Content::InPicture);
    }
    for (QListWidget* list : {ui.lstInfoUser, ui.lstInfoHist}) {
        new OpaqueBackdrop(list->viewport(), OpaqueBackdrop::Content::Over);
    }
}

}  // namespace

// ---- start of scanning ----

void MainWindow::startScanClicked()
{
    // Nothing starts without the chosen performance's database.
    if (currentRepDbName.isEmpty() || !openRepBDD(db, dbMutex, currentRepDbName)) {
        return;
    }
    // The mark shows the camera off too when it was switched off before scanning.
    ui->lblWebcamStatus->setStyleSheet(markPosition(gParam->isWebcam && webCam->startWebcam()));
    isRepPageRequested = false;
    // The list, or its names, may have changed on the other pages.
    references.invalidate();
    clearResultDisplay();
    focusTimer.start(kFocusInterval);
    deltaTimer.start();
    ui->stackedWidgetScan->setCurrentIndex(0);
    ui->stackedWidget->setCurrentIndex(kScanPage);
    updateScanJauge(true);
    setWindowFlags(gParam->isLockFocus ? Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint : Qt::FramelessWindowHint);
    showWithKeyboard();
    ui->editBarcode->setFocus(Qt::OtherFocusReason);
}

void MainWindow::activeWebcamClicked()
{
    gParam->isWebcam = !gParam->isWebcam;
    bool capturing = false;
    if (gParam->isWebcam) {
        capturing = webCam->startWebcam();
    } else {
        webCam->stopWebcam();
    }
    ui->lblWebcamStatus->setStyleSheet(markPosition(capturing));
    ui->editBarcode->setFocus(Qt::OtherFocusReason);
}

void MainWindow::switchPunchReadClicked()
{
    gParam->isDirectPunch = !gParam->isDirectPunch;
    if (gParam->isDirectPunch) {
        ui->btnSwitchDirectPunch->setStyleSheet(
            QStringLiteral("background-position: bottom; text-align: left; color: white;"));
        ui->btnSwitchDirectPunch->setText(label(36));
    } else {
        ui->btnSwitchDirectPunch->setStyleSheet(
            QStringLiteral("background-position: top; text-align: right; color: black"));
        ui->btnSwitchDirectPunch->setText(label(37));
    }
    ui->editBarcode->setFocus(Qt::OtherFocusReason);
}

// ---- lookup and verdict ----

void MainWindow::checkBarcode(const QString& barcode)
{
    // The webcam acts on the scan page only.
    if (ui->stackedWidget->currentIndex() != kScanPage) {
        return;
    }
    webCam->pause();
    const QString code = barcode.trimmed();
    ui->editBarcode->clear();
    if (code.isEmpty()) {
        webCam->resumeAfter(0);
        return;
    }
    // A ticket typed or read by the reader is not punched again by the camera.
    webCam->noteJudged(code);
    // A new ticket drops the issuer choice still open for the previous one.
    if (saisieDlg->isVisible() && saisieDlg->goal() == saisiegoal::Issuer) {
        actionShowSaisieDlg(false);
        lastBarcode.clear();
    }
    searchBarcode(code);
}

void MainWindow::searchBarcode(const QString& barcode)
{
    if (!isRepDatabaseOpen()) {
        currentBillet.initDefaut();
        currentBillet.CODE_BARRE = barcode;
        showVerdict(Verdict::Erreur);
        finishResult();
        return;
    }
    CDataBilletListe found;
    const bool read = found.initParSqlByCodeBarre(db, dbMutex, barcode, &doorStatements);
    if (!read || found.isEmpty()) {
        currentBillet.initDefaut();
        currentBillet.CODE_BARRE = barcode;
        // Until barcodes can be checked offline, an accepted one could not be stored
        // as a ticket: it would be an error, never a punch.
        showVerdict(read && !offlineAccept(barcode) ? Verdict::Inconnu : Verdict::Erreur);
        finishResult();
        return;
    }
    if (found.size() == 1) {
        // The lookup read the whole row: no second read.
        currentBillet = found.first();
        judgeCurrentTicket(true);
        return;
    }
    lastBarcode = barcode;
    // The agent now looks at this barcode: the ticket shown before offers no action.
    currentBillet.initDefaut();
    currentBillet.CODE_BARRE = barcode;
    clearResultDisplay();
    saisieDlg->setGoal(saisiegoal::Issuer);
    saisieDlg->setType(1);
    saisieDlg->clear();
    saisieDlg->setTitle(message(27), QStringLiteral("OK"), QStringLiteral("Cancel"));
    for (const CDataBillet& billet : std::as_const(found)) {
        CDataEditeur editeur;
        editeur.initDefaut();
        editeur.initParSql(db, dbMutex, billet.EDITEUR_ID);
        saisieDlg->addToCombo(billet.EDITEUR_ID,
                              editeur.NOM.isEmpty() ? QString::number(billet.EDITEUR_ID) : editeur.NOM);
    }
    saisieDlg->setEditFocus(0);
    actionShowSaisieDlg(true);
    // The capture goes on under the question, so that a cancel leaves it running; the
    // ticket still in front is held back, another one drops the question.
    finishResult();
}

void MainWindow::valideSaisieDlg()
{
    switch (saisieDlg->type()) {
    case 1:
        valideSaisieCombo(saisieDlg->getSelectedItemData());
        break;
    case 0:
        valideSaisieEdit(saisieDlg->getEditText());
        break;
    default:
        actionShowSaisieDlg(false);
        break;
    }
}

void MainWindow::valideSaisieDlg(uint)
{
    valideSaisieDlg();
}

void MainWindow::valideSaisieCombo(const QVariant& value)
{
    actionShowSaisieDlg(false);
    switch (saisieDlg->goal()) {
    case saisiegoal::Zone:
        zoneChosen(value.toUInt());
        break;
    case saisiegoal::Issuer: {
        const QString barcode = lastBarcode;
        lastBarcode.clear();
        if (barcode.isEmpty() || ui->stackedWidget->currentIndex() != kScanPage) {
            break;
        }
        if (!value.isValid()) {
            currentBillet.initDefaut();
            currentBillet.CODE_BARRE = barcode;
            showVerdict(Verdict::Erreur);
            finishResult();
            break;
        }
        loadAndJudge(barcode, value.toUInt(), true);
        break;
    }
    default:
        break;
    }
}

void MainWindow::loadAndJudge(const QString& barcode, unsigned int editeurId, bool mayPunch)
{
    CDataBillet loaded;
    loaded.initDefaut();
    // A ticket that cannot be read is never punched: the one shown before is dropped.
    bool found = false;
    if (!loaded.initParSqlExact(db, dbMutex, barcode, editeurId, found) || !found) {
        currentBillet.initDefaut();
        currentBillet.CODE_BARRE = barcode;
        showVerdict(Verdict::Erreur);
        finishResult();
        return;
    }
    currentBillet = loaded;
    judgeCurrentTicket(mayPunch);
}

void MainWindow::judgeCurrentTicket(bool mayPunch)
{
    // A ticket looked up shows its price list closed, whatever was left open before.
    ui->lstResultTarif->hide();
    Verdict verdict = verdictOf(currentBillet);
    if (verdict == Verdict::Valide && mayPunch && gParam->isDirectPunch) {
        verdict = punchCurrentTicket();
    }
    showVerdict(verdict);
    finishResult();
}

void MainWindow::finishResult()
{
    if (webCam->isCapturing()) {
        webCam->resumeAfter(kRestartDelay);
    }
}

bool MainWindow::isRepDatabaseCurrent() const
{
    return !currentRepDbName.isEmpty() && db.isOpen() && db.databaseName() == currentRepDbName;
}

bool MainWindow::isRepDatabaseOpen()
{
    if (isRepDatabaseCurrent()) {
        return true;
    }
    enregistreLog(3,
                  QStringLiteral("Controle impossible : la base ") + currentRepDbName
                      + QStringLiteral(" n'est pas ouverte (") + db.databaseName() + QLatin1Char(')'),
                  false);
    displayMessage(label(100), message(5));
    return false;
}

// ---- punch, un-punch and fraud report ----

Verdict MainWindow::punchCurrentTicket()
{
    return actOnCurrentTicket(ActionCompostage::Punch);
}

Verdict MainWindow::unpunchCurrentTicket()
{
    return actOnCurrentTicket(ActionCompostage::Unpunch);
}

Verdict MainWindow::signalFraudeCurrentTicket()
{
    return actOnCurrentTicket(ActionCompostage::Fraude);
}

Verdict MainWindow::actOnCurrentTicket(ActionCompostage action)
{
    if (!isRepDatabaseOpen()) {
        return Verdict::Erreur;
    }
    const QString date = CDateHeure(2u).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    switch (compostageSql(db,
                          dbMutex,
                          currentBillet,
                          action,
                          gParam->parametre(MY_AGENT_ID),
                          date,
                          nullptr,
                          &doorStatements)) {
    case ResultatCompostage::Ecrit:
        break;
    case ResultatCompostage::Refuse:
        // Changed meanwhile at another entrance: show it as it is stored now.
        return verdictOf(currentBillet);
    case ResultatCompostage::Absent:
        // Taken out of the list since it was shown: it can no longer be let in here.
        return Verdict::Inconnu;
    case ResultatCompostage::Echec:
        // A full disk or a read-only file: the agent must know the punch is not kept.
        displayMessage(label(100), message(5));
        return Verdict::Erreur;
    }
    // The counted tickets are those left without entries.
    const bool live = currentBillet.IS_DELETED == 0;
    switch (action) {
    case ActionCompostage::Punch:
        updateNbTicket(0, live && currentBillet.NB_COMPOSTAGE == 0 ? 1 : 0);
        updateScanJauge(false);
        return Verdict::Composte;
    case ActionCompostage::Unpunch:
        updateNbTicket(0, live && currentBillet.NB_COMPOSTAGE == 1 ? -1 : 0);
        updateScanJauge(false);
        return Verdict::Decomposte;
    case ActionCompostage::Fraude:
        break;
    }
    return Verdict::Signale;
}

void MainWindow::punchClicked()
{
    const int caption = actionButtonsOf(shownVerdict, currentBillet, settingOn(UNPUNCH)).punchLabel;
    if (caption == 51) {
        showVerdict(punchCurrentTicket());
    } else if (caption == 52) {
        showVerdict(unpunchCurrentTicket());
    }
    ui->editBarcode->setFocus(Qt::OtherFocusReason);
}

void MainWindow::signalFraudeClicked()
{
    if (actionButtonsOf(shownVerdict, currentBillet, settingOn(UNPUNCH)).fraude) {
        showVerdict(signalFraudeCurrentTicket());
    }
    ui->editBarcode->setFocus(Qt::OtherFocusReason);
}

void MainWindow::displayTarifClicked()
{
    ui->lstResultTarif->setHidden(!ui->lstResultTarif->isHidden());
    ui->editBarcode->setFocus(Qt::OtherFocusReason);
}

// ---- verdict panel ----

void MainWindow::clearResultDisplay()
{
    for (QLabel* text : {ui->lblResultName,
                         ui->lblResultBarcode,
                         ui->lblResultStatus,
                         ui->lblResultEvent,
                         ui->lblResultRep,
                         ui->lblResultLastPunch,
                         ui->lblResultNbCompostage,
                         ui->lblResultDiffPrevPunch}) {
        text->clear();
    }
    ui->lblResultImg->clear();
    ui->btnResultNbPlace->hide();
    ui->lstResultTarif->hide();
    ui->lstResultTarif->clear();
    ui->lstInfoUser->clear();
    ui->lstInfoHist->clear();
    ui->btnPunch->hide();
    ui->btnSignalFraude->hide();
    setPanelLook(PanelLook::Attente);
    shownVerdict = Verdict::Aucun;
    resultFlash.end();
}

void MainWindow::showVerdict(Verdict verdict)
{
    drawVerdict(verdict);
    // The panel is filled and the punch written: the flash only draws the eye to it.
    resultFlash.start(ui->stackedWidgetResult, ui->widgetScanFlash, panelLookOf(verdict));
    playSound(sonOf(verdict));
}

void MainWindow::drawVerdict(Verdict verdict)
{
    shownVerdict = verdict;
    if (verdict == Verdict::Inconnu || verdict == Verdict::Erreur) {
        const QString barcode = currentBillet.CODE_BARRE;
        clearResultDisplay();
        shownVerdict = verdict;
        ui->lblResultBarcode->setText(barcode);
    } else {
        displayInfoCurrentTicket();
    }
    ui->lblResultStatus->setText(label(verdictLabel(verdict)));
    setPanelLook(panelLookOf(verdict));
    const ActionButtons buttons = actionButtonsOf(verdict, currentBillet, settingOn(UNPUNCH));
    if (buttons.punchLabel > 0) {
        ui->btnPunch->setText(label(buttons.punchLabel));
    }
    ui->btnPunch->setVisible(buttons.punchLabel > 0);
    ui->btnSignalFraude->setVisible(buttons.fraude);
}

void MainWindow::redrawShownTicket()
{
    // The ticket's names and history are read from its list: without it open, the
    // panel waits for the start of scanning, which clears it.
    if (shownVerdict == Verdict::Aucun || !isRepDatabaseCurrent()) {
        return;
    }
    drawVerdict(shownVerdict);
}

void MainWindow::setPanelLook(PanelLook look)
{
    makeScanPageOpaque(*ui);
    // The panel and what shows it through, its texts and its price list.
    for (OpaqueBackdrop* painted : ui->widgetScanResult->findChildren<OpaqueBackdrop*>()) {
        painted->setState(spriteRow(look));
    }
}

void MainWindow::playSound(Son son)
{
    lastSound = son;
    if (son == Son::Aucun) {
        return;
    }
    QSoundEffect*& effect = son == Son::Ok ? soundOk : soundKo;
    if (!effect) {
        effect = new QSoundEffect(this);
        effect->setSource(QUrl(son == Son::Ok ? QStringLiteral("qrc:/design/kestrova/OK.wav")
                                              : QStringLiteral("qrc:/design/kestrova/KO.wav")));
    }
    effect->play();
}

// ---- gauge ----

void MainWindow::updateScanJauge(bool reload)
{
    if (reload) {
        CDataRechercheNbTicket tickets;
        CDataRechercheNbPunch punched;
        tickets.initConnectionSql(db, dbMutex);
        tickets.initRequete({}, {});
        punched.initConnectionSql(db, dbMutex);
        punched.initRequete({}, {});
        if (CDataRecherche::execute(this, tickets, punched)) {
            nbTicket = static_cast<int>(tickets.nb);
            nbPunched = static_cast<int>(punched.nb);
            isJaugeToCount = false;
        }
    }
    // A caption of the language switch: while the settings page tries a language, a
    // cycle draws it in that one too.
    ui->lblScanJauge->setText(gAffichage->getTraduction(shownLangue, 43) + QString::number(nbPunched)
                              + QStringLiteral(" / ") + QString::number(nbTicket));
    ui->pbJauge->setValue(gaugePercent(nbPunched, nbTicket));
}

void MainWindow::updateNbTicket(int added, int usedUp)
{
    nbTicket += added;
    nbPunched += usedUp;
    // A cycle that ends offline draws nothing, and the other pages draw no gauge.
    isJaugeToCount = true;
    if (ui->stackedWidget->currentIndex() == kScanPage) {
        updateScanJauge(false);
    }
}

void MainWindow::scanPageShown()
{
    if (ui->stackedWidget->currentIndex() == kScanPage && isJaugeToCount && isRepDatabaseCurrent()) {
        updateScanJauge(true);
    }
}

// ---- numeric pad and keyboard of the scan page ----

void MainWindow::padNumClicked(const QString& text)
{
    ui->editBarcode->setText(ui->editBarcode->text() + text);
    ui->editBarcode->setFocus(Qt::OtherFocusReason);
}

void MainWindow::padNumValidateClicked()
{
    checkBarcode(ui->editBarcode->text());
    ui->editBarcode->setFocus(Qt::OtherFocusReason);
}

void MainWindow::padNumBackClicked()
{
    ui->editBarcode->setText(ui->editBarcode->text().chopped(ui->editBarcode->text().isEmpty() ? 0 : 1));
    ui->editBarcode->setFocus(Qt::OtherFocusReason);
}

void MainWindow::padNumAlphaClicked()
{
    ui->stackedWidgetScan->setCurrentIndex(1);
    ui->editBarcode->setFocus(Qt::OtherFocusReason);
}

void MainWindow::keyboardKeyClicked(const QString& text)
{
    padNumClicked(text);
}

void MainWindow::keyboardEnterClicked()
{
    padNumValidateClicked();
}

void MainWindow::keyboardExitClicked()
{
    ui->stackedWidgetScan->setCurrentIndex(0);
    ui->editBarcode->setFocus(Qt::OtherFocusReason);
}

void MainWindow::keyboardBackClicked()
{
    padNumBackClicked();
}
