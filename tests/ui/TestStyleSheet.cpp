#include "ui/DesignStyleSheet.h"
#include "ui/MessageDlg.h"
#include "ui/ProgressBar.h"
#include "ui/SaisieDlg.h"
#include "ui/Ui_MainWindow.h"

#include "TestMain.h"

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

// The style sheet as the window and the dialogs load it.
class TestStyleSheet : public QObject
{
    Q_OBJECT

    QString sheet;
    QMainWindow window;
    Ui_MainWindow ui;

private slots:

    void initTestCase()
    {
        initResources();
        sheet = designStyleSheet();
        ui.setupUi(&window);
        // The dialogs are children of the window, as in the application.
        new ProgressBar(&window);
        new MessageDlg(&window);
        new SaisieDlg(&window);
    }

    // Every picture is compiled in, and every selector names a widget: one that names
    // none styles nothing, silently. Colours never follow a letter directly.
    void namesResolve()
    {
        const QStringList urls = captures(sheet, QStringLiteral("url\\(\\s*([^)\\s]+)\\s*\\)"));
        QVERIFY(urls.size() > 30);
        for (const QString& url : urls) {
            QVERIFY2(url.startsWith(QLatin1String(kDesignPath)) && !QImage(url).isNull(), qPrintable(url));
        }
        const QStringList names = captures(sheet, QStringLiteral("\\b[A-Z]\\w*#(\\w+)"));
        QVERIFY(names.size() > 100);
        for (const QString& name : names) {
            QVERIFY2(window.findChild<QWidget*>(name), qPrintable(name));
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
