#include "core/AppFolder.h"

#include <QDir>

QString appFolder()
{
    return QDir::homePath() + QStringLiteral("/Library/Application Support/Tavrimex");
}

QString dbFolder()
{
    return appFolder() + QStringLiteral("/db/");
}
