#include "control/CFlashResultat.h"

#include "core/DrivenTimers.h"

#include <QEvent>
#include <QStackedWidget>
#include <QWidget>

namespace
{

constexpr int kPanelPage = 0;
constexpr int kFlashPage = 1;

}  // namespace

CFlashResultat::CFlashResultat()
{
    timer.setObjectName(QStringLiteral("flashTimer"));
    timer.setSingleShot(true);
    timer.setInterval(kFlashMs);
    connect(&timer, &QTimer::timeout, this, &CFlashResultat::end);
    driventimers::enrol(&timer);
}

void CFlashResultat::start(QStackedWidget* stack, QWidget* flash, PanelLook look)
{
    if (look == PanelLook::Attente) {
        end();
        return;
    }
    if (m_stack != stack) {
        if (m_stack) {
            m_stack->removeEventFilter(this);
        }
        m_stack = stack;
        m_stack->installEventFilter(this);
    }
    // The style sheet stacks the two looks: accepted on top, refused below.
    const QString position = look == PanelLook::Accepte ? QStringLiteral("background-position: top;")
                                                        : QStringLiteral("background-position: bottom;");
    if (flash->styleSheet() != position) {
        flash->setStyleSheet(position);
    }
    stack->setCurrentIndex(kFlashPage);
    timer.start();
}

void CFlashResultat::end()
{
    timer.stop();
    if (m_stack) {
        m_stack->setCurrentIndex(kPanelPage);
    }
}

bool CFlashResultat::eventFilter(QObject* watched, QEvent* event)
{
    // Hidden with the scan page: the page comes back on its verdict panel.
    if (watched == m_stack && event->type() == QEvent::Hide && !event->spontaneous()) {
        end();
    }
    return QObject::eventFilter(watched, event);
}
