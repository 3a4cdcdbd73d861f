#include "control/CWebCam.h"
#include "session/CRepWidget.h"
#include "ui/CKeyboardWidget.h"
#include "ui/MainWindow.h"
#include "ui/MessageDlg.h"
#include "ui/SaisieDlg.h"
#include "ui/Ui_MainWindow.h"

#include <QMetaMethod>
#include <QMetaType>
#include <QShortcut>
#include <QSignalMapper>

#include <type_traits>

namespace
{

template <typename Slot>
struct SlotArguments;

template <typename Class, typename... Args>
struct SlotArguments<void (Class::*)(Args...)>
{
    // The argument types as moc spells them in a signature.
    static QByteArray names()
    {
        const QList<QByteArray> types{QByteArray(QMetaType::fromType<std::decay_t<Args>>().name())...};
        return types.join(',');
    }
};

}  // namespace

// The slot's name is spelled once, so the record cannot drift from the connection.
#define WIRE(sender, signal, slotName, type) wire(sender, signal, this, &MainWindow::slotName, #slotName, type)

template <typename Sender, typename Signal, typename Receiver, typename Slot>
void MainWindow::wire(Sender* sender,
                      Signal signal,
                      Receiver* receiver,
                      Slot slot,
                      const char* slotName,
                      Qt::ConnectionType type)
{
    const QByteArray slotSignature = QByteArray(slotName) + '(' + SlotArguments<Slot>::names() + ')';
    [[maybe_unused]] const QMetaObject::Connection connection = connect(sender, signal, receiver, slot, type);
    Q_ASSERT(connection);
    Q_ASSERT(receiver->metaObject()->indexOfSlot(slotSignature.constData()) >= 0);
    wiredConnections.append(
        {sender->objectName(), QMetaMethod::fromSignal(signal).methodSignature(), slotSignature, type});
}

void MainWindow::wireWindowBar()
{
    WIRE(ui->btnExit, &QPushButton::clicked, exitClick, Qt::AutoConnection);
    WIRE(ui->btnConnect, &QPushButton::clicked, connectionClick, Qt::AutoConnection);
    WIRE(ui->btnConfigAccess, &QPushButton::clicked, configClick, Qt::AutoConnection);
    WIRE(ui->btnUpdateSoftware, &QPushButton::clicked, updateSoftwareClick, Qt::AutoConnection);
    WIRE(ui->btnLockFocus, &QPushButton::clicked, lockFocusClick, Qt::AutoConnection);
    WIRE(ui->btnMinimize, &QPushButton::clicked, minimizeClick, Qt::AutoConnection);
}

void MainWindow::wireLoginPage()
{
    WIRE(ui->btnLoginValidation, &QPushButton::clicked, verifLoginClicked, Qt::AutoConnection);
    WIRE(ui->btnHelpLogin, &QPushButton::clicked, helpLoginClick, Qt::AutoConnection);
    WIRE(ui->btnHelpPassword, &QPushButton::clicked, helpPasswordClick, Qt::AutoConnection);
    WIRE(ui->btnHelpAgent, &QPushButton::clicked, helpAgentClick, Qt::AutoConnection);
    WIRE(ui->editLogin, &QLineEdit::textChanged, editLoginChanged, Qt::AutoConnection);
    WIRE(ui->editPassword, &QLineEdit::textChanged, editLoginChanged, Qt::AutoConnection);
    WIRE(ui->editAgent, &QLineEdit::textChanged, editLoginChanged, Qt::AutoConnection);
}

// Signal by signal, each for tile 1 to tile 6. The tiles emit on the GUI thread, so
// the direct ones run inside the tile's emitting call.
void MainWindow::wireTiles()
{
    for (CRepWidget* tile : repWidgets) {
        WIRE(tile, &CRepWidget::selectRep, setCurrentRep, Qt::AutoConnection);
    }
    for (CRepWidget* tile : repWidgets) {
        WIRE(tile, &CRepWidget::signalProgressText, actionUpdateProgressText, Qt::AutoConnection);
    }
    for (CRepWidget* tile : repWidgets) {
        WIRE(tile, &CRepWidget::signalProgressValue, actionUpdateProgressValue, Qt::AutoConnection);
    }
    for (CRepWidget* tile : repWidgets) {
        WIRE(tile, &CRepWidget::signalProgressMax, actionUpdateProgressMax, Qt::AutoConnection);
    }
    for (CRepWidget* tile : repWidgets) {
        WIRE(tile, &CRepWidget::signalProgressShow, actionShowProgress, Qt::AutoConnection);
    }
    for (CRepWidget* tile : repWidgets) {
        WIRE(tile, &CRepWidget::signalPageEnable, actionPageEnable, Qt::AutoConnection);
    }
    for (CRepWidget* tile : repWidgets) {
        WIRE(tile, &CRepWidget::signalDownloadProgress, actionDownloadProgress, Qt::DirectConnection);
    }
    for (CRepWidget* tile : repWidgets) {
        WIRE(tile, &CRepWidget::signalDrainNeeded, actionDrainNeeded, Qt::DirectConnection);
    }
    for (CRepWidget* tile : repWidgets) {
        WIRE(tile, &CRepWidget::signalError, displayMessage, Qt::DirectConnection);
    }
    for (CRepWidget* tile : repWidgets) {
        WIRE(tile, &CRepWidget::signalRepFileDropped, actionRepFileDropped, Qt::DirectConnection);
    }
}

