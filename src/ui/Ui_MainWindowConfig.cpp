#include "core/AppFolder.h"
#include "ui/FormHelpers.h"
#include "ui/Ui_MainWindow.h"

#include <QFont>

using form::make;
using form::openHand;

void Ui_MainWindow::setupConfigPage()
{
    pageConfig = form::makePage("pageConfig");

    // The panel, with its title and version line under the inner stack
    widgetParam = make<QWidget>(pageConfig, "widgetParam", 190, 135, 644, 409);
    lblParamTitle = make<QLabel>(widgetParam, "lblParamTitle", 140, 0, 361, 31);
    lblParamTitle->setAlignment(form::kCentred);
    lblVersionParam = make<QLabel>(widgetParam, "lblVersionParam", 10, 345, 211, 31);
    QFont versionFont;
    versionFont.setStyleStrategy(QFont::PreferDefault);
    lblVersionParam->setFont(versionFont);

    // The inner stack covers the whole panel; its pages paint no background.
    stackedWidgetParam = make<QStackedWidget>(widgetParam, "stackedWidgetParam", 0, 0, 644, 409);

    // Inner page 0: language and the agent's own switches
    pageParamUser = form::makePage("pageParamUser");
    btnParamEnglish = make<QPushButton>(pageParamUser, "btnParamEnglish", 520, 110, 48, 48);
    openHand(btnParamEnglish);
    lblParamLangage = make<QLabel>(pageParamUser, "lblParamLangage", 340, 115, 111, 41);
    btnParamTactil = make<QPushButton>(pageParamUser, "btnParamTactil", 550, 50, 77, 27);
    openHand(btnParamTactil);
    btnParamSpanish = make<QPushButton>(pageParamUser, "btnParamSpanish", 580, 110, 48, 48);
    openHand(btnParamSpanish);
    btnParamAdvance = make<QPushButton>(pageParamUser, "btnParamAdvance", 490, 5, 150, 23);
    openHand(btnParamAdvance);
    btnParamFrench = make<QPushButton>(pageParamUser, "btnParamFrench", 460, 110, 48, 48);
    openHand(btnParamFrench);
    btnParamSave = make<QPushButton>(pageParamUser, "btnParamSave", 350, 340, 115, 30);
    btnParamSave->setCursor(QCursor(Qt::ArrowCursor));
    lblParamTactil = make<QLabel>(pageParamUser, "lblParamTactil", 340, 45, 201, 41);
    btnParamCancel = make<QPushButton>(pageParamUser, "btnParamCancel", 490, 340, 115, 30);
    btnParamCancel->setCursor(QCursor(Qt::ArrowCursor));
    btnParamDirectSearch = make<QPushButton>(pageParamUser, "btnParamDirectSearch", 550, 190, 77, 27);
    openHand(btnParamDirectSearch);
    lblParamDirectSearch = make<QLabel>(pageParamUser, "lblParamDirectSearch", 340, 185, 201, 41);
    lblParamDiffPunch = make<QLabel>(pageParamUser, "lblParamDiffPunch", 340, 255, 201, 41);
    btnParamDiffPunch = make<QPushButton>(pageParamUser, "btnParamDiffPunch", 550, 260, 77, 27);
    openHand(btnParamDiffPunch);
    stackedWidgetParam->addWidget(pageParamUser);

    // Inner page 1: switches of the terminal
    pageParamConfig = form::makePage("pageParamConfig");
    btnParamRepJour = make<QPushButton>(pageParamConfig, "btnParamRepJour", 550, 50, 77, 27);
    openHand(btnParamRepJour);
    btnParamUnpunch = make<QPushButton>(pageParamConfig, "btnParamUnpunch", 550, 120, 77, 27);
    openHand(btnParamUnpunch);
    lblParamUnpunch = make<QLabel>(pageParamConfig, "lblParamUnpunch", 340, 115, 201, 41);
    lblParamRepJour = make<QLabel>(pageParamConfig, "lblParamRepJour", 340, 45, 201, 41);
    btnParamBack = make<QPushButton>(pageParamConfig, "btnParamBack", 540, 5, 100, 23);
    openHand(btnParamBack);
    btnParamHideRecapTicket = make<QPushButton>(pageParamConfig, "btnParamHideRecapTicket", 550, 190, 77, 27);
    openHand(btnParamHideRecapTicket);
    lblParamHideRecapTicket = make<QLabel>(pageParamConfig, "lblParamHideRecapTicket", 340, 185, 201, 41);
    btnParamLocalTicket = make<QPushButton>(pageParamConfig, "btnParamLocalTicket", 550, 260, 77, 27);
    openHand(btnParamLocalTicket);
    lblParamLocalTicket = make<QLabel>(pageParamConfig, "lblParamLocalTicket", 340, 255, 201, 41);
    stackedWidgetParam->addWidget(pageParamConfig);

    // Inner page 2: connection
    pageParamConfigConnection = form::makePage("pageParamConfigConnection");
    editParamUrl = make<QLineEdit>(pageParamConfigConnection, "editParamUrl", 340, 66, 291, 25);
    lblParamUrl = make<QLabel>(pageParamConfigConnection, "lblParamUrl", 340, 40, 291, 20);
    btnParamBack2 = make<QPushButton>(pageParamConfigConnection, "btnParamBack2", 540, 5, 100, 23);
    openHand(btnParamBack2);
    editParamProxy = make<QLineEdit>(pageParamConfigConnection, "editParamProxy", 420, 126, 211, 25);
    lblParamProxy = make<QLabel>(pageParamConfigConnection, "lblParamProxy", 340, 126, 71, 25);
    lblParamTimeOut = make<QLabel>(pageParamConfigConnection, "lblParamTimeOut", 340, 196, 71, 25);
    editParamTimeOut = make<QLineEdit>(pageParamConfigConnection, "editParamTimeOut", 420, 196, 161, 25);
    editParamTimeOut->setInputMask(QStringLiteral("9999999999; "));
    lblParamTimeOutUnity = make<QLabel>(pageParamConfigConnection, "lblParamTimeOutUnity", 590, 196, 41, 25);
    lblParamTimeOutUnity->setAlignment(form::kRight);
    stackedWidgetParam->addWidget(pageParamConfigConnection);

    // Inner page 3: advanced, free text
    pageParamAdvanced = form::makePage("pageParamAdvanced");
    btnParamBackAdvanced = make<QPushButton>(pageParamAdvanced, "btnParamBackAdvanced", 540, 5, 100, 23);
    openHand(btnParamBackAdvanced);
    editParam = make<QPlainTextEdit>(pageParamAdvanced, "editParam", 343, 50, 281, 341);
    stackedWidgetParam->addWidget(pageParamAdvanced);

    // Separators and navigation bar, above every inner page
    lblSepParam3 = make<QLabel>(widgetParam, "lblSepParam3", 325, 241, 321, 1);
    lblSepParam4 = make<QLabel>(widgetParam, "lblSepParam4", 325, 311, 321, 1);
    lblSepParam1 = make<QLabel>(widgetParam, "lblSepParam1", 325, 101, 321, 1);
    lblSepParam2 = make<QLabel>(widgetParam, "lblSepParam2", 325, 171, 321, 1);
    btnParamConfigNextPage = make<QPushButton>(widgetParam, "btnParamConfigNextPage", 540, 350, 84, 21);
    btnParamConfigNextPage->setEnabled(false);
    btnParamConfigPrevPage = make<QPushButton>(widgetParam, "btnParamConfigPrevPage", 340, 350, 84, 21);
    btnParamConfigPrevPage->setEnabled(false);
    lblParamConfigPage = make<QLabel>(widgetParam, "lblParamConfigPage", 330, 340, 301, 41);
    lblParamConfigPage->setAlignment(form::kCentred);

    // The page label goes under the two buttons it sits between.
    lblParamTitle->raise();
    lblVersionParam->raise();
    stackedWidgetParam->raise();
    lblSepParam3->raise();
    lblSepParam4->raise();
    lblSepParam1->raise();
    lblSepParam2->raise();
    lblParamConfigPage->raise();
    btnParamConfigNextPage->raise();
    btnParamConfigPrevPage->raise();

    stackedWidget->addWidget(pageConfig);
}

