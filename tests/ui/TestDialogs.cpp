#include "ui/MessageDlg.h"
#include "ui/ProgressBar.h"
#include "ui/SaisieDlg.h"

#include "TestMain.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QProgressBar>
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

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void framedInsideParent_data();
    void framedInsideParent();

    void progressBar();
    void messageAcks();

    void saisieTypeShowsOneWidget_data();
    void saisieTypeShowsOneWidget();
    void saisieGoalTwoMasksTheEdit();
    void saisieEditFocus_data();
    void saisieEditFocus();
    void saisieOk_data();
    void saisieOk();
    void saisieCancel();

private:
    QWidget* m_window = nullptr;
};

void TestDialogs::initTestCase()
{
    // The item traces of addToCombo; the program discards them too.
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
}

void TestDialogs::init()
{
    // Stands in for the 1024x768 main window.
    m_window = new QWidget;
    m_window->resize(1024, 768);
    m_window->show();
}

void TestDialogs::cleanup()
{
    delete m_window;
    m_window = nullptr;
}

void TestDialogs::framedInsideParent_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QRect>("geometry");

    QTest::newRow("ProgressBar") << 0 << QRect(312, 334, 400, 99);
    QTest::newRow("MessageDlg") << 1 << QRect(312, 309, 400, 150);
    QTest::newRow("SaisieDlg") << 2 << QRect(312, 309, 400, 150);
}

void TestDialogs::framedInsideParent()
{
    QFETCH(int, kind);
    QFETCH(QRect, geometry);

    std::unique_ptr<QDialog> dialog;
    if (kind == 0) {
        dialog = std::make_unique<ProgressBar>(m_window);
    } else if (kind == 1) {
        dialog = std::make_unique<MessageDlg>(m_window);
    } else {
        dialog = std::make_unique<SaisieDlg>(m_window);
    }
    QCOMPARE(dialog->objectName(), QString::fromLatin1(QTest::currentDataTag()));
    // A child panel, not a window, so the main window's shortcuts stay active.
    QVERIFY(!dialog->isWindow());
    dialog->show();
    QCOMPARE(dialog->geometry(), geometry);

    // Only the window's relays hide a dialog, never Escape.
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    QVERIFY(dialog->isVisible());

    // Centred once: a later change of the parent's size does not move it.
    m_window->resize(800, 600);
    dialog->hide();
    dialog->show();
    QCOMPARE(dialog->geometry(), geometry);
}

void TestDialogs::progressBar()
{
    ProgressBar dialog(m_window);
    auto* bar = child<QProgressBar>(&dialog, "pbWaiting");
    QCOMPARE(child<QLabel>(&dialog, "lblWaiting")->text(), QStringLiteral("TextLabel"));
    QCOMPARE(bar->text(), QStringLiteral("10%"));

    dialog.setMax(200);
    dialog.setValue(150);
    QCOMPARE(bar->text(), QStringLiteral("75%"));
    // Above the maximum: ignored, the bar keeps its value.
    dialog.setValue(250);
    QCOMPARE(bar->value(), 150);

    // A range of 0 to 0 is Qt's busy bar, which shows no percentage.
    dialog.setMax(0);
    dialog.setValue(0);
    QCOMPARE(bar->maximum(), 0);
    QCOMPARE(bar->text(), QString());
}

void TestDialogs::messageAcks()
{
    MessageDlg dialog(m_window);
    QSignalSpy ack(&dialog, &MessageDlg::signalAck);
    dialog.setTitle(QStringLiteral("Erreur"));
    dialog.setMessage(QStringLiteral("Ligne 1\nLigne 2"), QStringLiteral("Aceptar"));
    QCOMPARE(child<QLabel>(&dialog, "lblMessageDlgTitle")->text(), QStringLiteral("Erreur"));
    QCOMPARE(child<QLabel>(&dialog, "lblMessageDlgInfo")->text(), QStringLiteral("Ligne 1\nLigne 2"));
    auto* button = child<QPushButton>(&dialog, "btnMessageDlgAck");
    QCOMPARE(button->text(), QStringLiteral("Aceptar"));

    // Without a caption the button still answers, and the receiver, not the dialog, hides it.
    dialog.setMessage(QStringLiteral("Message"), QString());
    dialog.show();
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(ack.count(), 1);
    QVERIFY(dialog.isVisible());
}

void TestDialogs::saisieTypeShowsOneWidget_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("edit");
    QTest::addColumn<bool>("combo");
    QTest::addColumn<bool>("question");

    QTest::newRow("0 text") << 0 << true << false << false;
    QTest::newRow("1 choice") << 1 << false << true << false;
    QTest::newRow("2 question") << 2 << false << false << true;
    QTest::newRow("-1 question") << -1 << false << false << true;
}

