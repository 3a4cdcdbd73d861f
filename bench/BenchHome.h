#pragma once

#include "core/AppFolder.h"

#include <QByteArray>
#include <QDir>
#include <QLatin1String>
#include <QTemporaryDir>

#include <initializer_list>

// A benchmark's application folder under a home of its own, removed at the end: it never
// touches a real installation's settings or databases.
namespace benchhome
{

// Points HOME at `home`; false when the folder could not be made. Before the
// application object, which reads HOME.
inline bool enter(const QTemporaryDir& home)
{
    if (!home.isValid()) {
        return false;
    }
    qputenv("HOME", home.path().toLocal8Bit());
    return true;
}

// The application's sub-folders the benchmark writes to.
inline void makeFolders(std::initializer_list<const char*> subs = {"/db/", "/img/", "/traces/"})
{
    for (const char* sub : subs) {
        QDir().mkpath(appFolder() + QLatin1String(sub));
    }
}

}  // namespace benchhome
