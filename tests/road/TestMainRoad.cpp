#include "control/CWebCam.h"
#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/CParam.h"
#include "session/CRepWidget.h"
#include "ui/MainWindow.h"
#include "ui/ProgressBar.h"
#include "ui/SaisieDlg.h"
#include "ui/Ui_MainWindow.h"

#include "BoxRecorder.h"
#include "CoreFixture.h"
#include "DataFixture.h"
#include "StandinServer.h"
#include "TestMain.h"
#include "video/TicketVideo.h"

#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QHash>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>
#include <random>

using namespace Qt::StringLiterals;

namespace
{

constexpr int kScans = 1000;
constexpr int kComposte = 64;
constexpr int kDejaUtilise = 46;
constexpr int kSupprime = 47;
constexpr int kInconnu = 48;

QString label(int index)
{
    return gAffichage->getTraduction(0, index);
}

// What the agent sees of the verdict panel: its colour where no text is drawn.
enum class Panel
{
    Green,
    Red,
    Neither,
};

Panel panelOf(const QImage& shot, QPoint at)
{
    qint64 r = 0;
    qint64 g = 0;
    qint64 b = 0;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const QColor pixel = shot.pixelColor(at + QPoint(x, y));
            r += pixel.red();
            g += pixel.green();
            b += pixel.blue();
        }
    }
    if (g > r + 30 * 64 && g > b) {
        return Panel::Green;
    }
    return r > g + 30 * 64 && r > b ? Panel::Red : Panel::Neither;
}

// The stand-in's tickets of one performance, by their place in its list.
QList<standin::Ticket> ticketsOf(const standin::Organiser& organiser, unsigned int repId)
{
    QList<standin::Ticket> tickets;
    for (const standin::Ticket& ticket : organiser.tickets) {
        if (ticket.repId == repId) {
            tickets.append(ticket);
        }
    }
    return tickets;
}

// "yyyyMMddhhmmss", as a punch travels.
QString figures(const QString& date)
{
    return QString(date).remove(QRegularExpression(u"[- :]"_s));
}

}  // namespace

// The road of a day at the door, on a real X server, against the stand-in of the
// service: login, zone, event pages, download, selection, a thousand barcodes typed
// as a reader types them, the pad and the webcam, another entrance's changes arriving
// by the delta, every punch uploaded once, a change of performance, and exit. Each
// step leaves a screenshot in road-screenshots/ beside the test program. The steps
// share one window and run in order.
class TestMainRoad : public QObject
{
    Q_OBJECT

    std::unique_ptr<BoxRecorder> m_boxes;
    std::unique_ptr<standin::StandinServer> m_server;
    std::unique_ptr<MainWindow> m_window;
    QTemporaryDir m_videos;
    QString m_shots;
    int m_quits = 0;
    // The tickets of the first and second performance of the first event.
    QList<standin::Ticket> m_first;
    QList<standin::Ticket> m_second;
    // Entries left of every ticket of the first performance, as the door must see them.
    QHash<QString, int> m_left;
    QSet<QString> m_deleted;
    // Valid tickets of the first performance the thousand scans leave alone.
    QStringList m_spare;
    int m_punches = 0;

    MainWindow& window()
    {
        return *m_window;
    }

    Ui_MainWindow& ui()
    {
        return *m_window->ui;
    }

    // What the screen shows inside the window, dialogs over it included.
    QImage shot()
    {
        QCoreApplication::processEvents();
        return window()
            .screen()
            ->grabWindow(0, window().x(), window().y(), window().width(), window().height())
            .toImage();
    }

    void save(const QString& name)
    {
        QVERIFY(shot().save(m_shots + name));
    }

    Panel panel()
    {
        const QPoint corner = ui().widgetScanResult->mapTo(&window(), QPoint(12, 250));
        return panelOf(shot(), corner);
    }

