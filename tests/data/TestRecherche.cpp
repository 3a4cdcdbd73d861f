#include "core/CParam.h"
#include "data/CDataRechercheBillet.h"
#include "data/CDataRechercheBilletLocal.h"
#include "data/CDataRechercheNb.h"

#include "BoxRecorder.h"
#include "CoreFixture.h"
#include "DataFixture.h"
#include "TestMain.h"

#include <QVariant>

#include <utility>

using namespace Qt::StringLiterals;

namespace
{

// Issuer 7 has no EDITEUR row, channel 9 no CANAL_VENTE row; issuer 99999999 is the
// terminal's own, its tickets have ID 0.
const QStringList kFixture = {
    u"insert into EDITEUR values (1,'Alpha'),(2,'Beta'),(3,'Gamma'),(99999999,'En local')"_s,
    u"insert into CANAL_VENTE values (1,'Web')"_s,
    u"insert into BILLET (ID,CODE_BARRE,EDITEUR_ID,CANAL_VENTE_ID,IS_USABLE,IS_DELETED,NB_COMPOSTAGE,NOM_PORTEUR,"
    u"PRENOM_PORTEUR,NOM_ACHETEUR,PRENOM_ACHETEUR,TEL_PORTEUR,MAIL,DATE_ACHAT,REP_ID) values "
    u"(5,'AAA1',1,1,1,0,2,'Dupont','Jean','','','','','2024-05-01 10:00:00',7),"
    u"(5,'AAA2',2,9,1,0,0,'','','DUPONT','Roxane','','','',7),"
    u"(3,'AAA3',7,1,1,0,1,'Dupont','','','','','','',7),"
    u"(4,'AAA4',3,1,0,1,0,'Martin','','','','','','',7),"
    u"(0,'L0',99999999,0,1,0,1,'Nowak','Łukasz','','','0601','l@x.fr','2024-06-02 09:30:00',7),"
    u"(0,'L1',99999999,0,1,0,2,'O Brien','','','','','','',8),"
    u"(0,'L2',99999999,0,1,1,0,'Petit','','','','','','',8)"_s,
    u"insert into PLACE values ('L0',1,99999999,'A1'),('L0',1,99999999,'A2'),('L2',1,99999999,'B1'),"
    u"('AAA1',1,1,'C1'),('L1',1,1,'X')"_s,
};

}  // namespace

class TestRecherche : public DataFixture
{
    Q_OBJECT

    template <typename Query>
    Query made()
    {
        Query query;
        query.initConnectionSql(db, &mutex);
        return query;
    }

private slots:

    void init()
    {
        gParam->isDebug = false;
        gParam->isLog = false;
        QVERIFY(openRep(u"R7_Z0.db"_s));
        for (const QString& statement : kFixture) {
            QVERIFY2(sqlRun(db, statement), qPrintable(statement));
        }
    }

