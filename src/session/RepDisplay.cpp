#include "session/RepDisplay.h"

#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/CParam.h"

#include <QLabel>
#include <QPixmap>

namespace repdisplay
{

QString pictureCachePath(const QString& image)
{
    return appFolder() + QStringLiteral("/img/") + image.mid(image.lastIndexOf(QLatin1Char('/')) + 1);
}

bool isCacheName(const QString& path)
{
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..");
}

bool isPictureFresh(const QDateTime& modified, const QDateTime& now)
{
    return now < modified.addDays(7);
}

QImage defaultPicture()
{
    return QImage(QStringLiteral(":/design/kestrova/default_110.png"));
}

void showPicture(QLabel* label, const QImage& image)
{
    label->setPixmap(QPixmap::fromImage(image.scaled(label->size(), Qt::KeepAspectRatio, Qt::FastTransformation)));
}

CDateHeure storedDate(const QString& text)
{
    CDateHeure date;
    date.initParTrameSQL(text);
    return date;
}

bool isSaleClosed(const QDateTime& endOfSale, const QDateTime& now)
{
    return !endOfSale.isValid() || endOfSale < now;
}

void showSaleBadge(QLabel* status, QLabel* endOfSaleLabel, const QDateTime& endOfSale)
{
    if (isSaleClosed(endOfSale, CDateHeure(0))) {
        endOfSaleLabel->setText(endOfSale.toString(label(97)));
        endOfSaleLabel->show();
        status->setText(label(32));
        status->setStyleSheet(QStringLiteral("background-position:top; color:white;"));
    } else {
        endOfSaleLabel->hide();
        status->setText(label(31));
        status->setStyleSheet(QStringLiteral("background-position:bottom; color:black"));
    }
}

QString repDatabasePath(const QString& kind, const QString& id)
{
    return dbFolder() + kind + id + QStringLiteral("_Z") + gParam->parametre(ZONE_KEST) + QStringLiteral(".db");
}

QString label(int index)
{
    return gAffichage->getTraduction(currentLangue(), index);
}

QString message(int index)
{
    return gAffichage->getMessage(currentLangue(), index);
}

}  // namespace repdisplay
