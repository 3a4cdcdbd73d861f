#include "ui/Ui_MainWindow.h"

#include "TestMain.h"

#include <QHash>
#include <QSet>

#include <utility>

// Every widget member of the form, in declaration order.
// clang-format off
#define FORM_WIDGETS(X) \
    X(centralWidget) X(stackedWidget) \
    X(pageLogin) X(editAgent) X(editLogin) X(editPassword) X(btnLoginValidation) X(chkBoxRememberPassword) \
    X(lblAgent) X(lblPassword) X(lblLogin) X(btnHelpLogin) X(btnHelpPassword) X(btnHelpAgent) X(lblMandatory) \
    X(lblTitleLoginPage) X(lblVersion) X(lblBgLogin) \
    X(pageRep) X(widgetLoadFile) X(lblLoadFileTitle) X(lblLoadFileExplain) X(btnLoadFile) X(editLoadFile) \
    X(widgetRepChoice) X(lblRepChoiceTitle) X(lblRepPage) X(btnRepPrevPage) X(btnRepNextPage) X(widgetRep1) \
    X(widgetRep2) X(widgetRep4) X(widgetRep5) X(widgetRep6) X(lblWaitingBar) X(widgetRep3) X(btnRefreshListRep) \
    X(btnDrainGlobal) X(lblSep4) X(stackedWidgetCurrentRep) X(pageCurrentRep) X(widgetRepLoaded) \
    X(lblCurrentRepTitle) X(btnStartScan) X(lblRepStatus) X(lblRepRep) X(lblRepPlaces) X(lblRepNbPlace) \
    X(lblRepEvent) X(lblRepFinVente) X(lblRepImg) X(lblRepNbPunch) X(tableNbTicket) X(btnLocalTicket) \
    X(pageNoRepSelected) X(widgetNoRepLoaded) X(lblNoCurrentRepTitle) \
    X(pageScanWebcam) X(widgetScanBar) X(lblScanJauge) X(pbJauge) X(btnActiveWebcam) X(lblWebcamStatus) \
    X(btnSwitchDirectPunch) X(btnChangeRep) X(lblRepCurrent) X(lblRepSalle) X(widgetScanWebcam) X(lblLaser) \
    X(widgetWebcam) X(lblConseilWebcam) X(widgetScanKeyboard) X(editBarcode) X(btnPadNum7) X(btnPadNum8) \
    X(btnPadNum6) X(btnPadNumBack) X(btnPadNum9) X(btnPadNum5) X(btnPadNum4) X(btnPadNumAlpha) X(btnPadNum1) \
    X(btnPadNum2) X(btnPadNum3) X(btnPadNumVirgule) X(btnPadNum0) X(btnPadNumSearch) X(btnPadNumValide) \
    X(stackedWidgetScan) X(pageInfoBillet) X(widgetScanInfoBillet) X(lblInfoUserTitle) X(lblInfoHistTitle) \
    X(lstInfoHist) X(lstInfoUser) X(pageKeyboard) X(widgetKeyboardAlpha) X(btnPunch) X(btnSignalFraude) \
    X(stackedWidgetResult) X(pageResult) X(widgetScanResult) X(lblResultImg) X(lblAnnonce) X(lblResultName) \
    X(lblResultBarcode) X(lblResultStatus) X(lblResultEvent) X(lblResultLastPunch) X(lblResultRep) \
    X(btnResultNbPlace) X(lblResultNbCompostage) X(lstResultTarif) X(lblResultDiffPrevPunch) X(pageFlash) \
    X(widgetScanFlash) \
    X(pageSearch) X(widgetSearchBar) X(btnSearchBackToScan) X(editSearch) X(btnSearch) X(widgetSearchResult) \
    X(tableSearchResult) X(lblEmptyResult) X(widgetSearchKeyboard) \
    X(pageConfig) X(widgetParam) X(lblParamTitle) X(lblVersionParam) X(stackedWidgetParam) X(pageParamUser) \
    X(btnParamEnglish) X(lblParamLangage) X(btnParamTactil) X(btnParamSpanish) X(btnParamAdvance) \
    X(btnParamFrench) X(btnParamSave) X(lblParamTactil) X(btnParamCancel) X(btnParamDirectSearch) \
    X(lblParamDirectSearch) X(lblParamDiffPunch) X(btnParamDiffPunch) X(pageParamConfig) X(btnParamRepJour) \
    X(btnParamUnpunch) X(lblParamUnpunch) X(lblParamRepJour) X(btnParamBack) X(btnParamHideRecapTicket) \
    X(lblParamHideRecapTicket) X(btnParamLocalTicket) X(lblParamLocalTicket) X(pageParamConfigConnection) \
    X(editParamUrl) X(lblParamUrl) X(btnParamBack2) X(editParamProxy) X(lblParamProxy) X(lblParamTimeOut) \
    X(editParamTimeOut) X(lblParamTimeOutUnity) X(pageParamAdvanced) X(btnParamBackAdvanced) X(editParam) \
    X(lblSepParam3) X(lblSepParam4) X(lblSepParam1) X(lblSepParam2) X(btnParamConfigNextPage) \
    X(btnParamConfigPrevPage) X(lblParamConfigPage) \
    X(pageUpdate) X(widgetUpdate) X(lblUpdateTitle) X(btnGetUpdate) X(btnCancelUpdate) X(lstUpdate) \
    X(pageAddTicket) X(widgetAddTicket) X(editMailLocal) X(editPlaceLocal) X(comboRepLocal) X(lblAddTicketTitle) \
    X(editNameLocal) X(editFirstnameLocal) X(editPhoneLocal) X(btnAddTicketLocal) X(lblNameLocal) \
    X(lblFirstnameLocal) X(lblPhoneLocal) X(lblMailLocal) X(lblPlaceLocal) X(lblRepLocal) X(btnCancelTicketLocal) \
    X(editNbPunchLocal) X(editBarcodeLocal) X(lblBarcodeLocal) X(lblNbPunchLocal) X(btnLocalTicketBackToRep) \
    X(widgetLocalTicketResult) X(tableLocalTicketResult) X(lblLocalTicketResult) \
    X(btnExit) X(btnConnect) X(btnConfigAccess) X(lblSupport) X(lblSep2) X(lblSep1) X(lblSep3) X(lblConnection) \
    X(btnUpdateSoftware) X(btnLockFocus) X(lblAlwaysOnTop) X(btnMinimize) X(lblSep5)

