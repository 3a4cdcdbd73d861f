#pragma once

#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "ui/MainWindow.h"
#include "ui/MessageDlg.h"
#include "ui/Ui_MainWindow.h"

#include "CoreFixture.h"
#include "DataFixture.h"
#include "NetFixture.h"

#include <QDir>
#include <QLabel>

// What the session tests share: a window talking to the stand-in, on fresh databases.
namespace sessionfixture
{

inline QString label(int index)
{
    return gAffichage->getTraduction(0, index);
}

inline QString message(int index)
{
    return gAffichage->getMessage(0, index);
}

inline QString savedValue(ParamKey key)
{
    CParam saved;
    saved.charge(QString(), false);
    return saved.parametre(key);
}

inline QStringList dbFiles()
{
    return QDir(dbFolder()).entryList(QDir::Files, QDir::Name);
}

// The stand-in's session, no database file, the settings saved, an empty log.
inline void resetSession(const QString& serviceUrl)
{
    for (const QString& name : dbFiles()) {
        QFile::remove(dbFolder() + name);
    }
    gParam->initDefaut();
    netfixture::setSession(serviceUrl);
    gParam->initParametre(LANGUE, QStringLiteral("0"));
    gParam->sauvegarde(QString(), true);
    fixture::clearLog();
}

// The message dialog's text; empty while it is hidden.
inline QString shownMessage(MainWindow& window)
{
    return window.messageDlg->isHidden()
               ? QString()
               : window.messageDlg->findChild<QLabel*>(QStringLiteral("lblMessageDlgInfo"))->text();
}

}  // namespace sessionfixture
