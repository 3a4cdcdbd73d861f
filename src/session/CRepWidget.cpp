#include "session/CRepWidget.h"

#include "core/CParam.h"
#include "core/Database.h"
#include "core/Log.h"
#include "core/Util.h"
#include "data/CDataDelta.h"
#include "net/KestNet.h"
#include "session/RepDisplay.h"

#include <QFileInfo>

#include <type_traits>

using repdisplay::label;

// The buttons show the hand of what may be touched.
#define TAVRIMEX_STYLE_CONSTRUCTOR(Name, Base)                                                                         \
    Name::Name(QWidget* parent)                                                                                        \
        : Base(parent)                                                                                                 \
    {                                                                                                                  \
        if constexpr (std::is_same_v<Base, QPushButton>) {                                                             \
            setCursor(Qt::OpenHandCursor);                                                                             \
        }                                                                                                              \
    }

TAVRIMEX_STYLE_CONSTRUCTOR(CRepWidgetEvent, QLabel)
TAVRIMEX_STYLE_CONSTRUCTOR(CRepWidgetBgImg, QLabel)
TAVRIMEX_STYLE_CONSTRUCTOR(CRepWidgetRep, QLabel)
TAVRIMEX_STYLE_CONSTRUCTOR(CRepWidgetStatus, QLabel)
TAVRIMEX_STYLE_CONSTRUCTOR(CRepWidgetFinVente, QLabel)
TAVRIMEX_STYLE_CONSTRUCTOR(CRepWidgetNbPlace, QLabel)
TAVRIMEX_STYLE_CONSTRUCTOR(CRepWidgetPlace, QLabel)
TAVRIMEX_STYLE_CONSTRUCTOR(CRepWidgetLastUpdate, QLabel)
TAVRIMEX_STYLE_CONSTRUCTOR(CRepWidgetSeparateur, QLabel)
TAVRIMEX_STYLE_CONSTRUCTOR(CRepWidgetDrainNeeded, QLabel)
TAVRIMEX_STYLE_CONSTRUCTOR(CRepWidgetComboRep, QComboBox)
TAVRIMEX_STYLE_CONSTRUCTOR(CRepWidgetSelect, QPushButton)
TAVRIMEX_STYLE_CONSTRUCTOR(CRepWidgetDropRep, QPushButton)
TAVRIMEX_STYLE_CONSTRUCTOR(CRepWidgetGetRep, QPushButton)

#undef TAVRIMEX_STYLE_CONSTRUCTOR

CRepWidget::CRepWidget(QWidget* parent)
    : QWidget(parent)
{
    const int width = parent->width();
    const int height = parent->height();
    setGeometry(0, 0, width, height);

    // Creation order is stacking order.
    lblEvent = new CRepWidgetEvent(this);
    lblBgImg = new CRepWidgetBgImg(this);
    lblImage = new QLabel(lblBgImg);
    lblRep = new CRepWidgetRep(this);
    comboRep = new CRepWidgetComboRep(this);
    lblStatus = new CRepWidgetStatus(this);
    lblFinVente = new CRepWidgetFinVente(this);
    lblNbPlace = new CRepWidgetNbPlace(this);
    lblPlace = new CRepWidgetPlace(this);
    lblLastUpdate = new CRepWidgetLastUpdate(this);
    btnSelect = new CRepWidgetSelect(this);
    btnDropRep = new CRepWidgetDropRep(this);
    btnGetRep = new CRepWidgetGetRep(this);
    lblSeparateur = new CRepWidgetSeparateur(this);
    lblDrainNeeded = new CRepWidgetDrainNeeded(this);

    lblEvent->setGeometry(100, 10, 310, 20);
    lblBgImg->setGeometry(15, 15, 70, 70);
    lblImage->setGeometry(8, 9, 54, 53);
    lblRep->setGeometry(100, 30, 320, 16);
    comboRep->setGeometry(100, 30, 293, 32);
    lblStatus->setGeometry(100, 70, 110, 16);
    lblFinVente->setGeometry(215, 70, 75, 16);
    lblNbPlace->setGeometry(305, 70, 60, 16);
    lblPlace->setGeometry(370, 70, 60, 20);
    lblLastUpdate->setGeometry(425, 6, 90, 20);
    btnSelect->setGeometry(435, 55, 115, 30);
    btnDropRep->setGeometry(520, 6, 20, 20);
    btnGetRep->setGeometry(545, 6, 20, 20);
    lblSeparateur->setGeometry(0, height - 1, width, 1);
    lblDrainNeeded->setGeometry(425, 30, 140, 20);

    lblStatus->setAlignment(Qt::AlignCenter);
    lblFinVente->setAlignment(Qt::AlignCenter);
    lblDrainNeeded->setAlignment(Qt::AlignCenter);
    lblPlace->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblNbPlace->setAlignment(Qt::AlignRight);
    lblLastUpdate->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    showCaptions();

    connect(comboRep, &QComboBox::currentIndexChanged, this, &CRepWidget::comboRepClicked);
    connect(btnGetRep, &QPushButton::clicked, this, &CRepWidget::getRepClicked);
    connect(btnDropRep, &QPushButton::clicked, this, &CRepWidget::dropRepClicked);
    connect(btnSelect, &QPushButton::clicked, this, &CRepWidget::selectClicked);

    // Made once, so that one download ends exactly once.
    threadGet.setObjectName(QStringLiteral("threadGetRep"));
    connect(&threadGet, &QThread::finished, this, &CRepWidget::actionGetRepTerminated);
    connect(&threadGet, &CThreadGet::signalProgressText, this, &CRepWidget::signalProgressText);
    connect(&threadGet, &CThreadGet::signalProgressValue, this, &CRepWidget::signalProgressValue);
    connect(&threadGet, &CThreadGet::signalProgressMax, this, &CRepWidget::signalProgressMax);
    connect(&threadGet, &CThreadGet::signalError, this, [this](const QString& title, const QString& text) {
        m_isParseFailed = true;
        m_workerErrorTitle = title;
        m_workerErrorText = text;
    });
}

