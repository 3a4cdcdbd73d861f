#include "ui/MainWindow.h"
#include "ui/Ui_MainWindow.h"

#include "ScanFixture.h"
#include "TestMain.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QWindow>

#include <memory>

using namespace Qt::StringLiterals;
using namespace scanfixture;

// On a real X server with no window manager, where a window that is hidden and shown
// again, or whose flags change, gets the keyboard only if it asks for it.
class TestFocusX11 : public ScanTestBase
{
    Q_OBJECT

private slots:

    // Scanning starts, and the lock toggles, with the keyboard in the barcode field. The
    // focus timer brings the window back from another application's once; unlocked, never.
    void scanningKeepsTheKeyboard()
    {
        QCOMPARE(QGuiApplication::platformName(), u"xcb"_s);
        auto window = startScanning({{u"ONE"_s, 7, 2}});
        const auto hasTheKeyboard = [&window] {
            return QApplication::activeWindow() == window.get() && window->focusWidget() == window->ui->editBarcode;
        };
        QTRY_VERIFY(hasTheKeyboard());
        for (const bool locked : {true, false}) {
            for (int toggle = locked ? 0 : 1; toggle < 2; ++toggle) {
                window->lockFocusClick();
                QTRY_VERIFY(hasTheKeyboard());
            }
            scan(*window, u"ONE"_s);
            QCOMPARE(status(*window), label(64));
            QWidget other;
            other.resize(100, 100);
            other.show();
            other.activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), &other);
            other.hide();
            QTRY_VERIFY(!QApplication::activeWindow());
            QSignalSpy shown(window->windowHandle(), &QWindow::visibleChanged);
            window->timerFocus();
            QTRY_COMPARE(hasTheKeyboard(), locked);
            window->timerFocus();
            window->timerFocus();
            QCOMPARE(shown.count(), locked ? 2 : 0);
        }
    }
};

TAVRIMEX_TEST_MAIN(TestFocusX11)
#include "TestFocusX11.moc"
