#include "ui/MainWindow.h"

void MainWindow::actionDrainNeeded()
{}

void MainWindow::drainGlobalClicked()
{}

void MainWindow::actionGetDeltaTerminated()
{}

void MainWindow::timerDelta()
{}
