#include "control/CWebCam.h"
#include "control/TicketTable.h"
#include "control/TicketText.h"
#include "core/CAffichage.h"
#include "core/CParam.h"
#include "data/CDataRechercheBillet.h"
#include "ui/MainWindow.h"
#include "ui/Ui_MainWindow.h"

namespace
{

constexpr int kScanPage = 2;
constexpr int kSearchPage = 3;
// More hits than this ask the agent to type more, rather than fill the table.
constexpr unsigned int kSearchCap = 500;
constexpr int kBarcodeRole = Qt::UserRole;
constexpr int kEditeurRole = Qt::UserRole + 1;

QString label(int index)
{
    return gAffichage->getTraduction(currentLangue(), index);
}

QString fullName(const QString& firstName, const QString& name)
{
    return (firstName + QLatin1Char(' ') + name).trimmed();
}

int stateLabel(const CDataBilletFound& found)
{
    CDataBillet billet;
    billet.IS_DELETED = found.IS_DELETED;
    billet.IS_USABLE = found.IS_USABLE;
    billet.NB_COMPOSTAGE = found.NB_COMPOSTAGE;
    return verdictLabel(verdictOf(billet));
}

}  // namespace

void MainWindow::padNumSearchClicked()
{
    openSearchPage();
}

void MainWindow::openSearchPage()
{
    webCam->pause();
    ui->tableSearchResult->hide();
    ui->lblEmptyResult->hide();
    const bool keyboard = gParam->parametre(TACTILE) == QLatin1String("1");
    ui->widgetSearchKeyboard->setVisible(keyboard);
    const QRect keys = ui->widgetSearchKeyboard->geometry();
    QRect area = ui->widgetSearchResult->geometry();
    area.setHeight((keyboard ? keys.y() - 11 : keys.y() + keys.height()) - area.y());
    ui->widgetSearchResult->setGeometry(area);
    QRect table = ui->tableSearchResult->geometry();
    table.setHeight(area.height() - 10);
    ui->tableSearchResult->setGeometry(table);
    ui->stackedWidget->setCurrentIndex(kSearchPage);
    ui->editSearch->setFocus(Qt::OtherFocusReason);
}

void MainWindow::searchClicked()
{
    if (!isRepDatabaseOpen()) {
        return;
    }
    CDataRechercheBillet search;
    search.initConnectionSql(db, dbMutex);
    search.initRequete(ui->editSearch->text(), {}, {}, kSearchCap + 1);
    // On a failure the table stays as it was.
    if (!CDataRecherche::execute(this, search)) {
        return;
    }
    QTableWidget* table = ui->tableSearchResult;
    table->setRowCount(0);
    if (search.liste.isEmpty() || search.liste.size() > qsizetype(kSearchCap)) {
        ui->lblEmptyResult->setText(label(search.liste.isEmpty() ? 71 : 72));
        ui->lblEmptyResult->show();
        table->hide();
        ui->editSearch->setFocus(Qt::OtherFocusReason);
        return;
    }
    const int language = currentLangue();
    table->setRowCount(static_cast<int>(search.liste.size()));
    int row = 0;
    for (const CDataBilletFound& found : std::as_const(search.liste)) {
        const QStringList cells{
            QString::number(found.ID),
            label(stateLabel(found)),
            fullName(found.PRENOM_PORTEUR, found.NOM_PORTEUR),
            found.CODE_BARRE,
            found.NOM_CANAL_VENTE,
            tickettext::dateText(found.DATE_ACHAT, language),
            fullName(found.PRENOM_ACHETEUR, found.NOM_ACHETEUR),
            found.NOM_EDITEUR,
        };
        setRowTexts(table, row, cells);
        // A hit is opened by its barcode and issuer: ids are not unique.
        table->item(row, 0)->setData(kBarcodeRole, found.CODE_BARRE);
        table->item(row, 0)->setData(kEditeurRole, found.EDITEUR_ID);
        ++row;
    }
    table->resizeColumnsToContents();
    ui->lblEmptyResult->hide();
    table->show();
    ui->editSearch->setFocus(Qt::OtherFocusReason);
}

void MainWindow::editSearchChanged(const QString&)
{
    if (gParam->parametre(DIRECT_SEARCH) == QLatin1String("1")) {
        searchClicked();
    }
}

void MainWindow::backToScanClicked()
{
    ui->stackedWidget->setCurrentIndex(kScanPage);
    scanPageShown();
    if (webCam->isCapturing()) {
        webCam->resumeAfter(0);
    }
    ui->editBarcode->setFocus(Qt::OtherFocusReason);
}

// The hit is shown as read, never punched: the agent only looked it up.
void MainWindow::resultDoubleClicked(int row, int)
{
    const QTableWidgetItem* item = ui->tableSearchResult->item(row, 0);
    if (!item) {
        return;
    }
    ui->stackedWidget->setCurrentIndex(kScanPage);
    scanPageShown();
    ui->editBarcode->setFocus(Qt::OtherFocusReason);
    if (!isRepDatabaseOpen()) {
        return;
    }
    loadAndJudge(item->data(kBarcodeRole).toString(), item->data(kEditeurRole).toUInt(), false);
}

void MainWindow::keyboardSearchKeyClicked(const QString& text)
{
    ui->editSearch->setText(ui->editSearch->text() + text);
    ui->editSearch->setFocus(Qt::OtherFocusReason);
}

void MainWindow::keyboardSearchEnterClicked()
{
    searchClicked();
}

void MainWindow::keyboardSearchExitClicked()
{
    backToScanClicked();
}

void MainWindow::keyboardSearchBackClicked()
{
    ui->editSearch->setText(ui->editSearch->text().chopped(ui->editSearch->text().isEmpty() ? 0 : 1));
    ui->editSearch->setFocus(Qt::OtherFocusReason);
}
