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

#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QHash>
#include <QScreen>

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

}  // namespace

// A day at the door on a real X server against the stand-in of the service, one window,
// steps in order; screenshots go to road-screenshots/ beside the test program.
class TestMainRoad : public QObject
{
    Q_OBJECT

    std::unique_ptr<BoxRecorder> m_boxes;
    std::unique_ptr<standin::StandinServer> m_server;
    std::unique_ptr<MainWindow> m_window;
    QString m_shots;
    // The tickets of the first performance of the first event.
    QList<standin::Ticket> m_first;
    // Entries left of every ticket of the first performance as the door must see them, -1
    // for a deleted one.
    QHash<QString, int> m_left;
    // Valid tickets the thousand scans leave alone.
    QStringList m_spare;
    int m_punches = 0;

    Ui_MainWindow& ui()
    {
        return *m_window->ui;
    }

    void save(const QString& name)
    {
        QCoreApplication::processEvents();
        const QWidget& w = *m_window;
        QVERIFY(w.screen()->grabWindow(0, w.x(), w.y(), w.width(), w.height()).save(m_shots + name));
    }

    void click(QWidget* widget)
    {
        QVERIFY2(widget->isVisible() && widget->isEnabled(), qPrintable(widget->objectName()));
        QTest::mouseClick(widget, Qt::LeftButton);
    }

    // Typed as a reader types into the focus; the verdict must be the model's.
    void read(const QString& barcode)
    {
        const int verdict = !m_left.contains(barcode)    ? kInconnu
                            : m_left.value(barcode) < 0  ? kSupprime
                            : m_left.value(barcode) == 0 ? kDejaUtilise
                                                         : kComposte;
        if (verdict == kComposte) {
            --m_left[barcode];
            ++m_punches;
        }
        QWidget* focus = m_window->focusWidget();
        QVERIFY2(focus == ui().editBarcode, qPrintable(focus ? focus->objectName() : u"none"_s));
        QTest::keyClicks(focus, barcode);
        QTest::keyClick(focus, Qt::Key_Return);
        QCOMPARE(ui().lblResultBarcode->text() + u' ' + ui().lblResultStatus->text(),
                 barcode + u' ' + gAffichage->getTraduction(0, verdict));
    }

    // Runs a cycle at once instead of waiting for the timer, and waits for its end.
    void runCycle()
    {
        QTRY_VERIFY(m_window->deltaTimer.isActive());
        m_window->deltaTimer.stop();
        m_window->timerDelta();
        QTRY_VERIFY_WITH_TIMEOUT(m_window->deltaTimer.isActive(), 30000);
    }

