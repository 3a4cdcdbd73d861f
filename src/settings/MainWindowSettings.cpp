#include "core/AppFolder.h"
#include "core/CParam.h"
#include "core/Log.h"
#include "ui/MainWindow.h"

void MainWindow::configClick()
{}

void MainWindow::updateSoftwareClick()
{}

void MainWindow::saveParamClicked()
{}

void MainWindow::cancelParamClicked()
{}

void MainWindow::backParamClicked()
{}

void MainWindow::nextParamClicked()
{}

void MainWindow::previousParamClicked()
{}

void MainWindow::advancedParamClicked()
{}

void MainWindow::backAdvancedParamClicked()
{}

void MainWindow::tactilParamClicked()
{}

void MainWindow::directSearchParamClicked()
{}

void MainWindow::diffPunchParamClicked()
{}

void MainWindow::repJourParamClicked()
{}

void MainWindow::unpunchParamClicked()
{}

void MainWindow::frenchParamClicked()
{}

void MainWindow::englishParamClicked()
{}

void MainWindow::spanishParamClicked()
{}

void MainWindow::editParamUrlChanged(const QString&)
{}

void MainWindow::hideRecapTicketParamClicked()
{}

void MainWindow::localTicketParamClicked()
{}

void MainWindow::editParamProxyChanged(const QString&)
{}

void MainWindow::editParamTimeOutChanged(const QString&)
{}

void MainWindow::getUpdateClicked()
{}

void MainWindow::cancelUpdateClicked()
{}

void MainWindow::valideSaisieEdit(const QString&)
{}

// The form already holds the French design-time texts.
void MainWindow::changeLangue(int)
{}

void MainWindow::updateSoftware()
{
    enregistreLog(4,
                  QStringLiteral("Mise a jour de la version ") + gParam->parametre(VERSION)
                      + QStringLiteral(" avec la version ") + QLatin1String(kAppVersion),
                  false);
    gParam->initParametre(VERSION, QLatin1String(kAppVersion));
    gParam->sauvegarde(QString(), false);
}

// Sends nothing yet.
void MainWindow::verifNewVersion()
{}
