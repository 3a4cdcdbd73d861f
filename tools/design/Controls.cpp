#include "design/DesignKit.h"
#include "design/Pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

using kit::Face;
using kit::Icon;

namespace pictures
{

namespace
{

qreal radiusFor(QSize size)
{
    return std::min(7.0, size.height() / 2.0 - 1.0);
}

struct Look
{
    Face normal;
    Face pressed;
    QColor icon;
};

Look lookOf(const Palette& c, ButtonKind kind, qreal r)
{
    switch (kind) {
    case ButtonKind::Primary:
        return {Face{kit::mix(c.accent, Qt::white, 0.12), c.accent, c.accentDark, r},
                Face{c.accentDark, c.accentDark, kit::mix(c.accentDark, Qt::black, 0.3), r},
                Qt::white};
    case ButtonKind::Secondary:
        return {Face{c.panel, c.panelTint, kit::mix(c.line, c.inkFaint, 0.3), r},
                Face{kit::mix(c.panelTint, c.line, 0.6), kit::mix(c.panelTint, c.line, 0.6), c.inkFaint, r},
                c.ink};
    case ButtonKind::Warning:
        return {Face{c.panel, c.warnSoft, c.warn, r},
                Face{c.warnSoft, kit::mix(c.warnSoft, c.warn, 0.3), c.warnDark, r},
                c.warnDark};
    case ButtonKind::OnBar:
        return {Face{kit::mix(c.barRaised, Qt::white, 0.05), c.barRaised, kit::withAlpha(Qt::white, 36), r},
                Face{c.accent, c.accentDark, c.accentDark, r},
                Qt::white};
    case ButtonKind::Attention:
        return {Face{kit::mix(c.warn, Qt::white, 0.15), c.warn, c.warnDark, r},
                Face{c.warnDark, c.warnDark, kit::mix(c.warnDark, Qt::black, 0.3), r},
                c.ink};
    }
    return {};
}

QRectF sideBox(QSize size, IconSide side)
{
    const qreal s = std::min(20.0, size.height() - 8.0);
    const qreal y = (size.height() - s) / 2.0;
    switch (side) {
    case IconSide::Left:
        return QRectF(std::max(4.0, y + 2), y, s, s);
    case IconSide::Right:
        return QRectF(size.width() - s - std::max(4.0, y + 2), y, s, s);
    case IconSide::Centre:
        break;
    }
    return QRectF((size.width() - s) / 2.0, y, s, s);
}

QImage withIcon(QImage face, Icon icon, const QRectF& box, const QColor& colour)
{
    QPainter p(&face);
    kit::drawIcon(p, icon, box, colour, box.height() < 16 ? 2.6 : 2.2);
    return face;
}

void drawKnob(QPainter& p, const QPointF& centre, qreal radius, const QColor& fill, const QColor& border)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawEllipse(centre + QPointF(0, 1), radius, radius);
    p.setBrush(fill);
    p.setPen(QPen(border, 1.0));
    p.drawEllipse(centre, radius, radius);
    p.restore();
}

QImage switchState(QSize size,
                   const Face& track,
                   bool knobRight,
                   const QColor& knobFill,
                   const QColor& knobBorder,
                   Icon icon,
                   const QColor& iconColour,
                   bool iconInKnob)
{
    QImage image = kit::faceImage(size, track);
    QPainter p(&image);
    const qreal r = size.height() / 2.0 - 3.0;
    const qreal cx = knobRight ? size.width() - 3.0 - r : 3.0 + r;
    const QPointF centre(cx, size.height() / 2.0);
    drawKnob(p, centre, r, knobFill, knobBorder);
    if (iconInKnob) {
        const qreal s = r * 1.3;
        kit::drawIcon(p, icon, QRectF(centre.x() - s / 2, centre.y() - s / 2, s, s), iconColour, 2.4);
    } else {
        // The mark stands on the track, on the side away from the knob.
        const qreal s = size.height() * 0.55;
        const qreal x = knobRight ? size.height() / 2.0 - s / 2 + 3 : size.width() - size.height() / 2.0 - s / 2 - 3;
        kit::drawIcon(p, icon, QRectF(x, (size.height() - s) / 2.0, s, s), iconColour, 3.0);
    }
    return image;
}

void paintFlag(QPainter& p, Flag which, const QRectF& r)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    switch (which) {
    case Flag::France: {
        const qreal w = r.width() / 3.0;
        p.fillRect(QRectF(r.left(), r.top(), w, r.height()), QColor(0x00, 0x55, 0xA4));
        p.fillRect(QRectF(r.left() + w, r.top(), w, r.height()), Qt::white);
        p.fillRect(QRectF(r.left() + 2 * w, r.top(), w, r.height()), QColor(0xEF, 0x41, 0x35));
        break;
    }
    case Flag::UnitedKingdom: {
        const QColor blue(0x01, 0x21, 0x69);
        const QColor red(0xC8, 0x10, 0x2E);
        const qreal u = r.height() / 30.0;
        p.fillRect(r, blue);
        p.setClipRect(r);
        const auto line = [&](const QColor& colour, qreal width, const QPointF& a, const QPointF& b) {
            p.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
            p.drawLine(a, b);
        };
        line(Qt::white, 6 * u, r.topLeft(), r.bottomRight());
        line(Qt::white, 6 * u, r.bottomLeft(), r.topRight());
        line(red, 2 * u, r.topLeft(), r.bottomRight());
        line(red, 2 * u, r.bottomLeft(), r.topRight());
        const QPointF mid = r.center();
        line(Qt::white, 10 * u, QPointF(mid.x(), r.top()), QPointF(mid.x(), r.bottom()));
        line(Qt::white, 10 * u, QPointF(r.left(), mid.y()), QPointF(r.right(), mid.y()));
        line(red, 6 * u, QPointF(mid.x(), r.top()), QPointF(mid.x(), r.bottom()));
        line(red, 6 * u, QPointF(r.left(), mid.y()), QPointF(r.right(), mid.y()));
        break;
    }
    case Flag::Spain: {
        const qreal h = r.height() / 4.0;
        p.fillRect(r, QColor(0xAA, 0x15, 0x1B));
        p.fillRect(QRectF(r.left(), r.top() + h, r.width(), 2 * h), QColor(0xF1, 0xBF, 0x00));
        break;
    }
    }
    p.restore();
}

