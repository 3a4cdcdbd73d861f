#include "ui/MainWindow.h"

void MainWindow::startScanClicked()
{}

void MainWindow::localTicketPageClicked()
{}

void MainWindow::checkBarcode(const QString&)
{}

void MainWindow::activeWebcamClicked()
{}

void MainWindow::punchClicked()
{}

void MainWindow::signalFraudeClicked()
{}

void MainWindow::switchPunchReadClicked()
{}

void MainWindow::displayTarifClicked()
{}

void MainWindow::padNumClicked(const QString&)
{}

void MainWindow::padNumValidateClicked()
{}

void MainWindow::padNumSearchClicked()
{}

void MainWindow::padNumBackClicked()
{}

void MainWindow::padNumAlphaClicked()
{}

void MainWindow::keyboardKeyClicked(const QString&)
{}

void MainWindow::keyboardEnterClicked()
{}

void MainWindow::keyboardExitClicked()
{}

void MainWindow::keyboardBackClicked()
{}

void MainWindow::updateNbTicket(int, int)
{}

void MainWindow::searchClicked()
{}

void MainWindow::editSearchChanged(const QString&)
{}

void MainWindow::backToScanClicked()
{}

void MainWindow::resultDoubleClicked(int, int)
{}

void MainWindow::keyboardSearchKeyClicked(const QString&)
{}

void MainWindow::keyboardSearchEnterClicked()
{}

void MainWindow::keyboardSearchExitClicked()
{}

void MainWindow::keyboardSearchBackClicked()
{}

void MainWindow::cancelTicketClicked()
{}

void MainWindow::addTicketClicked()
{}

void MainWindow::localTicketDoubleClicked(int, int)
{}

void MainWindow::localTicketClicked(int, int)
{}

void MainWindow::valideSaisieDlg()
{}

void MainWindow::valideSaisieDlg(uint)
{}

void MainWindow::valideSaisieCombo(const QVariant&)
{}

void MainWindow::searchBarcode(const QString&)
{}

void MainWindow::updateScanJauge(bool)
{}