    void search_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<unsigned int>("limit");  // with the other conditions and an order
        QTest::addColumn<QStringList>("barcodes");
        QTest::newRow("empty: every ticket with an issuer")
            << "" << 0u << QStringList{u"AAA1"_s, u"AAA2"_s, u"AAA4"_s, u"L0"_s, u"L1"_s, u"L2"_s};
        QTest::newRow("names, any case, same ID twice") << "dupont" << 0u << QStringList{u"AAA1"_s, u"AAA2"_s};
        QTest::newRow("buyer's first name") << "roxane" << 0u << QStringList{u"AAA2"_s};
        QTest::newRow("letter outside Latin-1") << u"Łuk"_s << 0u << QStringList{u"L0"_s};
        QTest::newRow("quote searched as a blank") << "o'brien" << 0u << QStringList{u"L1"_s};
        QTest::newRow("other conditions, order, limit") << "" << 2u << QStringList{u"L0"_s, u"L1"_s};
        QTest::newRow("inside a name") << "upon" << 0u << QStringList{u"AAA1"_s, u"AAA2"_s};
        QTest::newRow("inside a barcode") << "AA4" << 0u << QStringList{u"AAA4"_s};
    }

    void search()
    {
        QFETCH(QString, text);
        QFETCH(unsigned int, limit);
        QFETCH(QStringList, barcodes);
        auto search = made<CDataRechercheBillet>();
        search.initRequete(text,
                           limit ? QStringList{u"BILLET.IS_DELETED=0"_s} : QStringList(),
                           limit ? QStringList{u"BILLET.CODE_BARRE desc"_s, u"BILLET.ID"_s} : QStringList(),
                           limit);
        QVERIFY(CDataRecherche::execute(nullptr, search));

        QStringList found;
        for (auto it = search.liste.cbegin(); it != search.liste.cend(); ++it) {
            QCOMPARE(it.key(), unsigned(found.size()));
            QVERIFY(found.isEmpty() || std::prev(it)->ID <= it->ID);
            found << it->CODE_BARRE;
        }
        found.sort();
        QCOMPARE(found, barcodes);
    }

    // By barcode; AAA3's issuer has no EDITEUR row, AAA2's channel no CANAL_VENTE row.
    void searchReadsEachColumn()
    {
        auto search = made<CDataRechercheBillet>();
        search.initRequete(u"AAA"_s, {}, {});
        QVERIFY(CDataRecherche::execute(nullptr, search));
        // With an entry copied out and reset to the defaults (key 0 is never looked up).
        QList<CDataBilletFound> all = search.liste.values();
        QVERIFY(search.liste.affecteBillet(1, all.emplaceBack()) && !search.liste.affecteBillet(9, all.last()));
        all.last().initDefaut();
        QStringList rows;
        for (const CDataBilletFound& b : std::as_const(all)) {
            rows << fieldsRow(b.ID, b.EDITEUR_ID, b.NOM_EDITEUR, b.CANAL_VENTE_ID, b.NOM_CANAL_VENTE, b.IS_USABLE)
                        + u'|'
                        + fieldsRow(b.IS_DELETED, b.NB_COMPOSTAGE, b.NOM_PORTEUR, b.PRENOM_PORTEUR, b.NOM_ACHETEUR)
                        + u'|' + fieldsRow(b.PRENOM_ACHETEUR, b.DATE_ACHAT, b.CODE_BARRE);
        }
        rows.sort();
        QCOMPARE(rows,
                 QStringList({u"0|0||0||1|0|0|||||1970-01-01 00:00:00|"_s,
                              u"4|3|Gamma|1|Web|0|1|0|Martin|||||AAA4"_s,
                              u"5|1|Alpha|1|Web|1|0|2|Dupont|Jean|||2024-05-01 10:00:00|AAA1"_s,
                              u"5|2|Beta|9||1|0|0|||DUPONT|Roxane||AAA2"_s}));
    }

    // Only the terminal's issuer, one entry per seat, deleted ones included.
    void localListing()
    {
        auto local = made<CDataRechercheBilletLocal>();
        local.initRequete(u"AAA1"_s, {}, {});
        QVERIFY(CDataRecherche::execute(nullptr, local));
        QCOMPARE(local.liste.keys(), QList<unsigned int>({0, 1, 2}));
        QList<CDataBilletLocalFound> all = local.liste.values();
        QVERIFY(local.liste.affecteBillet(1, all.emplaceBack()) && !local.liste.affecteBillet(3, all.last()));
        all.last().initDefaut();
        QStringList rows;
        for (const CDataBilletLocalFound& b : std::as_const(all)) {
            rows << fieldsRow(b.CODE_BARRE, b.PLACEMENT, b.IS_USABLE, b.NB_COMPOSTAGE, b.NOM_PORTEUR) + u'|'
                        + fieldsRow(b.PRENOM_PORTEUR, b.DATE_ACHAT, b.TEL_PORTEUR, b.MAIL, b.REP_ID);
        }
        rows.sort();
        QCOMPARE(rows,
                 QStringList({u"L0|A1|1|1|Nowak|Łukasz|2024-06-02 09:30:00|0601|l@x.fr|7"_s,
                              u"L0|A2|1|1|Nowak|Łukasz|2024-06-02 09:30:00|0601|l@x.fr|7"_s,
                              u"L2|B1|1|0|Petit|||||8"_s,
                              u"||1|0|||1970-01-01 00:00:00|||0"_s}));
    }

    void counts()
    {
        auto nbTicket = made<CDataRechercheNbTicket>();
        auto nbPunch = made<CDataRechercheNbPunch>();
        auto byEditeur = made<CDataRechercheNbBilletByEditeur>();
        nbTicket.initRequete({}, {});
        nbPunch.initRequete({}, {});
        byEditeur.initRequete({}, {u"EDITEUR.ID"_s});
        QVERIFY(CDataRecherche::execute(nullptr, nbTicket, nbPunch));
        QVERIFY(CDataRecherche::execute(nullptr, byEditeur));

        // Not deleted: AAA1, AAA2, AAA3 (no issuer row), L0, L1; used up: AAA2 only.
        QCOMPARE(nbTicket.nb, 5u);
        QCOMPARE(nbPunch.nb, 1u);
        QStringList rows;
        for (auto it = byEditeur.liste.cbegin(); it != byEditeur.liste.cend(); ++it) {
            rows << u"%1:%2|%3|%4"_s.arg(it.key()).arg(it->ID).arg(it->NOM).arg(it->NB);
        }
        QCOMPARE(rows, QStringList({u"1:1|Alpha|1"_s, u"2:2|Beta|1"_s, u"99999999:99999999|En local|2"_s}));
        CDataNbBillet entry;
        QVERIFY(byEditeur.liste.affecteNbBillet(2, entry) && !byEditeur.liste.affecteNbBillet(3, entry));
        entry.initDefaut();
        QCOMPARE(fieldsRow(entry.ID, entry.NOM, entry.NB), u"0||0"_s);
    }

    // One report per run, after the mutex is free, a box in debug only; no rows are kept.
    void failures()
    {
        auto search = made<CDataRechercheBillet>();
        auto count = made<CDataRechercheNbTicket>();
        search.initRequete(u""_s, {}, {});
        count.initRequete({}, {});
        BoxRecorder recorder(&mutex);
        gParam->isDebug = true;
        QVERIFY(CDataRecherche::execute(nullptr, search, count));
        QVERIFY(sqlRun(db, u"drop table EDITEUR"_s));
        QVERIFY(!CDataRecherche::execute(nullptr, search, count));
        QVERIFY(search.erreurSql().isValid());
        QVERIFY(search.liste.isEmpty());
        QVERIFY(fixture::logContains(u" - critique - Erreur Recherche Billet "_s));
        QVERIFY(!CDataRecherche::execute(nullptr, count, search));
        gParam->isDebug = false;
        QVERIFY(!CDataRecherche::execute(nullptr, search, count));
        QCOMPARE(fixture::logLines().filter(u"ERREUR DB ("_s).size(), 3);
        QCOMPARE(recorder.entries().size(), 2);
        for (const BoxRecorder::Entry& box : recorder.entries()) {
            QVERIFY(box.mutexFree);
        }
        QVERIFY(mutex.tryLock());
        mutex.unlock();
        QCOMPARE(count.nb, 5u);
        db.close();
        QVERIFY(!CDataRecherche::execute(nullptr, count));
        QVERIFY(fixture::logContains(u"Erreur Recherche nb ticket select count(BILLET.ID) from BILLET where "
                                     "BILLET.IS_DELETED=0 : database not open"_s));
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestRecherche)

#include "TestRecherche.moc"
