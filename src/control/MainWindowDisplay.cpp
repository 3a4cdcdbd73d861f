#include "control/TicketText.h"
#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/CDateHeure.h"
#include "core/CParam.h"
#include "core/Log.h"
#include "core/Util.h"
#include "data/CDataAgent.h"
#include "data/CDataCanalVente.h"
#include "data/CDataEditeur.h"
#include "data/CDataEvent.h"
#include "data/CDataModif.h"
#include "data/CDataPlace.h"
#include "data/CDataRep.h"
#include "data/CDataTarif.h"
#include "net/KestNet.h"
#include "ui/MainWindow.h"
#include "ui/Ui_MainWindow.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>
#include <QPixmapCache>

namespace
{

// A cached picture is fetched again after this many days.
constexpr int kPictureDays = 7;

QString label(int language, int index)
{
    return gAffichage->getTraduction(language, index);
}

QString fullName(const QString& firstName, const QString& name)
{
    return (firstName + QLatin1Char(' ') + name).trimmed();
}

template <typename Record>
QString nameOf(QSqlDatabase& db, QMutex* mutex, const typename Record::IdType& id)
{
    Record record;
    record.initDefaut();
    record.initParSql(db, mutex, id);
    return record.NOM;
}

}  // namespace

void MainWindow::displayInfoCurrentTicket()
{
    const int language = currentLangue();
    const CDataBillet& billet = currentBillet;

    ui->lblResultName->setText(utilElidedText(fullName(billet.PRENOM_PORTEUR, billet.NOM_PORTEUR), ui->lblResultName));
    ui->lblResultBarcode->setText(utilElidedText(billet.CODE_BARRE, ui->lblResultBarcode));
    ui->lblResultNbCompostage->setText(QString::number(billet.NB_COMPOSTAGE) + label(language, 49));

    CDataRep rep;
    rep.initParSql(db, dbMutex, billet.REP_ID);
    const bool repKnown = rep.ID == billet.REP_ID;
    ui->lblResultEvent->setText(
        utilElidedText(repKnown ? nameOf<CDataEvent>(db, dbMutex, rep.EVENT_ID) : QString(), ui->lblResultEvent));
    CDateHeure start;
    ui->lblResultRep->setText(repKnown && start.initParTrameSQL(rep.DATE_DEBUT) ? start.getString(language)
                                                                                : label(language, 121));

    CDataPlaceListe places;
    places.initParSql(db, dbMutex, billet.CODE_BARRE, billet.EDITEUR_ID);
    ui->btnResultNbPlace->setText(QStringLiteral("x ") + QString::number(places.size()));
    ui->btnResultNbPlace->show();
    ui->lstResultTarif->clear();
    for (const CDataPlace& place : std::as_const(places)) {
        ui->lstResultTarif->addItem(
            (nameOf<CDataTarif>(db, dbMutex, place.TARIF_ID) + QLatin1Char(' ') + place.PLACEMENT).trimmed());
    }

    CDataModifListe history;
    history.initParSql(db, dbMutex, billet.CODE_BARRE, billet.EDITEUR_ID);
    ui->lstInfoHist->clear();
    for (const CDataModif& entry : std::as_const(history)) {
        ui->lstInfoHist->addItem(
            tickettext::historyLine(entry, nameOf<CDataAgent>(db, dbMutex, entry.AGENT_ID), language));
    }
    ui->lblResultLastPunch->setText(tickettext::lastPunchLine(history, language));
    const QString previous = gParam->parametre(DIFF_PUNCH) == QLatin1String("1")
                                 ? tickettext::previousPunchLine(history,
                                                                 shownVerdict == Verdict::Composte,
                                                                 QDateTime::currentDateTime(),
                                                                 language)
                                 : QString();
    ui->lblResultDiffPrevPunch->setText(previous);
    ui->lblResultDiffPrevPunch->setVisible(!previous.isEmpty());

    ui->lstInfoUser->clear();
    const QString holder = fullName(billet.PRENOM_PORTEUR, billet.NOM_PORTEUR);
    const QString buyer = fullName(billet.PRENOM_ACHETEUR, billet.NOM_ACHETEUR);
    const QStringList lines{
        (holder + QLatin1Char(' ') + billet.TEL_PORTEUR).trimmed(),
        buyer == holder && billet.TEL_ACHETEUR == billet.TEL_PORTEUR
            ? QString()
            : (buyer + QLatin1Char(' ') + billet.TEL_ACHETEUR).trimmed(),
        billet.MAIL,
        label(language, 54) + tickettext::dateText(billet.DATE_ACHAT, language),
        label(language, 53) + nameOf<CDataCanalVente>(db, dbMutex, billet.CANAL_VENTE_ID),
        nameOf<CDataEditeur>(db, dbMutex, billet.EDITEUR_ID),
    };
    for (const QString& line : lines) {
        if (!line.trimmed().isEmpty()) {
            ui->lstInfoUser->addItem(line);
        }
    }
    showTicketPicture();
}

void MainWindow::showTicketPicture()
{
    const QString image = currentBillet.IMAGE;
    const QString name = image.section(QLatin1Char('/'), -1);
    // A name from the data must stay inside the cache folder.
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) {
        imagePath.clear();
        showPicture(QString());
        return;
    }
    imagePath = appFolder() + QStringLiteral("/img/") + name;
    const QFileInfo cached(imagePath);
    const bool inCache = cached.isFile();
    if (inCache && QDateTime::currentDateTime() < cached.lastModified().addDays(kPictureDays)) {
        showPicture(imagePath);
        return;
    }
    // The older picture, or none, while the new one comes.
    showPicture(inCache ? imagePath : QString());
    if (!gParam->isOnline) {
        return;
    }
    auto* request = new KestNet(networkManager);
    const QString path = imagePath;
    connect(
        request,
        &KestNet::signal_Response,
        this,
        [this, path](const QByteArray& bytes) {
            QImage picture;
            if (!picture.loadFromData(bytes) || !picture.save(path)) {
                return;
            }
            // A reply for a ticket no longer shown only fills the cache.
            if (imagePath == path) {
                showPicture(path);
            }
        },
        Qt::QueuedConnection);
    connect(
        request,
        &KestNet::signal_Error,
        this,
        [](int code) {
            // The older picture, or none, is on screen already.
            enregistreLog(4,
                          QStringLiteral("Erreur Connexion get image (err=") + QString::number(code) + QLatin1Char(')'),
                          false);
        },
        Qt::DirectConnection);
    request->Init(image, QStringLiteral("getImage"), QByteArray());
    request->Request();
}

void MainWindow::showPicture(const QString& path)
{
    QPixmap picture;
    if (path.isEmpty() || !picture.load(path)) {
        const QString noPicture = QStringLiteral(":/design/kestrova/noPicture.png");
        if (!QPixmapCache::find(noPicture, &picture)) {
            picture.load(noPicture);
            QPixmapCache::insert(noPicture, picture);
        }
    }
    ui->lblResultImg->setPixmap(picture.scaled(ui->lblResultImg->size(), Qt::KeepAspectRatio, Qt::FastTransformation));
}
