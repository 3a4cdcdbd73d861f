#include "session/CRepWidget.h"
#include "ui/SaisieDlg.h"
#include "ui/Ui_MainWindow.h"

#include "BoxRecorder.h"
#include "SettingsFixture.h"
#include "TestMain.h"

#include <QLineEdit>
#include <QThread>

#include <memory>

using namespace settingsFixture;

namespace
{

void answerAccessCode(MainWindow& window, const QString& code)
{
    window.advancedParamClicked();
    QTest::keyClicks(window.saisieDlg->findChild<QLineEdit*>(QStringLiteral("editSaisieDlg")), code);
    window.saisieDlg->findChild<QPushButton*>(QStringLiteral("btnSaisieDlgValide"))->click();
}

QString captionOf(const QWidget* widget)
{
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        return label->text();
    }
    const auto* button = qobject_cast<const QAbstractButton*>(widget);
    return button ? button->text() : QString();
}

// The tiles, the dialogs, the sale badge, the verdict and the punch button get their
// texts from the code that shows them.
bool isCaptionedElsewhere(const QWidget* widget)
{
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (qobject_cast<const CRepWidget*>(w) || qobject_cast<const QDialog*>(w)) {
            return true;
        }
    }
    return QStringList{"lblRepStatus", "lblResultStatus", "btnPunch"}.contains(widget->objectName());
}

}  // namespace

class TestSettingsPages : public QObject
{
    Q_OBJECT

    std::unique_ptr<BoxRecorder> m_boxes;
    std::unique_ptr<MainWindow> m_window;

private slots:

    void initTestCase()
    {
        fixture::initQuietCore();
        m_boxes = std::make_unique<BoxRecorder>();
    }

    void init()
    {
        resetSettings();
        m_window = std::make_unique<MainWindow>();
        m_window->ui->stackedWidget->setCurrentIndex(1);
    }

    void cleanup()
    {
        m_window.reset();
        QVERIFY(m_boxes->entries().isEmpty());
    }

    // The value stored, whether it shows on, after one press (dropped by Cancel), and
    // after two presses (kept by Save).
    void switches_data()
    {
        QTest::addColumn<QString>("buttonName");
        QTest::addColumn<uint>("key");
        QTest::addColumn<QString>("values");
        QTest::newRow("touch keyboard") << "btnParamTactil" << uint(TACTILE) << "0|off|1|0";
        QTest::newRow("empty reads off") << "btnParamDirectSearch" << uint(DIRECT_SEARCH) << "|off|0|1";
        QTest::newRow("today only, from a download") << "btnParamRepJour" << uint(REP_JOUR) << "1|on|0|2";
        QTest::newRow("punches apart") << "btnParamDiffPunch" << uint(DIFF_PUNCH) << "1|on|0|1";
        QTest::newRow("un-punch") << "btnParamUnpunch" << uint(UNPUNCH) << "0|off|1|0";
        QTest::newRow("recap hidden") << "btnParamHideRecapTicket" << uint(HIDE_RECAP_TICKET_REP) << "0|off|1|0";
        QTest::newRow("local tickets") << "btnParamLocalTicket" << uint(USE_LOCAL_TICKET) << "1|on|0|1";
    }

    void switches()
    {
        QFETCH(QString, buttonName);
        QFETCH(uint, key);
        QFETCH(QString, values);
        const QStringList value = values.split(QLatin1Char('|'));
        const auto id = static_cast<ParamKey>(key);
        auto* button = m_window->findChild<QPushButton*>(buttonName);
        gParam->initParametre(id, value[0]);
        m_window->configClick();
        QVERIFY(button->styleSheet().endsWith(value[1] == QLatin1String("on") ? "top" : "bottom"));
        button->click();
        QCOMPARE(m_window->paramEdit->parametre(id), value[2]);
        m_window->cancelParamClicked();
        QCOMPARE(gParam->parametre(id), value[0]);
        m_window->configClick();
        button->click();
        button->click();
        m_window->saveParamClicked();
        QCOMPARE(savedValue(id), value[3]);

        // A copy still being edited goes with the window.
        const QStringList shared{buttonName};
        gParam->updateModifs.set(shared);
        m_window->configClick();
        gParam->updateModifs.set({});
        m_window.reset();
        QVERIFY(shared.isDetached());
    }

