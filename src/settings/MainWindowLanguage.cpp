#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/CParam.h"
#include "session/CRepWidget.h"
#include "settings/ParamEdit.h"
#include "ui/MainWindow.h"
#include "ui/Ui_MainWindow.h"

namespace
{

// A widget and the label line that is its caption.
struct Caption
{
    QWidget* widget;
    int label;
};

void setCaption(QWidget* widget, const QString& text)
{
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(text);
    }
}

}  // namespace

void MainWindow::changeLangue(int language)
{
    if (language < 0 || language > 2) {
        return;
    }
    shownLangue = language;
    const auto label = [language](int index) {
        return gAffichage->getTraduction(language, index);
    };

    const Caption captions[] = {
        // Window chrome. The connection label reads "disconnected" until the next ping answer.
        {ui->btnConfigAccess, 0},
        {ui->btnExit, 1},
        {ui->btnConnect, 14},
        {ui->lblConnection, 12},
        {ui->btnUpdateSoftware, 106},
        {ui->lblAlwaysOnTop, 151},
        {ui->btnMinimize, 157},
        {ui->lblSupport, 9},
        // Login page
        {ui->lblTitleLoginPage, 2},
        {ui->btnLoginValidation, 10},
        {ui->lblAgent, 5},
        {ui->lblLogin, 3},
        {ui->lblPassword, 4},
        {ui->lblMandatory, 7},
        {ui->chkBoxRememberPassword, 6},
        // Performance page
        {ui->lblCurrentRepTitle, 19},
        {ui->lblNoCurrentRepTitle, 156},
        {ui->lblLoadFileTitle, 20},
        {ui->btnLoadFile, 21},
        {ui->lblLoadFileExplain, 22},
        {ui->lblRepPlaces, 23},
        {ui->btnStartScan, 24},
        {ui->btnRefreshListRep, 44},
        {ui->btnDrainGlobal, 70},
        {ui->btnLocalTicket, 146},
        {ui->btnRepNextPage, 26},
        {ui->btnRepPrevPage, 27},
        // Scan page
        {ui->btnChangeRep, 30},
        {ui->lblAnnonce, 38},
        {ui->lblInfoUserTitle, 39},
        {ui->lblInfoHistTitle, 40},
        {ui->btnPadNumSearch, 41},
        {ui->btnPadNumValide, 42},
        {ui->btnSignalFraude, 50},
        {ui->lblConseilWebcam, 149},
        // Search page
        {ui->btnSearch, 147},
        // Settings page
        {ui->lblParamTitle, 85},
        {ui->lblParamTactil, 86},
        {ui->lblParamLangage, 87},
        {ui->lblParamDirectSearch, 88},
        {ui->lblParamDiffPunch, 89},
        {ui->lblParamRepJour, 90},
        {ui->lblParamUnpunch, 91},
        {ui->lblParamUrl, 92},
        {ui->lblParamHideRecapTicket, 153},
        {ui->btnParamSave, 93},
        {ui->btnParamCancel, 94},
        {ui->btnParamAdvance, 95},
        {ui->btnParamBack, 96},
        {ui->btnParamBack2, 96},
        {ui->btnParamBackAdvanced, 96},
        {ui->lblParamProxy, 158},
        {ui->lblParamLocalTicket, 146},
        {ui->lblParamTimeOut, 159},
        {ui->lblParamTimeOutUnity, 84},
        {ui->btnParamConfigNextPage, 26},
        {ui->btnParamConfigPrevPage, 27},
        // Update page
        {ui->btnGetUpdate, 108},
        {ui->btnCancelUpdate, 109},
        // Local-ticket page
        {ui->lblAddTicketTitle, 122},
        {ui->btnAddTicketLocal, 123},
        {ui->btnCancelTicketLocal, 124},
        {ui->lblNameLocal, 113},
        {ui->lblFirstnameLocal, 114},
        {ui->lblPhoneLocal, 115},
        {ui->lblMailLocal, 116},
        {ui->lblBarcodeLocal, 117},
        {ui->lblNbPunchLocal, 118},
        {ui->lblPlaceLocal, 119},
        {ui->lblRepLocal, 120},
    };
    for (const Caption& caption : captions) {
        setCaption(caption.widget, label(caption.label));
    }
    ui->btnHelpLogin->setToolTip(label(15));
    ui->btnHelpPassword->setToolTip(label(16));
    ui->btnHelpAgent->setToolTip(label(17));

    const QString version = label(8) + QStringLiteral("\nV ") + QLatin1String(kAppVersion);
    ui->lblVersion->setText(version);
    ui->lblVersionParam->setText(version);

    QString repTitle = label(18);
    const QString zone = gParam->parametre(ZONE_KEST);
    if (zone.toUInt() != 0) {
        repTitle += QStringLiteral(" (") + label(102) + QLatin1Char(' ') + zone + QLatin1Char(')');
    }
    ui->lblRepChoiceTitle->setText(repTitle);
    ui->lblRepPage->setText(label(28) + QString::number(eventPage) + QStringLiteral(" / ")
                            + QString::number(eventPageCount));

    if (gParam->isDirectPunch) {
        ui->btnSwitchDirectPunch->setText(label(36));
        ui->btnSwitchDirectPunch->setStyleSheet(
            QStringLiteral("background-position: bottom; text-align: left; color: white;"));
    } else {
        ui->btnSwitchDirectPunch->setText(label(37));
        ui->btnSwitchDirectPunch->setStyleSheet(
            QStringLiteral("background-position: top; text-align: right; color: black"));
    }
    ui->lblScanJauge->setText(label(43) + QString::number(nbPunched) + QStringLiteral(" / ")
                              + QString::number(nbTicket));

    ui->tableSearchResult->setHorizontalHeaderLabels(gAffichage->getHeaderSearchTab(language));
    ui->tableLocalTicketResult->setHorizontalHeaderLabels(gAffichage->getHeaderLocalTicketTab(language));

    ui->lblUpdateTitle->setText(label(107) + gParam->newVersion.get());
}

void MainWindow::redrawInSettingsLanguage()
{
    changeLangue(languageOf(*gParam));
    // What the code drew at run time took the language of the settings then.
    redrawShownTicket();
    showCurrentRepTexts();
    for (CRepWidget* tile : repWidgets) {
        if (tile) {
            tile->retranslate();
        }
    }
}
