#include "core/CAffichage.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "session/CRepWidget.h"
#include "ui/MainWindow.h"
#include "ui/MessageDlg.h"
#include "ui/ProgressBar.h"
#include "ui/SaisieDlg.h"
#include "ui/Ui_MainWindow.h"

#include "BoxRecorder.h"
#include "CoreFixture.h"
#include "TestMain.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSignalMapper>
#include <QSignalSpy>
#include <QWindow>

#include <atomic>
#include <memory>

using Action = MainWindow::ReturnAction;

namespace
{

// Moves are sent with the left button held: a widget gets no button-less move.
void sendMouse(MainWindow& window, QEvent::Type type, Qt::MouseButton button, QPoint global)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton
                                  : type == QEvent::MouseMove        ? Qt::LeftButton
                                                                     : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(global - window.pos()), QPointF(global), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &event);
}

QString geometryText(const QWidget* widget)
{
    const QRect r = widget->geometry();
    return QStringLiteral("%1,%2,%3,%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// The waiting dialog: "text|value|maximum".
QString progress(MainWindow& window)
{
    const auto* bar = window.progressBar->findChild<QProgressBar*>(QStringLiteral("pbWaiting"));
    return window.progressBar->findChild<QLabel*>(QStringLiteral("lblWaiting"))->text()
           + QStringLiteral("|%1|%2").arg(bar->value()).arg(bar->maximum());
}

template <typename T>
T* child(QWidget* parent, const char* name)
{
    return parent->findChild<T*>(QString::fromLatin1(name));
}

}  // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<BoxRecorder> m_boxes;
    std::unique_ptr<MainWindow> m_wired;
    QString m_waitingWhenMessageShown;

protected:
    // The waiting text at the moment the message dialog shows.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            m_waitingWhenMessageShown = static_cast<QWidget*>(watched)
                                            ->parentWidget()
                                            ->findChild<QLabel*>(QStringLiteral("lblWaiting"))
                                            ->text();
        }
        return false;
    }

