#include "ui/Ui_MainWindow.h"

#include "TestMain.h"

#include <QAbstractItemView>
#include <QSet>

namespace
{

QStringList names(const char* spaced)
{
    return QString::fromLatin1(spaced).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

}  // namespace

class TestMainForm : public QObject
{
    Q_OBJECT

    QMainWindow window;
    Ui_MainWindow ui;

    QWidget* widget(const QString& name)
    {
        return window.findChild<QWidget*>(name);
    }

    // The form's own widgets, without Qt's internal children.
    QList<QWidget*> namedWidgets()
    {
        QList<QWidget*> found;
        for (QWidget* child : window.findChildren<QWidget*>()) {
            if (!child->objectName().isEmpty() && !child->objectName().startsWith(QLatin1String("qt_"))) {
                found.append(child);
            }
        }
        return found;
    }

    // Shows the page of the main stack that holds `w`: a stack sizes only its current page.
    void showPageOf(QWidget* w)
    {
        for (QWidget* p = w; p->parentWidget(); p = p->parentWidget()) {
            if (p->parentWidget() == ui.stackedWidget) {
                ui.stackedWidget->setCurrentWidget(p);
            }
        }
    }

private slots:

    void initTestCase()
    {
        ui.setupUi(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.objectName(), QStringLiteral("MainWindow"));
        QCOMPARE(window.size(), QSize(1024, 768));
    }

    // The style sheet and the other features address widgets by name.
    void objectNamesAreUnique()
    {
        QSet<QString> seen;
        for (const QWidget* w : namedWidgets()) {
            QVERIFY2(!seen.contains(w->objectName()), qPrintable(w->objectName()));
            seen.insert(w->objectName());
        }
    }

    // The program switches pages by index.
    void stacksHoldTheirPagesInOrder_data()
    {
        QTest::addColumn<QString>("stack");
        QTest::addColumn<QStringList>("pages");
        QTest::addColumn<int>("current");

        QTest::newRow("main, scan page first")
            << "stackedWidget"
            << names("pageLogin pageRep pageScanWebcam pageSearch pageConfig pageUpdate pageAddTicket") << 2;
        QTest::newRow("current performance")
            << "stackedWidgetCurrentRep" << names("pageCurrentRep pageNoRepSelected") << 0;
        QTest::newRow("ticket or keyboard") << "stackedWidgetScan" << names("pageInfoBillet pageKeyboard") << 0;
        QTest::newRow("verdict or flash") << "stackedWidgetResult" << names("pageResult pageFlash") << 0;
        QTest::newRow("settings, connection page first")
            << "stackedWidgetParam"
            << names("pageParamUser pageParamConfig pageParamConfigConnection pageParamAdvanced") << 2;
    }

    void stacksHoldTheirPagesInOrder()
    {
        QFETCH(QString, stack);
        QFETCH(QStringList, pages);
        QFETCH(int, current);

        auto* stacked = qobject_cast<QStackedWidget*>(widget(stack));
        QVERIFY(stacked);
        QStringList actual;
        for (int i = 0; i < stacked->count(); ++i) {
            actual << stacked->widget(i)->objectName();
        }
        QCOMPARE(actual, pages);
        QCOMPARE(stacked->currentIndex(), current);
    }

    // Overlapping widgets: the one the agent sees and touches.
    void topmostWidgetAt_data()
    {
        QTest::addColumn<QString>("container");
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<QString>("expected");

        QTest::newRow("login field over the panel") << "pageLogin" << QPoint(692, 221) << "editLogin";
        QTest::newRow("aiming line over the picture") << "widgetScanWebcam" << QPoint(177, 146) << "lblLaser";
        QTest::newRow("hint over the picture") << "widgetScanWebcam" << QPoint(175, 30) << "lblConseilWebcam";
        QTest::newRow("empty search label") << "widgetSearchResult" << QPoint(500, 100) << "lblEmptyResult";
        QTest::newRow("empty local label") << "widgetLocalTicketResult" << QPoint(500, 110) << "lblLocalTicketResult";
        QTest::newRow("tile 3 over the waiting bar") << "widgetRepChoice" << QPoint(290, 269) << "widgetRep3";
        QTest::newRow("support line over the stack") << "centralWidget" << QPoint(512, 736) << "lblSupport";
        QTest::newRow("close button over the stack") << "centralWidget" << QPoint(950, 39) << "btnExit";
        QTest::newRow("inner stack over the title") << "widgetParam" << QPoint(320, 15) << "pageParamConfigConnection";
        QTest::newRow("next over the page label") << "widgetParam" << QPoint(580, 360) << "btnParamConfigNextPage";
        QTest::newRow("page label over the inner stack") << "widgetParam" << QPoint(480, 345) << "lblParamConfigPage";
    }

