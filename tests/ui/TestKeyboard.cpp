#include "ui/CKeyboardWidget.h"

#include "TestMain.h"

#include <QPushButton>
#include <QSignalSpy>

class TestKeyboard : public QObject
{
    Q_OBJECT

private slots:

    // Every key in the order of the rows, each naming the signal it sends.
    void eachKeySendsItsSignal()
    {
        QWidget placeholder;
        placeholder.resize(639, 260);
        CKeyboardWidget keyboard(&placeholder);
        QString sent;
        connect(&keyboard, &CKeyboardWidget::btnKeyClicked, this, [&sent](const QString& text) {
            sent += text;
        });
        connect(&keyboard, &CKeyboardWidget::btnExitClicked, this, [&sent] {
            sent += "<exit>";
        });
        connect(&keyboard, &CKeyboardWidget::btnBackClicked, this, [&sent] {
            sent += "<back>";
        });
        connect(&keyboard, &CKeyboardWidget::btnEnterClicked, this, [&sent] {
            sent += "<enter>";
        });
        const QList<QPushButton*> keys = keyboard.findChildren<QPushButton*>();
        for (QPushButton* key : keys) {
            QCOMPARE(key->cursor().shape(), Qt::OpenHandCursor);
            key->click();
        }
        QCOMPARE(sent, "1234567890,<exit>AZERTYUIOP<back>QSDFGHJKL<enter>MWXCVBN?./_\t ");
    }

    // Enter's left strip lies under M, which was created after it.
    void enterLiesUnderM_data()
    {
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<QString>("className");
        QTest::newRow("strip under M") << QPoint(530, 130) << "CKeyboardSmallButton";
        QTest::newRow("strip below M") << QPoint(530, 180) << "CKeyboardEnterButton";
    }

    void enterLiesUnderM()
    {
        QFETCH(QPoint, pos);
        QFETCH(QString, className);
        QWidget placeholder;
        placeholder.resize(639, 260);
        CKeyboardWidget keyboard(&placeholder);
        QCOMPARE(QString::fromLatin1(keyboard.childAt(pos)->metaObject()->className()), className);
    }
};

TAVRIMEX_TEST_MAIN(TestKeyboard)
#include "TestKeyboard.moc"
