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

// As the raw text sets it, blanks kept.
void storeRaw(CParam* param, ParamKey key, const QString& value)
{
    QHash<unsigned int, QString> names;
    param->initListeRecherche(names);
    param->setParamStr(names.value(key) + QLatin1Char('=') + value);
}

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
    static const QStringList shownByOthers{QStringLiteral("lblRepStatus"),
                                           QStringLiteral("lblResultStatus"),
                                           QStringLiteral("btnPunch")};
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (qobject_cast<const CRepWidget*>(w) || qobject_cast<const QDialog*>(w)) {
            return true;
        }
    }
    return shownByOthers.contains(widget->objectName());
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

    // One press, dropped by Cancel; then two presses, kept by Save.
    void switches_data()
    {
        QTest::addColumn<QString>("buttonName");
        QTest::addColumn<uint>("key");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("afterOne");
        QTest::addColumn<QString>("afterTwo");

        QTest::newRow("touch keyboard") << "btnParamTactil" << uint(TACTILE) << "0"
                                        << "1"
                                        << "0";
        QTest::newRow("empty reads off") << "btnParamDirectSearch" << uint(DIRECT_SEARCH) << ""
                                         << "0"
                                         << "1";
        QTest::newRow("today only, from a download") << "btnParamRepJour" << uint(REP_JOUR) << "1"
                                                     << "0"
                                                     << "2";
        QTest::newRow("trailing blank reads off") << "btnParamUnpunch" << uint(UNPUNCH) << "1 "
                                                  << "0"
                                                  << "1";
        QTest::newRow("hide recap") << "btnParamHideRecapTicket" << uint(HIDE_RECAP_TICKET_REP) << "0"
                                    << "1"
                                    << "0";
        QTest::newRow("local tickets") << "btnParamLocalTicket" << uint(USE_LOCAL_TICKET) << "1"
                                       << "0"
                                       << "1";
    }

    void switches()
    {
        QFETCH(QString, buttonName);
        QFETCH(uint, key);
        QFETCH(QString, stored);
        QFETCH(QString, afterOne);
        QFETCH(QString, afterTwo);
        MainWindow& window = *m_window;
        auto* sw = window.findChild<QPushButton*>(buttonName);
        const auto id = static_cast<ParamKey>(key);
        const auto style = [id](const QString& value) {
            const bool isOn = id == REP_JOUR ? value != QLatin1String("0") : value == QLatin1String("1");
            return isOn ? QStringLiteral("background-position:top") : QStringLiteral("background-position:bottom");
        };
        storeRaw(gParam, id, stored);

        window.configClick();
        QCOMPARE(sw->styleSheet(), style(stored));
        sw->click();
        QCOMPARE(window.paramEdit->parametre(id), afterOne);
        QCOMPARE(sw->styleSheet(), style(afterOne));
        window.cancelParamClicked();
        QVERIFY(!window.paramEdit);
        QCOMPARE(gParam->parametre(id), stored);

        window.configClick();
        sw->click();
        sw->click();
        QCOMPARE(sw->styleSheet(), style(afterTwo));
        window.saveParamClicked();
        QCOMPARE(savedValue(id), afterTwo);
        QCOMPARE(window.ui->stackedWidget->currentIndex(), 1);
    }

    // Typed text is stored trimmed and unchecked; the time-out field takes figures only.
    void fields()
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

    void accessCodes_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("subPage");

        QTest::newRow("configuration") << "72910358" << 1;
        QTest::newRow("raw text") << "16083974" << 3;
        QTest::newRow("trailing blank") << "72910358 " << 0;
        QTest::newRow("empty") << "" << 0;
    }

    void accessCodes()
    {
        QFETCH(QString, code);
        QFETCH(int, subPage);
        MainWindow& window = *m_window;
        Ui_MainWindow* ui = window.ui;
        window.configClick();
        answerAccessCode(window, code);
        QCOMPARE(window.saisieDlg->findChild<QLabel*>(QStringLiteral("lblSaisieDlgTitle"))->text(), message(0, 23));
        QVERIFY(window.saisieDlg->isHidden());
        QCOMPARE(ui->stackedWidgetParam->currentIndex(), subPage);
        QCOMPARE(shownMessage(window).value(1), subPage == 0 ? message(0, 22) : QString());
        QCOMPARE(ui->lblSepParam1->isHidden(), subPage == 3);
        QCOMPARE(ui->lblParamConfigPage->isHidden(), subPage != 1);
        if (subPage == 1) {
            QCOMPARE(ui->lblParamConfigPage->text(), label(0, 28) + QStringLiteral("1 / 2"));
            ui->btnParamConfigNextPage->click();
            QCOMPARE(ui->lblParamConfigPage->text(), label(0, 28) + QStringLiteral("2 / 2"));
            QVERIFY(!ui->btnParamConfigNextPage->isEnabled() && ui->btnParamConfigPrevPage->isEnabled());
        }
    }

    // The edited raw text applies to the copy on the way back; Save keeps it.
    void rawText_data()
    {
        QTest::addColumn<QString>("dropKey");
        QTest::addColumn<QString>("added");
        QTest::addColumn<uint>("key");
        QTest::addColumn<QString>("expected");

        QTest::newRow("unchanged") << ""
                                   << "" << uint(URL) << kServiceUrl;
        QTest::newRow("equals in the address") << "URL"
                                               << "URL=https://h.test/?a=b" << uint(URL) << "https://h.test/?a=b";
        QTest::newRow("lower-case key") << ""
                                        << "url=https://x.test/" << uint(URL) << kServiceUrl;
        QTest::newRow("leading blank") << ""
                                       << " URL=https://x.test/" << uint(URL) << kServiceUrl;
        QTest::newRow("first of two wins") << "PROXY"
                                           << "PROXY=first\nPROXY=second" << uint(PROXY) << "first";
        QTest::newRow("line removed") << "TIMEOUT"
                                      << "" << uint(TIMEOUT) << "300";
        QTest::newRow("trailing blanks kept") << "TACTILE"
                                              << "TACTILE=1  " << uint(TACTILE) << "1  ";
        QTest::newRow("time-out not a number") << "TIMEOUT"
                                               << "TIMEOUT=abc" << uint(TIMEOUT) << "abc";
    }

    void rawText()
    {
        QFETCH(QString, dropKey);
        QFETCH(QString, added);
        QFETCH(uint, key);
        QFETCH(QString, expected);
        Ui_MainWindow* ui = m_window->ui;
        m_window->configClick();
        answerAccessCode(*m_window, QStringLiteral("16083974"));
        QStringList lines = ui->editParam->toPlainText().split(QLatin1Char('\n'));
        lines.removeIf([&dropKey](const QString& line) {
            return line.startsWith(dropKey + QLatin1Char('='));
        });
        ui->editParam->setPlainText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n') + added);
        ui->btnParamBackAdvanced->click();
        QVERIFY(ui->stackedWidgetParam->currentIndex() == 0 && !ui->lblSepParam4->isHidden());
        m_window->saveParamClicked();
        QCOMPARE(savedValue(static_cast<ParamKey>(key)), expected);
    }

    // Every caption the form starts with in French follows each language, also after
    // another one: none is left empty or in another language. Cancel restores.
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
        QCOMPARE(window.ui->btnHelpAgent->toolTip(), label(1, 17));
        QVERIFY(!window.ui->btnParamEnglish->isEnabled() && window.ui->btnParamSpanish->isEnabled());
        QCOMPARE(gParam->parametre(LANGUE), QStringLiteral("0"));
        window.cancelParamClicked();
        QCOMPARE(wrongIn(0), QString());

        window.configClick();
        window.ui->btnParamEnglish->click();
        window.saveParamClicked();
        QCOMPARE(wrongIn(1), QString());
        QCOMPARE(savedValue(LANGUE), QStringLiteral("1"));
    }

    // Captions made of a label and the window's state.
    void composedCaptions_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QString>("zoneSuffix");

        QTest::newRow("French, no zone") << "0" << 0 << "0"
                                         << "";
        QTest::newRow("English, zone 12") << "1" << 1 << "12"
                                          << " (zone 12)";
        QTest::newRow("Spanish, zone 7") << "2" << 2 << "7"
                                         << " (zona 7)";
        QTest::newRow("language and zone not numbers") << "abc" << 0 << "abc"
                                                       << "";
    }

    void composedCaptions()
    {
        QFETCH(QString, stored);
        QFETCH(int, language);
        QFETCH(QString, zone);
        QFETCH(QString, zoneSuffix);
        gParam->initParametre(LANGUE, stored);
        gParam->initParametre(ZONE_KEST, zone);
        gParam->newVersion.set(QStringLiteral("4.3.2"));
        m_window = std::make_unique<MainWindow>();
        Ui_MainWindow* ui = m_window->ui;
        m_window->nbPunched = 3;
        m_window->nbTicket = 40;
        ui->lblConnection->setText(label(language, 11));
        m_window->changeLangue(3);
        QCOMPARE(ui->lblConnection->text(), label(language, 11));
        m_window->changeLangue(language);

        QCOMPARE(ui->lblConnection->text(), label(language, 12));
        QCOMPARE(ui->lblRepChoiceTitle->text(), label(language, 18) + zoneSuffix);
        QCOMPARE(ui->lblScanJauge->text(), label(language, 43) + QStringLiteral("3 / 40"));
        QCOMPARE(ui->lblUpdateTitle->text(), label(language, 107) + QStringLiteral("4.3.2"));
        QCOMPARE(ui->tableLocalTicketResult->horizontalHeaderItem(5)->text(), label(language, 138));
    }
};

TAVRIMEX_TEST_MAIN(TestSettingsPages)
#include "TestSettingsPages.moc"
