#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "data/CDataDelta.h"
#include "session/CRepWidget.h"
#include "session/RepDisplay.h"
#include "ui/MainWindow.h"
#include "ui/MessageDlg.h"
#include "ui/Ui_MainWindow.h"

#include "BoxRecorder.h"
#include "CoreFixture.h"
#include "DataFixture.h"
#include "NetFixture.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLabel>

#include <memory>

using standin::ScriptedReply;

namespace
{

struct Perf
{
    unsigned int id = 0;
    QString debut;
    QString finVente;
    unsigned int places = 0;
};

QString dbPath(const QString& name)
{
    return dbFolder() + name;
}

QString cachePath(const QString& name)
{
    return appFolder() + "/img/" + name;
}

// The message dialog's title and text for message `index` under `title`.
QString box(int index, int title = 100)
{
    return gAffichage->getTraduction(0, title) + ": " + gAffichage->getMessage(0, index);
}

CDataEvenement eventRecord(unsigned int id, unsigned int type, const QString& image = QString())
{
    CDataEvenement evenement;
    evenement.initDefaut();
    evenement.ID = id;
    evenement.TYPE = type;
    evenement.NOM = QStringLiteral("Concert %1").arg(id);
    evenement.IMAGE = image;
    return evenement;
}

}  // namespace

// The tiles, the current performance and the file box of one window, against the
// stand-in of the service.
class TestRepWidget : public StandinTestBase
{
    Q_OBJECT

    std::unique_ptr<MainWindow> m_window;
    CRepWidget* m_tile = nullptr;

    QSqlDatabase& db()
    {
        return m_window->db;
    }

    Ui_MainWindow* ui()
    {
        return m_window->ui;
    }

    void addEvent(const CDataEvenement& evenement, const QList<Perf>& perfs)
    {
        QVERIFY(evenement.ajouteSql(db(), m_window->dbMutex));
        for (const Perf& perf : perfs) {
            CDataRepresentation representation;
            representation.initDefaut();
            representation.ID = perf.id;
            representation.EVENEMENT_ID = evenement.ID;
            representation.DATE_DEBUT = perf.debut;
            representation.DATE_FIN_VENTE = perf.finVente;
            representation.NB_PLACE = perf.places;
            representation.NOM_EVT = QStringLiteral("Perf %1").arg(perf.id);
            QVERIFY(representation.ajouteSql(db(), m_window->dbMutex));
        }
    }

    // A list file with `pending` rows and, unless `deltaId` is 0, a DELTA row.
    void makeRepFile(const QString& name, const QList<CDataModif>& pending, unsigned int deltaId = 0)
    {
        QVERIFY(openRepBDD(db(), m_window->dbMutex, dbPath(name)));
        QVERIFY(pending.isEmpty() || netfixture::addPending(db(), m_window->dbMutex, pending));
        CDataDelta delta;
        delta.initDefaut();
        delta.ID = deltaId;
        delta.LAST_UPDATE = QStringLiteral("2030-01-01 08:00:00");
        delta.LOGIN = QStringLiteral("orga");
        delta.ZONE_ID = 7;
        QVERIFY(deltaId == 0 || delta.ajouteSql(db(), m_window->dbMutex));
        QVERIFY(openBDD(db(), m_window->dbMutex));
    }

    // The tile of event 301 and its performance 4001, as the stand-in sells them.
    void tile4001(const QList<CDataModif>& pending = {}, unsigned int deltaId = 1000, bool withFile = true)
    {
        if (withFile) {
            makeRepFile("R4001_Z7.db", pending, deltaId);
        }
        addEvent(eventRecord(301, 0), {{4001, "2030-01-01 20:00:00", "", 5}});
        fill(eventRecord(301, 0));
    }

    void fill(const CDataEvenement& evenement)
    {
        m_tile->init(evenement, m_window->dbMutex, db(), m_window->networkManager);
    }

    int pendingIn4001()
    {
        return rows(dbPath("R4001_Z7.db"), "select count(*) from MODIF where STATUS=1").value(0).toInt();
    }

