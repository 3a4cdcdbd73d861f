#include "ui/FormHelpers.h"
#include "ui/Ui_MainWindow.h"

using form::make;
using form::openHand;

void Ui_MainWindow::setupRepPage()
{
    pageRep = form::makePage("pageRep");

    // Event-file import, lower right
    widgetLoadFile = make<QWidget>(pageRep, "widgetLoadFile", 590, 560, 420, 130);
    lblLoadFileTitle = make<QLabel>(widgetLoadFile, "lblLoadFileTitle", 0, 0, 420, 34);
    lblLoadFileTitle->setAlignment(form::kCentred);
    lblLoadFileExplain = make<QLabel>(widgetLoadFile, "lblLoadFileExplain", 0, 80, 420, 50);
    lblLoadFileExplain->setAlignment(form::kCentred);
    lblLoadFileExplain->setWordWrap(true);
    btnLoadFile = make<QPushButton>(widgetLoadFile, "btnLoadFile", 295, 46, 115, 30);
    editLoadFile = make<QLineEdit>(widgetLoadFile, "editLoadFile", 17, 45, 265, 31);

    // Performance list, six tiles a page
    widgetRepChoice = make<QWidget>(pageRep, "widgetRepChoice", 10, 20, 570, 671);
    lblRepChoiceTitle = make<QLabel>(widgetRepChoice, "lblRepChoiceTitle", 0, 0, 570, 34);
    lblRepPage = make<QLabel>(widgetRepChoice, "lblRepPage", 0, 640, 570, 30);
    lblRepPage->setAlignment(form::kCentred);
    btnRepPrevPage = make<QPushButton>(widgetRepChoice, "btnRepPrevPage", 10, 645, 84, 21);
    btnRepPrevPage->setEnabled(false);
    btnRepNextPage = make<QPushButton>(widgetRepChoice, "btnRepNextPage", 476, 645, 84, 21);
    btnRepNextPage->setEnabled(false);

    // Tile placeholders. Tile 3 comes after the waiting bar so it is drawn over it.
    widgetRep1 = make<QWidget>(widgetRepChoice, "widgetRep1", 0, 34, 570, 101);
    widgetRep1->setEnabled(true);
    widgetRep2 = make<QWidget>(widgetRepChoice, "widgetRep2", 0, 135, 570, 101);
    widgetRep2->setEnabled(true);
    widgetRep4 = make<QWidget>(widgetRepChoice, "widgetRep4", 0, 337, 570, 101);
    widgetRep4->setEnabled(true);
    widgetRep5 = make<QWidget>(widgetRepChoice, "widgetRep5", 0, 438, 570, 101);
    widgetRep5->setEnabled(true);
    widgetRep6 = make<QWidget>(widgetRepChoice, "widgetRep6", 0, 539, 570, 101);
    widgetRep6->setEnabled(true);
    lblWaitingBar = make<QLabel>(widgetRepChoice, "lblWaitingBar", 180, 260, 220, 19);
    widgetRep3 = make<QWidget>(widgetRepChoice, "widgetRep3", 0, 236, 570, 101);
    widgetRep3->setEnabled(true);

    // Refresh and drain, top right of the list
    btnRefreshListRep = make<QPushButton>(widgetRepChoice, "btnRefreshListRep", 470, 7, 91, 20);
    openHand(btnRefreshListRep);
    btnDrainGlobal = make<QPushButton>(widgetRepChoice, "btnDrainGlobal", 369, 7, 91, 20);
    openHand(btnDrainGlobal);
    lblSep4 = make<QLabel>(widgetRepChoice, "lblSep4", 464, 5, 3, 25);

    // Chosen performance (index 0) or the notice that none is chosen (index 1)
    stackedWidgetCurrentRep = make<QStackedWidget>(pageRep, "stackedWidgetCurrentRep", 590, 20, 420, 530);

    pageCurrentRep = form::makePage("pageCurrentRep");
    widgetRepLoaded = make<QWidget>(pageCurrentRep, "widgetRepLoaded", 0, 0, 420, 530);
    lblCurrentRepTitle = make<QLabel>(widgetRepLoaded, "lblCurrentRepTitle", 0, 0, 420, 34);
    lblCurrentRepTitle->setAlignment(form::kCentred);
    btnStartScan = make<QPushButton>(widgetRepLoaded, "btnStartScan", 70, 430, 275, 54);
    lblRepStatus = make<QLabel>(widgetRepLoaded, "lblRepStatus", 150, 120, 121, 16);
    lblRepStatus->setAlignment(form::kCentred);
    lblRepRep = make<QLabel>(widgetRepLoaded, "lblRepRep", 150, 80, 261, 20);
    lblRepPlaces = make<QLabel>(widgetRepLoaded, "lblRepPlaces", 265, 209, 121, 21);
    lblRepPlaces->setAlignment(form::kCentred);
    lblRepNbPlace = make<QLabel>(widgetRepLoaded, "lblRepNbPlace", 320, 260, 71, 21);
    lblRepEvent = make<QLabel>(widgetRepLoaded, "lblRepEvent", 150, 60, 261, 21);
    lblRepFinVente = make<QLabel>(widgetRepLoaded, "lblRepFinVente", 280, 120, 111, 16);
    lblRepImg = make<QLabel>(widgetRepLoaded, "lblRepImg", 20, 59, 110, 110);
    lblRepImg->setAlignment(form::kCentred);
    // Ends at x 319, right where lblRepNbPlace begins: the two read as "punched / total".
    lblRepNbPunch = make<QLabel>(widgetRepLoaded, "lblRepNbPunch", 260, 260, 60, 21);
    lblRepNbPunch->setAlignment(form::kRight);
    tableNbTicket = make<QTableWidget>(widgetRepLoaded, "tableNbTicket", 30, 230, 210, 170);
    btnLocalTicket = make<QPushButton>(widgetRepLoaded, "btnLocalTicket", 270, 330, 115, 30);
    stackedWidgetCurrentRep->addWidget(pageCurrentRep);

    pageNoRepSelected = form::makePage("pageNoRepSelected");
    widgetNoRepLoaded = make<QWidget>(pageNoRepSelected, "widgetNoRepLoaded", 0, 0, 420, 530);
    lblNoCurrentRepTitle = make<QLabel>(widgetNoRepLoaded, "lblNoCurrentRepTitle", 0, 0, 420, 34);
    lblNoCurrentRepTitle->setAlignment(form::kCentred);
    stackedWidgetCurrentRep->addWidget(pageNoRepSelected);

    stackedWidget->addWidget(pageRep);
}

