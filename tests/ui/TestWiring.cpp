#include "core/CParam.h"
#include "ui/MainWindow.h"
#include "ui/MessageDlg.h"
#include "ui/ProgressBar.h"
#include "ui/Ui_MainWindow.h"

#include "BoxRecorder.h"
#include "CoreFixture.h"
#include "TestMain.h"

#include <QLabel>
#include <QMap>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QSignalMapper>
#include <QSignalSpy>

#include <functional>
#include <memory>

namespace
{

QLabel* progressText(MainWindow* w)
{
    return w->progressBar->findChild<QLabel*>(QStringLiteral("lblWaiting"));
}

QProgressBar* progressBar(MainWindow* w)
{
    return w->progressBar->findChild<QProgressBar*>(QStringLiteral("pbWaiting"));
}

// What the slots of this subsystem change, by name.
QMap<QString, QString> observe(MainWindow* w)
{
    return {{"progressText", progressText(w)->text()},
            {"progressValue", QString::number(progressBar(w)->value())},
            {"progressMax", QString::number(progressBar(w)->maximum())},
            {"progressShown", QString::number(!w->progressBar->isHidden())},
            {"enabled", QString::number(w->isEnabled())},
            {"messageShown", QString::number(!w->messageDlg->isHidden())},
            {"messageText", w->messageDlg->findChild<QLabel*>(QStringLiteral("lblMessageDlgInfo"))->text()},
            {"lockFocus", QString::number(gParam->isLockFocus)},
            {"minimized", QString::number(w->isMinimized())}};
}

// Calls `seen` with each watched object that receives an event of `type`.
struct EventWatcher : QObject
{
    QEvent::Type type;
    std::function<void(QObject*)> seen;

    EventWatcher(QEvent::Type t, std::function<void(QObject*)> f)
        : type(t)
        , seen(std::move(f))
    {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == type) {
            seen(watched);
        }
        return false;
    }
};

}  // namespace

class TestWiring : public QObject
{
    Q_OBJECT

    std::unique_ptr<BoxRecorder> m_boxes;
    std::unique_ptr<MainWindow> m_window;

private slots:

    void initTestCase()
    {
        fixture::initQuietCore();
        m_boxes = std::make_unique<BoxRecorder>();
    }

    void init()
    {
        m_window = std::make_unique<MainWindow>();
        QVERIFY(!m_window->isStartFailed);
    }

    void cleanup()
    {
        m_window.reset();
        QVERIFY(m_boxes->entries().isEmpty());
    }

    void recordedList()
    {
        QSet<QString> distinct;
        QStringList queued;
        int direct = 0;
        int automatic = 0;
        for (const MainWindow::WiredConnection& c : std::as_const(m_window->wiredConnections)) {
            const QString line = c.sender + ' ' + c.signal + ' ' + c.slot;
            distinct.insert(line);
            direct += c.type == Qt::DirectConnection;
            automatic += c.type == Qt::AutoConnection;
            if (c.type == Qt::QueuedConnection) {
                queued << line;
            }
        }
        QCOMPARE(m_window->wiredConnections.size(), 170);
        QCOMPARE(distinct.size(), 170);
        QCOMPARE(direct, 27);
        QCOMPARE(automatic, 141);
        QCOMPARE(queued,
                 QStringList({"threadGetDelta signalError(QString,QString) displayMessage(QString,QString)",
                              "threadGetDelta signalNbTicket(int,int) updateNbTicket(int,int)"}));
    }

