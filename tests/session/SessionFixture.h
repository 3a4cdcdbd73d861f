#pragma once

#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "ui/MainWindow.h"
#include "ui/MessageDlg.h"
#include "ui/Ui_MainWindow.h"

#include "BoxRecorder.h"
#include "CoreFixture.h"
#include "DataFixture.h"
#include "NetFixture.h"

#include <QDir>
#include <QLabel>
#include <QTest>

#include <memory>

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

// The window under test and the stand-in it talks to.
struct Harness
{
    std::unique_ptr<BoxRecorder> boxes;
    std::unique_ptr<standin::StandinServer> server;
    std::unique_ptr<MainWindow> window;

    // Once per test program; false when the stand-in cannot listen.
    bool start()
    {
        fixture::initQuietCore();
        boxes = std::make_unique<BoxRecorder>();
        server = netfixture::startStandin();
        return server != nullptr;
    }

    // A fresh session and a new window; its start-up requests are forgotten once its
    // first ping has been answered.
    void openWindow()
    {
        resetSession(server->serviceUrl());
        gParam->isOnline = false;
        window = std::make_unique<MainWindow>();
        QTRY_VERIFY(gParam->isOnline);
        server->clearRequests();
    }
};

}  // namespace sessionfixture
