#include "ui/OpaqueBackdrop.h"

#include <QEvent>
#include <QLabel>
#include <QList>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QWidget>

OpaqueBackdrop::OpaqueBackdrop(QWidget* widget, Content content, Look ownLook, LookKey ownLookKey)
    : QObject(widget)
    , m_widget(widget)
    , m_content(content)
    , m_ownLook(std::move(ownLook))
    , m_ownLookKey(std::move(ownLookKey))
{
    widget->setAttribute(Qt::WA_OpaquePaintEvent);
    widget->installEventFilter(this);
    widget->update();
}

OpaqueBackdrop* OpaqueBackdrop::forLabel(QLabel* label)
{
    const bool plainText = label->pixmap().isNull() && label->frameWidth() == 0 && label->margin() == 0
                           && label->indent() <= 0 && !label->wordWrap() && label->textFormat() == Qt::PlainText
                           && !(label->textInteractionFlags() & (Qt::TextSelectableByMouse | Qt::TextEditable));
    if (!plainText) {
        return new OpaqueBackdrop(label, Content::Over);
    }
    // As QLabel paints plain text.
    const auto text = [label](QPainter& painter, int) {
        QStyleOption option;
        option.initFrom(label);
        painter.setFont(label->font());
        painter.setLayoutDirection(label->layoutDirection());
        const int flags = int(QStyle::visualAlignment(label->layoutDirection(), label->alignment()))
                          | (label->text().isRightToLeft() ? Qt::TextForceRightToLeft : Qt::TextForceLeftToRight);
        label->style()->drawItemText(&painter,
                                     label->contentsRect(),
                                     flags,
                                     option.palette,
                                     label->isEnabled(),
                                     label->text(),
                                     label->foregroundRole());
    };
    const auto key = [label] {
        return label->text() + QLatin1Char('\n') + label->font().key() + QLatin1Char('\n')
               + label->palette().color(label->foregroundRole()).name(QColor::HexArgb) + QLatin1Char('\n')
               + QString::number(int(label->alignment())) + QLatin1Char(label->isEnabled() ? '1' : '0');
    };
    return new OpaqueBackdrop(label, Content::InPicture, text, key);
}

void OpaqueBackdrop::setState(int state)
{
    if (state == m_state) {
        return;
    }
    m_state = state;
    m_widget->update();
}

bool OpaqueBackdrop::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Paint: {
        const QPixmap under = picture();
        const qreal ratio = under.devicePixelRatio();
        QPainter painter(m_widget);
        // Rectangle by rectangle, each clipped to itself: a plain copy of lines. Under the
        // region's clip the picture would be blended span by span, and a tall one handed
        // out to the painting thread pool, whose wake-up costs more than the copy.
        for (const QRect& rect : static_cast<QPaintEvent*>(event)->region()) {
            painter.setClipRect(rect);
            painter.drawPixmap(rect,
                               under,
                               QRectF(rect.x() * ratio, rect.y() * ratio, rect.width() * ratio, rect.height() * ratio));
        }
        return m_content == Content::InPicture;
    }
    case QEvent::Resize:
    case QEvent::Move:
    case QEvent::StyleChange:
    case QEvent::PaletteChange:
        m_pictures.clear();
        ++m_cleared;
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

QPixmap OpaqueBackdrop::picture()
{
    const qreal ratio = m_widget->devicePixelRatioF();
    QWidget* parent = m_widget->parentWidget();
    auto* under = parent ? parent->findChild<OpaqueBackdrop*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    // The parent paints its picture alone; a cut of it is made again with it.
    const QPixmap parentPicture = under && under->m_content == Content::InPicture ? under->picture() : QPixmap();
    const QString key =
        (m_ownLookKey ? m_ownLookKey() : QString()) + QLatin1Char('\n') + QString::number(parentPicture.cacheKey());
    const int state = m_state;
    const int cleared = m_cleared;
    if (const auto kept = m_pictures.find(state);
        kept != m_pictures.end() && kept->second.key == key && kept->second.pixmap.devicePixelRatio() == ratio
        && kept->second.pixmap.deviceIndependentSize() == QSizeF(m_widget->size())) {
        return kept->second.pixmap;
    }
    QPixmap made(m_widget->size() * ratio);
    made.setDevicePixelRatio(ratio);
    QPainter painter(&made);
    if (!parentPicture.isNull()) {
        const QRectF from(QRectF(m_widget->geometry()).topLeft() * parentPicture.devicePixelRatio(),
                          QSizeF(m_widget->size()) * parentPicture.devicePixelRatio());
        painter.drawPixmap(QRectF(m_widget->rect()), parentPicture, from);
    } else {
        painter.fillRect(m_widget->rect(), Qt::black);
        // Each ancestor alone as it paints under the widget, from the nearest one that
        // paints all its area (the window at last) down.
        QList<QWidget*> ancestors;
        for (QWidget* up = parent; up; up = up->parentWidget()) {
            ancestors.prepend(up);
            if (up->isWindow() || up->testAttribute(Qt::WA_OpaquePaintEvent)) {
                break;
            }
        }
        for (QWidget* ancestor : std::as_const(ancestors)) {
            ancestor->render(&painter,
                             QPoint(),
                             QRegion(QRect(m_widget->mapTo(ancestor, QPoint(0, 0)), m_widget->size())),
                             ancestor->isWindow() ? QWidget::DrawWindowBackground : QWidget::RenderFlags());
        }
    }
    // The widget's own background, as the widget would paint it.
    if (m_widget->autoFillBackground()) {
        painter.fillRect(m_widget->rect(), m_widget->palette().brush(m_widget->backgroundRole()));
    }
    if (m_widget->testAttribute(Qt::WA_StyledBackground)) {
        QStyleOption option;
        option.initFrom(m_widget);
        m_widget->style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, m_widget);
    }
    if (m_ownLook) {
        m_ownLook(painter, m_state);
    }
    painter.end();
    // Rendering the ancestors may deliver a change of size or style: a picture begun
    // before it is not kept.
    if (cleared == m_cleared) {
        m_pictures[state] = {key, made};
    }
    return made;
}
