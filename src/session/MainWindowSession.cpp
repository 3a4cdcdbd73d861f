#include "ui/MainWindow.h"

void MainWindow::exitClick()
{}

void MainWindow::connectionClick()
{}

void MainWindow::verifLoginClicked()
{}

void MainWindow::editLoginChanged(const QString&)
{}

void MainWindow::actionPageEnable(bool)
{}

void MainWindow::repNextPageClicked()
{}

void MainWindow::repPrevPageClicked()
{}

void MainWindow::refreshListRepClicked()
{}

void MainWindow::actionGetEventsTerminated()
{}

void MainWindow::changeRepClicked()
{}

void MainWindow::backToRepClicked()
{}

void MainWindow::cancelSaisie()
{}

// Sends nothing yet.
void MainWindow::timerPing()
{}

void MainWindow::F5KeyPressed()
{}

void MainWindow::affichePageRep()
{}

QString MainWindow::getSerialNumber()
{
    return QStringLiteral("PC-MAC-");
}

void MainWindow::zoneChosen(uint zoneId)
{
    Q_UNUSED(zoneId);
}