    void click(QWidget* widget)
    {
        QVERIFY2(widget->isVisible() && widget->isEnabled(), qPrintable(widget->objectName()));
        QTest::mouseClick(widget, Qt::LeftButton);
    }

    void type(QLineEdit* field, const QString& text)
    {
        click(field);
        QTest::keyClicks(field, text);
    }

    // A barcode reader types into whatever has the window's keyboard focus, then sends
    // Return.
    void read(const QString& barcode)
    {
        QWidget* focus = window().focusWidget();
        QVERIFY2(focus == ui().editBarcode, qPrintable(focus ? focus->objectName() : u"none"_s));
        QTest::keyClicks(focus, barcode);
        QTest::keyClick(focus, Qt::Key_Return);
    }

    // The verdict the door must give, and its effect on the model.
    int expected(const QString& barcode)
    {
        if (!m_left.contains(barcode)) {
            return kInconnu;
        }
        if (m_deleted.contains(barcode)) {
            return kSupprime;
        }
        if (m_left[barcode] == 0) {
            return kDejaUtilise;
        }
        --m_left[barcode];
        ++m_punches;
        return kComposte;
    }

    void expectVerdict(const QString& barcode, int verdict)
    {
        QVERIFY2(ui().lblResultStatus->text() == label(verdict),
                 qPrintable(barcode + u": "_s + ui().lblResultStatus->text() + u" instead of "_s + label(verdict)));
        QCOMPARE(ui().lblResultBarcode->text(), barcode);
    }

    // Ends the cycle under way, if any, then runs one at once instead of waiting for
    // the timer, and waits for its end.
    void runCycle()
    {
        QTRY_VERIFY(window().deltaTimer.isActive());
        window().deltaTimer.stop();
        window().timerDelta();
        QTRY_VERIFY_WITH_TIMEOUT(window().deltaTimer.isActive(), 30000);
    }

    QStringList rows(const QString& sql)
    {
        return sqlRows(window().db, sql);
    }

    int pending()
    {
        return rows(u"select count(*) from MODIF where STATUS=1"_s).value(0).toInt();
    }

    QString showsRepFile()
    {
        return window().currentRepDbName.mid(dbFolder().size());
    }

    CRepWidget* tile(int index)
    {
        return window().repWidgets[static_cast<std::size_t>(index)];
    }

    // The tile of the stand-in's first event on the page shown.
    CRepWidget* firstEventTile()
    {
        for (CRepWidget* shown : window().repWidgets) {
            if (shown->dataEvent.ID == m_server->organiser().events.first().id) {
                return shown;
            }
        }
        return nullptr;
    }

    // Chooses `index` in a closed combo box from the keyboard, as the agent does with
    // the arrow keys.
    void choose(QComboBox* combo, int index)
    {
        click(combo);
        QTRY_VERIFY(QApplication::activePopupWidget());
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!QApplication::activePopupWidget());
        while (combo->currentIndex() < index) {
            QTest::keyClick(combo, Qt::Key_Down);
        }
        QCOMPARE(combo->currentIndex(), index);
    }

