#include "core/CParam.h"
#include "core/Log.h"
#include "net/KestNet.h"
#include "net/RequestBody.h"
#include "session/DatabaseWipe.h"
#include "session/LoginRules.h"
#include "session/SessionTexts.h"
#include "session/TerminalId.h"
#include "ui/MainWindow.h"
#include "ui/Ui_MainWindow.h"

namespace
{

const QString kRemember = QStringLiteral("Sauvegarder Mot De Passe");
const QString kForget = QStringLiteral("Ne Rien Conserver");

}  // namespace

using sessiontexts::label;
using sessiontexts::message;

// ---- login ----

// Only the newest press is answered, and only while the login page shows: an earlier
// answer would log in again over a session that has gone on.
bool MainWindow::isCurrentLogin(quint64 generation)
{
    if (generation == loginRequestGeneration && ui->stackedWidget->currentIndex() == 0) {
        return true;
    }
    if (!isStaleLoginLogged) {
        isStaleLoginLogged = true;
        enregistreLog(4, QStringLiteral("Reponse login ignoree, la session a continue sans elle"), false);
    }
    return false;
}

void MainWindow::verifLoginClicked()
{
    const quint64 generation = ++loginRequestGeneration;
    loginAttempt = {ui->editLogin->text(), loginrules::passwordHash(ui->editPassword->text()), ui->editAgent->text()};
    if (!gParam->isOnline) {
        if (!loginrules::offlineAccepted(ui->editLogin->text(),
                                         ui->editPassword->text(),
                                         gParam->parametre(LOGIN_KEST),
                                         gParam->parametre(PASSWORD_KEST))) {
            actionResponseLogin(QByteArray());
            return;
        }
        gParam->login.set(loginAttempt.login);
        gParam->passwordMd5.set(loginAttempt.passwordMd5);
        affichePageRep();
        return;
    }
    // Each reply is handled with what was typed for its own request.
    const LoginAttempt attempt = loginAttempt;
    auto* request = new KestNet(networkManager);
    connect(
        request,
        &KestNet::signal_Response,
        this,
        [this, attempt, generation](const QByteArray& response) {
            if (isCurrentLogin(generation)) {
                loginAttempt = attempt;
                actionResponseLogin(response);
            }
        },
        Qt::QueuedConnection);
    connect(
        request,
        &KestNet::signal_Error,
        this,
        [this, attempt, generation](int code) {
            if (isCurrentLogin(generation)) {
                loginAttempt = attempt;
                actionErrorLogin(code);
            }
        },
        Qt::DirectConnection);
    request->Init(serviceUrl(),
                  QStringLiteral("login"),
                  body::login(attempt.login, attempt.passwordMd5, attempt.agent));
    request->Request();
}

void MainWindow::actionResponseLogin(const QByteArray& response)
{
    using Kind = loginrules::LoginReply::Kind;
    const loginrules::LoginReply reply = loginrules::parseReply(response);
    const QString refused = QStringLiteral("Login ou mot de passe incorrect : ") + loginAttempt.login;
    switch (reply.kind) {
    case Kind::Empty:
        enregistreLog(4, refused, false);
        displayMessage(label(100), message(2));
        return;
    case Kind::NotJson:
        enregistreLog(3, QStringLiteral("Erreur de decodage de la reponse JSON de la verification du login."), false);
        displayMessage(label(100), message(3));
        return;
    case Kind::Ignored:
        return;
    case Kind::Refused:
        enregistreLog(4,
                      refused + QStringLiteral(" (Erreur ") + QString::number(reply.error) + QLatin1Char(')'),
                      false);
        displayMessage(label(100), message(2));
        return;
    case Kind::Accepted:
        break;
    }

    // The wipe comes first: when it cannot be done safely, nothing of the login is kept.
    const bool isNewOrganiser = loginrules::isOtherOrganiser(loginAttempt.login, gParam->parametre(LOGIN_KEST));
    if (isNewOrganiser && !wipeLocalData(false)) {
        return;
    }
    gParam->sessionId.set(reply.sessionId);
    bool changed = gParam->initParametre(MY_AGENT_ID, reply.terminalId);
    gParam->login.set(loginAttempt.login);
    gParam->passwordMd5.set(loginAttempt.passwordMd5);
    if (isNewOrganiser) {
        changed = gParam->initParametre(ZONE_KEST, QStringLiteral("0")) || changed;
    }
    // Only the hash is remembered: the field takes it back as a ready hash.
    const bool remember = ui->chkBoxRememberPassword->isChecked();
    changed = gParam->initParametre(LOGIN_KEST, loginAttempt.login) || changed;
    changed = gParam->initParametre(PASSWORD_KEST, remember ? loginAttempt.passwordMd5 : QString()) || changed;
    changed = gParam->initParametre(AGENT_KEST, remember ? loginAttempt.agent : QString()) || changed;
    changed = gParam->initParametre(REMEMBER_PASSWORD, remember ? kRemember : kForget) || changed;
    if (changed) {
        gParam->sauvegarde(QString(), false);
    }
    if (!reply.zones.isEmpty()) {
        reply.zones.ajouteSql(db, dbMutex);
    }
    affichePageRep();
}

