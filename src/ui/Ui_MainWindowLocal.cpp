#include "ui/FormHelpers.h"
#include "ui/Ui_MainWindow.h"

#include <QAbstractItemView>

using form::make;

void Ui_MainWindow::setupUpdatePage()
{
    pageUpdate = form::makePage("pageUpdate");

    // Offer of a new version: title, list of changes, install or decline
    widgetUpdate = make<QWidget>(pageUpdate, "widgetUpdate", 190, 130, 644, 409);
    lblUpdateTitle = make<QLabel>(widgetUpdate, "lblUpdateTitle", 0, 0, 644, 31);
    lblUpdateTitle->setAlignment(form::kCentred);
    btnGetUpdate = make<QPushButton>(widgetUpdate, "btnGetUpdate", 190, 360, 115, 30);
    btnCancelUpdate = make<QPushButton>(widgetUpdate, "btnCancelUpdate", 350, 360, 115, 30);
    lstUpdate = make<QListWidget>(widgetUpdate, "lstUpdate", 40, 80, 571, 241);

    stackedWidget->addWidget(pageUpdate);
}

void Ui_MainWindow::setupAddTicketPage()
{
    pageAddTicket = form::makePage("pageAddTicket");

    // Ticket form: name, first name, phone, mail on the left; barcode, entries, seat,
    // performance on the right
    widgetAddTicket = make<QWidget>(pageAddTicket, "widgetAddTicket", 10, 20, 1004, 301);
    editMailLocal = make<QLineEdit>(widgetAddTicket, "editMailLocal", 170, 210, 293, 32);
    editPlaceLocal = make<QLineEdit>(widgetAddTicket, "editPlaceLocal", 690, 160, 293, 31);
    comboRepLocal = make<QComboBox>(widgetAddTicket, "comboRepLocal", 690, 210, 293, 32);
    // Its list no wider than the box, whose right edge is near the window's: a wider one
    // would open past it. Long names end in an ellipsis.
    comboRepLocal->view()->parentWidget()->setMaximumWidth(comboRepLocal->width());
    lblAddTicketTitle = make<QLabel>(widgetAddTicket, "lblAddTicketTitle", 0, 0, 1004, 34);
    lblAddTicketTitle->setAlignment(form::kCentred);
    editNameLocal = make<QLineEdit>(widgetAddTicket, "editNameLocal", 170, 60, 293, 32);
    editFirstnameLocal = make<QLineEdit>(widgetAddTicket, "editFirstnameLocal", 170, 110, 293, 32);
    editPhoneLocal = make<QLineEdit>(widgetAddTicket, "editPhoneLocal", 170, 160, 293, 32);
    btnAddTicketLocal = make<QPushButton>(widgetAddTicket, "btnAddTicketLocal", 350, 260, 115, 30);
    lblNameLocal = make<QLabel>(widgetAddTicket, "lblNameLocal", 20, 60, 141, 31);
    lblNameLocal->setAlignment(form::kRight);
    lblFirstnameLocal = make<QLabel>(widgetAddTicket, "lblFirstnameLocal", 20, 110, 141, 31);
    lblFirstnameLocal->setAlignment(form::kRight);
    lblPhoneLocal = make<QLabel>(widgetAddTicket, "lblPhoneLocal", 20, 160, 141, 31);
    lblPhoneLocal->setAlignment(form::kRight);
    lblMailLocal = make<QLabel>(widgetAddTicket, "lblMailLocal", 20, 210, 141, 31);
    lblMailLocal->setAlignment(form::kRight);
    lblPlaceLocal = make<QLabel>(widgetAddTicket, "lblPlaceLocal", 490, 160, 191, 31);
    lblPlaceLocal->setAlignment(form::kRight);
    lblRepLocal = make<QLabel>(widgetAddTicket, "lblRepLocal", 490, 210, 191, 31);
    lblRepLocal->setAlignment(form::kRight);
    btnCancelTicketLocal = make<QPushButton>(widgetAddTicket, "btnCancelTicketLocal", 540, 260, 115, 30);
    editNbPunchLocal = make<QLineEdit>(widgetAddTicket, "editNbPunchLocal", 690, 110, 293, 32);
    editBarcodeLocal = make<QLineEdit>(widgetAddTicket, "editBarcodeLocal", 690, 60, 293, 32);
    lblBarcodeLocal = make<QLabel>(widgetAddTicket, "lblBarcodeLocal", 490, 60, 191, 31);
    lblBarcodeLocal->setAlignment(form::kRight);
    lblNbPunchLocal = make<QLabel>(widgetAddTicket, "lblNbPunchLocal", 490, 110, 191, 31);
    lblNbPunchLocal->setAlignment(form::kRight);
    btnLocalTicketBackToRep = make<QPushButton>(widgetAddTicket, "btnLocalTicketBackToRep", 30, 1, 36, 30);
    form::openHand(btnLocalTicketBackToRep);

    // Local tickets; the window sets up the table's columns. The label, created after
    // the table, covers a strip of it when there is nothing to list.
    widgetLocalTicketResult = make<QWidget>(pageAddTicket, "widgetLocalTicketResult", 0, 320, 1024, 371);
    tableLocalTicketResult = make<QTableWidget>(widgetLocalTicketResult, "tableLocalTicketResult", 10, 10, 1004, 361);
    lblLocalTicketResult = make<QLabel>(widgetLocalTicketResult, "lblLocalTicketResult", 10, 90, 1001, 41);
    lblLocalTicketResult->setAlignment(form::kCentred);

    stackedWidget->addWidget(pageAddTicket);
}

void Ui_MainWindow::retranslateUpdatePage()
{
    lblUpdateTitle->setText(QStringLiteral("Nouvelle version de l'application : "));
    btnGetUpdate->setText(QStringLiteral("Installer"));
    btnCancelUpdate->setText(QStringLiteral("Annuler"));
}

void Ui_MainWindow::retranslateAddTicketPage()
{
    lblAddTicketTitle->setText(QStringLiteral("Ajout de billet uniquement en local"));
    btnAddTicketLocal->setText(QStringLiteral("Ajouter"));
    lblNameLocal->setText(QStringLiteral("Nom : "));
    lblFirstnameLocal->setText(QStringLiteral("Prénom : "));
    lblPhoneLocal->setText(QStringLiteral("Tel : "));
    lblMailLocal->setText(QStringLiteral("Mail : "));
    lblPlaceLocal->setText(QStringLiteral("Place : "));
    lblRepLocal->setText(QStringLiteral("Représentation : "));
    btnCancelTicketLocal->setText(QStringLiteral("Effacer"));
    lblBarcodeLocal->setText(QStringLiteral("Code-barres : "));
    lblNbPunchLocal->setText(QStringLiteral("Nb compostage : "));
    lblLocalTicketResult->setText(QStringLiteral("Pas de résultat"));
}
