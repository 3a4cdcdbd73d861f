// Renders every page of the main form and the three dialogs offscreen, drawn with the
// application style sheet and filled with sample data, into PNG files:
//   screenshots <output folder> [language: 0 French, 1 English, 2 Spanish]
// It also prints each caption that does not fit where its widget draws it in that
// language, and then ends with 1.

#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/CParam.h"
#include "ui/CKeyboardWidget.h"
#include "ui/DesignStyleSheet.h"
#include "ui/MessageDlg.h"
#include "ui/ProgressBar.h"
#include "ui/SaisieDlg.h"
#include "ui/Ui_MainWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMainWindow>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>

#include <cstdio>
#include <utility>

namespace
{

int gLanguage = 0;

QString line(int index)
{
    return gAffichage->getTraduction(gLanguage, index);
}

void setCaption(QWidget* widget, const QString& text)
{
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(text);
    }
}

// The captions the agent sees, from the language tables: a preview of what the window's
// language switch writes, enough to judge the design in each language.
void applyCaptions(Ui_MainWindow& ui)
{
    const std::pair<QWidget*, int> captions[] = {
        {ui.btnExit, 1},
        {ui.btnConnect, 14},
        {ui.btnConfigAccess, 0},
        {ui.lblSupport, 9},
        {ui.lblConnection, 11},
        {ui.btnUpdateSoftware, 106},
        {ui.lblAlwaysOnTop, 151},
        {ui.btnMinimize, 157},
        {ui.btnLoginValidation, 10},
        {ui.chkBoxRememberPassword, 6},
        {ui.lblAgent, 5},
        {ui.lblPassword, 4},
        {ui.lblLogin, 3},
        {ui.lblMandatory, 7},
        {ui.lblTitleLoginPage, 2},
        {ui.lblLoadFileTitle, 20},
        {ui.lblLoadFileExplain, 22},
        {ui.btnLoadFile, 21},
        {ui.lblRepChoiceTitle, 18},
        {ui.btnRepPrevPage, 27},
        {ui.btnRepNextPage, 26},
        {ui.btnRefreshListRep, 44},
        {ui.btnDrainGlobal, 70},
        {ui.lblCurrentRepTitle, 19},
        {ui.btnStartScan, 24},
        {ui.lblRepPlaces, 23},
        {ui.btnLocalTicket, 146},
        {ui.lblNoCurrentRepTitle, 156},
        {ui.btnSwitchDirectPunch, 36},
        {ui.btnChangeRep, 30},
        {ui.lblConseilWebcam, 149},
        {ui.btnPadNumSearch, 41},
        {ui.btnPadNumValide, 42},
        {ui.lblInfoUserTitle, 39},
        {ui.lblInfoHistTitle, 40},
        {ui.btnPunch, 51},
        {ui.btnSignalFraude, 50},
        {ui.lblAnnonce, 38},
        {ui.btnSearch, 147},
        {ui.lblParamTitle, 85},
        {ui.btnParamConfigNextPage, 26},
        {ui.btnParamConfigPrevPage, 27},
        {ui.lblParamLangage, 87},
        {ui.btnParamAdvance, 95},
        {ui.btnParamSave, 93},
        {ui.lblParamTactil, 86},
        {ui.btnParamCancel, 94},
        {ui.lblParamDirectSearch, 88},
        {ui.lblParamDiffPunch, 89},
        {ui.lblParamUnpunch, 91},
        {ui.lblParamRepJour, 90},
        {ui.btnParamBack, 96},
        {ui.lblParamHideRecapTicket, 153},
        {ui.lblParamLocalTicket, 146},
        {ui.lblParamUrl, 92},
        {ui.btnParamBack2, 96},
        {ui.lblParamProxy, 158},
        {ui.lblParamTimeOut, 159},
        {ui.lblParamTimeOutUnity, 84},
        {ui.btnParamBackAdvanced, 96},
        {ui.btnGetUpdate, 108},
        {ui.btnCancelUpdate, 109},
        {ui.lblAddTicketTitle, 122},
        {ui.btnAddTicketLocal, 123},
        {ui.lblNameLocal, 113},
        {ui.lblFirstnameLocal, 114},
        {ui.lblPhoneLocal, 115},
        {ui.lblMailLocal, 116},
        {ui.lblPlaceLocal, 119},
        {ui.lblRepLocal, 120},
        {ui.btnCancelTicketLocal, 124},
        {ui.lblBarcodeLocal, 117},
        {ui.lblNbPunchLocal, 118},
    };
    for (const auto& [widget, index] : captions) {
        setCaption(widget, line(index));
    }
    const QString version = line(8) + QStringLiteral("\nV ") + QLatin1String(kAppVersion);
    ui.lblVersion->setText(version);
    ui.lblVersionParam->setText(version);
    ui.lblRepPage->setText(line(28) + QStringLiteral("1 / 3"));
    ui.lblScanJauge->setText(line(43) + QStringLiteral("128 / 1450"));
    ui.lblUpdateTitle->setText(line(107) + QStringLiteral("4.4.0"));
    ui.lblParamConfigPage->setText(QStringLiteral("Page 1 / 2"));
}

