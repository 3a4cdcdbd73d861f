#include "control/TicketTable.h"
#include "control/TicketText.h"
#include "core/CAffichage.h"
#include "core/CDateHeure.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "data/CDataBilletLocal.h"
#include "data/CDataEvent.h"
#include "data/CDataRechercheBilletLocal.h"
#include "data/CDataRep.h"
#include "ui/MainWindow.h"
#include "ui/SaisieDlg.h"
#include "ui/Ui_MainWindow.h"

namespace
{

constexpr int kLocalPage = 6;
constexpr unsigned int kLocalCap = 2000;

// Columns of the local-ticket table; 0, 3, 4 and 10 are hidden and carry what the
// form needs back.
enum LocalColumn
{
    ColRep = 0,
    ColEtat = 1,
    ColNom = 2,
    ColNomSeul = 3,
    ColPrenom = 4,
    ColBarcode = 5,
    ColTel = 6,
    ColMail = 7,
    ColPlace = 8,
    ColDate = 9,
    ColNb = 10,
    ColModifier = 11,
    ColSupprimer = 12,
};

QString label(int index)
{
    return gAffichage->getTraduction(currentLangue(), index);
}

QString message(int index)
{
    return gAffichage->getMessage(currentLangue(), index);
}

// The stored local ticket of exactly this barcode, if any.
bool storedLocal(QSqlDatabase& db, QMutex* mutex, const QString& code, CDataBillet& out)
{
    CDataBilletListe found;
    found.initParSqlByCodeBarre(db, mutex, code);
    for (const CDataBillet& billet : std::as_const(found)) {
        if (billet.EDITEUR_ID == EDITEUR_LOCAL_ID) {
            out = billet;
            return true;
        }
    }
    return false;
}

// A yes/no question about an existing local ticket.
void askLocalQuestion(SaisieDlg* dialog, int goal, const QString& question)
{
    dialog->setGoal(goal);
    dialog->setType(2);
    dialog->clear();
    dialog->setTitle(message(28), label(110), label(111));
    dialog->setQuestion(question);
}

bool isLive(bool exists, const CDataBillet& billet)
{
    return exists && billet.IS_DELETED == 0;
}

}  // namespace

void MainWindow::localTicketPageClicked()
{
    if (currentRepDbName.isEmpty()) {
        displayMessage(label(100), message(32));
        return;
    }
    if (!openRepBDD(db, dbMutex, currentRepDbName)) {
        return;
    }
    ui->comboRepLocal->clear();
    ui->comboRepLocal->addItem(label(152), QVariant());
    CDataRepListe reps;
    reps.initParSql(db, dbMutex);
    const int language = currentLangue();
    for (const CDataRep& rep : std::as_const(reps)) {
        // Row 0 is the database's default performance, not a real one.
        if (rep.ID == 0) {
            continue;
        }
        CDataEvent event;
        event.initDefaut();
        event.initParSql(db, dbMutex, rep.EVENT_ID);
        ui->comboRepLocal->addItem(event.NOM + QStringLiteral(" – ") + tickettext::dateText(rep.DATE_DEBUT, language),
                                   rep.ID);
    }
    refreshLocalTickets();
    clearLocalForm();
    ui->stackedWidget->setCurrentIndex(kLocalPage);
}

void MainWindow::refreshLocalTickets()
{
    CDataRechercheBilletLocal listing;
    listing.initConnectionSql(db, dbMutex);
    listing.initRequete(QString(), {}, {});
    if (!CDataRecherche::execute(this, listing)) {
        return;
    }
    QTableWidget* table = ui->tableLocalTicketResult;
    table->setRowCount(0);
    if (listing.liste.isEmpty() || listing.liste.size() > qsizetype(kLocalCap)) {
        ui->lblLocalTicketResult->setText(label(listing.liste.isEmpty() ? 71 : 72));
        ui->lblLocalTicketResult->show();
        table->hide();
        return;
    }
    const int language = currentLangue();
    table->setRowCount(static_cast<int>(listing.liste.size()));
    int row = 0;
    for (const CDataBilletLocalFound& local : std::as_const(listing.liste)) {
        CDataBillet state;
        state.IS_DELETED = 0;
        state.IS_USABLE = local.IS_USABLE;
        state.NB_COMPOSTAGE = local.NB_COMPOSTAGE;
        const QStringList cells{
            QString::number(local.REP_ID),
            label(verdictLabel(verdictOf(state))),
            (local.PRENOM_PORTEUR + QLatin1Char(' ') + local.NOM_PORTEUR).trimmed(),
            local.NOM_PORTEUR,
            local.PRENOM_PORTEUR,
            local.CODE_BARRE,
            local.TEL_PORTEUR,
            local.MAIL,
            local.PLACEMENT,
            tickettext::dateText(local.DATE_ACHAT, language),
            QString::number(local.NB_COMPOSTAGE),
            label(144),
            label(143),
        };
        setRowTexts(table, row, cells);
        ++row;
    }
    table->resizeColumnsToContents();
    ui->lblLocalTicketResult->hide();
    table->show();
}

void MainWindow::localTicketClicked(int row, int column)
{
    if (column == ColModifier) {
        fillLocalForm(row);
        return;
    }
    const QTableWidgetItem* barcode = ui->tableLocalTicketResult->item(row, ColBarcode);
    if (column != ColSupprimer || !barcode) {
        return;
    }
    // The ticket is the one clicked now, whatever the table shows by the answer.
    localTicketRowToDelete = row;
    localTicketBarcodeToDelete = barcode->text();
    askLocalQuestion(saisieDlg, saisiegoal::DeleteLocalTicket, message(30));
    actionShowSaisieDlg(true);
}

