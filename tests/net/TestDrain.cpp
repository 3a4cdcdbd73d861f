#include "core/AppFolder.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "data/CDataDelta.h"
#include "data/CDataVidange.h"
#include "ui/MainWindow.h"
#include "ui/MessageDlg.h"
#include "ui/ProgressBar.h"
#include "ui/Ui_MainWindow.h"

#include "BoxRecorder.h"
#include "CoreFixture.h"
#include "DataFixture.h"
#include "NetFixture.h"
#include "TestMain.h"

#include <QLabel>
#include <QProgressBar>

#include <memory>

using standin::ScriptedReply;

namespace
{

CDataVidange drainRow(unsigned int type, const QString& barcode, const QString& login)
{
    CDataVidange row;
    row.initDefaut();
    row.TYPE = type;
    row.CODE_BARRE = barcode;
    row.DATE = QStringLiteral("2024-03-01 10:20:05");
    row.REP_ID = 55;
    row.EDITEUR_ID = 11;
    row.LOGIN = login;
    row.PASSWORD = login + QStringLiteral("-md5");
    row.ZONE_ID = 3;
    row.DELTA_ID = 815;
    row.DELTA_DATE = QStringLiteral("2024-03-01 10:15:00");
    return row;
}

bool queue(MainWindow& window, const QList<CDataVidange>& rows)
{
    CDataVidangeListe list;
    for (const CDataVidange& row : rows) {
        list.ajoute(row, 0);
    }
    return list.ajouteSql(window.db, window.dbMutex);
}

// A ticket-list file with `pending` pending rows (and one sent), and a DELTA row
// when `login` is not empty.
void makeListFile(MainWindow& window, const QString& name, int pending, const QString& login)
{
    QVERIFY(openRepBDD(window.db, window.dbMutex, dbFolder() + name));
    QList<CDataModif> rows = netfixture::pendingRows(8, pending, name.left(2));
    CDataModif sent = netfixture::pendingRow(8, QStringLiteral("sent"));
    sent.STATUS = MODIF_STATUS_SENT;
    rows.prepend(sent);
    QVERIFY(netfixture::addPending(window.db, window.dbMutex, rows));
    if (!login.isEmpty()) {
        CDataDelta delta;
        delta.initDefaut();
        delta.ID = 900;
        delta.LOGIN = login;
        delta.PASSWORD = QStringLiteral("pw");
        delta.ZONE_ID = 4;
        delta.LAST_UPDATE = QStringLiteral("2024-02-02 02:02:02");
        QVERIFY(delta.ajouteSql(window.db, window.dbMutex));
    }
}

QString describe(const CDataVidange& row)
{
    return QStringList{row.CODE_BARRE,
                       row.LOGIN,
                       QString::number(row.ZONE_ID),
                       QString::number(row.DELTA_ID),
                       row.DELTA_DATE}
        .join(QLatin1Char('|'));
}

}  // namespace

class TestDrain : public QObject
{
    Q_OBJECT

    std::unique_ptr<BoxRecorder> m_boxes;
    std::unique_ptr<standin::StandinServer> m_server;

    static int queued(MainWindow& window)
    {
        return sqlRows(window.db, QStringLiteral("select count(*) from VIDANGE")).value(0).toInt();
    }

    static QString message(MainWindow& window)
    {
        return window.messageDlg->findChild<QLabel*>(QStringLiteral("lblMessageDlgInfo"))->text();
    }

private slots:

    void initTestCase()
    {
        fixture::initQuietCore();
        m_boxes = std::make_unique<BoxRecorder>();
        m_server = netfixture::startStandin();
        QVERIFY(m_server);
    }

