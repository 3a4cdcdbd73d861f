#include "control/TicketText.h"
#include "control/Verdict.h"
#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/CDateHeure.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "session/CRepWidget.h"
#include "settings/SoftwareUpdate.h"
#include "ui/MainWindow.h"
#include "ui/MessageDlg.h"
#include "ui/ProgressBar.h"
#include "ui/SaisieDlg.h"
#include "ui/Ui_MainWindow.h"

#include "BoxRecorder.h"
#include "CoreFixture.h"
#include "DataFixture.h"
#include "TestMain.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <csignal>
#include <memory>
#include <sys/resource.h>

namespace
{

const QString kServiceUrl = QStringLiteral("http://127.0.0.1:1/accessctrl/?");

QString label(int language, int index)
{
    return gAffichage->getTraduction(language, index);
}

QString message(int index)
{
    return gAffichage->getMessage(0, index);
}

QString savedValue(ParamKey key)
{
    CParam saved;
    saved.charge(QString(), false);
    return saved.parametre(key);
}

QString shownMessage(MainWindow& window)
{
    return window.messageDlg->isHidden()
               ? QString()
               : window.messageDlg->findChild<QLabel*>(QStringLiteral("lblMessageDlgInfo"))->text();
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

// Tiles, dialogs, sale badge, verdict and punch button get texts from the code showing them.
bool isCaptionedElsewhere(const QWidget* widget)
{
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (qobject_cast<const CRepWidget*>(w) || qobject_cast<const QDialog*>(w)) {
            return true;
        }
    }
    return QStringList{"lblRepStatus", "lblResultStatus", "btnPunch"}.contains(widget->objectName());
}

// Files may not grow past `bytes` (0: no limit), as on a full disk.
void limitFileSize(int bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = bytes > 0 ? rlim_t(bytes) : limit.rlim_max;
    setrlimit(RLIMIT_FSIZE, &limit);
}

}  // namespace

// Settings and update, the service on a closed port, in a fresh folder for "./update.exe".
class TestSettingsPages : public QObject
{
    Q_OBJECT

    std::unique_ptr<BoxRecorder> m_boxes;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<QTemporaryDir> m_workDir;
    QString m_startDir;
    QStringList m_started;
    bool m_startWorks = true;
    int m_quits = 0;

    void recordStarts()
    {
        softwareUpdate::setDetachedStarter([this](const QString& program) {
            m_started << program;
            return m_startWorks;
        });
    }

    void newWindow()
    {
        m_window = std::make_unique<MainWindow>();
        m_window->quitEventLoop = [this] {
            ++m_quits;
        };
    }