private slots:

    void initTestCase()
    {
        fixture::initQuietCore();
        // The item traces of addToCombo; the program discards them too.
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
        m_boxes = std::make_unique<BoxRecorder>();
    }

    void init()
    {
        fixture::initCore();
        gParam->initDefaut();
        gParam->isLockFocus = true;
        m_boxes->clear();
    }

    void cleanupTestCase()
    {
        m_wired.reset();
        QVERIFY(m_boxes->entries().isEmpty());
    }

    // Whatever a test left where the main database goes must not fail the next ones.
    void cleanup()
    {
        QDir().rmdir(mainDatabasePath());
    }

    void construction()
    {
        MainWindow window;
        QVERIFY(!window.isStartFailed);
        QVERIFY(window.windowFlags().testFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint));
        QCOMPARE(window.windowTitle(), QStringLiteral("Application Compostage - 4.3.1"));
        QVERIFY(!window.styleSheet().isEmpty() && !window.styleSheet().contains(QStringLiteral("DESIGN_FULL_PATH/")));

        Ui_MainWindow* ui = window.ui;
        QCOMPARE(ui->stackedWidget->currentIndex(), 0);
        QCOMPARE(window.focusWidget(), ui->editLogin);
        QVERIFY(ui->btnUpdateSoftware->isHidden() && ui->btnDrainGlobal->isHidden());
        QVERIFY(!ui->btnLoginValidation->isEnabled());
        QVERIFY(window.progressBar->isHidden() && window.messageDlg->isHidden() && window.saisieDlg->isHidden());
        QVERIFY(ui->tableSearchResult->isColumnHidden(0) && ui->tableLocalTicketResult->isColumnHidden(0));

        QVERIFY(window.pingTimer.isActive() && !window.focusTimer.isActive() && !window.deltaTimer.isActive());
        QVERIFY(!window.pingTimer.isSingleShot() && !window.focusTimer.isSingleShot()
                && window.deltaTimer.isSingleShot());
        QCOMPARE(QList<int>({window.pingTimer.interval(), window.focusTimer.interval(), window.deltaTimer.interval()}),
                 QList<int>({30000, 10000, 5000}));
        QCOMPARE(window.db.databaseName(), mainDatabasePath());
        QVERIFY(window.db.isOpen() && gParam->serialNumber.get().startsWith(QStringLiteral("PC-MAC-")));
    }

    // The password and agent come back only when the exact remember value is stored.
    void loginFields()
    {
        gParam->initParametre(LOGIN_KEST, QStringLiteral("orga"));
        gParam->initParametre(PASSWORD_KEST, QStringLiteral("secret"));
        gParam->initParametre(AGENT_KEST, QStringLiteral("42"));
        for (const bool filled : {true, false}) {
            gParam->initParametre(REMEMBER_PASSWORD,
                                  filled ? QStringLiteral("Sauvegarder Mot De Passe")
                                         : QStringLiteral("sauvegarder mot de passe"));
            MainWindow window;
            const Ui_MainWindow* ui = window.ui;
            QCOMPARE(QStringList({ui->editLogin->text(), ui->editPassword->text(), ui->editAgent->text()}).join(u'|')
                         + QString::number(ui->chkBoxRememberPassword->isChecked()),
                     filled ? QStringLiteral("orga|secret|421") : QStringLiteral("orga||0"));
        }
    }

    // A folder where the database should be: one box, no timers, shortcuts nor their connections.
    void startFailure()
    {
        QFile::remove(mainDatabasePath());
        QVERIFY(QDir().mkpath(mainDatabasePath()));
        gParam->serialNumber.set(QString());
        {
            MainWindow window;
            QVERIFY(window.isStartFailed);
            QVERIFY(!window.pingTimer.isActive() && !window.focusTimer.isActive() && !window.deltaTimer.isActive());
            QVERIFY(window.findChildren<QShortcut*>().isEmpty());
            QCOMPARE(window.wiredConnections.last().sender, "SaisieDlg");
            QVERIFY(gParam->serialNumber.get().isEmpty());
            QVERIFY(window.saisieDlg && window.networkManager);
        }
        QCOMPARE(m_boxes->entries().size(), 1);
    }

    // "ready": login enabled or a performance chosen; "saisie", "message": that dialog is open.
    void returnDispatch_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("state");
        QTest::addColumn<Action>("action");
        QTest::newRow("login ready") << 0 << "ready" << Action::VerifLogin;
        QTest::newRow("login not ready") << 0 << "message" << Action::None;
        QTest::newRow("login ready, message open") << 0 << "ready message" << Action::VerifLogin;
        QTest::newRow("performance chosen") << 1 << "ready" << Action::StartScan;
        QTest::newRow("no performance chosen") << 1 << "message" << Action::None;
        QTest::newRow("scan, issuer choice open") << 2 << "saisie message" << Action::PadNumValidate;
        QTest::newRow("search, message open") << 3 << "message" << Action::Search;
        QTest::newRow("settings, access code open") << 4 << "saisie" << Action::ValideSaisie;
        QTest::newRow("update, both open") << 5 << "saisie message" << Action::ValideSaisie;
        QTest::newRow("local tickets, message open") << 6 << "message" << Action::AckMessage;
        QTest::newRow("settings, nothing open") << 4 << "ready" << Action::None;
    }

    void returnDispatch()
    {
        QFETCH(int, page);
        QFETCH(QString, state);
        QFETCH(Action, action);
        const bool ready = state.contains("ready");
        const bool message = state.contains("message");
        MainWindow window;
        window.show();
        window.ui->stackedWidget->setCurrentIndex(page);
        window.ui->btnLoginValidation->setEnabled(ready);
        window.ui->stackedWidgetCurrentRep->setCurrentIndex(ready ? 0 : 1);
        window.saisieDlg->setVisible(state.contains("saisie"));
        window.messageDlg->setVisible(message);
        QCOMPARE(window.currentReturnAction(), action);
        window.returnKeyPressed();
        // Offline with empty fields, the login is refused with a message.
        QCOMPARE(window.messageDlg->isVisible(),
                 (message && action != Action::AckMessage) || action == Action::VerifLogin);
    }

    // The scan page unless "login"; "away": another application is active; locked unless "unlocked".
    void focusTimer_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("other page") << "login" << QString();
        QTest::newRow("scan page, window active") << QString() << "barcode focus";
        QTest::newRow("away, lock on") << "away"
                                       << "reshown";
        QTest::newRow("away, lock off") << "away unlocked" << QString();
        QTest::newRow("away, minimised") << "away minimised" << QString();
    }

    void focusTimer()
    {
        QFETCH(QString, state);
        QFETCH(QString, outcome);
        MainWindow window;
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.ui->stackedWidget->setCurrentIndex(state.contains("login") ? 0 : 2);
        (state.contains("login") ? window.ui->editLogin : static_cast<QWidget*>(window.ui->btnPadNum1))->setFocus();
        if (state.contains("minimised")) {
            window.showMinimized();
        }
        if (state.contains("away")) {
            QApplication::setActiveWindow(nullptr);
        }
        gParam->isLockFocus = !state.contains("unlocked");
        QSignalSpy visibility(window.windowHandle(), &QWindow::visibleChanged);
        // As the timer fires it, so that its wiring counts too.
        QVERIFY(QMetaObject::invokeMethod(&window.focusTimer, "timeout"));
        QCOMPARE(visibility.count() == 2, outcome == "reshown");
        QVERIFY(window.isVisible());
        // After a re-show, the window's activation is up to the window system.
        QVERIFY(outcome == "reshown" || (window.focusWidget() == window.ui->editBarcode) == !outcome.isEmpty());
    }

    void pressAndRelease_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("page");
        QTest::newRow("left on scan page") << int(Qt::LeftButton) << 2;
        QTest::newRow("right on scan page") << int(Qt::RightButton) << 2;
        QTest::newRow("left on login page") << int(Qt::LeftButton) << 0;
    }

    // A left press drags the window by its offset until the release; any press stops the
    // focus timer, any release restarts it on the scan page.
    void pressAndRelease()
    {
        QFETCH(int, button);
        QFETCH(int, page);
        MainWindow window;
        window.ui->stackedWidget->setCurrentIndex(page);
        window.move(100, 50);
        sendMouse(window, QEvent::MouseMove, Qt::NoButton, QPoint(400, 300));
        window.focusTimer.start(3);
        sendMouse(window, QEvent::MouseButtonPress, Qt::MouseButton(button), QPoint(150, 60));
        QVERIFY(!window.focusTimer.isActive());
        sendMouse(window, QEvent::MouseMove, Qt::NoButton, QPoint(400, 300));
        const QPoint dragged = button == Qt::LeftButton ? QPoint(350, 290) : QPoint(100, 50);
        QCOMPARE(window.pos(), dragged);
        sendMouse(window, QEvent::MouseButtonRelease, Qt::MouseButton(button), QPoint(400, 300));
        sendMouse(window, QEvent::MouseMove, Qt::NoButton, QPoint(10, 10));
        QCOMPARE(window.pos(), dragged);
        QCOMPARE(window.focusTimer.isActive(), page == 2);
        QCOMPARE(window.focusTimer.interval(), page == 2 ? 10000 : 3);
    }

    void lockFocus()
    {
        for (const int page : {2, 0}) {
            MainWindow window;
            window.show();
            window.ui->stackedWidget->setCurrentIndex(page);
            for (const bool locked : {false, true}) {
                (page == 2 ? static_cast<QWidget*>(window.ui->btnPadNum1) : window.ui->editLogin)->setFocus();
                window.ui->btnLockFocus->click();
                QCOMPARE(bool(gParam->isLockFocus), locked);
                QCOMPARE(window.windowFlags() & (Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
                         locked ? Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint : Qt::FramelessWindowHint);
                QCOMPARE(window.ui->btnLockFocus->styleSheet(),
                         locked ? "background-position:top" : "background-position:bottom");
                QCOMPARE(window.focusWidget() == window.ui->editBarcode, page == 2);
            }
        }
    }

    // A QThread destroyed while it runs aborts the program.
    void destroyWaitsForWorkers()
    {
        for (const bool tileWorker : {false, true}) {
            auto window = std::make_unique<MainWindow>();
            std::atomic<bool> started{false};
            std::atomic<bool> finished{false};
            // Runs until asked to stop, then lingers: a window that did not wait would destroy it running.
            auto work = [&] {
                started = true;
                while (!QThread::currentThread()->isInterruptionRequested()) {
                    QThread::yieldCurrentThread();
                }
                QThread::msleep(50);
                finished = true;
            };
            QThread* worker = tileWorker ? new CThreadGet(window->repWidgets[2]) : &window->threadGetDelta;
            connect(worker, &QThread::started, worker, work, Qt::DirectConnection);
            worker->start();
            QTRY_VERIFY(started);
            window.reset();
            QVERIFY2(finished, tileWorker ? "tile worker" : "delta worker");
        }
    }

    void wiringTable_data()
    {
        QFile file(QStringLiteral(WIRING_TABLE));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QStringList rows;
        for (const QString& line : QString::fromLatin1(file.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
            rows << (line.startsWith(u'#') ? QStringList() : QStringList(line));
        }
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("connection");
        for (int i = 0; i < rows.size(); ++i) {
            QTest::addRow("%03d %s", i + 1, qPrintable(rows[i])) << i << rows[i];
        }
        // One row past the table: the constructor makes no other connection.
        QTest::newRow("no more") << int(rows.size()) << QString();
    }

    // The recorded list is made by the very call that makes each connection.
    void wiringTable()
    {
        QFETCH(int, row);
        QFETCH(QString, connection);
        if (!m_wired) {
            m_wired = std::make_unique<MainWindow>();
        }
        QString recorded;
        if (row < m_wired->wiredConnections.size()) {
            const MainWindow::WiredConnection& c = m_wired->wiredConnections.at(row);
            const char* type = c.type == Qt::DirectConnection   ? "direct"
                               : c.type == Qt::QueuedConnection ? "queued"
                               : c.type == Qt::AutoConnection   ? "auto"
                                                                : "other";
            recorded =
                QStringList{c.sender, QString::fromLatin1(c.signal), QString::fromLatin1(c.slot), type}.join(u' ');
            // Qt 6 spells clicked(bool), mappedString(QString) and qlonglong.
            recorded.replace(QStringLiteral("clicked(bool)"), QStringLiteral("clicked()"))
                .replace(QStringLiteral("mappedString("), QStringLiteral("mapped("))
                .replace(QStringLiteral("qlonglong"), QStringLiteral("qint64"));
        }
        QCOMPARE(recorded, connection);
    }

    // Each of the eleven character keys gives the pad's slot its text, once.
    void padKeysMapToTheirText()
    {
        MainWindow window;
        QSignalSpy mapped(window.padMapper, &QSignalMapper::mappedString);
        for (const char* key : {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "Virgule"}) {
            window.findChild<QPushButton*>(QStringLiteral("btnPadNum") + QLatin1String(key))->click();
        }
        QString texts;
        for (const QList<QVariant>& emitted : std::as_const(mapped)) {
            texts += emitted.at(0).toString();
        }
        QCOMPARE(texts, QStringLiteral("0123456789,"));
    }

    // A worker's signals reach the relays through the loop: the progress, then the error.
    void workersReachTheRelaysInOrder()
    {
        MainWindow window;
        window.show();
        window.messageDlg->installEventFilter(this);
        m_waitingWhenMessageShown.clear();
        std::unique_ptr<QThread> emitter(QThread::create([&window] {
            emit window.threadEvt.signalProgressMax(90);
            emit window.threadEvt.signalProgressValue(45);
            emit window.threadGetDelta.signalProgressShow(true);
            emit window.threadGetDelta.signalProgressText(QStringLiteral("first"));
            emit window.threadGetDelta.signalError(QStringLiteral("Erreur"), QStringLiteral("parse"));
            emit window.threadGetDelta.signalProgressText(QStringLiteral("second"));
        }));
        emitter->start();
        QVERIFY(emitter->wait());
        QCOMPARE(progress(window), QStringLiteral("TextLabel|100|1000"));
        QTRY_COMPARE(progress(window), QStringLiteral("second|45|90"));
        QVERIFY(window.messageDlg->isVisible() && !window.isEnabled());
        // The box comes after the text emitted before the error, and before the one after it.
        QCOMPARE(m_waitingWhenMessageShown, QStringLiteral("first"));
    }

    // Setting values as they come, each opening the page: the result area ends 11 pixels
    // above the keyboard, or at the keyboard's lower edge when it is off.
    void searchPageHeight_data()
    {
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<QString>("shown");
        const QString on = QStringLiteral("keyboard|0,55,1024,364|10,10,1004,354");
        const QString off = QStringLiteral("|0,55,1024,635|10,10,1004,625");
        QTest::newRow("keyboard on") << QStringList{"1"} << on;
        QTest::newRow("keyboard off") << QStringList{"0"} << off;
        QTest::newRow("off, then on") << QStringList{"0", "1"} << on;
        QTest::newRow("on, then off") << QStringList{"1", "0"} << off;
    }

    void searchPageHeight()
    {
        QFETCH(QStringList, settings);
        QFETCH(QString, shown);
        MainWindow window;
        for (const QString& tactile : settings) {
            gParam->initParametre(TACTILE, tactile);
            window.padNumSearchClicked();
        }
        QCOMPARE(window.ui->stackedWidget->currentIndex(), 3);
        QCOMPARE(QStringList({window.ui->widgetSearchKeyboard->isHidden() ? "" : "keyboard",
                              geometryText(window.ui->widgetSearchResult),
                              geometryText(window.ui->tableSearchResult)})
                     .join(u'|'),
                 shown);
    }

    // The message's caption follows the language; a download shows progress once its size is known.
    void captionAndDownload()
    {
        MainWindow window;
        for (const auto& [langue, caption] : {std::pair("0", "OK"), std::pair("2", "Aceptar"), std::pair("x", "OK")}) {
            gParam->initParametre(LANGUE, QString::fromLatin1(langue));
            window.displayMessage(QString(), QString());
            QVERIFY(!window.messageDlg->isHidden());
            QCOMPARE(window.messageDlg->findChild<QPushButton*>(QStringLiteral("btnMessageDlgAck"))->text(),
                     QString::fromUtf8(caption));
        }
        gParam->initParametre(LANGUE, QStringLiteral("0"));
        for (const qint64 max : {-1, 0, 30}) {
            emit window.repWidgets[4]->signalDownloadProgress(3, max);
            QCOMPARE(progress(window),
                     max > 0 ? gAffichage->getMessage(0, 12) + "|3|30" : QStringLiteral("TextLabel|100|1000"));
        }
    }

    // Child panels (the window's shortcuts stay active), centred once, hidden by the window only.
    void framedInsideParent()
    {
        QWidget parent;
        parent.resize(1024, 768);
        parent.show();
        QWidget* w = &parent;
        auto* message = new MessageDlg(w);
        const QList<std::pair<QDialog*, QRect>> dialogs = {{new ProgressBar(w), QRect(312, 334, 400, 99)},
                                                           {message, QRect(312, 309, 400, 150)},
                                                           {new SaisieDlg(w), QRect(312, 309, 400, 150)}};
        for (const auto& [dialog, geometry] : dialogs) {
            QCOMPARE(dialog->objectName(), QString::fromLatin1(dialog->metaObject()->className()));
            QVERIFY(!dialog->isWindow() && !dialog->styleSheet().isEmpty());
            dialog->show();
            QCOMPARE(dialog->geometry(), geometry);
            QTest::keyClick(dialog, Qt::Key_Escape);
            QVERIFY(dialog->isVisible());
        }
        parent.resize(800, 600);
        for (const auto& [dialog, geometry] : dialogs) {
            dialog->hide();
            dialog->show();
            QCOMPARE(dialog->geometry(), geometry);
        }
        QSignalSpy ack(message, &MessageDlg::signalAck);
        message->setTitle(QStringLiteral("Titre"));
        message->setMessage(QStringLiteral("Message"), QString());
        QTest::mouseClick(child<QPushButton>(message, "btnMessageDlgAck"), Qt::LeftButton);
        QCOMPARE(ack.count(), 1);
        QCOMPARE(child<QLabel>(message, "lblMessageDlgTitle")->text()
                     + child<QLabel>(message, "lblMessageDlgInfo")->text(),
                 QStringLiteral("TitreMessage"));
        QVERIFY(message->isVisible());
    }

    // Type 0 asks for a text (masked for goal 2), 1 for a choice (past the end: the first), else
    // yes/no; a uint for signalValideCombo, a QString for signalValideEdit, or signalCancel alone.
    void saisieAnswer_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QVariantList>("items");
        QTest::addColumn<int>("focus");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QVariant>("answer");
        QTest::newRow("choice, empty list") << 1 << QVariantList{} << 0 << QString() << QVariant(0u);
        QTest::newRow("choice, second item") << 1 << QVariantList{4u, 9u} << 1 << QString() << QVariant(9u);
        QTest::newRow("choice, past the end") << 1 << QVariantList{4u, 9u} << 2 << QString() << QVariant(4u);
        QTest::newRow("choice, data no number")
            << 1 << QVariantList{QStringLiteral("x")} << 0 << QString() << QVariant(0u);
        QTest::newRow("text") << 0 << QVariantList{} << 0 << QStringLiteral("1234") << QVariant(QStringLiteral("1234"));
        QTest::newRow("question after clear") << 2 << QVariantList{} << 0 << QString() << QVariant(QString());
        QTest::newRow("cancel") << 0 << QVariantList{} << 0 << QStringLiteral("1234") << QVariant();
    }

    void saisieAnswer()
    {
        QFETCH(int, type);
        QFETCH(QVariantList, items);
        QFETCH(int, focus);
        QFETCH(QString, typed);
        QFETCH(QVariant, answer);
        QWidget parent;
        parent.resize(1024, 768);
        parent.show();
        SaisieDlg dialog(&parent);
        // What a previous question left behind must not leak into this answer.
        dialog.setEdit(QStringLiteral("reste"));
        dialog.addToCombo(77u, QStringLiteral("Ancien"));
        dialog.setType(type);
        dialog.setGoal(type == 0 ? 2 : 3);
        dialog.clear();
        for (const QVariant& data : items) {
            dialog.addToCombo(data, data.toString());
        }
        dialog.setEditFocus(focus);
        dialog.show();
        QString shown;
        for (const char* name : {"editSaisieDlg", "comboSaisieDlg", "lblSaisieDlgInfo"}) {
            shown += child<QWidget>(&dialog, name)->isVisible() ? QLatin1String(name) : QString();
        }
        QCOMPARE(shown, type == 0 ? "editSaisieDlg" : type == 1 ? "comboSaisieDlg" : "lblSaisieDlgInfo");
        QCOMPARE(QList<int>({dialog.type(), dialog.goal()}), QList<int>({type, type == 0 ? 2 : 3}));
        auto* edit = child<QLineEdit>(&dialog, "editSaisieDlg");
        QCOMPARE(edit->echoMode(), type == 0 ? QLineEdit::PasswordEchoOnEdit : QLineEdit::Normal);
        QTest::keyClicks(edit, typed);
        QCOMPARE(dialog.getEditText(), typed);

        QSignalSpy combo(&dialog, &SaisieDlg::signalValideCombo);
        QSignalSpy text(&dialog, &SaisieDlg::signalValideEdit);
        QSignalSpy cancel(&dialog, &SaisieDlg::signalCancel);
        const char* button = answer.isValid() ? "btnSaisieDlgValide" : "btnSaisieDlgCancel";
        QTest::mouseClick(child<QPushButton>(&dialog, button), Qt::LeftButton);
        QCOMPARE(combo.count() + text.count() + cancel.count(), 1);
        QSignalSpy& expected = !answer.isValid() ? cancel : answer.typeId() == QMetaType::UInt ? combo : text;
        QCOMPARE(expected.count(), 1);
        QCOMPARE(expected.value(0).value(0), answer);
        QVERIFY(dialog.isVisible());
    }
};

TAVRIMEX_TEST_MAIN(TestMainWindow)
#include "TestMainWindow.moc"
