#include "ScanFixture.h"

#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "data/CDataBillet.h"
#include "ui/Ui_MainWindow.h"

#include "CoreFixture.h"
#include "DataFixture.h"

#include <QApplication>
#include <QFile>
#include <QTest>

void ScanTestBase::initTestCase()
{
    fixture::initQuietCore();
    m_boxes = std::make_unique<BoxRecorder>();
}

namespace scanfixture
{

QString listPath()
{
    return dbFolder() + QStringLiteral("R12_Z0.db");
}

std::unique_ptr<MainWindow> startScanning(const QList<TicketRow>& tickets, const QString& serviceUrl)
{
    gParam->initDefaut();
    if (!serviceUrl.isEmpty()) {
        gParam->initParametre(URL, serviceUrl);
    }
    gParam->isWebcam = false;
    gParam->isDirectPunch = true;
    gParam->isLockFocus = true;
    gParam->isOnline = false;
    QFile::remove(listPath());
    auto window = std::make_unique<MainWindow>();
    if (!openRepBDD(window->db, window->dbMutex, listPath())) {
        return window;
    }
    sqlRun(window->db, QStringLiteral("insert into EDITEUR (ID, NOM) values (7, 'Billetterie')"));
    sqlRun(window->db, QStringLiteral("insert into EVENT (ID, NOM) values (5, 'Concert')"));
    sqlRun(window->db,
           QStringLiteral("insert into REP (ID, EVENT_ID, DATE_DEBUT, DATE_FIN, NB_COMPOSTAGE) values (12, 5, "
                          "'2024-05-01 20:00:00', '2024-05-01 23:00:00', 1)"));
    CDataBilletListe list;
    for (const TicketRow& row : tickets) {
        CDataBillet billet;
        billet.initDefaut();
        billet.CODE_BARRE = row.code;
        billet.EDITEUR_ID = row.editeur;
        billet.ID = row.id;
        billet.REP_ID = 12;
        billet.NB_COMPOSTAGE = row.nb;
        billet.IS_USABLE = row.usable;
        billet.IS_DELETED = row.deleted;
        billet.PRENOM_PORTEUR = row.prenom;
        billet.NOM_PORTEUR = row.nom;
        list.ajoute(billet, 0);
    }
    if (!list.isEmpty()) {
        list.ajouteSql(window->db, window->dbMutex);
    }
    window->currentRepDbName = listPath();
    window->show();
    window->startScanClicked();
    (void)QTest::qWaitFor([&window] {
        return QApplication::activeWindow() == window.get();
    });
    return window;
}

void scan(MainWindow& window, const QString& code)
{
    QTest::keyClicks(window.ui->editBarcode, code);
    QTest::keyClick(window.ui->editBarcode, Qt::Key_Return);
}

QString status(MainWindow& window)
{
    return window.ui->lblResultStatus->text();
}

QString label(int index)
{
    return gAffichage->getTraduction(0, index);
}

QStringList rows(MainWindow& window, const QString& sql)
{
    return sqlRows(window.db, sql);
}

bool run(MainWindow& window, const QString& sql)
{
    return sqlRun(window.db, sql);
}

}  // namespace scanfixture
