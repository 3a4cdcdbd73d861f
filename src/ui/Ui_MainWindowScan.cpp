#include "ui/FormHelpers.h"
#include "ui/LineList.h"
#include "ui/PadLayout.h"
#include "ui/PlainLineDelegate.h"
#include "ui/Ui_MainWindow.h"

#include <QSizePolicy>

#include <cstddef>
#include <iterator>

using form::make;
using form::openHand;

namespace
{

// Shared by the three lists of the page: read-only, no selection, long lines cut rather
// than ellipsed.
void setupScanList(QListWidget* list, int maxWidth, int maxHeight)
{
    list->setMinimumSize(QSize(0, 0));
    list->setMaximumSize(QSize(maxWidth, maxHeight));
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setTextElideMode(Qt::ElideNone);
    list->setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    list->setResizeMode(QListView::Fixed);
    // One line an item: the lists are laid out and drawn again at every scan.
    list->setUniformItemSizes(true);
    list->setItemDelegate(new PlainLineDelegate(list));
}

void setExpanding(QWidget* widget)
{
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    policy.setHorizontalStretch(0);
    policy.setVerticalStretch(0);
    policy.setHeightForWidth(widget->sizePolicy().hasHeightForWidth());
    widget->setSizePolicy(policy);
}

}  // namespace