void MainWindow::localTicketDoubleClicked(int row, int)
{
    fillLocalForm(row);
}

void MainWindow::fillLocalForm(int row)
{
    QTableWidget* table = ui->tableLocalTicketResult;
    if (row < 0 || row >= table->rowCount()) {
        return;
    }
    const auto cell = [table, row](int column) {
        const QTableWidgetItem* item = table->item(row, column);
        return item ? item->text() : QString();
    };
    ui->editNameLocal->setText(cell(ColNomSeul));
    ui->editFirstnameLocal->setText(cell(ColPrenom));
    ui->editPhoneLocal->setText(cell(ColTel));
    ui->editMailLocal->setText(cell(ColMail));
    ui->editBarcodeLocal->setText(cell(ColBarcode));
    ui->editNbPunchLocal->setText(cell(ColNb));
    ui->editPlaceLocal->setText(cell(ColPlace));
    const int index = ui->comboRepLocal->findData(cell(ColRep).toUInt());
    ui->comboRepLocal->setCurrentIndex(index < 0 ? 0 : index);
}

void MainWindow::clearLocalForm()
{
    for (QLineEdit* edit : {ui->editNameLocal,
                            ui->editFirstnameLocal,
                            ui->editPhoneLocal,
                            ui->editMailLocal,
                            ui->editBarcodeLocal,
                            ui->editNbPunchLocal,
                            ui->editPlaceLocal}) {
        edit->clear();
    }
    ui->comboRepLocal->setCurrentIndex(0);
}

void MainWindow::cancelTicketClicked()
{
    clearLocalForm();
}

void MainWindow::addTicketClicked()
{
    // As the door reads it: blanks around it would make a ticket no scan finds.
    const QString barcode = ui->editBarcodeLocal->text().trimmed();
    if (barcode.isEmpty()) {
        displayMessage(label(100), message(31));
        return;
    }
    const QVariant rep = ui->comboRepLocal->currentData();
    if (!rep.isValid()) {
        displayMessage(label(100), message(32));
        return;
    }
    CDataBillet billet;
    billet.initDefaut();
    billet.EDITEUR_ID = EDITEUR_LOCAL_ID;
    billet.REP_ID = rep.toUInt();
    billet.CODE_BARRE = barcode;
    billet.NOM_PORTEUR = ui->editNameLocal->text();
    billet.PRENOM_PORTEUR = ui->editFirstnameLocal->text();
    billet.TEL_PORTEUR = ui->editPhoneLocal->text();
    // As the file import does: the holder bought the ticket.
    billet.NOM_ACHETEUR = billet.NOM_PORTEUR;
    billet.PRENOM_ACHETEUR = billet.PRENOM_PORTEUR;
    billet.TEL_ACHETEUR = billet.TEL_PORTEUR;
    billet.MAIL = ui->editMailLocal->text();
    billet.DATE_ACHAT = CDateHeure(0u).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));

    CDataBillet existing;
    existing.initDefaut();
    const bool exists = existing.initParSql(db, dbMutex, barcode, EDITEUR_LOCAL_ID);
    if (ui->editNbPunchLocal->hasAcceptableInput()) {
        billet.NB_COMPOSTAGE = ui->editNbPunchLocal->text().toUInt();
    } else if (exists) {
        // The field takes 1 to 999 only: a used-up ticket shows 0 there, and editing
        // its holder must not give it an entry back.
        billet.NB_COMPOSTAGE = existing.NB_COMPOSTAGE;
    }
    if (!exists) {
        storeLocalTicket(billet, ui->editPlaceLocal->text());
        return;
    }
    // The replacement takes the stored ticket's place, even when typed in another case.
    billet.CODE_BARRE = existing.CODE_BARRE;
    localTicketToStore = billet;
    localTicketPlaceToStore = ui->editPlaceLocal->text();
    askLocalQuestion(saisieDlg, saisiegoal::ReplaceLocalTicket, message(29));
    actionShowSaisieDlg(true);
}

void MainWindow::addLocalTicket()
{
    const CDataBillet billet = localTicketToStore;
    localTicketToStore = CDataBillet();
    if (!billet.CODE_BARRE.isEmpty()) {
        storeLocalTicket(billet, localTicketPlaceToStore);
    }
}

void MainWindow::storeLocalTicket(const CDataBillet& billet, const QString& placement)
{
    if (!isRepDatabaseOpen()) {
        return;
    }
    CDataBillet before;
    const bool existed = storedLocal(db, dbMutex, billet.CODE_BARRE, before);
    if (!ajouteBilletLocalSql(db, dbMutex, billet, placement, label(112))) {
        // The form keeps what the agent typed.
        displayMessage(label(100), message(5));
        return;
    }
    const bool wasLive = isLive(existed, before);
    updateNbTicket(1 - (wasLive ? 1 : 0),
                   (billet.NB_COMPOSTAGE == 0 ? 1 : 0) - (wasLive && before.NB_COMPOSTAGE == 0 ? 1 : 0));
    refreshLocalTickets();
    clearLocalForm();
}

void MainWindow::deleteLocalTicket(int)
{
    const QString barcode = localTicketBarcodeToDelete;
    localTicketBarcodeToDelete.clear();
    localTicketRowToDelete = -1;
    if (barcode.isEmpty() || !isRepDatabaseOpen()) {
        return;
    }
    CDataBillet before;
    const bool existed = storedLocal(db, dbMutex, barcode, before);
    if (!supprimeBilletLocalSql(db, dbMutex, barcode)) {
        displayMessage(label(100), message(5));
        return;
    }
    if (isLive(existed, before)) {
        updateNbTicket(-1, before.NB_COMPOSTAGE == 0 ? -1 : 0);
    }
    refreshLocalTickets();
    clearLocalForm();
}
