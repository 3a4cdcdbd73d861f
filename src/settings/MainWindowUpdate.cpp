#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/CParam.h"
#include "core/Log.h"
#include "net/KestNet.h"
#include "net/RequestBody.h"
#include "settings/ParamEdit.h"
#include "settings/SoftwareUpdate.h"
#include "ui/MainWindow.h"
#include "ui/Ui_MainWindow.h"

namespace
{

constexpr int kConfigPage = 4;
constexpr int kUpdatePage = 5;

using softwareUpdate::InstallStep;

QString installFailure(InstallStep step, const QString& detail)
{
    const QString file = QLatin1String(softwareUpdate::kInstallerPath);
    switch (step) {
    case InstallStep::Empty:
        return QStringLiteral("Mise a jour vide : ") + file + QStringLiteral(" non ecrit");
    case InstallStep::Write:
        return QStringLiteral("Erreur d'ecriture de ") + file + QStringLiteral(" : ") + detail;
    case InstallStep::Permission:
        return QStringLiteral("Erreur de droits sur ") + file + QStringLiteral(" : ") + detail;
    case InstallStep::Start:
        return QStringLiteral("Erreur de lancement de ") + file;
    case InstallStep::Done:
        break;
    }
    return QString();
}

}  // namespace

void MainWindow::updateSoftware()
{
    enregistreLog(4,
                  QStringLiteral("Mise a jour de la version ") + gParam->parametre(VERSION)
                      + QStringLiteral(" avec la version ") + QLatin1String(kAppVersion),
                  false);
    gParam->initParametre(VERSION, QLatin1String(kAppVersion));
    gParam->sauvegarde(QString(), false);
}

void MainWindow::verifNewVersion()
{
    const QString url = serviceUrl();
    // The reply names the installer's address: over plain HTTP anyone on the way could
    // name one of their own.
    if (!softwareUpdate::isAddressAllowed(url, gParam->isPreprod)) {
        enregistreLog(4,
                      QStringLiteral("Verification des mises a jour non envoyee, adresse non securisee : ") + url,
                      false);
        return;
    }
    auto* request = new KestNet(networkManager);
    connect(request, &KestNet::signal_Response, this, &MainWindow::actionResponseUpdate, Qt::QueuedConnection);
    connect(request, &KestNet::signal_Error, this, &MainWindow::actionErrorUpdate, Qt::DirectConnection);
    request->Init(url, QStringLiteral("update"), body::update());
    request->Request();
}

void MainWindow::actionResponseUpdate(const QByteArray& response)
{
    softwareUpdate::Offer offer;
    switch (softwareUpdate::parseReply(response, &offer)) {
    case softwareUpdate::ReplyKind::Empty:
    case softwareUpdate::ReplyKind::NoOffer:
        return;
    case softwareUpdate::ReplyKind::NotJson:
        enregistreLog(3,
                      QStringLiteral("Erreur de decodage de la reponse JSON de la verification des mises a jour"),
                      false);
        return;
    case softwareUpdate::ReplyKind::Offer:
        break;
    }
    gParam->newVersion.set(offer.version);
    gParam->updateUrl.set(offer.url);
    gParam->updateModifs.set(offer.modifs);
    if (softwareUpdate::versionNumber(offer.version) > softwareUpdate::versionNumber(gParam->parametre(VERSION))) {
        ui->btnUpdateSoftware->show();
    }
}

void MainWindow::actionErrorUpdate(int code)
{
    enregistreLog(4, QStringLiteral("Erreur Connexion Verif New Version (err=%1)").arg(code), false);
}

void MainWindow::updateSoftwareClick()
{
    const int page = ui->stackedWidget->currentIndex();
    if (page == kUpdatePage) {
        return;
    }
    ui->lblUpdateTitle->setText(gAffichage->getTraduction(languageOf(*gParam), 107) + gParam->newVersion.get());
    ui->lstUpdate->clear();
    ui->lstUpdate->addItems(gParam->updateModifs.get());
    // From the settings, the way back skips them; their copy stays as it is.
    updatePreviousPage = page == kConfigPage ? paramPreviousPage : page;
    ui->stackedWidget->setCurrentIndex(kUpdatePage);
}

void MainWindow::getUpdateClicked()
{
    const int language = languageOf(*gParam);
    const QString url = gParam->updateUrl.get();
    // What comes from this address is run: it must come over a checked connection.
    if (!softwareUpdate::isAddressAllowed(url, gParam->isPreprod)) {
        enregistreLog(3, QStringLiteral("Mise a jour refusee, adresse non securisee : ") + url, false);
        displayMessage(gAffichage->getTraduction(language, 100), gAffichage->getMessage(language, 4));
        return;
    }
    // Shown before the request leaves, so that no failure can come before it.
    actionUpdateProgressMax(10);
    actionUpdateProgressValue(0);
    actionUpdateProgressText(gAffichage->getMessage(language, 7));
    actionShowProgress(true);

    auto* request = new KestNet(networkManager);
    connect(request, &KestNet::signal_Response, this, &MainWindow::actionResponseGetUpdate, Qt::QueuedConnection);
    connect(request, &KestNet::signal_Error, this, &MainWindow::actionErrorGetUpdate, Qt::DirectConnection);
    connect(request,
            &KestNet::signal_DownloadProgress,
            this,
            &MainWindow::actionDownloadProgress,
            Qt::DirectConnection);
    request->Init(url, QStringLiteral("getUpdate"), QByteArray());
    request->Request();
}

void MainWindow::actionResponseGetUpdate(const QByteArray& response)
{
    QString detail;
    const InstallStep step = softwareUpdate::install(response, QLatin1String(softwareUpdate::kInstallerPath), &detail);
    actionShowProgress(false);
    // A failed step keeps the program running, so that the agent can try again.
    if (step != InstallStep::Done) {
        enregistreLog(3, installFailure(step, detail), false);
        const int language = languageOf(*gParam);
        displayMessage(gAffichage->getTraduction(language, 100), gAffichage->getMessage(language, 4));
        return;
    }
    exitClick();
}

void MainWindow::actionErrorGetUpdate(int code)
{
    actionShowProgress(false);
    const QString codeText = QStringLiteral(" (err=%1)").arg(code);
    enregistreLog(4, QStringLiteral("Erreur Connexion get update") + codeText, false);
    const int language = languageOf(*gParam);
    displayMessage(gAffichage->getTraduction(language, 100), gAffichage->getMessage(language, 4) + codeText);
}

void MainWindow::cancelUpdateClicked()
{
    if (updatePreviousPage == kConfigPage) {
        configClick();
    } else {
        ui->stackedWidget->setCurrentIndex(updatePreviousPage);
        scanPageShown();
    }
}