void Ui_MainWindow::setupScanPage()
{
    pageScanWebcam = form::makePage("pageScanWebcam");

    // Scan bar: mode switch, current performance, webcam switch, gauge
    widgetScanBar = make<QWidget>(pageScanWebcam, "widgetScanBar", 0, 8, 1024, 47);
    lblScanJauge = make<QLabel>(widgetScanBar, "lblScanJauge", 819, 10, 201, 20);
    lblScanJauge->setAlignment(form::kLeft);
    pbJauge = make<QProgressBar>(widgetScanBar, "pbJauge", 819, 30, 191, 10);
    pbJauge->setRange(0, 100);
    pbJauge->setValue(24);
    pbJauge->setTextVisible(false);
    btnActiveWebcam = make<QPushButton>(widgetScanBar, "btnActiveWebcam", 670, 10, 95, 26);
    openHand(btnActiveWebcam);
    lblWebcamStatus = make<QLabel>(widgetScanBar, "lblWebcamStatus", 640, 10, 26, 24);
    btnSwitchDirectPunch = make<QPushButton>(widgetScanBar, "btnSwitchDirectPunch", 20, 10, 125, 26);
    openHand(btnSwitchDirectPunch);
    btnChangeRep = make<QPushButton>(widgetScanBar, "btnChangeRep", 460, 10, 115, 30);
    openHand(btnChangeRep);
    lblRepCurrent = make<QLabel>(widgetScanBar, "lblRepCurrent", 170, 22, 251, 20);
    lblRepSalle = make<QLabel>(widgetScanBar, "lblRepSalle", 170, 3, 251, 21);

    // Webcam frame: the picture, the hint over it, the aiming line on top
    widgetScanWebcam = make<QWidget>(pageScanWebcam, "widgetScanWebcam", 10, 65, 355, 280);
    lblLaser = make<QLabel>(widgetScanWebcam, "lblLaser", 9, 140, 337, 12);
    widgetWebcam = make<QWidget>(widgetScanWebcam, "widgetWebcam", 10, 10, 335, 260);
    lblConseilWebcam = make<QLabel>(widgetScanWebcam, "lblConseilWebcam", 10, 20, 331, 20);
    lblConseilWebcam->setAlignment(form::kCentred);
    widgetWebcam->raise();
    lblConseilWebcam->raise();
    lblLaser->raise();

    // Barcode field and numeric pad
    widgetScanKeyboard = make<QWidget>(pageScanWebcam, "widgetScanKeyboard", 10, 355, 355, 260);
    setupScanPad();

    // Ticket details (index 0) or the on-screen keyboard (index 1)
    stackedWidgetScan = make<QStackedWidget>(pageScanWebcam, "stackedWidgetScan", 375, 355, 639, 260);

    pageInfoBillet = form::makePage("pageInfoBillet");
    widgetScanInfoBillet = make<QWidget>(pageInfoBillet, "widgetScanInfoBillet", 0, 0, 639, 260);
    lblInfoUserTitle = make<QLabel>(widgetScanInfoBillet, "lblInfoUserTitle", 40, 35, 261, 21);
    lblInfoHistTitle = make<QLabel>(widgetScanInfoBillet, "lblInfoHistTitle", 340, 35, 261, 21);
    lstInfoHist = make<LineList>(widgetScanInfoBillet, "lstInfoHist", 340, 70, 291, 181);
    setExpanding(lstInfoHist);
    setupScanList(lstInfoHist, 222222, 200);
    lstInfoUser = make<LineList>(widgetScanInfoBillet, "lstInfoUser", 40, 70, 291, 181);
    setExpanding(lstInfoUser);
    setupScanList(lstInfoUser, 222222, 200);
    stackedWidgetScan->addWidget(pageInfoBillet);

    pageKeyboard = form::makePage("pageKeyboard");
    widgetKeyboardAlpha = make<QWidget>(pageKeyboard, "widgetKeyboardAlpha", 0, 0, 639, 260);
    stackedWidgetScan->addWidget(pageKeyboard);

    // Punch and report, under the panels
    btnPunch = make<QPushButton>(pageScanWebcam, "btnPunch", 410, 630, 208, 45);
    openHand(btnPunch);
    btnSignalFraude = make<QPushButton>(pageScanWebcam, "btnSignalFraude", 710, 630, 208, 45);
    openHand(btnSignalFraude);

    // Verdict panel (index 0) or the flash panel (index 1)
    stackedWidgetResult = make<QStackedWidget>(pageScanWebcam, "stackedWidgetResult", 375, 65, 639, 280);

    pageResult = form::makePage("pageResult");
    widgetScanResult = make<QWidget>(pageResult, "widgetScanResult", 0, 0, 639, 280);
    lblResultImg = make<QLabel>(widgetScanResult, "lblResultImg", 30, 40, 64, 89);
    lblResultImg->setAlignment(form::kCentred);
    lblAnnonce = make<QLabel>(widgetScanResult, "lblAnnonce", 30, 10, 411, 21);
    lblResultName = make<QLabel>(widgetScanResult, "lblResultName", 110, 42, 331, 21);
    lblResultBarcode = make<QLabel>(widgetScanResult, "lblResultBarcode", 110, 70, 331, 21);
    lblResultStatus = make<QLabel>(widgetScanResult, "lblResultStatus", 110, 100, 191, 21);
    lblResultStatus->setAlignment(form::kCentred);
    lblResultEvent = make<QLabel>(widgetScanResult, "lblResultEvent", 8, 150, 621, 31);
    lblResultEvent->setAlignment(form::kCentred);
    lblResultLastPunch = make<QLabel>(widgetScanResult, "lblResultLastPunch", 8, 220, 621, 31);
    lblResultLastPunch->setAlignment(form::kCentred);
    lblResultRep = make<QLabel>(widgetScanResult, "lblResultRep", 8, 180, 621, 31);
    lblResultRep->setAlignment(form::kCentred);
    btnResultNbPlace = make<QPushButton>(widgetScanResult, "btnResultNbPlace", 560, 10, 60, 30);
    openHand(btnResultNbPlace);
    lblResultNbCompostage = make<QLabel>(widgetScanResult, "lblResultNbCompostage", 320, 100, 121, 21);
    lblResultNbCompostage->setAlignment(form::kLeft);
    lstResultTarif = make<LineList>(widgetScanResult, "lstResultTarif", 450, 50, 181, 71);
    setupScanList(lstResultTarif, 190, 200);
    lblResultDiffPrevPunch = make<QLabel>(widgetScanResult, "lblResultDiffPrevPunch", 8, 250, 621, 31);
    lblResultDiffPrevPunch->setAlignment(form::kCentred);
    // Names and barcodes come from the ticket list: shown as typed, never as markup.
    for (QLabel* text : {lblAnnonce,
                         lblResultName,
                         lblResultBarcode,
                         lblResultStatus,
                         lblResultEvent,
                         lblResultLastPunch,
                         lblResultRep,
                         lblResultNbCompostage,
                         lblResultDiffPrevPunch}) {
        text->setTextFormat(Qt::PlainText);
    }
    stackedWidgetResult->addWidget(pageResult);

    pageFlash = form::makePage("pageFlash");
    widgetScanFlash = make<QWidget>(pageFlash, "widgetScanFlash", 0, 0, 639, 280);
    stackedWidgetResult->addWidget(pageFlash);

    stackedWidget->addWidget(pageScanWebcam);
}

