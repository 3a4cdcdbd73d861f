#include "core/CAffichage.h"
#include "core/CParam.h"
#include "session/CRepWidget.h"
#include "ui/MainWindow.h"
#include "ui/MessageDlg.h"
#include "ui/ProgressBar.h"
#include "ui/SaisieDlg.h"
#include "ui/Ui_MainWindow.h"

#include "InterleaveTrial.h"

#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

namespace trials
{

namespace
{

constexpr int kLoginPage = 0;
constexpr int kRepPage = 1;
constexpr int kScanPage = 2;
constexpr int kSearchPage = 3;
constexpr int kConfigPage = 4;
constexpr int kUpdatePage = 5;
constexpr int kLocalPage = 6;

// What an agent can press: shown and enabled.
bool usable(const QWidget* widget)
{
    return widget && widget->isVisible() && widget->isEnabled();
}

template <typename W>
W* child(QWidget* parent, const char* name)
{
    return parent->findChild<W*>(QLatin1String(name));
}

}  // namespace

void InterleaveTrial::click(QWidget* widget, const QString& what)
{
    if (!usable(widget)) {
        return;
    }
    note(what);
    QTest::mouseClick(widget, Qt::LeftButton);
}

// ---- one action, chosen by what the screen offers ----

namespace
{

// One thing the agent can do now, with its weight.
struct Choice
{
    int weight = 0;
    std::function<void()> act;
};

}  // namespace

void InterleaveTrial::act()
{
    Ui_MainWindow* ui = m_window->ui;
    if (m_window->messageDlg->isVisible() || m_window->saisieDlg->isVisible()) {
        actOnDialogs();
        return;
    }
    if (!m_window->isEnabled()) {
        // Behind the progress dialog: nothing to press but wait.
        note(QStringLiteral("Wait for the progress dialog"));
        return;
    }
    QList<Choice> choices;
    const auto offer = [&choices](int weight, QWidget* widget, std::function<void()> act) {
        if (weight > 0 && (!widget || usable(widget))) {
            choices.append({weight, std::move(act)});
        }
    };
    const auto press = [this](QWidget* widget, const QString& what) {
        return [this, widget, what] {
            click(widget, what);
        };
    };
    // Leaving or forcing the offline mode, and the settings, are offered everywhere.
    offer(2,
          ui->btnConnect,
          press(ui->btnConnect,
                m_window->isForcedOffline ? QStringLiteral("Press the connection button (back online)")
                                          : QStringLiteral("Press the connection button (force offline)")));
    const int page = ui->stackedWidget->currentIndex();
    if (page != kConfigPage && page != kUpdatePage) {
        offer(page == kRepPage ? 4 : 2,
              ui->btnConfigAccess,
              press(ui->btnConfigAccess, QStringLiteral("Open the settings")));
    }
    offer(1, nullptr, [this] {
        exitProgram();
    });
    switch (page) {
    case kLoginPage:
        offer(30, ui->btnLoginValidation, [this] {
            actOnLogin();
        });
        break;
    case kRepPage: {
        offer(4, ui->btnRefreshListRep, press(ui->btnRefreshListRep, QStringLiteral("Press Refresh")));
        offer(2, nullptr, [this] {
            note(QStringLiteral("Press F5"));
            m_window->F5KeyPressed();
        });
        offer(2, ui->btnRepNextPage, press(ui->btnRepNextPage, QStringLiteral("Turn to the next page of events")));
        offer(2, ui->btnRepPrevPage, press(ui->btnRepPrevPage, QStringLiteral("Turn to the previous page of events")));
        for (int i = 0; i < static_cast<int>(m_window->repWidgets.size()); ++i) {
            CRepWidget* tile = m_window->repWidgets[i];
            if (tile->isVisible()) {
                offer(6, nullptr, [this, tile, i] {
                    chooseTileAction(tile, i);
                });
            }
        }
        offer(25, ui->btnStartScan, press(ui->btnStartScan, QStringLiteral("Press Start scanning")));
        offer(3, ui->btnDrainGlobal, press(ui->btnDrainGlobal, QStringLiteral("Press the drain button")));
        offer(2, ui->btnLoadFile, [this] {
            actOnRepPage();
        });
        offer(2, ui->btnLocalTicket, press(ui->btnLocalTicket, QStringLiteral("Open the local tickets")));
        break;
    }
    case kScanPage:
        offer(60, nullptr, [this] {
            scan();
        });
        offer(8, ui->btnPunch, [this] {
            actOnScanPage();
        });
        offer(4, ui->btnSignalFraude, press(ui->btnSignalFraude, QStringLiteral("Press Report")));
        offer(2, ui->btnSwitchDirectPunch, press(ui->btnSwitchDirectPunch, QStringLiteral("Switch the direct punch")));
        offer(3, ui->btnPadNumSearch, press(ui->btnPadNumSearch, QStringLiteral("Open the search page")));
        offer(8, ui->btnChangeRep, press(ui->btnChangeRep, QStringLiteral("Go back to the events")));
        break;
    case kSearchPage:
        offer(5, ui->btnSearch, [this, ui] {
            ui->editSearch->setText(chance(50) ? QStringLiteral("a") : QStringLiteral("25"));
            click(ui->btnSearch, QStringLiteral("Search"));
        });
        offer(5, ui->btnSearchBackToScan, press(ui->btnSearchBackToScan, QStringLiteral("Go back to scanning")));
        break;
    case kConfigPage:
        offer(20, nullptr, [this] {
            actOnSettingsPage();
        });
        break;
    case kUpdatePage:
        offer(5, ui->btnCancelUpdate, press(ui->btnCancelUpdate, QStringLiteral("Cancel the update")));
        break;
    case kLocalPage:
        offer(20, nullptr, [this] {
            actOnLocalPage();
        });
        break;
    default:
        break;
    }
    int total = 0;
    for (const Choice& choice : std::as_const(choices)) {
        total += choice.weight;
    }
    int draw = roll(total);
    for (const Choice& choice : std::as_const(choices)) {
        draw -= choice.weight;
        if (draw < 0) {
            choice.act();
            return;
        }
    }
}

void InterleaveTrial::actOnDialogs()
{
    if (m_window->messageDlg->isVisible()) {
        click(child<QPushButton>(m_window->messageDlg, "btnMessageDlgAck"), QStringLiteral("Close the message"));
        return;
    }
    SaisieDlg* dialog = m_window->saisieDlg;
    auto* combo = child<QComboBox>(dialog, "comboSaisieDlg");
    if (chance(20)) {
        click(child<QPushButton>(dialog, "btnSaisieDlgCancel"), QStringLiteral("Cancel the question"));
        return;
    }
    if (combo && combo->isVisible() && combo->count() > 0) {
        combo->setCurrentIndex(roll(combo->count()));
        note(QStringLiteral("Choose \"%1\"").arg(combo->currentText()));
    }
    click(child<QPushButton>(dialog, "btnSaisieDlgValide"), QStringLiteral("Press OK"));
}

void InterleaveTrial::actOnLogin()
{
    Ui_MainWindow* ui = m_window->ui;
    const bool other = chance(15);
    m_agentLogin = other ? QStringLiteral("autre") : QStringLiteral("demo");
    ui->editLogin->setText(m_agentLogin);
    ui->editPassword->setText(QStringLiteral("demo"));
    ui->editAgent->setText(QStringLiteral("1"));
    click(ui->btnLoginValidation,
          QStringLiteral("Log in as \"%1\"%2")
              .arg(m_agentLogin, gParam->isOnline ? QString() : QStringLiteral(" (offline)")));
}

QString InterleaveTrial::listPathOf(CRepWidget* tile) const
{
    // The list the tile was filled for: a pass, a whole event when it was filled with
    // whole events on, else the performance its date or combo shows.
    const QString zone = gParam->parametre(ZONE_KEST);
    const auto path = [this, &zone](const QString& kind, unsigned int id) {
        return dbFolder() + kind + QString::number(id) + QStringLiteral("_Z") + zone + QStringLiteral(".db");
    };
    if (tile->dataEvent.TYPE == 1) {
        return path(QStringLiteral("P"), tile->dataEvent.ID);
    }
    if (tile->jour != QLatin1String("0")) {
        return path(QStringLiteral("E"), tile->dataEvent.ID);
    }
    if (tile->comboRep->isVisible()) {
        return path(QStringLiteral("R"), tile->comboRep->currentData().toUInt());
    }
    return path(QStringLiteral("R"), tile->dataRep.ID);
}

void InterleaveTrial::chooseTileAction(CRepWidget* tile, int index)
{
    const QString name = QStringLiteral("tile %1 (%2)").arg(index + 1).arg(tile->lblEvent->toolTip());
    const int what = roll(100);
    if (what < 15 && usable(tile->comboRep) && tile->comboRep->count() > 1) {
        const int entry = roll(tile->comboRep->count());
        note(QStringLiteral("Choose date %1 on %2").arg(entry + 1).arg(name));
        tile->comboRep->setCurrentIndex(entry);
    } else if (what < 55 && usable(tile->btnGetRep)) {
        const QString path = listPathOf(tile);
        click(tile->btnGetRep, QStringLiteral("Press download on ") + name);
        if (gParam->isOnline) {
            m_acceptableCurrent.insert(path);
        }
    } else if (what < 65 && usable(tile->btnDropRep)) {
        click(tile->btnDropRep, QStringLiteral("Press delete on ") + name);
    } else if (usable(tile->btnSelect)) {
        const QString path = listPathOf(tile);
        click(tile->btnSelect, QStringLiteral("Press select on ") + name);
        m_acceptableCurrent = {path};
    } else if (usable(tile->btnGetRep)) {
        const QString path = listPathOf(tile);
        click(tile->btnGetRep, QStringLiteral("Press download on ") + name);
        if (gParam->isOnline) {
            m_acceptableCurrent.insert(path);
        }
    }
}

// The file box: an event file of the service's, or the agent's own list of local
// tickets.
void InterleaveTrial::actOnRepPage()
{
    // An event of the zone, exported as the service does: a zone's file holds the whole
    // event (its import switches to whole events), a file without zone one performance.
    const unsigned int zone = gParam->parametre(ZONE_KEST).toUInt();
    QList<standin::Event> events;
    for (const standin::Event& event : m_server->organiser().events) {
        if (event.zones.isEmpty() || event.zones.contains(zone)) {
            events << event;
        }
    }
    if (events.isEmpty()) {
        return;
    }
    const standin::Event event = events.at(roll(static_cast<int>(events.size())));
    QString scope = QStringLiteral("R") + QString::number(event.performances.first().id);
    if (event.type == 1) {
        scope = QStringLiteral("P") + QString::number(event.id);
    } else if (zone != 0) {
        scope = QStringLiteral("E") + QString::number(event.id);
    }
    QFile eventFile(m_home.path() + QStringLiteral("/event.kst"));
    if (eventFile.open(QIODevice::WriteOnly)) {
        eventFile.write(
            QJsonDocument(m_server->eventFileDocument(scope, gParam->parametre(ZONE_KEST).toUInt())).toJson());
    }
    QFile csv(m_home.path() + QStringLiteral("/tickets.csv"));
    if (csv.open(QIODevice::WriteOnly)) {
        const unsigned int rep = event.performances.first().id;
        csv.write(QStringLiteral("L%1;Local;Anne;;;2;A1;%2\n").arg(roll(20)).arg(rep).toLatin1());
    }
    click(m_window->ui->btnLoadFile, QStringLiteral("Import a file"));
    // An event file's list becomes current under the name the import gives it.
    quiesce();
    if (m_window && !m_window->currentRepDbName.isEmpty()) {
        m_acceptableCurrent = {m_window->currentRepDbName};
    }
}

// The punch button under the verdict: punch or un-punch the ticket shown.
void InterleaveTrial::actOnScanPage()
{
    Ui_MainWindow* ui = m_window->ui;
    if (!usable(ui->btnPunch)) {
        return;
    }
    const bool unpunch = ui->btnPunch->text() == gAffichage->getTraduction(currentLangue(), 52);
    const QString barcode = m_window->currentBillet.CODE_BARRE;
    const unsigned int editeur = m_window->currentBillet.EDITEUR_ID;
    click(ui->btnPunch, unpunch ? QStringLiteral("Press Un-punch") : QStringLiteral("Press Punch"));
    afterVerdict(barcode, editeur, false);
}

void InterleaveTrial::actOnSettingsPage()
{
    Ui_MainWindow* ui = m_window->ui;
    const int what = roll(100);
    if (what < 25) {
        // The switch that changes which lists the tiles stand for sits behind the
        // configuration code, which the agent knows.
        click(ui->btnParamAdvance, QStringLiteral("Open the configuration"));
        auto* edit = child<QLineEdit>(m_window->saisieDlg, "editSaisieDlg");
        if (!edit || !m_window->saisieDlg->isVisible()) {
            return;
        }
        edit->setText(QStringLiteral("72910358"));
        click(child<QPushButton>(m_window->saisieDlg, "btnSaisieDlgValide"), QStringLiteral("Type its code, OK"));
        click(ui->btnParamRepJour, QStringLiteral("Switch the whole event's list"));
        click(ui->btnParamBack, QStringLiteral("Go back to the settings"));
    } else if (what < 45) {
        const QList<QPair<QPushButton*, const char*>> switches{{ui->btnParamTactil, "the touch screen"},
                                                               {ui->btnParamDirectSearch, "the direct search"},
                                                               {ui->btnParamDiffPunch, "the time since the last punch"},
                                                               {ui->btnParamRepJour, "the whole event's list"},
                                                               {ui->btnParamUnpunch, "un-punching"},
                                                               {ui->btnParamHideRecapTicket, "the recap"},
                                                               {ui->btnParamLocalTicket, "local tickets"}};
        const auto& chosen = switches.at(roll(static_cast<int>(switches.size())));
        click(chosen.first, QStringLiteral("Switch ") + QLatin1String(chosen.second));
    } else if (what < 52) {
        QPushButton* languages[] = {ui->btnParamFrench, ui->btnParamEnglish, ui->btnParamSpanish};
        click(languages[roll(3)], QStringLiteral("Choose a language"));
    } else if (what < 58) {
        click(chance(50) ? ui->btnParamConfigNextPage : ui->btnParamConfigPrevPage,
              QStringLiteral("Turn the settings page"));
    } else if (what < 82) {
        click(ui->btnParamSave, QStringLiteral("Save the settings"));
    } else {
        click(ui->btnParamCancel, QStringLiteral("Cancel the settings"));
    }
}

void InterleaveTrial::actOnLocalPage()
{
    Ui_MainWindow* ui = m_window->ui;
    const int what = roll(100);
    if (what < 40) {
        // Sometimes the barcode of a ticket of the list: two issuers then hold it.
        QString barcode = QStringLiteral("L%1").arg(roll(20));
        if (chance(40)) {
            const QList<standin::Ticket>& tickets = m_server->organiser().tickets;
            barcode = tickets.at(roll(static_cast<int>(tickets.size()))).barcode;
        }
        ui->editBarcodeLocal->setText(barcode);
        ui->editNameLocal->setText(QStringLiteral("Local"));
        ui->editNbPunchLocal->setText(QString::number(1 + roll(3)));
        if (ui->comboRepLocal->count() > 0) {
            ui->comboRepLocal->setCurrentIndex(roll(ui->comboRepLocal->count()));
        }
        m_localBarcodes.insert(storedForm(barcode));
        click(ui->btnAddTicketLocal, QStringLiteral("Add the local ticket ") + barcode);
    } else if (what < 55 && ui->tableLocalTicketResult->rowCount() > 0) {
        const int row = roll(ui->tableLocalTicketResult->rowCount());
        note(QStringLiteral("Open local ticket row %1").arg(row + 1));
        m_window->localTicketDoubleClicked(row, 0);
    } else if (what < 65 && ui->tableLocalTicketResult->rowCount() > 0) {
        const int row = roll(ui->tableLocalTicketResult->rowCount());
        note(QStringLiteral("Delete local ticket row %1").arg(row + 1));
        m_window->localTicketClicked(row, 0);
    } else {
        click(ui->btnLocalTicketBackToRep, QStringLiteral("Go back to the events"));
    }
}

// ---- scanning ----

void InterleaveTrial::typeBarcode(const QString& barcode, const QString& what)
{
    note(QStringLiteral("Scan %1 (%2)").arg(barcode, what));
    QTest::keyClicks(m_window->ui->editBarcode, barcode);
    QTest::keyClick(m_window->ui->editBarcode, Qt::Key_Return);
}

void InterleaveTrial::scan()
{
    const int kind = roll(100);
    if (kind < 6) {
        typeBarcode(QStringLiteral("99%1").arg(roll(1000000)), QStringLiteral("unknown"));
        return;
    }
    // Tickets of the list being scanned, as the agent knows them from the service.
    const QString path = m_window->currentRepDbName;
    const QString name = QFileInfo(path).fileName();
    const QChar listKind = name.isEmpty() ? QChar() : name.at(0);
    const unsigned int listId = name.mid(1, name.indexOf(QLatin1Char('_')) - 1).toUInt();
    QList<standin::Ticket> candidates;
    for (const standin::Event& event : m_server->organiser().events) {
        for (const standin::Performance& performance : event.performances) {
            const bool inScope = listKind == QLatin1Char('R') ? performance.id == listId : event.id == listId;
            if (!inScope) {
                continue;
            }
            for (const standin::Ticket& ticket : m_server->organiser().tickets) {
                const QString key = storedForm(ticket.barcode) + QLatin1Char('|') + QString::number(ticket.editeurId);
                if (ticket.repId == performance.id) {
                    candidates << ticket;
                }
            }
        }
    }
    if (candidates.isEmpty()) {
        typeBarcode(QStringLiteral("99%1").arg(roll(1000000)), QStringLiteral("unknown"));
        return;
    }
    // Mostly valid ones, sometimes one with a quote, used or deleted.
    QList<standin::Ticket> wanted;
    const bool quoted = kind < 30;
    for (const standin::Ticket& ticket : std::as_const(candidates)) {
        if (ticket.barcode.contains(QLatin1Char('\'')) == quoted) {
            wanted << ticket;
        }
    }
    if (wanted.isEmpty()) {
        wanted = candidates;
    }
    const standin::Ticket ticket = wanted.at(roll(static_cast<int>(wanted.size())));
    const QString key = storedForm(ticket.barcode) + QLatin1Char('|') + QString::number(ticket.editeurId);
    const int left =
        static_cast<int>(m_initialEntries.value(key)) - m_acceptedAnywhere.value(key) + m_unpunchedAnywhere.value(key);
    const bool certainlyValid = left > 0 && !ticket.isDeleted && !m_touchedElsewhere.contains(key)
                                && !m_localBarcodes.contains(storedForm(ticket.barcode));
    typeBarcode(ticket.barcode, certainlyValid ? QStringLiteral("valid") : QStringLiteral("maybe used"));
    afterVerdict(storedForm(ticket.barcode), ticket.editeurId, certainlyValid);
}

void InterleaveTrial::afterVerdict(const QString& barcode, unsigned int editeurId, bool certainlyValid)
{
    const Verdict verdict = m_window->shownVerdict;
    if (m_window->saisieDlg->isVisible()) {
        // Two issuers hold it: the question comes first.
        return;
    }
    // The verdict is for the ticket the panel shows.
    const QString shown =
        m_window->currentBillet.CODE_BARRE + QLatin1Char('|') + QString::number(m_window->currentBillet.EDITEUR_ID);
    const QString key = barcode + QLatin1Char('|') + QString::number(editeurId);
    if (certainlyValid && verdict != Verdict::Composte && verdict != Verdict::Valide) {
        ++figures.wrongLists;
        fail(QStringLiteral("valid ticket %1 refused (verdict %2) on %3")
                 .arg(key)
                 .arg(static_cast<int>(verdict))
                 .arg(QFileInfo(m_window->currentRepDbName).fileName()));
        return;
    }
    if (editeurId == 99999999 || m_window->currentBillet.EDITEUR_ID == 99999999) {
        return;
    }
    const QString listKey = QFileInfo(m_window->currentRepDbName).fileName() + QLatin1Char('|') + shown;
    if (verdict == Verdict::Composte) {
        ++figures.accepted;
        m_acceptedAnywhere[shown] += 1;
        m_admitted[listKey] += 1;
    } else if (verdict == Verdict::Decomposte) {
        m_unpunchedAnywhere[shown] += 1;
        m_admitted[listKey] -= 1;
    }
    Q_UNUSED(key);
}

}  // namespace trials
