#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// Videos of tickets held in front of the camera, for the camera's video-file seam:
// MJPG in an .avi, white 640x480 frames at 10 frames a second, Code 128 symbols
// drawn by libzint.
namespace ticketvideo
{

// One frame per entry of `frames`; an entry names the barcodes the frame shows side
// by side, joined by "+" (empty: a blank frame). Under each symbol goes the caption
// `captions` gives its barcode, if any. Returns `path`, or an empty text when the
// file cannot be written.
QString writeVideo(const QString& path, const QStringList& frames, const QHash<QString, QString>& captions = {});

}  // namespace ticketvideo
