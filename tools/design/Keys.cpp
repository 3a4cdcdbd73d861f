#include "ui/KeyboardLayout.h"
#include "ui/PadLayout.h"

#include "design/DesignKit.h"
#include "design/Pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstddef>

using kit::Icon;

namespace pictures
{

namespace
{

constexpr qreal kKeyRadius = 6.0;
// Room left between a key and a key laid over it.
constexpr qreal kKeyGap = 2.0;

QRectF keyRect(const KeyboardKey& key)
{
    return QRectF(key.x, key.y, key.w, key.h);
}

// What shows of keyboard key `index`: its own place, less the keys created after it that
// lie over it (Enter lies under M, so Enter's face is L-shaped).
QPainterPath visibleKeyShape(std::size_t index)
{
    const QRectF own = keyRect(kKeyboardKeys[index]);
    QPainterPath shape;
    shape.addRoundedRect(own.adjusted(1, 1, -1, -1), kKeyRadius, kKeyRadius);
    for (std::size_t later = index + 1; later < kKeyboardKeys.size(); ++later) {
        const QRectF other = keyRect(kKeyboardKeys[later]);
        if (other.intersects(own)) {
            QPainterPath cover;
            cover.addRoundedRect(other.adjusted(-kKeyGap, -kKeyGap, kKeyGap, kKeyGap), kKeyRadius, kKeyRadius);
            shape = shape.subtracted(cover);
        }
    }
    return shape;
}

enum class Cap
{
    Plain,    // character keys
    Command,  // keys that act rather than type
    Main,     // the key that validates
    Inert,    // the blank wide key
};

// A key cap: a darker lower edge under a face that is lit from above.
void drawCap(QPainter& p, const Palette& c, const QPainterPath& shape, Cap cap)
{
    QColor top = c.keyFace;
    QColor bottom = kit::mix(c.keyFace, c.keyEdge, 0.18);
    QColor edge = c.keyEdge;
    switch (cap) {
    case Cap::Plain:
        break;
    case Cap::Command:
        top = c.panelTint;
        bottom = kit::mix(c.panelTint, c.keyEdge, 0.35);
        break;
    case Cap::Main:
        top = kit::mix(c.accent, Qt::white, 0.12);
        bottom = c.accent;
        edge = c.accentDark;
        break;
    case Cap::Inert:
        top = kit::mix(c.keyFace, c.keyBed, 0.55);
        bottom = top;
        break;
    }
    const QRectF bounds = shape.boundingRect();
    const QPainterPath face = shape.translated(0, -2).intersected(shape);
    QLinearGradient light(bounds.topLeft(), bounds.bottomLeft());
    light.setColorAt(0.0, top);
    light.setColorAt(1.0, bottom);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(shape, edge);
    p.fillPath(face, light);
    p.setPen(QPen(kit::withAlpha(c.keyEdge, 160), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
    p.restore();
}

// The face's own area, above the lower edge.
QRectF faceArea(const QRectF& key)
{
    return key.adjusted(1, 1, -1, -3);
}

QRectF iconBox(const QRectF& area, qreal size)
{
    return QRectF(area.center().x() - size / 2, area.center().y() - size / 2, size, size);
}

void drawBed(QPainter& p, const Palette& c, const QRectF& rect, const QColor& fill)
{
    kit::fillFace(p, rect, kit::Face{fill, fill, c.line, 10.0});
}

}  // namespace

QImage keyboard(const Palette& c)
{
    // The keyboard fills a 639 by 260 placeholder.
    QImage image = kit::canvas(639, 260);
    QPainter p(&image);
    drawBed(p, c, QRectF(image.rect()), c.keyBed);

    for (std::size_t i = 0; i < kKeyboardKeys.size(); ++i) {
        const KeyboardKey& key = kKeyboardKeys[i];
        const QPainterPath shape = visibleKeyShape(i);
        const QRectF area = faceArea(keyRect(key));
        switch (key.action) {
        case KeyboardKeyAction::Text: {
            const QString text = QString::fromLatin1(key.text);
            if (text == QLatin1String("\t")) {
                drawCap(p, c, shape, Cap::Command);
                kit::drawIcon(p, Icon::Tab, iconBox(area, 24), c.ink);
            } else {
                drawCap(p, c, shape, Cap::Plain);
                kit::drawText(p, area, text.trimmed(), 19, true, c.ink);
            }
            break;
        }
        case KeyboardKeyAction::Exit:
            drawCap(p, c, shape, Cap::Command);
            kit::drawIcon(p, Icon::HideKeyboard, iconBox(area, 24), c.ink);
            break;
        case KeyboardKeyAction::Back:
            drawCap(p, c, shape, Cap::Command);
            kit::drawIcon(p, Icon::Backspace, iconBox(area, 26), c.ink);
            break;
        case KeyboardKeyAction::Enter: {
            drawCap(p, c, shape, Cap::Main);
            // The icon goes in the full-width lower half of the L.
            const QRectF lower(area.left(), area.center().y(), area.width(), area.height() / 2);
            kit::drawIcon(p, Icon::Enter, iconBox(lower, 28), Qt::white, 2.4);
            break;
        }
        case KeyboardKeyAction::None:
            drawCap(p, c, shape, Cap::Inert);
            break;
        }
    }
    return image;
}

QImage numericPad(const Palette& c)
{
    // The pad's placeholder, "widgetScanKeyboard", is 355 by 260; the barcode field
    // takes its top.
    QImage image = kit::canvas(355, 260);
    QPainter p(&image);
    kit::fillFace(p, QRectF(image.rect()), kit::Face{c.panel, c.panel, c.line, 10.0});
    drawBed(p, c, QRectF(16, 46, 313, 205), c.keyBed);

    for (const PadKey& key : kPadKeys) {
        const QRectF rect(key.x, key.y, key.w, key.h);
        QPainterPath shape;
        shape.addRoundedRect(rect.adjusted(1, 1, -1, -1), kKeyRadius, kKeyRadius);
        const QRectF area = faceArea(rect);
        switch (key.face) {
        case PadKeyFace::Digit:
            drawCap(p, c, shape, Cap::Plain);
            kit::drawText(p, area, QString::fromLatin1(key.text), 24, true, c.ink);
            break;
        case PadKeyFace::Comma:
            drawCap(p, c, shape, Cap::Plain);
            kit::drawText(p, area.adjusted(0, -6, 0, 0), QStringLiteral(","), 28, true, c.ink);
            break;
        case PadKeyFace::Back:
            drawCap(p, c, shape, Cap::Command);
            kit::drawIcon(p, Icon::Backspace, iconBox(area, 26), c.ink);
            break;
        case PadKeyFace::Alpha:
            drawCap(p, c, shape, Cap::Command);
            kit::drawIcon(p, Icon::Keyboard, iconBox(area, 28), c.ink, 1.8);
            break;
        case PadKeyFace::Search: {
            drawCap(p, c, shape, Cap::Command);
            // The button's own caption stands at the bottom of the key.
            const QRectF upper(area.left(), area.top() + 8, area.width(), 44);
            kit::drawIcon(p, Icon::Search, iconBox(upper, 34), c.ink, 2.2);
            break;
        }
        case PadKeyFace::Validate:
            drawCap(p, c, shape, Cap::Main);
            break;
        }
    }
    return image;
}

QImage pressedKey(const Palette& c, PressedShape shape)
{
    KeyboardKeyClass wanted = KeyboardKeyClass::Small;
    switch (shape) {
    case PressedShape::Small:
        wanted = KeyboardKeyClass::Small;
        break;
    case PressedShape::Double:
        wanted = KeyboardKeyClass::Double;
        break;
    case PressedShape::Enter:
        wanted = KeyboardKeyClass::Enter;
        break;
    case PressedShape::SpaceBar:
        wanted = KeyboardKeyClass::SpaceBar;
        break;
    }
    // The first key of the class gives the size, and for Enter the L shape.
    for (std::size_t i = 0; i < kKeyboardKeys.size(); ++i) {
        const KeyboardKey& key = kKeyboardKeys[i];
        if (key.keyClass != wanted) {
            continue;
        }
        QImage image = kit::canvas(key.w, key.h);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        const QPainterPath local = visibleKeyShape(i).translated(-key.x, -key.y);
        p.fillPath(local, kit::withAlpha(c.accent, 110));
        p.setPen(QPen(c.accentDark, 2.0));
        p.drawPath(local);
        return image;
    }
    return {};
}

}  // namespace pictures