    // Typed text is stored trimmed and unchecked, the time-out field taking figures
    // only; the raw text, behind its access code (compared as typed), as written, a
    // line removed keeping its value. Cancel drops both.
    void fieldsAndRawText()
    {
        Ui_MainWindow* ui = m_window->ui;
        for (const bool isSaved : {false, true}) {
            m_window->configClick();
            ui->editParamUrl->clear();
            QTest::keyClicks(ui->editParamUrl, QStringLiteral("  https://h.test/a=b/?  "));
            QTest::keyClicks(ui->editParamProxy, QStringLiteral(" 10.0.0.1"));
            ui->editParamTimeOut->clear();
            QTest::keyClicks(ui->editParamTimeOut, QStringLiteral("4x5"));
            isSaved ? m_window->saveParamClicked() : m_window->cancelParamClicked();
            QCOMPARE(savedValue(URL), isSaved ? QStringLiteral("https://h.test/a=b/?") : kServiceUrl);
            QCOMPARE(savedValue(PROXY), isSaved ? QStringLiteral("10.0.0.1") : QString());
            QCOMPARE(gParam->parametre(TIMEOUT), isSaved ? QStringLiteral("45") : QStringLiteral("300"));
        }

        m_window->configClick();
        answerAccessCode(*m_window, QStringLiteral("16083974 "));
        QCOMPARE(shownMessage(*m_window).value(1), message(0, 22));
        m_window->ackMessage();
        answerAccessCode(*m_window, QStringLiteral("72910358"));
        QCOMPARE(ui->stackedWidgetParam->currentIndex(), 1);
        answerAccessCode(*m_window, QStringLiteral("16083974"));
        QStringList lines = ui->editParam->toPlainText().split(QLatin1Char('\n'));
        lines.removeIf([](const QString& line) {
            return line.startsWith(QLatin1String("URL=")) || line.startsWith(QLatin1String("TIMEOUT="))
                   || line.startsWith(QLatin1String("TACTILE="));
        });
        ui->editParam->setPlainText(lines.join(QLatin1Char('\n')) + "\nTIMEOUT=abc\nTACTILE=1");
        ui->btnParamBackAdvanced->click();
        // The page shows what the text says.
        QVERIFY(ui->btnParamTactil->styleSheet().endsWith("top"));
        m_window->saveParamClicked();
        QCOMPARE(savedValue(URL) + ' ' + savedValue(TIMEOUT), QStringLiteral("https://h.test/a=b/? abc"));
    }

    // The configuration sub-pages, after its code: the page shown, its label, "<" and
    // ">" for the enabled buttons.
    void configPaging()
    {
        Ui_MainWindow* ui = m_window->ui;
        const auto state = [ui] {
            return QString::number(ui->stackedWidgetParam->currentIndex()) + ' '
                   + ui->lblParamConfigPage->text().mid(label(0, 28).size())
                   + (ui->btnParamConfigPrevPage->isEnabled() ? " <" : " .")
                   + (ui->btnParamConfigNextPage->isEnabled() ? ">" : ".");
        };
        m_window->configClick();
        QVERIFY(ui->btnParamConfigNextPage->isHidden());
        answerAccessCode(*m_window, QStringLiteral("72910358"));
        QVERIFY(!ui->btnParamConfigNextPage->isHidden());
        QCOMPARE(state(), QStringLiteral("1 1 / 2 .>"));
        QStringList states;
        for (auto slot : {&MainWindow::nextParamClicked,
                          &MainWindow::nextParamClicked,
                          &MainWindow::previousParamClicked,
                          &MainWindow::previousParamClicked}) {
            (m_window.get()->*slot)();
            states << state();
        }
        QCOMPARE(states.join('|'), QStringLiteral("2 2 / 2 <.|2 2 / 2 <.|1 1 / 2 .>|1 1 / 2 .>"));
    }

