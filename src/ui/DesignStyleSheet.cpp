#include "ui/DesignStyleSheet.h"

#include <QFile>

QString designStyleSheet()
{
    QByteArray bytes;
    QFile file(QLatin1String(kDesignPath) + QLatin1String("Style.txt"));
    if (file.open(QIODevice::ReadOnly)) {
        bytes = file.readAll();
    }
    bytes.replace("DESIGN_FULL_PATH/", kDesignPath);
    const qsizetype end = bytes.indexOf('\0');
    if (end >= 0) {
        bytes.truncate(end);
    }
    return QString::fromUtf8(bytes);
}
