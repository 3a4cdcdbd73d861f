#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QWidget>

// The form of the one main window: seven pages in one stack, with the top bar and
// the support line over it. Fixed 1024x768 surface, no layouts. The pointers do not
// own; every widget belongs to its Qt parent. Members follow the creation order,
// which is also the stacking order of siblings.
class Ui_MainWindow
{
public:
    QWidget* centralWidget = nullptr;
    QStackedWidget* stackedWidget = nullptr;

    // Page 0: login
    QWidget* pageLogin = nullptr;
    QLineEdit* editAgent = nullptr;
    QLineEdit* editLogin = nullptr;
    QLineEdit* editPassword = nullptr;
    QPushButton* btnLoginValidation = nullptr;
    QCheckBox* chkBoxRememberPassword = nullptr;
    QLabel* lblAgent = nullptr;
    QLabel* lblPassword = nullptr;
    QLabel* lblLogin = nullptr;
    QPushButton* btnHelpLogin = nullptr;
    QPushButton* btnHelpPassword = nullptr;
    QPushButton* btnHelpAgent = nullptr;
    QLabel* lblMandatory = nullptr;
    QLabel* lblTitleLoginPage = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblBgLogin = nullptr;

    // Page 1: event and performance choice
    QWidget* pageRep = nullptr;
    QWidget* widgetLoadFile = nullptr;
    QLabel* lblLoadFileTitle = nullptr;
    QLabel* lblLoadFileExplain = nullptr;
    QPushButton* btnLoadFile = nullptr;
    QLineEdit* editLoadFile = nullptr;
    QWidget* widgetRepChoice = nullptr;
    QLabel* lblRepChoiceTitle = nullptr;
    QLabel* lblRepPage = nullptr;
    QPushButton* btnRepPrevPage = nullptr;
    QPushButton* btnRepNextPage = nullptr;
    QWidget* widgetRep1 = nullptr;
    QWidget* widgetRep2 = nullptr;
    QWidget* widgetRep4 = nullptr;
    QWidget* widgetRep5 = nullptr;
    QWidget* widgetRep6 = nullptr;
    QLabel* lblWaitingBar = nullptr;
    QWidget* widgetRep3 = nullptr;
    QPushButton* btnRefreshListRep = nullptr;
    QPushButton* btnDrainGlobal = nullptr;
    QLabel* lblSep4 = nullptr;
    QStackedWidget* stackedWidgetCurrentRep = nullptr;
    QWidget* pageCurrentRep = nullptr;
    QWidget* widgetRepLoaded = nullptr;
    QLabel* lblCurrentRepTitle = nullptr;
    QPushButton* btnStartScan = nullptr;
    QLabel* lblRepStatus = nullptr;
    QLabel* lblRepRep = nullptr;
    QLabel* lblRepPlaces = nullptr;
    QLabel* lblRepNbPlace = nullptr;
    QLabel* lblRepEvent = nullptr;
    QLabel* lblRepFinVente = nullptr;
    QLabel* lblRepImg = nullptr;
    QLabel* lblRepNbPunch = nullptr;
    QTableWidget* tableNbTicket = nullptr;
    QPushButton* btnLocalTicket = nullptr;
    QWidget* pageNoRepSelected = nullptr;
    QWidget* widgetNoRepLoaded = nullptr;
    QLabel* lblNoCurrentRepTitle = nullptr;

