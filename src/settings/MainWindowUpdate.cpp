#include "core/AppFolder.h"
#include "core/CParam.h"
#include "core/Log.h"
#include "ui/MainWindow.h"

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

void MainWindow::actionResponseUpdate(const QByteArray&)
{}

void MainWindow::actionErrorUpdate(int)
{}

void MainWindow::updateSoftwareClick()
{}

void MainWindow::getUpdateClicked()
{}

void MainWindow::actionResponseGetUpdate(const QByteArray&)
{}

void MainWindow::actionErrorGetUpdate(int)
{}

void MainWindow::cancelUpdateClicked()
{}