// clang-format on

namespace
{

// A window with a slot that Qt's connect-by-name would wire to the close button.
class NamedSlotWindow : public QMainWindow
{
    Q_OBJECT

public:
    int exitClicks = 0;

public slots:

    void on_btnExit_clicked()
    {
        ++exitClicks;
    }
};

// Names written as one spaced list.
QStringList names(const char* spaced)
{
    return QString::fromLatin1(spaced).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// The one tab chain, over all pages.
const QStringList kTabChain = names(
    "editLogin editPassword editAgent chkBoxRememberPassword btnLoginValidation btnHelpLogin btnHelpPassword "
    "btnHelpAgent btnExit btnConnect btnConfigAccess btnUpdateSoftware btnDrainGlobal btnRefreshListRep "
    "btnRepPrevPage btnRepNextPage tableNbTicket btnLocalTicket btnStartScan editLoadFile btnLoadFile btnChangeRep "
    "btnActiveWebcam btnSwitchDirectPunch btnResultNbPlace lstResultTarif editBarcode btnPadNumValide btnPadNum7 "
    "btnPadNum8 btnPadNum9 btnPadNumBack btnPadNum4 btnPadNum5 btnPadNum6 btnPadNumAlpha btnPadNum1 btnPadNum2 "
    "btnPadNum3 btnPadNum0 btnPadNumVirgule btnPadNumSearch lstInfoUser lstInfoHist btnPunch btnSignalFraude "
    "editSearch btnSearch btnSearchBackToScan tableSearchResult btnParamAdvance btnParamTactil btnParamFrench "
    "btnParamEnglish btnParamSpanish btnParamDirectSearch btnParamDiffPunch btnParamSave btnParamCancel btnParamBack "
    "btnParamRepJour btnParamUnpunch btnParamBackAdvanced editParam lstUpdate btnGetUpdate btnCancelUpdate "
    "editNameLocal editFirstnameLocal editPhoneLocal editMailLocal editBarcodeLocal editNbPunchLocal editPlaceLocal "
    "comboRepLocal btnAddTicketLocal btnCancelTicketLocal tableLocalTicketResult btnLocalTicketBackToRep");

bool isQtInternal(const QString& name)
{
    return name.isEmpty() || name.startsWith(QLatin1String("qt_"));
}

}  // namespace

class TestMainForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    // Construction
    void windowNameAndSize_data();
    void windowNameAndSize();
    void membersCarryTheirObjectNames();
    void objectNamesAreUnique();
    void stacksHoldTheirPagesInOrder_data();
    void stacksHoldTheirPagesInOrder();
    void placement_data();
    void placement();