QImage flagState(const Palette& c, Flag which, bool current)
{
    QImage image = kit::canvas(48, 48);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(5, 11, 38, 26);
    QPainterPath clip;
    clip.addRoundedRect(r, 3, 3);
    p.fillPath(clip.translated(0, 1.5), QColor(0, 0, 0, 45));
    p.save();
    p.setClipPath(clip);
    paintFlag(p, which, r);
    p.restore();
    p.setPen(QPen(kit::withAlpha(c.ink, 70), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    if (current) {
        p.setPen(QPen(c.accent, 3.0));
        p.drawRoundedRect(QRectF(1.5, 7.5, 45, 33), 6, 6);
    }
    return image;
}

QImage iconPair(const Palette& c, Icon icon, const QColor& colour)
{
    // One 20 by 20 action of a tile: normal face above, pressed face below.
    QImage normal = kit::faceImage(QSize(20, 20), Face{c.panel, c.panelTint, c.line, 4});
    QImage pressed = kit::faceImage(QSize(20, 20), Face{colour, colour, kit::mix(colour, Qt::black, 0.25), 4});
    const QRectF box(2, 2, 16, 16);
    return kit::stack({withIcon(normal, icon, box, colour), withIcon(pressed, icon, box, Qt::white)});
}

}  // namespace

QImage button(const Palette& c, QSize size, ButtonKind kind)
{
    const Look look = lookOf(c, kind, radiusFor(size));
    return kit::stack({kit::faceImage(size, look.normal), kit::faceImage(size, look.pressed)});
}

QImage disabledButton(const Palette& c, QSize size)
{
    return kit::faceImage(size, Face{c.panelTint, c.panelTint, c.line, radiusFor(size)});
}

QImage iconButton(const Palette& c, QSize size, ButtonKind kind, Icon icon, IconSide side)
{
    const Look look = lookOf(c, kind, radiusFor(size));
    const QRectF box = sideBox(size, side);
    const QColor pressedIcon = kind == ButtonKind::Secondary || kind == ButtonKind::Warning ? look.icon : Qt::white;
    return kit::stack({withIcon(kit::faceImage(size, look.normal), icon, box, look.icon),
                       withIcon(kit::faceImage(size, look.pressed), icon, box, pressedIcon)});
}

QImage toggleSwitch(const Palette& c)
{
    const QSize size(77, 27);
    const qreal r = 13.0;
    const QImage on = switchState(size,
                                  Face{kit::mix(c.accent, Qt::white, 0.1), c.accent, c.accentDark, r},
                                  true,
                                  Qt::white,
                                  c.accentDark,
                                  Icon::Check,
                                  Qt::white,
                                  false);
    const QColor offTrack = kit::mix(c.keyEdge, c.panelTint, 0.35);
    const QImage off = switchState(size,
                                   Face{offTrack, offTrack, kit::mix(c.keyEdge, c.inkSoft, 0.3), r},
                                   false,
                                   Qt::white,
                                   c.keyEdge,
                                   Icon::Cross,
                                   kit::withAlpha(Qt::white, 220),
                                   false);
    return kit::stack({on, off});
}

QImage punchSwitch(const Palette& c)
{
    const QSize size(125, 26);
    const qreal r = 13.0;
    const QImage read = switchState(size,
                                    Face{c.panel, c.panelTint, kit::mix(c.line, c.inkFaint, 0.4), r},
                                    false,
                                    c.panelTint,
                                    c.inkFaint,
                                    Icon::Eye,
                                    c.inkSoft,
                                    true);
    const QImage punch = switchState(size,
                                     Face{kit::mix(c.accent, Qt::white, 0.1), c.accentDark, c.accentDark, r},
                                     true,
                                     Qt::white,
                                     c.accentDark,
                                     Icon::Check,
                                     c.accent,
                                     true);
    return kit::stack({read, punch});
}

QImage flag(const Palette& c, Flag which)
{
    return kit::stack({flagState(c, which, false), flagState(c, which, true)});
}

QImage helpMark(const Palette& c)
{
    const auto state = [&](const QColor& fill, const QColor& mark) {
        QImage image = kit::canvas(21, 23);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(c.accent, 1.5));
        p.setBrush(fill);
        p.drawEllipse(QRectF(1.25, 2.25, 18.5, 18.5));
        kit::drawText(p, QRectF(1, 2, 19, 19), QStringLiteral("?"), 13, true, mark);
        return image;
    };
    return kit::stack({state(c.panel, c.accent), state(c.accent, Qt::white)});
}

