#pragma once

#include "core/CDateHeure.h"

#include <QDateTime>
#include <QImage>
#include <QString>

class QLabel;

// What the performance tiles and the current-performance panel show alike: the
// picture cache, the sale badge, dates and the ticket-list file names. GUI thread.
namespace repdisplay
{

// The cache file of the picture at web address `image`: the application's "/img/"
// folder and the part of the address after its last "/".
QString pictureCachePath(const QString& image);
// Whether `path` may hold a picture: its name is not "", "." or "..", which would
// name the cache folder or one above it.
bool isCacheName(const QString& path);
// A cached picture is used until it is 7 days old (same clock time 7 days later).
bool isPictureFresh(const QDateTime& modified, const QDateTime& now);
// The built-in picture shown when an event has none.
QImage defaultPicture();
// `image` scaled into `label`, keeping its proportions.
void showPicture(QLabel* label, const QImage& image);

// A stored "yyyy-MM-dd hh:mm:ss" date; null when it cannot be read.
CDateHeure storedDate(const QString& text);
// Sales are closed once the end of sale is strictly past; an unknown end counts as
// past.
bool isSaleClosed(const QDateTime& endOfSale, const QDateTime& now);
// The badge (label 31 or 32 with its sprite) and, when closed, the end of sale in the
// format of label 97.
void showSaleBadge(QLabel* status, QLabel* endOfSaleLabel, const QDateTime& endOfSale);

// <db folder>/<kind><id>_Z<ZONE_KEST as stored>.db, kind "P", "E" or "R".
QString repDatabasePath(const QString& kind, const QString& id);

// Label `index` or message `index` in the language of the settings.
QString label(int index);
QString message(int index);

}  // namespace repdisplay