    // Stacking and focus
    void raiseOrder_data();
    void raiseOrder();
    void topmostWidgetAt_data();
    void topmostWidgetAt();
    void tabChainFollowsTheList();
    void tabKeyWalksTheLoginFields();

    // States and properties
    void onlyTheNavigationButtonsStartDisabled();
    void nothingIsHiddenButTheOtherStackPages();
    void cursors_data();
    void cursors();
    void passwordIsMasked();
    void timeOutTakesTenFiguresOnly();
    void otherLineEditsAcceptAnything();
    void scanListSettings_data();
    void scanListSettings();
    void noConnectionByName();

private:
    QWidget* widget(const QString& name) const;
    QList<std::pair<QWidget*, QString>> members() const;

    QMainWindow window;
    Ui_MainWindow ui;
};

QWidget* TestMainForm::widget(const QString& name) const
{
    if (name == window.objectName()) {
        return const_cast<QMainWindow*>(&window);
    }
    return window.findChild<QWidget*>(name);
}

QList<std::pair<QWidget*, QString>> TestMainForm::members() const
{
#define FORM_MEMBER_ENTRY(m) {ui.m, QStringLiteral(#m)},
    return {FORM_WIDGETS(FORM_MEMBER_ENTRY)};
#undef FORM_MEMBER_ENTRY
}

void TestMainForm::initTestCase()
{
    ui.setupUi(&window);
    // Shown once so that the page stacks give their pages a size, as on screen.
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
}

void TestMainForm::windowNameAndSize_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("expected");

    QTest::newRow("unnamed window") << QString() << QStringLiteral("MainWindow");
    QTest::newRow("named window keeps its name") << QStringLiteral("shell") << QStringLiteral("shell");
}

void TestMainForm::windowNameAndSize()
{
    QFETCH(QString, given);
    QFETCH(QString, expected);

    QMainWindow other;
    other.setObjectName(given);
    Ui_MainWindow form;
    form.setupUi(&other);

    QCOMPARE(other.objectName(), expected);
    QCOMPARE(other.size(), QSize(1024, 768));
    QCOMPARE(other.centralWidget(), form.centralWidget);
}

void TestMainForm::membersCarryTheirObjectNames()
{
    QSet<QString> memberNames;
    for (const auto& [member, name] : members()) {
        QVERIFY2(member, qPrintable(name));
        QCOMPARE(member->objectName(), name);
        QCOMPARE(member->window(), &window);
        memberNames.insert(name);
    }

    // No named widget of the form is missing a member.
    QSet<QString> formNames;
    for (const QWidget* child : window.findChildren<QWidget*>()) {
        if (!isQtInternal(child->objectName())) {
            formNames.insert(child->objectName());
        }
    }
    QCOMPARE(formNames, memberNames);
}

void TestMainForm::objectNamesAreUnique()
{
    QHash<QString, int> seen;
    for (const QWidget* child : window.findChildren<QWidget*>()) {
        if (!isQtInternal(child->objectName())) {
            ++seen[child->objectName()];
        }
    }
    for (auto it = seen.cbegin(); it != seen.cend(); ++it) {
        QVERIFY2(it.value() == 1, qPrintable(it.key()));
    }
}