void MainWindow::actionErrorLogin(int code)
{
    const QString err = QStringLiteral(" (err=") + QString::number(code) + QLatin1Char(')');
    enregistreLog(4,
                  QStringLiteral("Erreur Connexion login") + err + QStringLiteral(" : ") + loginAttempt.login,
                  false);
    displayMessage(label(100), message(4) + err);
}

bool MainWindow::wipeLocalData(bool keepZones)
{
    // An event list asked for before the wipe is not the new session's.
    ++eventsRequestGeneration;
    if (databasewipe::run(db, dbMutex, keepZones, dataVidangeListe)) {
        // The tiles showed lists just wiped: until the new list comes, they show what is
        // stored now.
        displayDownloadedEvents();
        return true;
    }
    displayMessage(label(100), message(5));
    return false;
}

void MainWindow::editLoginChanged(const QString&)
{
    ui->btnLoginValidation->setEnabled(!ui->editLogin->text().isEmpty() && !ui->editPassword->text().isEmpty());
}

// ---- terminal identifier and connection state ----

QString MainWindow::getSerialNumber()
{
    const QString address = terminalid::firstUsableAddress(terminalid::machineAddresses());
    if (gParam->initParametre(MAC, address)) {
        gParam->sauvegarde(QString(), false);
    }
    return QStringLiteral("PC-MAC-") + terminalid::systemName(terminalid::kNoMacVersion) + QLatin1Char('-') + address;
}

void MainWindow::timerPing()
{
    auto* request = new KestNet(networkManager);
    connect(request, &KestNet::signal_Response, this, &MainWindow::actionResponsePing, Qt::QueuedConnection);
    connect(request, &KestNet::signal_Error, this, &MainWindow::actionErrorPing, Qt::DirectConnection);
    request->Init(serviceUrl(), QStringLiteral("ping"), body::ping());
    request->Request();
}

// Any answer, even empty, means the service is reachable.
void MainWindow::actionResponsePing(const QByteArray&)
{
    // A ping sent before the agent forced the offline mode must not end it.
    if (isForcedOffline) {
        return;
    }
    gParam->isOnline = true;
    ui->lblConnection->setStyleSheet(QStringLiteral("background-position : left top;"));
    ui->lblConnection->setText(label(11));
    editLoginChanged(QString());
}

void MainWindow::actionErrorPing(int code)
{
    if (isForcedOffline) {
        return;
    }
    enregistreLog(4, QStringLiteral("Erreur Connexion ping (err=") + QString::number(code) + QLatin1Char(')'), false);
    gParam->isOnline = false;
    ui->lblConnection->setStyleSheet(QStringLiteral("background-position : left bottom;"));
    ui->lblConnection->setText(label(12));
}

void MainWindow::connectionClick()
{
    gParam->isOnline = false;
    if (!isForcedOffline) {
        ui->btnConnect->setStyleSheet(
            QStringLiteral("background-position : left bottom; color : qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, "
                           "stop: 0 #99fd9b, stop: 1 #00ca37);"));
        isForcedOffline = true;
        ui->lblConnection->setStyleSheet(QStringLiteral("background-position : left bottom;"));
        ui->lblConnection->setText(label(12));
        pingTimer.stop();
        return;
    }
    ui->btnConnect->setStyleSheet(QStringLiteral("background-position : left top; color : rgb(64,64,64);"));
    isForcedOffline = false;
    timerPing();
    pingTimer.start(30000);
}
