#include "control/CWebCam.h"
#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "ui/CKeyboardWidget.h"
#include "ui/DesignStyleSheet.h"
#include "ui/KeyboardLayout.h"
#include "ui/MainWindow.h"
#include "ui/MessageDlg.h"
#include "ui/OpaqueBackdrop.h"
#include "ui/SaisieDlg.h"
#include "ui/Ui_MainWindow.h"

#include "CoreFixture.h"
#include "NetFixture.h"
#include "ScanFixture.h"
#include "TestMain.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

using namespace Qt::StringLiterals;
using namespace scanfixture;

namespace
{

const QList<TicketRow> kTickets{
    {u"DEL"_s, 7, 2, 1, 1},
    {u"USED"_s, 7, 1, 0},
    {u"ZERO"_s, 7, 0},
    {u"ONE"_s, 7, 1},
    {u"MULTI"_s, 7, 3},
    {u"LOC"_s, EDITEUR_LOCAL_ID, 1},
    {u"A 1"_s, 7, 1},
    {u"TWICE"_s, 7, 2},
    {u"TWICE"_s, EDITEUR_LOCAL_ID, 1},
    {u"Mixed"_s, 7, 2},
    {u"MIXED"_s, 7, 1},
};

const QString kJournal = u"select TYPE||'|'||STATUS||'|'||AGENT_ID||'|'||length(DATE) from MODIF order by ID"_s;

QString nbOf(MainWindow& window, const QString& code, unsigned int editeur = 7)
{
    return rows(window,
                u"select NB_COMPOSTAGE from BILLET where CODE_BARRE='%1' and EDITEUR_ID=%2"_s.arg(code).arg(editeur))
        .value(0);
}

// The colour a panel is painted in, read in a corner free of text.
QString colourOf(QWidget* panel)
{
    const QColor colour = panel->grab().toImage().pixelColor(620, 265);
    return colour.green() > colour.red() + 40 ? u"green"_s : colour.red() > colour.green() + 40 ? u"red"_s : u"slate"_s;
}

QString panelColour(MainWindow& window)
{
    return colourOf(window.ui->widgetScanResult);
}

// The panel's colour as last painted on the screen; grab() would paint it anew.
QString screenColour(MainWindow& window)
{
    const QPoint corner = window.ui->widgetScanResult->mapTo(&window, QPoint(620, 265));
    const QColor colour = window.screen()->grabWindow(window.winId()).toImage().pixelColor(corner);
    return colour.green() > colour.red() + 40 ? u"green"_s : colour.red() > colour.green() + 40 ? u"red"_s : u"slate"_s;
}

// A widget of the scan page by object name, or a key of its keyboard: "key A", "key back", "key exit".
QWidget* scanPageWidget(MainWindow& window, const QString& name)
{
    if (!name.startsWith(u"key "_s)) {
        return window.findChild<QWidget*>(name);
    }
    const QString key = name.mid(4);
    for (const KeyboardKey& k : kKeyboardKeys) {
        const bool match = key == u"back"_s   ? k.action == KeyboardKeyAction::Back
                           : key == u"exit"_s ? k.action == KeyboardKeyAction::Exit
                                              : key == QLatin1String(k.text);
        if (match) {
            return window.keyboardScan->childAt(k.x + k.w / 2, k.y + k.h / 2);
        }
    }
    return nullptr;
}

// "flash" and its colour while the result stack shows the flash, else "panel".
QString resultPage(MainWindow& window)
{
    return window.ui->stackedWidgetResult->currentIndex() == 1 ? u"flash "_s + colourOf(window.ui->widgetScanFlash)
                                                               : u"panel"_s;
}

// As the flash's timer fires it.
void endFlash(MainWindow& window)
{
    QVERIFY(QMetaObject::invokeMethod(&window.resultFlash.timer, "timeout"));
}

QStringList column(QTableWidget* table, int index)
{
    QStringList texts;
    for (int row = 0; row < table->rowCount(); ++row) {
        texts.append(table->item(row, index)->text());
    }
    texts.sort();
    return texts;
}

void fillForm(MainWindow& window, const QString& barcode, const QString& name, const QString& nb)
{
    window.ui->editBarcodeLocal->setText(barcode);
    window.ui->editNameLocal->setText(name);
    window.ui->editFirstnameLocal->setText(u"Léa"_s);
    window.ui->editPlaceLocal->setText(u"B12"_s);
    window.ui->editNbPunchLocal->clear();
    QTest::keyClicks(window.ui->editNbPunchLocal, nb);
    window.ui->comboRepLocal->setCurrentIndex(window.ui->comboRepLocal->findData(12u));
}

const QString kLocalRows =
    u"select CODE_BARRE||'|'||NOM_PORTEUR||'|'||NOM_ACHETEUR||'|'||NB_COMPOSTAGE||'|'||REP_ID from BILLET "
    "where EDITEUR_ID=99999999 order by CODE_BARRE"_s;

QString cachePath(const QString& name)
{
    return appFolder() + u"/img/"_s + name;
}

// The pictures are plain colours: the middle pixel tells them apart.
QRgb middle(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    return rgb.pixel(rgb.width() / 2, rgb.height() / 2);
}

}  // namespace

class TestScan : public ScanTestBase
{
    Q_OBJECT

    std::unique_ptr<standin::StandinServer> m_server;
    std::unique_ptr<MainWindow> m_window;

    QRgb shown() const
    {
        return middle(m_window->ui->lblResultImg->pixmap().toImage());
    }

    QRgb noPicture() const
    {
        return middle(QPixmap(u":/design/kestrova/noPicture.png"_s)
                          .scaled(m_window->ui->lblResultImg->size(), Qt::KeepAspectRatio)
                          .toImage());
    }

    qsizetype requests() const
    {
        return m_server->requests(u"image"_s).size();
    }

    // Tickets P1 to P4 show p1.png to p4.png, served by the stand-in of the service.
    void startPictures()
    {
        m_server = netfixture::startStandin();
        QVERIFY(m_server);
        // The window's first ping goes to the stand-in: a failed one would turn the session offline.
        m_window =
            startScanning({{u"P1"_s, 7, 5}, {u"P2"_s, 7, 5}, {u"P3"_s, 7, 5}, {u"P4"_s, 7, 5}}, m_server->serviceUrl());
        netfixture::setSession(m_server->serviceUrl());
        gParam->isDirectPunch = false;
        gParam->isOnline = true;
        for (const QString& name : {u"p1.png"_s, u"p2.png"_s, u"p3.png"_s, u"p4.png"_s}) {
            QFile::remove(cachePath(name));
        }
        QVERIFY(run(*m_window,
                    u"update BILLET set IMAGE='%1p'||substr(CODE_BARRE, 2)||'.png'"_s.arg(m_server->imageUrl({}))));
    }

private slots:

