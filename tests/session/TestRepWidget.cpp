#include "SessionFixture.h"
#include "TestMain.h"

#include <QSemaphore>
#include <QSignalSpy>

#include <linux/capability.h>
#include <linux/securebits.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

using DeltaId = standin::StandinServer::DeltaId;
Q_DECLARE_METATYPE(DeltaId)

namespace
{

// Root passes over file permissions, and the tests run as root. For its lifetime the
// calling thread is held to them as the files' owner is: the capabilities that override
// them leave its effective set, and a secure bit keeps access(), which QFileInfo asks,
// to that set instead of giving root its permitted set back. Other threads keep theirs.
class PermissionsBind
{
public:
    PermissionsBind()
    {
        if (geteuid() != 0) {
            m_held = true;
            return;
        }
        m_bits = prctl(PR_GET_SECUREBITS);
        if (m_bits < 0 || syscall(SYS_capget, &m_header, m_caps) != 0
            || prctl(PR_SET_SECUREBITS, m_bits | SECBIT_NO_SETUID_FIXUP) != 0) {
            return;
        }
        m_changed = true;
        __user_cap_data_struct bound[2] = {m_caps[0], m_caps[1]};
        bound[0].effective &= ~(CAP_TO_MASK(CAP_DAC_OVERRIDE) | CAP_TO_MASK(CAP_DAC_READ_SEARCH));
        m_held = syscall(SYS_capset, &m_header, bound) == 0;
    }

    ~PermissionsBind()
    {
        // The capabilities first: changing the secure bits takes one of them.
        if (m_changed) {
            syscall(SYS_capset, &m_header, m_caps);
            prctl(PR_SET_SECUREBITS, m_bits);
        }
    }

    PermissionsBind(const PermissionsBind&) = delete;
    PermissionsBind& operator=(const PermissionsBind&) = delete;

    bool isHeld() const
    {
        return m_held;
    }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_caps[2]{};
    int m_bits = 0;
    bool m_changed = false;
    bool m_held = false;
};

}  // namespace

class TestRepWidget : public SessionTestBase
{
    Q_OBJECT

private slots:

    // The list a tile stands for, kept (selected, downloaded) when REP_JOUR changes; a whole event sums.
    void kinds_data()
    {
        QTest::addColumn<unsigned int>("type");
        QTest::addColumn<QString>("jourThenNow");
        QTest::addColumn<bool>("twoPerfs");
        QTest::addColumn<QString>("idAndFile");
        QTest::newRow("several performances") << 0u << "0|1" << true << "7 R7_Z7.db";
        QTest::newRow("single performance") << 0u << "0|2" << false << "7 R7_Z7.db";
        QTest::newRow("whole event") << 0u << "2|0" << true << "50 E50_Z7.db";
        QTest::newRow("pass") << 1u << "0|2" << true << "-50 P50_Z7.db";
    }

    void kinds()
    {
        QFETCH(unsigned int, type);
        QFETCH(QString, jourThenNow);
        QFETCH(bool, twoPerfs);
        QFETCH(QString, idAndFile);
        const QString jour = jourThenNow.section('|', 0, 0);
        gParam->initParametre(REP_JOUR, jour);
        makeRepFile(idAndFile.section(' ', 1), {}, 1000);
        QList<Perf> perfs{{7, "2030-05-03 20:00:00", "2030-05-02 18:00:00", 100}};
        if (twoPerfs) {
            perfs.prepend({12, "2030-05-01 20:00:00", "2030-05-04 18:00:00", 50});
        }
        addEvent(eventRecord(50, type), perfs);
        fill(eventRecord(50, type));
        QCOMPARE(tileList(), idAndFile);
        const bool combo = !m_tile->comboRep->isHidden();
        QCOMPARE(combo, twoPerfs && type == 0 && jour == "0");
        if (twoPerfs && !combo) {
            QCOMPARE(m_tile->lblNbPlace->text() + ' ' + m_tile->dataRep.DATE_FIN_VENTE, "150 2030-05-04 18:00:00");
        } else {
            QCOMPARE(m_tile->lblNbPlace->text() + ' ' + QString::number(m_tile->dataRep.ID), "100 7");
        }
        gParam->initParametre(REP_JOUR, jourThenNow.section('|', 1));
        m_tile->selectClicked();
        QCOMPARE(current() + ' ' + gParam->currentJour.get(), idAndFile + ' ' + jour);
        QVERIFY(!window().ui->btnStartScan->isHidden() && db().databaseName() == mainDatabasePath());
        QCOMPARE(window().ui->lblRepNbPunch->text() + window().ui->lblRepNbPlace->text(), "0 / 0");
        m_server->enqueue(QStringLiteral("53"), ScriptedReply::empty());
        getRep();
        const standin::RecordedRequest request = m_server->requests(QStringLiteral("53")).value(0);
        QCOMPARE(request.value("id") + ' ' + request.value("jo"), idAndFile.section(' ', 0, 0) + ' ' + jour);
        if (combo) {
            m_tile->comboRep->setCurrentIndex(1);
            QCOMPARE(tileList() + ' ' + m_tile->lblNbPlace->text() + ' ' + m_tile->lblRep->text(),
                     "12 R12_Z7.db 50 " + m_tile->comboRep->itemText(1));
            QVERIFY(m_tile->btnSelect->isHidden() && !m_tile->repFileExists);
        }
    }