    QStringList rows(const QString& file, const QString& sql)
    {
        openRepBDD(db(), m_window->dbMutex, file);
        const QStringList result = sqlRows(db(), sql);
        openBDD(db(), m_window->dbMutex);
        return result;
    }

    QString shownMessage()
    {
        return m_window->messageDlg->isHidden()
                   ? QString()
                   : m_window->messageDlg->findChild<QLabel*>("lblMessageDlgTitle")->text() + ": "
                         + m_window->messageDlg->findChild<QLabel*>("lblMessageDlgInfo")->text();
    }

    void importFile(const QString& name, const QByteArray& content)
    {
        const QString path = QDir::tempPath() + "/tavrimex-import-" + name;
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size());
        file.close();
        m_window->chooseFile = [path](QWidget*) {
            return path;
        };
        m_window->loadFileClicked();
        QTRY_VERIFY(m_window->isEnabled() && !m_window->threadGetFile.isRunning());
    }

    QString current()
    {
        return gParam->currentIdRep.get() + ' ' + m_window->currentRepDbName.mid(dbFolder().size());
    }

private slots:

    void init()
    {
        netfixture::setSession(m_server->serviceUrl());
        gParam->initParametre(HIDE_RECAP_TICKET_REP, QStringLiteral("0"));
        gParam->isLockFocus = false;
        QVERIFY(gParam->sauvegarde(QString(), true));
        for (const QString& name : QDir(dbFolder()).entryList(QDir::Files)) {
            QFile::remove(dbPath(name));
        }
        m_window = std::make_unique<MainWindow>();
        m_tile = m_window->repWidgets[0];
        m_server->clearRequests();
    }

    void cleanup()
    {
        m_window.reset();
        QVERIFY(m_boxes->entries().isEmpty());
    }

    // Which list a tile stands for; a combo lists by id, a whole event sums.
    void kinds_data()
    {
        QTest::addColumn<unsigned int>("type");
        QTest::addColumn<QString>("jour");
        QTest::addColumn<bool>("twoPerfs");
        QTest::addColumn<QString>("idAndFile");
        QTest::newRow("several performances") << 0u << "0" << true << "7 R7_Z7.db";
        QTest::newRow("single performance") << 0u << "0" << false << "7 R7_Z7.db";
        QTest::newRow("whole event") << 0u << "2" << true << "50 E50_Z7.db";
        QTest::newRow("pass") << 1u << "0" << true << "-50 P50_Z7.db";
    }

    void kinds()
    {
        QFETCH(unsigned int, type);
        QFETCH(QString, jour);
        QFETCH(bool, twoPerfs);
        QFETCH(QString, idAndFile);
        gParam->initParametre(REP_JOUR, jour);
        QList<Perf> perfs{{7, "2030-05-03 20:00:00", "2030-05-02 18:00:00", 100}};
        if (twoPerfs) {
            perfs.prepend({12, "2030-05-01 20:00:00", "2030-05-04 18:00:00", 50});
        }
        addEvent(eventRecord(50, type), perfs);
        fill(eventRecord(50, type));

        QCOMPARE(m_tile->idRep + ' ' + m_tile->repFilePath.mid(dbFolder().size()), idAndFile);
        const bool combo = !m_tile->comboRep->isHidden();
        QCOMPARE(combo, twoPerfs && type == 0 && jour == "0");
        if (twoPerfs && !combo) {
            QCOMPARE(m_tile->lblNbPlace->text() + ' ' + m_tile->dataRep.DATE_FIN_VENTE, "150 2030-05-04 18:00:00");
        } else {
            QCOMPARE(m_tile->lblNbPlace->text() + ' ' + QString::number(m_tile->dataRep.ID), "100 7");
        }
        if (combo) {
            m_tile->comboRep->setCurrentIndex(1);
            QCOMPARE(m_tile->idRep + ' ' + m_tile->repFilePath.mid(dbFolder().size()) + ' ' + m_tile->lblNbPlace->text()
                         + ' ' + m_tile->lblRep->text(),
                     "12 R12_Z7.db 50 " + m_tile->comboRep->itemText(1));
        }
    }

    // A cached picture serves 7 days; "", "." and ".." name no file of the cache.
    void pictureCache_data()
    {
        QTest::addColumn<qint64>("age");
        QTest::addColumn<bool>("asked");
        QTest::newRow("6 days 23 hours") << qint64(6 * 86400 + 23 * 3600) << false;
        QTest::newRow("7 days") << qint64(7 * 86400) << true;
    }

    void pictureCache()
    {
        QFETCH(qint64, age);
        QFETCH(bool, asked);
        QVERIFY(repdisplay::defaultPicture().save(cachePath("event301.png")));
        QFile file(cachePath("event301.png"));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(CDateHeure(0).addSecs(-age), QFileDevice::FileModificationTime));
        fill(eventRecord(301, 0, m_server->imageUrl("event301.png")));
        QVERIFY(m_tile->imageInCache);
        QCOMPARE(m_tile->lblImage->text() == " ", asked);
        if (asked) {
            QTRY_COMPARE(m_server->requests(QStringLiteral("image")).size(), 1);
            QTRY_VERIFY(QFileInfo(cachePath("event301.png")).lastModified().secsTo(CDateHeure(0)) < 60);
        }
        for (const char* name : {"", ".", ".."}) {
            QVERIFY(!repdisplay::isCacheName(cachePath(name)));
        }
    }

    // Sales close once their end is strictly past; the badge then shows the end.
    void saleBadge_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<bool>("closed");
        QTest::newRow("ends now") << 0 << false;
        QTest::newRow("ended a second ago") << -1 << true;
        QTest::newRow("ends in a second") << 1 << false;
    }

    void saleBadge()
    {
        QFETCH(int, offset);
        QFETCH(bool, closed);
        const QDateTime now = CDateHeure(0);
        QCOMPARE(repdisplay::isSaleClosed(now.addSecs(offset), now), closed);
        QVERIFY(repdisplay::isSaleClosed(QDateTime(), now));
        const QDateTime end = now.addDays(closed ? -1 : 1);
        repdisplay::showSaleBadge(m_tile->lblStatus, m_tile->lblFinVente, end);
        QCOMPARE(m_tile->lblStatus->text(), repdisplay::label(closed ? 32 : 31));
        QCOMPARE(m_tile->lblFinVente->isHidden(), !closed);
        QCOMPARE(m_tile->lblFinVente->text(), closed ? end.toString(repdisplay::label(97)) : QString());
    }

    // The tile fills its place; its parts keep their places, the separator on the
    // bottom line.
    void geometry()
    {
        QStringList rects;
        for (const QWidget* part : m_tile->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            const QRect r = part->geometry();
            rects << QStringLiteral("%1,%2,%3,%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
        }
        QCOMPARE(m_tile->geometry(), QRect(QPoint(), m_tile->parentWidget()->size()));
        QCOMPARE(rects.join(' '),
                 "100,10,310,20 15,15,70,70 100,30,320,16 100,30,293,32 100,70,110,16 215,70,75,16 305,70,60,16 "
                 "370,70,60,20 425,6,90,20 435,55,115,30 520,6,20,20 545,6,20,20 0,100,570,1 425,30,140,20");
        QCOMPARE(m_tile->lblImage->geometry(), QRect(8, 9, 54, 53));
    }

    // A reply that comes once the tile shows another event keeps its own name and
    // leaves the picture shown alone.
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

    // Pending rows go first, batched by kind as "date:barcode:issuer:rep;", then the
    // update; the performance becomes the current one.
    void updateUploadsFirst()
    {
        tile4001({netfixture::pendingRow(8, "A"), netfixture::pendingRow(16, "B"), netfixture::pendingRow(8, "C")},
                 1000);
        QVERIFY(!m_tile->lblDrainNeeded->isHidden());
        m_tile->getRepClicked();
        QTRY_VERIFY(m_window->isEnabled());
        QStringList batches;
        for (const standin::RecordedRequest& request : m_server->requests(QStringLiteral("61"))) {
            batches << request.keys.last() + '=' + request.value(request.keys.last());
        }
        QCOMPARE(batches,
                 QStringList(
                     {"cl=20300101100000:A:11:4001;", "dl=20300101100000:B:11:4001;", "cl=20300101100000:C:11:4001;"}));
        QCOMPARE(m_server->requests(QStringLiteral("53")).value(0).value("dt"), QStringLiteral("1000"));
        QCOMPARE(pendingIn4001(), 0);
        QVERIFY(m_tile->lblDrainNeeded->isHidden());
        QCOMPARE(current(), "4001 R4001_Z7.db");
        QVERIFY(!ui()->btnStartScan->isHidden());
    }

    // Only a readable reply is selected; an empty or broken first download leaves no
    // empty list behind, an update keeps its list.
    void download_data()
    {
        QTest::addColumn<ScriptedReply>("reply");
        QTest::addColumn<bool>("update");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<int>("shown");
        QTest::newRow("first download") << ScriptedReply::normal() << false << true << 0;
        QTest::newRow("empty, first download") << ScriptedReply::empty() << false << false << 3;
        QTest::newRow("broken, first download") << ScriptedReply::invalidJson() << false << false << 3;
        // A document that holds no list (an error answer) stores nothing.
        QTest::newRow("no list, first download")
            << ScriptedReply::bytes(R"({"request":"getTickets","error":"3"})") << false << false << 3;
        QTest::newRow("broken, update") << ScriptedReply::invalidJson() << true << false << 3;
        // The list cannot take the new tickets (a full disk): told so, and kept.
        QTest::newRow("not stored, update") << ScriptedReply::normal() << true << false << 5;
    }

    void download()
    {
        QFETCH(ScriptedReply, reply);
        QFETCH(bool, update);
        QFETCH(bool, selected);
        QFETCH(int, shown);
        tile4001({}, 1000, update);
        if (shown == 5) {
            m_server->requestDrop();
            rows(dbPath("R4001_Z7.db"),
                 "create trigger full before insert on BILLET begin select raise(abort, 'full'); end");
        }
        m_server->enqueue(QStringLiteral("53"), reply);
        m_tile->getRepClicked();
        QTRY_VERIFY(m_window->isEnabled());
        QCOMPARE(m_window->currentRepDbName.isEmpty(), !selected);
        QCOMPARE(shownMessage(), shown == 0 ? QString() : box(shown));
        const standin::RecordedRequest request = m_server->requests(QStringLiteral("53")).value(0);
        QCOMPARE(request.keys.contains("dt"), update);
        QCOMPARE(request.value("ba") + ' ' + request.value("id"), QString(update ? "1 4001" : "0 4001"));
        QCOMPARE(QFile::exists(dbPath("R4001_Z7.db")), update || selected);
        QCOMPARE(m_tile->btnSelect->isHidden(), !update && !selected);
        QCOMPARE(db().databaseName(), mainDatabasePath());
    }

    // A failed upload keeps its rows and asks for no list: a refusal is told, an empty
    // reply stops quietly. Nothing is selected.
    void chainStops_data()
    {
        QTest::addColumn<ScriptedReply>("reply");
        QTest::addColumn<QString>("shown");
        const QString refused = box(4);
        QTest::newRow("upload refused") << ScriptedReply::httpError(404) << refused;
        QTest::newRow("upload not acknowledged") << ScriptedReply::empty() << QString();
    }

    void chainStops()
    {
        QFETCH(ScriptedReply, reply);
        QFETCH(QString, shown);
        tile4001({netfixture::pendingRow(8, "A")});
        m_server->enqueue(QStringLiteral("61"), reply);
        m_tile->getRepClicked();
        QTRY_VERIFY(m_window->isEnabled());
        QCOMPARE(shownMessage(), shown);
        QCOMPARE(pendingIn4001(), 1);
        QCOMPARE(m_server->requests(QStringLiteral("53")).size(), 0);
        QVERIFY(m_window->currentRepDbName.isEmpty());
    }

    // Deletion, online or not, moves the pending rows to the drain queue with the
    // file's DELTA context (the defaults without one), then removes the file; the
    // current performance it was is no more.
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
        // Offline, a download does nothing.
        m_tile->getRepClicked();
        QVERIFY(!m_tile->isChainRunning() && m_window->isEnabled() && m_server->requests("53").isEmpty());
        m_tile->dropRepClicked();
        QCOMPARE(
            sqlRows(db(), "select TYPE, CODE_BARRE, LOGIN, ZONE_ID, DELTA_ID, DELTA_DATE from VIDANGE order by ID"),
            context.isEmpty() ? QStringList() : drained);
        QCOMPARE(ui()->btnDrainGlobal->isHidden(), context.isEmpty());
        QVERIFY(!QFile::exists(dbPath("R4001_Z7.db")) && m_tile->btnDropRep->isHidden());
        QVERIFY(m_window->currentRepDbName.isEmpty() && ui()->btnStartScan->isHidden());
    }

    // A list downloaded again after its deletion keeps the punches still waiting in
    // the drain queue: the service's counts do not hold them yet.
    void downloadAfterDeletion()
    {
        standin::Ticket ticket;
        for (const standin::Ticket& candidate : m_server->organiser().tickets) {
            if (candidate.repId == 4001 && candidate.nbCompostage > 0 && !candidate.isDeleted) {
                ticket = candidate;
                break;
            }
        }
        QVERIFY(!ticket.barcode.isEmpty());
        tile4001({netfixture::pendingRow(8, ticket.barcode, "2030-01-01 10:00:00", 4001, ticket.editeurId)});
        m_tile->dropRepClicked();
        m_tile->getRepClicked();
        QTRY_VERIFY(m_window->isEnabled() && !m_tile->isChainRunning());
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
        QCOMPARE(shownMessage(), box(5));
        QCOMPARE(sqlRows(db(), "select count(*) from VIDANGE"), QStringList("0"));
        QCOMPARE(pendingIn4001(), 2);
        QVERIFY(!m_tile->btnDropRep->isHidden() && m_tile->repFileExists);
    }

    // A tile selects, and downloads, the list it was filled for, even once REP_JOUR
    // changed: the id the cycle sends, its "jo" and the list scanning opens.
    void scope_data()
    {
        QTest::addColumn<unsigned int>("type");
        QTest::addColumn<QString>("jourThenNow");
        QTest::addColumn<QString>("idFileJo");
        QTest::newRow("pass") << 1u << "0|2"
                              << "-57 P57_Z7.db 0";
        QTest::newRow("whole event") << 0u << "2|0"
                                     << "57 E57_Z7.db 2";
        QTest::newRow("performance") << 0u << "0|1"
                                     << "8 R8_Z7.db 0";
    }

    void scope()
    {
        QFETCH(unsigned int, type);
        QFETCH(QString, jourThenNow);
        QFETCH(QString, idFileJo);
        gParam->initParametre(REP_JOUR, jourThenNow.section('|', 0, 0));
        makeRepFile(idFileJo.section(' ', 1, 1), {}, 1000);
        addEvent(eventRecord(57, type), {{8, "2030-01-01 20:00:00", "", 5}});
        fill(eventRecord(57, type));
        gParam->initParametre(REP_JOUR, jourThenNow.section('|', 1, 1));
        m_tile->selectClicked();
        QCOMPARE(current() + ' ' + gParam->currentJour.get(), idFileJo);
        QVERIFY(!ui()->btnStartScan->isHidden() && m_window->isEnabled());
        QCOMPARE(db().databaseName(), mainDatabasePath());

        m_server->enqueue(QStringLiteral("53"), ScriptedReply::empty());
        m_tile->getRepClicked();
        QTRY_VERIFY(m_window->isEnabled() && !m_tile->isChainRunning());
        const standin::RecordedRequest request = m_server->requests(QStringLiteral("53")).value(0);
        QCOMPARE(request.value("id") + ' ' + request.value("jo"),
                 idFileJo.section(' ', 0, 0) + ' ' + idFileJo.section(' ', 2));
    }

    // The answers of a chain act on the list it was started for: a refill of the tile
    // meanwhile waits for its end, and only the rows that went are marked sent.
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
        QTRY_VERIFY(m_window->isEnabled() && !m_tile->isChainRunning());

        QStringList received;
        for (const standin::ReceivedPunch& punch : m_server->receivedPunches()) {
            received << punch.barcode;
        }
        QCOMPARE(received, QStringList("A"));
        QCOMPARE(m_server->requests(QStringLiteral("53")).value(0).value("id"), QStringLiteral("4001"));
        QCOMPARE(pendingIn4001(), 0);
        QCOMPARE(rows(dbPath("R4002_Z7.db"), "select CODE_BARRE from MODIF where STATUS=1 order by ID"),
                 QStringList({"P1", "P2"}));
        QCOMPARE(rows(dbPath("R4002_Z7.db"), "select count(*) from BILLET"), QStringList("0"));
        QCOMPARE(current(), "4001 R4001_Z7.db");
        // The refill asked for meanwhile is done once the chain is over.
        QCOMPARE(m_tile->idRep + ' ' + m_tile->repFilePath.mid(dbFolder().size()), "4002 R4002_Z7.db");
        QVERIFY(!m_tile->lblDrainNeeded->isHidden());
    }

    // A file without its DELTA row holds no list: the tile offers a first download,
    // which is built under another name and takes the list's name only once whole.
    void firstDownloadOverBrokenFile_data()
    {
        QTest::addColumn<QString>("leftover");
        QTest::newRow("no file") << "";
        QTest::newRow("tables only") << "tables";
        QTest::newRow("empty file") << "empty";
        // Garbage, with an earlier unreadable copy already set aside.
        QTest::newRow("garbage again") << "garbage";
    }

    void firstDownloadOverBrokenFile()
    {
        QFETCH(QString, leftover);
        const QString path = dbPath("R4001_Z7.db");
        if (leftover == "tables") {
            makeRepFile("R4001_Z7.db", {}, 0);
        } else if (leftover == "empty") {
            QVERIFY(QFile(path).open(QIODevice::WriteOnly));
        } else if (leftover == "garbage") {
            for (const QString& name : {path, path + ".unreadable"}) {
                QFile garbage(name);
                QVERIFY(garbage.open(QIODevice::WriteOnly) && garbage.write(QByteArray(4096, 'x')) == 4096);
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
        m_tile->getRepClicked();
        QTRY_VERIFY(m_window->isEnabled() && !m_tile->isChainRunning());
        QCOMPARE(m_server->requests(QStringLiteral("53")).value(0).value("ba"), QStringLiteral("0"));
        QCOMPARE(atStart, leftover.isEmpty() ? "01" : "11");
        QCOMPARE(rows(path, "select count(*) > 0 from BILLET union all select count(*) from DELTA"),
                 QStringList({"1", "1"}));
        QVERIFY(!QFile::exists(CRepWidget::buildPath(path)));
        QCOMPARE(current(), "4001 R4001_Z7.db");
        m_boxes->clear();
    }

    // A list that cannot be written may still hold unsent punches: it is not set aside
    // as unreadable, and no first download takes its place.
    void readOnlyListKept()
    {
        const QString path = dbPath("R4001_Z7.db");
        tile4001({netfixture::pendingRow(8, "A")});
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
        if (QFileInfo(path).isWritable()) {
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
            QSKIP("this user writes read-only files");
        }
        fill(eventRecord(301, 0));
        m_tile->getRepClicked();
        QTRY_VERIFY(m_window->isEnabled() && !m_tile->isChainRunning());
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(pendingIn4001(), 1);
        QVERIFY(m_window->currentRepDbName.isEmpty());
        m_boxes->clear();
    }

    // An event list that lands while scanning is read from the main database, and the
    // scan page keeps its list.
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

    // One row per issuer name in issuer order; deleted tickets nowhere; a ticket
    // without issuer row in the totals only; a failed count is no number.
    void recap()
    {
        QVERIFY(openRepBDD(db(), m_window->dbMutex, dbPath("R8_Z7.db")));
        QVERIFY(sqlRun(db(), "insert into EDITEUR values (13, 'Guichet'), (11, 'Web'), (12, 'Web')"));
        QVERIFY(sqlRun(db(),
                       "insert into BILLET (ID, CODE_BARRE, EDITEUR_ID, IS_DELETED, NB_COMPOSTAGE) values (1, 'a', "
                       "11, 0, 0), (2, 'b', 12, 0, 1), (3, 'c', 13, 0, 1), (4, 'd', 14, 0, 0), (5, 'e', 11, 1, 0)"));
        m_window->currentRepDbName = dbPath("R8_Z7.db");
        m_window->displayRecapRep();
        QTableWidget* table = ui()->tableNbTicket;
        QStringList shown;
        for (int row = 0; row < table->rowCount(); ++row) {
            shown << table->item(row, 0)->text() + '|' + table->item(row, 1)->text();
        }
        QCOMPARE(shown, QStringList({"Web|2", "Guichet|1"}));
        QCOMPARE(ui()->lblRepNbPunch->text() + ui()->lblRepNbPlace->text(), "2 / 4");

        // Counts that cannot be made show as such.
        QVERIFY(openRepBDD(db(), m_window->dbMutex, dbPath("R8_Z7.db")));
        QVERIFY(sqlRun(db(), "alter table BILLET rename column IS_DELETED to GONE"));
        m_window->displayRecapRep();
        QCOMPARE(ui()->lblRepNbPunch->text() + ui()->lblRepNbPlace->text(), "? / ?");
        QVERIFY(table->isHidden());
    }

    // A header line is a ticket, short lines and empty barcodes are skipped, a later
    // line replaces an earlier one, CR LF reads as LF, text is Latin-1, blanks around a
    // barcode are dropped; only the tickets written are counted.
    void localTicketCsv()
    {
        importFile("none.csv", "1;a;b;c;d;1;e;2\n");
        QCOMPARE(shownMessage(), box(33));

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
        QCOMPARE(shownMessage(), gAffichage->getTraduction(0, 154) + ": 4" + gAffichage->getTraduction(0, 155));
        QVERIFY(ui()->editLoadFile->text().isEmpty());
    }

    // The file's list becomes current under the name its own settings give.
    void eventFile_data()
    {
        QTest::addColumn<QString>("scope");
        QTest::addColumn<unsigned int>("zone");
        QTest::addColumn<QString>("idAndFile");
        QTest::newRow("performance, no zone") << "R4001" << 0u << "4001 R4001_Z0.db";
        QTest::newRow("pass") << "P901" << 3u << "-901 P901_Z3.db";
    }

    void eventFile()
    {
        QFETCH(QString, scope);
        QFETCH(unsigned int, zone);
        QFETCH(QString, idAndFile);
        // A punch of one of its tickets waits in the drain queue: the file lacks it.
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
        QVERIFY(!QFile::exists(dbPath("dump.db")));
        const bool held = document.contains(ticket.barcode);
        QCOMPARE(rows(m_window->currentRepDbName,
                      "select count(*) from MODIF where STATUS=0 and CODE_BARRE='" + ticket.barcode + "'"),
                 QStringList(held ? "1" : "0"));
    }

    // A list already there may hold punches not sent: it stays, and is the one used.
    void eventFileOntoExistingList()
    {
        makeRepFile("R4001_Z0.db", {netfixture::pendingRow(8, "kept")});
        importFile("again.kst", QJsonDocument(m_server->eventFileDocument("R4001", 0)).toJson());
        QCOMPARE(current(), "4001 R4001_Z0.db");
        QCOMPARE(rows(dbPath("R4001_Z0.db"), "select CODE_BARRE from MODIF where STATUS=1"), QStringList("kept"));
        QVERIFY(QFile::exists(dbPath("dump.db")));
        QCOMPARE(shownMessage(), box(20));
    }

    // Anything but ".csv" exactly is an event file; one that does not parse leaves
    // the connection on the main database and nothing current.
    void brokenEventFile()
    {
        importFile("tickets.CSV", "1;a;b;c;d;1;e;2\n");
        QCOMPARE(db().databaseName(), mainDatabasePath());
        QVERIFY(m_window->currentRepDbName.isEmpty() && shownMessage().isEmpty());
    }
};

TAVRIMEX_TEST_MAIN(TestRepWidget)
#include "TestRepWidget.moc"