void setUpTable(QTableWidget* table, const QStringList& headers)
{
    table->setColumnCount(int(headers.size()));
    table->setHorizontalHeaderLabels(headers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->horizontalHeader()->setMinimumSectionSize(100);
    table->verticalHeader()->hide();
    table->setShowGrid(false);
}

void addRow(QTableWidget* table, const QStringList& cells)
{
    const int row = table->rowCount();
    table->insertRow(row);
    for (int column = 0; column < cells.size(); ++column) {
        table->setItem(row, column, new QTableWidgetItem(cells.at(column)));
    }
}

// Sample content, so that every area shows what it looks like in use.
void fillSamples(Ui_MainWindow& ui)
{
    ui.editLogin->setText(QStringLiteral("salle.horizon"));
    ui.editPassword->setText(QStringLiteral("secret"));
    ui.editAgent->setText(QStringLiteral("0412"));
    ui.chkBoxRememberPassword->setChecked(true);
    ui.lblConnection->setStyleSheet(QStringLiteral("background-position : left top;"));

    ui.lblRepEvent->setText(QStringLiteral("Festival des Lumières"));
    ui.lblRepRep->setText(QStringLiteral("Samedi 14 juin, 20:30"));
    ui.lblRepStatus->setText(line(31));
    ui.lblRepStatus->setStyleSheet(QStringLiteral("background-position:bottom; color:black"));
    ui.lblRepFinVente->hide();
    ui.lblRepNbPunch->setText(QStringLiteral("128 "));
    ui.lblRepNbPlace->setText(QStringLiteral("/ 1450"));
    ui.lblRepImg->setPixmap(QPixmap(QLatin1String(kDesignPath) + QLatin1String("default_110.png")));
    ui.btnDrainGlobal->hide();
    setUpTable(ui.tableNbTicket, {QString(), QString()});
    ui.tableNbTicket->horizontalHeader()->hide();
    ui.tableNbTicket->setColumnWidth(0, 140);
    ui.tableNbTicket->setColumnWidth(1, 70);
    addRow(ui.tableNbTicket, {QStringLiteral("Billetterie"), QStringLiteral("1210")});
    addRow(ui.tableNbTicket, {line(112), QStringLiteral("240")});
    ui.tableNbTicket->setFixedHeight(2 * ui.tableNbTicket->verticalHeader()->defaultSectionSize());
    ui.tableNbTicket->setEnabled(false);

    ui.btnSwitchDirectPunch->setStyleSheet(
        QStringLiteral("background-position: bottom; text-align: left; color: white;"));
    ui.lblRepSalle->setText(QStringLiteral("Grande salle"));
    ui.lblRepCurrent->setText(QStringLiteral("Festival des Lumières"));
    ui.editBarcode->setText(QStringLiteral("3760123456789"));
    ui.pbJauge->setValue(9);
    ui.lstInfoUser->addItems({QStringLiteral("Camille Durand"),
                              QStringLiteral("06 12 34 56 78"),
                              QStringLiteral("camille.durand@example.org"),
                              line(54) + QStringLiteral("02/05/2025")});
    ui.lstInfoHist->addItems({line(62) + QStringLiteral("14/06 20:12"), line(54) + QStringLiteral("02/05/2025")});
    ui.lblResultName->setText(QStringLiteral("Camille Durand"));
    ui.lblResultBarcode->setText(QStringLiteral("3760123456789"));
    ui.lblResultEvent->setText(QStringLiteral("Festival des Lumières"));
    ui.lblResultRep->setText(QStringLiteral("Samedi 14 juin, 20:30"));
    ui.lblResultLastPunch->setText(line(62) + QStringLiteral("14/06/2025 20:12"));
    ui.lblResultDiffPrevPunch->clear();
    ui.lblResultNbCompostage->setText(QStringLiteral("0") + line(49));
    ui.lblResultImg->setPixmap(QPixmap(QLatin1String(kDesignPath) + QLatin1String("noPicture.png")));
    ui.lstResultTarif->addItems({QStringLiteral("Plein tarif"), QStringLiteral("Place B12")});

    setUpTable(ui.tableSearchResult, gAffichage->getHeaderSearchTab(gLanguage));
    ui.tableSearchResult->hideColumn(0);
    addRow(ui.tableSearchResult,
           {QStringLiteral("1"),
            line(61),
            QStringLiteral("Durand Camille"),
            QStringLiteral("3760123456789"),
            QStringLiteral("Web"),
            QStringLiteral("02/05/2025"),
            QStringLiteral("Durand Camille"),
            QStringLiteral("Billetterie")});
    addRow(ui.tableSearchResult,
           {QStringLiteral("2"),
            line(64),
            QStringLiteral("Durand Louis"),
            QStringLiteral("3760123456796"),
            QStringLiteral("Guichet"),
            QStringLiteral("03/05/2025"),
            QStringLiteral("Durand Camille"),
            QStringLiteral("Billetterie")});
    ui.editSearch->setText(QStringLiteral("DURAND"));
    ui.lblEmptyResult->hide();

    ui.editParamUrl->setText(QStringLiteral("https://service.example.invalid/accessctrl/?"));
    ui.editParamTimeOut->setText(QStringLiteral("30"));
    ui.editParam->setPlainText(gParam->getParamStr());

    ui.lstUpdate->addItems({QStringLiteral("- Faster ticket list download"), QStringLiteral("- Fixes")});

    setUpTable(ui.tableLocalTicketResult, gAffichage->getHeaderLocalTicketTab(gLanguage));
    for (int column : {0, 3, 4, 10}) {
        ui.tableLocalTicketResult->hideColumn(column);
    }
    addRow(ui.tableLocalTicketResult,
           {QStringLiteral("7"),
            line(61),
            QStringLiteral("Martin Louise"),
            QStringLiteral("Martin"),
            QStringLiteral("Louise"),
            QStringLiteral("LOC000017"),
            QStringLiteral("06 98 76 54 32"),
            QStringLiteral("louise@example.org"),
            QStringLiteral("A4"),
            QStringLiteral("14/06 19:02"),
            QStringLiteral("1"),
            line(144),
            line(143)});
    ui.lblLocalTicketResult->hide();
    ui.comboRepLocal->addItem(QStringLiteral("Samedi 14 juin, 20:30"));
}

// Where the widget's style draws its caption: a label's contents less its margin, a
// button's contents less the border and padding of the style sheet.
QRect textRoom(const QWidget* widget)
{
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        const int margin = label->margin();
        return label->contentsRect().adjusted(margin, margin, -margin, -margin);
    }
    QStyleOptionButton option;
    option.initFrom(widget);
    option.text = static_cast<const QAbstractButton*>(widget)->text();
    const bool isCheckBox = qobject_cast<const QCheckBox*>(widget) != nullptr;
    return widget->style()->subElementRect(isCheckBox ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents,
                                           &option,
                                           widget);
}

