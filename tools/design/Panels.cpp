#include "design/DesignKit.h"
#include "design/Pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

using kit::Icon;

namespace pictures
{

namespace
{

// Fills `rect` inside the rounded outline `card` only, so bands follow its corners.
void fillInside(QPainter& p, const QPainterPath& card, const QRectF& rect, const QBrush& brush)
{
    p.save();
    p.setClipPath(card);
    p.fillRect(rect, brush);
    p.restore();
}

QPainterPath roundedOutline(const QRectF& rect, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    return path;
}

void strokeOutline(QPainter& p, const QPainterPath& outline, const QColor& colour)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(outline);
    p.restore();
}

// The application mark: a ticket with a tick, as in "ticket checked".
void drawMark(QPainter& p, const QRectF& rect, const QColor& ticket, const QColor& tick)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(kit::ticketPath(rect), ticket);
    const qreal s = rect.height() * 0.9;
    kit::drawIcon(p, Icon::Check, QRectF(rect.center().x() - s / 2, rect.center().y() - s / 2, s, s), tick, 3.4);
    p.restore();
}

QImage verdictState(const QColor& top, const QColor& bottom)
{
    QImage image = kit::canvas(639, 280);
    QPainter p(&image);
    kit::fillFace(p, QRectF(image.rect()), kit::Face{top, bottom, QColor(), 10.0});
    // Divides the ticket's own lines from the event lines below.
    p.setPen(QPen(kit::withAlpha(Qt::white, 70), 1.0));
    p.drawLine(QPointF(24, 142.5), QPointF(615, 142.5));
    return image;
}

QImage flashState(const QColor& fill, Icon symbol)
{
    QImage image = kit::canvas(639, 280);
    QPainter p(&image);
    kit::fillFace(p, QRectF(image.rect()), kit::Face{fill, fill, QColor(), 10.0});
    kit::drawIcon(p, symbol, QRectF(219.5, 40, 200, 200), Qt::white, 3.6);
    return image;
}

}  // namespace

QImage windowBackground(const Palette& c)
{
    QImage image = kit::canvas(1024, 768);
    QPainter p(&image);
    QLinearGradient page(0, 46, 0, 734);
    page.setColorAt(0.0, kit::mix(c.page, Qt::white, 0.25));
    page.setColorAt(1.0, c.page);
    p.fillRect(QRectF(0, 46, 1024, 688), page);

    // Window bar under the top buttons, with an accent edge, and the support line.
    p.fillRect(QRectF(0, 0, 1024, 44), c.bar);
    p.fillRect(QRectF(0, 44, 1024, 2), c.accent);
    p.fillRect(QRectF(0, 734, 1024, 34), c.bar);

    drawMark(p, QRectF(18, 12, 34, 21), c.accent, Qt::white);
    return image;
}

QImage dialogBackground(const Palette& c)
{
    // Placed top right in each dialog (400 wide, 99 or 150 high).
    QImage image = kit::canvas(400, 150);
    QPainter p(&image);
    p.fillRect(image.rect(), c.bar);
    p.fillRect(QRectF(0, 0, 400, 3), c.accent);
    p.fillRect(QRectF(0, 3, 400, 43), kit::mix(c.bar, c.barRaised, 0.5));
    p.fillRect(QRectF(0, 46, 400, 1), kit::withAlpha(Qt::white, 40));
    return image;
}