void TestDialogs::saisieTypeShowsOneWidget()
{
    QFETCH(int, type);
    QFETCH(bool, edit);
    QFETCH(bool, combo);
    QFETCH(bool, question);

    SaisieDlg dialog(m_window);
    // From another type first, so that every widget has to change.
    dialog.setType(type == 1 ? 0 : 1);
    dialog.setType(type);
    dialog.show();
    QCOMPARE(dialog.type(), type);
    QCOMPARE(child<QLineEdit>(&dialog, "editSaisieDlg")->isVisible(), edit);
    QCOMPARE(child<QComboBox>(&dialog, "comboSaisieDlg")->isVisible(), combo);
    QCOMPARE(child<QLabel>(&dialog, "lblSaisieDlgInfo")->isVisible(), question);
    QVERIFY(child<QLabel>(&dialog, "lblSaisieDlgTitle")->isVisible());
    QVERIFY(child<QPushButton>(&dialog, "btnSaisieDlgValide")->isVisible());
    QVERIFY(child<QPushButton>(&dialog, "btnSaisieDlgCancel")->isVisible());
}

void TestDialogs::saisieGoalTwoMasksTheEdit()
{
    SaisieDlg dialog(m_window);
    auto* edit = child<QLineEdit>(&dialog, "editSaisieDlg");
    dialog.setGoal(2);
    QCOMPARE(edit->echoMode(), QLineEdit::PasswordEchoOnEdit);
    // The next question of another goal shows its text plainly again.
    dialog.setGoal(3);
    QCOMPARE(edit->echoMode(), QLineEdit::Normal);
}

void TestDialogs::saisieEditFocus_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("current");

    QTest::newRow("existing item") << 2 << 2;
    QTest::newRow("one past the end") << 3 << 0;
    QTest::newRow("minus one: no item") << -1 << -1;
}

void TestDialogs::saisieEditFocus()
{
    QFETCH(int, index);
    QFETCH(int, current);

    SaisieDlg dialog(m_window);
    dialog.setType(1);
    for (uint data : {10u, 20u, 30u}) {
        dialog.addToCombo(data, QString::number(data));
    }
    dialog.setEditFocus(1);
    dialog.setEditFocus(index);
    QCOMPARE(child<QComboBox>(&dialog, "comboSaisieDlg")->currentIndex(), current);

    // A text question focuses its line edit, whatever the index.
    QApplication::setActiveWindow(m_window);
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    dialog.setType(0);
    dialog.show();
    child<QPushButton>(&dialog, "btnSaisieDlgCancel")->setFocus();
    dialog.setEditFocus(index);
    QTRY_VERIFY(child<QLineEdit>(&dialog, "editSaisieDlg")->hasFocus());
}

void TestDialogs::saisieOk_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QVariantList>("items");
    QTest::addColumn<QString>("typed");
    // A uint for signalValideCombo, a QString for signalValideEdit.
    QTest::addColumn<QVariant>("answer");

    QTest::newRow("choice, empty list") << 1 << QVariantList{} << QString() << QVariant(0u);
    QTest::newRow("choice, first item") << 1 << QVariantList{4u, 9u} << QString() << QVariant(4u);
    QTest::newRow("choice, data no number") << 1 << QVariantList{QStringLiteral("x")} << QString() << QVariant(0u);
    QTest::newRow("text") << 0 << QVariantList{} << QStringLiteral("1234") << QVariant(QStringLiteral("1234"));
    QTest::newRow("question after clear") << 2 << QVariantList{} << QString() << QVariant(QString());
}

void TestDialogs::saisieOk()
{
    QFETCH(int, type);
    QFETCH(QVariantList, items);
    QFETCH(QString, typed);
    QFETCH(QVariant, answer);

    SaisieDlg dialog(m_window);
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

    QSignalSpy combo(&dialog, &SaisieDlg::signalValideCombo);
    QSignalSpy edit(&dialog, &SaisieDlg::signalValideEdit);
    QTest::mouseClick(child<QPushButton>(&dialog, "btnSaisieDlgValide"), Qt::LeftButton);

    QSignalSpy& expected = answer.typeId() == QMetaType::UInt ? combo : edit;
    QCOMPARE(combo.count() + edit.count(), 1);
    QCOMPARE(expected.count(), 1);
    QCOMPARE(expected.at(0).at(0), answer);
    QVERIFY(dialog.isVisible());
}

void TestDialogs::saisieCancel()
{
    SaisieDlg dialog(m_window);
    QSignalSpy cancel(&dialog, &SaisieDlg::signalCancel);
    QSignalSpy combo(&dialog, &SaisieDlg::signalValideCombo);
    QSignalSpy edit(&dialog, &SaisieDlg::signalValideEdit);
    dialog.show();

    QTest::mouseClick(child<QPushButton>(&dialog, "btnSaisieDlgCancel"), Qt::LeftButton);
    QCOMPARE(cancel.count(), 1);
    QCOMPARE(combo.count() + edit.count(), 0);
    QVERIFY(dialog.isVisible());
}

TAVRIMEX_TEST_MAIN(TestDialogs)
#include "TestDialogs.moc"
