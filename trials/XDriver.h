#pragma once

#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QString>

#include <memory>

// Drives a real X server from outside, as a person at the screen would: a private
// Xvfb display, key and button events through the XTEST extension, and pictures of
// what is painted read back from the screen.
namespace trials
{

// A private Xvfb with no window manager, stopped with the object.
class XServer
{
public:
    XServer() = default;
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    // Starts the server on a free display number; false when it did not come up.
    bool start();
    // ":<n>".
    QString display() const;

private:
    QProcess m_process;
    QString m_display;
};

// One connection to the display: events in, pictures out.
class XClient
{
public:
    XClient();
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    bool open(const QString& display);

    // Screen position of the viewable top-level window of `size`, or (-1, -1).
    QPoint windowAt(const QSize& size) const;
    // What the screen shows in `area` (screen coordinates).
    QImage grab(const QRect& area) const;

    void click(const QPoint& screenPoint);
    // Presses and releases the key of an X keysym, with Shift when asked.
    void key(unsigned long keysym, bool shift = false);
    // Types Latin-1 text key by key, as a barcode reader does.
    void type(const QString& text);
    void pressReturn();
    // The key with Control held, as a keyboard shortcut.
    void shortcut(unsigned long keysym);
    // Selects everything in the focused field and deletes it.
    void clearField();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace trials