QImage saleState(const Palette& c)
{
    // Behind "VENTES TERMINÉES" (white text) and "EN VENTE" (dark text); 121 wide for the
    // panel's label, cut to 110 in the tiles.
    const QSize size(121, 16);
    return kit::stack({kit::faceImage(size, Face{c.inkSoft, c.inkSoft, QColor(), 3}),
                       kit::faceImage(size, Face{c.okSoft, c.okSoft, c.ok, 3})});
}

QImage listState(const Palette& c)
{
    // The mark sits right of the tile's right-aligned text, in its trailing blanks.
    QImage online = kit::canvas(90, 20);
    {
        QPainter p(&online);
        kit::drawIcon(p, Icon::Cloud, QRectF(74, 2, 15, 15), c.inkSoft, 1.8);
    }
    QImage stored = kit::canvas(90, 20);
    {
        QPainter p(&stored);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(c.ok);
        p.drawEllipse(QRectF(74, 3, 14, 14));
        kit::drawIcon(p, Icon::Check, QRectF(75, 4, 12, 12), Qt::white, 3.0);
    }
    return kit::stack({online, stored});
}

QImage connectionState(const Palette& c)
{
    // A dot in the leading blanks of "CONNECTÉ" / "DÉCONNECTÉ".
    const auto state = [](const QColor& colour) {
        QImage image = kit::canvas(24, 15);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(kit::withAlpha(colour, 70));
        p.drawEllipse(QPointF(12, 7.5), 7, 7);
        p.setBrush(colour);
        p.drawEllipse(QPointF(12, 7.5), 4.5, 4.5);
        return image;
    };
    return kit::stack({state(kit::mix(c.ok, Qt::white, 0.2)), state(kit::mix(c.ko, Qt::white, 0.15))});
}