    // Event 301 "Gala", performances 4001 on Saturday 5 January 2030 and 4002 a month later:
    // its tile filled, 4001 selected and its list scanned, T1 reported (two entries left),
    // T2 used up. The second tile shows pass 302, of one performance on the date of 4002.
    void scanReportedTicket()
    {
        MainWindow& window = *m_window;
        QSqlDatabase& db = window.db;
        gParam->initParametre(ZONE_KEST, QStringLiteral("3"));
        gParam->initParametre(REP_JOUR, QStringLiteral("0"));
        gParam->isWebcam = false;
        gParam->isDirectPunch = false;
        const QString list = dbFolder() + QStringLiteral("R4001_Z3.db");
        QFile::remove(list);
        QVERIFY(openRepBDD(db, window.dbMutex, list));
        for (const char* sql : {
                 "insert into DELTA (ID, LAST_UPDATE, LOGIN, ZONE_ID) values (9, '2030-01-01 08:00:00', 'o', 3)",
                 "insert into EDITEUR (ID, NOM) values (7, 'Billetterie')",
                 "insert into EVENT (ID, NOM) values (301, 'Gala')",
                 "insert into REP (ID, EVENT_ID, DATE_DEBUT, DATE_FIN, NB_COMPOSTAGE) values "
                 "(4001, 301, '2030-01-05 20:00:00', '2030-01-05 23:00:00', 1)",
                 "insert into BILLET (ID, CODE_BARRE, EDITEUR_ID, REP_ID, NB_COMPOSTAGE, IS_USABLE, IS_DELETED, "
                 "NOM_PORTEUR, PRENOM_PORTEUR, DATE_ACHAT) values (1, 'T1', 7, 4001, 2, 1, 0, 'Lovelace', 'Ada', "
                 "'2029-12-01 10:30:00'), (2, 'T2', 7, 4001, 0, 1, 0, 'Hopper', 'Grace', '2029-12-02 11:00:00')",
             }) {
            QVERIFY(sqlRun(db, QLatin1String(sql)));
        }
        QVERIFY(openBDD(db, window.dbMutex));
        QVERIFY(sqlRun(db, QStringLiteral("replace into EVENEMENT (ID, NOM, TYPE) values (301, 'Gala', 0)")));
        QVERIFY(sqlRun(db,
                       QStringLiteral("replace into REPRESENTATION (ID, EVENEMENT_ID, DATE_DEBUT, DATE_FIN, "
                                      "DATE_FIN_VENTE, NB_PLACE, NOM_EVT) values (4001, 301, '2030-01-05 20:00:00', "
                                      "'2030-01-05 23:00:00', '2030-01-04 18:00:00', 50, 'Gala'), (4003, 302, "
                                      "'2030-02-05 20:00:00', '2030-02-05 23:00:00', '2030-02-04 18:00:00', 50, "
                                      "'Gala'), (4002, 301, '2030-02-05 20:00:00', '2030-02-05 23:00:00', "
                                      "'2030-02-04 18:00:00', 50, 'Gala'), (4004, 302, '2030-03-05 20:00:00', "
                                      "'2030-03-05 23:00:00', '2030-03-04 18:00:00', 50, 'Gala')")));
        for (const unsigned int id : {301u, 302u}) {
            CDataEvenement evenement;
            evenement.initDefaut();
            evenement.ID = id;
            evenement.TYPE = id == 302 ? 1 : 0;
            evenement.NOM = QStringLiteral("Gala");
            window.repWidgets[id - 301]->init(evenement, window.dbMutex, db, window.networkManager);
        }
        window.repWidgets[0]->btnSelect->click();
        QCOMPARE(window.currentRepDbName, list);
        window.startScanClicked();
        QCOMPARE(window.ui->stackedWidget->currentIndex(), 2);
        QTest::keyClicks(window.ui->editBarcode, QStringLiteral("T1"));
        window.ui->btnPadNumValide->click();
        window.ui->btnSignalFraude->click();
        QCOMPARE(window.shownVerdict, Verdict::Signale);
    }

