#include "core/CAffichage.h"
#include "core/CParam.h"
#include "settings/ParamEdit.h"
#include "ui/MainWindow.h"
#include "ui/SaisieDlg.h"
#include "ui/Ui_MainWindow.h"

namespace
{

constexpr int kConfigPage = 4;
constexpr int kUpdatePage = 5;
constexpr int kUserSubPage = 0;
constexpr int kConfigSubPage = 1;
constexpr int kConnectionSubPage = 2;
constexpr int kAdvancedSubPage = 3;

// The first code opens the configuration sub-pages, the second the raw settings text.
const QLatin1String kConfigCode("72910358");
const QLatin1String kAdvancedCode("16083974");

void showSwitch(QPushButton* button, ParamKey key, const CParam& param)
{
    button->setStyleSheet(switchStyle(isSwitchOn(key, param.parametre(key))));
}

void pressSwitch(CParam* param, QPushButton* button, ParamKey key)
{
    if (!param) {
        return;
    }
    const QString value = pressedSwitchValue(key, param->parametre(key));
    param->initParametre(key, value);
    button->setStyleSheet(switchStyle(value != QLatin1String("0")));
}

void storeField(CParam* param, ParamKey key, const QString& text)
{
    if (param) {
        param->initParametre(key, text.trimmed());
    }
}

// The button of the language shown is the disabled one.
void showLanguageButtons(Ui_MainWindow* ui, int language)
{
    ui->btnParamFrench->setEnabled(language == 1 || language == 2);
    ui->btnParamEnglish->setEnabled(language != 1);
    ui->btnParamSpanish->setEnabled(language != 2);
}

void tryLanguage(MainWindow* window, int language)
{
    if (!window->paramEdit) {
        return;
    }
    window->paramEdit->initParametre(LANGUE, QString::number(language));
    showLanguageButtons(window->ui, language);
    window->changeLangue(languageOf(*window->paramEdit));
}

void showPaging(Ui_MainWindow* ui, bool isVisible)
{
    ui->btnParamConfigNextPage->setVisible(isVisible);
    ui->btnParamConfigPrevPage->setVisible(isVisible);
    ui->lblParamConfigPage->setVisible(isVisible);
}

void showSeparators(Ui_MainWindow* ui, bool isVisible)
{
    for (QLabel* separator : {ui->lblSepParam1, ui->lblSepParam2, ui->lblSepParam3, ui->lblSepParam4}) {
        separator->setVisible(isVisible);
    }
}

void dropParamEdit(MainWindow* window)
{
    delete window->paramEdit;
    window->paramEdit = nullptr;
    window->paramEditBase.clear();
}

}  // namespace

// ---- entering and leaving ----

void MainWindow::configClick()
{
    const int page = ui->stackedWidget->currentIndex();
    if (page == kConfigPage) {
        return;
    }
    // A copy left for the update page comes back with its edits.
    if (!paramEdit) {
        paramEdit = new CParam(*gParam);
        paramEditBase = paramEdit->parametresCopy();
    }
    displayParam();
    paramPreviousPage = page == kUpdatePage ? updatePreviousPage : page;
    ui->stackedWidgetParam->setCurrentIndex(kUserSubPage);
    showPaging(ui, false);
    // The update page may have been opened over the raw text, which hides them.
    showSeparators(ui, true);
    ui->stackedWidget->setCurrentIndex(kConfigPage);
}

void MainWindow::saveParamClicked()
{
    // gParam stays the one live object: workers read it meanwhile, and the session
    // values and what a download wrote since the copy was made must survive.
    if (paramEdit) {
        gParam->appliqueModifications(paramEditBase, *paramEdit);
        dropParamEdit(this);
    }
    // A settings file removed meanwhile is not brought back; the values hold in memory.
    gParam->sauvegarde(QString(), false);
    // A language written in the raw text, and the texts drawn while the page was shown,
    // follow the saved settings too.
    redrawInSettingsLanguage();
    ui->stackedWidget->setCurrentIndex(paramPreviousPage);
    scanPageShown();
}

void MainWindow::cancelParamClicked()
{
    dropParamEdit(this);
    redrawInSettingsLanguage();
    ui->stackedWidget->setCurrentIndex(paramPreviousPage);
    scanPageShown();
}

void MainWindow::displayParam()
{
    if (!paramEdit) {
        return;
    }
    const CParam& param = *paramEdit;
    showSwitch(ui->btnParamTactil, TACTILE, param);
    showLanguageButtons(ui, languageOf(param));
    showSwitch(ui->btnParamDirectSearch, DIRECT_SEARCH, param);
    showSwitch(ui->btnParamDiffPunch, DIFF_PUNCH, param);
    showSwitch(ui->btnParamRepJour, REP_JOUR, param);
    showSwitch(ui->btnParamUnpunch, UNPUNCH, param);
    // Filling a field stores its trimmed text, as typing does.
    ui->editParamUrl->setText(param.parametre(URL));
    showSwitch(ui->btnParamHideRecapTicket, HIDE_RECAP_TICKET_REP, param);
    showSwitch(ui->btnParamLocalTicket, USE_LOCAL_TICKET, param);
    ui->editParamProxy->setText(param.parametre(PROXY));
    // The field's mask keeps figures only: the copy keeps the time-out as written.
    const QString timeOut = param.parametre(TIMEOUT);
    ui->editParamTimeOut->setText(timeOut);
    editParamTimeOutChanged(timeOut);
}