void MainWindow::wireRepPage()
{
    WIRE(ui->btnRepNextPage, &QPushButton::clicked, repNextPageClicked, Qt::AutoConnection);
    WIRE(ui->btnRepPrevPage, &QPushButton::clicked, repPrevPageClicked, Qt::AutoConnection);
    WIRE(ui->btnStartScan, &QPushButton::clicked, startScanClicked, Qt::AutoConnection);
    WIRE(ui->btnLoadFile, &QPushButton::clicked, loadFileClicked, Qt::AutoConnection);
    WIRE(ui->btnRefreshListRep, &QPushButton::clicked, refreshListRepClicked, Qt::AutoConnection);
    WIRE(ui->btnDrainGlobal, &QPushButton::clicked, drainGlobalClicked, Qt::AutoConnection);
    WIRE(ui->btnLocalTicket, &QPushButton::clicked, localTicketPageClicked, Qt::AutoConnection);
}

// The event-list error signal stays unconnected: a parse error reaches no display.
void MainWindow::wireThreadEvt()
{
    WIRE(&threadEvt, &QThread::finished, actionGetEventsTerminated, Qt::AutoConnection);
    WIRE(&threadEvt, &CThreadEvt::signalProgressText, actionUpdateProgressText, Qt::AutoConnection);
    WIRE(&threadEvt, &CThreadEvt::signalProgressValue, actionUpdateProgressValue, Qt::AutoConnection);
    WIRE(&threadEvt, &CThreadEvt::signalProgressMax, actionUpdateProgressMax, Qt::AutoConnection);
}

void MainWindow::wireWebCam()
{
    WIRE(webCam, &CWebCam::signalBarcode, checkBarcode, Qt::AutoConnection);
}

void MainWindow::wireScanPage()
{
    WIRE(ui->btnActiveWebcam, &QPushButton::clicked, activeWebcamClicked, Qt::AutoConnection);
    WIRE(ui->btnChangeRep, &QPushButton::clicked, changeRepClicked, Qt::AutoConnection);
    WIRE(ui->btnPunch, &QPushButton::clicked, punchClicked, Qt::AutoConnection);
    WIRE(ui->btnSignalFraude, &QPushButton::clicked, signalFraudeClicked, Qt::AutoConnection);
    WIRE(ui->btnSwitchDirectPunch, &QPushButton::clicked, switchPunchReadClicked, Qt::AutoConnection);
    WIRE(ui->btnResultNbPlace, &QPushButton::clicked, displayTarifClicked, Qt::AutoConnection);
}