    // The texts of scanReportedTicket's screens not in `language`.
    QString textsNotIn(int language)
    {
        const Ui_MainWindow* ui = m_window->ui;
        const CRepWidget* tile = m_window->repWidgets[0];
        const QString start = CDateHeure(QDate(2030, 1, 5), QTime(20, 0)).getString(language);
        const QString second = CDateHeure(QDate(2030, 2, 5), QTime(20, 0)).getString(language);
        const QString third = CDateHeure(QDate(2030, 3, 5), QTime(20, 0)).getString(language);
        QStringList user;
        for (int i = 0; i < ui->lstInfoUser->count(); ++i) {
            user << ui->lstInfoUser->item(i)->text();
        }
        const QList<std::tuple<const char*, QString, QString>> texts{
            {"caption", ui->lblAnnonce->text(), label(language, 38)},
            {"gauge", ui->lblScanJauge->text(), label(language, 43) + QStringLiteral("1 / 2")},
            {"verdict", ui->lblResultStatus->text(), label(language, verdictLabel(Verdict::Signale))},
            {"entries left", ui->lblResultNbCompostage->text(), QStringLiteral("2") + label(language, 49)},
            {"performance", ui->lblResultRep->text(), start},
            {"last entry", ui->lblResultLastPunch->text().left(label(language, 105).size()), label(language, 105)},
            {"history",
             ui->lstInfoHist->item(0)->text().section(QLatin1Char(' '), 0, 0),
             label(language, 104).trimmed()},
            {"bought",
             user.filter(QStringLiteral("2029")).join(QLatin1Char('|')),
             label(language, 54) + tickettext::dateText(QStringLiteral("2029-12-01 10:30:00"), language)},
            {"punch button", ui->btnPunch->text(), label(language, 51)},
            {"current performance", ui->lblRepRep->text(), start},
            {"current badge", ui->lblRepStatus->text(), label(language, 31)},
            {"scan bar", ui->lblRepCurrent->toolTip(), QStringLiteral("Gala\n") + start},
            {"tile date", tile->lblRep->text(), start},
            {"tile dates", tile->comboRep->itemText(0) + '|' + tile->comboRep->itemText(1), start + '|' + second},
            {"pass",
             m_window->repWidgets[1]->toolTip(),
             QStringLiteral("Gala - ") + second + QStringLiteral("\nGala - ") + third},
            {"pass date", m_window->repWidgets[1]->lblRep->text(), second},
            {"tile badge", tile->lblStatus->text(), label(language, 31)},
            {"tile places", tile->lblPlace->text(), label(language, 25)},
            {"tile button", tile->btnSelect->text(), label(language, 21)},
            {"tile list", tile->btnGetRep->toolTip(), label(language, 34)},
            {"tile deletion", tile->btnDropRep->toolTip(), label(language, 35)},
        };
        QStringList wrong;
        for (const auto& [what, shown, wanted] : texts) {
            if (shown != wanted) {
                wrong << QLatin1String(what) + QStringLiteral(": ") + shown;
            }
        }
        return wrong.join(QStringLiteral(", "));
    }

private slots:

    void initTestCase()
    {
        fixture::initQuietCore();
        m_boxes = std::make_unique<BoxRecorder>();
        m_startDir = QDir::currentPath();
        recordStarts();
    }