    void topmostWidgetAt()
    {
        QFETCH(QString, container);
        QFETCH(QPoint, point);
        QFETCH(QString, expected);

        QWidget* area = widget(container);
        const int shownPage = ui.stackedWidget->currentIndex();
        showPageOf(area);
        const QWidget* top = area->childAt(point);
        ui.stackedWidget->setCurrentIndex(shownPage);
        QVERIFY(top);
        QCOMPARE(top->objectName(), expected);
    }

    // One chain over all pages, whatever Qt puts between its links.
    void tabChainRunsOverEveryPage()
    {
        const QStringList chain = names(
            "editLogin editPassword editAgent chkBoxRememberPassword btnLoginValidation btnHelpLogin "
            "btnHelpPassword btnHelpAgent btnExit btnConnect btnConfigAccess btnUpdateSoftware btnDrainGlobal "
            "btnRefreshListRep btnRepPrevPage btnRepNextPage tableNbTicket btnLocalTicket btnStartScan editLoadFile "
            "btnLoadFile btnChangeRep btnActiveWebcam btnSwitchDirectPunch btnResultNbPlace lstResultTarif "
            "editBarcode btnPadNumValide btnPadNum7 btnPadNum8 btnPadNum9 btnPadNumBack btnPadNum4 btnPadNum5 "
            "btnPadNum6 btnPadNumAlpha btnPadNum1 btnPadNum2 btnPadNum3 btnPadNum0 btnPadNumVirgule btnPadNumSearch "
            "lstInfoUser lstInfoHist btnPunch btnSignalFraude editSearch btnSearch btnSearchBackToScan "
            "tableSearchResult btnParamAdvance btnParamTactil btnParamFrench btnParamEnglish btnParamSpanish "
            "btnParamDirectSearch btnParamDiffPunch btnParamSave btnParamCancel btnParamBack btnParamRepJour "
            "btnParamUnpunch btnParamBackAdvanced editParam lstUpdate btnGetUpdate btnCancelUpdate editNameLocal "
            "editFirstnameLocal editPhoneLocal editMailLocal editBarcodeLocal editNbPunchLocal editPlaceLocal "
            "comboRepLocal btnAddTicketLocal btnCancelTicketLocal tableLocalTicketResult btnLocalTicketBackToRep");
        QStringList walked;
        QWidget* const start = widget(chain.first());
        QWidget* w = start;
        do {
            if (chain.contains(w->objectName())) {
                walked << w->objectName();
            }
            w = w->nextInFocusChain();
        } while (w != start);
        QCOMPARE(walked, chain);
    }

    // The local-ticket page's list opens inside the window, however long the names: the
    // frameless window is all the agent is meant to see.
    void comboListStaysInside()
    {
        QComboBox* combo = ui.comboRepLocal;
        const int shownPage = ui.stackedWidget->currentIndex();
        showPageOf(combo);
        combo->addItem(QString(120, QLatin1Char('W')));
        // Moved left, so that the screen's edge does not hold the list in for it.
        window.move(-300, 0);
        combo->showPopup();
        const QWidget* list = combo->view()->window();
        QTRY_VERIFY(list->isVisible());
        const QRect shown = list->geometry();
        combo->hidePopup();
        combo->clear();
        window.move(0, 0);
        ui.stackedWidget->setCurrentIndex(shownPage);
        QVERIFY2(window.geometry().contains(shown),
                 qPrintable(QStringLiteral("%1 %2").arg(shown.x()).arg(shown.width())));
    }

    // The window hides the update and drain buttons itself; the form hides only
    // the pages that are not current and disables only the page buttons.
    void initialStates()
    {
        const QSet<QString> disabled = {"btnRepPrevPage",
                                        "btnRepNextPage",
                                        "btnParamConfigNextPage",
                                        "btnParamConfigPrevPage"};
        QSet<const QWidget*> otherPages;
        for (const QStackedWidget* stack : window.findChildren<QStackedWidget*>()) {
            for (int i = 0; i < stack->count(); ++i) {
                if (i != stack->currentIndex()) {
                    otherPages.insert(stack->widget(i));
                }
            }
        }
        for (const QWidget* w : namedWidgets()) {
            QVERIFY2(w->isEnabled() != disabled.contains(w->objectName()), qPrintable(w->objectName()));
            QVERIFY2(w->isHidden() == otherPages.contains(w), qPrintable(w->objectName()));
        }
        QCOMPARE(ui.editPassword->echoMode(), QLineEdit::Password);
    }
};

TAVRIMEX_TEST_MAIN(TestMainForm)
#include "TestMainForm.moc"
