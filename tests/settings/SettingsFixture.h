#pragma once

#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/CParam.h"
#include "ui/MainWindow.h"
#include "ui/MessageDlg.h"

#include "CoreFixture.h"

#include <QFile>
#include <QLabel>

// What the settings and update tests share.
namespace settingsFixture
{

inline const QString kServiceUrl = QStringLiteral("http://127.0.0.1:1/accessctrl/?");

// Defaults in memory and on disk, no session, and the service on a closed loopback
// port, so that the requests a window sends at start reach nobody.
inline void resetSettings()
{
    fixture::initCore();
    gParam->initDefaut();
    gParam->isPreprod = false;
    gParam->isDirectPunch = true;
    gParam->newVersion.set(QString());
    gParam->updateUrl.set(QString());
    gParam->updateModifs.set({});
    gParam->initParametre(URL, kServiceUrl);
    gParam->initParametre(URL_PREPROD, kServiceUrl);
    QFile::remove(appFolder() + QStringLiteral("/param.ini"));
    gParam->sauvegarde(QString(), true);
    fixture::clearLog();
}

inline QString label(int language, int index)
{
    return gAffichage->getTraduction(language, index);
}

inline QString message(int language, int index)
{
    return gAffichage->getMessage(language, index);
}

inline QString savedValue(ParamKey key)
{
    CParam saved;
    saved.charge(QString(), false);
    return saved.parametre(key);
}

// The message dialog's title and text; nothing while it is hidden.
inline QStringList shownMessage(MainWindow& window)
{
    if (window.messageDlg->isHidden()) {
        return {};
    }
    return {window.messageDlg->findChild<QLabel*>(QStringLiteral("lblMessageDlgTitle"))->text(),
            window.messageDlg->findChild<QLabel*>(QStringLiteral("lblMessageDlgInfo"))->text()};
}

}  // namespace settingsFixture