    void init()
    {
        fixture::initCore();
        gParam->initDefaut();
        gParam->isPreprod = false;
        gParam->isDirectPunch = true;
        gParam->newVersion.set(QString());
        gParam->updateUrl.set(QString());
        gParam->updateModifs.set({});
        gParam->initParametre(URL, kServiceUrl);
        gParam->initParametre(URL_PREPROD, kServiceUrl);
        QFile::remove(appFolder() + QStringLiteral("/param.ini"));
        gParam->sauvegarde(QString(), true);
        fixture::clearLog();
        m_workDir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir::setCurrent(m_workDir->path()));
        newWindow();
        m_window->ui->stackedWidget->setCurrentIndex(1);
        m_started.clear();
        m_startWorks = true;
        m_quits = 0;
    }

    void cleanup()
    {
        m_window.reset();
        QDir::setCurrent(m_startDir);
        QVERIFY(m_boxes->entries().isEmpty());
    }

    // Stored, shown, after a press Cancel drops, after two Save keeps with a worker's values.
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
        CParam* const live = gParam;
        gParam->initParametre(ZONE_KEST, QStringLiteral("12"));
        gParam->initParametre(REP_JOUR, QStringLiteral("1"));
        m_window->saveParamClicked();
        QCOMPARE(gParam, live);
        QCOMPARE(savedValue(id) + savedValue(ZONE_KEST), value[3] + "12");
    }

    // Text is stored trimmed; behind their codes, the sub-pages and the raw text, shown back.
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
        QCOMPARE(shownMessage(*m_window), message(22));
        m_window->ackMessage();
        QVERIFY(ui->btnParamConfigNextPage->isHidden());
        answerAccessCode(*m_window, QStringLiteral("72910358"));
        const auto state = [ui] {
            return QString::number(ui->stackedWidgetParam->currentIndex()) + ' '
                   + ui->lblParamConfigPage->text().mid(label(0, 28).size())
                   + (ui->btnParamConfigPrevPage->isEnabled() ? " <" : " .")
                   + (ui->btnParamConfigNextPage->isEnabled() ? ">" : ".");
        };
        QStringList states{state()};
        for (auto slot : {&MainWindow::nextParamClicked,
                          &MainWindow::nextParamClicked,
                          &MainWindow::previousParamClicked,
                          &MainWindow::previousParamClicked}) {
            (m_window.get()->*slot)();
            states << state();
        }
        QCOMPARE(states.join('|'), QStringLiteral("1 1 / 2 .>|2 2 / 2 <.|2 2 / 2 <.|1 1 / 2 .>|1 1 / 2 .>"));

        answerAccessCode(*m_window, QStringLiteral("16083974"));
        QStringList lines = ui->editParam->toPlainText().split(QLatin1Char('\n'));
        QVERIFY(lines.contains(QStringLiteral("URL=https://h.test/a=b/?")));
        lines.removeIf([](const QString& line) {
            return line.startsWith(QLatin1String("URL=")) || line.startsWith(QLatin1String("TIMEOUT="))
                   || line.startsWith(QLatin1String("TACTILE="));
        });
        ui->editParam->setPlainText(lines.join(QLatin1Char('\n')) + "\nTIMEOUT=abc\nTACTILE=1");
        ui->btnParamBackAdvanced->click();
        QVERIFY(ui->btnParamTactil->styleSheet().endsWith("top"));
        m_window->saveParamClicked();
        QCOMPARE(savedValue(URL) + ' ' + savedValue(TIMEOUT), QStringLiteral("https://h.test/a=b/? abc"));
    }

    // Way back skips the other page: 'c'/'u' open settings/update, 'x' 'k' 's' leave.
    void pageReturns_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::newRow("update") << "ux 5 2";
        QTest::newRow("update twice") << "uux 5 5 2";
        QTest::newRow("settings, update") << "cux 4 5 2";
        QTest::newRow("update, settings") << "uck 5 4 2";
        QTest::newRow("update, settings, update") << "ucux 5 4 5 2";
        QTest::newRow("settings, update, settings") << "cucs 4 5 4 2";
    }

    void pageReturns()
    {
        QFETCH(QString, steps);
        gParam->newVersion.set(QStringLiteral("4.4"));
        gParam->updateModifs.set({QStringLiteral("a"), QStringLiteral("b")});
        m_window->ui->stackedWidget->setCurrentIndex(2);
        QString shown = steps.section(' ', 0, 0);
        using Slot = void (MainWindow::*)();
        const Slot actions[] = {&MainWindow::configClick,
                                &MainWindow::updateSoftwareClick,
                                &MainWindow::cancelUpdateClicked,
                                &MainWindow::cancelParamClicked,
                                &MainWindow::saveParamClicked};
        for (const QChar step : steps.section(' ', 0, 0)) {
            (m_window.get()->*actions[QStringLiteral("cuxks").indexOf(step)])();
            shown += ' ' + QString::number(m_window->ui->stackedWidget->currentIndex());
        }
        QCOMPARE(shown, steps);
        QCOMPARE(m_window->ui->lblUpdateTitle->text(), label(0, 107) + "4.4");
        QCOMPARE(m_window->ui->lstUpdate->count(), 2);
    }

    // Every French caption of the form follows each language; Cancel restores it.
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
        // Which label each caption is: a fingerprint, as the table is long.
        QStringList indexes;
        for (const auto& [widget, lines] : std::as_const(captions)) {
            indexes << widget->objectName() + '=' + QString::number(lines.first());
        }
        QCOMPARE(QCryptographicHash::hash(indexes.join(' ').toUtf8(), QCryptographicHash::Md5).toHex(),
                 "685a34399e29120a19f02fda942a9cb4");
        const auto wrongIn = [&captions](int language) {
            QStringList wrong;
            for (const auto& [widget, lines] : std::as_const(captions)) {
                if (std::none_of(lines.cbegin(), lines.cend(), [&, shown = captionOf(widget)](int line) {
                        return label(language, line) == shown;
                    })) {
                    wrong << widget->objectName() + QStringLiteral(" : ") + captionOf(widget);
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
        QCOMPARE(wrongIn(1) + savedValue(LANGUE), QStringLiteral("1"));
        gParam->initParametre(ZONE_KEST, QStringLiteral("7"));
        window.nbPunched = 3;
        window.nbTicket = 40;
        window.changeLangue(2);
        QCOMPARE(window.ui->lblRepChoiceTitle->text(), label(2, 18) + QStringLiteral(" (zona 7)"));
        QCOMPARE(window.ui->lblScanJauge->text(), label(2, 43) + QStringLiteral("3 / 40"));
    }

    // After Save or Cancel every text is in the language of the settings, those drawn at run
    // time too; while a language is tried, a cycle's gauge is in the one tried. Steps: a
    // language button (f, e, s) or the raw text's LANGUE (a and the value), then Save (S)
    // or Cancel (C).
    void languageAfterLeaving_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("tried");
        QTest::addColumn<int>("shown");
        QTest::newRow("Save English") << "0"
                                      << "eS" << 1 << 1;
        QTest::newRow("Save Spanish") << "0"
                                      << "sS" << 2 << 2;
        QTest::newRow("Save French over English") << "1"
                                                  << "fS" << 0 << 0;
        QTest::newRow("English, Spanish, Save") << "0"
                                                << "esS" << 2 << 2;
        QTest::newRow("Cancel after trying Spanish") << "0"
                                                     << "sC" << 2 << 0;
        QTest::newRow("Cancel after trying French") << "1"
                                                    << "fC" << 0 << 1;
        QTest::newRow("raw text, Save") << "0"
                                        << "a1S" << 0 << 1;
        QTest::newRow("raw text, Cancel") << "0"
                                          << "a2C" << 0 << 0;
        QTest::newRow("raw text after a button, Save") << "0"
                                                       << "ea2S" << 1 << 2;
    }

    void languageAfterLeaving()
    {
        QFETCH(QString, stored);
        QFETCH(QString, steps);
        QFETCH(int, tried);
        QFETCH(int, shown);
        gParam->initParametre(LANGUE, stored);
        gParam->sauvegarde(QString(), false);
        newWindow();
        m_window->ui->stackedWidget->setCurrentIndex(1);
        scanReportedTicket();
        QCOMPARE(textsNotIn(stored.toInt()), QString());

        MainWindow& window = *m_window;
        Ui_MainWindow* ui = window.ui;
        window.configClick();
        for (qsizetype i = 0; i < steps.size() - 1; ++i) {
            const QChar step = steps.at(i);
            if (step == u'a') {
                answerAccessCode(window, QStringLiteral("16083974"));
                QStringList lines = ui->editParam->toPlainText().split(QLatin1Char('\n'));
                lines.replaceInStrings(QRegularExpression(QStringLiteral("^LANGUE=.*")),
                                       QStringLiteral("LANGUE=") + steps.at(++i));
                ui->editParam->setPlainText(lines.join(QLatin1Char('\n')));
                ui->btnParamBackAdvanced->click();
            } else {
                QPushButton* const buttons[] = {ui->btnParamFrench, ui->btnParamEnglish, ui->btnParamSpanish};
                buttons[QStringLiteral("fes").indexOf(step)]->click();
            }
        }
        // A cycle ends while the page shows.
        gParam->isOnline = true;
        window.actionGetDeltaTerminated();
        gParam->isOnline = false;
        QCOMPARE(ui->lblScanJauge->text(), label(tried, 43) + QStringLiteral("1 / 2"));

        (steps.endsWith(u'S') ? ui->btnParamSave : ui->btnParamCancel)->click();
        QCOMPARE(ui->stackedWidget->currentIndex(), 2);
        QCOMPARE(savedValue(LANGUE), steps.endsWith(u'S') ? QString::number(shown) : stored);
        QCOMPARE(textsNotIn(shown), QString());
    }

    // Versions compare as numbers without dots; a failed check or a reply not JSON is only logged.
    void checkReplies_data()
    {
        QTest::addColumn<QByteArray>("reply");
        // The stored version, then "shown" for the update button, else the changes kept.
        QTest::addColumn<QString>("storedAndShown");
        // The reply's own log line, without its time.
        QTest::addColumn<QString>("logged");
        // JSON written with single quotes: a "//" in a raw string trips moc.
        const auto json = [](const QByteArray& text) {
            return QByteArray(text).replace('\'', '"');
        };
        const auto offer = [&json](const char* version) {
            return json("{'request':'getUpdate','url':'https://u.test/i','version':'" + QByteArray(version) + "'}");
        };
        QTest::newRow("4.3.10 > 4.3.9") << offer("4.3.10") << "4.3.9 shown" << QString();
        QTest::newRow("5.0 < 4.3.1") << offer("5.0") << "4.3.1 " << QString();
        QTest::newRow("same") << offer("4.3.1") << "4.3.1 " << QString();
        QTest::newRow("letter") << offer("4.3.2b") << "4.3.1 " << QString();
        QTest::newRow("blank before") << offer(" 4.3.2") << "4.3.1 " << QString();
        QTest::newRow("plus sign") << offer("+4.3.2") << "4.3.1 " << QString();
        QTest::newRow("stored not a number") << offer("0.1") << "abc shown" << QString();
        QTest::newRow("not JSON")
            << QByteArray("<html>") << "4.3.1 old"
            << "error - Erreur de decodage de la reponse JSON de la verification des mises a jour";
        QTest::newRow("empty") << QByteArray() << "4.3.1 old" << QString();
        QTest::newRow("other request") << json("{'request':'update','url':'https://u.test'}") << "4.3.1 old"
                                       << QString();
        QTest::newRow("one change as text")
            << json("{'request':'getUpdate','version':'1','url':'https://u.test','modifs':'fix'}") << "4.3.1 fix"
            << QString();
    }

    void checkReplies()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, storedAndShown);
        QFETCH(QString, logged);
        gParam->initParametre(VERSION, storedAndShown.section(QLatin1Char(' '), 0, 0));
        gParam->updateModifs.set({QStringLiteral("old")});
        const qsizetype before = fixture::logLines().size();
        m_window->actionResponseUpdate(reply);
        QCOMPARE(fixture::logLines().mid(before).join(QLatin1Char('\n')).section(QStringLiteral(" - "), 1), logged);
        m_window->actionErrorUpdate(47);
        QVERIFY(fixture::logContains(QStringLiteral("warning - Erreur Connexion Verif New Version (err=47)")));
        QCOMPARE(m_window->ui->btnUpdateSoftware->isHidden() ? gParam->updateModifs.get().join(' ') : "shown",
                 storedAndShown.section(QLatin1Char(' '), 1));
        QVERIFY(shownMessage(*m_window).isEmpty());
    }

    // The check and the installer go over HTTPS only, except in pre-production.
    void downloadAddress_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("isPreprod");
        QTest::addColumn<bool>("isSent");
        QTest::newRow("https") << "HTTPS://127.0.0.1:1/i" << false << true;
        QTest::newRow("http") << "http://127.0.0.1:1/i" << false << false;
        QTest::newRow("http in pre-production") << "http://127.0.0.1:1/i" << true << true;
    }

    void downloadAddress()
    {
        QFETCH(QString, url);
        QFETCH(bool, isPreprod);
        QFETCH(bool, isSent);
        gParam->isPreprod = isPreprod;
        gParam->initParametre(isPreprod ? URL_PREPROD : URL, url);
        fixture::clearLog();
        m_window->verifNewVersion();
        if (isSent) {
            QTRY_VERIFY(fixture::logContains(QStringLiteral("Erreur Connexion Verif New Version")));
        } else {
            QVERIFY(fixture::logContains(QStringLiteral("adresse non securisee : ") + url));
        }
        gParam->updateUrl.set(url);
        m_window->ui->btnGetUpdate->click();
        QCOMPARE(m_window->progressBar->isHidden(), !isSent);
        QCOMPARE(shownMessage(*m_window), isSent ? QString() : message(4));
        if (isSent) {
            m_window->actionErrorGetUpdate(4);
            QVERIFY(m_window->progressBar->isHidden() && m_window->isEnabled());
            QCOMPARE(shownMessage(*m_window), message(4) + QStringLiteral(" (err=4)"));
        }
    }

    // A failed step is told and the program stays; nothing half-written is left.
    void handOff_data()
    {
        // "update.exe" before (nothing, folder or content), a file size cap, the log line.
        QTest::addColumn<QByteArray>("installer");
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("sizeLimit");
        QTest::addColumn<bool>("startWorks");
        QTest::addColumn<QString>("logged");
        QTest::newRow("started") << QByteArray("#!/bin/sh\n\0\xff", 12) << "" << 0 << true << "";
        QTest::newRow("over an earlier one") << QByteArray("x") << "old" << 0 << true << "";
        QTest::newRow("empty download") << QByteArray() << "" << 0 << true << "Mise a jour vide";
        QTest::newRow("cannot write") << QByteArray("x") << "folder" << 0 << true << "Erreur d'ecriture";
        QTest::newRow("no room: the earlier one stays whole")
            << QByteArray(40000, 'x') << "old" << 4096 << true << "File too large";
        QTest::newRow("cannot start") << QByteArray("x") << "" << 0 << false << "Erreur de lancement";
    }

    void handOff()
    {
        QFETCH(QByteArray, installer);
        QFETCH(QString, before);
        QFETCH(int, sizeLimit);
        QFETCH(bool, startWorks);
        QFETCH(QString, logged);
        const QString path = QStringLiteral("update.exe");
        QVERIFY(before != "folder" ? before.isEmpty() || fixture::writeFile(path, before.toLatin1())
                                   : QDir().mkdir(path));
        m_startWorks = startWorks;
        m_window->actionShowProgress(true);
        limitFileSize(sizeLimit);
        m_window->actionResponseGetUpdate(installer);
        limitFileSize(0);

        QVERIFY(m_window->progressBar->isHidden() && m_window->isEnabled());
        QCOMPARE(shownMessage(*m_window), logged.isEmpty() ? QString() : message(4));
        QVERIFY2(logged.isEmpty() || fixture::logContains(logged), qPrintable(fixture::logLines().join('\n')));
        const bool isWritten = !installer.isEmpty() && before != "folder" && sizeLimit == 0;
        QCOMPARE(m_started, isWritten ? QStringList{QStringLiteral("./update.exe")} : QStringList());
        QCOMPARE(m_quits, isWritten && startWorks ? 1 : 0);
        QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 isWritten || !before.isEmpty() ? QStringList{path} : QStringList());
        if (before != "folder" && QFile::exists(path)) {
            QCOMPARE(fixture::readFile(path), isWritten ? installer : before.toLatin1());
            QCOMPARE(QFileInfo(path).permissions().testFlag(QFileDevice::ExeOwner), isWritten);
        }
    }

    // A new version records itself at its first start; the installer really runs.
    void versionAndInstaller()
    {
        gParam->initParametre(VERSION, QStringLiteral("1.0"));
        gParam->sauvegarde(QString(), true);
        fixture::clearLog();
        newWindow();
        QCOMPARE(savedValue(VERSION), QLatin1String(kAppVersion));
        QVERIFY(fixture::logContains(QStringLiteral("Mise a jour de la version 1.0 avec la version ")
                                     + QLatin1String(kAppVersion)));
        softwareUpdate::setDetachedStarter({});
        m_window->actionResponseGetUpdate("#!/bin/sh\necho ran > ran.txt\n");
        recordStarts();
        QVERIFY(shownMessage(*m_window).isEmpty());
        QTRY_VERIFY(QFileInfo(QStringLiteral("ran.txt")).size() > 0);
        QCOMPARE(m_quits, 1);
    }
};

TAVRIMEX_TEST_MAIN(TestSettingsPages)
#include "TestSettingsPages.moc"