    // Page 2: ticket scanning
    QWidget* pageScanWebcam = nullptr;
    QWidget* widgetScanBar = nullptr;
    QLabel* lblScanJauge = nullptr;
    QProgressBar* pbJauge = nullptr;
    QPushButton* btnActiveWebcam = nullptr;
    QLabel* lblWebcamStatus = nullptr;
    QPushButton* btnSwitchDirectPunch = nullptr;
    QPushButton* btnChangeRep = nullptr;
    QLabel* lblRepCurrent = nullptr;
    QLabel* lblRepSalle = nullptr;
    QWidget* widgetScanWebcam = nullptr;
    QLabel* lblLaser = nullptr;
    QWidget* widgetWebcam = nullptr;
    QLabel* lblConseilWebcam = nullptr;
    QWidget* widgetScanKeyboard = nullptr;
    QLineEdit* editBarcode = nullptr;
    QPushButton* btnPadNum7 = nullptr;
    QPushButton* btnPadNum8 = nullptr;
    QPushButton* btnPadNum6 = nullptr;
    QPushButton* btnPadNumBack = nullptr;
    QPushButton* btnPadNum9 = nullptr;
    QPushButton* btnPadNum5 = nullptr;
    QPushButton* btnPadNum4 = nullptr;
    QPushButton* btnPadNumAlpha = nullptr;
    QPushButton* btnPadNum1 = nullptr;
    QPushButton* btnPadNum2 = nullptr;
    QPushButton* btnPadNum3 = nullptr;
    QPushButton* btnPadNumVirgule = nullptr;
    QPushButton* btnPadNum0 = nullptr;
    QPushButton* btnPadNumSearch = nullptr;
    QPushButton* btnPadNumValide = nullptr;
    QStackedWidget* stackedWidgetScan = nullptr;
    QWidget* pageInfoBillet = nullptr;
    QWidget* widgetScanInfoBillet = nullptr;
    QLabel* lblInfoUserTitle = nullptr;
    QLabel* lblInfoHistTitle = nullptr;
    QListWidget* lstInfoHist = nullptr;
    QListWidget* lstInfoUser = nullptr;
    QWidget* pageKeyboard = nullptr;
    QWidget* widgetKeyboardAlpha = nullptr;
    QPushButton* btnPunch = nullptr;
    QPushButton* btnSignalFraude = nullptr;
    QStackedWidget* stackedWidgetResult = nullptr;
    QWidget* pageResult = nullptr;
    QWidget* widgetScanResult = nullptr;
    QLabel* lblResultImg = nullptr;
    QLabel* lblAnnonce = nullptr;
    QLabel* lblResultName = nullptr;
    QLabel* lblResultBarcode = nullptr;
    QLabel* lblResultStatus = nullptr;
    QLabel* lblResultEvent = nullptr;
    QLabel* lblResultLastPunch = nullptr;
    QLabel* lblResultRep = nullptr;
    QPushButton* btnResultNbPlace = nullptr;
    QLabel* lblResultNbCompostage = nullptr;
    QListWidget* lstResultTarif = nullptr;
    QLabel* lblResultDiffPrevPunch = nullptr;
    QWidget* pageFlash = nullptr;
    QWidget* widgetScanFlash = nullptr;

    // Page 3: ticket search
    QWidget* pageSearch = nullptr;
    QWidget* widgetSearchBar = nullptr;
    QPushButton* btnSearchBackToScan = nullptr;
    QLineEdit* editSearch = nullptr;
    QPushButton* btnSearch = nullptr;
    QWidget* widgetSearchResult = nullptr;
    QTableWidget* tableSearchResult = nullptr;
    QLabel* lblEmptyResult = nullptr;
    QWidget* widgetSearchKeyboard = nullptr;

    // Page 4: settings, four inner pages
    QWidget* pageConfig = nullptr;
    QWidget* widgetParam = nullptr;
    QLabel* lblParamTitle = nullptr;
    QLabel* lblVersionParam = nullptr;
    QStackedWidget* stackedWidgetParam = nullptr;
    QWidget* pageParamUser = nullptr;
    QPushButton* btnParamEnglish = nullptr;
    QLabel* lblParamLangage = nullptr;
    QPushButton* btnParamTactil = nullptr;
    QPushButton* btnParamSpanish = nullptr;
    QPushButton* btnParamAdvance = nullptr;
    QPushButton* btnParamFrench = nullptr;
    QPushButton* btnParamSave = nullptr;
    QLabel* lblParamTactil = nullptr;
    QPushButton* btnParamCancel = nullptr;
    QPushButton* btnParamDirectSearch = nullptr;
    QLabel* lblParamDirectSearch = nullptr;
    QLabel* lblParamDiffPunch = nullptr;
    QPushButton* btnParamDiffPunch = nullptr;
    QWidget* pageParamConfig = nullptr;
    QPushButton* btnParamRepJour = nullptr;
    QPushButton* btnParamUnpunch = nullptr;
    QLabel* lblParamUnpunch = nullptr;
    QLabel* lblParamRepJour = nullptr;
    QPushButton* btnParamBack = nullptr;
    QPushButton* btnParamHideRecapTicket = nullptr;
    QLabel* lblParamHideRecapTicket = nullptr;
    QPushButton* btnParamLocalTicket = nullptr;
    QLabel* lblParamLocalTicket = nullptr;
    QWidget* pageParamConfigConnection = nullptr;
    QLineEdit* editParamUrl = nullptr;
    QLabel* lblParamUrl = nullptr;
    QPushButton* btnParamBack2 = nullptr;
    QLineEdit* editParamProxy = nullptr;
    QLabel* lblParamProxy = nullptr;
    QLabel* lblParamTimeOut = nullptr;
    QLineEdit* editParamTimeOut = nullptr;
    QLabel* lblParamTimeOutUnity = nullptr;
    QWidget* pageParamAdvanced = nullptr;
    QPushButton* btnParamBackAdvanced = nullptr;
    QPlainTextEdit* editParam = nullptr;
    QLabel* lblSepParam3 = nullptr;
    QLabel* lblSepParam4 = nullptr;
    QLabel* lblSepParam1 = nullptr;
    QLabel* lblSepParam2 = nullptr;
    QPushButton* btnParamConfigNextPage = nullptr;
    QPushButton* btnParamConfigPrevPage = nullptr;
    QLabel* lblParamConfigPage = nullptr;

