#include "ui/MainWindow.h"
#include "ui/Ui_MainWindow.h"

#include "ScanFixture.h"
#include "TestMain.h"

#include <QGuiApplication>

#include <memory>

using namespace Qt::StringLiterals;
using namespace scanfixture;

// On a real X server with no window manager, where a window whose flags change is
// shown again without the keyboard unless it asks for it.
class TestFocusX11 : public ScanTestBase
{
    Q_OBJECT

private slots:

    // The start of scanning gives the new window the keyboard: a reader types into the
    // barcode field at once.
    void startOfScanningGetsTheKeyboard()
    {
        QCOMPARE(QGuiApplication::platformName(), u"xcb"_s);
        auto window = startScanning({{u"ONE"_s, 7, 2}});
        QTRY_COMPARE(QApplication::activeWindow(), window.get());
        QCOMPARE(window->focusWidget(), window->ui->editBarcode);
        scan(*window, u"ONE"_s);
        QCOMPARE(status(*window), label(64));
    }
};

TAVRIMEX_TEST_MAIN(TestFocusX11)
#include "TestFocusX11.moc"
