#pragma once

#include "control/Verdict.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

class QStackedWidget;
class QWidget;

// The flash of a result: for a moment after each verdict the result stack shows its
// full-panel flash in the verdict's look, then goes back to the verdict panel by
// itself. The verdict panel is filled before the flash starts and stays filled under
// it; nothing waits for the flash. GUI thread only.
class CFlashResultat : public QObject
{
    Q_OBJECT

public:
    // Long enough to catch the eye at the door, short enough to be over before the next
    // ticket comes.
    static constexpr int kFlashMs = 400;

    CFlashResultat();

    // Shows page 1 of `stack` with `flash` in `look` from now on; a flash already shown
    // takes the new look and starts again. A waiting look shows no flash.
    void start(QStackedWidget* stack, QWidget* flash, PanelLook look);
    // Back to the verdict panel (page 0) at once.
    void end();

    // Ends the flash ("flashTimer", single shot): a test's clock may fire or stop it.
    QTimer timer;

protected:
    // Leaving the scan page ends the flash.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QStackedWidget> m_stack;
};
