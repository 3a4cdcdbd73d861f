#include "control/TicketText.h"
#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/CDateHeure.h"
#include "core/CParam.h"
#include "core/Log.h"
#include "core/Util.h"
#include "data/CDataModif.h"
#include "data/CDataPlace.h"
#include "data/CDataRep.h"
#include "net/KestNet.h"
#include "ui/MainWindow.h"
#include "ui/Ui_MainWindow.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImage>
#include <QListWidget>
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

// Rewrites only the lines that changed, in place while the number of lines stays: a new
// list is laid out again a turn of the event loop later and repaints whole.
void setLines(QListWidget* list, const QStringList& lines)
{
    if (list->count() != lines.size()) {
        list->clear();
        list->addItems(lines);
        return;
    }
    for (int i = 0; i < lines.size(); ++i) {
        QListWidgetItem* item = list->item(i);
        if (item->text() != lines[i]) {
            item->setText(lines[i]);
        }
    }
}

}  // namespace

void MainWindow::displayInfoCurrentTicket()
{
    const int language = currentLangue();
    const CDataBillet& billet = currentBillet;

    ui->lblResultName->setText(utilElidedText(fullName(billet.PRENOM_PORTEUR, billet.NOM_PORTEUR), ui->lblResultName));
    ui->lblResultBarcode->setText(utilElidedText(billet.CODE_BARRE, ui->lblResultBarcode));
    ui->lblResultNbCompostage->setText(QString::number(billet.NB_COMPOSTAGE) + label(language, 49));

    references.refresh(db, dbMutex, &doorStatements);
    CDataRep rep;
    const bool repKnown = references.rep(billet.REP_ID, rep);
    ui->lblResultEvent->setText(
        utilElidedText(repKnown ? references.event(rep.EVENT_ID) : QString(), ui->lblResultEvent));
    CDateHeure start;
    ui->lblResultRep->setText(repKnown && start.initParTrameSQL(rep.DATE_DEBUT) ? start.getString(language)
                                                                                : label(language, 121));

    CDataPlaceListe places;
    places.initParSql(db, dbMutex, billet.CODE_BARRE, billet.EDITEUR_ID, &doorStatements);
    ui->btnResultNbPlace->setText(QStringLiteral("x ") + QString::number(places.size()));
    ui->btnResultNbPlace->show();
    QStringList tarifs;
    for (const CDataPlace& place : std::as_const(places)) {
        tarifs.append((references.tarif(place.TARIF_ID) + QLatin1Char(' ') + place.PLACEMENT).trimmed());
    }
    setLines(ui->lstResultTarif, tarifs);

    CDataModifListe history;
    history.initParSql(db, dbMutex, billet.CODE_BARRE, billet.EDITEUR_ID, &doorStatements);
    QStringList entries;
    for (const CDataModif& entry : std::as_const(history)) {
        entries.append(tickettext::historyLine(entry, references.agent(entry.AGENT_ID), language));
    }
    setLines(ui->lstInfoHist, entries);
    ui->lblResultLastPunch->setText(tickettext::lastPunchLine(history, language));
    const QString previous =
        gParam->parametre(DIFF_PUNCH) == QLatin1String("1")
            ? tickettext::previousPunchLine(history, shownVerdict == Verdict::Composte, CDateHeure(0), language)
            : QString();
    ui->lblResultDiffPrevPunch->setText(previous);
    ui->lblResultDiffPrevPunch->setVisible(!previous.isEmpty());

    const QString holder = fullName(billet.PRENOM_PORTEUR, billet.NOM_PORTEUR);
    const QString buyer = fullName(billet.PRENOM_ACHETEUR, billet.NOM_ACHETEUR);
    const QStringList lines{
        (holder + QLatin1Char(' ') + billet.TEL_PORTEUR).trimmed(),
        buyer == holder && billet.TEL_ACHETEUR == billet.TEL_PORTEUR
            ? QString()
            : (buyer + QLatin1Char(' ') + billet.TEL_ACHETEUR).trimmed(),
        billet.MAIL,
        label(language, 54) + tickettext::dateText(billet.DATE_ACHAT, language),
        label(language, 53) + references.canalVente(billet.CANAL_VENTE_ID),
        references.editeur(billet.EDITEUR_ID),
    };
    QStringList shown;
    for (const QString& line : lines) {
        if (!line.trimmed().isEmpty()) {
            shown.append(line);
        }
    }
    setLines(ui->lstInfoUser, shown);
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
        // A failed request may report its error twice: one line for it.
        Qt::ConnectionType(Qt::DirectConnection | Qt::SingleShotConnection));
    request->Init(image, QStringLiteral("getImage"), QByteArray());
    request->Request();
}

void MainWindow::showPicture(const QString& path)
{
    QPixmap picture;
    if (path.isEmpty() || !picture.load(path)) {
        // Scaled once: the same picture again is then no change to paint.
        const QString noPicture = QStringLiteral(":/design/kestrova/noPicture.png");
        const QString key = noPicture + QLatin1Char('@') + QString::number(ui->lblResultImg->width());
        if (!QPixmapCache::find(key, &picture)) {
            picture.load(noPicture);
            picture = picture.scaled(ui->lblResultImg->size(), Qt::KeepAspectRatio, Qt::FastTransformation);
            QPixmapCache::insert(key, picture);
        }
        if (ui->lblResultImg->pixmap().cacheKey() != picture.cacheKey()) {
            ui->lblResultImg->setPixmap(picture);
        }
        return;
    }
    ui->lblResultImg->setPixmap(picture.scaled(ui->lblResultImg->size(), Qt::KeepAspectRatio, Qt::FastTransformation));
}
