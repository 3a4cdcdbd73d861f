#include "XDriver.h"

#include <QDeadlineTimer>
#include <QThread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace trials
{

XServer::~XServer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
}

bool XServer::start()
{
    // "-displayfd 1" picks a free display and prints its number on standard output.
    m_process.setProgram(QStringLiteral("Xvfb"));
    m_process.setArguments({QStringLiteral("-displayfd"),
                            QStringLiteral("1"),
                            QStringLiteral("-screen"),
                            QStringLiteral("0"),
                            QStringLiteral("1280x1024x24"),
                            QStringLiteral("-nolisten"),
                            QStringLiteral("tcp")});
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start();
    if (!m_process.waitForStarted(5000)) {
        return false;
    }
    QByteArray out;
    const QDeadlineTimer deadline(10000);
    while (!out.contains('\n') && !deadline.hasExpired()) {
        m_process.waitForReadyRead(100);
        out += m_process.readAllStandardOutput();
    }
    bool ok = false;
    const int number = out.trimmed().toInt(&ok);
    if (!ok) {
        return false;
    }
    m_display = QStringLiteral(":%1").arg(number);
    return true;
}

QString XServer::display() const
{
    return m_display;
}

struct XClient::Impl
{
    Display* display = nullptr;

    ~Impl()
    {
        if (display) {
            XCloseDisplay(display);
        }
    }

    void keyEvent(unsigned long keysym, bool down)
    {
        const KeyCode code = XKeysymToKeycode(display, keysym);
        if (code != 0) {
            XTestFakeKeyEvent(display, code, down ? True : False, CurrentTime);
        }
    }
};

XClient::XClient()
    : d(std::make_unique<Impl>())
{}

XClient::~XClient() = default;

bool XClient::open(const QString& display)
{
    d->display = XOpenDisplay(display.toLatin1().constData());
    int event = 0;
    int error = 0;
    int major = 0;
    int minor = 0;
    return d->display && XTestQueryExtension(d->display, &event, &error, &major, &minor);
}

QPoint XClient::windowAt(const QSize& size) const
{
    Window root = DefaultRootWindow(d->display);
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    QPoint found(-1, -1);
    if (!XQueryTree(d->display, root, &root, &parent, &children, &count)) {
        return found;
    }
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(d->display, children[i], &attributes) && attributes.map_state == IsViewable
            && attributes.width == size.width() && attributes.height == size.height()) {
            found = QPoint(attributes.x, attributes.y);
        }
    }
    if (children) {
        XFree(children);
    }
    return found;
}

QImage XClient::grab(const QRect& area) const
{
    XImage* image = XGetImage(d->display,
                              DefaultRootWindow(d->display),
                              area.x(),
                              area.y(),
                              static_cast<unsigned int>(area.width()),
                              static_cast<unsigned int>(area.height()),
                              AllPlanes,
                              ZPixmap);
    if (!image) {
        return QImage();
    }
    QImage copy;
    if (image->bits_per_pixel == 32) {
        copy = QImage(reinterpret_cast<const uchar*>(image->data),
                      area.width(),
                      area.height(),
                      image->bytes_per_line,
                      QImage::Format_RGB32)
                   .copy();
    }
    XDestroyImage(image);
    return copy;
}

void XClient::click(const QPoint& screenPoint)
{
    XTestFakeMotionEvent(d->display, -1, screenPoint.x(), screenPoint.y(), CurrentTime);
    XTestFakeButtonEvent(d->display, 1, True, CurrentTime);
    XTestFakeButtonEvent(d->display, 1, False, CurrentTime);
    XFlush(d->display);
}

void XClient::key(unsigned long keysym, bool shift)
{
    if (shift) {
        d->keyEvent(XK_Shift_L, true);
    }
    d->keyEvent(keysym, true);
    d->keyEvent(keysym, false);
    if (shift) {
        d->keyEvent(XK_Shift_L, false);
    }
    XFlush(d->display);
}

void XClient::type(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool upper = u >= u'A' && u <= u'Z';
        key(upper ? u - u'A' + u'a' : u, upper);
    }
}

void XClient::pressReturn()
{
    key(XK_Return);
}

void XClient::shortcut(unsigned long keysym)
{
    d->keyEvent(XK_Control_L, true);
    d->keyEvent(keysym, true);
    d->keyEvent(keysym, false);
    d->keyEvent(XK_Control_L, false);
    XFlush(d->display);
}

void XClient::clearField()
{
    d->keyEvent(XK_Control_L, true);
    d->keyEvent(XK_a, true);
    d->keyEvent(XK_a, false);
    d->keyEvent(XK_Control_L, false);
    d->keyEvent(XK_BackSpace, true);
    d->keyEvent(XK_BackSpace, false);
    XFlush(d->display);
}

}  // namespace trials
