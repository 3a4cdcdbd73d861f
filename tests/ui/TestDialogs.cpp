#include "ui/MessageDlg.h"
#include "ui/ProgressBar.h"
#include "ui/SaisieDlg.h"

#include "TestMain.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPushButton>
#include <QSignalSpy>

#include <memory>

namespace
{

template <typename T>
T* child(QWidget* parent, const char* name)
{
    return parent->findChild<T*>(QString::fromLatin1(name));
}

}  // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

    // Stands in for the 1024x768 main window.
    std::unique_ptr<QWidget> m_window;

private slots:

    void initTestCase()
    {
        // The item traces of addToCombo; the program discards them too.
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    }

    void init()
    {
        m_window = std::make_unique<QWidget>();
        m_window->resize(1024, 768);
        m_window->show();
    }

    void cleanup()
    {
        m_window.reset();
    }

    // Child panels, not windows, so that the main window's shortcuts stay active;
    // centred once, and hidden by the window's relays only, never by Escape nor by
    // their own buttons.
    void framedInsideParent()
    {
        QWidget* w = m_window.get();
        auto* message = new MessageDlg(w);
        const QList<std::pair<QDialog*, QRect>> dialogs = {{new ProgressBar(w), QRect(312, 334, 400, 99)},
                                                           {message, QRect(312, 309, 400, 150)},
                                                           {new SaisieDlg(w), QRect(312, 309, 400, 150)}};
        for (const auto& [dialog, geometry] : dialogs) {
            QCOMPARE(dialog->objectName(), QString::fromLatin1(dialog->metaObject()->className()));
            QVERIFY(!dialog->isWindow() && !dialog->styleSheet().isEmpty());
            dialog->show();
            QCOMPARE(dialog->geometry(), geometry);
            QTest::keyClick(dialog, Qt::Key_Escape);
            QVERIFY(dialog->isVisible());
        }
        m_window->resize(800, 600);
        for (const auto& [dialog, geometry] : dialogs) {
            dialog->hide();
            dialog->show();
            QCOMPARE(dialog->geometry(), geometry);
        }
        QSignalSpy ack(message, &MessageDlg::signalAck);
        message->setTitle(QStringLiteral("Titre"));
        message->setMessage(QStringLiteral("Message"), QString());
        QTest::mouseClick(child<QPushButton>(message, "btnMessageDlgAck"), Qt::LeftButton);
        QCOMPARE(ack.count(), 1);
        QCOMPARE(child<QLabel>(message, "lblMessageDlgTitle")->text()
                     + child<QLabel>(message, "lblMessageDlgInfo")->text(),
                 QStringLiteral("TitreMessage"));
        QVERIFY(message->isVisible());
    }

    // 0 asks for a text, 1 for a choice, anything else is a yes/no question; goal 2,
    // the settings access code, masks the text. A choice past the end picks the first.
    void saisieShape()
    {
        SaisieDlg dialog(m_window.get());
        dialog.show();
        for (const int type : {1, 0, 2, -1, 1}) {
            dialog.setType(type);
            dialog.setGoal(type + 1);
            QString shown;
            for (const char* name : {"editSaisieDlg", "comboSaisieDlg", "lblSaisieDlgInfo"}) {
                shown += child<QWidget>(&dialog, name)->isVisible() ? QLatin1String(name) : QString();
            }
            QCOMPARE(shown, type == 0 ? "editSaisieDlg" : type == 1 ? "comboSaisieDlg" : "lblSaisieDlgInfo");
            QCOMPARE(dialog.type(), type);
            QCOMPARE(dialog.goal(), type + 1);
            QCOMPARE(child<QLineEdit>(&dialog, "editSaisieDlg")->echoMode(),
                     type == 1 ? QLineEdit::PasswordEchoOnEdit : QLineEdit::Normal);
        }
        for (uint data : {10u, 20u, 30u}) {
            dialog.addToCombo(data, QString::number(data));
        }
        auto* combo = child<QComboBox>(&dialog, "comboSaisieDlg");
        dialog.setEditFocus(2);
        QCOMPARE(combo->currentIndex(), 2);
        dialog.setEditFocus(3);
        QCOMPARE(combo->currentIndex(), 0);
        dialog.setTitle(QStringLiteral("T"), QStringLiteral("V"), QStringLiteral("C"));
        dialog.setQuestion(QStringLiteral("Q"));
        QString texts;
        for (const char* name : {"lblSaisieDlgTitle", "btnSaisieDlgValide", "btnSaisieDlgCancel", "lblSaisieDlgInfo"}) {
            texts += child<QWidget>(&dialog, name)->property("text").toString();
        }
        QCOMPARE(texts, QStringLiteral("TVCQ"));
    }

    // The answer is a uint for signalValideCombo, a QString for signalValideEdit, or
    // nothing for Cancel, which sends signalCancel only.
    void saisieAnswer_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QVariantList>("items");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QVariant>("answer");

        QTest::newRow("choice, empty list") << 1 << QVariantList{} << QString() << QVariant(0u);
        QTest::newRow("choice, first item") << 1 << QVariantList{4u, 9u} << QString() << QVariant(4u);
        QTest::newRow("choice, data no number") << 1 << QVariantList{QStringLiteral("x")} << QString() << QVariant(0u);
        QTest::newRow("text") << 0 << QVariantList{} << QStringLiteral("1234") << QVariant(QStringLiteral("1234"));
        QTest::newRow("question after clear") << 2 << QVariantList{} << QString() << QVariant(QString());
        QTest::newRow("cancel") << 0 << QVariantList{} << QStringLiteral("1234") << QVariant();
    }

    void saisieAnswer()
    {
        QFETCH(int, type);
        QFETCH(QVariantList, items);
        QFETCH(QString, typed);
        QFETCH(QVariant, answer);

        SaisieDlg dialog(m_window.get());
        // What a previous question left behind must not leak into this answer.
        dialog.setEdit(QStringLiteral("reste"));
        dialog.addToCombo(77u, QStringLiteral("Ancien"));
        dialog.setType(type);
        dialog.clear();
        for (const QVariant& data : items) {
            dialog.addToCombo(data, data.toString());
        }
        dialog.show();
        QTest::keyClicks(child<QLineEdit>(&dialog, "editSaisieDlg"), typed);
        QCOMPARE(dialog.getEditText(), typed);

        QSignalSpy combo(&dialog, &SaisieDlg::signalValideCombo);
        QSignalSpy edit(&dialog, &SaisieDlg::signalValideEdit);
        QSignalSpy cancel(&dialog, &SaisieDlg::signalCancel);
        const char* button = answer.isValid() ? "btnSaisieDlgValide" : "btnSaisieDlgCancel";
        QTest::mouseClick(child<QPushButton>(&dialog, button), Qt::LeftButton);
        QCOMPARE(combo.count() + edit.count() + cancel.count(), 1);
        QSignalSpy& expected = !answer.isValid() ? cancel : answer.typeId() == QMetaType::UInt ? combo : edit;
        QCOMPARE(expected.count(), 1);
        QCOMPARE(expected.value(0).value(0), answer);
        QVERIFY(dialog.isVisible());
    }
};

TAVRIMEX_TEST_MAIN(TestDialogs)
#include "TestDialogs.moc"
