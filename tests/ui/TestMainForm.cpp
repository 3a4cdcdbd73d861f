#include "ui/CKeyboardWidget.h"
#include "ui/DesignStyleSheet.h"
#include "ui/MessageDlg.h"
#include "ui/ProgressBar.h"
#include "ui/SaisieDlg.h"
#include "ui/Ui_MainWindow.h"

#include "TestMain.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QRegularExpression>

static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace
{

// Class, place, state and text; a stack's pages. Children's order is the stacking order.
QString describe(const QWidget* w)
{
    QString line = w->objectName() + u' ' + QString::fromLatin1(w->metaObject()->className())
                   + QString::asprintf(" %d,%d,%d,%d", w->x(), w->y(), w->width(), w->height())
                   + (w->isHidden() ? " hidden" : "") + (w->isEnabled() ? "" : " disabled");
    if (const auto* stack = qobject_cast<const QStackedWidget*>(w)) {
        for (int i = 0; i < stack->count(); ++i) {
            line += QLatin1Char(' ') + stack->widget(i)->objectName() + (i == stack->currentIndex() ? "*" : "");
        }
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(w)) {
        line += QStringLiteral(" echo%1 max%2").arg(edit->echoMode()).arg(edit->maxLength());
    }
    for (const char* name : {"alignment", "layoutDirection", "wordWrap", "toolTip"}) {
        const QVariant value = w->property(name);
        line += value.isValid() ? QStringLiteral(" %1:%2").arg(value.toString(), QString::number(value.toInt())) : "";
    }
    line += w->testAttribute(Qt::WA_SetFont)
                ? QStringLiteral(" font:%1,%2").arg(w->font().pointSize()).arg(w->font().weight())
                : QString();
    line += w->testAttribute(Qt::WA_SetCursor) ? QStringLiteral(" cursor:%1").arg(w->cursor().shape()) : QString();
    const QVariant text = w->property("text");
    if (text.isValid() && !text.toString().isEmpty()) {
        line += QStringLiteral(" \"%1\"").arg(text.toString().replace(u'\n', u'|'));
    }
    return line;
}

}  // namespace

// The form against form.txt (a line per named widget, then the tab chain), its style sheet and keyboard.
class TestMainForm : public QObject
{
    Q_OBJECT

    QMainWindow window;
    Ui_MainWindow ui;

    QStringList snapshot()
    {
        QStringList lines;
        QStringList chain(QStringLiteral("tab chain:"));
        for (const QWidget* w : window.findChildren<QWidget*>()) {
            if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_"))) {
                lines << describe(w);
            }
        }
        for (QWidget* w = ui.editLogin->nextInFocusChain(); w != ui.editLogin; w = w->nextInFocusChain()) {
            if (!w->objectName().isEmpty() && (w->focusPolicy() & Qt::TabFocus)) {
                chain << w->objectName();
            }
        }
        return lines << chain.join(u' ');
    }

