#include "core/CFichier.h"

#include <QDir>

CFichier::CFichier(const QString& name)
    : QFile(name)
{}

CFichier::~CFichier() = default;

int CFichier::ouvre(QIODevice::OpenMode mode)
{
    if (!exists()) {
        return -1;
    }
    return open(mode) ? 1 : -4;
}

int CFichier::cree()
{
    if (exists()) {
        return 0;
    }
    const QString name = fileName();
    for (qsizetype slash = name.indexOf(QLatin1Char('/'), 1); slash >= 0;
         slash = name.indexOf(QLatin1Char('/'), slash + 1)) {
        const QString folder = name.left(slash);
        if (!QDir(folder).exists() && !QDir().mkdir(folder)) {
            return -3;
        }
    }
    if (!open(QIODevice::ReadWrite)) {
        return -2;
    }
    close();
    return 1;
}

int CFichier::supprime()
{
    if (!exists()) {
        return 0;
    }
    return remove() ? 1 : -5;
}