// The window closes the connection before its children go: closing it here again
// harms nothing, and a tile never outlives the window's use of it.
CRepWidget::~CRepWidget()
{
    threadGet.requestInterruption();
    threadGet.wait();
    db.close();
}

void CRepWidget::setVisibleSep(bool visible)
{
    lblSeparateur->setVisible(visible);
}

void CRepWidget::init(CDataEvenement evenement, QMutex* mutex, QSqlDatabase db, QNetworkAccessManager* manager)
{
    if (m_chain) {
        m_deferredFill = evenement;
        return;
    }
    this->manager = manager;
    this->db = db;
    this->mutex = mutex;
    dataEvent.initDefaut();
    dataEvent.NOM = evenement.NOM;
    dataEvent.IMAGE = evenement.IMAGE;
    dataEvent.ID = evenement.ID;
    dataEvent.TYPE = evenement.TYPE;
    dataRep.initDefaut();

    // Event 0 is the page's entry for every event at once.
    CDataRepresentationListe representations;
    if (dataEvent.ID == 0) {
        representations.initParSql(this->db, mutex);
    } else {
        representations.initParSql(this->db, mutex, dataEvent.ID);
    }

    m_representations = representations;
    lblEvent->setText(utilElidedText(dataEvent.NOM, lblEvent));
    lblEvent->setToolTip(dataEvent.NOM);
    showPicture();
    idRep.clear();
    jour = gParam->parametre(REP_JOUR);
    lblDrainNeeded->hide();

    if (dataEvent.TYPE == 1) {
        fillPassOrEvent(representations, QStringLiteral("P"));
    } else if (jour != QLatin1String("0")) {
        fillPassOrEvent(representations, QStringLiteral("E"));
    } else {
        fillPerformances(representations);
    }
    showCaptions();
    lookForRepFile();

    if (gParam->isDebug) {
        enregistreLog(6, QStringLiteral("CRepWidget init : ") + repFilePath, false);
    }
}

void CRepWidget::retranslate()
{
    const int language = currentLangue();
    for (const CDataRepresentation& representation : std::as_const(m_representations)) {
        const int entry = comboRep->findData(QVariant(representation.ID));
        if (entry >= 0) {
            comboRep->setItemText(entry, repdisplay::storedDate(representation.DATE_DEBUT).getString(language));
        }
    }
    if (isPassOrEvent()) {
        setToolTip(performanceLines(language));
    }
    if (m_representations.isEmpty() && !isPassOrEvent()) {
        // A list that could not be read shows no date.
        repdisplay::showSaleBadge(lblStatus, lblFinVente, CDateHeure());
    } else {
        showRepresentation();
    }
    showCaptions();
    showFileState();
}

bool CRepWidget::isPassOrEvent() const
{
    return dataEvent.TYPE == 1 || jour != QLatin1String("0");
}

// One line per performance, for the tooltip of a pass or a whole event.
QString CRepWidget::performanceLines(int language) const
{
    QStringList lines;
    for (const CDataRepresentation& representation : m_representations) {
        lines << representation.NOM_EVT + QStringLiteral(" - ")
                     + repdisplay::storedDate(representation.DATE_DEBUT).getString(language);
    }
    return lines.join(QLatin1Char('\n'));
}

void CRepWidget::showCaptions()
{
    lblPlace->setText(label(25));
    btnSelect->setText(label(21));
    btnDropRep->setToolTip(label(35));
}