void MainWindow::wirePad()
{
    QPushButton* const keys[] = {ui->btnPadNum0,
                                 ui->btnPadNum1,
                                 ui->btnPadNum2,
                                 ui->btnPadNum3,
                                 ui->btnPadNum4,
                                 ui->btnPadNum5,
                                 ui->btnPadNum6,
                                 ui->btnPadNum7,
                                 ui->btnPadNum8,
                                 ui->btnPadNum9,
                                 ui->btnPadNumVirgule};
    for (QPushButton* key : keys) {
        wire(key, &QPushButton::clicked, padMapper, qOverload<>(&QSignalMapper::map), "map", Qt::AutoConnection);
    }
    const char* const texts[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", ","};
    for (std::size_t i = 0; i < std::size(keys); ++i) {
        padMapper->setMapping(keys[i], QString::fromLatin1(texts[i]));
    }
    WIRE(padMapper, &QSignalMapper::mappedString, padNumClicked, Qt::AutoConnection);
    WIRE(ui->btnPadNumValide, &QPushButton::clicked, padNumValidateClicked, Qt::AutoConnection);
    WIRE(ui->btnPadNumSearch, &QPushButton::clicked, padNumSearchClicked, Qt::AutoConnection);
    WIRE(ui->btnPadNumBack, &QPushButton::clicked, padNumBackClicked, Qt::AutoConnection);
    WIRE(ui->btnPadNumAlpha, &QPushButton::clicked, padNumAlphaClicked, Qt::AutoConnection);
}

void MainWindow::wireKeyboardScan()
{
    WIRE(keyboardScan, &CKeyboardWidget::btnKeyClicked, keyboardKeyClicked, Qt::AutoConnection);
    WIRE(keyboardScan, &CKeyboardWidget::btnEnterClicked, keyboardEnterClicked, Qt::AutoConnection);
    WIRE(keyboardScan, &CKeyboardWidget::btnExitClicked, keyboardExitClicked, Qt::AutoConnection);
    WIRE(keyboardScan, &CKeyboardWidget::btnBackClicked, keyboardBackClicked, Qt::AutoConnection);
}

// The worker emits from its own thread; queued or auto, its signals reach the window
// through the event loop in the order of emission, finished() last.
void MainWindow::wireThreadGetDelta()
{
    WIRE(&threadGetDelta, &QThread::finished, actionGetDeltaTerminated, Qt::AutoConnection);
    WIRE(&threadGetDelta, &CThreadGet::signalProgressShow, actionShowProgress, Qt::AutoConnection);
    WIRE(&threadGetDelta, &CThreadGet::signalProgressText, actionUpdateProgressText, Qt::AutoConnection);
    WIRE(&threadGetDelta, &CThreadGet::signalProgressValue, actionUpdateProgressValue, Qt::AutoConnection);
    WIRE(&threadGetDelta, &CThreadGet::signalProgressMax, actionUpdateProgressMax, Qt::AutoConnection);
    WIRE(&threadGetDelta, &CThreadGet::signalError, displayMessage, Qt::QueuedConnection);
    WIRE(&threadGetDelta, &CThreadGet::signalNbTicket, updateNbTicket, Qt::QueuedConnection);
}

// Connected once, however many files are imported.
void MainWindow::wireThreadGetFile()
{
    WIRE(&threadGetFile, &QThread::finished, actionGetRepFileTerminated, Qt::AutoConnection);
    WIRE(&threadGetFile, &CThreadGet::signalProgressText, actionUpdateProgressText, Qt::AutoConnection);
    WIRE(&threadGetFile, &CThreadGet::signalProgressValue, actionUpdateProgressValue, Qt::AutoConnection);
    WIRE(&threadGetFile, &CThreadGet::signalProgressMax, actionUpdateProgressMax, Qt::AutoConnection);
    WIRE(&threadGetFile, &CThreadGet::signalRepFile, actionSelectRepFile, Qt::AutoConnection);
}

void MainWindow::wireSearchPage()
{
    WIRE(ui->btnSearch, &QPushButton::clicked, searchClicked, Qt::AutoConnection);
    WIRE(ui->editSearch, &QLineEdit::textChanged, editSearchChanged, Qt::AutoConnection);
    WIRE(ui->btnSearchBackToScan, &QPushButton::clicked, backToScanClicked, Qt::AutoConnection);
    WIRE(ui->tableSearchResult, &QTableWidget::cellDoubleClicked, resultDoubleClicked, Qt::AutoConnection);
}

void MainWindow::wireKeyboardSearch()
{
    WIRE(keyboardSearch, &CKeyboardWidget::btnKeyClicked, keyboardSearchKeyClicked, Qt::AutoConnection);
    WIRE(keyboardSearch, &CKeyboardWidget::btnEnterClicked, keyboardSearchEnterClicked, Qt::AutoConnection);
    WIRE(keyboardSearch, &CKeyboardWidget::btnExitClicked, keyboardSearchExitClicked, Qt::AutoConnection);
    WIRE(keyboardSearch, &CKeyboardWidget::btnBackClicked, keyboardSearchBackClicked, Qt::AutoConnection);
}

void MainWindow::wireSettingsPages()
{
    WIRE(ui->btnParamSave, &QPushButton::clicked, saveParamClicked, Qt::AutoConnection);
    WIRE(ui->btnParamCancel, &QPushButton::clicked, cancelParamClicked, Qt::AutoConnection);
    WIRE(ui->btnParamBack, &QPushButton::clicked, backParamClicked, Qt::AutoConnection);
    WIRE(ui->btnParamConfigNextPage, &QPushButton::clicked, nextParamClicked, Qt::AutoConnection);
    WIRE(ui->btnParamConfigPrevPage, &QPushButton::clicked, previousParamClicked, Qt::AutoConnection);
    WIRE(ui->btnParamBack2, &QPushButton::clicked, backParamClicked, Qt::AutoConnection);
    WIRE(ui->btnParamAdvance, &QPushButton::clicked, advancedParamClicked, Qt::AutoConnection);
    WIRE(ui->btnParamBackAdvanced, &QPushButton::clicked, backAdvancedParamClicked, Qt::AutoConnection);
    WIRE(ui->btnParamTactil, &QPushButton::clicked, tactilParamClicked, Qt::AutoConnection);
    WIRE(ui->btnParamDirectSearch, &QPushButton::clicked, directSearchParamClicked, Qt::AutoConnection);
    WIRE(ui->btnParamDiffPunch, &QPushButton::clicked, diffPunchParamClicked, Qt::AutoConnection);
    WIRE(ui->btnParamRepJour, &QPushButton::clicked, repJourParamClicked, Qt::AutoConnection);
    WIRE(ui->btnParamUnpunch, &QPushButton::clicked, unpunchParamClicked, Qt::AutoConnection);
    WIRE(ui->btnParamFrench, &QPushButton::clicked, frenchParamClicked, Qt::AutoConnection);
    WIRE(ui->btnParamEnglish, &QPushButton::clicked, englishParamClicked, Qt::AutoConnection);
    WIRE(ui->btnParamSpanish, &QPushButton::clicked, spanishParamClicked, Qt::AutoConnection);
    WIRE(ui->editParamUrl, &QLineEdit::textChanged, editParamUrlChanged, Qt::AutoConnection);
    WIRE(ui->btnParamHideRecapTicket, &QPushButton::clicked, hideRecapTicketParamClicked, Qt::AutoConnection);
    WIRE(ui->btnParamLocalTicket, &QPushButton::clicked, localTicketParamClicked, Qt::AutoConnection);
    WIRE(ui->editParamProxy, &QLineEdit::textChanged, editParamProxyChanged, Qt::AutoConnection);
    WIRE(ui->editParamTimeOut, &QLineEdit::textChanged, editParamTimeOutChanged, Qt::AutoConnection);
}

void MainWindow::wireUpdatePage()
{
    WIRE(ui->btnGetUpdate, &QPushButton::clicked, getUpdateClicked, Qt::AutoConnection);
    WIRE(ui->btnCancelUpdate, &QPushButton::clicked, cancelUpdateClicked, Qt::AutoConnection);
}

void MainWindow::wireLocalTicketPage()
{
    WIRE(ui->btnLocalTicketBackToRep, &QPushButton::clicked, backToRepClicked, Qt::AutoConnection);
    WIRE(ui->btnCancelTicketLocal, &QPushButton::clicked, cancelTicketClicked, Qt::AutoConnection);
    WIRE(ui->btnAddTicketLocal, &QPushButton::clicked, addTicketClicked, Qt::AutoConnection);
    WIRE(ui->tableLocalTicketResult, &QTableWidget::cellDoubleClicked, localTicketDoubleClicked, Qt::AutoConnection);
    WIRE(ui->tableLocalTicketResult, &QTableWidget::cellClicked, localTicketClicked, Qt::AutoConnection);
}

void MainWindow::wireMessageDlg()
{
    WIRE(messageDlg, &MessageDlg::signalAck, ackMessage, Qt::AutoConnection);
}

void MainWindow::wireSaisieDlg()
{
    WIRE(saisieDlg, &SaisieDlg::signalCancel, cancelSaisie, Qt::AutoConnection);
    wire(saisieDlg,
         &SaisieDlg::signalValideCombo,
         this,
         qOverload<uint>(&MainWindow::valideSaisieDlg),
         "valideSaisieDlg",
         Qt::AutoConnection);
    WIRE(saisieDlg, &SaisieDlg::signalValideEdit, valideSaisieEdit, Qt::AutoConnection);
}

void MainWindow::wireTimers()
{
    WIRE(&pingTimer, &QTimer::timeout, timerPing, Qt::DirectConnection);
    WIRE(&focusTimer, &QTimer::timeout, timerFocus, Qt::DirectConnection);
    WIRE(&deltaTimer, &QTimer::timeout, timerDelta, Qt::DirectConnection);
}

void MainWindow::wireShortcuts()
{
    WIRE(shortcutReturn, &QShortcut::activated, returnKeyPressed, Qt::AutoConnection);
    WIRE(shortcutEnter, &QShortcut::activated, returnKeyPressed, Qt::AutoConnection);
    WIRE(shortcutF5, &QShortcut::activated, F5KeyPressed, Qt::AutoConnection);
    WIRE(shortcutQuit, &QShortcut::activated, exitClick, Qt::AutoConnection);
}

#undef WIRE