    // Settings and update page over one another: each way back skips the other one.
    // 'c' opens the settings, 'u' the update page; 'x' leaves the update page, 'k'
    // cancels and 's' saves the settings. The pages shown after each step.
    void pageReturns_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("pages");
        QTest::newRow("update") << "ux"
                                << "5 2";
        QTest::newRow("update twice") << "uux"
                                      << "5 5 2";
        QTest::newRow("settings, update") << "cux"
                                          << "4 5 2";
        QTest::newRow("update, settings") << "uck"
                                          << "5 4 2";
        QTest::newRow("update, settings, update") << "ucux"
                                                  << "5 4 5 2";
        QTest::newRow("settings, update, settings") << "cucs"
                                                    << "4 5 4 2";
    }

    void pageReturns()
    {
        QFETCH(QString, steps);
        QFETCH(QString, pages);
        gParam->newVersion.set(QStringLiteral("4.4"));
        gParam->updateModifs.set({QStringLiteral("a"), QStringLiteral("b")});
        m_window->ui->stackedWidget->setCurrentIndex(2);
        QStringList shown;
        using Slot = void (MainWindow::*)();
        const Slot actions[] = {&MainWindow::configClick,
                                &MainWindow::updateSoftwareClick,
                                &MainWindow::cancelUpdateClicked,
                                &MainWindow::cancelParamClicked,
                                &MainWindow::saveParamClicked};
        for (const QChar step : steps) {
            (m_window.get()->*actions[QStringLiteral("cuxks").indexOf(step)])();
            shown << QString::number(m_window->ui->stackedWidget->currentIndex());
        }
        QCOMPARE(shown.join(' '), pages);
        QCOMPARE(m_window->ui->lblUpdateTitle->text(), label(0, 107) + "4.4");
        QCOMPARE(m_window->ui->lstUpdate->count(), 2);
    }

    // Save writes back only what was edited, into the one live object that workers
    // keep reading: what a worker and the session wrote meanwhile survives.
    void saveKeepsLiveValues()
    {
        CParam* const live = gParam;
        m_window->configClick();
        m_window->ui->btnParamTactil->click();
        m_window->ui->btnParamRepJour->click();
        QScopedPointer<QThread> worker(QThread::create([] {
            gParam->initParametre(ZONE_KEST, QStringLiteral("12"));
            gParam->initParametre(REP_JOUR, QStringLiteral("1"));
            gParam->sessionId.set(QStringLiteral("S2"));
            gParam->isOnline = true;
        }));
        worker->start();
        QVERIFY(worker->wait());
        m_window->saveParamClicked();
        QCOMPARE(gParam, live);
        QCOMPARE(gParam->sessionId.get(), QStringLiteral("S2"));
        QVERIFY(gParam->isOnline);
        QCOMPARE(savedValue(ZONE_KEST), QStringLiteral("12"));
        QCOMPARE(savedValue(TACTILE), QStringLiteral("1"));
        // Edited on the page too: the agent's value wins.
        QCOMPARE(savedValue(REP_JOUR), QStringLiteral("2"));
    }

    // Every caption the form starts with in French follows each language, also after
    // another one: none is left empty or in another language. Cancel restores; the
    // captions made of a label and the window's state follow too.
    void everyCaption()
    {
        MainWindow& window = *m_window;
        QList<std::pair<QWidget*, QList<int>>> captions;
        for (QWidget* widget : window.findChildren<QWidget*>()) {
            QList<int> lines;
            for (int i = 0; i < 160 && !captionOf(widget).isEmpty() && !isCaptionedElsewhere(widget); ++i) {
                if (label(0, i) == captionOf(widget)) {
                    lines << i;
                }
            }
            if (!lines.isEmpty()) {
                captions.append({widget, lines});
            }
        }
        QVERIFY(captions.size() >= 70);
        const auto wrongIn = [&captions](int language) {
            QStringList wrong;
            for (const auto& caption : std::as_const(captions)) {
                const auto isIn = [&](int line) {
                    return label(language, line) == captionOf(caption.first);
                };
                if (std::none_of(caption.second.cbegin(), caption.second.cend(), isIn)) {
                    wrong << caption.first->objectName() + QStringLiteral(" : ") + captionOf(caption.first);
                }
            }
            return wrong.join(QStringLiteral(", "));
        };

        window.configClick();
        window.ui->btnParamSpanish->click();
        QCOMPARE(wrongIn(2), QString());
        window.ui->btnParamEnglish->click();
        QCOMPARE(wrongIn(1), QString());
        window.cancelParamClicked();
        QCOMPARE(wrongIn(0), QString());

        window.configClick();
        window.ui->btnParamEnglish->click();
        window.saveParamClicked();
        QCOMPARE(wrongIn(1), QString());
        QCOMPARE(savedValue(LANGUE), QStringLiteral("1"));

        gParam->initParametre(ZONE_KEST, QStringLiteral("7"));
        window.nbPunched = 3;
        window.nbTicket = 40;
        window.changeLangue(2);
        QCOMPARE(window.ui->lblRepChoiceTitle->text(), label(2, 18) + QStringLiteral(" (zona 7)"));
        QCOMPARE(window.ui->lblScanJauge->text(), label(2, 43) + QStringLiteral("3 / 40"));
    }
};

TAVRIMEX_TEST_MAIN(TestSettingsPages)
#include "TestSettingsPages.moc"