void CRepWidget::fillPassOrEvent(const CDataRepresentationListe& representations, const QString& kind)
{
    const QString id = QString::number(dataEvent.ID);
    repFilePath = repdisplay::repDatabasePath(kind, id);
    idRep = kind == QLatin1String("P") ? QLatin1Char('-') + id : id;
    lblRep->show();
    comboRep->hide();

    CDateHeure latestEnd;
    if (representations.isEmpty()) {
        dataRep.DATE_DEBUT = CDateHeure(0).toString(QStringLiteral("yyyy-MM-dd hh:mm"));
        dataRep.NOM_SALLE.clear();
    } else {
        const CDataRepresentation& first = representations.first();
        dataRep.DATE_DEBUT = first.DATE_DEBUT;
        dataRep.NOM_SALLE = first.NOM_SALLE;
    }
    unsigned int places = 0;
    for (const CDataRepresentation& representation : representations) {
        // An end of sale that cannot be read takes no part in the latest one.
        const CDateHeure end = repdisplay::storedDate(representation.DATE_FIN_VENTE);
        if (end.isValid() && (!latestEnd.isValid() || end > latestEnd)) {
            latestEnd = end;
        }
        places += representation.NB_PLACE;
    }
    dataRep.DATE_FIN_VENTE = latestEnd.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    dataRep.NB_PLACE = places;
    showRepresentation();
    setToolTip(performanceLines(currentLangue()));
}

void CRepWidget::fillPerformances(const CDataRepresentationListe& representations)
{
    setToolTip(QString());
    if (representations.size() > 1) {
        lblRep->hide();
        comboRep->show();
        // Each change of the current entry runs comboRepClicked: with -1 when the old
        // entries go, then with 0 for the first performance.
        comboRep->clear();
        const int language = currentLangue();
        for (const CDataRepresentation& representation : representations) {
            comboRep->addItem(repdisplay::storedDate(representation.DATE_DEBUT).getString(language),
                              QVariant(representation.ID));
        }
        comboRep->setCurrentIndex(0);
        idRep = comboRep->itemData(0).toString();
        repFilePath = repdisplay::repDatabasePath(QStringLiteral("R"), idRep);
        return;
    }
    lblRep->show();
    comboRep->hide();
    if (representations.isEmpty()) {
        // Only a failed query leads here: the tile stands for no list at all.
        repFilePath.clear();
        lblRep->clear();
        repdisplay::showSaleBadge(lblStatus, lblFinVente, CDateHeure());
        lblNbPlace->setText(QStringLiteral("0"));
        return;
    }
    const CDataRepresentation& only = representations.first();
    dataRep.ID = only.ID;
    dataRep.DATE_DEBUT = only.DATE_DEBUT;
    dataRep.NOM_SALLE = only.NOM_SALLE;
    dataRep.DATE_FIN_VENTE =
        repdisplay::storedDate(only.DATE_FIN_VENTE).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    dataRep.NB_PLACE = only.NB_PLACE;
    showRepresentation();
    idRep = QString::number(only.ID);
    repFilePath = repdisplay::repDatabasePath(QStringLiteral("R"), idRep);
}

// The date, badge and places of dataRep; a pass or a whole event without performance
// shows the minute the tile was filled at.
void CRepWidget::showRepresentation()
{
    const CDateHeure start =
        isPassOrEvent() && m_representations.isEmpty()
            ? CDateHeure(QDateTime::fromString(dataRep.DATE_DEBUT, QStringLiteral("yyyy-MM-dd hh:mm")))
            : repdisplay::storedDate(dataRep.DATE_DEBUT);
    lblRep->setText(start.getString(currentLangue()));
    repdisplay::showSaleBadge(lblStatus, lblFinVente, repdisplay::storedDate(dataRep.DATE_FIN_VENTE));
    lblNbPlace->setText(QString::number(dataRep.NB_PLACE));
}

void CRepWidget::comboRepClicked(int index)
{
    // The chain works on the performance it was started for.
    if (m_chain) {
        return;
    }
    const bool isEntry = index >= 0 && index < comboRep->count();
    const QString id = isEntry ? QString::number(comboRep->itemData(index).toUInt()) : QString();
    if (dataRep.initParSql(db, mutex, id.toUInt(), dataEvent.ID)) {
        showRepresentation();
    }
    repFilePath = repdisplay::repDatabasePath(QStringLiteral("R"), id);
    lookForRepFile();
    idRep = id;
}

void CRepWidget::selectClicked()
{
    if (repFilePath.isEmpty() || m_chain) {
        return;
    }
    if (gParam->isDebug) {
        enregistreLog(5,
                      QStringLiteral("Data Event = ") + QString::number(dataEvent.ID) + QStringLiteral(", Data Rep = ")
                          + QString::number(dataRep.ID),
                      false);
    }
    emit selectRep(dataEvent, dataRep, repFilePath, idRep, jour);
}