void TestMainForm::stacksHoldTheirPagesInOrder_data()
{
    QTest::addColumn<QString>("stack");
    QTest::addColumn<QStringList>("pages");
    QTest::addColumn<int>("current");

    QTest::newRow("main stack, scan page first")
        << "stackedWidget" << names("pageLogin pageRep pageScanWebcam pageSearch pageConfig pageUpdate pageAddTicket")
        << 2;
    QTest::newRow("current performance") << "stackedWidgetCurrentRep" << names("pageCurrentRep pageNoRepSelected") << 0;
    QTest::newRow("ticket details or keyboard") << "stackedWidgetScan" << names("pageInfoBillet pageKeyboard") << 0;
    QTest::newRow("verdict or flash") << "stackedWidgetResult" << names("pageResult pageFlash") << 0;
    QTest::newRow("settings, connection page first")
        << "stackedWidgetParam" << names("pageParamUser pageParamConfig pageParamConfigConnection pageParamAdvanced")
        << 2;
}

void TestMainForm::stacksHoldTheirPagesInOrder()
{
    QFETCH(QString, stack);
    QFETCH(QStringList, pages);
    QFETCH(int, current);

    auto* stacked = qobject_cast<QStackedWidget*>(widget(stack));
    QVERIFY(stacked);
    QCOMPARE(stacked->count(), pages.size());
    for (int i = 0; i < pages.size(); ++i) {
        QCOMPARE(stacked->widget(i)->objectName(), pages.at(i));
    }
    QCOMPARE(stacked->currentIndex(), current);
}

void TestMainForm::placement_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<int>("page");  // index in the main stack; -1 over the stack
    QTest::addColumn<QRect>("geometry");

    auto row = [](const char* name, const char* className, const char* parent, int page, QRect geometry) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(className)
                            << QString::fromLatin1(parent) << page << geometry;
    };
    row("stackedWidget", "QStackedWidget", "centralWidget", -1, {0, 39, 1024, 701});
    row("btnExit", "QPushButton", "centralWidget", -1, {924, 5, 95, 35});
    row("lblSupport", "QLabel", "centralWidget", -1, {0, 734, 1024, 34});
    row("editPassword", "QLineEdit", "pageLogin", 0, {562, 288, 260, 27});
    row("lblBgLogin", "QLabel", "pageLogin", 0, {190, 135, 645, 410});
    row("widgetRep3", "QWidget", "widgetRepChoice", 1, {0, 236, 570, 101});
    row("lblWaitingBar", "QLabel", "widgetRepChoice", 1, {180, 260, 220, 19});
    row("tableNbTicket", "QTableWidget", "widgetRepLoaded", 1, {30, 230, 210, 170});
    row("lblNoCurrentRepTitle", "QLabel", "widgetNoRepLoaded", 1, {0, 0, 420, 34});
    row("widgetWebcam", "QWidget", "widgetScanWebcam", 2, {10, 10, 335, 260});
    row("btnPadNum0", "QPushButton", "widgetScanKeyboard", 2, {24, 196, 98, 48});
    row("btnPadNumValide", "QPushButton", "widgetScanKeyboard", 2, {171, 148, 151, 96});
    row("widgetKeyboardAlpha", "QWidget", "pageKeyboard", 2, {0, 0, 639, 260});
    row("lstResultTarif", "QListWidget", "widgetScanResult", 2, {450, 50, 181, 71});
    row("btnSignalFraude", "QPushButton", "pageScanWebcam", 2, {710, 630, 208, 45});
    row("lblEmptyResult", "QLabel", "widgetSearchResult", 3, {10, 80, 1001, 41});
    row("widgetSearchKeyboard", "QWidget", "pageSearch", 3, {190, 430, 639, 260});
    row("editParamTimeOut", "QLineEdit", "pageParamConfigConnection", 4, {420, 196, 161, 25});
    row("editParam", "QPlainTextEdit", "pageParamAdvanced", 4, {343, 50, 281, 341});
    row("btnParamConfigPrevPage", "QPushButton", "widgetParam", 4, {340, 350, 84, 21});
    row("lstUpdate", "QListWidget", "widgetUpdate", 5, {40, 80, 571, 241});
    row("editPlaceLocal", "QLineEdit", "widgetAddTicket", 6, {690, 160, 293, 31});
    row("comboRepLocal", "QComboBox", "widgetAddTicket", 6, {690, 210, 293, 32});
    row("lblLocalTicketResult", "QLabel", "widgetLocalTicketResult", 6, {10, 90, 1001, 41});
}

