#include "core/CAffichage.h"
#include "core/CParam.h"
#include "ui/MainWindow.h"
#include "ui/MessageDlg.h"
#include "ui/ProgressBar.h"
#include "ui/SaisieDlg.h"
#include "ui/Ui_MainWindow.h"

#include <QApplication>
#include <QCursor>
#include <QDebug>
#include <QHelpEvent>
#include <QMouseEvent>

namespace
{

constexpr int kScanPage = 2;
constexpr int kFocusInterval = 10000;

int settingsLanguage()
{
    return static_cast<int>(gParam->parametre(LANGUE).toUInt());
}

// Shows the button's tooltip at the cursor at once, without the hover delay.
void postToolTip(QWidget* window, QWidget* button)
{
    QCoreApplication::postEvent(button, new QHelpEvent(QEvent::ToolTip, window->pos(), QCursor::pos()));
}

}  // namespace

MainWindow::~MainWindow()
{
    pingTimer.stop();
    focusTimer.stop();
    deltaTimer.stop();
    // A QThread destroyed while it runs aborts the program, and a worker must not
    // outlive what it reports to: wait for ours and for the tiles'. Only our worker
    // classes: a Qt-internal thread with an event loop would never end here.
    QList<QThread*> workers{&threadEvt, &threadGetDelta, &threadGetFile};
    for (CThreadGet* tileWorker : findChildren<CThreadGet*>()) {
        workers.append(tileWorker);
    }
    for (QThread* worker : std::as_const(workers)) {
        worker->requestInterruption();
    }
    for (QThread* worker : std::as_const(workers)) {
        worker->wait();
    }

    delete ui;
    ui = nullptr;
    // The settings copy of a page left open.
    delete paramEdit;
    paramEdit = nullptr;

    doorStatements.clear();
    const QString name = db.connectionName();
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
    // No worker is left that could hold it.
    delete dbMutex;
}

// ---- window chrome ----

void MainWindow::minimizeClick()
{
    showMinimized();
}

void MainWindow::helpLoginClick()
{
    postToolTip(this, ui->btnHelpLogin);
}

void MainWindow::helpPasswordClick()
{
    postToolTip(this, ui->btnHelpPassword);
}

void MainWindow::helpAgentClick()
{
    postToolTip(this, ui->btnHelpAgent);
}

void MainWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        isDragging = true;
        dragOffset = event->globalPosition().toPoint() - pos();
    }
    focusTimer.stop();
}

void MainWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (isDragging) {
        move(event->globalPosition().toPoint() - dragOffset);
    }
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        isDragging = false;
    }
    if (ui->stackedWidget->currentIndex() == kScanPage) {
        focusTimer.start(kFocusInterval);
    }
}

void MainWindow::lockFocusClick()
{
    // Changing the flags hides the window, hence the showing again.
    if (gParam->isLockFocus) {
        setWindowFlags(Qt::FramelessWindowHint);
        showWithKeyboard();
        gParam->isLockFocus = false;
        ui->btnLockFocus->setStyleSheet(QStringLiteral("background-position:bottom"));
    } else {
        setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        showWithKeyboard();
        gParam->isLockFocus = true;
        ui->btnLockFocus->setStyleSheet(QStringLiteral("background-position:top"));
    }
    if (ui->stackedWidget->currentIndex() == kScanPage) {
        ui->editBarcode->setFocus(Qt::OtherFocusReason);
    }
}

void MainWindow::timerFocus()
{
    if (ui->stackedWidget->currentIndex() != kScanPage) {
        return;
    }
    qDebug() << "Active window : " << QApplication::activeWindow() << ", this : " << this;
    // Brings the window back in front of whatever the agent switched to.
    if (!QApplication::activeWindow() && gParam->isLockFocus && !isMinimized()) {
        hide();
        showWithKeyboard();
    }
    if (QApplication::activeWindow() == this) {
        ui->editBarcode->setFocus(Qt::OtherFocusReason);
    }
}

