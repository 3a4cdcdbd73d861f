#include "core/CAffichage.h"
#include "core/CParam.h"
#include "session/CRepWidget.h"
#include "ui/MainWindow.h"
#include "ui/MessageDlg.h"
#include "ui/ProgressBar.h"
#include "ui/Ui_MainWindow.h"

#include "BoxRecorder.h"
#include "CoreFixture.h"
#include "TestMain.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalMapper>
#include <QSignalSpy>

#include <memory>

namespace
{

// Every connection the window's constructor makes, in order: sender, signal, slot and
// connection type. "tiles" stands for tile 1 to tile 6, one connection each; "pad" for
// the eleven character keys of the numeric pad.
const char* const kWiring = R"(
btnExit clicked() exitClick() auto
btnConnect clicked() connectionClick() auto
btnConfigAccess clicked() configClick() auto
btnUpdateSoftware clicked() updateSoftwareClick() auto
btnLockFocus clicked() lockFocusClick() auto
btnMinimize clicked() minimizeClick() auto
btnLoginValidation clicked() verifLoginClicked() auto
btnHelpLogin clicked() helpLoginClick() auto
btnHelpPassword clicked() helpPasswordClick() auto
btnHelpAgent clicked() helpAgentClick() auto
editLogin textChanged(QString) editLoginChanged(QString) auto
editPassword textChanged(QString) editLoginChanged(QString) auto
editAgent textChanged(QString) editLoginChanged(QString) auto
tiles selectRep(CDataEvenement,CDataRepresentation) setCurrentRep(CDataEvenement,CDataRepresentation) auto
tiles signalProgressText(QString) actionUpdateProgressText(QString) auto
tiles signalProgressValue(uint) actionUpdateProgressValue(uint) auto
tiles signalProgressMax(uint) actionUpdateProgressMax(uint) auto
tiles signalProgressShow(bool) actionShowProgress(bool) auto
tiles signalPageEnable(bool) actionPageEnable(bool) auto
tiles signalDownloadProgress(qint64,qint64) actionDownloadProgress(qint64,qint64) direct
tiles signalDrainNeeded() actionDrainNeeded() direct
tiles signalError(QString,QString) displayMessage(QString,QString) direct
btnRepNextPage clicked() repNextPageClicked() auto
btnRepPrevPage clicked() repPrevPageClicked() auto
btnStartScan clicked() startScanClicked() auto
btnLoadFile clicked() loadFileClicked() auto
btnRefreshListRep clicked() refreshListRepClicked() auto
btnDrainGlobal clicked() drainGlobalClicked() auto
btnLocalTicket clicked() localTicketPageClicked() auto
threadEvt finished() actionGetEventsTerminated() auto
threadEvt signalProgressText(QString) actionUpdateProgressText(QString) auto
threadEvt signalProgressValue(uint) actionUpdateProgressValue(uint) auto
threadEvt signalProgressMax(uint) actionUpdateProgressMax(uint) auto
webCam signalBarcode(QString) checkBarcode(QString) auto
btnActiveWebcam clicked() activeWebcamClicked() auto
btnChangeRep clicked() changeRepClicked() auto
btnPunch clicked() punchClicked() auto
btnSignalFraude clicked() signalFraudeClicked() auto
btnSwitchDirectPunch clicked() switchPunchReadClicked() auto
btnResultNbPlace clicked() displayTarifClicked() auto
pad clicked() map() auto
padMapper mapped(QString) padNumClicked(QString) auto
btnPadNumValide clicked() padNumValidateClicked() auto
btnPadNumSearch clicked() padNumSearchClicked() auto
btnPadNumBack clicked() padNumBackClicked() auto
btnPadNumAlpha clicked() padNumAlphaClicked() auto
keyboardScan btnKeyClicked(QString) keyboardKeyClicked(QString) auto
keyboardScan btnEnterClicked() keyboardEnterClicked() auto
keyboardScan btnExitClicked() keyboardExitClicked() auto
keyboardScan btnBackClicked() keyboardBackClicked() auto
threadGetDelta finished() actionGetDeltaTerminated() auto
threadGetDelta signalProgressShow(bool) actionShowProgress(bool) auto
threadGetDelta signalProgressText(QString) actionUpdateProgressText(QString) auto
threadGetDelta signalProgressValue(uint) actionUpdateProgressValue(uint) auto
threadGetDelta signalProgressMax(uint) actionUpdateProgressMax(uint) auto
threadGetDelta signalError(QString,QString) displayMessage(QString,QString) queued
threadGetDelta signalNbTicket(int,int) updateNbTicket(int,int) queued
btnSearch clicked() searchClicked() auto
editSearch textChanged(QString) editSearchChanged(QString) auto
btnSearchBackToScan clicked() backToScanClicked() auto
tableSearchResult cellDoubleClicked(int,int) resultDoubleClicked(int,int) auto
keyboardSearch btnKeyClicked(QString) keyboardSearchKeyClicked(QString) auto
keyboardSearch btnEnterClicked() keyboardSearchEnterClicked() auto
keyboardSearch btnExitClicked() keyboardSearchExitClicked() auto
keyboardSearch btnBackClicked() keyboardSearchBackClicked() auto
btnParamSave clicked() saveParamClicked() auto
btnParamCancel clicked() cancelParamClicked() auto
btnParamBack clicked() backParamClicked() auto
btnParamConfigNextPage clicked() nextParamClicked() auto
btnParamConfigPrevPage clicked() previousParamClicked() auto
btnParamBack2 clicked() backParamClicked() auto
btnParamAdvance clicked() advancedParamClicked() auto
btnParamBackAdvanced clicked() backAdvancedParamClicked() auto
btnParamTactil clicked() tactilParamClicked() auto
btnParamDirectSearch clicked() directSearchParamClicked() auto
btnParamDiffPunch clicked() diffPunchParamClicked() auto
btnParamRepJour clicked() repJourParamClicked() auto
btnParamUnpunch clicked() unpunchParamClicked() auto
btnParamFrench clicked() frenchParamClicked() auto
btnParamEnglish clicked() englishParamClicked() auto
btnParamSpanish clicked() spanishParamClicked() auto
editParamUrl textChanged(QString) editParamUrlChanged(QString) auto
btnParamHideRecapTicket clicked() hideRecapTicketParamClicked() auto
btnParamLocalTicket clicked() localTicketParamClicked() auto
editParamProxy textChanged(QString) editParamProxyChanged(QString) auto
editParamTimeOut textChanged(QString) editParamTimeOutChanged(QString) auto
btnGetUpdate clicked() getUpdateClicked() auto
btnCancelUpdate clicked() cancelUpdateClicked() auto
btnLocalTicketBackToRep clicked() backToRepClicked() auto
btnCancelTicketLocal clicked() cancelTicketClicked() auto
btnAddTicketLocal clicked() addTicketClicked() auto
tableLocalTicketResult cellDoubleClicked(int,int) localTicketDoubleClicked(int,int) auto
tableLocalTicketResult cellClicked(int,int) localTicketClicked(int,int) auto
MessageDlg signalAck() ackMessage() auto
SaisieDlg signalCancel() cancelSaisie() auto
SaisieDlg signalValideCombo(uint) valideSaisieDlg(uint) auto
SaisieDlg signalValideEdit(QString) valideSaisieEdit(QString) auto
pingTimer timeout() timerPing() direct
focusTimer timeout() timerFocus() direct
deltaTimer timeout() timerDelta() direct
shortcutReturn activated() returnKeyPressed() auto
shortcutEnter activated() returnKeyPressed() auto
shortcutF5 activated() F5KeyPressed() auto
shortcutQuit activated() exitClick() auto
)";