void TestMainForm::placement()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, parent);
    QFETCH(int, page);
    QFETCH(QRect, geometry);

    QWidget* w = widget(name);
    QVERIFY(w);
    QCOMPARE(QString::fromLatin1(w->metaObject()->className()), className);
    QCOMPARE(w->parentWidget()->objectName(), parent);
    QCOMPARE(w->geometry(), geometry);

    int foundPage = -1;
    for (QWidget* p = w; p->parentWidget(); p = p->parentWidget()) {
        if (p->parentWidget() == ui.stackedWidget) {
            foundPage = ui.stackedWidget->indexOf(p);
        }
    }
    QCOMPARE(foundPage, page);
}

void TestMainForm::raiseOrder_data()
{
    QTest::addColumn<QString>("container");
    QTest::addColumn<QStringList>("bottomToTop");

    QTest::newRow("login panel lowest")
        << "pageLogin"
        << names("lblBgLogin editAgent editLogin editPassword btnLoginValidation chkBoxRememberPassword lblAgent "
                 "lblPassword lblLogin btnHelpLogin btnHelpPassword btnHelpAgent lblMandatory lblTitleLoginPage "
                 "lblVersion");
    QTest::newRow("settings panel")
        << "widgetParam"
        << names("lblParamTitle lblVersionParam stackedWidgetParam lblSepParam3 lblSepParam4 lblSepParam1 "
                 "lblSepParam2 lblParamConfigPage btnParamConfigNextPage btnParamConfigPrevPage");
    QTest::newRow("aiming line on top") << "widgetScanWebcam" << names("widgetWebcam lblConseilWebcam lblLaser");
    QTest::newRow("barcode field over the pad")
        << "widgetScanKeyboard"
        << names("btnPadNum7 btnPadNum8 btnPadNum6 btnPadNumBack btnPadNum9 btnPadNum5 btnPadNum4 btnPadNumAlpha "
                 "btnPadNum1 btnPadNum2 btnPadNum3 btnPadNumVirgule btnPadNum0 btnPadNumSearch btnPadNumValide "
                 "editBarcode");
    QTest::newRow("tile 3 over the waiting bar") << "widgetRepChoice" << names("widgetRep2 lblWaitingBar widgetRep3");
    QTest::newRow("top bar over the stack")
        << "centralWidget" << names("stackedWidget btnExit lblSupport btnUpdateSoftware lblSep5");
}

void TestMainForm::raiseOrder()
{
    QFETCH(QString, container);
    QFETCH(QStringList, bottomToTop);

    // Children are kept in stacking order, lowest first.
    QStringList order;
    for (const QObject* child : widget(container)->children()) {
        if (child->isWidgetType() && bottomToTop.contains(child->objectName())) {
            order.append(child->objectName());
        }
    }
    QCOMPARE(order, bottomToTop);
}

void TestMainForm::topmostWidgetAt_data()
{
    QTest::addColumn<QString>("container");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<QString>("expected");

    QTest::newRow("login field over the panel") << "pageLogin" << QPoint(692, 221) << "editLogin";
    QTest::newRow("help mark over the panel") << "pageLogin" << QPoint(820, 341) << "btnHelpAgent";
    QTest::newRow("version over the panel") << "pageLogin" << QPoint(300, 495) << "lblVersion";
    QTest::newRow("aiming line over the picture") << "widgetScanWebcam" << QPoint(177, 146) << "lblLaser";
    QTest::newRow("hint over the picture") << "widgetScanWebcam" << QPoint(175, 30) << "lblConseilWebcam";
    QTest::newRow("empty search label over table") << "widgetSearchResult" << QPoint(500, 100) << "lblEmptyResult";
    QTest::newRow("empty local label over table")
        << "widgetLocalTicketResult" << QPoint(500, 110) << "lblLocalTicketResult";
    QTest::newRow("tile 3 over the waiting bar") << "widgetRepChoice" << QPoint(290, 269) << "widgetRep3";
    QTest::newRow("support line over the stack") << "centralWidget" << QPoint(512, 736) << "lblSupport";
    QTest::newRow("close button over the stack") << "centralWidget" << QPoint(950, 39) << "btnExit";
    QTest::newRow("page title under the inner stack")
        << "widgetParam" << QPoint(320, 15) << "pageParamConfigConnection";
    QTest::newRow("next button over the page label") << "widgetParam" << QPoint(580, 360) << "btnParamConfigNextPage";
    QTest::newRow("page label over the inner stack") << "widgetParam" << QPoint(480, 345) << "lblParamConfigPage";
}