// Counts, and prints, each visible caption that reaches outside the room its widget
// draws it in.
int reportOverflow(const QWidget* window, const QString& scene)
{
    int overflows = 0;
    for (const QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisible()) {
            continue;
        }
        QString text;
        int flags = Qt::AlignCenter;
        if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            text = label->text();
            flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
            text = button->text();
        }
        if (text.isEmpty()) {
            continue;
        }
        const QRect room = textRoom(widget);
        if (!room.contains(widget->fontMetrics().boundingRect(room, flags, text))) {
            ++overflows;
            std::fprintf(stderr,
                         "%s: %s does not fit: \"%s\"\n",
                         qPrintable(scene),
                         qPrintable(widget->objectName()),
                         qPrintable(text));
        }
    }
    return overflows;
}

class Camera
{
public:
    Camera(QWidget* window, const QDir& folder)
        : window(window)
        , folder(folder)
    {}

    bool shoot(const QString& name)
    {
        QCoreApplication::processEvents();
        const bool fits = reportOverflow(window, name) == 0;
        const QString path = folder.filePath(name + QStringLiteral(".png"));
        if (!window->grab().save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return false;
        }
        return fits;
    }

private:
    QWidget* window;
    QDir folder;
};

void showVerdict(Ui_MainWindow& ui, const char* position, int statusLine)
{
    ui.widgetScanResult->setStyleSheet(QStringLiteral("background-position: ") + QLatin1String(position)
                                       + QLatin1Char(';'));
    ui.lblResultStatus->setText(line(statusLine));
}

