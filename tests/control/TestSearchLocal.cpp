#include "core/CAffichage.h"
#include "core/CParam.h"
#include "data/CDataBillet.h"
#include "ui/MainWindow.h"
#include "ui/MessageDlg.h"
#include "ui/SaisieDlg.h"
#include "ui/Ui_MainWindow.h"

#include "CoreFixture.h"
#include "ScanFixture.h"
#include "TestMain.h"

#include <QLabel>
#include <QPushButton>

#include <memory>

using namespace Qt::StringLiterals;
using namespace scanfixture;

namespace
{

QStringList column(QTableWidget* table, int index)
{
    QStringList texts;
    for (int row = 0; row < table->rowCount(); ++row) {
        texts.append(table->item(row, index)->text());
    }
    texts.sort();
    return texts;
}

int rowOf(QTableWidget* table, int index, const QString& text)
{
    for (int row = 0; row < table->rowCount(); ++row) {
        if (table->item(row, index)->text() == text) {
            return row;
        }
    }
    return -1;
}

void fillForm(MainWindow& window, const QString& barcode, const QString& name, const QString& nb)
{
    window.ui->editBarcodeLocal->setText(barcode);
    window.ui->editNameLocal->setText(name);
    window.ui->editFirstnameLocal->setText(u"Léa"_s);
    window.ui->editPlaceLocal->setText(u"B12"_s);
    window.ui->editNbPunchLocal->clear();
    QTest::keyClicks(window.ui->editNbPunchLocal, nb);
    window.ui->comboRepLocal->setCurrentIndex(window.ui->comboRepLocal->findData(12u));
}

const QString kLocalRows =
    u"select CODE_BARRE||'|'||NOM_PORTEUR||'|'||NOM_ACHETEUR||'|'||NB_COMPOSTAGE||'|'||REP_ID from BILLET "
    "where EDITEUR_ID=99999999 order by CODE_BARRE"_s;

}  // namespace

class TestSearchLocal : public ScanTestBase
{
    Q_OBJECT

private slots:

    // Local tickets all have ID 0: no hit is lost, names outside Latin-1 are found, and
    // a hit opens as read, never punched.
    void search()
    {
        auto window = startScanning({
            {u"S1"_s, 7, 1, 1, 0, 1, u"Zoë"_s, u"Дмитриев"_s},
            {u"S2"_s, EDITEUR_LOCAL_ID, 1, 1, 0, 0, u"Ana"_s, u"Дмитрий"_s},
            {u"S3"_s, EDITEUR_LOCAL_ID, 0, 1, 0, 0, u"Bo"_s, u"Smith"_s},
        });
        QVERIFY(run(*window, u"insert into EDITEUR (ID, NOM) values (99999999, 'En local')"_s));
        QTest::mouseClick(window->ui->btnPadNumSearch, Qt::LeftButton);
        QCOMPARE(window->ui->stackedWidget->currentIndex(), 3);
        QVERIFY(window->ui->tableSearchResult->isHidden() && window->ui->lblEmptyResult->isHidden());
        QCOMPARE(window->ui->widgetSearchResult->geometry().bottom() + 1, 690);

        QTest::keyClick(window->ui->editSearch, Qt::Key_Return);
        QCOMPARE(column(window->ui->tableSearchResult, 3), QStringList({u"S1"_s, u"S2"_s, u"S3"_s}));
        QCOMPARE(column(window->ui->tableSearchResult, 1), QStringList({label(46), label(45), label(45)}));

        window->ui->editSearch->setText(u"Дми"_s);
        QTest::keyClick(window->ui->editSearch, Qt::Key_Return);
        QCOMPARE(column(window->ui->tableSearchResult, 2), QStringList({u"Ana Дмитрий"_s, u"Zoë Дмитриев"_s}));

        window->ui->editSearch->setText(u"nobody"_s);
        window->searchClicked();
        QVERIFY(window->ui->tableSearchResult->isHidden());
        QCOMPARE(window->ui->lblEmptyResult->text(), label(71));

        window->ui->editSearch->setText(u"S2"_s);
        window->searchClicked();
        window->resultDoubleClicked(0, 3);
        QCOMPARE(window->ui->stackedWidget->currentIndex(), 2);
        QCOMPARE(status(*window), label(45));
        QVERIFY(rows(*window, u"select * from MODIF"_s).isEmpty());
    }

    // More than 500 hits ask for more letters rather than fill the table.
    void searchCap()
    {
        QList<TicketRow> tickets;
        for (int i = 0; i <= 500; ++i) {
            tickets.append({u"C%1"_s.arg(i)});
        }
        auto window = startScanning(tickets);
        window->padNumSearchClicked();
        window->ui->editSearch->setText(u"C"_s);
        window->searchClicked();
        QVERIFY(window->ui->tableSearchResult->isHidden());
        QCOMPARE(window->ui->lblEmptyResult->text(), label(72));
        QVERIFY(run(*window, u"delete from BILLET where CODE_BARRE='C0'"_s));
        window->searchClicked();
        QVERIFY(window->ui->lblEmptyResult->isHidden());
        QCOMPARE(window->ui->tableSearchResult->rowCount(), 500);
    }