void TestMainForm::topmostWidgetAt()
{
    QFETCH(QString, container);
    QFETCH(QPoint, point);
    QFETCH(QString, expected);

    // A stack sizes only its current page.
    QWidget* area = widget(container);
    const int shownPage = ui.stackedWidget->currentIndex();
    for (QWidget* p = area; p->parentWidget(); p = p->parentWidget()) {
        if (p->parentWidget() == ui.stackedWidget) {
            ui.stackedWidget->setCurrentWidget(p);
        }
    }
    const QWidget* top = area->childAt(point);
    ui.stackedWidget->setCurrentIndex(shownPage);

    QVERIFY(top);
    QCOMPARE(top->objectName(), expected);
}

void TestMainForm::tabChainFollowsTheList()
{
    for (qsizetype i = 0; i + 1 < kTabChain.size(); ++i) {
        QWidget* from = widget(kTabChain.at(i));
        QVERIFY2(from, qPrintable(kTabChain.at(i)));
        // Tab passes over widgets that take no focus from it (labels, scroll-area viewports).
        QWidget* next = from->nextInFocusChain();
        while (next != from && !(next->focusPolicy() & Qt::TabFocus)) {
            next = next->nextInFocusChain();
        }
        QVERIFY2(next->objectName() == kTabChain.at(i + 1),
                 qPrintable(kTabChain.at(i) + " -> " + next->objectName() + ", expected " + kTabChain.at(i + 1)));
    }
}

