#pragma once

#include "ui/MainWindow.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>

// The end of "Return to the verdict painted" for the door benchmarks: the event loop runs
// until the window has painted all that the scan changed. One turn is not enough: the
// lists lay their new lines out on a zero timer and paint them a turn later.
class DoorPaint : public QObject
{
public:
    explicit DoorPaint(QWidget* window)
    {
        window->installEventFilter(this);
    }

    // Turns of the event loop until two in a row paint nothing.
    void settle()
    {
        for (int quiet = 0; quiet < 2;) {
            m_painted = false;
            QCoreApplication::processEvents();
            quiet = m_painted ? 0 : quiet + 1;
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::UpdateRequest) {
            m_painted = true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_painted = false;
};

// What the result flash's timer does when it fires: back to the verdict panel. Done at
// once rather than waited for, so that the next scan comes after the flash, as at the
// door, and a figure holds the panel's paint, not the flash's wait.
Q_NEVER_INLINE inline void endFlash(MainWindow& window)
{
    window.resultFlash.end();
}