    void init()
    {
        m_boxes->clear();
    }

    void cleanup()
    {
        m_window.reset();
        m_server.reset();
    }

    // "verdict|buttons offered|colour|sound|entries stored|journal row": no NB for no such ticket.
    void verdicts_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("directPunch");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("deleted") << u"DEL"_s << true << u"47|f|red|2|2|"_s;
        QTest::newRow("not usable") << u"USED"_s << true << u"46|f|red|2|1|"_s;
        QTest::newRow("no entry left") << u"ZERO"_s << true << u"46|f|red|2|0|"_s;
        QTest::newRow("valid, read mode") << u"ONE"_s << false << u"45|pf|green|0|1|"_s;
        QTest::newRow("valid, last entry") << u"ONE"_s << true << u"64|f|green|1|0|3|1|A7|19"_s;
        QTest::newRow("valid, entries left") << u"MULTI"_s << true << u"64|f|green|1|2|8|1|A7|19"_s;
        QTest::newRow("local ticket") << u"LOC"_s << true << u"64|f|green|1|0|3|0|A7|19"_s;
        QTest::newRow("quote read as a blank") << u"A'1"_s << true << u"64|f|green|1|0|3|1|A7|19"_s;
        QTest::newRow("blanks around") << u"  ONE "_s << true << u"64|f|green|1|0|3|1|A7|19"_s;
        QTest::newRow("unknown") << u"NOPE"_s << true << u"48||red|2||"_s;
        QTest::newRow("another differs in case") << u"Mixed"_s << true << u"64|f|green|1|1|8|1|A7|19"_s;
        QTest::newRow("other case") << u"one"_s << true << u"48||red|2||"_s;
        QTest::newRow("wildcards") << u"O%_"_s << true << u"48||red|2||"_s;
    }

    // Typed and sent with Return as a reader does; at most one entry used, with its journal row.
    void verdicts()
    {
        QFETCH(QString, typed);
        QFETCH(bool, directPunch);
        QFETCH(QString, outcome);
        auto window = startScanning(kTickets);
        gParam->isDirectPunch = directPunch;
        gParam->initParametre(MY_AGENT_ID, u"A7"_s);
        scan(*window, typed);
        QCOMPARE(status(*window), label(outcome.section(u'|', 0, 0).toInt()));
        const QString code = typed.trimmed() == u"A'1"_s ? u"A 1"_s : typed.trimmed();
        const QString buttons = QString::fromLatin1(window->ui->btnPunch->isHidden() ? "" : "p")
                                + (window->ui->btnSignalFraude->isHidden() ? "" : "f");
        QCOMPARE(QStringList({buttons,
                              panelColour(*window),
                              QString::number(int(window->lastSound)),
                              nbOf(*window, code, typed == u"LOC"_s ? EDITEUR_LOCAL_ID : 7),
                              rows(*window, kJournal).join(u',')})
                     .join(u'|'),
                 outcome.section(u'|', 1));
        QVERIFY(window->ui->editBarcode->text().isEmpty());
        QVERIFY(m_boxes->entries().isEmpty());
    }

    // Two issuers sold the barcode: the agent picks one; a new barcode drops the question, and
    // under it the ticket shown before can no longer be acted on.
    void issuerChoice()
    {
        auto window = startScanning(kTickets);
        gParam->isDirectPunch = false;
        scan(*window, u"MULTI"_s);
        gParam->isDirectPunch = true;
        scan(*window, u"TWICE"_s);
        QVERIFY(window->saisieDlg->isVisible());
        QCOMPARE(window->saisieDlg->goal(), 1);
        QVERIFY(status(*window).isEmpty() && window->ui->lblResultName->text().isEmpty());
        QVERIFY(window->ui->btnPunch->isHidden() && window->ui->btnSignalFraude->isHidden());
        window->punchClicked();
        window->signalFraudeClicked();
        auto* combo = window->saisieDlg->findChild<QComboBox*>();
        QVERIFY(combo && combo->count() == 2);
        QCOMPARE(combo->itemText(combo->findData(7u)), u"Billetterie"_s);
        QVERIFY(rows(*window, kJournal).isEmpty());

        scan(*window, u"ONE"_s);
        QVERIFY(!window->saisieDlg->isVisible());
        QCOMPARE(status(*window), label(64));
        QCOMPARE(nbOf(*window, u"TWICE"_s), u"2"_s);

        scan(*window, u"TWICE"_s);
        combo->setCurrentIndex(combo->findData(EDITEUR_LOCAL_ID));
        window->saisieDlg->sendValue();
        QVERIFY(!window->saisieDlg->isVisible());
        QCOMPARE(status(*window), label(64));
        QCOMPARE(nbOf(*window, u"TWICE"_s, EDITEUR_LOCAL_ID), u"0"_s);
        QCOMPARE(nbOf(*window, u"TWICE"_s), u"2"_s);
        QCOMPARE(rows(*window, u"select CODE_BARRE||'|'||EDITEUR_ID||'|'||STATUS from MODIF order by ID"_s),
                 QStringList({u"ONE|7|1"_s, u"TWICE|99999999|0"_s}));
    }

    // Nothing read is punched, nor the ticket shown before; told when nothing can be written.
    void failures_data()
    {
        QTest::addColumn<QString>("broken");
        QTest::newRow("list unreadable") << u"alter table BILLET rename to BILLET_OLD"_s;
        QTest::newRow("issuer answer without data") << QString();
        QTest::newRow("list read-only") << u"QSQLITE_OPEN_READONLY"_s;
        QTest::newRow("connection off the list") << u"main"_s;
    }

    void failures()
    {
        QFETCH(QString, broken);
        auto window = startScanning(kTickets);
        gParam->isDirectPunch = false;
        scan(*window, u"MULTI"_s);
        gParam->isDirectPunch = true;
        const int punched = window->nbPunched;
        const auto reopen = [&window](const QString& options) {
            window->db.close();
            window->db.setConnectOptions(options);
            return window->db.open();
        };
        QVERIFY(broken.startsWith(u"alter"_s) ? run(*window, broken)
                : broken == u"main"_s         ? openBDD(window->db, window->dbMutex)
                                              : broken.isEmpty() || reopen(broken));
        scan(*window, broken.isEmpty() ? u"TWICE"_s : u"MULTI"_s);
        if (broken.isEmpty()) {
            window->valideSaisieCombo(QVariant());
        }
        QCOMPARE(status(*window), label(100));
        QCOMPARE(panelColour(*window), u"red"_s);
        QCOMPARE(window->lastSound, Son::Ko);
        QVERIFY(window->ui->lblResultName->text().isEmpty() && window->ui->btnPunch->isHidden());
        window->punchClicked();
        QCOMPARE(window->messageDlg->isVisible(), !broken.isEmpty() && !broken.startsWith(u"alter"_s));
        QCOMPARE(window->nbPunched, punched);
        QVERIFY(broken.startsWith(u"alter"_s) ? run(*window, u"alter table BILLET_OLD rename to BILLET"_s)
                : broken == u"main"_s         ? openRepBDD(window->db, window->dbMutex, listPath())
                                              : reopen(QString()));
        QCOMPARE(nbOf(*window, u"MULTI"_s) + nbOf(*window, u"TWICE"_s), u"32"_s);
        QVERIFY(rows(*window, kJournal).isEmpty());
    }

    // Manual actions, each journalled; un-punching only with the setting and for a punched ticket.
    void manualActions()
    {
        auto window = startScanning(kTickets);
        gParam->isDirectPunch = false;
        gParam->initParametre(UNPUNCH, u"0"_s);
        scan(*window, u"ONE"_s);
        window->ui->btnPunch->click();
        QCOMPARE(status(*window), label(64));
        QVERIFY(window->ui->btnPunch->isHidden());
        gParam->initParametre(UNPUNCH, u"1"_s);
        scan(*window, u"ONE"_s);
        window->ui->btnPunch->click();
        QCOMPARE(status(*window), label(65));
        // Un-punched, it has its entry back: it may be punched again, not un-punched twice.
        QCOMPARE(window->ui->btnPunch->text(), label(51));
        window->ui->btnSignalFraude->click();
        QCOMPARE(status(*window), label(103));
        QCOMPARE(panelColour(*window), u"red"_s);
        QVERIFY(window->ui->btnSignalFraude->isHidden());
        QCOMPARE(rows(*window, kJournal), QStringList({u"3|1||19"_s, u"4|1||19"_s, u"99|1||19"_s}));

        // Used up at another entrance since it was read: the stored ticket decides.
        scan(*window, u"MULTI"_s);
        QVERIFY(run(*window, u"update BILLET set NB_COMPOSTAGE=0 where CODE_BARRE='MULTI'"_s));
        window->ui->btnPunch->click();
        QCOMPARE(status(*window), label(46));
        QCOMPARE(rows(*window, kJournal).size(), 3);

        // Taken out of the list since it was read (a reload): unknown, nothing offered.
        scan(*window, u"ONE"_s);
        QVERIFY(run(*window, u"delete from BILLET where CODE_BARRE='ONE'"_s));
        window->ui->btnPunch->click();
        QCOMPARE(status(*window), label(48));
        QVERIFY(window->ui->btnPunch->isHidden());
        QCOMPARE(rows(*window, kJournal).size(), 3);
    }

    // A press on a key or button of the page takes the focus; its release gives it back to
    // the barcode field, where the reader types. "field|pad (0) or keyboard (1) shown".
    void scanPageClicks_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("clicked");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("pad figure") << u"AB"_s << u"btnPadNum7"_s << u"AB7|0"_s;
        QTest::newRow("pad comma") << QString() << u"btnPadNumVirgule"_s << u",|0"_s;
        QTest::newRow("pad backspace") << u"AB12"_s << u"btnPadNumBack"_s << u"AB1|0"_s;
        QTest::newRow("pad backspace, field empty") << QString() << u"btnPadNumBack"_s << u"|0"_s;
        QTest::newRow("pad validate") << u"NOPE"_s << u"btnPadNumValide"_s << u"|0"_s;
        QTest::newRow("keyboard opened") << u"AB"_s << u"btnPadNumAlpha"_s << u"AB|1"_s;
        QTest::newRow("keyboard letter") << u"AB"_s << u"key A"_s << u"ABA|1"_s;
        QTest::newRow("keyboard backspace") << u"AB12"_s << u"key back"_s << u"AB1|1"_s;
        QTest::newRow("keyboard closed") << u"AB"_s << u"key exit"_s << u"AB|0"_s;
        QTest::newRow("seat count") << u"AB"_s << u"btnResultNbPlace"_s << u"AB|0"_s;
        QTest::newRow("punch") << u"AB"_s << u"btnPunch"_s << u"AB|0"_s;
        QTest::newRow("fraud report") << u"AB"_s << u"btnSignalFraude"_s << u"AB|0"_s;
        QTest::newRow("mode switch") << u"AB"_s << u"btnSwitchDirectPunch"_s << u"AB|0"_s;
    }

    void scanPageClicks()
    {
        QFETCH(QString, before);
        QFETCH(QString, clicked);
        QFETCH(QString, outcome);
        auto window = startScanning(kTickets);
        gParam->isDirectPunch = false;
        QVERIFY(run(*window, u"insert into PLACE (CODE_BARRE, TARIF_ID, EDITEUR_ID) values ('MULTI', 3, 7)"_s));
        scan(*window, u"MULTI"_s);
        endFlash(*window);
        if (clicked.startsWith(u"key "_s)) {
            window->padNumAlphaClicked();
        }
        window->ui->editBarcode->setText(before);
        QWidget* target = scanPageWidget(*window, clicked);
        QVERIFY(target && target->isVisible());
        QTest::mousePress(target, Qt::LeftButton);
        QCOMPARE(window->focusWidget(), target);
        QTest::mouseRelease(target, Qt::LeftButton);
        QCOMPARE(window->ui->editBarcode->text() + u'|'
                     + QString::number(window->ui->stackedWidgetScan->currentIndex()),
                 outcome);
        QCOMPARE(window->focusWidget(), window->ui->editBarcode);
    }

    // The mode switch shows its mode in the language of the moment: "language|punch mode".
    void directPunchSwitch_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("shown");
        QTest::newRow("at start") << QStringList() << u"0|1"_s;
        QTest::newRow("read mode") << QStringList{u"click"_s} << u"0|0"_s;
        QTest::newRow("punch mode again") << QStringList{u"click"_s, u"click"_s} << u"0|1"_s;
        QTest::newRow("read mode, then English") << QStringList{u"click"_s, u"1"_s} << u"1|0"_s;
        QTest::newRow("Spanish, then read mode") << QStringList{u"2"_s, u"click"_s} << u"2|0"_s;
        QTest::newRow("read mode, Spanish, punch mode") << QStringList{u"click"_s, u"2"_s, u"click"_s} << u"2|1"_s;
    }

    void directPunchSwitch()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, shown);
        auto window = startScanning(kTickets);
        for (const QString& step : steps) {
            if (step == u"click"_s) {
                QTest::mouseClick(window->ui->btnSwitchDirectPunch, Qt::LeftButton);
            } else {
                gParam->initParametre(LANGUE, step);
                window->changeLangue(step.toInt());
            }
        }
        const int language = shown.section(u'|', 0, 0).toInt();
        const bool punchMode = shown.section(u'|', 1) == u"1"_s;
        QCOMPARE(bool(gParam->isDirectPunch), punchMode);
        QCOMPARE(window->ui->btnSwitchDirectPunch->text(), gAffichage->getTraduction(language, punchMode ? 36 : 37));
        QCOMPARE(window->ui->btnSwitchDirectPunch->styleSheet(),
                 punchMode ? u"background-position: bottom; text-align: left; color: white;"_s
                           : u"background-position: top; text-align: right; color: black"_s);
    }

    // The flash shows over a panel already filled and a punch already written, in the
    // verdict's colour, and gives way to the panel by itself.
    void flash_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("directPunch");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("punched") << u"ONE"_s << true << u"green|64|0|1"_s;
        QTest::newRow("valid, read mode") << u"ONE"_s << false << u"green|45|1|0"_s;
        QTest::newRow("no entry left") << u"ZERO"_s << true << u"red|46|0|0"_s;
        QTest::newRow("unknown") << u"NOPE"_s << true << u"red|48||0"_s;
    }

    void flash()
    {
        QFETCH(QString, typed);
        QFETCH(bool, directPunch);
        QFETCH(QString, outcome);
        auto window = startScanning(kTickets);
        gParam->isDirectPunch = directPunch;
        scan(*window, typed);
        const QString colour = outcome.section(u'|', 0, 0);
        QCOMPARE(resultPage(*window), u"flash "_s + colour);
        QVERIFY(window->resultFlash.timer.isActive());
        QCOMPARE(
            QStringList({panelColour(*window),
                         status(*window),
                         nbOf(*window, typed),
                         QString::number(rows(*window, kJournal).size())})
                .join(u'|'),
            QStringList({colour, label(outcome.section(u'|', 1, 1).toInt()), outcome.section(u'|', 2)}).join(u'|'));
        QTRY_COMPARE(resultPage(*window), u"panel"_s);
        QVERIFY(window->ui->lblResultStatus->isVisible());
    }

    // A ticket read during a flash is judged and punched at once, with a flash of its own;
    // a manual action flashes too.
    void barcodeDuringFlash()
    {
        auto window = startScanning(kTickets);
        scan(*window, u"DEL"_s);
        QCOMPARE(resultPage(*window), u"flash red"_s);
        scan(*window, u"MULTI"_s);
        QCOMPARE(status(*window), label(64));
        QCOMPARE(nbOf(*window, u"MULTI"_s), u"2"_s);
        QCOMPARE(rows(*window, kJournal).size(), 1);
        QCOMPARE(resultPage(*window), u"flash green"_s);
        QVERIFY(window->resultFlash.timer.isActive());
        scan(*window, u"ZERO"_s);
        QCOMPARE(status(*window), label(46));
        QCOMPARE(resultPage(*window), u"flash red"_s);
        endFlash(*window);
        QCOMPARE(resultPage(*window), u"panel"_s);

        gParam->isDirectPunch = false;
        scan(*window, u"ONE"_s);
        endFlash(*window);
        QTest::mouseClick(window->ui->btnPunch, Qt::LeftButton);
        QCOMPARE(status(*window), label(64));
        QCOMPARE(resultPage(*window), u"flash green"_s);
    }

    // Leaving the page or clearing the panel ends the flash at once; back on the page the
    // verdict panel shows.
    void flashEnds_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("search page") << u"search"_s;
        QTest::newRow("settings page") << u"settings"_s;
        QTest::newRow("issuer question") << u"issuer"_s;
        QTest::newRow("scanning started again") << u"start"_s;
    }

    void flashEnds()
    {
        QFETCH(QString, how);
        auto window = startScanning(kTickets);
        scan(*window, u"ONE"_s);
        QCOMPARE(resultPage(*window), u"flash green"_s);
        if (how == u"search"_s) {
            QTest::mouseClick(window->ui->btnPadNumSearch, Qt::LeftButton);
        } else if (how == u"settings"_s) {
            QTest::mouseClick(window->ui->btnConfigAccess, Qt::LeftButton);
            QCOMPARE(window->ui->stackedWidget->currentIndex(), 4);
        } else if (how == u"issuer"_s) {
            scan(*window, u"TWICE"_s);
            QVERIFY(window->saisieDlg->isVisible());
        } else {
            window->startScanClicked();
        }
        QCOMPARE(resultPage(*window), u"panel"_s);
        QVERIFY(!window->resultFlash.timer.isActive());
        if (how == u"search"_s) {
            window->backToScanClicked();
        } else if (how == u"settings"_s) {
            window->cancelParamClicked();
        }
        QCOMPARE(window->ui->stackedWidget->currentIndex(), 2);
        QVERIFY(window->ui->widgetScanResult->isVisible());
    }

    // What the screen shows after the flash: a look changed without a flash (the issuer
    // question clears the panel) is painted too.
    void panelOnScreen_data()
    {
        QTest::addColumn<QStringList>("scanned");
        QTest::addColumn<QString>("colour");
        QTest::newRow("valid") << QStringList{u"MULTI"_s} << u"green"_s;
        QTest::newRow("refused after valid") << QStringList{u"MULTI"_s, u"DEL"_s} << u"red"_s;
        QTest::newRow("issuer question after valid") << QStringList{u"MULTI"_s, u"TWICE"_s} << u"slate"_s;
        QTest::newRow("issuer question after refused") << QStringList{u"DEL"_s, u"TWICE"_s} << u"slate"_s;
    }

    void panelOnScreen()
    {
        QFETCH(QStringList, scanned);
        QFETCH(QString, colour);
        auto window = startScanning(kTickets);
        for (const QString& code : scanned) {
            scan(*window, code);
            endFlash(*window);
            QTRY_COMPARE(screenColour(*window), panelColour(*window));
        }
        QCOMPARE(panelColour(*window), colour);
    }

    // "+": a press on the seat count. Each ticket looked up shows its price list closed,
    // whatever the one before was left at.
    void priceList_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<bool>("open");
        QTest::newRow("closed at first") << u"ONE"_s << false;
        QTest::newRow("a press opens") << u"ONE +"_s << true;
        QTest::newRow("a second press closes") << u"ONE + +"_s << false;
        QTest::newRow("next ticket closed") << u"ONE + MULTI"_s << false;
        QTest::newRow("closed ticket, then the next") << u"ONE + + MULTI +"_s << true;
        QTest::newRow("unknown barcode after") << u"ONE + NOPE"_s << false;
        QTest::newRow("search hit after") << u"ONE + ?MULTI"_s << false;
    }

    void priceList()
    {
        QFETCH(QString, steps);
        QFETCH(bool, open);
        auto window = startScanning(kTickets);
        gParam->isDirectPunch = false;
        QVERIFY(run(*window, u"insert into TARIF (ID, NOM) values (3, 'Plein'), (4, 'Réduit')"_s));
        QVERIFY(run(*window,
                    u"insert into PLACE (CODE_BARRE, TARIF_ID, EDITEUR_ID, PLACEMENT) values "
                    "('ONE', 3, 7, 'A1'), ('MULTI', 3, 7, 'B1'), ('MULTI', 4, 7, 'B2')"_s));
        QString last;
        for (const QString& step : steps.split(u' ')) {
            if (step == u"+"_s) {
                QTest::mouseClick(window->ui->btnResultNbPlace, Qt::LeftButton);
                continue;
            }
            if (step.startsWith(u'?')) {
                window->padNumSearchClicked();
                window->ui->editSearch->setText(step.mid(1));
                window->searchClicked();
                window->resultDoubleClicked(0, 3);
            } else {
                scan(*window, step);
            }
            endFlash(*window);
            last = step.mid(step.startsWith(u'?') ? 1 : 0);
        }
        QCOMPARE(window->ui->lstResultTarif->isVisible(), open);
        if (last != u"NOPE"_s) {
            QCOMPARE(window->ui->btnResultNbPlace->text(),
                     u"x "_s + rows(*window, u"select count(*) from PLACE where CODE_BARRE='%1'"_s.arg(last)).value(0));
            QCOMPARE(window->ui->lstResultTarif->item(0)->text(), last == u"ONE"_s ? u"Plein A1"_s : u"Plein B1"_s);
        }
    }

    // Counted at the start; a punch or un-punch here moves the totals by its change.
    void gauge()
    {
        QList<TicketRow> tickets;
        for (int i = 0; i < 10; ++i) {
            tickets.append({u"G%1"_s.arg(i), 7, i < 3 ? 0u : i == 9 ? 2u : 1u});
        }
        tickets.append({u"GONE"_s, 7, 0, 1, 1});
        auto window = startScanning(tickets);
        const auto gauge = [&window] {
            return window->ui->lblScanJauge->text() + u'|' + QString::number(window->ui->pbJauge->value());
        };
        QCOMPARE(gauge(), label(43) + u"3 / 10|30"_s);
        gParam->initParametre(UNPUNCH, u"1"_s);
        scan(*window, u"G5"_s);
        QCOMPARE(gauge(), label(43) + u"4 / 10|40"_s);
        window->ui->btnPunch->click();
        QCOMPARE(gauge(), label(43) + u"3 / 10|30"_s);
        // An entry left after the punch: not used up, nor after its un-punch.
        scan(*window, u"G9"_s);
        window->ui->btnPunch->click();
        QCOMPARE(status(*window), label(65));
        QCOMPARE(gauge(), label(43) + u"3 / 10|30"_s);

        auto empty = startScanning({});
        QCOMPARE(empty->ui->lblScanJauge->text(), label(43) + u"0 / 0"_s);
        QCOMPARE(empty->ui->pbJauge->value(), 0);
    }

    // Another entrance deletes D2 and uses D3's last entry; the delta is answered while
    // another page shows and the cycle ends offline. The scan page shown again counts the list.
    void gaugeAfterOtherPage_data()
    {
        QTest::addColumn<QString>("back");
        QTest::newRow("search page, back button") << u"button"_s;
        QTest::newRow("search page, a hit opened") << u"hit"_s;
        QTest::newRow("update page, cancel") << u"update"_s;
    }

    void gaugeAfterOtherPage()
    {
        QFETCH(QString, back);
        auto window = startScanning({{u"D1"_s, 7, 0}, {u"D2"_s, 7, 1}, {u"D3"_s, 7, 1}, {u"D4"_s, 7, 2}});
        window->deltaTimer.stop();
        QCOMPARE(window->ui->lblScanJauge->text(), label(43) + u"1 / 4"_s);
        if (back == u"update"_s) {
            window->updateSoftwareClick();
        } else {
            QTest::mouseClick(window->ui->btnPadNumSearch, Qt::LeftButton);
        }
        QVERIFY(window->ui->stackedWidget->currentIndex() != 2);

        const QByteArray delta = R"({"modifs":{"D2":[{"0":7,"4":1,"5":"20240501203000","9":"B2"}],)"
                                 R"("D3":[{"0":7,"4":3,"5":"20240501203000","9":"B2"}]}})";
        window->threadGetDelta.setData(delta, window->dbMutex, window->db, true);
        window->threadGetDelta.start();
        QTRY_VERIFY(window->deltaTimer.isActive());
        QCOMPARE(rows(*window, u"select sum(NB_COMPOSTAGE=0)||' / '||count(*) from BILLET where IS_DELETED=0"_s),
                 QStringList{u"2 / 3"_s});

        if (back == u"button"_s) {
            QTest::mouseClick(window->ui->btnSearchBackToScan, Qt::LeftButton);
        } else if (back == u"update"_s) {
            QTest::mouseClick(window->ui->btnCancelUpdate, Qt::LeftButton);
        } else {
            window->ui->editSearch->setText(u"D4"_s);
            window->searchClicked();
            window->resultDoubleClicked(0, 3);
            QCOMPARE(status(*window), label(45));
        }
        QCOMPARE(window->ui->stackedWidget->currentIndex(), 2);
        QCOMPARE(window->ui->lblScanJauge->text(), label(43) + u"2 / 3"_s);
        QCOMPARE(window->ui->pbJauge->value(), 66);
    }

    // Switched off before scanning, the camera stays off and its mark says so.
    void webcamOffAtStart()
    {
        auto window = startScanning(kTickets);
        QVERIFY(!gParam->isWebcam && !window->webCam->isCapturing());
        QCOMPARE(window->ui->lblWebcamStatus->styleSheet(), u"background-position: bottom;"_s);
    }

    // The newest entry's line; with DIFF_PUNCH the time since the punch before the one just made.
    void ticketTexts_data()
    {
        QTest::addColumn<QStringList>("history");
        QTest::addColumn<bool>("directPunch");
        QTest::addColumn<QString>("diff");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("previous");
        const QString ago = u"-2 days', '-3 hours', '-5 minutes', '-30 seconds"_s;
        const QString since = u"2 jours 3 heures 5 min"_s;
        QTest::newRow("read, newest first")
            << QStringList{u"3|2024-05-01 20:15:00"_s, u"4|2024-05-01 21:30:00"_s} << false << u"0"_s
            << label(66) + u"01/05/2024 21:30\n"_s + label(58).trimmed() + u" 01/05/2024 21:30 "_s + label(145)
            << QString();
        QTest::newRow("read, time since the newest punch")
            << QStringList{u"3|-1 days', '-1 hours', '-5 minutes', '-30 seconds"_s, u"99|-1 minutes"_s} << false
            << u"1"_s << QString() << u"1 jour 1 heure 5 min"_s;
        QTest::newRow("punched, time since the one before")
            << QStringList{u"3|"_s + ago} << true << u"1"_s << QString() << since;
        QTest::newRow("punched, none before") << QStringList{u"4|"_s + ago} << true << u"1"_s << QString() << QString();
        QTest::newRow("punched, setting off") << QStringList{u"3|"_s + ago} << true << u"0"_s << QString() << QString();
    }

    void ticketTexts()
    {
        QFETCH(QStringList, history);
        QFETCH(bool, directPunch);
        QFETCH(QString, diff);
        QFETCH(QString, last);
        QFETCH(QString, previous);
        auto window = startScanning(kTickets);
        for (const QString& entry : history) {
            const QString date = entry.section(u'|', 1);
            QVERIFY(run(
                *window,
                u"insert into MODIF (TYPE, CODE_BARRE, EDITEUR_ID, DATE) values (%1, 'MULTI', 7, %2)"_s.arg(
                    entry.section(u'|', 0, 0),
                    date.startsWith(u'-') ? u"datetime('now', 'localtime', '%1')"_s.arg(date) : u"'%1'"_s.arg(date))));
        }
        gParam->isDirectPunch = directPunch;
        gParam->initParametre(DIFF_PUNCH, diff);
        scan(*window, u"MULTI"_s);
        if (!last.isEmpty()) {
            QCOMPARE(window->ui->lblResultLastPunch->text() + u'\n' + window->ui->lstInfoHist->item(0)->text(), last);
        }
        QCOMPARE(window->ui->lblResultDiffPrevPunch->text(), previous.isEmpty() ? previous : label(73) + previous);
        QCOMPARE(window->ui->lblResultDiffPrevPunch->isHidden(), previous.isEmpty());
    }

    // Nothing starts without the performance's database; with it, the page waits for a ticket.
    void startOfScanning()
    {
        MainWindow window;
        window.ui->stackedWidget->setCurrentIndex(1);
        window.startScanClicked();
        QCOMPARE(window.ui->stackedWidget->currentIndex(), 1);
        QVERIFY(!window.focusTimer.isActive() && !window.deltaTimer.isActive());

        auto scanning = startScanning(kTickets);
        QCOMPARE(scanning->ui->stackedWidget->currentIndex(), 2);
        QVERIFY(scanning->focusTimer.isActive() && scanning->deltaTimer.isActive() && !scanning->isRepPageRequested);
        QCOMPARE(scanning->focusWidget(), scanning->ui->editBarcode);
        QVERIFY(status(*scanning).isEmpty() && scanning->ui->lblResultName->text().isEmpty());
        QVERIFY(scanning->ui->btnPunch->isHidden() && scanning->ui->btnSignalFraude->isHidden());
    }

    // After each verdict, language or style sheet the page shows what a fresh window shows.
    void lookAfterChanges()
    {
        const QList<TicketRow> tickets{{u"ONE"_s, 7, 1, 1, 0, 1, u"Ada"_s, u"Lovelace"_s},
                                       {u"MULTI"_s, 7, 3, 1, 0, 2, u"Grace"_s, u"Hopper"_s},
                                       {u"DEL"_s, 7, 2, 1, 1, 3, u"Alan"_s, u"Turing"_s}};
        const QString sheet =
            designStyleSheet()
            + u"QLabel#lblResultName { color: yellow; } QWidget#widgetScanBar { background: #fed; }"_s;

        const QList<std::tuple<int, bool, QString>> steps{{0, false, u"ONE"_s},
                                                          {1, false, u"NOPE"_s},
                                                          {2, false, u"DEL"_s},
                                                          {2, true, u"ONE"_s},
                                                          {1, true, u"MULTI"_s}};
        const int flashTime = QApplication::cursorFlashTime();
        QApplication::setCursorFlashTime(0);
        const auto bringTo = [&sheet](MainWindow& window, const std::tuple<int, bool, QString>& step) {
            const auto& [language, newSheet, code] = step;
            gParam->isDirectPunch = false;
            if (newSheet && window.styleSheet() != sheet) {
                window.setStyleSheet(sheet);
            }
            gParam->initParametre(LANGUE, QString::number(language));
            window.changeLangue(language);
            scan(window, code);
            endFlash(window);
            QCoreApplication::processEvents();
            return window.ui->pageScanWebcam->grab().toImage();
        };
        // Each window starts on a new list database: the fresh ones first, without pictures.
        QList<QImage> expected;
        for (const auto& step : steps) {
            auto fresh = startScanning(tickets);
            qDeleteAll(fresh->findChildren<OpaqueBackdrop*>());
            expected.append(bringTo(*fresh, step));
        }
        auto window = startScanning(tickets);
        for (int i = 0; i < steps.size(); ++i) {
            QVERIFY2(bringTo(*window, steps[i]) == expected[i], qPrintable(std::get<2>(steps[i])));
        }
        QApplication::setCursorFlashTime(flashTime);
    }

    // Local tickets all have ID 0, none lost; any script found; a hit opens read, never punched.
    void search()
    {
        auto window = startScanning({
            {u"S1"_s, 7, 1, 1, 0, 1, u"Zoë"_s, u"Дмитриев"_s},
            {u"S2"_s, EDITEUR_LOCAL_ID, 1, 1, 0, 0, u"Ana"_s, u"Дмитрий"_s},
            {u"S3"_s, EDITEUR_LOCAL_ID, 0, 1, 0, 0, u"Bo"_s, u"Smith"_s},
        });
        QVERIFY(run(*window, u"insert into EDITEUR (ID, NOM) values (99999999, 'En local')"_s));
        QTest::mouseClick(window->ui->btnPadNumSearch, Qt::LeftButton);
        QCOMPARE(window->ui->stackedWidget->currentIndex(), 3);
        QVERIFY(window->ui->tableSearchResult->isHidden() && window->ui->lblEmptyResult->isHidden());
        QCOMPARE(window->ui->widgetSearchResult->geometry().bottom() + 1, 690);

        QTest::keyClick(window->ui->editSearch, Qt::Key_Return);
        QCOMPARE(column(window->ui->tableSearchResult, 3), QStringList({u"S1"_s, u"S2"_s, u"S3"_s}));
        QCOMPARE(column(window->ui->tableSearchResult, 1), QStringList({label(46), label(45), label(45)}));

        window->ui->editSearch->setText(u"Дми"_s);
        QTest::keyClick(window->ui->editSearch, Qt::Key_Return);
        QCOMPARE(column(window->ui->tableSearchResult, 2), QStringList({u"Ana Дмитрий"_s, u"Zoë Дмитриев"_s}));

        window->ui->editSearch->setText(u"nobody"_s);
        window->searchClicked();
        QVERIFY(window->ui->tableSearchResult->isHidden());
        QCOMPARE(window->ui->lblEmptyResult->text(), label(71));

        window->ui->editSearch->setText(u"S2"_s);
        window->searchClicked();
        window->resultDoubleClicked(0, 3);
        QCOMPARE(window->ui->stackedWidget->currentIndex(), 2);
        QCOMPARE(status(*window), label(45));
        QVERIFY(rows(*window, u"select * from MODIF"_s).isEmpty());
    }

    // More than 500 hits ask for more letters rather than fill the table.
    void searchCap()
    {
        QList<TicketRow> tickets;
        for (int i = 0; i <= 500; ++i) {
            tickets.append({u"C%1"_s.arg(i)});
        }
        auto window = startScanning(tickets);
        window->padNumSearchClicked();
        window->ui->editSearch->setText(u"C"_s);
        window->searchClicked();
        QVERIFY(window->ui->tableSearchResult->isHidden());
        QCOMPARE(window->ui->lblEmptyResult->text(), label(72));
        QVERIFY(run(*window, u"delete from BILLET where CODE_BARRE='C0'"_s));
        window->searchClicked();
        QVERIFY(window->ui->lblEmptyResult->isHidden());
        QCOMPARE(window->ui->tableSearchResult->rowCount(), 500);
    }

    // Add (trimmed), replace (whatever the case) and delete the ticket asked for, even when the
    // table changed meanwhile; the same barcode of another issuer stays.
    void localTickets()
    {
        auto window = startScanning({{u"K 1"_s, 7, 1}});
        gParam->initParametre(USE_LOCAL_TICKET, u"1"_s);
        window->ui->stackedWidget->setCurrentIndex(1);
        const auto message = [&window] {
            window->ackMessage();
            return window->messageDlg->findChild<QLabel*>(u"lblMessageDlgInfo"_s)->text();
        };
        // No performance: no page; a barcode and a performance are asked for before storing.
        const QString list = std::exchange(window->currentRepDbName, QString());
        window->localTicketPageClicked();
        QCOMPARE(message(), gAffichage->getMessage(0, 32));
        QCOMPARE(window->ui->stackedWidget->currentIndex(), 1);
        window->currentRepDbName = list;
        window->localTicketPageClicked();
        QCOMPARE(window->ui->stackedWidget->currentIndex(), 6);
        for (const auto& [barcode, rep, shown] : {std::tuple(u" "_s, 1, 31), std::tuple(u"K 2"_s, 0, 32)}) {
            fillForm(*window, barcode, u"Durand"_s, u"1"_s);
            window->ui->comboRepLocal->setCurrentIndex(rep);
            window->messageDlg->findChild<QLabel*>(u"lblMessageDlgInfo"_s)->clear();
            window->addTicketClicked();
            QCOMPARE(message(), gAffichage->getMessage(0, shown));
        }
        QVERIFY(rows(*window, kLocalRows).isEmpty());
        QCOMPARE(window->ui->comboRepLocal->count(), 2);
        QCOMPARE(window->ui->lblLocalTicketResult->text(), label(71));

        fillForm(*window, u"  K 1 "_s, u"Durand"_s, u"1000"_s);
        window->addTicketClicked();
        fillForm(*window, u"ABC"_s, u"Martin"_s, u"2"_s);
        window->addTicketClicked();
        QCOMPARE(rows(*window, kLocalRows), QStringList({u"ABC|Martin|Martin|2|12"_s, u"K 1|Durand|Durand|100|12"_s}));
        QCOMPARE(rows(*window, u"select count(*) from PLACE"_s), QStringList{u"2"_s});
        QVERIFY(window->ui->editBarcodeLocal->text().isEmpty());
        QCOMPARE(column(window->ui->tableLocalTicketResult, 5), QStringList({u"ABC"_s, u"K 1"_s}));
        QCOMPARE(window->nbTicket, 3);

        fillForm(*window, u"abc"_s, u"Petit"_s, u"3"_s);
        window->addTicketClicked();
        QVERIFY(window->saisieDlg->isVisible());
        QCOMPARE(window->saisieDlg->goal(), 3);
        QTest::mouseClick(window->saisieDlg->findChild<QPushButton*>(u"btnSaisieDlgValide"_s), Qt::LeftButton);
        QVERIFY(!window->saisieDlg->isVisible());
        QCOMPARE(rows(*window, kLocalRows), QStringList({u"ABC|Petit|Petit|3|12"_s, u"K 1|Durand|Durand|100|12"_s}));
        QCOMPARE(rows(*window, u"select count(*) from PLACE"_s), QStringList{u"2"_s});
        QCOMPARE(window->nbTicket, 3);

        // Used up, then edited: the entries field cannot show 0, the stored count stays.
        QVERIFY(run(*window, u"update BILLET set NB_COMPOSTAGE=0 where CODE_BARRE='ABC'"_s));
        window->localTicketPageClicked();
        window->localTicketClicked(
            window->ui->tableLocalTicketResult->findItems(u"ABC"_s, Qt::MatchExactly).value(0)->row(),
            11);
        window->ui->editNameLocal->setText(u"Petitjean"_s);
        window->addTicketClicked();
        window->valideSaisieEdit(QString());
        QCOMPARE(rows(*window, kLocalRows).value(0), u"ABC|Petitjean|Petitjean|0|12"_s);

        QVERIFY(run(*window,
                    u"insert into MODIF (TYPE, CODE_BARRE, EDITEUR_ID) values (3, 'K 1', 7), (3, 'K 1', 99999999)"_s));
        const int row = window->ui->tableLocalTicketResult->findItems(u"K 1"_s, Qt::MatchExactly).value(0)->row();
        window->localTicketClicked(row, 12);
        QCOMPARE(window->saisieDlg->goal(), 4);
        // The table changes under the question: the answer still deletes the ticket asked about.
        window->actionShowSaisieDlg(false);
        fillForm(*window, u"ZZZ"_s, u"Zed"_s, u"1"_s);
        window->addTicketClicked();
        window->actionShowSaisieDlg(true);
        QTest::mouseClick(window->saisieDlg->findChild<QPushButton*>(u"btnSaisieDlgValide"_s), Qt::LeftButton);
        QCOMPARE(column(window->ui->tableLocalTicketResult, 5), QStringList({u"ABC"_s, u"ZZZ"_s}));
        for (const QString& table : {u"BILLET"_s, u"MODIF"_s}) {
            QCOMPARE(rows(*window, u"select EDITEUR_ID from %1 where CODE_BARRE='K 1'"_s.arg(table)),
                     QStringList{u"7"_s});
        }
        QCOMPARE(window->nbTicket, 3);
    }

    // Typed into the entries field of a new ticket: "field|a count it takes|entries stored".
    void entriesField_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("one") << u"1"_s << u"1|1|1"_s;
        QTest::newRow("zero: one entry") << u"0"_s << u"0|0|1"_s;
        QTest::newRow("highest") << u"999"_s << u"999|1|999"_s;
        QTest::newRow("fourth figure refused") << u"1000"_s << u"100|1|100"_s;
        QTest::newRow("sign and letter refused") << u"-7x"_s << u"7|1|7"_s;
    }

    void entriesField()
    {
        QFETCH(QString, typed);
        QFETCH(QString, outcome);
        auto window = startScanning({});
        window->localTicketPageClicked();
        fillForm(*window, u"NEW"_s, u"Durand"_s, typed);
        const QLineEdit* field = window->ui->editNbPunchLocal;
        const QString shown = field->text() + u'|' + QString::number(field->hasAcceptableInput());
        window->addTicketClicked();
        QCOMPARE(shown + u'|' + rows(*window, u"select NB_COMPOSTAGE from BILLET where CODE_BARRE='NEW'"_s).value(0),
                 outcome);
    }

    // A ticket of the table opened in the form, field by field, the holder's name alone.
    void localFormFilled_data()
    {
        QTest::addColumn<bool>("doubleClick");
        QTest::newRow("edit column") << false;
        QTest::newRow("double click") << true;
    }

    void localFormFilled()
    {
        QFETCH(bool, doubleClick);
        auto window = startScanning({});
        window->localTicketPageClicked();
        fillForm(*window, u"ABC"_s, u"Le Goff"_s, u"2"_s);
        window->ui->editPhoneLocal->setText(u"0601"_s);
        window->ui->editMailLocal->setText(u"l@x.fr"_s);
        window->addTicketClicked();
        if (doubleClick) {
            window->localTicketDoubleClicked(0, 2);
        } else {
            window->localTicketClicked(0, 11);
        }
        const Ui_MainWindow* ui = window->ui;
        QCOMPARE(QStringList({ui->editNameLocal->text(),
                              ui->editFirstnameLocal->text(),
                              ui->editPhoneLocal->text(),
                              ui->editMailLocal->text(),
                              ui->editBarcodeLocal->text(),
                              ui->editNbPunchLocal->text(),
                              ui->editPlaceLocal->text(),
                              ui->comboRepLocal->currentData().toString()})
                     .join(u'|'),
                 u"Le Goff|Léa|0601|l@x.fr|ABC|2|B12|12"_s);
    }

    // Fetched once, cached and shown; no request for a fresh cached file, offline, or a bad name.
    void fetchedThenCached()
    {
        startPictures();
        scan(*m_window, u"P1"_s);
        QCOMPARE(shown(), noPicture());
        QTRY_VERIFY(QFile::exists(cachePath(u"p1.png"_s)));
        QTRY_COMPARE(shown(), middle(QImage(cachePath(u"p1.png"_s))));
        scan(*m_window, u"P1"_s);
        gParam->isOnline = false;
        scan(*m_window, u"P2"_s);
        gParam->isOnline = true;
        // A name that would leave the cache folder is neither asked for nor read.
        QVERIFY(
            run(*m_window, u"update BILLET set IMAGE='%1' where CODE_BARRE='P3'"_s.arg(m_server->imageUrl(u".."_s))));
        scan(*m_window, u"P3"_s);
        QCOMPARE(shown(), noPicture());
        // A request that a scan above wrongly sent would come before this one.
        scan(*m_window, u"P4"_s);
        QTRY_COMPARE(requests(), 2);
        QCOMPARE(m_server->requests(u"image"_s).last().path, QByteArray("/img/p4.png"));
    }

    // A reply for a ticket no longer shown fills the cache and leaves the screen alone.
    void lateReplyForAnotherTicket()
    {
        startPictures();
        m_server->enqueue(u"image"_s, standin::ScriptedReply::normal().delayed(300));
        scan(*m_window, u"P2"_s);
        scan(*m_window, u"P3"_s);
        QTRY_VERIFY(QFile::exists(cachePath(u"p3.png"_s)) && QFile::exists(cachePath(u"p2.png"_s)));
        QCoreApplication::processEvents();
        QCOMPARE(shown(), middle(QImage(cachePath(u"p3.png"_s))));
        QVERIFY(shown() != middle(QImage(cachePath(u"p2.png"_s))));
    }

    // A failed request is logged once and leaves the older cached picture, or none.
    void errorFallsBack()
    {
        startPictures();
        QImage old(20, 30, QImage::Format_RGB32);
        old.fill(Qt::red);
        QVERIFY(old.save(cachePath(u"p2.png"_s)));
        QFile file(cachePath(u"p2.png"_s));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addDays(-8), QFileDevice::FileModificationTime));
        file.close();
        fixture::clearLog();
        const auto errors = [] {
            return fixture::logLines().join(u'\n').count(u"Erreur Connexion get image (err=203)"_s);
        };
        for (const QString& code : {u"P2"_s, u"P3"_s}) {
            m_server->enqueue(u"image"_s, standin::ScriptedReply::httpError(404));
            const qsizetype before = errors();
            scan(*m_window, code);
            QTRY_COMPARE(errors(), before + 1);
            QCOMPARE(shown(), code == u"P2"_s ? qRgb(255, 0, 0) : noPicture());
        }
        QVERIFY(!QFile::exists(cachePath(u"p3.png"_s)));
    }
};

TAVRIMEX_TEST_MAIN(TestScan)
#include "TestScan.moc"