private slots:

    void initTestCase()
    {
        initResources();
        ui.setupUi(&window);
    }

    void formMatchesTheTable_data()
    {
        QFile file(QStringLiteral(FORM_TABLE));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList expected = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
        const QStringList actual = snapshot();
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("table");
        for (int i = 0; i < std::max(expected.size(), actual.size()); ++i) {
            QTest::addRow("%03d %s", i + 1, qPrintable(expected.value(i).section(u' ', 0, 0)))
                << actual.value(i) << expected.value(i);
        }
    }

    void formMatchesTheTable()
    {
        QFETCH(QString, line);
        QFETCH(QString, table);
        QCOMPARE(line, table);
    }

    // A rule per row, with each picture it names: a missing picture is drawn as nothing, silently.
    void picturesOfEachRule_data()
    {
        QString sheet = designStyleSheet();
        sheet.remove(QRegularExpression(QStringLiteral("/\\*.*?\\*/"), QRegularExpression::DotMatchesEverythingOption));
        QTest::addColumn<QString>("url");
        int rules = 0;
        QRegularExpressionMatchIterator rule =
            QRegularExpression(QStringLiteral("([^{}]+)\\{([^}]*)\\}")).globalMatch(sheet);
        while (rule.hasNext()) {
            const QRegularExpressionMatch match = rule.next();
            const QString selector = match.captured(1).trimmed().section(u',', 0, 0);
            QRegularExpressionMatchIterator url =
                QRegularExpression(QStringLiteral("url\\(\\s*([^)\\s]+)\\s*\\)")).globalMatch(match.captured(2));
            rules += url.hasNext() ? 1 : 0;
            while (url.hasNext()) {
                const QString path = url.next().captured(1);
                QTest::addRow("%s %s", qPrintable(selector), qPrintable(path.section(u'/', -1))) << path;
            }
        }
        // An unreadable sheet names no picture at all.
        if (rules < 40) {
            QTest::newRow("too few rules with a picture") << QString();
        }
    }

    void picturesOfEachRule()
    {
        QFETCH(QString, url);
        QVERIFY(url.startsWith(QLatin1String(kDesignPath)));
        QVERIFY(!QImage(url).isNull());
    }

    // The dialogs are children of the window, as in the application.
    void appliesWithoutParseWarning()
    {
        new ProgressBar(&window);
        new MessageDlg(&window);
        new SaisieDlg(&window);
        const QString sheet = designStyleSheet();
        QVERIFY2(!sheet.contains(QLatin1Char('@')), "a colour of the template left unreplaced");
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        window.setStyleSheet(sheet);
        window.show();
        for (QWidget* widget : window.findChildren<QWidget*>()) {
            widget->ensurePolished();
        }
        QCoreApplication::processEvents();
    }

    // A long performance name must not open the list past the window's edge.
    void comboListStaysInside()
    {
        QComboBox* combo = ui.comboRepLocal;
        ui.stackedWidget->setCurrentWidget(ui.pageAddTicket);
        combo->addItem(QString(120, QLatin1Char('W')));
        window.show();
        window.move(-300, 0);  // the screen's edge must not hold the list in for it
        combo->showPopup();
        const QWidget* list = combo->view()->window();
        QTRY_VERIFY(list->isVisible());
        const QRect shown = list->geometry();
        combo->hidePopup();
        combo->clear();
        QVERIFY2(window.geometry().contains(shown), qPrintable(QString::number(shown.width())));
    }

    // Every key row by row, each naming its signal; Enter's left strip lies under M.
    void eachKeySendsItsSignal()
    {
        QWidget placeholder;
        placeholder.resize(639, 260);
        CKeyboardWidget keyboard(&placeholder);
        QString sent;
        connect(&keyboard, &CKeyboardWidget::btnKeyClicked, this, [&sent](const QString& text) {
            sent += text;
        });
        for (const auto& [signal, name] : {std::pair(&CKeyboardWidget::btnExitClicked, "<exit>"),
                                           std::pair(&CKeyboardWidget::btnBackClicked, "<back>"),
                                           std::pair(&CKeyboardWidget::btnEnterClicked, "<enter>")}) {
            connect(&keyboard, signal, this, [&sent, name = name] {
                sent += QLatin1String(name);
            });
        }
        for (QPushButton* key : keyboard.findChildren<QPushButton*>()) {
            QCOMPARE(key->cursor().shape(), Qt::OpenHandCursor);
            key->click();
        }
        QCOMPARE(sent, "1234567890,<exit>AZERTYUIOP<back>QSDFGHJKL<enter>MWXCVBN?./_\t ");
        QCOMPARE(keyboard.geometry(), QRect(0, 0, 639, 260));
        QCOMPARE(keyboard.childAt(530, 130)->metaObject()->className(), "CKeyboardSmallButton");
        QCOMPARE(keyboard.childAt(530, 180)->metaObject()->className(), "CKeyboardEnterButton");
    }
};

TAVRIMEX_TEST_MAIN(TestMainForm)
#include "TestMainForm.moc"