void TestMainForm::tabKeyWalksTheLoginFields()
{
    QMainWindow shell;
    Ui_MainWindow form;
    form.setupUi(&shell);
    form.stackedWidget->setCurrentIndex(0);
    shell.show();
    QVERIFY(QTest::qWaitForWindowActive(&shell));

    form.editLogin->setFocus(Qt::OtherFocusReason);
    QCOMPARE(QApplication::focusWidget(), form.editLogin);
    const QList<QWidget*> expected = {form.editPassword,
                                      form.editAgent,
                                      form.chkBoxRememberPassword,
                                      form.btnLoginValidation};
    for (QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

void TestMainForm::onlyTheNavigationButtonsStartDisabled()
{
    const QSet<QString> disabled = {"btnRepPrevPage",
                                    "btnRepNextPage",
                                    "btnParamConfigNextPage",
                                    "btnParamConfigPrevPage"};
    for (const auto& [member, name] : members()) {
        QVERIFY2(member->isEnabled() != disabled.contains(name), qPrintable(name));
    }
}

void TestMainForm::nothingIsHiddenButTheOtherStackPages()
{
    // The window hides the update and drain buttons itself; the form hides nothing.
    QSet<const QWidget*> hiddenPages;
    for (const QStackedWidget* stack : window.findChildren<QStackedWidget*>()) {
        for (int i = 0; i < stack->count(); ++i) {
            if (i != stack->currentIndex()) {
                hiddenPages.insert(stack->widget(i));
            }
        }
    }
    for (const auto& [member, name] : members()) {
        QVERIFY2(member->isHidden() == hiddenPages.contains(member), qPrintable(name));
    }
}

void TestMainForm::cursors_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("ownCursor");
    QTest::addColumn<int>("shape");

    const int hand = Qt::OpenHandCursor;
    const int arrow = Qt::ArrowCursor;
    QTest::newRow("window") << "MainWindow" << true << arrow;
    QTest::newRow("page stack") << "stackedWidget" << true << arrow;
    QTest::newRow("login button") << "btnLoginValidation" << true << arrow;
    QTest::newRow("settings save") << "btnParamSave" << true << arrow;
    QTest::newRow("settings cancel") << "btnParamCancel" << true << arrow;
    QTest::newRow("close") << "btnExit" << true << hand;
    QTest::newRow("pad key") << "btnPadNum5" << true << hand;
    QTest::newRow("refresh list") << "btnRefreshListRep" << true << hand;
    QTest::newRow("settings switch") << "btnParamHideRecapTicket" << true << hand;
    QTest::newRow("connection back") << "btnParamBack2" << true << hand;
    QTest::newRow("search back") << "btnSearchBackToScan" << true << hand;
    QTest::newRow("local back") << "btnLocalTicketBackToRep" << true << hand;
    QTest::newRow("settings next") << "btnParamConfigNextPage" << false << arrow;
    QTest::newRow("start scan") << "btnStartScan" << false << arrow;
    QTest::newRow("install update") << "btnGetUpdate" << false << arrow;
    QTest::newRow("add local ticket") << "btnAddTicketLocal" << false << arrow;
}

void TestMainForm::cursors()
{
    QFETCH(QString, name);
    QFETCH(bool, ownCursor);
    QFETCH(int, shape);

    const QWidget* w = widget(name);
    QVERIFY(w);
    QCOMPARE(w->testAttribute(Qt::WA_SetCursor), ownCursor);
    if (ownCursor) {
        QCOMPARE(int(w->cursor().shape()), shape);
    }
}

void TestMainForm::passwordIsMasked()
{
    QCOMPARE(ui.editPassword->echoMode(), QLineEdit::Password);
    ui.editPassword->setText(QStringLiteral("secret"));
    QVERIFY(!ui.editPassword->displayText().contains(QLatin1String("secret")));
    ui.editPassword->clear();
}

void TestMainForm::timeOutTakesTenFiguresOnly()
{
    QLineEdit* edit = ui.editParamTimeOut;
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("12a-3"));
    QCOMPARE(edit->text(), QStringLiteral("123"));
    QTest::keyClicks(edit, QStringLiteral("45678901"));
    QCOMPARE(edit->text(), QStringLiteral("1234567890"));
    edit->clear();
}

void TestMainForm::otherLineEditsAcceptAnything()
{
    for (const QLineEdit* edit : window.findChildren<QLineEdit*>()) {
        if (edit == ui.editParamTimeOut || isQtInternal(edit->objectName())) {
            continue;
        }
        QVERIFY2(edit->inputMask().isEmpty(), qPrintable(edit->objectName()));
        QVERIFY2(!edit->validator(), qPrintable(edit->objectName()));
        QVERIFY2(edit->maxLength() == 32767, qPrintable(edit->objectName()));
    }
}

void TestMainForm::scanListSettings_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("maximum");

    QTest::newRow("history") << "lstInfoHist" << QSize(222222, 200);
    QTest::newRow("buyer") << "lstInfoUser" << QSize(222222, 200);
    QTest::newRow("price categories") << "lstResultTarif" << QSize(190, 200);
}

void TestMainForm::scanListSettings()
{
    QFETCH(QString, name);
    QFETCH(QSize, maximum);

    auto* list = qobject_cast<QListWidget*>(widget(name));
    QVERIFY(list);
    QCOMPARE(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(list->selectionMode(), QAbstractItemView::NoSelection);
    QCOMPARE(list->textElideMode(), Qt::ElideNone);
    QCOMPARE(list->horizontalScrollMode(), QAbstractItemView::ScrollPerItem);
    QCOMPARE(list->resizeMode(), QListView::Fixed);
    QCOMPARE(list->minimumSize(), QSize(0, 0));
    QCOMPARE(list->maximumSize(), maximum);
}

void TestMainForm::noConnectionByName()
{
    NamedSlotWindow shell;
    Ui_MainWindow form;
    form.setupUi(&shell);
    form.btnExit->click();
    QCOMPARE(shell.exitClicks, 0);
}

TAVRIMEX_TEST_MAIN(TestMainForm)
#include "TestMainForm.moc"
