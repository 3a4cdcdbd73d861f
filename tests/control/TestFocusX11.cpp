#include "ui/MainWindow.h"
#include "ui/Ui_MainWindow.h"

#include "ScanFixture.h"
#include "TestMain.h"

#include <QGuiApplication>

#include <memory>

using namespace Qt::StringLiterals;
using namespace scanfixture;

namespace
{

// Counts the times the window is hidden.
struct HideCounter : QObject
{
    int hides = 0;

    bool eventFilter(QObject*, QEvent* event) override
    {
        hides += event->type() == QEvent::Hide ? 1 : 0;
        return false;
    }
};

bool hasTheKeyboard(MainWindow& window)
{
    return QApplication::activeWindow() == &window && window.focusWidget() == window.ui->editBarcode;
}

}  // namespace

// On a real X server with no window manager, where a window that is hidden and shown
// again, or whose flags change, gets the keyboard only if it asks for it.
class TestFocusX11 : public ScanTestBase
{
    Q_OBJECT

private slots:

    // The start of scanning and a toggle of the lock give the window the keyboard: a
    // reader types into the barcode field at once. The focus timer brings the window
    // back from another application's once, then leaves it alone; with the lock off
    // it changes nothing.
    void scanningKeepsTheKeyboard()
    {
        QCOMPARE(QGuiApplication::platformName(), u"xcb"_s);
        auto window = startScanning({{u"ONE"_s, 7, 2}});
        QTRY_VERIFY(hasTheKeyboard(*window));
        for (int toggle = 0; toggle < 2; ++toggle) {
            window->lockFocusClick();
            QTRY_VERIFY(hasTheKeyboard(*window));
        }
        scan(*window, u"ONE"_s);
        QCOMPARE(status(*window), label(64));

        HideCounter counter;
        window->installEventFilter(&counter);
        for (const bool locked : {true, false}) {
            QWidget other;
            other.resize(100, 100);
            other.show();
            other.activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), &other);
            other.hide();
            QTRY_VERIFY(!QApplication::activeWindow());
            counter.hides = 0;
            window->timerFocus();
            QTRY_COMPARE(hasTheKeyboard(*window), locked);
            window->timerFocus();
            window->timerFocus();
            QCOMPARE(counter.hides, locked ? 1 : 0);
            if (locked) {
                window->lockFocusClick();
                QTRY_VERIFY(hasTheKeyboard(*window));
            }
        }
    }
};

TAVRIMEX_TEST_MAIN(TestFocusX11)
#include "TestFocusX11.moc"