    void init()
    {
        netfixture::setSession(m_server->serviceUrl());
        m_server->clearRequests();
        QSqlDatabase scratch = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("wipe"));
        QMutex mutex;
        dropBDD(scratch, &mutex);
        scratch = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("wipe"));
    }

    // The queue first, then every file's pending rows with the file's own context
    // (defaults without DELTA row), files by name without regard to case, kest.db
    // left out. No file changes, the connection ends on the main database, and the
    // whole list survives the wipe and its write-back.
    void recupVidange()
    {
        MainWindow window;
        QVERIFY(queue(window,
                      {drainRow(3, QStringLiteral("Q1"), QStringLiteral("a")),
                       drainRow(99, QStringLiteral("Q2"), QStringLiteral("b")),
                       drainRow(4, QStringLiteral("Q3"), QStringLiteral("c"))}));
        makeListFile(window, QStringLiteral("R1_Z1.db"), 600, QStringLiteral("r1"));
        makeListFile(window, QStringLiteral("E5_Z1.db"), 1, QString());
        makeListFile(window, QStringLiteral("dump.db"), 1, QStringLiteral("dump"));
        makeListFile(window, QStringLiteral("zz_Z1.db"), 0, QStringLiteral("zz"));
        QVERIFY(openBDD(window.db, window.dbMutex));

        window.recupVidange();
        QCOMPARE(window.db.databaseName(), mainDatabasePath());
        const QList<CDataVidange> rows = window.dataVidangeListe.values();
        QCOMPARE(rows.size(), 3 + 1 + 1 + 600);
        QStringList firsts;
        for (qsizetype i = 0; i < 7; ++i) {
            firsts.append(describe(rows[i]));
        }
        QCOMPARE(firsts,
                 QStringList({"Q1|a|3|815|2024-03-01 10:15:00",
                              "Q2|b|3|815|2024-03-01 10:15:00",
                              "Q3|c|3|815|2024-03-01 10:15:00",
                              "du0|dump|4|900|2024-02-02 02:02:02",
                              "E50||0|0|1970-01-01 00:00:00",
                              "R10|r1|4|900|2024-02-02 02:02:02",
                              "R11|r1|4|900|2024-02-02 02:02:02"}));
        QCOMPARE(rows.last().CODE_BARRE, QStringLiteral("R1599"));

        QVERIFY(openRepBDD(window.db, window.dbMutex, dbFolder() + QStringLiteral("R1_Z1.db")));
        QCOMPARE(sqlRows(window.db, QStringLiteral("select count(*) from MODIF where STATUS=1")), QStringList{"600"});

        // What the callers do next.
        QVERIFY(dropBDD(window.db, window.dbMutex));
        QVERIFY(openBDD(window.db, window.dbMutex));
        QVERIFY(window.dataVidangeListe.ajouteSql(window.db, window.dbMutex));
        QCOMPARE(sqlRows(window.db, QStringLiteral("select CODE_BARRE from VIDANGE order by ID limit 5")),
                 QStringList({"Q1", "Q2", "Q3", "du0", "E50"}));
        QCOMPARE(queued(window), 605);
    }

    // One row per request, each with its own context; an acknowledgement deletes its
    // row, an error stops the drain with a message and leaves the rest queued.
    void acknowledgedThenError()
    {
        MainWindow window;
        QVERIFY(queue(window,
                      {drainRow(3, QStringLiteral("Q1"), QStringLiteral("a")),
                       drainRow(99, QStringLiteral("Q2"), QStringLiteral("b")),
                       drainRow(4, QStringLiteral("Q3"), QStringLiteral("c"))}));
        window.actionDrainNeeded();
        QVERIFY(!window.ui->btnDrainGlobal->isHidden());
        m_server->enqueue(QStringLiteral("61"), ScriptedReply::normal());
        m_server->enqueue(QStringLiteral("61"), ScriptedReply::httpError(500));
        window.drainGlobalClicked();
        QVERIFY(!window.progressBar->isHidden());
        QTRY_VERIFY(window.progressBar->isHidden());

        const QList<standin::RecordedRequest> requests = m_server->requests(QStringLiteral("61"));
        QCOMPARE(requests.size(), 2);
        QCOMPARE(requests[0].keys, QStringList({"pa", "se", "lg", "pw", "zo", "dt", "da", "ba", "fv", "ta", "cl"}));
        QCOMPARE(requests[0].value(QStringLiteral("lg")), QStringLiteral("a"));
        QCOMPARE(requests[1].value(QStringLiteral("pw")), QStringLiteral("b-md5"));
        QCOMPARE(requests[1].keys.last(), QStringLiteral("sl"));
        QCOMPARE(window.nbModifSent, 1);
        QCOMPARE(window.progressBar->findChild<QProgressBar*>()->value(), 1);
        QCOMPARE(queued(window), 2);
        QVERIFY(!window.ui->btnDrainGlobal->isHidden());
        QVERIFY(!window.messageDlg->isHidden());
        QCOMPARE(message(window), QStringLiteral("Erreur de connexion (err=401)"));
    }

    // Any non-empty reply acknowledges; an empty one ends the drain silently.
    void replies_data()
    {
        QTest::addColumn<ScriptedReply>("reply");
        QTest::addColumn<int>("left");
        QTest::newRow("\"0\" acknowledges") << ScriptedReply::bytes("0") << 0;
        QTest::newRow("error page acknowledges") << ScriptedReply::bytes("<html>oops</html>") << 0;
        QTest::newRow("empty reply") << ScriptedReply::empty() << 1;
    }

    void replies()
    {
        QFETCH(ScriptedReply, reply);
        QFETCH(int, left);
        MainWindow window;
        QVERIFY(queue(window, {drainRow(8, QStringLiteral("Q1"), QStringLiteral("a"))}));
        window.actionDrainNeeded();
        m_server->enqueue(QStringLiteral("61"), reply);
        window.drainGlobalClicked();
        QTRY_VERIFY(window.progressBar->isHidden());
        QCOMPARE(queued(window), left);
        QCOMPARE(window.ui->btnDrainGlobal->isHidden(), left == 0);
        QVERIFY(window.messageDlg->isHidden());
    }

    // Offline nothing happens; an empty queue shows nothing lasting and hides the
    // button; a row of unknown TYPE stays queued without stalling the others.
    void nothingToSend()
    {
        MainWindow window;
        gParam->isOnline = false;
        QVERIFY(queue(window, {drainRow(8, QStringLiteral("Q1"), QStringLiteral("a"))}));
        window.drainGlobalClicked();
        QVERIFY(window.progressBar->isHidden());
        gParam->isOnline = true;
        QVERIFY(sqlRun(window.db, QStringLiteral("delete from VIDANGE")));
        window.ui->btnDrainGlobal->show();
        window.drainGlobalClicked();
        QVERIFY(window.progressBar->isHidden() && window.ui->btnDrainGlobal->isHidden());

        QVERIFY(queue(window,
                      {drainRow(7, QStringLiteral("odd"), QStringLiteral("a")),
                       drainRow(8, QStringLiteral("Q2"), QStringLiteral("a"))}));
        window.drainGlobalClicked();
        QTRY_VERIFY(window.progressBar->isHidden());
        QCOMPARE(sqlRows(window.db, QStringLiteral("select CODE_BARRE from VIDANGE")), QStringList{"odd"});
        QCOMPARE(m_server->requests(QStringLiteral("61")).size(), 1);
    }
};

TAVRIMEX_TEST_MAIN(TestDrain)
#include "TestDrain.moc"