bool CRepWidget::isDownloadedList(QSqlDatabase& db, QMutex* mutex, const QString& path, CDataModifListe& pending)
{
    pending.dropList();
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        return false;
    }
    bool isList = false;
    if (openRepBDD(db, mutex, path)) {
        pending.initLocalPunchParSql(db, mutex);
        // A list stored before the mark existed is known by its DELTA row.
        CDataDelta delta;
        delta.initDefaut();
        bool marked = false;
        isList = (CThreadGet::isListMarkedWhole(db, mutex, marked) && marked)
                 || (delta.initParSql(db, mutex) && delta.ID != 0);
    }
    openBDD(db, mutex);
    return isList || !pending.isEmpty();
}

void CRepWidget::lookForRepFile()
{
    repFileExists = isDownloadedList(db, mutex, repFilePath, modifList);
    showFileState();
    if (repFileExists) {
        lblDrainNeeded->setVisible(!modifList.isEmpty());
    }
}

void CRepWidget::showFileState()
{
    if (!repFileExists) {
        showNotDownloaded();
        return;
    }
    showDownloaded();
    lblDrainNeeded->setText(label(69));
}

void CRepWidget::showDownloaded()
{
    const QString modified = QFileInfo(repFilePath).lastModified().toString(label(148));
    lblLastUpdate->setText(modified);
    lblLastUpdate->setToolTip(modified);
    lblLastUpdate->setStyleSheet(QStringLiteral("background-position:left bottom;"));
    btnDropRep->show();
    btnSelect->show();
    btnGetRep->setStyleSheet(QStringLiteral(
        "QPushButton{background-position:center top;}QPushButton:pressed{background-position:center bottom;}"));
    btnGetRep->setToolTip(label(34));
}

void CRepWidget::showNotDownloaded()
{
    lblLastUpdate->setText(label(29));
    lblLastUpdate->setStyleSheet(QStringLiteral("background-position:left top;"));
    btnDropRep->hide();
    btnSelect->hide();
    btnGetRep->setStyleSheet(QStringLiteral(
        "QPushButton{background-position:right top;}QPushButton:pressed{background-position:right bottom;}"));
    btnGetRep->setToolTip(label(33));
    lblDrainNeeded->hide();
}

// ---- event picture ----

void CRepWidget::showPicture()
{
    imagePath = repdisplay::pictureCachePath(dataEvent.IMAGE);
    const QFileInfo cached(imagePath);
    imageInCache = repdisplay::isCacheName(imagePath) && cached.exists();
    if (imageInCache && repdisplay::isPictureFresh(cached.lastModified(), CDateHeure(0))) {
        repdisplay::showPicture(lblImage, QImage(imagePath));
        return;
    }
    if (gParam->isOnline && !dataEvent.IMAGE.isEmpty()) {
        lblImage->setText(QStringLiteral(" "));
        requestPicture();
    } else {
        repdisplay::showPicture(lblImage, repdisplay::defaultPicture());
    }
}

void CRepWidget::requestPicture()
{
    // The reply may come after the tile was filled for another event: it keeps the
    // file name and the event it was asked for.
    const PictureRequest picture{imagePath, dataEvent.ID, dataEvent.TYPE, dataEvent.IMAGE};
    auto* request = new KestNet(manager);
    connect(
        request,
        &KestNet::signal_Response,
        this,
        [this, picture](const QByteArray& response) {
            actionResponseGetImage(response, picture);
        },
        Qt::QueuedConnection);
    connect(
        request,
        &KestNet::signal_Error,
        this,
        [this, picture](int code) {
            actionErrorGetImage(code, picture);
        },
        Qt::DirectConnection);
    request->Init(dataEvent.IMAGE, QStringLiteral("getImage"), QByteArray());
    request->Request();
}

bool CRepWidget::showsEventOf(const PictureRequest& request) const
{
    return dataEvent.ID == request.eventId && dataEvent.TYPE == request.eventType && dataEvent.IMAGE == request.image;
}

void CRepWidget::actionResponseGetImage(const QByteArray& response, const PictureRequest& request)
{
    const QImage image = QImage::fromData(response);
    // The format follows the file name's suffix; without a known one nothing is saved.
    if (!image.isNull() && repdisplay::isCacheName(request.path)) {
        image.save(request.path);
    }
    if (showsEventOf(request)) {
        repdisplay::showPicture(lblImage, image);
    }
}

void CRepWidget::actionErrorGetImage(int code, const PictureRequest& request)
{
    if (showsEventOf(request)) {
        repdisplay::showPicture(lblImage, imageInCache ? QImage(imagePath) : repdisplay::defaultPicture());
    }
    enregistreLog(4,
                  QStringLiteral("Erreur Connexion get image (err=") + QString::number(code) + QLatin1Char(')'),
                  false);
}