private slots:

    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), u"xcb"_s);
        fixture::initQuietCore();
        m_boxes = std::make_unique<BoxRecorder>();
        m_server = std::make_unique<standin::StandinServer>(
            standin::makeSampleOrganiser(3, 1500, QDate::currentDate(), standin::demoShape()));
        // Scans come several a second: a group ticket's punches within one second would
        // be one item to the service. Each item counts here, so a punch sent twice shows.
        m_server->setRepeatsTakenOnce(false);
        QVERIFY(m_server->listen());
        QVERIFY(m_videos.isValid());
        m_shots = QCoreApplication::applicationDirPath() + u"/road-screenshots/"_s;
        QDir(m_shots).removeRecursively();
        QVERIFY(QDir().mkpath(m_shots));

        const standin::Event& first = m_server->organiser().events.first();
        m_first = ticketsOf(m_server->organiser(), first.performances.at(0).id);
        m_second = ticketsOf(m_server->organiser(), first.performances.at(1).id);
        for (const standin::Ticket& ticket : std::as_const(m_first)) {
            m_left.insert(ticket.barcode, static_cast<int>(ticket.nbCompostage));
            if (ticket.isDeleted) {
                m_deleted.insert(ticket.barcode);
            }
        }

        // A first start: the settings file holds the service's address only.
        gParam->initDefaut();
        gParam->initParametre(URL, m_server->serviceUrl());
        QVERIFY(gParam->sauvegarde(QString(), true));
        gParam->isOnline = false;
        gParam->isWebcam = false;
        m_window = std::make_unique<MainWindow>();
        window().quitEventLoop = [this] {
            ++m_quits;
        };
        window().show();
        // No window manager here gives the new window the keyboard.
        window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window()));
        QTRY_VERIFY(gParam->isOnline);
    }

    void cleanupTestCase()
    {
        m_window.reset();
        QVERIFY(m_boxes->entries().isEmpty());
    }

    void login()
    {
        type(ui().editLogin, u"demo"_s);
        type(ui().editPassword, u"demo"_s);
        type(ui().editAgent, u"1"_s);
        save(u"01-login.png"_s);
        click(ui().btnLoginValidation);
        QTRY_VERIFY(window().saisieDlg->isVisible());
        QCOMPARE(m_server->requests(u"221"_s).value(0).value(u"lg"_s), u"demo"_s);
        QCOMPARE(gParam->parametre(MY_AGENT_ID), m_server->organiser().terminalId);
    }

    // The organiser's two zones are offered; the first is chosen and kept.
    void zone()
    {
        auto* combo = window().saisieDlg->findChild<QComboBox*>(u"comboSaisieDlg"_s);
        QCOMPARE(combo->count(), 1 + m_server->organiser().zones.size());
        choose(combo, 1);
        save(u"02-zone.png"_s);
        click(window().saisieDlg->findChild<QPushButton*>(u"btnSaisieDlgValide"_s));
        QTRY_VERIFY(window().progressBar->isHidden() && !window().isEventListParsing);
        QCOMPARE(m_server->requests(u"241"_s).last().value(u"zo"_s), u"1"_s);
        CParam saved;
        QVERIFY(saved.charge(QString(), false));
        QCOMPARE(saved.parametre(ZONE_KEST), u"1"_s);
    }

    // Five events and two passes: six tiles, then one, each with its picture.
    void eventPages()
    {
        QCOMPARE(ui().stackedWidget->currentIndex(), 1);
        QStringList shown;
        const auto visibleTiles = [this, &shown] {
            for (int i = 0; i < 6; ++i) {
                if (!tile(i)->parentWidget()->isHidden()) {
                    shown << tile(i)->lblEvent->toolTip();
                }
            }
        };
        visibleTiles();
        QCOMPARE(shown.size(), 6);
        QTRY_COMPARE(QDir(appFolder() + u"/img/"_s).entryList(QDir::Files).size(), 6);
        save(u"03-events.png"_s);
        click(ui().btnRepNextPage);
        QCOMPARE(ui().lblRepPage->text(), label(28) + u"2 / 2"_s);
        visibleTiles();
        click(ui().btnRepPrevPage);
        QStringList names;
        for (const standin::Event& event : m_server->organiser().events) {
            names << event.nom;
        }
        shown.sort();
        names.sort();
        QCOMPARE(shown, names);
        QTRY_COMPARE(QDir(appFolder() + u"/img/"_s).entryList(QDir::Files).size(), 7);
    }

    // The first event's first performance: its list comes down and becomes current.
    void download()
    {
        CRepWidget* first = firstEventTile();
        QVERIFY(first);
        QCOMPARE(first->comboRep->currentIndex(), 0);
        click(first->btnGetRep);
        QTRY_VERIFY_WITH_TIMEOUT(window().isEnabled() && !first->threadGet.isRunning(), 30000);
        QCOMPARE(showsRepFile(), u"R%1_Z1.db"_s.arg(m_first.first().repId));
        const int live = static_cast<int>(m_first.size() - m_deleted.size());
        int usedUp = 0;
        for (const standin::Ticket& ticket : std::as_const(m_first)) {
            usedUp += !ticket.isDeleted && ticket.nbCompostage == 0 ? 1 : 0;
        }
        QCOMPARE(ui().lblRepNbPunch->text() + ui().lblRepNbPlace->text(), u"%1 / %2"_s.arg(usedUp).arg(live));
        save(u"04-performance.png"_s);
    }

    void selectAndStart()
    {
        click(firstEventTile()->btnSelect);
        QCOMPARE(gParam->currentIdRep.get(), QString::number(m_first.first().repId));
        click(ui().btnStartScan);
        QCOMPARE(ui().stackedWidget->currentIndex(), 2);
        QCOMPARE(window().focusWidget(), ui().editBarcode);
        QVERIFY(window().deltaTimer.isActive());
    }

    // Valid, used, deleted, unknown and group tickets in a shuffled order, while the
    // cycle runs every five seconds; each verdict as the model says, green or red.
    void thousandBarcodes()
    {
        QStringList valid;
        QStringList groups;
        QStringList refused;
        for (qsizetype i = 0; i < m_first.size(); ++i) {
            const standin::Ticket& ticket = m_first.at(i);
            if (ticket.isDeleted || ticket.nbCompostage == 0) {
                refused << ticket.barcode;
            } else if (ticket.nbCompostage > 1) {
                groups << ticket.barcode;
            } else if (i % 50 != 31) {
                valid << ticket.barcode;
            }
        }
        QVERIFY(valid.size() >= 800 && groups.size() >= 20 && refused.size() >= 40);
        m_spare = valid.mid(700);
        QStringList scans = valid.mid(0, 700) + valid.mid(0, 100) + refused.mid(0, 40);
        for (const QString& group : groups.mid(0, 20)) {
            scans += QStringList(5, group);
        }
        for (int i = 0; i < 60; ++i) {
            scans << u"%1"_s.arg(90000000 + i * 7919, 13, 10, QLatin1Char('0'));
        }
        std::mt19937 rng(15);
        std::shuffle(scans.begin(), scans.end(), rng);
        QCOMPARE(scans.size(), kScans);

        bool greenSeen = false;
        bool redSeen = false;
        for (int i = 0; i < kScans; ++i) {
            const int verdict = expected(scans.at(i));
            read(scans.at(i));
            expectVerdict(scans.at(i), verdict);
            // What each look paints, the first time it shows.
            if (verdict == kComposte && !greenSeen) {
                greenSeen = true;
                QCOMPARE(panel(), Panel::Green);
                save(u"05-valid.png"_s);
            } else if (verdict == kSupprime && !redSeen) {
                redSeen = true;
                QCOMPARE(panel(), Panel::Red);
                save(u"06-deleted.png"_s);
            }
            // The event loop runs between two tickets, as it does at the door.
            QCoreApplication::processEvents();
            // Halfway, the focus timer's turn, which comes every ten seconds.
            if (i == kScans / 2) {
                window().timerFocus();
            }
        }
        QVERIFY(greenSeen && redSeen);

        runCycle();
        for (auto it = m_left.cbegin(); it != m_left.cend(); ++it) {
            if (scans.contains(it.key())) {
                QCOMPARE(rows(u"select NB_COMPOSTAGE from BILLET where CODE_BARRE='%1'"_s.arg(it.key())),
                         QStringList(QString::number(it.value())));
            }
        }
        QCOMPARE(rows(u"select count(*) from MODIF where TYPE in (3, 8) and AGENT_ID='%1'"_s.arg(
                     gParam->parametre(MY_AGENT_ID))),
                 QStringList(QString::number(m_punches)));
    }

    // A holder named in letters outside Latin-1, by the pad; then a ticket held in
    // front of the camera, punched once however long it stays there.
    void padAndWebcam()
    {
        const standin::Ticket& foreign = m_first.at(31);
        QVERIFY(std::any_of(foreign.nomPorteur.cbegin(), foreign.nomPorteur.cend(), [](QChar letter) {
            return letter.unicode() > 0xff;
        }));
        for (const QChar digit : foreign.barcode) {
            click(ui().widgetScanKeyboard->findChild<QPushButton*>(u"btnPadNum"_s + digit));
        }
        QCOMPARE(ui().editBarcode->text(), foreign.barcode);
        click(ui().btnPadNumValide);
        expectVerdict(foreign.barcode, expected(foreign.barcode));
        QVERIFY2(ui().lblResultName->text().contains(foreign.nomPorteur), qPrintable(ui().lblResultName->text()));
        save(u"07-foreign-name.png"_s);

        const QString held = m_spare.takeFirst();
        window().webCam->setVideoSource(
            ticketvideo::writeVideo(m_videos.filePath(u"held.avi"_s), QStringList(30, held)));
        click(ui().btnActiveWebcam);
        QVERIFY(window().webCam->isCapturing());
        QTRY_COMPARE(ui().lblResultBarcode->text(), held);
        expectVerdict(held, expected(held));
        save(u"08-webcam.png"_s);
        // Still held when capture resumes: not reported again.
        QTRY_VERIFY(!window().webCam->isPaused());
        QSignalSpy reported(window().webCam, &CWebCam::signalBarcode);
        QVERIFY(!reported.wait(5 * CWebCam::kCaptureMs));
        QCOMPARE(m_left.value(held), 0);
        QCOMPARE(rows(u"select NB_COMPOSTAGE from BILLET where CODE_BARRE='%1'"_s.arg(held)), QStringList(u"0"_s));
        click(ui().btnActiveWebcam);
        QVERIFY(!window().webCam->isCapturing());
    }

    // Another entrance punches one ticket and deletes another: the next delta brings
    // both, and the door then refuses them, with the other entrance in the history.
    void otherEntrance()
    {
        const QString punched = m_spare.takeFirst();
        const QString deleted = m_spare.takeFirst();
        QVERIFY(m_server->otherPunch(punched, 0, u"23"_s));
        QVERIFY(m_server->otherDelete(deleted, 0, u"23"_s));
        m_left[punched] = 0;
        m_deleted.insert(deleted);
        runCycle();
        QCOMPARE(rows(u"select NB_COMPOSTAGE, IS_DELETED from BILLET where CODE_BARRE in ('%1', '%2') order by ID"_s
                          .arg(punched, deleted)),
                 QStringList({u"0|0"_s, u"1|1"_s}));

        read(deleted);
        expectVerdict(deleted, expected(deleted));
        read(punched);
        expectVerdict(punched, expected(punched));
        QCOMPARE(panel(), Panel::Red);
        QCOMPARE(ui().lstInfoHist->count(), 1);
        QVERIFY2(ui().lstInfoHist->item(0)->text().contains(m_server->organiser().agents.value(u"23"_s)),
                 qPrintable(ui().lstInfoHist->item(0)->text()));
        save(u"09-other-entrance.png"_s);
    }

    // Every punch the door made reached the service once, and the service and the door
    // agree on every ticket.
    void everyPunchUploadedOnce()
    {
        runCycle();
        QCOMPARE(pending(), 0);
        QStringList sent;
        for (const standin::ReceivedPunch& punch : m_server->receivedPunches()) {
            QCOMPARE(punch.listKey, u"cl"_s);
            sent << punch.barcode + u'|' + punch.date;
        }
        QStringList made;
        for (const QString& row :
             rows(u"select CODE_BARRE, DATE from MODIF where TYPE in (3, 8) and AGENT_ID='%1'"_s.arg(
                 gParam->parametre(MY_AGENT_ID)))) {
            made << row.section(u'|', 0, 0) + u'|' + figures(row.section(u'|', 1));
        }
        sent.sort();
        made.sort();
        QCOMPARE(sent.size(), m_punches);
        QCOMPARE(sent, made);

        const QStringList stored = rows(
            u"select CODE_BARRE, NB_COMPOSTAGE, IS_DELETED from BILLET where REP_ID=%1"_s.arg(m_first.first().repId));
        QCOMPARE(stored.size(), m_first.size());
        QStringList service;
        for (const standin::Ticket& ticket : ticketsOf(m_server->organiser(), m_first.first().repId)) {
            service << u"%1|%2|%3"_s.arg(ticket.barcode).arg(ticket.nbCompostage).arg(ticket.isDeleted ? 1 : 0);
        }
        QStringList door = stored;
        door.sort();
        service.sort();
        QCOMPARE(door, service);
    }

    // Back to the tiles while a cycle runs: the page comes once the cycle is over. The
    // event's second performance is downloaded and scanned; the first one's tickets
    // are no longer known, and the cycle now asks for the second's changes.
    void changeOfPerformance()
    {
        const standin::Ticket& valid = m_second.at(1);
        const QString spare = m_spare.takeFirst();
        read(spare);
        expectVerdict(spare, expected(spare));
        QTRY_VERIFY(window().deltaTimer.isActive());
        window().deltaTimer.stop();
        window().timerDelta();
        click(ui().btnChangeRep);
        QVERIFY(!window().isEnabled() && window().isRepPageRequested);
        QTRY_COMPARE(m_server->receivedPunches().last().barcode, spare);
        QTRY_COMPARE(ui().stackedWidget->currentIndex(), 1);
        // The event list comes down again before the tiles show.
        QTRY_VERIFY(window().isEnabled() && window().progressBar->isHidden() && !window().isEventListParsing);

        CRepWidget* first = firstEventTile();
        QVERIFY(first);
        choose(first->comboRep, 1);
        click(first->btnGetRep);
        QTRY_VERIFY_WITH_TIMEOUT(window().isEnabled() && showsRepFile() == u"R%1_Z1.db"_s.arg(valid.repId), 30000);
        click(ui().btnStartScan);
        QCOMPARE(window().focusWidget(), ui().editBarcode);
        read(valid.barcode);
        expectVerdict(valid.barcode, kComposte);
        read(m_first.at(1).barcode);
        expectVerdict(m_first.at(1).barcode, kInconnu);
        save(u"10-second-performance.png"_s);

        runCycle();
        QCOMPARE(m_server->requests(u"53"_s).last().value(u"id"_s), QString::number(valid.repId));
        QCOMPARE(m_server->receivedPunches().last().barcode, valid.barcode);
        QCOMPARE(m_server->receivedPunches().last().repId, valid.repId);
    }

    // Ctrl+Q during a cycle: the program waits for its end, the punch it carries
    // included, then quits.
    void exit()
    {
        const standin::Ticket& last = m_second.at(2);
        read(last.barcode);
        expectVerdict(last.barcode, kComposte);
        QTRY_VERIFY(window().deltaTimer.isActive());
        window().deltaTimer.stop();
        window().timerDelta();
        QTest::keyClick(&window(), Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(window().isExitRequested && window().progressBar->isVisible());
        QCOMPARE(m_quits, 0);
        save(u"11-exit.png"_s);
        QTRY_COMPARE(m_quits, 1);
        QCOMPARE(m_server->receivedPunches().last().barcode, last.barcode);
        QCOMPARE(pending(), 0);
    }
};

TAVRIMEX_TEST_MAIN(TestMainRoad)
#include "TestMainRoad.moc"