void Ui_MainWindow::retranslateRepPage()
{
    lblLoadFileTitle->setText(QStringLiteral("Téléchargez votre fichier"));
    lblLoadFileExplain->setText(
        QStringLiteral("Téléchargez le fichier de votre événement depuis votre compte administrateur sur le web. "
                       "Attention : cela implique que les ventes soient terminées au moment du téléchargement "
                       "et qu'il n'y ait qu'un seul contrôle d'accés !"));
    btnLoadFile->setText(QStringLiteral("Sélectionner"));

    lblRepChoiceTitle->setText(QStringLiteral("  Sélectionnez votre événement"));
    lblRepPage->setText(QStringLiteral("Page : 0 / 0"));
    btnRepPrevPage->setText(QStringLiteral("    Précédent"));
    btnRepNextPage->setText(QStringLiteral("Suivant  "));
    btnRefreshListRep->setText(QStringLiteral("Actualiser"));
    btnDrainGlobal->setText(QStringLiteral("Vidanger"));

    // Samples until a performance is chosen
    lblCurrentRepTitle->setText(QStringLiteral("Manifestation en cours"));
    btnStartScan->setText(QStringLiteral("Scanner"));
    lblRepStatus->setText(QStringLiteral("EN VENTE"));
    lblRepRep->setText(QStringLiteral("Rep"));
    lblRepPlaces->setText(QStringLiteral("Compostés :"));
    lblRepNbPlace->setText(QStringLiteral("/ 10"));
    lblRepEvent->setText(QStringLiteral("Event"));
    lblRepFinVente->setText(QStringLiteral("le 01/01/2010"));
    lblRepNbPunch->setText(QStringLiteral("0 "));
    btnLocalTicket->setText(QStringLiteral("Gestion des\nbillets en local"));

    lblNoCurrentRepTitle->setText(QStringLiteral("Aucune manifestation sélectionnée"));
}
