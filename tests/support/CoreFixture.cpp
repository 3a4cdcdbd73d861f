#include "CoreFixture.h"

#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/CParam.h"
#include "core/Log.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>

namespace fixture
{

void initCore(bool withLog)
{
    for (const char* sub : {"/db/", "/img/", "/traces/"}) {
        QDir().mkpath(appFolder() + QLatin1String(sub));
    }
    if (!gParam) {
        gParam = new CParam;
    }
    gParam->isLog = withLog;
    gParam->initParametre(LANGUE, QStringLiteral("0"));
    if (!gAffichage) {
        gAffichage = new CAffichage;
    }
}

void initQuietCore()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false\ndefault.warning=false"));
    initCore();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

QStringList logLines()
{
    QFile file(logFilePath());
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

void clearLog()
{
    QFile file(logFilePath());
    if (file.exists()) {
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    }
}

bool logContains(const QString& text)
{
    const QStringList lines = logLines();
    for (const QString& line : lines) {
        if (line.contains(text)) {
            return true;
        }
    }
    return false;
}

}  // namespace fixture
