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

#include <optional>

class KestNet;
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
    // Waits for the worker (it reports to this tile), then closes the connection it
    // was given.
    ~CRepWidget() override;

    // Fills the tile for one event or pass; `db` must be open on the main database,
    // and is left there. While a download chain runs the tile keeps what the chain
    // works on, and is filled when the chain ends.
    void init(CDataEvenement evenement, QMutex* mutex, QSqlDatabase db, QNetworkAccessManager* manager);
    // An upload or download of the tile's list is under way.
    bool isChainRunning() const;
    // Shows or hides the line under the tile.
    void setVisibleSep(bool visible);
    // Writes the tile's texts again in the language of the settings, the list, the
    // performance chosen in the combo and the picture as they are.
    void retranslate();

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
    // REP_JOUR as it was when the tile was filled: it chose the list's kind, and its
    // download sends it as "jo".
    QString jour;
    bool imageInCache = false;
    bool repFileExists = false;
    int nbPunchSent = 0;
    CDataEvenement dataEvent;
    CDataRepresentation dataRep;
    // The pending journal rows of repFilePath, in ID order.
    CDataModifListe modifList;
    CThreadGet threadGet{this};

signals:
    // The list at `path`, whose id for the service is `idRep` and which was chosen
    // under REP_JOUR `jour`, becomes the current one.
    void selectRep(CDataEvenement evenement,
                   CDataRepresentation representation,
                   const QString& path,
                   const QString& idRep,
                   const QString& jour);
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

    // A list file holds a complete list when the run that stored it marked it whole,
    // with or without a delta id; one stored by an older program, when it has a DELTA
    // row. A file that is neither but still holds unsent punches is shown too, so that
    // they can be uploaded or moved to the drain queue.
    static bool isDownloadedList(QSqlDatabase& db, QMutex* mutex, const QString& path, CDataModifListe& pending);
    // Where a first download of `path` is built, under a name no database sweep takes.
    static QString buildPath(const QString& path);

private:
    // What one chain of uploads and download was started for: its answers act on this,
    // whatever the tile shows when they come.
    struct Chain
    {
        quint64 id = 0;
        CDataEvenement event;
        CDataRepresentation rep;
        QString path;
        QString idRep;
        QString jour;
        // The list was downloaded already: the download updates it.
        bool isUpdate = false;
        // The rows still to upload, and those of the batch awaiting its answer.
        CDataModifListe pending;
        CDataModifListe inFlight;
        // This terminal's punches still in the drain queue when the list was asked for.
        CDataModifListe drained;
    };

    // The answer of request `chainId` belongs to the chain under way; logs the first
    // one that does not.
    bool isCurrentChain(quint64 chainId, const char* what);
    // A request of the chain under way, its answer and error going to the two slots
    // only while that chain runs.
    KestNet*
    chainRequest(const char* what, void (CRepWidget::*onResponse)(const QByteArray&), void (CRepWidget::*onError)(int));
    void endChain();
    // A first download is complete: it takes the list's name.
    bool installFirstDownload();
    void showWaiting();
    void showPicture();
    void requestPicture();
    bool showsEventOf(const PictureRequest& request) const;
    void fillPassOrEvent(const CDataRepresentationListe& representations, const QString& kind);
    void fillPerformances(const CDataRepresentationListe& representations);
    void showRepresentation();
    // A pass's tile, or an event's with its whole list.
    bool isPassOrEvent() const;
    QString performanceLines(int language) const;
    // The captions that are the same on every tile.
    void showCaptions();
    // The texts and buttons of a list downloaded or not (repFileExists).
    void showFileState();
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

    std::optional<Chain> m_chain;
    quint64 m_chainCount = 0;
    bool m_staleAnswerLogged = false;
    // The tile's filling asked for while a chain ran.
    std::optional<CDataEvenement> m_deferredFill;
    // The performances the tile was filled with, for retranslate.
    CDataRepresentationListe m_representations;
    bool m_isParseFailed = false;
    // What the worker said of its failure (a reply it could not read, a list it could
    // not store), shown when it ends.
    QString m_workerErrorTitle;
    QString m_workerErrorText;
};
