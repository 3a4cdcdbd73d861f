#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QRectF>
#include <QSize>
#include <QString>

class QPainter;

// Drawing primitives shared by every picture of the design: canvases, rounded faces,
// sprites and a small set of line icons drawn on a 24 by 24 grid.
namespace kit
{

// A transparent picture, ready for antialiased painting.
QImage canvas(int w, int h);
QImage canvas(QSize size);

// The states of a sprite, stacked from top to bottom in one picture.
QImage stack(const QList<QImage>& states);

QColor withAlpha(QColor colour, int alpha);
QColor mix(const QColor& a, const QColor& b, qreal t);

// A rounded face filled from `top` to `bottom`, with an optional one-pixel border.
struct Face
{
    QColor top;
    QColor bottom;
    QColor border;  // invalid: no border
    qreal radius = 6.0;
};

void fillFace(QPainter& p, const QRectF& rect, const Face& face);
QImage faceImage(QSize size, const Face& face);

// Whether the font files text is drawn with can be read.
bool textFontsLoad();

// One line of DejaVu Sans, read from its file, centred in `rect`.
void drawText(QPainter& p, const QRectF& rect, const QString& text, int pixelSize, bool bold, const QColor& colour);

// The picture with straight alpha, rounded the same on every machine: QImage's own
// conversion picks a routine by processor, and they round differently.
QImage straightAlpha(const QImage& image);

enum class Icon
{
    Check,
    Cross,
    Gear,
    ArrowLeft,
    ChevronLeft,
    ChevronRight,
    ChevronDown,
    Search,
    Cloud,
    Download,
    Refresh,
    Trash,
    Camera,
    CameraOff,
    Person,
    Ticket,
    Backspace,
    Keyboard,
    HideKeyboard,
    Enter,
    Tab,
    Eye,
    Minimize,
    Power,
};

// Draws `icon` scaled into `box` (a 24 by 24 design grid), stroked with `colour`.
void drawIcon(QPainter& p, Icon icon, const QRectF& box, const QColor& colour, qreal stroke = 2.0);

// The outline of a ticket with a notch on each side, in `rect`.
QPainterPath ticketPath(const QRectF& rect);

}  // namespace kit