bool shootPages(Ui_MainWindow& ui, Camera& camera)
{
    bool ok = true;
    ui.stackedWidget->setCurrentIndex(0);
    ok = camera.shoot(QStringLiteral("0-login")) && ok;

    ui.stackedWidget->setCurrentIndex(1);
    ok = camera.shoot(QStringLiteral("1-performances")) && ok;
    ui.stackedWidgetCurrentRep->setCurrentIndex(1);
    ok = camera.shoot(QStringLiteral("1-performances-none")) && ok;

    ui.stackedWidget->setCurrentIndex(2);
    showVerdict(ui, "top", 64);
    ok = camera.shoot(QStringLiteral("2-scan")) && ok;
    showVerdict(ui, "bottom", 46);
    ui.btnPunch->hide();
    ok = camera.shoot(QStringLiteral("2-scan-refused")) && ok;
    ui.btnPunch->show();
    showVerdict(ui, "center", 45);
    ui.stackedWidgetScan->setCurrentIndex(1);
    // Keys held down show their pressed pictures.
    for (QAbstractButton* key : ui.widgetKeyboardAlpha->findChildren<QAbstractButton*>()) {
        const QPoint at = key->geometry().topLeft();
        if (at == QPoint(489, 107) || at == QPoint(526, 108) || at == QPoint(114, 207) || at == QPoint(6, 207)) {
            key->setDown(true);
        }
    }
    ui.btnPadNum5->setDown(true);
    ok = camera.shoot(QStringLiteral("2-scan-keyboard")) && ok;
    ui.stackedWidgetResult->setCurrentIndex(1);
    ok = camera.shoot(QStringLiteral("2-scan-flash")) && ok;

    ui.stackedWidget->setCurrentIndex(3);
    ok = camera.shoot(QStringLiteral("3-search")) && ok;

    ui.stackedWidget->setCurrentIndex(4);
    const char* inner[] = {"4-settings-user", "4-settings-config", "4-settings-connection", "4-settings-advanced"};
    for (int page = 0; page < 4; ++page) {
        ui.stackedWidgetParam->setCurrentIndex(page);
        ui.btnParamConfigPrevPage->setVisible(page == 1);
        ui.btnParamConfigNextPage->setVisible(page == 1);
        ui.lblParamConfigPage->setVisible(page == 1);
        for (QLabel* separator : {ui.lblSepParam1, ui.lblSepParam2, ui.lblSepParam3, ui.lblSepParam4}) {
            separator->setVisible(page < 2);
        }
        ok = camera.shoot(QLatin1String(inner[page])) && ok;
    }

    ui.stackedWidget->setCurrentIndex(5);
    ok = camera.shoot(QStringLiteral("5-update")) && ok;
    ui.stackedWidget->setCurrentIndex(6);
    ok = camera.shoot(QStringLiteral("6-local-tickets")) && ok;
    return ok;
}

