#include "ui/Ui_MainWindow.h"

#include "ui/FormHelpers.h"

#include <QFont>

#include <cstddef>
#include <iterator>

using form::make;
using form::openHand;

void Ui_MainWindow::setupUi(QMainWindow* window)
{
    if (window->objectName().isEmpty()) {
        window->setObjectName(QStringLiteral("MainWindow"));
    }
    window->resize(1024, 768);
    window->setCursor(QCursor(Qt::ArrowCursor));

    centralWidget = new QWidget(window);
    centralWidget->setObjectName(QStringLiteral("centralWidget"));

    stackedWidget = make<QStackedWidget>(centralWidget, "stackedWidget", 0, 39, 1024, 701);
    stackedWidget->setCursor(QCursor(Qt::ArrowCursor));
    stackedWidget->setAutoFillBackground(false);

    // The order of the pages gives their indexes, which the whole program uses.
    setupLoginPage();
    setupRepPage();
    setupScanPage();
    setupSearchPage();
    setupConfigPage();
    setupUpdatePage();
    setupAddTicketPage();

    // Created after the pages so that they lie above the stack where they overlap it.
    setupTopBar();

    window->setCentralWidget(centralWidget);
    setupTabOrder();
    retranslateUi(window);

    stackedWidget->setCurrentIndex(2);
    stackedWidgetCurrentRep->setCurrentIndex(0);
    stackedWidgetScan->setCurrentIndex(0);
    stackedWidgetResult->setCurrentIndex(0);
    stackedWidgetParam->setCurrentIndex(2);

    // No connect-by-name here: the window makes every connection with function pointers.
}

void Ui_MainWindow::setupTopBar()
{
    btnExit = make<QPushButton>(centralWidget, "btnExit", 924, 5, 95, 35);
    QFont exitFont;
    exitFont.setFamilies({QStringLiteral("Arial")});
    exitFont.setPointSize(14);
    exitFont.setBold(true);
    exitFont.setStyleStrategy(QFont::PreferAntialias);
    btnExit->setFont(exitFont);
    openHand(btnExit);

    btnConnect = make<QPushButton>(centralWidget, "btnConnect", 687, 28, 125, 10);
    openHand(btnConnect);

    btnConfigAccess = make<QPushButton>(centralWidget, "btnConfigAccess", 553, 5, 128, 35);
    openHand(btnConfigAccess);

    // Support line along the bottom edge
    lblSupport = make<QLabel>(centralWidget, "lblSupport", 0, 734, 1024, 34);
    lblSupport->setLayoutDirection(Qt::LeftToRight);
    lblSupport->setAlignment(form::kCentred);

    lblSep2 = make<QLabel>(centralWidget, "lblSep2", 683, 10, 5, 31);
    lblSep1 = make<QLabel>(centralWidget, "lblSep1", 813, 10, 5, 31);
    lblSep3 = make<QLabel>(centralWidget, "lblSep3", 549, 10, 5, 31);

    lblConnection = make<QLabel>(centralWidget, "lblConnection", 687, 10, 125, 15);

    btnUpdateSoftware = make<QPushButton>(centralWidget, "btnUpdateSoftware", 430, 5, 111, 35);
    openHand(btnUpdateSoftware);

    // Stay-on-top switch and its caption
    btnLockFocus = make<QPushButton>(centralWidget, "btnLockFocus", 280, 10, 77, 27);
    openHand(btnLockFocus);
    lblAlwaysOnTop = make<QLabel>(centralWidget, "lblAlwaysOnTop", 140, 10, 131, 27);
    lblAlwaysOnTop->setAlignment(form::kRight);

    btnMinimize = make<QPushButton>(centralWidget, "btnMinimize", 820, 5, 97, 35);
    openHand(btnMinimize);

    lblSep5 = make<QLabel>(centralWidget, "lblSep5", 920, 10, 5, 31);
}

void Ui_MainWindow::setupTabOrder()
{
    // One chain over all pages; widgets left out keep Qt's default place.
    QWidget* const chain[] = {
        editLogin,
        editPassword,
        editAgent,
        chkBoxRememberPassword,
        btnLoginValidation,
        btnHelpLogin,
        btnHelpPassword,
        btnHelpAgent,
        btnExit,
        btnConnect,
        btnConfigAccess,
        btnUpdateSoftware,
        btnDrainGlobal,
        btnRefreshListRep,
        btnRepPrevPage,
        btnRepNextPage,
        tableNbTicket,
        btnLocalTicket,
        btnStartScan,
        editLoadFile,
        btnLoadFile,
        btnChangeRep,
        btnActiveWebcam,
        btnSwitchDirectPunch,
        btnResultNbPlace,
        lstResultTarif,
        editBarcode,
        btnPadNumValide,
        btnPadNum7,
        btnPadNum8,
        btnPadNum9,
        btnPadNumBack,
        btnPadNum4,
        btnPadNum5,
        btnPadNum6,
        btnPadNumAlpha,
        btnPadNum1,
        btnPadNum2,
        btnPadNum3,
        btnPadNum0,
        btnPadNumVirgule,
        btnPadNumSearch,
        lstInfoUser,
        lstInfoHist,
        btnPunch,
        btnSignalFraude,
        editSearch,
        btnSearch,
        btnSearchBackToScan,
        tableSearchResult,
        btnParamAdvance,
        btnParamTactil,
        btnParamFrench,
        btnParamEnglish,
        btnParamSpanish,
        btnParamDirectSearch,
        btnParamDiffPunch,
        btnParamSave,
        btnParamCancel,
        btnParamBack,
        btnParamRepJour,
        btnParamUnpunch,
        btnParamBackAdvanced,
        editParam,
        lstUpdate,
        btnGetUpdate,
        btnCancelUpdate,
        editNameLocal,
        editFirstnameLocal,
        editPhoneLocal,
        editMailLocal,
        editBarcodeLocal,
        editNbPunchLocal,
        editPlaceLocal,
        comboRepLocal,
        btnAddTicketLocal,
        btnCancelTicketLocal,
        tableLocalTicketResult,
        btnLocalTicketBackToRep,
    };
    for (std::size_t i = 1; i < std::size(chain); ++i) {
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    }
}

void Ui_MainWindow::retranslateUi(QMainWindow* window)
{
    window->setWindowTitle(QStringLiteral("Application Compostage"));
    window->setStyleSheet(QString());
    stackedWidget->setStyleSheet(QString());

    retranslateLoginPage();
    retranslateRepPage();
    retranslateScanPage();
    retranslateSearchPage();
    retranslateConfigPage();
    retranslateUpdatePage();
    retranslateAddTicketPage();
    retranslateTopBar();
}

void Ui_MainWindow::retranslateTopBar()
{
    btnExit->setText(QStringLiteral("   FERMER"));
    btnConnect->setText(QStringLiteral("  MODE OFFLINE"));
    btnConfigAccess->setText(QStringLiteral("   CONFIGURATION"));
    lblSupport->setText(QStringLiteral("Assistance : voir la fiche contact de votre organisateur"));
    lblConnection->setText(QStringLiteral("          DÉCONNECTÉ"));
    btnUpdateSoftware->setText(QStringLiteral("Nouvelle version\ndisponible"));
    lblAlwaysOnTop->setText(QStringLiteral("Toujours visible"));
    btnMinimize->setText(QStringLiteral("  REDUIRE"));
}