void Ui_MainWindow::setupScanPad()
{
    editBarcode = make<QLineEdit>(widgetScanKeyboard, "editBarcode", 10, 12, 328, 28);

    // Transparent keys over the keypad picture of the style sheet, in the creation order
    // of the shared pad table.
    static constexpr QPushButton* Ui_MainWindow::*members[] = {
        &Ui_MainWindow::btnPadNum7,
        &Ui_MainWindow::btnPadNum8,
        &Ui_MainWindow::btnPadNum6,
        &Ui_MainWindow::btnPadNumBack,
        &Ui_MainWindow::btnPadNum9,
        &Ui_MainWindow::btnPadNum5,
        &Ui_MainWindow::btnPadNum4,
        &Ui_MainWindow::btnPadNumAlpha,
        &Ui_MainWindow::btnPadNum1,
        &Ui_MainWindow::btnPadNum2,
        &Ui_MainWindow::btnPadNum3,
        &Ui_MainWindow::btnPadNumVirgule,
        &Ui_MainWindow::btnPadNum0,
        &Ui_MainWindow::btnPadNumSearch,
        &Ui_MainWindow::btnPadNumValide,
    };
    static_assert(std::size(members) == kPadKeys.size());
    for (std::size_t i = 0; i < kPadKeys.size(); ++i) {
        const PadKey& key = kPadKeys[i];
        QPushButton* button = make<QPushButton>(widgetScanKeyboard, key.name, key.x, key.y, key.w, key.h);
        openHand(button);
        this->*members[i] = button;
    }

    // The field ends on top of the pad.
    for (QPushButton* Ui_MainWindow::*member : members) {
        (this->*member)->raise();
    }
    editBarcode->raise();
}

void Ui_MainWindow::retranslateScanPage()
{
    lblScanJauge->setText(QStringLiteral("Billets scannés : 0 / 0"));
    btnActiveWebcam->setText(QStringLiteral("Webcam"));
    btnSwitchDirectPunch->setText(QStringLiteral("   Compostage"));
    btnChangeRep->setText(QStringLiteral("Autre événement"));
    lblRepCurrent->setText(QStringLiteral("Current rep"));
    lblRepSalle->setText(QStringLiteral("Salle"));

    lblConseilWebcam->setText(QStringLiteral("Placez le code-barres devant la webcam"));

    btnPadNumSearch->setText(QStringLiteral("\n\n\n\nRechercher"));
    btnPadNumValide->setText(QStringLiteral("VALIDER"));

    lblInfoUserTitle->setText(QStringLiteral("Données de l'acheteur"));
    lblInfoHistTitle->setText(QStringLiteral("Historique du billet"));

    btnPunch->setText(QStringLiteral("Composter"));
    btnSignalFraude->setText(QStringLiteral("Signaler"));

    // Samples until the first ticket is shown
    lblAnnonce->setText(QStringLiteral("Vous venez de scanner"));
    lblResultName->setText(QStringLiteral("Prenom Nom"));
    lblResultBarcode->setText(QStringLiteral("1234567890"));
    lblResultStatus->setText(QStringLiteral("VALIDE"));
    lblResultEvent->setText(QStringLiteral("Event"));
    lblResultLastPunch->setText(QStringLiteral("Composté le : 01/01/2011 20:30"));
    lblResultRep->setText(QStringLiteral("01/01/2011"));
    btnResultNbPlace->setText(QStringLiteral("x 1"));
    lblResultNbCompostage->setText(QStringLiteral("0 restant"));
    lblResultDiffPrevPunch->setText(QStringLiteral("3h depuis le dernier compostage"));
}