void MainWindow::showWithKeyboard()
{
    showNormal();
    // A window manager gives a window it maps the keyboard; on a bare X server nobody
    // does unless the window asks.
    activateWindow();
    // Hiding the window (a flags change does) leaves the widgets with no active window
    // but keeps it as the application's focus window: the keyboard coming back to that
    // same window is then no change, and the widgets would stay without one for ever.
    if (QGuiApplication::focusWindow() == windowHandle() && QApplication::activeWindow() != this) {
        QApplication::setActiveWindow(this);
    }
}

// ---- page navigation and Return ----

MainWindow::ReturnAction MainWindow::currentReturnAction() const
{
    // The page decides first; the dialogs count only on the pages without an action.
    switch (ui->stackedWidget->currentIndex()) {
    case 0:
        return ui->btnLoginValidation->isEnabled() ? ReturnAction::VerifLogin : ReturnAction::None;
    case 1:
        return ui->btnStartScan->isVisible() ? ReturnAction::StartScan : ReturnAction::None;
    case kScanPage:
        return ReturnAction::PadNumValidate;
    case 3:
        return ReturnAction::Search;
    case 4:
    case 5:
    case 6:
        if (saisieDlg->isVisible()) {
            return ReturnAction::ValideSaisie;
        }
        return messageDlg->isVisible() ? ReturnAction::AckMessage : ReturnAction::None;
    default:
        return ReturnAction::None;
    }
}

void MainWindow::returnKeyPressed()
{
    switch (currentReturnAction()) {
    case ReturnAction::None:
        break;
    case ReturnAction::VerifLogin:
        verifLoginClicked();
        break;
    case ReturnAction::StartScan:
        startScanClicked();
        break;
    case ReturnAction::PadNumValidate:
        padNumValidateClicked();
        break;
    case ReturnAction::Search:
        searchClicked();
        break;
    case ReturnAction::ValideSaisie:
        valideSaisieDlg();
        break;
    case ReturnAction::AckMessage:
        ackMessage();
        break;
    }
}

void MainWindow::decPage()
{
    const int page = ui->stackedWidget->currentIndex();
    if (page > 0) {
        ui->stackedWidget->setCurrentIndex(page - 1);
    }
}

void MainWindow::incPage()
{
    const int page = ui->stackedWidget->currentIndex();
    if (page < ui->stackedWidget->count() - 1) {
        ui->stackedWidget->setCurrentIndex(page + 1);
    }
}

// ---- dialog relays ----

void MainWindow::displayMessage(const QString& title, const QString& message)
{
    messageDlg->setTitle(title);
    messageDlg->setMessage(message, gAffichage->getTraduction(settingsLanguage(), 98));
    actionShowMessageDlg(true);
}

void MainWindow::actionShowMessageDlg(bool isVisible)
{
    messageDlg->setVisible(isVisible);
}

void MainWindow::ackMessage()
{
    actionShowMessageDlg(false);
}

void MainWindow::actionShowSaisieDlg(bool isVisible)
{
    saisieDlg->setVisible(isVisible);
}

void MainWindow::actionShowProgress(bool isVisible)
{
    progressBar->setVisible(isVisible);
    setEnabled(!isVisible);
}

void MainWindow::actionUpdateProgressText(const QString& text)
{
    progressBar->setText(text);
}

void MainWindow::actionUpdateProgressValue(uint value)
{
    progressBar->setValue(value);
}

void MainWindow::actionUpdateProgressMax(uint max)
{
    progressBar->setMax(max);
}

void MainWindow::actionDownloadProgress(qint64 value, qint64 max)
{
    // A reply that has announced no size yet gives -1.
    if (max <= 0) {
        return;
    }
    progressBar->setText(gAffichage->getMessage(settingsLanguage(), 12));
    progressBar->setMax(static_cast<quint32>(max));
    progressBar->setValue(static_cast<quint32>(value));
}