void Ui_MainWindow::retranslateConfigPage()
{
    lblParamTitle->setText(QStringLiteral("Paramètres de l'application"));
    lblVersionParam->setText(QStringLiteral("Application de compostage\nV ") + QLatin1String(kAppVersion));
    btnParamConfigNextPage->setText(QStringLiteral("Suivant  "));
    btnParamConfigPrevPage->setText(QStringLiteral("    Précédent"));
    lblParamConfigPage->setText(QStringLiteral("Page  i / n"));

    lblParamLangage->setText(QStringLiteral("Choisissez\nvotre langue"));
    btnParamAdvance->setText(QStringLiteral("Paramètres avancés"));
    btnParamSave->setText(QStringLiteral("Enregistrer"));
    lblParamTactil->setText(QStringLiteral("Clavier pour écran tactile"));
    btnParamCancel->setText(QStringLiteral("Annuler"));
    lblParamDirectSearch->setText(QStringLiteral("Recherche directe\nlors de la frappe"));
    lblParamDiffPunch->setText(QStringLiteral("Affichage différence avec\nle dernier compostage"));

    lblParamUnpunch->setText(QStringLiteral("Autorisation décompostage"));
    lblParamRepJour->setText(QStringLiteral("Représentation du jour\nuniquement"));
    btnParamBack->setText(QStringLiteral("Retour"));
    lblParamHideRecapTicket->setText(QStringLiteral("Masquer le récapitulatif\ndu nombre de billets"));
    lblParamLocalTicket->setText(QStringLiteral("Gestion des\nbillets en local"));

    lblParamUrl->setText(QStringLiteral("Adresse du serveur"));
    btnParamBack2->setText(QStringLiteral("Retour"));
    lblParamProxy->setText(QStringLiteral("IP Proxy"));
    lblParamTimeOut->setText(QStringLiteral("Timeout"));
    lblParamTimeOutUnity->setText(QStringLiteral("sec "));

    btnParamBackAdvanced->setText(QStringLiteral("Retour"));
}