    // The door's own punches, as "barcode|yyyyMMddhhmmss".
    QStringList punchesMade()
    {
        QStringList made =
            sqlRows(m_window->db,
                    u"select CODE_BARRE||'|'||replace(replace(replace(DATE,'-',''),' ',''),':','') from "
                    "MODIF where TYPE in (3, 8) and AGENT_ID='%1'"_s.arg(gParam->parametre(MY_AGENT_ID)));
        made.sort();
        return made;
    }

private slots:

    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), u"xcb"_s);
        fixture::initQuietCore();
        m_boxes = std::make_unique<BoxRecorder>();
        m_server = std::make_unique<standin::StandinServer>(
            standin::makeSampleOrganiser(3, 1500, QDate::currentDate(), standin::demoShape()));
        // Each item counts, a group ticket's punches in one second too: a punch sent twice shows.
        m_server->setRepeatsTakenOnce(false);
        QVERIFY(m_server->listen());
        m_shots = QCoreApplication::applicationDirPath() + u"/road-screenshots/"_s;
        QDir(m_shots).removeRecursively();
        QVERIFY(QDir().mkpath(m_shots));

        const unsigned int repId = m_server->organiser().events.first().performances.at(0).id;
        for (const standin::Ticket& ticket : m_server->organiser().tickets) {
            if (ticket.repId == repId) {
                m_first.append(ticket);
                m_left.insert(ticket.barcode, ticket.isDeleted ? -1 : static_cast<int>(ticket.nbCompostage));
            }
        }

        // A first start: the settings file holds the service's address only.
        gParam->initDefaut();
        gParam->initParametre(URL, m_server->serviceUrl());
        QVERIFY(gParam->sauvegarde(QString(), true));
        gParam->isOnline = false;
        gParam->isWebcam = false;
        m_window = std::make_unique<MainWindow>();
        m_window->quitEventLoop = [] {};
        m_window->show();
        // No window manager here gives the new window the keyboard.
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QTRY_VERIFY(gParam->isOnline);
    }

    void cleanupTestCase()
    {
        m_window.reset();
        QVERIFY(m_boxes->entries().isEmpty());
    }

    // The login, then the first of the organiser's zones, kept in the settings.
    void loginAndZone()
    {
        for (QLineEdit* field : {ui().editLogin, ui().editPassword, ui().editAgent}) {
            click(field);
            QTest::keyClicks(field, field == ui().editAgent ? u"1"_s : u"demo"_s);
        }
        save(u"01-login.png"_s);
        click(ui().btnLoginValidation);
        QTRY_VERIFY(m_window->saisieDlg->isVisible());
        m_window->saisieDlg->findChild<QComboBox*>(u"comboSaisieDlg"_s)->setCurrentIndex(1);
        click(m_window->saisieDlg->findChild<QPushButton*>(u"btnSaisieDlgValide"_s));
        QTRY_VERIFY(m_window->progressBar->isHidden() && !m_window->isEventListParsing);
        QCOMPARE(m_server->requests(u"241"_s).last().value(u"zo"_s), u"1"_s);
        save(u"02-events.png"_s);
    }

    // The first event's first performance: its list comes down and becomes current.
    void downloadAndStart()
    {
        CRepWidget* first = nullptr;
        for (CRepWidget* shown : m_window->repWidgets) {
            if (shown->dataEvent.ID == m_server->organiser().events.first().id) {
                first = shown;
            }
        }
        QVERIFY(first);
        click(first->btnGetRep);
        QTRY_VERIFY_WITH_TIMEOUT(m_window->isEnabled() && !first->threadGet.isRunning(), 30000);
        QCOMPARE(m_window->currentRepDbName, dbFolder() + u"R%1_Z1.db"_s.arg(m_first.first().repId));
        save(u"03-performance.png"_s);
        click(first->btnSelect);
        click(ui().btnStartScan);
        QVERIFY(m_window->deltaTimer.isActive());
    }

    // Valid, used, deleted, group and unknown barcodes, many twice, while the cycle runs.
    void thousandBarcodes()
    {
        QStringList scans;
        for (const standin::Ticket& ticket : std::as_const(m_first)) {
            scans << ticket.barcode;
        }
        m_spare = scans.mid(800);
        scans = scans.mid(0, 700) + scans.mid(0, 240);
        for (int i = 0; i < 60; ++i) {
            scans << u"%1"_s.arg(90000000 + i * 7919, 13, 10, QLatin1Char('0'));
        }
        std::mt19937 rng(15);
        std::shuffle(scans.begin(), scans.end(), rng);
        for (int i = 0; i < kScans; ++i) {
            read(scans.at(i));
            if (i == 0) {
                save(u"04-scan.png"_s);
            }
            // The event loop runs between two tickets, as it does at the door.
            QCoreApplication::processEvents();
        }
        runCycle();
        QCOMPARE(punchesMade().size(), m_punches);
    }

    // Another entrance's punch and deletion come by the delta; the door then refuses both.
    void otherEntrance()
    {
        m_spare.removeIf([this](const QString& barcode) {
            return m_left.value(barcode) != 1;
        });
        const QString punched = m_spare.at(0);
        const QString deleted = m_spare.at(1);
        QVERIFY(m_server->otherPunch(punched, 0, u"23"_s));
        QVERIFY(m_server->otherDelete(deleted, 0, u"23"_s));
        m_left[punched] = 0;
        m_left[deleted] = -1;
        runCycle();
        QCOMPARE(sqlRows(m_window->db,
                         u"select NB_COMPOSTAGE, IS_DELETED from BILLET where CODE_BARRE in ('%1', '%2') order by ID"_s
                             .arg(punched, deleted)),
                 QStringList({u"0|0"_s, u"1|1"_s}));
        read(deleted);
        read(punched);
        QCOMPARE(ui().lstInfoHist->count(), 1);
        QVERIFY(ui().lstInfoHist->item(0)->text().contains(m_server->organiser().agents.value(u"23"_s)));
        save(u"05-other-entrance.png"_s);
    }

    // Every punch reached the service once; the service and the door agree on every ticket.
    void everyPunchUploadedOnce()
    {
        runCycle();
        QCOMPARE(sqlRows(m_window->db, u"select count(*) from MODIF where STATUS=1"_s), QStringList{u"0"_s});
        QStringList sent;
        for (const standin::ReceivedPunch& punch : m_server->receivedPunches()) {
            QCOMPARE(punch.listKey, u"cl"_s);
            sent << punch.barcode + u'|' + punch.date;
        }
        sent.sort();
        QCOMPARE(sent, punchesMade());

        QStringList door = sqlRows(
            m_window->db,
            u"select CODE_BARRE, NB_COMPOSTAGE, IS_DELETED from BILLET where REP_ID=%1"_s.arg(m_first.first().repId));
        QStringList service;
        for (const standin::Ticket& ticket : m_server->organiser().tickets) {
            if (ticket.repId == m_first.first().repId) {
                service << u"%1|%2|%3"_s.arg(ticket.barcode).arg(ticket.nbCompostage).arg(ticket.isDeleted ? 1 : 0);
            }
        }
        door.sort();
        service.sort();
        QCOMPARE(door, service);
    }
};

TAVRIMEX_TEST_MAIN(TestMainRoad)
#include "TestMainRoad.moc"
