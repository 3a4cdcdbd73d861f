#include "ui/MainWindow.h"

#include "control/CWebCam.h"
#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "core/DrivenTimers.h"
#include "core/Log.h"
#include "session/CRepWidget.h"
#include "session/DatabaseWipe.h"
#include "ui/CKeyboardWidget.h"
#include "ui/DesignStyleSheet.h"
#include "ui/MessageDlg.h"
#include "ui/ProgressBar.h"
#include "ui/SaisieDlg.h"
#include "ui/Ui_MainWindow.h"

#include <QDebug>
#include <QFile>
#include <QHeaderView>
#include <QIntValidator>
#include <QNetworkAccessManager>
#include <QShortcut>
#include <QSignalMapper>

namespace
{

unsigned int settingsLanguage()
{
    return gParam->parametre(LANGUE).toUInt();
}

void setupResultTable(QTableWidget* table, int columns, const QStringList& titles, std::initializer_list<int> hidden)
{
    table->setColumnCount(columns);
    table->setRowCount(0);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setHorizontalHeaderLabels(titles);
    for (const int column : hidden) {
        table->setColumnHidden(column, true);
    }
    table->horizontalHeader()->setVisible(true);
    table->horizontalHeader()->setMinimumSectionSize(100);
    table->verticalHeader()->setVisible(false);
    table->setShowGrid(false);
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
    , ui(new Ui_MainWindow)
{
    // Named so that the recorded connections and the thread list say who is who.
    pingTimer.setObjectName(QStringLiteral("pingTimer"));
    focusTimer.setObjectName(QStringLiteral("focusTimer"));
    deltaTimer.setObjectName(QStringLiteral("deltaTimer"));
    for (QTimer* timer : {&pingTimer, &focusTimer, &deltaTimer}) {
        driventimers::enrol(timer);
    }
    threadEvt.setObjectName(QStringLiteral("threadEvt"));
    threadGetDelta.setObjectName(QStringLiteral("threadGetDelta"));
    threadGetFile.setObjectName(QStringLiteral("threadGetFile"));

    isStartFailed = false;
    isDragging = false;
    ui->setupUi(this);

    setStyleSheet(designStyleSheet());
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setWindowTitle(QStringLiteral("Application Compostage - ") + QLatin1String(kAppVersion));

    ui->btnUpdateSoftware->hide();
    wireWindowBar();

    ui->btnLoginValidation->setEnabled(false);
    wireLoginPage();
    qDebug() << "Page Login OK";

    eventPage = 0;
    eventPageCount = 0;
    currentRepDbName.clear();

    QWidget* const tileSlots[] =
        {ui->widgetRep1, ui->widgetRep2, ui->widgetRep3, ui->widgetRep4, ui->widgetRep5, ui->widgetRep6};
    for (std::size_t i = 0; i < repWidgets.size(); ++i) {
        repWidgets[i] = new CRepWidget(tileSlots[i]);
        repWidgets[i]->setObjectName(QStringLiteral("repWidget%1").arg(i + 1));
    }
    qDebug() << "Creation Widget Rep OK";
    wireTiles();
    qDebug() << "repWidget Connexion OK";

    wireRepPage();
    ui->btnDrainGlobal->hide();
    qDebug() << "Page Rep Connexion OK";

    wireThreadEvt();
    qDebug() << "ThreadEvt Connexion OK";
    qDebug() << "Page Rep OK";

    webCam = new CWebCam(ui->widgetWebcam);
    webCam->setObjectName(QStringLiteral("webCam"));
    wireWebCam();
    qDebug() << "Webcam OK";

    wireScanPage();

    padMapper = new QSignalMapper(this);
    padMapper->setObjectName(QStringLiteral("padMapper"));
    wirePad();
    qDebug() << "Pad num OK";

    keyboardScan = new CKeyboardWidget(ui->widgetKeyboardAlpha);
    keyboardScan->setObjectName(QStringLiteral("keyboardScan"));
    wireKeyboardScan();
    isRepPageRequested = false;
    isExitRequested = false;
    qDebug() << "Keyboard OK";

    wireThreadGetDelta();
    wireThreadGetFile();
    isSyncRunning = false;
    qDebug() << "Thread connectes";

    wireSearchPage();
    setupResultTable(ui->tableSearchResult,
                     8,
                     gAffichage->getHeaderSearchTab(static_cast<int>(settingsLanguage())),
                     {0});
    keyboardSearch = new CKeyboardWidget(ui->widgetSearchKeyboard);
    keyboardSearch->setObjectName(QStringLiteral("keyboardSearch"));
    wireKeyboardSearch();

    wireSettingsPages();
    paramEdit = nullptr;
    qDebug() << "Config OK";

    wireUpdatePage();
    wireLocalTicketPage();
    setupResultTable(ui->tableLocalTicketResult,
                     13,
                     gAffichage->getHeaderLocalTicketTab(static_cast<int>(settingsLanguage())),
                     {0, 3, 4, 10});
    ui->editNbPunchLocal->setValidator(new QIntValidator(1, 999, this));

    createDialogs();
    qDebug() << "Other dlg OK";

    qDebug() << "Param loaded : " << gParam->getParamStr();
    // Connected above, so filling runs the fields' slot as typing would.
    fillLoginFields();
    changeLangue(static_cast<int>(settingsLanguage()));
    qDebug() << "Param OK";

    ui->editLogin->setFocus(Qt::OtherFocusReason);
    ui->stackedWidget->setCurrentIndex(0);

    networkManager = new QNetworkAccessManager(this);
    qDebug() << "Network OK";

    db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    dbMutex = new QMutex;
    if (gParam->isLog) {
        QString drivers = QStringLiteral("Drivers de la base de donnees : ");
        const QStringList names = QSqlDatabase::drivers();
        for (const QString& name : names) {
            drivers += QLatin1Char(' ') + name;
        }
        enregistreLog(5, drivers, false);
    }
    // A wipe of the databases cut short by a stop is finished before anything opens them.
    // When it cannot be, the program does not start on an empty main database: the next
    // try would delete what was punched on it meanwhile.
    if (!databasewipe::finishInterrupted(db, dbMutex) || !openBDD(db, dbMutex)) {
        isStartFailed = true;
        return;
    }
    qDebug() << "Database OK";

    gParam->serialNumber.set(getSerialNumber());
    timerPing();

    pingTimer.setSingleShot(false);
    wireTimers();
    pingTimer.start(30000);
    isForcedOffline = false;
    focusTimer.setSingleShot(false);
    focusTimer.setInterval(10000);
    deltaTimer.setSingleShot(true);
    deltaTimer.setInterval(5000);
    qDebug() << "Timers OK";

    shortcutReturn = new QShortcut(QKeySequence(Qt::Key_Return), this);
    shortcutEnter = new QShortcut(QKeySequence(Qt::Key_Enter), this);
    shortcutF5 = new QShortcut(QKeySequence(Qt::Key_F5), this);
    shortcutQuit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    for (QShortcut* shortcut : {shortcutReturn, shortcutEnter, shortcutF5, shortcutQuit}) {
        shortcut->setContext(Qt::WindowShortcut);
    }
    shortcutReturn->setObjectName(QStringLiteral("shortcutReturn"));
    shortcutEnter->setObjectName(QStringLiteral("shortcutEnter"));
    shortcutF5->setObjectName(QStringLiteral("shortcutF5"));
    shortcutQuit->setObjectName(QStringLiteral("shortcutQuit"));
    wireShortcuts();
    qDebug() << "Shortcut OK";

    if (gParam->parametre(VERSION) != QLatin1String(kAppVersion)) {
        updateSoftware();
    }
    verifNewVersion();
}

void MainWindow::createDialogs()
{
    progressBar = new ProgressBar(this);
    progressBar->hide();
    messageDlg = new MessageDlg(this);
    messageDlg->hide();
    wireMessageDlg();
    saisieDlg = new SaisieDlg(this);
    saisieDlg->hide();
    wireSaisieDlg();
}

void MainWindow::fillLoginFields()
{
    ui->editLogin->setText(gParam->parametre(LOGIN_KEST));
    if (gParam->parametre(REMEMBER_PASSWORD) == QLatin1String("Sauvegarder Mot De Passe")) {
        ui->editPassword->setText(gParam->parametre(PASSWORD_KEST));
        ui->editAgent->setText(gParam->parametre(AGENT_KEST));
        ui->chkBoxRememberPassword->setChecked(true);
    } else {
        ui->editPassword->clear();
        ui->editAgent->clear();
        ui->chkBoxRememberPassword->setChecked(false);
    }
}
