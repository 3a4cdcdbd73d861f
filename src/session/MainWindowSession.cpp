#include "session/SessionTexts.h"
#include "ui/MainWindow.h"

#include <QCoreApplication>

// A cycle under way is never cut: it quits the program at its end instead.
void MainWindow::exitClick()
{
    if (!isSyncRunning) {
        if (quitEventLoop) {
            quitEventLoop();
        } else {
            QCoreApplication::quit();
        }
        return;
    }
    isExitRequested = true;
    actionUpdateProgressValue(0);
    actionUpdateProgressText(sessiontexts::message(7));
    actionShowProgress(true);
}