    // A cached picture serves 7 days; "", "." and ".." name no file of the cache.
    void pictureCache()
    {
        for (const int hours : {6 * 24 + 23, 7 * 24}) {
            const bool asked = hours == 7 * 24;
            QVERIFY(repdisplay::defaultPicture().save(cachePath("event301.png")));
            QFile file(cachePath("event301.png"));
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(CDateHeure(0).addSecs(-hours * 3600), QFileDevice::FileModificationTime));
            fill(eventRecord(301, 0, m_server->imageUrl("event301.png")));
            QVERIFY(m_tile->imageInCache);
            QCOMPARE(m_tile->lblImage->text() == " ", asked);
            QTRY_COMPARE(m_server->requests(QStringLiteral("image")).size(), asked ? 1 : 0);
        }
        QTRY_VERIFY(QFileInfo(cachePath("event301.png")).lastModified().secsTo(CDateHeure(0)) < 60);
        for (const char* name : {"", ".", ".."}) {
            QVERIFY(!repdisplay::isCacheName(cachePath(name)));
        }
    }

    // Sales close once their end is strictly past. The tile's parts and separator.
    void badgeAndGeometry()
    {
        const QDateTime now = CDateHeure(0);
        QVERIFY(!repdisplay::isSaleClosed(now, now) && !repdisplay::isSaleClosed(now.addSecs(1), now));
        QVERIFY(repdisplay::isSaleClosed(now.addSecs(-1), now) && repdisplay::isSaleClosed(QDateTime(), now));
        for (const bool closed : {false, true}) {
            const QDateTime end = now.addDays(closed ? -1 : 1);
            repdisplay::showSaleBadge(m_tile->lblStatus, m_tile->lblFinVente, end);
            QCOMPARE(m_tile->lblStatus->text(), label(closed ? 32 : 31));
            QCOMPARE(m_tile->lblFinVente->isHidden(), !closed);
            QCOMPARE(m_tile->lblFinVente->text(), closed ? end.toString(label(97)) : QString());
        }
        QStringList rects;
        for (const QWidget* part : m_tile->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            const QRect r = part->geometry();
            rects << QStringLiteral("%1,%2,%3,%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
        }
        QCOMPARE(m_tile->geometry(), QRect(QPoint(), m_tile->parentWidget()->size()));
        QCOMPARE(rects.join(' '),
                 "100,10,310,20 15,15,70,70 100,30,320,16 100,30,293,32 100,70,110,16 215,70,75,16 305,70,60,16 "
                 "370,70,60,20 425,6,90,20 435,55,115,30 520,6,20,20 545,6,20,20 0,100,570,1 425,30,140,20");
    }

    // A reply that comes once the tile shows another event leaves the picture shown alone.
    void latePictureReply()
    {
        QFile::remove(cachePath("event301.png"));
        QFile::remove(cachePath("event302.png"));
        fill(eventRecord(301, 0, m_server->imageUrl("event301.png")));
        gParam->isOnline = false;
        fill(eventRecord(302, 0, m_server->imageUrl("event302.png")));
        const QImage shown = m_tile->lblImage->pixmap().toImage();
        QTRY_VERIFY(QFile::exists(cachePath("event301.png")));
        QVERIFY(!QFile::exists(cachePath("event302.png")));
        QCOMPARE(m_tile->lblImage->pixmap().toImage(), shown);
    }

    // Pending rows go first, batched by kind, then the update; the list becomes current.
    void updateUploadsFirst()
    {
        tile4001({netfixture::pendingRow(8, "A"), netfixture::pendingRow(16, "B"), netfixture::pendingRow(8, "C")});
        QVERIFY(!m_tile->lblDrainNeeded->isHidden());
        getRep();
        QCOMPARE(netfixture::batchesOf(m_server->requests(QStringLiteral("61"))), QStringList({"cl1", "dl1", "cl1"}));
        QCOMPARE(m_server->requests(QStringLiteral("53")).value(0).value("dt"), QStringLiteral("1000"));
        QCOMPARE(pendingIn4001(), 0);
        QVERIFY(m_tile->lblDrainNeeded->isHidden());
        QCOMPARE(current(), "4001 R4001_Z7.db");
    }

    // Only a readable reply is selected; a failed upload keeps its rows, asks for no list.
    void tileDownload_data()
    {
        QTest::addColumn<QString>("route");
        QTest::addColumn<ScriptedReply>("reply");
        QTest::addColumn<bool>("update");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<int>("shown");
        QTest::newRow("first download") << "53" << ScriptedReply::normal() << false << true << 0;
        QTest::newRow("empty, first download") << "53" << ScriptedReply::empty() << false << false << 3;
        QTest::newRow("broken, first download") << "53" << ScriptedReply::invalidJson() << false << false << 3;
        QTest::newRow("no list, first download")
            << "53" << ScriptedReply::bytes(R"({"request":"getTickets","error":"3"})") << false << false << 3;
        QTest::newRow("no list, dt 0, first download")
            << "53" << ScriptedReply::bytes(R"({"request":"getTickets","error":"3","dt":0})") << false << false << 3;
        QTest::newRow("broken, update") << "53" << ScriptedReply::invalidJson() << true << false << 3;
        QTest::newRow("not stored, update") << "53" << ScriptedReply::normal() << true << false << 5;
        QTest::newRow("upload refused") << "61" << ScriptedReply::httpError(404) << true << false << 4;
        QTest::newRow("upload not acknowledged") << "61" << ScriptedReply::empty() << true << false << 0;
    }

    void tileDownload()
    {
        QFETCH(QString, route);
        QFETCH(ScriptedReply, reply);
        QFETCH(bool, update);
        QFETCH(bool, selected);
        QFETCH(int, shown);
        const bool upload = route == "61";
        tile4001(upload ? QList<CDataModif>{netfixture::pendingRow(8, "A")} : QList<CDataModif>(), 1000, update);
        if (shown == 5) {
            m_server->requestDrop();
            rows(dbPath("R4001_Z7.db"),
                 "create trigger full before insert on BILLET begin select raise(abort, 'full'); end");
        }
        m_server->enqueue(route, reply);
        getRep();
        QCOMPARE(m_window->currentRepDbName.isEmpty(), !selected);
        QCOMPARE(shownMessage(), shown == 0 ? QString() : message(shown));
        QCOMPARE(db().databaseName(), mainDatabasePath());
        if (upload) {
            QCOMPARE(pendingIn4001(), 1);
            QVERIFY(m_server->requests(QStringLiteral("53")).isEmpty());
            return;
        }
        const standin::RecordedRequest request = m_server->requests(QStringLiteral("53")).value(0);
        QCOMPARE(request.keys.contains("dt"), update);
        QCOMPARE(request.value("ba") + ' ' + request.value("id"), QString(update ? "1 4001" : "0 4001"));
        QCOMPARE(QFile::exists(dbPath("R4001_Z7.db")), update || selected);
        QCOMPARE(m_tile->btnSelect->isHidden(), !update && !selected);
    }

    // Deletion queues pending rows with the file's DELTA context; offline, no download.
    void deletion_data()
    {
        QTest::addColumn<unsigned int>("deltaId");
        QTest::addColumn<QString>("context");
        QTest::newRow("with DELTA") << 1000u << "orga|7|1000|2030-01-01 08:00:00";
        QTest::newRow("without DELTA") << 0u << "|0|0|1970-01-01 00:00:00";
        QTest::newRow("nothing pending") << 1000u << "";
    }

    void deletion()
    {
        QFETCH(unsigned int, deltaId);
        QFETCH(QString, context);
        gParam->isOnline = false;
        QStringList drained;
        QList<CDataModif> pending;
        for (const auto& [type, code] : {std::pair{8, "A"}, {16, "B"}, {99, "C"}}) {
            pending << netfixture::pendingRow(type, code);
            drained << QString::number(type) + '|' + code + '|' + context;
        }
        tile4001(context.isEmpty() ? QList<CDataModif>() : pending, deltaId);
        m_tile->selectClicked();
        QCOMPARE(current(), "4001 R4001_Z7.db");
        m_tile->getRepClicked();
        QVERIFY(!m_tile->isChainRunning() && m_window->isEnabled() && m_server->requests("53").isEmpty());
        m_tile->dropRepClicked();
        QCOMPARE(
            sqlRows(db(), "select TYPE, CODE_BARRE, LOGIN, ZONE_ID, DELTA_ID, DELTA_DATE from VIDANGE order by ID"),
            context.isEmpty() ? QStringList() : drained);
        QCOMPARE(window().ui->btnDrainGlobal->isHidden(), context.isEmpty());
        QVERIFY(!QFile::exists(dbPath("R4001_Z7.db")) && m_tile->btnDropRep->isHidden());
        QVERIFY(m_window->currentRepDbName.isEmpty() && window().ui->btnStartScan->isHidden());
    }

    // A drained punch is applied to the list downloaded again, and not queued twice.
    void downloadAfterDeletion()
    {
        const standin::Ticket ticket = liveTicket(4001);
        tile4001({netfixture::pendingRow(8, ticket.barcode, "2030-01-01 10:00:00", 4001, ticket.editeurId)});
        m_tile->dropRepClicked();
        getRep();
        QCOMPARE(rows(dbPath("R4001_Z7.db"),
                      "select NB_COMPOSTAGE from BILLET where CODE_BARRE='" + ticket.barcode
                          + "' union all select STATUS from MODIF where CODE_BARRE='" + ticket.barcode + "'"),
                 QStringList({QString::number(ticket.nbCompostage - 1), "0"}));
        QCOMPARE(sqlRows(db(), "select count(*) from VIDANGE"), QStringList("1"));
    }

    // When the drain queue cannot take every row, the file and its rows stay.
    void failedCopyKeepsList()
    {
        tile4001({netfixture::pendingRow(8, "A"), netfixture::pendingRow(8, "B")});
        QVERIFY(sqlRun(db(),
                       "create trigger refuse before insert on VIDANGE when NEW.CODE_BARRE='B' begin select "
                       "raise(abort, 'full'); end"));
        m_tile->dropRepClicked();
        QCOMPARE(shownMessage(), message(5));
        QCOMPARE(sqlRows(db(), "select count(*) from VIDANGE"), QStringList("0"));
        QCOMPARE(pendingIn4001(), 2);
        QVERIFY(!m_tile->btnDropRep->isHidden() && m_tile->repFileExists);
        m_boxes->clear();
    }

    // A punch and an un-punch go in two batches: the first answer marks only its own row sent.
    void secondBatchRefused()
    {
        tile4001({netfixture::pendingRow(MODIF_PUNCH, "A"), netfixture::pendingRow(MODIF_UNPUNCH, "B")}, 1000, true);
        m_server->enqueue(QStringLiteral("61"), ScriptedReply::normal());
        m_server->enqueue(QStringLiteral("61"), ScriptedReply::httpError(404));
        getRep();
        QCOMPARE(m_server->requests(QStringLiteral("61")).size(), 2);
        QCOMPARE(rows(dbPath("R4001_Z7.db"), "select CODE_BARRE from MODIF where STATUS=1"), QStringList("B"));
    }

    // A refill during a chain waits for its end; only the rows that went are marked sent.
    void refillDuringChain_data()
    {
        QTest::addColumn<QString>("delayedRoute");
        QTest::newRow("during the upload") << "61";
        QTest::newRow("during the download") << "53";
    }

    void refillDuringChain()
    {
        QFETCH(QString, delayedRoute);
        const QString date = QStringLiteral("2030-01-01 10:00:00");
        makeRepFile("R4002_Z7.db",
                    {netfixture::pendingRow(8, "P1", date, 4002), netfixture::pendingRow(8, "P2", date, 4002)},
                    1000);
        addEvent(eventRecord(302, 0), {{4002, "2030-01-02 20:00:00", "", 5}});
        tile4001({netfixture::pendingRow(8, "A")});
        m_server->enqueue(delayedRoute, ScriptedReply::normal().delayed(300));
        m_tile->getRepClicked();
        if (delayedRoute == "53") {
            QTRY_COMPARE(m_server->requests(delayedRoute).size(), 1);
        }
        fill(eventRecord(302, 0));
        QCOMPARE(tileList(), "4001 R4001_Z7.db");
        QTRY_VERIFY(m_window->isEnabled() && !m_tile->isChainRunning());
        QStringList received;
        for (const standin::ReceivedPunch& punch : m_server->receivedPunches()) {
            received << punch.barcode;
        }
        QCOMPARE(received, QStringList("A"));
        QCOMPARE(m_server->requests(QStringLiteral("53")).value(0).value("id"), QStringLiteral("4001"));
        QCOMPARE(pendingIn4001(), 0);
        QCOMPARE(rows(dbPath("R4002_Z7.db"),
                      "select CODE_BARRE from MODIF where STATUS=1 union all select count(*) from BILLET"),
                 QStringList({"P1", "P2", "0"}));
        QCOMPARE(current() + ' ' + tileList(), "4001 R4001_Z7.db 4002 R4002_Z7.db");
        QVERIFY(!m_tile->lblDrainNeeded->isHidden());
    }

    // A list whose documents bring no delta id is a list: downloaded and selected, shown
    // again, scanned. The delta that brings one writes its DELTA row, which the next
    // request sends.
    void listWithoutDeltaId_data()
    {
        QTest::addColumn<DeltaId>("deltaId");
        QTest::newRow("dt 0") << DeltaId::Zero;
        QTest::newRow("dt absent") << DeltaId::Absent;
    }

    void listWithoutDeltaId()
    {
        QFETCH(DeltaId, deltaId);
        const QString path = dbPath("R4001_Z7.db");
        m_server->setDeltaId("4001", deltaId);
        tile4001({}, 0, false);
        getRep();
        QCOMPARE(shownMessage() + current(), "4001 R4001_Z7.db");
        QCOMPARE(rows(path, "select count(*) > 0 from BILLET union all select count(*) from DELTA"),
                 QStringList({"1", "0"}));
        fill(eventRecord(301, 0));
        QVERIFY(m_tile->repFileExists && !m_tile->btnSelect->isHidden());

        window().show();
        m_window->startScanClicked();
        QTRY_VERIFY(QApplication::activeWindow() == m_window.get());
        const standin::Ticket ticket = liveTicket(4001);
        QTest::keyClicks(window().ui->editBarcode, ticket.barcode);
        QTest::keyClick(window().ui->editBarcode, Qt::Key_Return);
        QCOMPARE(window().ui->lblResultStatus->text(), label(64));

        m_server->setDeltaId("4001", DeltaId::Sent);
        for (int cycle = 0; cycle < 2; ++cycle) {
            m_window->deltaTimer.stop();
            m_window->timerDelta();
            QTRY_VERIFY(m_window->deltaTimer.isActive() && !m_window->isSyncRunning);
        }
        const QString id = QString::number(m_server->currentDelta());
        const QList<standin::RecordedRequest> asked = m_server->requests(QStringLiteral("53"));
        QCOMPARE(asked.value(1).value("dt") + ' ' + asked.value(2).value("dt"), "0 " + id);
        QCOMPARE(m_server->receivedPunches().value(0).barcode, ticket.barcode);
        QVERIFY(openRepBDD(db(), m_window->dbMutex, path));
        QCOMPARE(sqlRows(db(), "select ID from DELTA union all select count(*) from MODIF where STATUS=1"),
                 QStringList({id, "0"}));
    }

    // The program stopped during a first download leaves no list under the list's name:
    // started again, the tile offers the download, which goes over what was left.
    void stopDuringFirstDownload()
    {
        m_server->setDeltaId("4001", DeltaId::Zero);
        tile4001({}, 0, false);
        QSemaphore reached;
        QSemaphore resume;
        connect(
            &m_tile->threadGet,
            &CThreadGet::signalProgressText,
            &m_tile->threadGet,
            [&reached, &resume](const QString& text) {
                if (text == message(10)) {
                    reached.release();
                    resume.acquire();
                }
            },
            Qt::DirectConnection);
        m_tile->getRepClicked();
        QTRY_VERIFY(reached.available() > 0);
        resume.release();
        m_window.reset();
        m_window = std::make_unique<MainWindow>();
        m_tile = m_window->repWidgets[0];
        fill(eventRecord(301, 0));
        QVERIFY(!QFile::exists(dbPath("R4001_Z7.db")) && !m_tile->repFileExists && m_tile->btnSelect->isHidden());
        getRep();
        QCOMPARE(current(), "4001 R4001_Z7.db");
    }

    // A tile closes the connection it was given when it goes; the window's tiles go
    // after the window has closed it.
    void tileClosesConnection()
    {
        QWidget placeholder;
        placeholder.resize(570, 101);
        auto tile = std::make_unique<CRepWidget>(&placeholder);
        tile->init(eventRecord(301, 0), m_window->dbMutex, db(), m_window->networkManager);
        QVERIFY(db().isOpen());
        tile.reset();
        QVERIFY(!db().isOpen());
    }

    // A file without DELTA holds no list: the first download is built aside, renamed once whole.
    void firstDownloadOverBrokenFile_data()
    {
        QTest::addColumn<QString>("leftover");
        QTest::newRow("no file") << "";
        QTest::newRow("tables only") << "tables";
        QTest::newRow("empty file") << "empty";
        QTest::newRow("garbage again") << "garbage";
    }

    void firstDownloadOverBrokenFile()
    {
        QFETCH(QString, leftover);
        const QString path = dbPath("R4001_Z7.db");
        if (leftover == "tables") {
            makeRepFile("R4001_Z7.db", {}, 0);
        } else if (!leftover.isEmpty()) {
            for (const QString& name : {path, path + ".unreadable"}) {
                QVERIFY(fixture::writeFile(name, QByteArray(leftover == "empty" ? 0 : 4096, 'x')));
            }
        }
        tile4001({}, 0, false);
        QVERIFY(m_tile->btnSelect->isHidden() && !m_tile->repFileExists);
        QString atStart;
        connect(
            &m_tile->threadGet,
            &QThread::started,
            this,
            [&atStart, path] {
                atStart =
                    QString::number(QFile::exists(path)) + QString::number(QFile::exists(CRepWidget::buildPath(path)));
            },
            Qt::DirectConnection);
        getRep();
        QCOMPARE(m_server->requests(QStringLiteral("53")).value(0).value("ba"), QStringLiteral("0"));
        QCOMPARE(atStart, leftover.isEmpty() ? "01" : "11");
        QCOMPARE(rows(path, "select count(*) > 0 from BILLET union all select count(*) from DELTA"),
                 QStringList({"1", "1"}));
        QVERIFY(!QFile::exists(CRepWidget::buildPath(path)));
        QCOMPARE(current(), "4001 R4001_Z7.db");
        m_boxes->clear();
    }

    // A file in the way that cannot be read is set aside only when it can be written:
    // one that cannot may still hold unsent punches, so it stays and the download stops.
    void unreadableFileInTheWay_data()
    {
        QTest::addColumn<QString>("leftover");
        QTest::addColumn<unsigned int>("mode");
        QTest::addColumn<bool>("setAside");
        QTest::newRow("garbage, read only") << "garbage" << 0400u << false;
        QTest::newRow("tables, no permission") << "tables" << 0000u << false;
        QTest::newRow("tables, write only") << "tables" << 0200u << true;
    }

    void unreadableFileInTheWay()
    {
        QFETCH(QString, leftover);
        QFETCH(unsigned int, mode);
        QFETCH(bool, setAside);
        const QString path = dbPath("R4001_Z7.db");
        if (leftover == "tables") {
            makeRepFile("R4001_Z7.db", {}, 0);
        } else {
            QVERIFY(fixture::writeFile(path, QByteArray(4096, 'x')));
        }
        const QByteArray before = fixture::readFile(path);
        tile4001({}, 0, false);
        QVERIFY(m_tile->btnSelect->isHidden() && !m_tile->repFileExists);
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode), 0);
        {
            PermissionsBind bind;
            if (!bind.isHeld() || QFileInfo(path).isWritable() != setAside) {
                m_boxes->clear();
                QSKIP("this thread cannot give up root's override of file permissions");
            }
            getRep();
        }
        QCOMPARE(m_server->requests(QStringLiteral("53")).value(0).value("ba"), QStringLiteral("0"));
        const QStringList files = QDir(dbFolder()).entryList({"R4001_Z7.db*"}, QDir::Files, QDir::Name);
        QCOMPARE(files, setAside ? QStringList({"R4001_Z7.db", "R4001_Z7.db.unreadable"}) : QStringList("R4001_Z7.db"));
        const QString kept = dbPath(files.last());
        QVERIFY(QFile::setPermissions(kept, QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(fixture::readFile(kept), before);
        QCOMPARE(shownMessage(), setAside ? QString() : message(5));
        QCOMPARE(m_window->currentRepDbName, setAside ? path : QString());
        QCOMPARE(fixture::logContains("Liste telechargee non installee : " + path), !setAside);
        QCOMPARE(m_tile->btnSelect->isHidden(), !setAside);
        m_boxes->clear();
    }

    // A refused request reports twice, its error and its end: the second finds its
    // chain over and is dropped, logged once for the tile, and ends no later chain.
    void refusedRequestAnsweredOnce_data()
    {
        QTest::addColumn<QString>("route");
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("logged");
        QTest::newRow("download") << "53"
                                  << "getTickets"
                                  << "Erreur Connexion get Rep (err=401)";
        QTest::newRow("upload") << "61"
                                << "sendPunch"
                                << "Erreur Connexion Send Punch (err=401)";
    }

    void refusedRequestAnsweredOnce()
    {
        QFETCH(QString, route);
        QFETCH(QString, request);
        QFETCH(QString, logged);
        tile4001(route == "61" ? QList<CDataModif>{netfixture::pendingRow(8, "A")} : QList<CDataModif>());
        QSignalSpy errors(m_tile, &CRepWidget::signalError);
        for (int chain = 0; chain < 2; ++chain) {
            m_server->enqueue(route, ScriptedReply::httpError(500));
            getRep();
        }
        QCOMPARE(errors.size(), 2);
        QCOMPARE(fixture::logLines().filter(logged).size(), 2);
        QCOMPARE(
            fixture::logLines().filter("Reponse ignoree, la liste demandee n'est plus en cours : " + request).size(),
            1);
        QCOMPARE(m_server->requests(route).size(), 2);
        QVERIFY(m_window->currentRepDbName.isEmpty());
        m_boxes->clear();
    }

    // An event list landing while scanning leaves the scan on its list.
    void eventListLandsWhileScanning()
    {
        tile4001();
        m_server->enqueue(QStringLiteral("241"), ScriptedReply::normal().delayed(200));
        m_window->recupEvents();
        m_tile->selectClicked();
        m_window->startScanClicked();
        m_window->eventPage = 0;
        QTRY_COMPARE(m_window->eventPage, 1);
        QVERIFY(!m_window->dataEvenementListe.isEmpty());
        QCOMPARE(db().databaseName(), dbPath("R4001_Z7.db"));
    }

    // Bad lines are skipped, a later line wins, text is Latin-1; the recap shows the result.
    void localTicketCsv()
    {
        importFile("none.csv", "1;a;b;c;d;1;e;2\n");
        QCOMPARE(shownMessage(), message(33));
        const QString file = dbPath("R4001_Z7.db");
        makeRepFile("R4001_Z7.db", {});
        rows(file,
             "create trigger refuse before insert on BILLET when NEW.CODE_BARRE='444' begin select "
             "raise(abort, 'no'); end");
        m_window->currentRepDbName = file;
        importFile("tickets.csv",
                   "CODE;NOM;PRENOM;TEL;MAIL;NB;PLACE;REP\n111;Dupont;Jean;0601;j@x;2;A1;4001\r\n"
                   "222;Short;line;1;2;3;4\n;Empty;barcode;1;2;3;4;5\n111;Dupond;Jeanne;0602;j@y;3;B2;4001\n"
                   "444;Refused;X;;;1;;4001\n 333 ;M\xfcller;Zo\xe9;;;1; 12 ;4001\r");
        QCOMPARE(rows(file,
                      "select CODE_BARRE, NOM_PORTEUR, NB_COMPOSTAGE, REP_ID from BILLET where EDITEUR_ID=99999999 "
                      "order by CODE_BARRE"),
                 QStringList({"111|Dupond|3|4001", "333|M\u00fcller|1|4001", "CODE|NOM|0|0"}));
        QCOMPARE(rows(file, "select PLACEMENT from PLACE where CODE_BARRE='111'"), QStringList("B2"));
        QCOMPARE(shownMessage(), "4" + label(155));
        QCOMPARE(window().ui->tableNbTicket->item(0, 0)->text() + window().ui->tableNbTicket->item(0, 1)->text(),
                 label(112) + "3");
        QCOMPARE(window().ui->lblRepNbPunch->text() + window().ui->lblRepNbPlace->text(), "1 / 3");
        QVERIFY(window().ui->editLoadFile->text().isEmpty());
    }

    // Anything but ".csv" is an event file whose list becomes current; a list there stays.
    void eventFile_data()
    {
        QTest::addColumn<QString>("scope");
        QTest::addColumn<unsigned int>("zone");
        QTest::addColumn<QString>("idAndFile");
        QTest::addColumn<bool>("existing");
        QTest::newRow("performance, no zone") << "R4001" << 0u << "4001 R4001_Z0.db" << false;
        QTest::newRow("pass") << "P901" << 3u << "-901 P901_Z3.db" << false;
        QTest::newRow("onto a list") << "R4001" << 0u << "4001 R4001_Z0.db" << true;
    }

    void eventFile()
    {
        QFETCH(QString, scope);
        QFETCH(unsigned int, zone);
        QFETCH(QString, idAndFile);
        QFETCH(bool, existing);
        importFile("tickets.CSV", "1;a;b;c;d;1;e;2\n");
        QCOMPARE(db().databaseName(), mainDatabasePath());
        QVERIFY(m_window->currentRepDbName.isEmpty() && shownMessage().isEmpty());
        if (existing) {
            makeRepFile("R4001_Z0.db", {netfixture::pendingRow(8, "kept")});
        }
        const QString document = QJsonDocument(m_server->eventFileDocument(scope, zone)).toJson();
        const standin::Ticket& ticket = m_server->organiser().tickets.first();
        QVERIFY(sqlRun(db(),
                       QStringLiteral("insert into VIDANGE (TYPE,DATE,CODE_BARRE,EDITEUR_ID,REP_ID) values "
                                      "(8,'2030-01-01 10:00:00','%1',%2,%3)")
                           .arg(ticket.barcode)
                           .arg(ticket.editeurId)
                           .arg(ticket.repId)));
        importFile("event.kst", document.toUtf8());
        QCOMPARE(current(), idAndFile);
        QCOMPARE(QFile::exists(dbPath("dump.db")), existing);
        QCOMPARE(shownMessage(), existing ? message(20) : QString());
        QCOMPARE(rows(m_window->currentRepDbName,
                      "select count(*) from MODIF where STATUS=1 and CODE_BARRE='kept' union all select count(*) "
                      "from MODIF where STATUS=0 and CODE_BARRE='"
                          + ticket.barcode + "'"),
                 QStringList({existing ? "1" : "0", document.contains(ticket.barcode) && !existing ? "1" : "0"}));
    }
};

TAVRIMEX_TEST_MAIN(TestRepWidget)
#include "TestRepWidget.moc"
