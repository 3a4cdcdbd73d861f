#include "core/AppFolder.h"
#include "ui/FormHelpers.h"
#include "ui/Ui_MainWindow.h"

#include <QFont>

using form::make;

void Ui_MainWindow::setupLoginPage()
{
    pageLogin = form::makePage("pageLogin");

    // The three fields
    QFont fieldFont;
    fieldFont.setPointSize(14);
    fieldFont.setBold(true);

    editAgent = make<QLineEdit>(pageLogin, "editAgent", 562, 369, 260, 27);
    editAgent->setFont(fieldFont);
    editLogin = make<QLineEdit>(pageLogin, "editLogin", 562, 208, 260, 27);
    editLogin->setFont(fieldFont);
    editPassword = make<QLineEdit>(pageLogin, "editPassword", 562, 288, 260, 27);
    editPassword->setFont(fieldFont);
    editPassword->setEchoMode(QLineEdit::Password);

    // Login button and remember box
    btnLoginValidation = make<QPushButton>(pageLogin, "btnLoginValidation", 540, 460, 275, 54);
    QFont loginFont;
    loginFont.setFamilies({QStringLiteral("MS Sans Serif")});
    loginFont.setPointSize(20);
    loginFont.setBold(true);
    loginFont.setUnderline(false);
    loginFont.setStrikeOut(false);
    loginFont.setKerning(true);
    btnLoginValidation->setFont(loginFont);
    btnLoginValidation->setCursor(QCursor(Qt::ArrowCursor));

    chkBoxRememberPassword = make<QCheckBox>(pageLogin, "chkBoxRememberPassword", 590, 420, 221, 18);
    chkBoxRememberPassword->setChecked(false);

    // Field captions and their help marks
    lblAgent = make<QLabel>(pageLogin, "lblAgent", 530, 330, 271, 20);
    lblPassword = make<QLabel>(pageLogin, "lblPassword", 530, 250, 261, 20);
    lblLogin = make<QLabel>(pageLogin, "lblLogin", 530, 170, 261, 20);
    btnHelpLogin = make<QPushButton>(pageLogin, "btnHelpLogin", 810, 170, 21, 23);
    btnHelpPassword = make<QPushButton>(pageLogin, "btnHelpPassword", 810, 250, 21, 23);
    btnHelpAgent = make<QPushButton>(pageLogin, "btnHelpAgent", 810, 330, 21, 23);

    lblMandatory = make<QLabel>(pageLogin, "lblMandatory", 660, 520, 151, 20);
    lblMandatory->setLayoutDirection(Qt::LeftToRight);
    lblMandatory->setAlignment(form::kRight);

    // Title, version and the background panel
    lblTitleLoginPage = make<QLabel>(pageLogin, "lblTitleLoginPage", 260, 130, 521, 41);
    lblTitleLoginPage->setAlignment(form::kCentred);

    lblVersion = make<QLabel>(pageLogin, "lblVersion", 200, 480, 211, 31);
    QFont versionFont;
    versionFont.setStyleStrategy(QFont::PreferDefault);
    lblVersion->setFont(versionFont);

    lblBgLogin = make<QLabel>(pageLogin, "lblBgLogin", 190, 135, 645, 410);

    // The panel was created last; it must lie below everything else on the page.
    lblBgLogin->raise();
    editAgent->raise();
    editLogin->raise();
    editPassword->raise();
    btnLoginValidation->raise();
    chkBoxRememberPassword->raise();
    lblAgent->raise();
    lblPassword->raise();
    lblLogin->raise();
    btnHelpLogin->raise();
    btnHelpPassword->raise();
    btnHelpAgent->raise();
    lblMandatory->raise();
    lblTitleLoginPage->raise();
    lblVersion->raise();

    stackedWidget->addWidget(pageLogin);
}

void Ui_MainWindow::retranslateLoginPage()
{
    editAgent->setToolTip(QString());
    editAgent->setText(QStringLiteral("Caisse"));
    editLogin->setText(QStringLiteral("Login"));
    editPassword->setText(QStringLiteral("Password"));
    btnLoginValidation->setText(QStringLiteral("S'identifier"));
    chkBoxRememberPassword->setText(QStringLiteral("Se souvenir du mot de passe"));
    lblAgent->setText(QStringLiteral("Code de l'agent"));
    lblPassword->setText(QStringLiteral("Mot de passe *"));
    lblLogin->setText(QStringLiteral("Login *"));
    btnHelpLogin->setToolTip(QStringLiteral("Entrez votre login organisateur"));
    btnHelpPassword->setToolTip(QStringLiteral("Entrez votre mot de passe douchette"));
    btnHelpAgent->setToolTip(QStringLiteral("Entrez votre code PIN agent"));
    lblMandatory->setToolTip(QString());
    lblMandatory->setText(QStringLiteral("* Champ obligatoire"));
    lblTitleLoginPage->setText(QStringLiteral("Entrez vos identifiants organisateur"));
    lblVersion->setText(QStringLiteral("Application de compostage\nV ") + QLatin1String(kAppVersion));
}
