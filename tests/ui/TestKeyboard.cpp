#include "ui/CKeyboardWidget.h"

#include "TestMain.h"

#include <QPushButton>
#include <QSignalSpy>

#include <tuple>

class TestKeyboard : public QObject
{
    Q_OBJECT

private slots:

    void clickReportsTheKeyOnTop_data()
    {
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<QString>("className");
        // The text btnKeyClicked carries, or "<enter>", "<back>", "<exit>", "<none>".
        QTest::addColumn<QString>("emits");

        const auto row = [](const char* name, int x, int y, const char* className, const char* emits) {
            QTest::newRow(name) << QPoint(x, y) << QString::fromLatin1(className) << QString::fromLatin1(emits);
        };
        // Character keys, clicked near their top-left corner so that their places count too.
        const char* small = "CKeyboardSmallButton";

        const std::tuple<const char*, int, int> keys[] = {
            {"1", 5, 6},     {"2", 56, 6},    {"3", 108, 6},   {"4", 160, 6},   {"5", 212, 6},   {"6", 264, 6},
            {"7", 316, 6},   {"8", 368, 6},   {"9", 420, 6},   {"0", 472, 6},   {",", 525, 6},   {"A", 5, 57},
            {"Z", 56, 57},   {"E", 108, 57},  {"R", 160, 57},  {"T", 212, 57},  {"Y", 264, 57},  {"U", 316, 57},
            {"I", 368, 57},  {"O", 420, 57},  {"P", 472, 57},  {"Q", 22, 107},  {"S", 73, 107},  {"D", 125, 107},
            {"F", 177, 107}, {"G", 229, 107}, {"H", 281, 107}, {"J", 333, 107}, {"K", 385, 107}, {"L", 437, 107},
            {"M", 489, 107}, {"W", 7, 157},   {"X", 58, 157},  {"C", 110, 157}, {"V", 162, 157}, {"B", 214, 157},
            {"N", 266, 157}, {"?", 318, 157}, {".", 370, 157}, {"/", 422, 157}, {"_", 474, 157}};
        for (const auto& [text, x, y] : keys) {
            row(text, x + 2, y + 2, small, text);
        }
        row("tab", 8, 209, "CKeyboardDoubleButton", "\t");
        row("space bar", 116, 209, "CKeyboardSpaceBarButton", " ");
        row("blank wide key", 528, 231, "CKeyboardSpaceBarButton", "<none>");
        row("exit", 605, 30, small, "<exit>");
        row("back", 577, 81, "CKeyboardDoubleButton", "<back>");
        row("enter", 578, 156, "CKeyboardEnterButton", "<enter>");
        // Enter's left strip lies under M, which was created after it.
        row("enter strip under M", 530, 130, small, "M");
        row("enter strip below M", 530, 180, "CKeyboardEnterButton", "<enter>");
    }

    void clickReportsTheKeyOnTop()
    {
        QFETCH(QPoint, pos);
        QFETCH(QString, className);
        QFETCH(QString, emits);

        QWidget placeholder;
        placeholder.resize(639, 260);
        CKeyboardWidget keyboard(&placeholder);
        placeholder.show();
        QSignalSpy key(&keyboard, &CKeyboardWidget::btnKeyClicked);
        QSignalSpy enter(&keyboard, &CKeyboardWidget::btnEnterClicked);
        QSignalSpy back(&keyboard, &CKeyboardWidget::btnBackClicked);
        QSignalSpy exit(&keyboard, &CKeyboardWidget::btnExitClicked);

        QWidget* target = keyboard.childAt(pos);
        QVERIFY(target);
        QCOMPARE(QString::fromLatin1(target->metaObject()->className()), className);
        QCOMPARE(target->cursor().shape(), Qt::OpenHandCursor);
        QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, target->mapFrom(&keyboard, pos));

        const bool isText = !emits.startsWith(QLatin1Char('<'));
        QCOMPARE(key.count(), isText ? 1 : 0);
        QCOMPARE(enter.count(), emits == QLatin1String("<enter>") ? 1 : 0);
        QCOMPARE(back.count(), emits == QLatin1String("<back>") ? 1 : 0);
        QCOMPARE(exit.count(), emits == QLatin1String("<exit>") ? 1 : 0);
        if (isText) {
            QCOMPARE(key.at(0).at(0).toString(), emits);
        }
    }

    void takesParentSizeAtConstructionOnly()
    {
        QWidget placeholder;
        placeholder.resize(300, 100);
        CKeyboardWidget keyboard(&placeholder);
        QCOMPARE(keyboard.geometry(), QRect(0, 0, 300, 100));
        const QList<QPushButton*> keys = keyboard.findChildren<QPushButton*>();
        QCOMPARE(keys.size(), 47);
        // Keys keep their fixed places whatever the keyboard's size.
        QCOMPARE(keys.last()->geometry(), QRect(428, 207, 200, 48));

        placeholder.resize(639, 260);
        QCOMPARE(keyboard.size(), QSize(300, 100));
    }
};

TAVRIMEX_TEST_MAIN(TestKeyboard)
#include "TestKeyboard.moc"
