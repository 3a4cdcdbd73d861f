#include "design/DesignKit.h"

#include <QFile>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPen>
#include <QPolygonF>
#include <QRawFont>
#include <QTransform>

#include <cmath>
#include <numbers>

namespace kit
{

QImage canvas(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage canvas(QSize size)
{
    return canvas(size.width(), size.height());
}

QImage stack(const QList<QImage>& states)
{
    int w = 0;
    int h = 0;
    for (const QImage& state : states) {
        w = std::max(w, state.width());
        h += state.height();
    }
    QImage sprite = canvas(w, h);
    QPainter p(&sprite);
    int y = 0;
    for (const QImage& state : states) {
        p.drawImage(0, y, state);
        y += state.height();
    }
    return sprite;
}

QColor withAlpha(QColor colour, int alpha)
{
    colour.setAlpha(alpha);
    return colour;
}

QColor mix(const QColor& a, const QColor& b, qreal t)
{
    const auto blend = [t](int x, int y) {
        return int(std::lround(x + (y - x) * t));
    };
    return QColor(blend(a.red(), b.red()),
                  blend(a.green(), b.green()),
                  blend(a.blue(), b.blue()),
                  blend(a.alpha(), b.alpha()));
}

void fillFace(QPainter& p, const QRectF& rect, const Face& face)
{
    // Half-pixel inset keeps a one-pixel border sharp.
    const QRectF r = face.border.isValid() ? rect.adjusted(0.5, 0.5, -0.5, -0.5) : rect;
    QLinearGradient gradient(r.topLeft(), r.bottomLeft());
    gradient.setColorAt(0.0, face.top);
    gradient.setColorAt(1.0, face.bottom.isValid() ? face.bottom : face.top);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(face.border.isValid() ? QPen(face.border, 1.0) : QPen(Qt::NoPen));
    p.setBrush(gradient);
    p.drawRoundedRect(r, face.radius, face.radius);
    p.restore();
}

QImage faceImage(QSize size, const Face& face)
{
    QImage image = canvas(size);
    QPainter p(&image);
    fillFace(p, QRectF(QPointF(0, 0), QSizeF(size)), face);
    return image;
}

namespace
{

// The font files themselves, not whatever the machine's font configuration picks and
// hints: the pictures must come out the same on every machine. Only the bytes are
// kept: a font outliving the application would end the program badly.
QRawFont textFont(int pixelSize, bool bold)
{
    static const QByteArray regular = [] {
        QFile file(QStringLiteral(GENDESIGN_FONT));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    static const QByteArray heavy = [] {
        QFile file(QStringLiteral(GENDESIGN_FONT_BOLD));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    return QRawFont(bold ? heavy : regular, pixelSize, QFont::PreferNoHinting);
}

}  // namespace

bool textFontsLoad()
{
    return textFont(12, false).isValid() && textFont(12, true).isValid();
}

void drawText(QPainter& p, const QRectF& rect, const QString& text, int pixelSize, bool bold, const QColor& colour)
{
    // The glyphs' outlines, filled like any other shape, centred in `rect`.
    const QRawFont font = textFont(pixelSize, bold);
    const QList<quint32> glyphs = font.glyphIndexesForString(text);
    const QList<QPointF> advances = font.advancesForGlyphIndexes(glyphs);
    QPainterPath path;
    qreal x = 0;
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        path.addPath(font.pathForGlyph(glyphs[i]).translated(x, 0));
        x += advances[i].x();
    }
    const QPointF origin(rect.center().x() - x / 2,
                         rect.center().y() - (font.ascent() + font.descent()) / 2 + font.ascent());
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(path.translated(origin), colour);
    p.restore();
}

QImage straightAlpha(const QImage& image)
{
    const QImage source = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage out(source.size(), QImage::Format_ARGB32);
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            line[x] = qUnpremultiply(in[x]);
        }
    }
    return out;
}

QPainterPath ticketPath(const QRectF& rect)
{
    const qreal notch = rect.height() * 0.2;
    const qreal radius = rect.height() * 0.12;
    QPainterPath body;
    body.addRoundedRect(rect, radius, radius);
    QPainterPath notches;
    notches.addEllipse(QPointF(rect.left(), rect.center().y()), notch, notch);
    notches.addEllipse(QPointF(rect.right(), rect.center().y()), notch, notch);
    return body.subtracted(notches);
}

namespace
{

QPainterPath polyline(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    bool first = true;
    for (const QPointF& point : points) {
        if (first) {
            path.moveTo(point);
            first = false;
        } else {
            path.lineTo(point);
        }
    }
    return path;
}

QPainterPath gearPath()
{
    QPainterPath body;
    body.addEllipse(QPointF(12, 12), 7.0, 7.0);
    for (int i = 0; i < 8; ++i) {
        QPainterPath tooth;
        tooth.addRoundedRect(QRectF(10.2, 1.8, 3.6, 5.0), 0.8, 0.8);
        QTransform turn;
        turn.translate(12, 12).rotate(45.0 * i).translate(-12, -12);
        body = body.united(turn.map(tooth));
    }
    QPainterPath hole;
    hole.addEllipse(QPointF(12, 12), 3.0, 3.0);
    return body.subtracted(hole);
}

QPainterPath cloudPath()
{
    QPainterPath cloud;
    cloud.addEllipse(QRectF(3, 10, 8, 8));
    QPainterPath top;
    top.addEllipse(QRectF(7, 5, 10, 10));
    QPainterPath right;
    right.addEllipse(QRectF(13, 9, 9, 9));
    QPainterPath base;
    base.addRect(QRectF(7, 13, 11, 5));
    return cloud.united(top).united(right).united(base);
}

QPainterPath keyboardPath(const QRectF& body)
{
    QPainterPath path;
    path.addRoundedRect(body, 2, 2);
    const qreal step = body.width() / 6.0;
    for (int row = 0; row < 2; ++row) {
        for (int col = 1; col < 6; ++col) {
            const QPointF dot(body.left() + step * col, body.top() + body.height() * (0.3 + 0.25 * row));
            path.moveTo(dot);
            path.lineTo(dot + QPointF(0.01, 0));
        }
    }
    const qreal y = body.bottom() - body.height() * 0.25;
    path.moveTo(body.left() + step * 1.6, y);
    path.lineTo(body.right() - step * 1.6, y);
    return path;
}

QPainterPath iconPath(Icon icon, bool& filled)
{
    filled = false;
    QPainterPath path;
    switch (icon) {
    case Icon::Check:
        return polyline({{5, 12.5}, {10, 17.5}, {19, 7}});
    case Icon::Cross:
        path = polyline({{6, 6}, {18, 18}});
        path.addPath(polyline({{18, 6}, {6, 18}}));
        return path;
    case Icon::Gear:
        filled = true;
        return gearPath();
    case Icon::ArrowLeft:
        path = polyline({{19, 12}, {5, 12}});
        path.addPath(polyline({{11, 6}, {5, 12}, {11, 18}}));
        return path;
    case Icon::ChevronLeft:
        return polyline({{15, 5}, {8, 12}, {15, 19}});
    case Icon::ChevronRight:
        return polyline({{9, 5}, {16, 12}, {9, 19}});
    case Icon::ChevronDown:
        return polyline({{5, 9}, {12, 16}, {19, 9}});
    case Icon::Search:
        path.addEllipse(QPointF(10.5, 10.5), 6.0, 6.0);
        path.addPath(polyline({{15, 15}, {20.5, 20.5}}));
        return path;
    case Icon::Cloud:
        return cloudPath();
    case Icon::Download:
        path = polyline({{12, 3}, {12, 15}});
        path.addPath(polyline({{7, 10}, {12, 15}, {17, 10}}));
        path.addPath(polyline({{4, 20}, {20, 20}}));
        return path;
    case Icon::Refresh:
        path.arcMoveTo(QRectF(5, 5, 14, 14), 60);
        path.arcTo(QRectF(5, 5, 14, 14), 60, 300);
        path.addPath(polyline({{17.5, 3.5}, {17.5, 8.2}, {12.8, 8.2}}));
        return path;
    case Icon::Trash:
        path = polyline({{4, 7}, {20, 7}});
        path.addPath(polyline({{9.5, 7}, {9.5, 4}, {14.5, 4}, {14.5, 7}}));
        path.addPath(polyline({{6.5, 7}, {7.5, 20}, {16.5, 20}, {17.5, 7}}));
        path.addPath(polyline({{10.5, 10.5}, {10.5, 16.5}}));
        path.addPath(polyline({{13.5, 10.5}, {13.5, 16.5}}));
        return path;
    case Icon::Camera:
    case Icon::CameraOff:
        path.addRoundedRect(QRectF(3, 7.5, 18, 12), 2, 2);
        path.addPath(polyline({{8.5, 7.5}, {10, 5}, {14, 5}, {15.5, 7.5}}));
        path.addEllipse(QPointF(12, 13.5), 3.5, 3.5);
        if (icon == Icon::CameraOff) {
            path.addPath(polyline({{3, 3}, {21, 21}}));
        }
        return path;
    case Icon::Person:
        filled = true;
        path.addEllipse(QPointF(12, 8), 4.5, 4.5);
        path.moveTo(3.5, 22);
        path.cubicTo(3.5, 13.5, 20.5, 13.5, 20.5, 22);
        path.closeSubpath();
        return path;
    case Icon::Ticket:
        path = ticketPath(QRectF(2, 6, 20, 12));
        path.addPath(polyline({{15, 8.5}, {15, 10}}));
        path.addPath(polyline({{15, 11.3}, {15, 12.7}}));
        path.addPath(polyline({{15, 14}, {15, 15.5}}));
        return path;
    case Icon::Backspace:
        path = polyline({{9, 5.5}, {21, 5.5}, {21, 18.5}, {9, 18.5}, {2.5, 12}, {9, 5.5}});
        path.addPath(polyline({{12.5, 9}, {17.5, 15}}));
        path.addPath(polyline({{17.5, 9}, {12.5, 15}}));
        return path;
    case Icon::Keyboard:
        return keyboardPath(QRectF(2, 6, 20, 12));
    case Icon::HideKeyboard:
        path = keyboardPath(QRectF(3, 2, 18, 11));
        path.addPath(polyline({{8, 17}, {12, 21}, {16, 17}}));
        return path;
    case Icon::Enter:
        path = polyline({{19, 5}, {19, 14}, {5, 14}});
        path.addPath(polyline({{9.5, 9.5}, {5, 14}, {9.5, 18.5}}));
        return path;
    case Icon::Tab:
        path = polyline({{3, 12}, {17, 12}});
        path.addPath(polyline({{12.5, 7.5}, {17, 12}, {12.5, 16.5}}));
        path.addPath(polyline({{20.5, 6}, {20.5, 18}}));
        return path;
    case Icon::Eye:
        path.moveTo(2, 12);
        path.quadTo(12, 2, 22, 12);
        path.quadTo(12, 22, 2, 12);
        path.addEllipse(QPointF(12, 12), 3.2, 3.2);
        return path;
    case Icon::Minimize:
        return polyline({{6, 18}, {18, 18}});
    case Icon::Power:
        path.arcMoveTo(QRectF(4.5, 5, 15, 15), 50);
        path.arcTo(QRectF(4.5, 5, 15, 15), 50, 280);
        path.addPath(polyline({{12, 3}, {12, 11}}));
        return path;
    }
    return path;
}

}  // namespace

void drawIcon(QPainter& p, Icon icon, const QRectF& box, const QColor& colour, qreal stroke)
{
    bool filled = false;
    const QPainterPath path = iconPath(icon, filled);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(box.topLeft());
    p.scale(box.width() / 24.0, box.height() / 24.0);
    if (filled) {
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
    } else {
        p.setPen(QPen(colour, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
    }
    p.drawPath(path);
    p.restore();
}

}  // namespace kit
