#include "ui/MessageDlg.h"
#include "ui/ProgressBar.h"
#include "ui/SaisieDlg.h"
#include "ui/Ui_MainWindow.h"

#include "TestMain.h"

#include <QFile>
#include <QImage>
#include <QMainWindow>
#include <QRegularExpression>

// Q_INIT_RESOURCE may not be used inside a class or namespace.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace
{

const QString kFolder = QStringLiteral(":/design/kestrova/");

QImage picture(const QString& name)
{
    return QImage(kFolder + name);
}

// The distinct first captures of `pattern` in `text`.
QStringList captures(const QString& text, const QString& pattern)
{
    QStringList found;
    QRegularExpressionMatchIterator it = QRegularExpression(pattern).globalMatch(text);
    while (it.hasNext()) {
        const QString value = it.next().captured(1);
        if (!found.contains(value)) {
            found.append(value);
        }
    }
    return found;
}

}  // namespace

class TestStyleSheet : public QObject
{
    Q_OBJECT

    // The style sheet as the window and the dialogs load it.
    QString sheet;
    QMainWindow window;
    Ui_MainWindow ui;

    QWidget* find(const QString& name) const
    {
        return window.findChild<QWidget*>(name);
    }

private slots:

    void initTestCase()
    {
        initResources();
        QFile file(kFolder + QStringLiteral("Style.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        sheet = QString::fromUtf8(file.readAll()).replace(QStringLiteral("DESIGN_FULL_PATH/"), kFolder);
        ui.setupUi(&window);
        // The dialogs are children of the window, as in the application.
        new ProgressBar(&window);
        new MessageDlg(&window);
        new SaisieDlg(&window);
    }

    void everyUrlIsACompiledInPicture()
    {
        const QStringList urls = captures(sheet, QStringLiteral("url\\(\\s*([^)\\s]+)\\s*\\)"));
        QVERIFY(urls.size() > 30);
        for (const QString& url : urls) {
            QVERIFY2(url.startsWith(kFolder), qPrintable(url + ": outside the design folder"));
            QVERIFY2(!QImage(url).isNull(), qPrintable(url + ": not a compiled-in picture"));
        }
    }

    // Sprites stack their states; "background-position" top, center or bottom must
    // show one whole state of the widget and nothing of the next.
    void spriteStatesFitTheirWidget()
    {
        // "picture:widget[:states]", two states by default; the tiles' pictures name no
        // widget, as other code builds the tiles.
        const QStringList sprites =
            QStringLiteral(
                "switch.png:btnParamTactil switchPunch.png:btnSwitchDirectPunch flagFR.png:btnParamFrench "
                "flagUK.png:btnParamEnglish flagES.png:btnParamSpanish btSelect2.png:btnMessageDlgAck "
                "btCancel.png:btnParamCancel btBig.png:btnLoginValidation btPunch.png:btnPunch "
                "btSignal.png:btnSignalFraude btSmall.png:btnDrainGlobal btWebcam.png:btnActiveWebcam "
                "btUpdate.png:btnUpdateSoftware btConfig.png:btnConfigAccess btMinimize.png:btnMinimize "
                "btExit.png:btnExit btSearch.png:btnSearch btBack.png:btnSearchBackToScan "
                "btBackSmall.png:btnLocalTicketBackToRep btPrev.png:btnParamConfigPrevPage btNext.png:btnRepNextPage "
                "btHelp.png:btnHelpAgent etatEve.png:lblRepStatus etatConnexion.png:lblConnection "
                "btConnect.png:btnConnect etatWebcam.png:lblWebcamStatus resultPanel.png:widgetScanResult:3 "
                "resultFlash.png:widgetScanFlash btAction.png: etatEveLocal.png:")
                .split(QLatin1Char(' '));
        for (const QString& sprite : sprites) {
            const QStringList parts = sprite.split(QLatin1Char(':'));
            const QString& name = parts.at(0);
            const int states = parts.value(2, QStringLiteral("2")).toInt();
            QVERIFY2(sheet.contains(kFolder + name), qPrintable(name + ": not named by the style sheet"));
            const QImage image = picture(name);
            QVERIFY2(!image.isNull() && image.height() % states == 0, qPrintable(name));
            if (!parts.at(1).isEmpty()) {
                const QWidget* shown = find(parts.at(1));
                QVERIFY2(shown, qPrintable(sprite));
                QVERIFY2(image.height() / states == shown->height() && image.width() <= shown->width(),
                         qPrintable(sprite));
            }
        }
    }

    // The keyboard and pad pictures lie under their transparent buttons; the keys
    // themselves are drawn from the keys' own table.
    void keyPicturesFitTheirPlace()
    {
        QCOMPARE(picture("padAlphaNum.png").size(), ui.widgetKeyboardAlpha->size());
        QCOMPARE(picture("padAlphaNum.png").size(), ui.widgetSearchKeyboard->size());
        QCOMPARE(picture("padNum.png").size(), ui.widgetScanKeyboard->size());
    }

    // A selector naming no widget styles nothing, silently.
    void selectorsNameExistingWidgets()
    {
        // "QLabel#lblLogin" and the like; colours never follow a letter directly.
        const QStringList names = captures(sheet, QStringLiteral("\\b[A-Z]\\w*#(\\w+)"));
        QVERIFY(names.size() > 100);
        for (const QString& name : names) {
            QVERIFY2(find(name), qPrintable(name));
        }
    }

    void appliesWithoutParseWarning()
    {
        QVERIFY2(!sheet.contains(QLatin1Char('@')), "a colour of the template left unreplaced");
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        window.setStyleSheet(sheet);
        window.show();
        for (QWidget* widget : window.findChildren<QWidget*>()) {
            widget->ensurePolished();
        }
        QCoreApplication::processEvents();
    }
};

TAVRIMEX_TEST_MAIN(TestStyleSheet)

#include "TestStyleSheet.moc"
