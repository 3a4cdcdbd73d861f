#include "core/CParam.h"
#include "core/Database.h"
#include "core/Log.h"
#include "core/Util.h"
#include "data/CDataRechercheNb.h"
#include "session/RepDisplay.h"
#include "ui/MainWindow.h"
#include "ui/ProgressBar.h"
#include "ui/Ui_MainWindow.h"

#include <QFileInfo>
#include <QHeaderView>

using repdisplay::label;
using repdisplay::message;

namespace
{

constexpr int kPanelCurrentRep = 0;
constexpr int kPanelNoRep = 1;
constexpr int kRecapCountWidth = 70;

}  // namespace

void MainWindow::setCurrentRep(CDataEvenement evenement,
                               CDataRepresentation representation,
                               const QString& path,
                               const QString& idRep,
                               const QString& jour)
{
    progressBar->setMax(10);
    progressBar->setValue(0);
    progressBar->setText(message(7));
    actionShowProgress(true);

    ui->lblRepEvent->setText(utilElidedText(evenement.NOM, ui->lblRepEvent));
    ui->lblRepEvent->setToolTip(evenement.NOM);
    shownRep = ShownRep{evenement, representation};
    showCurrentRepTexts();

    const QString picture = repdisplay::pictureCachePath(evenement.IMAGE);
    if (repdisplay::isCacheName(picture) && QFileInfo::exists(picture)) {
        repdisplay::showPicture(ui->lblRepImg, QImage(picture));
    } else {
        enregistreLog(5, QStringLiteral("Image inexistante : ") + picture, false);
        repdisplay::showPicture(ui->lblRepImg, repdisplay::defaultPicture());
    }
    ui->lblRepImg->show();

    ui->lblRepStatus->show();

    // A tile writes "-0" for pass 0; the service knows that scope as "0".
    const bool isPassZero = evenement.TYPE == 1 && evenement.ID == 0;
    gParam->currentIdRep.set(isPassZero ? QStringLiteral("0") : idRep);
    gParam->currentJour.set(jour);

    ui->lblRepSalle->setText(utilElidedText(representation.NOM_SALLE, ui->lblRepSalle));
    ui->lblRepSalle->setToolTip(representation.NOM_SALLE);
    ui->lblRepPlaces->show();
    ui->btnStartScan->show();

    currentRepDbName = path;
    displayRecapRep();
    openBDD(db, dbMutex);
    actionShowProgress(false);
}

void MainWindow::showCurrentRepTexts()
{
    if (!shownRep) {
        return;
    }
    const int language = currentLangue();
    const QString& name = shownRep->evenement.NOM;
    const CDateHeure start = repdisplay::storedDate(shownRep->representation.DATE_DEBUT);
    ui->lblRepRep->setText(start.getString(language));
    repdisplay::showSaleBadge(ui->lblRepStatus,
                              ui->lblRepFinVente,
                              repdisplay::storedDate(shownRep->representation.DATE_FIN_VENTE));
    ui->lblRepCurrent->setText(
        utilElidedText(name + QStringLiteral(" - ") + start.toString(label(55)), ui->lblRepCurrent));
    ui->lblRepCurrent->setToolTip(name + QLatin1Char('\n') + start.getString(language));
}

void MainWindow::displayRecapRep()
{
    openRepBDD(db, dbMutex, currentRepDbName);
    ui->tableNbTicket->hide();
    if (gParam->parametre(HIDE_RECAP_TICKET_REP) == QLatin1String("0")) {
        CDataRechercheNbBilletByEditeur byEditeur;
        byEditeur.initConnectionSql(db, dbMutex);
        byEditeur.initRequete({}, {QStringLiteral("EDITEUR.ID")});
        if (CDataRecherche::execute(this, byEditeur)) {
            fillRecapTable(byEditeur.liste);
        }
    }

    // A count that could not be made shows as such, never as a number.
    const QString unknown = QStringLiteral("?");
    CDataRechercheNbPunch punched;
    punched.initConnectionSql(db, dbMutex);
    punched.initRequete({}, {});
    ui->lblRepNbPunch->setText((CDataRecherche::execute(this, punched) ? QString::number(punched.nb) : unknown)
                               + QLatin1Char(' '));
    CDataRechercheNbTicket tickets;
    tickets.initConnectionSql(db, dbMutex);
    tickets.initRequete({}, {});
    ui->lblRepNbPlace->setText(QStringLiteral("/ ")
                               + (CDataRecherche::execute(this, tickets) ? QString::number(tickets.nb) : unknown));

    ui->btnLocalTicket->setVisible(gParam->parametre(USE_LOCAL_TICKET) == QLatin1String("1"));
    ui->stackedWidgetCurrentRep->setCurrentIndex(kPanelCurrentRep);
}

void MainWindow::fillRecapTable(const CDataNbBilletListe& counts)
{
    QTableWidget* table = ui->tableNbTicket;
    table->clear();
    table->setColumnCount(2);
    table->setRowCount(0);
    table->setColumnWidth(1, kRecapCountWidth);
    table->setColumnWidth(0, table->width() - kRecapCountWidth);
    for (const CDataNbBillet& count : counts) {
        const int row = table->rowCount();
        table->insertRow(row);
        auto* name = new QTableWidgetItem(count.NOM);
        name->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        table->setItem(row, 0, name);
        auto* number = new QTableWidgetItem(QString::number(count.NB));
        number->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table->setItem(row, 1, number);
    }
    table->setShowGrid(false);
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    table->resize(table->width(), table->rowCount() * table->verticalHeader()->defaultSectionSize());
    table->show();
}

void MainWindow::resetCurrentRep()
{
    ui->stackedWidgetCurrentRep->setCurrentIndex(kPanelNoRep);
    ui->btnStartScan->hide();
    ui->btnLocalTicket->hide();
    for (QLabel* text :
         {ui->lblRepEvent, ui->lblRepRep, ui->lblRepStatus, ui->lblRepFinVente, ui->lblRepNbPlace, ui->lblRepNbPunch}) {
        text->clear();
    }
    ui->lblRepStatus->hide();
    ui->lblRepImg->hide();
    ui->lblRepPlaces->hide();
    ui->tableNbTicket->hide();
    ui->tableNbTicket->setEnabled(false);
    currentRepDbName.clear();
    shownRep.reset();
}

// Scanning must not start on a list that is gone: it would create it empty.
void MainWindow::actionRepFileDropped(const QString& path)
{
    if (!currentRepDbName.isEmpty() && path == currentRepDbName) {
        resetCurrentRep();
    }
}
