#pragma once

#include "data/CDataEvenement.h"
#include "data/CDataRepresentation.h"

#include <QSqlDatabase>
#include <QString>
#include <QWidget>

class QMutex;
class QNetworkAccessManager;

// One performance tile of the performance-choice page.
class CRepWidget : public QWidget
{
    Q_OBJECT

public:
    // Fills `parent`.
    explicit CRepWidget(QWidget* parent);

    // Fills the tile for one event or pass.
    void init(CDataEvenement evenement, QMutex* mutex, QSqlDatabase db, QNetworkAccessManager* manager);
    // Shows or hides the line under the tile.
    void setVisibleSep(bool visible);

signals:
    void selectRep(CDataEvenement evenement, CDataRepresentation representation);
    void signalProgressValue(uint value);
    void signalProgressMax(uint max);
    void signalProgressText(const QString& text);
    void signalProgressShow(bool isVisible);
    void signalPageEnable(bool isEnabled);
    void signalError(const QString& title, const QString& message);
    void signalDownloadProgress(qint64 bytesReceived, qint64 bytesTotal);
    void signalDrainNeeded();
};
