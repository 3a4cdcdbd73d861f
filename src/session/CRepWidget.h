#pragma once

#include "data/CDataEvenement.h"
#include "data/CDataModif.h"
#include "data/CDataRepresentation.h"
#include "net/CThreadGet.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSqlDatabase>
#include <QString>
#include <QWidget>

class QMutex;
class QNetworkAccessManager;

// Classes of the tile's children that exist for the style sheet alone: it addresses
// them by class name.
#define TAVRIMEX_STYLE_CLASS(Name, Base)                                                                               \
    class Name : public Base                                                                                           \
    {                                                                                                                  \
        Q_OBJECT                                                                                                       \
                                                                                                                       \
    public:                                                                                                            \
        explicit Name(QWidget* parent);                                                                                \
    };

TAVRIMEX_STYLE_CLASS(CRepWidgetEvent, QLabel)
TAVRIMEX_STYLE_CLASS(CRepWidgetBgImg, QLabel)
TAVRIMEX_STYLE_CLASS(CRepWidgetRep, QLabel)
TAVRIMEX_STYLE_CLASS(CRepWidgetStatus, QLabel)
TAVRIMEX_STYLE_CLASS(CRepWidgetFinVente, QLabel)
TAVRIMEX_STYLE_CLASS(CRepWidgetNbPlace, QLabel)
TAVRIMEX_STYLE_CLASS(CRepWidgetPlace, QLabel)
TAVRIMEX_STYLE_CLASS(CRepWidgetLastUpdate, QLabel)
TAVRIMEX_STYLE_CLASS(CRepWidgetSeparateur, QLabel)
TAVRIMEX_STYLE_CLASS(CRepWidgetDrainNeeded, QLabel)
TAVRIMEX_STYLE_CLASS(CRepWidgetComboRep, QComboBox)
TAVRIMEX_STYLE_CLASS(CRepWidgetSelect, QPushButton)
TAVRIMEX_STYLE_CLASS(CRepWidgetDropRep, QPushButton)
TAVRIMEX_STYLE_CLASS(CRepWidgetGetRep, QPushButton)

#undef TAVRIMEX_STYLE_CLASS

// One performance tile of the performance-choice page: an event, a pass or one
// performance, its picture, dates, sale badge and places, and its local ticket list,
// which it downloads, updates, deletes and hands over for scanning. GUI thread only;
// it works on the window's connection and mutex, its worker on a connection of its
// own.
class CRepWidget : public QWidget
{
    Q_OBJECT

public:
    // Covers `parent` at its present size.
    explicit CRepWidget(QWidget* parent);
    // Waits for the worker: it reports to this tile.
    ~CRepWidget() override;

    // Fills the tile for one event or pass; `db` must be open on the main database,
    // and is left there.
    void init(CDataEvenement evenement, QMutex* mutex, QSqlDatabase db, QNetworkAccessManager* manager);
    // Shows or hides the line under the tile.
    void setVisibleSep(bool visible);

    CRepWidgetEvent* lblEvent = nullptr;
    CRepWidgetBgImg* lblBgImg = nullptr;
    QLabel* lblImage = nullptr;
    CRepWidgetLastUpdate* lblLastUpdate = nullptr;
    CRepWidgetRep* lblRep = nullptr;
    CRepWidgetComboRep* comboRep = nullptr;
    CRepWidgetStatus* lblStatus = nullptr;
    CRepWidgetFinVente* lblFinVente = nullptr;
    CRepWidgetNbPlace* lblNbPlace = nullptr;
    CRepWidgetPlace* lblPlace = nullptr;
    CRepWidgetSeparateur* lblSeparateur = nullptr;
    CRepWidgetDrainNeeded* lblDrainNeeded = nullptr;
    CRepWidgetSelect* btnSelect = nullptr;
    CRepWidgetDropRep* btnDropRep = nullptr;
    CRepWidgetGetRep* btnGetRep = nullptr;
    QNetworkAccessManager* manager = nullptr;
    QSqlDatabase db;
    QMutex* mutex = nullptr;
    // The picture's cache file.
    QString imagePath;
    // The ticket-list database; empty when the tile stands for no performance.
    QString repFilePath;
    // The id sent as "id" by the tile's download.
    QString idRep;
    bool imageInCache = false;
    // The download request has reported an error: its reply is ignored.
    bool cancel = false;
    bool repFileExists = false;
    int nbPunchSent = 0;
    CDataEvenement dataEvent;
    CDataRepresentation dataRep;
    // The pending journal rows of repFilePath, in ID order.
    CDataModifListe modifList;
    CThreadGet threadGet{this};

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
    // The ticket-list database `path` has been removed.
    void signalRepFileDropped(const QString& path);

public slots:
    void comboRepClicked(int index);
    void getRepClicked();
    void dropRepClicked();
    void selectClicked();
    void actionResponseGetRep(const QByteArray& response);
    void actionErrorGetRep(int code);
    void actionGetRepTerminated();
    void actionSendPunchTerminated();
    void actionResponseSendPunch(const QByteArray& response);
    void actionErrorSendPunch(int code);
    void sendPunch();
    void getDelta();

public:
    // What a picture request was made for: its reply belongs to that event and file.
    struct PictureRequest
    {
        QString path;
        unsigned int eventId = 0;
        unsigned int eventType = 0;
        QString image;
    };

    void actionResponseGetImage(const QByteArray& response, const PictureRequest& request);
    void actionErrorGetImage(int code, const PictureRequest& request);

private:
    void showWaiting();
    void showPicture();
    void requestPicture();
    bool showsEventOf(const PictureRequest& request) const;
    void fillPassOrEvent(const CDataRepresentationListe& representations, const QString& kind);
    void fillPerformances(const CDataRepresentationListe& representations);
    void showRepresentation();
    // Looks for repFilePath, shows the list state and loads its pending rows.
    void lookForRepFile();
    void showDownloaded();
    void showNotDownloaded();
    // The worker could not read the reply.
    void workerFailed();
    // Deletes repFilePath once its pending rows are moved to VIDANGE; false (file
    // kept) when they could not be moved, or when the file could not be removed (its
    // rows are then in VIDANGE only).
    bool dropRepFile();

    // The download being parsed updates an existing list.
    bool m_isUpdate = false;
    bool m_isParseFailed = false;
    // What the worker said of its failure (a reply it could not read, a list it could
    // not store), shown when it ends.
    QString m_workerErrorTitle;
    QString m_workerErrorText;
};