    // A sample of senders whose slots show something: emitting the signal must change
    // exactly what its own slot changes, on the local-ticket page with a message open.
    void triggerReachesItsSlot_data()
    {
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QByteArray>("signal");
        QTest::addColumn<QVariantList>("arguments");
        QTest::addColumn<QStringList>("effects");

        const auto row = [](const char* sender, const char* signal, QVariantList arguments, QStringList effects) {
            QStringList shown;
            for (const QVariant& argument : arguments) {
                shown << argument.toString();
            }
            QTest::addRow("%s %s(%s)", sender, signal, qPrintable(shown.join(',')))
                << QString::fromLatin1(sender) << QByteArray(signal) << arguments << effects;
        };
        for (const QString mark : {"Login", "Password", "Agent"}) {
            row(qPrintable("btnHelp" + mark), "clicked", {}, {"tip:btnHelp" + mark});
        }
        for (const QString key : {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}) {
            row(qPrintable("btnPadNum" + key), "clicked", {}, {"mapped:" + key});
        }
        row("btnPadNumVirgule", "clicked", {}, {"mapped:,"});
        row("btnLockFocus", "clicked", {}, {"lockFocus"});
        row("btnMinimize", "clicked", {}, {"minimized"});
        row("repWidget1", "signalProgressText", {"t"}, {"progressText"});
        row("repWidget2", "signalProgressValue", {7u}, {"progressValue"});
        row("repWidget3", "signalProgressMax", {400u}, {"progressMax"});
        row("repWidget4", "signalProgressShow", {true}, {"enabled", "progressShown"});
        row("repWidget5", "signalDownloadProgress", {3ll, 30ll}, {"progressMax", "progressText", "progressValue"});
        row("repWidget5", "signalDownloadProgress", {3ll, -1ll}, {});
        row("repWidget6", "signalError", {"T", "M"}, {"messageText"});
        row("threadEvt", "signalProgressText", {"t"}, {"progressText"});
        row("threadEvt", "signalProgressMax", {400u}, {"progressMax"});
        row("threadGetDelta", "signalProgressShow", {true}, {"enabled", "progressShown"});
        row("threadGetDelta", "signalProgressMax", {400u}, {"progressMax"});
        row("threadGetDelta", "signalError", {"T", "M"}, {"messageText"});
        row("MessageDlg", "signalAck", {}, {"messageShown"});
        row("shortcutReturn", "activated", {}, {"messageShown"});
        row("shortcutEnter", "activated", {}, {"messageShown"});
    }

    void triggerReachesItsSlot()
    {
        QFETCH(QString, sender);
        QFETCH(QByteArray, signal);
        QFETCH(QVariantList, arguments);
        QFETCH(QStringList, effects);

        MainWindow* w = m_window.get();
        w->show();
        w->ui->stackedWidget->setCurrentIndex(6);
        w->messageDlg->show();
        QStringList seen;
        EventWatcher tips(QEvent::ToolTip, [&seen](QObject* mark) {
            seen << "tip:" + mark->objectName();
        });
        for (QPushButton* mark : {w->ui->btnHelpLogin, w->ui->btnHelpPassword, w->ui->btnHelpAgent}) {
            mark->installEventFilter(&tips);
        }
        QSignalSpy mapped(w->padMapper, &QSignalMapper::mappedString);
        const QMap<QString, QString> before = observe(w);

        QObject* object = sender == "threadEvt"        ? &w->threadEvt
                          : sender == "threadGetDelta" ? &w->threadGetDelta
                                                       : w->findChild<QObject*>(sender);
        QVERIFY(object);
        QGenericArgument generic[2];
        for (qsizetype i = 0; i < arguments.size(); ++i) {
            generic[i] = QGenericArgument(arguments[i].typeName(), arguments[i].constData());
        }
        QVERIFY(QMetaObject::invokeMethod(object, signal, Qt::DirectConnection, generic[0], generic[1]));
        QCoreApplication::processEvents();

        const QMap<QString, QString> after = observe(w);
        for (auto it = after.cbegin(); it != after.cend(); ++it) {
            if (before.value(it.key()) != it.value()) {
                seen << it.key();
            }
        }
        for (const QList<QVariant>& emitted : std::as_const(mapped)) {
            seen << QStringLiteral("mapped:") + emitted.at(0).toString();
        }
        seen.sort();
        effects.sort();
        QCOMPARE(seen, effects);
    }

    // A worker's signals arrive through the loop in their order: the delta worker's
    // error comes after the progress emitted before it.
    void workersReachTheRelaysInOrder()
    {
        QString textWhenShown;
        EventWatcher watcher(QEvent::Show, [&](QObject*) {
            textWhenShown = progressText(m_window.get())->text();
        });
        m_window->show();
        m_window->messageDlg->installEventFilter(&watcher);

        MainWindow* window = m_window.get();
        std::unique_ptr<QThread> emitter(QThread::create([window] {
            emit window->threadEvt.signalProgressMax(90);
            emit window->threadEvt.signalProgressValue(45);
            emit window->threadGetDelta.signalProgressShow(true);
            emit window->threadGetDelta.signalProgressText(QStringLiteral("first"));
            emit window->threadGetDelta.signalError(QStringLiteral("Erreur"), QStringLiteral("parse"));
            emit window->threadGetDelta.signalProgressText(QStringLiteral("second"));
        }));
        emitter->start();
        QVERIFY(emitter->wait());
        QCOMPARE(progressText(window)->text(), QStringLiteral("TextLabel"));

        QTRY_COMPARE(progressText(window)->text(), QStringLiteral("second"));
        QCOMPARE(textWhenShown, QStringLiteral("first"));
        QCOMPARE(progressBar(window)->maximum(), 90);
        QCOMPARE(progressBar(window)->value(), 45);
        QVERIFY(!window->isEnabled());
    }
};

TAVRIMEX_TEST_MAIN(TestWiring)
#include "TestWiring.moc"