    // Page 5: software update
    QWidget* pageUpdate = nullptr;
    QWidget* widgetUpdate = nullptr;
    QLabel* lblUpdateTitle = nullptr;
    QPushButton* btnGetUpdate = nullptr;
    QPushButton* btnCancelUpdate = nullptr;
    QListWidget* lstUpdate = nullptr;

    // Page 6: local tickets
    QWidget* pageAddTicket = nullptr;
    QWidget* widgetAddTicket = nullptr;
    QLineEdit* editMailLocal = nullptr;
    QLineEdit* editPlaceLocal = nullptr;
    QComboBox* comboRepLocal = nullptr;
    QLabel* lblAddTicketTitle = nullptr;
    QLineEdit* editNameLocal = nullptr;
    QLineEdit* editFirstnameLocal = nullptr;
    QLineEdit* editPhoneLocal = nullptr;
    QPushButton* btnAddTicketLocal = nullptr;
    QLabel* lblNameLocal = nullptr;
    QLabel* lblFirstnameLocal = nullptr;
    QLabel* lblPhoneLocal = nullptr;
    QLabel* lblMailLocal = nullptr;
    QLabel* lblPlaceLocal = nullptr;
    QLabel* lblRepLocal = nullptr;
    QPushButton* btnCancelTicketLocal = nullptr;
    QLineEdit* editNbPunchLocal = nullptr;
    QLineEdit* editBarcodeLocal = nullptr;
    QLabel* lblBarcodeLocal = nullptr;
    QLabel* lblNbPunchLocal = nullptr;
    QPushButton* btnLocalTicketBackToRep = nullptr;
    QWidget* widgetLocalTicketResult = nullptr;
    QTableWidget* tableLocalTicketResult = nullptr;
    QLabel* lblLocalTicketResult = nullptr;

    // Top bar and support line, over the page stack
    QPushButton* btnExit = nullptr;
    QPushButton* btnConnect = nullptr;
    QPushButton* btnConfigAccess = nullptr;
    QLabel* lblSupport = nullptr;
    QLabel* lblSep2 = nullptr;
    QLabel* lblSep1 = nullptr;
    QLabel* lblSep3 = nullptr;
    QLabel* lblConnection = nullptr;
    QPushButton* btnUpdateSoftware = nullptr;
    QPushButton* btnLockFocus = nullptr;
    QLabel* lblAlwaysOnTop = nullptr;
    QPushButton* btnMinimize = nullptr;
    QLabel* lblSep5 = nullptr;

    // Builds the whole form on `window`; call once.
    void setupUi(QMainWindow* window);
    // Design-time texts only; the window's language switch writes the real captions.
    void retranslateUi(QMainWindow* window);

private:
    // Ui_MainWindow.cpp
    void setupTopBar();
    void setupTabOrder();
    void retranslateTopBar();
    // Ui_MainWindowLogin.cpp
    void setupLoginPage();
    void retranslateLoginPage();
    // Ui_MainWindowRep.cpp
    void setupRepPage();
    void retranslateRepPage();
    // Ui_MainWindowScan.cpp
    void setupScanPage();
    void setupScanPad();
    void retranslateScanPage();
    // Ui_MainWindowSearch.cpp
    void setupSearchPage();
    void retranslateSearchPage();
    // Ui_MainWindowConfig.cpp
    void setupConfigPage();
    void retranslateConfigPage();
    // Ui_MainWindowLocal.cpp
    void setupUpdatePage();
    void setupAddTicketPage();
    void retranslateUpdatePage();
    void retranslateAddTicketPage();
};