    // Add (the barcode as the door reads it, without blanks around), replace (whatever
    // the case typed) and delete the ticket asked for, even when the table changed
    // before the answer; the same barcode of another issuer stays.
    void localTickets()
    {
        auto window = startScanning({{u"K 1"_s, 7, 1}});
        gParam->initParametre(USE_LOCAL_TICKET, u"1"_s);
        window->ui->stackedWidget->setCurrentIndex(1);
        const auto message = [&window] {
            window->ackMessage();
            return window->messageDlg->findChild<QLabel*>(u"lblMessageDlgInfo"_s)->text();
        };
        // No performance chosen: no page, no form, and a barcode and a performance are
        // asked for before anything is stored.
        const QString list = std::exchange(window->currentRepDbName, QString());
        window->localTicketPageClicked();
        QCOMPARE(message(), gAffichage->getMessage(0, 32));
        QCOMPARE(window->ui->stackedWidget->currentIndex(), 1);
        window->currentRepDbName = list;
        window->localTicketPageClicked();
        QCOMPARE(window->ui->stackedWidget->currentIndex(), 6);
        for (const auto& [barcode, rep, shown] : {std::tuple(u" "_s, 1, 31), std::tuple(u"K 2"_s, 0, 32)}) {
            fillForm(*window, barcode, u"Durand"_s, u"1"_s);
            window->ui->comboRepLocal->setCurrentIndex(rep);
            window->messageDlg->findChild<QLabel*>(u"lblMessageDlgInfo"_s)->clear();
            window->addTicketClicked();
            QCOMPARE(message(), gAffichage->getMessage(0, shown));
        }
        QVERIFY(rows(*window, kLocalRows).isEmpty());
        QCOMPARE(window->ui->comboRepLocal->count(), 2);
        QCOMPARE(window->ui->lblLocalTicketResult->text(), label(71));

        fillForm(*window, u"  K 1 "_s, u"Durand"_s, u"1000"_s);
        window->addTicketClicked();
        fillForm(*window, u"ABC"_s, u"Martin"_s, u"2"_s);
        window->addTicketClicked();
        QCOMPARE(rows(*window, kLocalRows), QStringList({u"ABC|Martin|Martin|2|12"_s, u"K 1|Durand|Durand|100|12"_s}));
        QCOMPARE(rows(*window, u"select count(*) from PLACE"_s), QStringList{u"2"_s});
        QVERIFY(window->ui->editBarcodeLocal->text().isEmpty());
        QCOMPARE(column(window->ui->tableLocalTicketResult, 5), QStringList({u"ABC"_s, u"K 1"_s}));
        QCOMPARE(window->nbTicket, 3);

        fillForm(*window, u"abc"_s, u"Petit"_s, u"3"_s);
        window->addTicketClicked();
        QVERIFY(window->saisieDlg->isVisible());
        QCOMPARE(window->saisieDlg->goal(), 3);
        QTest::mouseClick(window->saisieDlg->findChild<QPushButton*>(u"btnSaisieDlgValide"_s), Qt::LeftButton);
        QVERIFY(!window->saisieDlg->isVisible());
        QCOMPARE(rows(*window, kLocalRows), QStringList({u"ABC|Petit|Petit|3|12"_s, u"K 1|Durand|Durand|100|12"_s}));
        QCOMPARE(rows(*window, u"select count(*) from PLACE"_s), QStringList{u"2"_s});
        QCOMPARE(window->nbTicket, 3);

        // Used up, then edited: the entries field cannot show 0, the stored count stays.
        QVERIFY(run(*window, u"update BILLET set NB_COMPOSTAGE=0 where CODE_BARRE='ABC'"_s));
        window->localTicketPageClicked();
        window->localTicketClicked(rowOf(window->ui->tableLocalTicketResult, 5, u"ABC"_s), 11);
        window->ui->editNameLocal->setText(u"Petitjean"_s);
        window->addTicketClicked();
        window->valideSaisieEdit(QString());
        QCOMPARE(rows(*window, kLocalRows).value(0), u"ABC|Petitjean|Petitjean|0|12"_s);

        QVERIFY(run(*window,
                    u"insert into MODIF (TYPE, CODE_BARRE, EDITEUR_ID) values (3, 'K 1', 7), (3, 'K 1', 99999999)"_s));
        const int row = rowOf(window->ui->tableLocalTicketResult, 5, u"K 1"_s);
        window->localTicketClicked(row, 12);
        QCOMPARE(window->saisieDlg->goal(), 4);
        // The table changes under the question: the answer still deletes the ticket asked about.
        window->actionShowSaisieDlg(false);
        fillForm(*window, u"ZZZ"_s, u"Zed"_s, u"1"_s);
        window->addTicketClicked();
        window->actionShowSaisieDlg(true);
        QTest::mouseClick(window->saisieDlg->findChild<QPushButton*>(u"btnSaisieDlgValide"_s), Qt::LeftButton);
        QCOMPARE(column(window->ui->tableLocalTicketResult, 5), QStringList({u"ABC"_s, u"ZZZ"_s}));
        for (const QString& table : {u"BILLET"_s, u"MODIF"_s}) {
            QCOMPARE(rows(*window, u"select EDITEUR_ID from %1 where CODE_BARRE='K 1'"_s.arg(table)),
                     QStringList{u"7"_s});
        }
        QCOMPARE(window->nbTicket, 3);
    }
};

TAVRIMEX_TEST_MAIN(TestSearchLocal)
#include "TestSearchLocal.moc"