QImage loginCard(const Palette& c)
{
    // Behind the login box, "lblBgLogin", 645 by 410; the title sits in the top band,
    // the fields in the right column, the version at the bottom of the left one.
    QImage image = kit::canvas(645, 410);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPainterPath card = roundedOutline(QRectF(image.rect()), 12);
    p.fillPath(card, c.panel);
    fillInside(p, card, QRectF(0, 34, 330, 376), c.panelTint);
    fillInside(p, card, QRectF(0, 0, 645, 34), c.accent);
    p.fillRect(QRectF(330, 34, 1, 376), c.line);
    strokeOutline(p, card, c.line);

    // A ticket with its barcode, and the tick of an accepted entry.
    const QRectF ticket(60, 120, 210, 112);
    p.fillPath(kit::ticketPath(ticket), c.panel);
    p.setPen(QPen(c.accent, 2.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(kit::ticketPath(ticket));
    p.setPen(QPen(c.line, 2.0, Qt::DashLine));
    p.drawLine(QPointF(212, 132), QPointF(212, 220));
    static constexpr int bars[] = {3, 1, 2, 1, 1, 3, 1, 2, 2, 1, 3, 1, 1, 2, 1, 3, 2, 1, 1, 2, 3, 1};
    qreal x = 86;
    bool dark = true;
    for (int width : bars) {
        if (dark) {
            p.fillRect(QRectF(x, 146, width * 1.8, 60), c.ink);
        }
        x += width * 1.8 + 1.2;
        dark = !dark;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(c.ok);
    p.drawEllipse(QPointF(262, 124), 26, 26);
    kit::drawIcon(p, Icon::Check, QRectF(246, 108, 32, 32), Qt::white, 3.0);
    return image;
}

QImage settingsCard(const Palette& c)
{
    // Behind "widgetParam", 644 by 409: title band, a quiet left column with the
    // version line, and the rows of settings on the right.
    QImage image = kit::canvas(644, 409);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPainterPath card = roundedOutline(QRectF(image.rect()), 12);
    p.fillPath(card, c.panel);
    fillInside(p, card, QRectF(0, 0, 644, 34), c.panelTint);
    fillInside(p, card, QRectF(0, 34, 325, 375), c.panelTint);
    p.fillRect(QRectF(0, 34, 644, 1), c.line);
    p.fillRect(QRectF(325, 35, 1, 374), c.line);
    strokeOutline(p, card, c.line);
    kit::drawIcon(p, Icon::Gear, QRectF(92, 110, 140, 140), kit::mix(c.panelTint, c.accent, 0.22));
    return image;
}

QImage resultPanel(const Palette& c)
{
    return kit::stack({
        verdictState(kit::mix(c.ok, Qt::white, 0.06), c.okDark),
        verdictState(kit::mix(c.waiting, Qt::white, 0.06), c.waiting),
        verdictState(kit::mix(c.ko, Qt::white, 0.06), c.koDark),
    });
}

QImage resultFlash(const Palette& c)
{
    return kit::stack({flashState(c.ok, Icon::Check), flashState(c.ko, Icon::Cross)});
}

QImage webcamFrame(const Palette& c)
{
    // "widgetScanWebcam", 355 by 280: seen while the camera shows nothing. Sights in the
    // corners of the picture area and a faint camera say where the barcode goes.
    QImage image = kit::canvas(355, 280);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    kit::fillFace(p, QRectF(image.rect()), kit::Face{c.bar, kit::mix(c.bar, Qt::black, 0.25), QColor(), 10});
    const QRectF sight(34, 52, 287, 190);
    const qreal arm = 22;
    p.setPen(QPen(kit::withAlpha(Qt::white, 110), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const QPointF& corner : {sight.topLeft(), sight.topRight(), sight.bottomLeft(), sight.bottomRight()}) {
        const qreal dx = corner.x() < sight.center().x() ? arm : -arm;
        const qreal dy = corner.y() < sight.center().y() ? arm : -arm;
        p.drawPolyline(QPolygonF({corner + QPointF(0, dy), corner, corner + QPointF(dx, 0)}));
    }
    kit::drawIcon(p, Icon::Camera, QRectF(153.5, 72, 48, 48), kit::withAlpha(Qt::white, 60), 1.6);
    return image;
}

QImage laser(const Palette& c)
{
    // "lblLaser", 337 by 12, across the webcam picture: a bright line in a soft glow,
    // fading at both ends.
    QImage image = kit::canvas(337, 12);
    QPainter p(&image);
    QLinearGradient glow(0, 0, 0, 12);
    glow.setColorAt(0.0, kit::withAlpha(c.laser, 0));
    glow.setColorAt(0.42, kit::withAlpha(c.laser, 150));
    glow.setColorAt(0.5, c.laser);
    glow.setColorAt(0.58, kit::withAlpha(c.laser, 150));
    glow.setColorAt(1.0, kit::withAlpha(c.laser, 0));
    p.fillRect(image.rect(), glow);
    p.fillRect(QRectF(0, 5.5, 337, 1), kit::mix(c.laser, Qt::white, 0.5));
    QLinearGradient ends(0, 0, 337, 0);
    ends.setColorAt(0.0, Qt::transparent);
    ends.setColorAt(0.06, Qt::black);
    ends.setColorAt(0.94, Qt::black);
    ends.setColorAt(1.0, Qt::transparent);
    p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    p.fillRect(image.rect(), ends);
    return image;
}

QImage defaultEvent(const Palette& c)
{
    // Shown in place of an event picture, 110 by 110, also scaled down in the tiles.
    QImage image = kit::canvas(110, 110);
    QPainter p(&image);
    kit::fillFace(p, QRectF(image.rect()), kit::Face{kit::mix(c.accent, Qt::white, 0.15), c.accentDark, QColor(), 14});
    drawMark(p, QRectF(22, 36, 66, 40), Qt::white, c.accent);
    return image;
}

QImage noPicture(const Palette& c)
{
    // In place of the holder's picture on the result panel, 64 by 89; light on the
    // panel's green, red or dark grey.
    QImage image = kit::canvas(64, 89);
    QPainter p(&image);
    kit::fillFace(
        p,
        QRectF(image.rect()),
        kit::Face{kit::withAlpha(Qt::white, 46), kit::withAlpha(Qt::white, 30), kit::withAlpha(Qt::white, 110), 6});
    kit::drawIcon(p, Icon::Person, QRectF(8, 30, 48, 48), kit::withAlpha(Qt::white, 190));
    Q_UNUSED(c);
    return image;
}

}  // namespace pictures