QImage offlineStrip(const Palette& c)
{
    // Normal mode shows only the caption; forced offline sets the caption on a dark strip.
    const QSize size(125, 10);
    return kit::stack(
        {kit::canvas(size),
         kit::faceImage(size, Face{kit::mix(c.bar, Qt::black, 0.45), kit::mix(c.bar, Qt::black, 0.45), QColor(), 4})});
}

QImage webcamState(const Palette& c)
{
    QImage on = kit::canvas(26, 24);
    QImage off = kit::canvas(26, 24);
    {
        QPainter p(&on);
        kit::drawIcon(p, Icon::Camera, QRectF(2, 1, 22, 22), c.ok, 2.0);
    }
    {
        QPainter p(&off);
        kit::drawIcon(p, Icon::CameraOff, QRectF(2, 1, 22, 22), c.inkFaint, 2.0);
    }
    return kit::stack({on, off});
}

QImage tileActions(const Palette& c)
{
    // Columns: delete the list (left), update it (centre), download it (right).
    const QImage remove = iconPair(c, Icon::Trash, c.ko);
    const QImage update = iconPair(c, Icon::Refresh, c.accent);
    const QImage download = iconPair(c, Icon::Download, c.accent);
    QImage image = kit::canvas(60, 40);
    QPainter p(&image);
    p.drawImage(0, 0, remove);
    p.drawImage(20, 0, update);
    p.drawImage(40, 0, download);
    return image;
}

QImage pictureFrame(const Palette& c)
{
    // Around a tile's 54 by 53 event picture, which sits at (8, 9).
    QImage image = kit::faceImage(QSize(70, 70), Face{c.panel, c.panelTint, c.line, 8});
    QPainter p(&image);
    kit::fillFace(p, QRectF(7, 8, 56, 55), Face{c.panelTint, c.panelTint, c.line, 3});
    return image;
}

QImage tileSeparator(const Palette& c)
{
    QImage image = kit::canvas(570, 1);
    QPainter p(&image);
    QLinearGradient fade(0, 0, 570, 0);
    fade.setColorAt(0.0, kit::withAlpha(c.line, 0));
    fade.setColorAt(0.05, c.line);
    fade.setColorAt(0.95, c.line);
    fade.setColorAt(1.0, kit::withAlpha(c.line, 0));
    p.fillRect(image.rect(), fade);
    return image;
}

QImage barSeparator(const Palette& c)
{
    QImage image = kit::canvas(5, 31);
    QPainter p(&image);
    QLinearGradient fade(0, 0, 0, 31);
    fade.setColorAt(0.0, kit::withAlpha(Qt::white, 0));
    fade.setColorAt(0.5, kit::withAlpha(Qt::white, 70));
    fade.setColorAt(1.0, kit::withAlpha(Qt::white, 0));
    p.fillRect(QRectF(2, 0, 1, 31), fade);
    Q_UNUSED(c);
    return image;
}

QImage comboField(const Palette& c)
{
    // A tile's performance list, 293 by 32, with its 40-pixel drop-down end.
    QImage image = kit::faceImage(QSize(293, 32), Face{c.panel, c.panel, kit::mix(c.line, c.inkFaint, 0.3), 5});
    QPainter p(&image);
    p.fillRect(QRectF(253, 1, 1, 30), c.line);
    kit::drawIcon(p, Icon::ChevronDown, QRectF(263, 6, 20, 20), c.inkSoft, 2.4);
    return image;
}

QImage comboArrow(const Palette& c)
{
    QImage image = kit::canvas(12, 8);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(c.inkSoft, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(1.5, 1.5), QPointF(6, 6), QPointF(10.5, 1.5)}));
    return image;
}

QImage checkBox(const Palette& c, bool checked)
{
    const QSize size(18, 18);
    if (!checked) {
        return kit::faceImage(size, Face{c.panel, c.panel, c.inkFaint, 4});
    }
    QImage image = kit::faceImage(size, Face{c.accent, c.accent, c.accentDark, 4});
    QPainter p(&image);
    kit::drawIcon(p, Icon::Check, QRectF(1, 1, 16, 16), Qt::white, 3.0);
    return image;
}

}  // namespace pictures