bool shootDialogs(QMainWindow& window, Ui_MainWindow& ui, Camera& camera)
{
    ui.stackedWidget->setCurrentIndex(1);
    ui.stackedWidgetCurrentRep->setCurrentIndex(0);
    bool ok = true;

    ProgressBar progress(&window);
    progress.setText(gAffichage->getMessage(gLanguage, 12));
    progress.setMax(1000);
    progress.setValue(620);
    progress.show();
    ok = camera.shoot(QStringLiteral("dialog-progress")) && ok;
    progress.hide();

    MessageDlg message(&window);
    message.setTitle(line(100));
    message.setMessage(gAffichage->getMessage(gLanguage, 2), line(98));
    message.show();
    ok = camera.shoot(QStringLiteral("dialog-message")) && ok;
    message.hide();

    SaisieDlg input(&window);
    input.setGoal(0);
    input.setType(1);
    input.clear();
    input.setTitle(gAffichage->getMessage(gLanguage, 24), QStringLiteral("OK"), QStringLiteral("Cancel"));
    input.addToCombo(0, QStringLiteral("0 - ") + line(101));
    input.addToCombo(3, QStringLiteral("3 - Balcon"));
    input.setEditFocus(1);
    input.show();
    ok = camera.shoot(QStringLiteral("dialog-input-choice")) && ok;

    input.setType(2);
    input.setGoal(4);
    input.clear();
    input.setTitle(gAffichage->getMessage(gLanguage, 28), line(110), line(111));
    input.setQuestion(gAffichage->getMessage(gLanguage, 30));
    ok = camera.shoot(QStringLiteral("dialog-input-question")) && ok;
    input.hide();
    return ok;
}

// The dialogs trace to the debug channel, which the application discards too; warnings,
// such as a style sheet that does not parse, still show.
void dropDebug(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtDebugMsg) {
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
}

}  // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler(dropDebug);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Nothing of the real application folder may be read or written.
    QTemporaryDir home;
    if (!home.isValid()) {
        return 1;
    }
    qputenv("HOME", home.path().toLocal8Bit());

    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    gLanguage = args.size() > 2 ? args.at(2).toInt() : 0;
    if (args.size() < 2 || args.size() > 3 || gLanguage < 0 || gLanguage > 2) {
        std::fprintf(stderr, "usage: screenshots <output folder> [language 0, 1 or 2]\n");
        return 2;
    }
    const QDir out(args.at(1));
    if (!out.exists() && !QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(out.path()));
        return 1;
    }

    gParam = new CParam;
    gAffichage = new CAffichage;

    QMainWindow window;
    Ui_MainWindow ui;
    ui.setupUi(&window);
    window.setStyleSheet(designStyleSheet());
    new CKeyboardWidget(ui.widgetKeyboardAlpha);
    new CKeyboardWidget(ui.widgetSearchKeyboard);
    ui.btnUpdateSoftware->show();
    ui.btnParamFrench->setEnabled(gLanguage != 0);
    ui.btnParamEnglish->setEnabled(gLanguage != 1);
    ui.btnParamSpanish->setEnabled(gLanguage != 2);
    ui.btnParamDiffPunch->setStyleSheet(QStringLiteral("background-position:bottom"));
    ui.btnParamUnpunch->setStyleSheet(QStringLiteral("background-position:bottom"));
    applyCaptions(ui);
    fillSamples(ui);
    window.show();

    Camera camera(&window, out);
    const bool pagesOk = shootPages(ui, camera);
    const bool ok = shootDialogs(window, ui, camera) && pagesOk;

    delete gAffichage;
    delete gParam;
    return ok ? 0 : 1;
}