// ---- switches and fields ----

void MainWindow::tactilParamClicked()
{
    pressSwitch(paramEdit, ui->btnParamTactil, TACTILE);
}

void MainWindow::directSearchParamClicked()
{
    pressSwitch(paramEdit, ui->btnParamDirectSearch, DIRECT_SEARCH);
}

void MainWindow::diffPunchParamClicked()
{
    pressSwitch(paramEdit, ui->btnParamDiffPunch, DIFF_PUNCH);
}

void MainWindow::repJourParamClicked()
{
    pressSwitch(paramEdit, ui->btnParamRepJour, REP_JOUR);
}

void MainWindow::unpunchParamClicked()
{
    pressSwitch(paramEdit, ui->btnParamUnpunch, UNPUNCH);
}

void MainWindow::hideRecapTicketParamClicked()
{
    pressSwitch(paramEdit, ui->btnParamHideRecapTicket, HIDE_RECAP_TICKET_REP);
}

void MainWindow::localTicketParamClicked()
{
    pressSwitch(paramEdit, ui->btnParamLocalTicket, USE_LOCAL_TICKET);
}

void MainWindow::editParamUrlChanged(const QString& text)
{
    storeField(paramEdit, URL, text);
}

void MainWindow::editParamProxyChanged(const QString& text)
{
    storeField(paramEdit, PROXY, text);
}

void MainWindow::editParamTimeOutChanged(const QString& text)
{
    storeField(paramEdit, TIMEOUT, text);
}

void MainWindow::frenchParamClicked()
{
    tryLanguage(this, 0);
}

void MainWindow::englishParamClicked()
{
    tryLanguage(this, 1);
}

void MainWindow::spanishParamClicked()
{
    tryLanguage(this, 2);
}

// ---- sub-pages ----

void MainWindow::backParamClicked()
{
    ui->stackedWidgetParam->setCurrentIndex(kUserSubPage);
    showPaging(ui, false);
}

void MainWindow::nextParamClicked()
{
    ui->stackedWidgetParam->setCurrentIndex(qMin(ui->stackedWidgetParam->currentIndex() + 1, kConnectionSubPage));
    updateParamCongigNavigation();
}

void MainWindow::previousParamClicked()
{
    ui->stackedWidgetParam->setCurrentIndex(qMax(ui->stackedWidgetParam->currentIndex() - 1, kConfigSubPage));
    updateParamCongigNavigation();
}

void MainWindow::updateParamCongigNavigation()
{
    const int subPage = ui->stackedWidgetParam->currentIndex();
    ui->lblParamConfigPage->setText(gAffichage->getTraduction(languageOf(*gParam), 28) + QString::number(subPage)
                                    + QStringLiteral(" / ") + QString::number(kConnectionSubPage));
    ui->btnParamConfigNextPage->setEnabled(subPage != kConnectionSubPage);
    ui->btnParamConfigPrevPage->setEnabled(subPage != kConfigSubPage);
}

// ---- access codes and raw text ----

void MainWindow::advancedParamClicked()
{
    saisieDlg->setGoal(saisiegoal::AccessCode);
    saisieDlg->setType(0);
    saisieDlg->clear();
    saisieDlg->setTitle(gAffichage->getMessage(languageOf(*gParam), 23),
                        QStringLiteral("OK"),
                        QStringLiteral("Cancel"));
    saisieDlg->setEditFocus(0);
    actionShowSaisieDlg(true);
}

void MainWindow::valideSaisieEdit(const QString& value)
{
    actionShowSaisieDlg(false);
    if (saisieDlg->goal() == saisiegoal::ReplaceLocalTicket) {
        addLocalTicket();
        return;
    }
    if (saisieDlg->goal() == saisiegoal::DeleteLocalTicket) {
        deleteLocalTicket(localTicketRowToDelete);
        return;
    }
    if (saisieDlg->goal() != saisiegoal::AccessCode || !paramEdit) {
        return;
    }
    // Compared as typed: a blank makes another code.
    if (value == kConfigCode) {
        showPaging(ui, true);
        ui->stackedWidgetParam->setCurrentIndex(kConfigSubPage);
        updateParamCongigNavigation();
    } else if (value == kAdvancedCode) {
        showSeparators(ui, false);
        ui->editParam->setPlainText(paramEdit->getParamStr());
        ui->stackedWidgetParam->setCurrentIndex(kAdvancedSubPage);
    } else {
        const int language = languageOf(*gParam);
        displayMessage(gAffichage->getTraduction(language, 100), gAffichage->getMessage(language, 22));
    }
}

void MainWindow::backAdvancedParamClicked()
{
    if (paramEdit) {
        paramEdit->setParamStr(ui->editParam->toPlainText());
        displayParam();
    }
    showSeparators(ui, true);
    ui->stackedWidgetParam->setCurrentIndex(kUserSubPage);
}
