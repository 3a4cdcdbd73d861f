#include "core/AppFolder.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "core/Log.h"
#include "data/CDataModif.h"
#include "net/Drain.h"
#include "session/LocalTicketImport.h"
#include "session/RepDisplay.h"
#include "ui/MainWindow.h"
#include "ui/Ui_MainWindow.h"

#include <QFile>
#include <QFileDialog>

using repdisplay::label;
using repdisplay::message;

namespace
{

QString dumpDatabasePath()
{
    return dbFolder() + QStringLiteral("dump.db");
}

// Whether the list at `path` holds punches not sent yet; the connection ends on the
// main database.
bool holdsPendingPunches(QSqlDatabase& db, QMutex* mutex, const QString& path)
{
    CDataModifListe pending;
    const bool read = openRepBDD(db, mutex, path) && pending.initLocalPunchParSql(db, mutex);
    openBDD(db, mutex);
    return read && !pending.isEmpty();
}

}  // namespace

QString MainWindow::openFileDialog()
{
    return chooseFile ? chooseFile(this) : QFileDialog::getOpenFileName(this, QString(), QString(), QString());
}

void MainWindow::loadFileClicked()
{
    // A window that stays on top would hide the dialog.
    const bool isLocked = gParam->isLockFocus;
    if (isLocked) {
        setWindowFlags(Qt::FramelessWindowHint);
        showNormal();
    }
    const QString chosen = openFileDialog();
    if (isLocked) {
        setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        showNormal();
    }
    if (!chosen.isEmpty()) {
        ui->editLoadFile->setText(chosen);
    }
    const QString fileName = ui->editLoadFile->text();
    if (fileName.isEmpty()) {
        return;
    }

    QByteArray content;
    QFile file(fileName);
    if (file.open(QIODevice::ReadOnly)) {
        content = file.readAll();
        file.close();
    } else {
        displayMessage(label(100), message(25));
    }
    if (content.isEmpty()) {
        return;
    }
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if ((dot < 0 ? fileName : fileName.mid(dot)) == QLatin1String(".csv")) {
        importLocalTickets(content);
    } else {
        importEventFile(content);
    }
}

void MainWindow::editFileSelectChange()
{
    ui->editLoadFile->setText(openFileDialog());
}

void MainWindow::editFileEdited(const QString&)
{
    ui->editLoadFile->setText(openFileDialog());
}

void MainWindow::importLocalTickets(const QByteArray& content)
{
    if (currentRepDbName.isEmpty()) {
        displayMessage(label(100), message(33));
        return;
    }
    actionUpdateProgressValue(0);
    actionUpdateProgressText(message(7));
    actionShowProgress(true);
    actionPageEnable(false);

    int count = 0;
    if (openRepBDD(db, dbMutex, currentRepDbName)) {
        count = localticket::importContent(db, dbMutex, content, label(112));
    } else {
        enregistreLog(4, QStringLiteral("Erreur Ouverture base de donnee Rep"), false);
        displayMessage(label(100), message(5));
    }
    displayRecapRep();
    openBDD(db, dbMutex);
    actionGetRepFileTerminated();
    ui->editLoadFile->clear();
    displayMessage(label(154), QString::number(count) + label(155));
}

void MainWindow::importEventFile(const QByteArray& content)
{
    actionUpdateProgressValue(0);
    actionUpdateProgressText(message(7));
    actionShowProgress(true);
    actionPageEnable(false);
    if (threadGetFile.isRunning() || !openRepBDD(db, dbMutex, dumpDatabasePath())) {
        enregistreLog(4, QStringLiteral("Erreur Ouverture base de donnee Rep"), false);
        displayMessage(label(100), message(5));
        openBDD(db, dbMutex);
        actionGetRepFileTerminated();
        return;
    }
    threadGetFile.setData(content, dbMutex, db, false);
    // Punches of this terminal still in the drain queue: the exported list lacks them.
    threadGetFile.setDrained(drain::queuedPunches(db, dbMutex));
    threadGetFile.start(QThread::InheritPriority);
}

void MainWindow::actionSelectRepFile(uint dataEventId, uint dataEventType, uint dataRepId, const QString& idRep)
{
    // Lets go of "dump.db" before it is renamed.
    openBDD(db, dbMutex);
    CDataEvenement evenement;
    evenement.initDefaut();
    CDataRepresentation representation;
    representation.initDefaut();
    const bool found = evenement.initParSql(db, dbMutex, dataEventId, dataEventType) && evenement.ID == dataEventId
                       && dataEventId != 0 && representation.initParSql(db, dbMutex, dataRepId, dataEventId)
                       && representation.ID == dataRepId && dataRepId != 0;
    if (!found) {
        // An event file without performance names no list to scan.
        enregistreLog(3,
                      QStringLiteral("Evenement du fichier introuvable : %1 / %2").arg(dataEventId).arg(dataRepId),
                      false);
        displayMessage(label(100), message(25));
        displayDownloadedEvents();
        return;
    }

    const QString jour = gParam->parametre(REP_JOUR);
    const QString eventId = QString::number(evenement.ID);
    QString target;
    QString scopeId;
    if (evenement.TYPE == 1) {
        target = repdisplay::repDatabasePath(QStringLiteral("P"), eventId);
        scopeId = QLatin1Char('-') + eventId;
    } else {
        const bool byEvent = jour != QLatin1String("0");
        target = repdisplay::repDatabasePath(byEvent ? QStringLiteral("E") : QStringLiteral("R"), idRep);
        scopeId = byEvent ? eventId : QString::number(representation.ID);
    }
    bool isUsable = true;
    if (QFile::exists(target)) {
        // It may hold punches not sent yet: it is kept and becomes the current list.
        enregistreLog(4, QStringLiteral("Liste des billets deja presente, fichier non importe : ") + target, false);
        if (holdsPendingPunches(db, dbMutex, target)) {
            displayMessage(label(100), message(20));
        }
    } else if (!QFile::rename(dumpDatabasePath(), target)) {
        enregistreLog(3, QStringLiteral("Erreur au renommage de la liste importee en ") + target, false);
        displayMessage(label(100), message(5));
        isUsable = false;
    }
    // The event pages rebuilt from the main database, as at the end of a download.
    displayDownloadedEvents();
    if (isUsable) {
        setCurrentRep(evenement, representation, target, scopeId, jour);
    }
}

void MainWindow::actionGetRepFileTerminated()
{
    actionShowProgress(false);
    actionPageEnable(true);
    // An event file that did not parse leaves the connection on "dump.db".
    openBDD(db, dbMutex);
}