const QStringList kPadKeys = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "Virgule"};

QLabel* progressText(MainWindow* w)
{
    return w->progressBar->findChild<QLabel*>(QStringLiteral("lblWaiting"));
}

QProgressBar* progressBar(MainWindow* w)
{
    return w->progressBar->findChild<QProgressBar*>(QStringLiteral("pbWaiting"));
}

}  // namespace

class TestWiring : public QObject
{
    Q_OBJECT

    std::unique_ptr<BoxRecorder> m_boxes;
    std::unique_ptr<MainWindow> m_window;
    QString m_textWhenMessageShown;

private slots:

    void initTestCase()
    {
        fixture::initQuietCore();
        m_boxes = std::make_unique<BoxRecorder>();
    }

    // A window for each test, but one for all the rows of the table.
    void init()
    {
        gParam->initParametre(LANGUE, QStringLiteral("0"));
        if (!m_window || QTest::currentTestFunction() != QLatin1String("wiringTable")) {
            m_window = std::make_unique<MainWindow>();
        }
        QVERIFY(!m_window->isStartFailed);
    }

    void cleanupTestCase()
    {
        m_window.reset();
        QVERIFY(m_boxes->entries().isEmpty());
    }

    void wiringTable_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("connection");
        QStringList rows;
        for (const QString& line : QString::fromLatin1(kWiring).split(u'\n', Qt::SkipEmptyParts)) {
            const QString sender = line.section(u' ', 0, 0);
            const QString rest = line.section(u' ', 1);
            if (sender == QLatin1String("tiles")) {
                for (int tile = 1; tile <= 6; ++tile) {
                    rows << QStringLiteral("repWidget%1 ").arg(tile) + rest;
                }
            } else if (sender == QLatin1String("pad")) {
                for (const QString& key : kPadKeys) {
                    rows << QStringLiteral("btnPadNum") + key + u' ' + rest;
                }
            } else {
                rows << line;
            }
        }
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
        QString recorded;
        if (row < m_window->wiredConnections.size()) {
            const MainWindow::WiredConnection& c = m_window->wiredConnections.at(row);
            const char* type = c.type == Qt::DirectConnection   ? "direct"
                               : c.type == Qt::QueuedConnection ? "queued"
                               : c.type == Qt::AutoConnection   ? "auto"
                                                                : "other";
            recorded =
                QStringList{c.sender, QString::fromLatin1(c.signal), QString::fromLatin1(c.slot), type}.join(u' ');
            // Qt 6 spells clicked() with its default argument, mapped(QString) as
            // mappedString(QString), and qint64 as qlonglong.
            recorded.replace(QStringLiteral("clicked(bool)"), QStringLiteral("clicked()"))
                .replace(QStringLiteral("mappedString("), QStringLiteral("mapped("))
                .replace(QStringLiteral("qlonglong"), QStringLiteral("qint64"));
        }
        QCOMPARE(recorded, connection);
    }

    // Each of the eleven character keys gives the pad's slot its text, once.
    void padKeysMapToTheirText()
    {
        QSignalSpy mapped(m_window->padMapper, &QSignalMapper::mappedString);
        QStringList texts;
        for (const QString& key : kPadKeys) {
            m_window->findChild<QPushButton*>(QStringLiteral("btnPadNum") + key)->click();
        }
        for (const QList<QVariant>& emitted : std::as_const(mapped)) {
            texts << emitted.at(0).toString();
        }
        QCOMPARE(texts.join(QString()), QStringLiteral("0123456789,"));
    }

    // A worker's signals arrive through the loop in their order: the delta worker's
    // error comes after the progress emitted before it.
    void workersReachTheRelaysInOrder()
    {
        MainWindow* window = m_window.get();
        window->show();
        window->messageDlg->installEventFilter(this);
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
        QCOMPARE(m_textWhenMessageShown, QStringLiteral("first"));
        QCOMPARE(progressBar(window)->maximum(), 90);
        QCOMPARE(progressBar(window)->value(), 45);
        QVERIFY(!window->isEnabled());
    }

    void messageCaptionFollowsTheLanguage_data()
    {
        QTest::addColumn<QString>("langue");
        QTest::addColumn<QString>("caption");
        QTest::newRow("French") << "0"
                                << "OK";
        QTest::newRow("Spanish") << "2"
                                 << "Aceptar";
        QTest::newRow("not a number: French") << "x"
                                              << "OK";
    }

    void messageCaptionFollowsTheLanguage()
    {
        QFETCH(QString, langue);
        QFETCH(QString, caption);
        gParam->initParametre(LANGUE, langue);
        m_window->displayMessage(QString(), QString());
        QVERIFY(!m_window->messageDlg->isHidden());
        QCOMPARE(m_window->messageDlg->findChild<QPushButton*>(QStringLiteral("btnMessageDlgAck"))->text(), caption);
    }

    void downloadProgress_data()
    {
        QTest::addColumn<qint64>("value");
        QTest::addColumn<qint64>("max");
        QTest::addColumn<QString>("shown");  // text, value, maximum
        QTest::newRow("size known") << qint64(3) << qint64(30) << gAffichage->getMessage(0, 12) + "|3|30";
        QTest::newRow("size not announced") << qint64(3) << qint64(-1) << "TextLabel|100|1000";
        QTest::newRow("size zero") << qint64(3) << qint64(0) << "TextLabel|100|1000";
    }

    void downloadProgress()
    {
        QFETCH(qint64, value);
        QFETCH(qint64, max);
        QFETCH(QString, shown);
        emit m_window->repWidgets[4]->signalDownloadProgress(value, max);
        QCOMPARE(QStringLiteral("%1|%2|%3")
                     .arg(progressText(m_window.get())->text())
                     .arg(progressBar(m_window.get())->value())
                     .arg(progressBar(m_window.get())->maximum()),
                 shown);
    }

protected:
    // Watches the message dialog.
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            m_textWhenMessageShown = progressText(m_window.get())->text();
        }
        return false;
    }
};

TAVRIMEX_TEST_MAIN(TestWiring)
#include "TestWiring.moc"
