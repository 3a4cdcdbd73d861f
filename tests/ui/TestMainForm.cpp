#include "ui/Ui_MainWindow.h"

#include "TestMain.h"

#include <QFile>

namespace
{

// A widget as the agent meets it: class, place, state and text; the stacks' pages in
// index order. The lines follow the children's order, which is also the stacking order.
QString describe(const QWidget* w)
{
    QString line = QStringLiteral("%1 %2 %3,%4,%5,%6")
                       .arg(w->objectName(), QString::fromLatin1(w->metaObject()->className()))
                       .arg(w->x())
                       .arg(w->y())
                       .arg(w->width())
                       .arg(w->height());
    line += QString::fromLatin1(w->isHidden() ? " hidden" : "") + (w->isEnabled() ? "" : " disabled");
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

// The window's form against form.txt: a line per named widget, then the
// tab chain of the widgets that take the keyboard.
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

    void formMatchesTheTable_data()
    {
        ui.setupUi(&window);
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
};

TAVRIMEX_TEST_MAIN(TestMainForm)
#include "TestMainForm.moc"
