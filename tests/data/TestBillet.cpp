#include "core/Database.h"
#include "data/CDataBillet.h"
#include "data/CDataBilletLocal.h"
#include "data/CDataModif.h"
#include "data/CDataPlace.h"

#include "CoreFixture.h"
#include "DataFixture.h"
#include "TestMain.h"

#include <utility>

using namespace Qt::StringLiterals;

namespace
{

// A distinct value in every field, so that one read into another's place shows.
CDataBillet billet(const QString& code, unsigned int editeur, unsigned int id = 0, unsigned int nb = 1)
{
    CDataBillet out;
    out.initDefaut();
    out.ID = id;
    out.EDITEUR_ID = editeur;
    out.REP_ID = 11;
    out.CANAL_VENTE_ID = 12;
    out.CODE_BARRE = code;
    out.NB_COMPOSTAGE = nb;
    out.IMAGE = u"img/"_s + code;
    out.NOM_PORTEUR = u"t1"_s;
    out.PRENOM_PORTEUR = u"t2"_s;
    out.TEL_PORTEUR = u"t3"_s;
    out.NOM_ACHETEUR = u"t4"_s;
    out.PRENOM_ACHETEUR = u"t5"_s;
    out.TEL_ACHETEUR = u"t6"_s;
    out.MAIL = u"t7"_s;
    return out;
}

// In the order of the table's columns.
QString fields(const CDataBillet& b)
{
    return fieldsRow(b.ID, b.CODE_BARRE, b.EDITEUR_ID, b.REP_ID, b.CANAL_VENTE_ID, b.IS_USABLE, b.IS_DELETED) + u'|'
           + fieldsRow(b.NOM_PORTEUR, b.PRENOM_PORTEUR, b.TEL_PORTEUR, b.DATE_ACHAT, b.NOM_ACHETEUR, b.PRENOM_ACHETEUR)
           + u'|' + fieldsRow(b.TEL_ACHETEUR, b.NB_COMPOSTAGE, b.IMAGE, b.MAIL);
}

const QString kStoredCounts = u"select IS_USABLE,IS_DELETED,NB_COMPOSTAGE from BILLET where CODE_BARRE='P1'"_s;

}  // namespace

class TestBillet : public DataFixture
{
    Q_OBJECT

    QString stored(const QString& code, unsigned int editeur)
    {
        return sqlRows(db, u"select * from BILLET where CODE_BARRE='%1' and EDITEUR_ID=%2"_s.arg(code).arg(editeur))
            .value(0);
    }

private slots:

    void init()
    {
        QVERIFY(openRep());
        CDataBilletListe list;
        list.ajoute(billet(u"AB12"_s, 7, 0), 0);
        list.ajoute(billet(u"AB12"_s, 5, 0), 0);
        list.ajoute(billet(u"AB12"_s, 9, 3), 0);
        list.ajoute(billet(u"XYZ9"_s, 5, 4), 0);
        list.ajoute(billet(u"Q'T"_s, 5, 8), 0);
        QVERIFY(list.ajouteSql(db, &mutex));
    }

    void lookups_data()
    {
        QTest::addColumn<QString>("asked");
        QTest::addColumn<unsigned int>("editeur");
        QTest::addColumn<QStringList>("exact");
        QTest::addColumn<QString>("loaded");

        // Two ID-0 tickets share key 0, the row read last first.
        QTest::newRow("several issuers") << u"AB12"_s << 9u << QStringList{"0:7", "0:5", "3:9"} << u"AB12"_s;
        QTest::newRow("other issuer") << u"AB12"_s << 6u << QStringList{"0:7", "0:5", "3:9"} << QString();
        QTest::newRow("case differs") << u"xyz9"_s << 5u << QStringList() << u"XYZ9"_s;
        QTest::newRow("quote") << u"Q'T"_s << 5u << QStringList{"8:5"} << u"Q T"_s;
    }

    // The list keeps every issuer's ticket; the load ignores case, a miss leaves the record.
    void lookups()
    {
        QFETCH(QString, asked);
        QFETCH(unsigned int, editeur);
        QFETCH(QStringList, exact);
        QFETCH(QString, loaded);

        CDataBilletListe list;
        list.ajoute(billet(u"stale"_s, 1), 0);
        QVERIFY(list.initParSqlByCodeBarre(db, &mutex, asked));
        QStringList found;  // "key:issuer", in iteration order
        for (auto it = list.cbegin(); it != list.cend(); ++it) {
            found.append(QString::number(it.key()) + u':' + QString::number(it.value().EDITEUR_ID));
            QCOMPARE(fields(it.value()), stored(it->CODE_BARRE, it->EDITEUR_ID));
        }
        QCOMPARE(found, exact);

        CDataBillet record = billet(u"before"_s, 1);
        bool failed = true;
        QCOMPARE(record.initParSql(db, &mutex, asked, editeur, &failed), !loaded.isNull());
        QVERIFY(!failed);
        QCOMPARE(fields(record), loaded.isNull() ? fields(billet(u"before"_s, 1)) : stored(loaded, editeur));
        // The exact load matches the barcode as stored.
        bool exists = false;
        record = billet(u"before"_s, 1);
        QVERIFY(record.initParSqlExact(db, &mutex, asked, editeur, exists));
        const QString exactRow = stored(QString(asked).replace(u'\'', u' '), editeur);
        QCOMPARE(exists, !exactRow.isEmpty());
        QCOMPARE(fields(record), exists ? exactRow : fields(billet(u"before"_s, 1)));
        QCOMPARE(fixture::logLines(), QStringList());
    }

    void counts_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("start");  // IS_USABLE|IS_DELETED|NB_COMPOSTAGE
        QTest::addColumn<bool>("stored");
        QTest::addColumn<QString>("after");

        QTest::newRow("punch last, still usable") << u"punch"_s << u"1|0|1"_s << true << u"1|0|0"_s;
        QTest::newRow("punch at zero") << u"punch"_s << u"1|0|0"_s << true << u"1|0|0"_s;
        QTest::newRow("last use at zero") << u"lastUse"_s << u"1|0|0"_s << true << u"0|0|0"_s;
        QTest::newRow("unpunch unbounded") << u"unpunch"_s << u"0|1|5"_s << true << u"1|1|6"_s;
        QTest::newRow("deletion mark") << u"setIsDeleted"_s << u"1|0|2"_s << true << u"1|1|2"_s;
        QTest::newRow("punch without row") << u"punch"_s << u"1|0|3"_s << false << u"1|0|2"_s;
        QTest::newRow("delete") << u"delete"_s << u"1|0|3"_s << false << u"1|1|3"_s;
    }

    // The record ends with the values written; the row holds them too.
    void counts()
    {
        QFETCH(QString, op);
        QFETCH(QString, start);
        QFETCH(bool, stored);
        QFETCH(QString, after);

        const QStringList v = start.split(u'|');
        CDataBillet b = billet(u"P1"_s, 5, 1, v[2].toUInt());
        b.IS_USABLE = v[0].toUInt();
        b.IS_DELETED = v[1].toUInt();
        QVERIFY(b.ajouteSql(db, &mutex) > 0);
        if (!stored) {
            QVERIFY(sqlRun(db, u"delete from BILLET where CODE_BARRE='P1'"_s));
        }
        const bool ok = op == u"punch"_s     ? b.punchSql(db, &mutex, false)
                        : op == u"lastUse"_s ? b.punchSql(db, &mutex, true)
                        : op == u"unpunch"_s ? b.unpunchSql(db, &mutex)
                        : op == u"delete"_s  ? b.deleteSql(db, &mutex)
                                             : b.setIsDeletedSql(db, &mutex);
        QVERIFY(ok);
        QCOMPARE(u"%1|%2|%3"_s.arg(b.IS_USABLE).arg(b.IS_DELETED).arg(b.NB_COMPOSTAGE), after);
        QCOMPARE(sqlRows(db, kStoredCounts), stored ? QStringList{after} : QStringList());
    }

    // A write replaces its row; the list's counts leave deleted tickets out.
    void writes()
    {
        const CDataBillet again = billet(u"AB12"_s, 5, 42, 0);
        QVERIFY(again.ajouteSql(db, &mutex) > 0);
        QCOMPARE(stored(u"AB12"_s, 5), fields(again));
        QVERIFY(sqlRun(db, u"update BILLET set IS_DELETED=1 where CODE_BARRE='XYZ9'"_s));
        int live = -1;
        int usedUp = -1;
        QVERIFY(CDataBilletListe::compteSql(db, &mutex, live, usedUp));
        QCOMPARE(u"%1|%2"_s.arg(live).arg(usedUp), u"4|1"_s);
    }

    // A ticket sold here, with its issuer and one seat, and its removal: whole or not at all.
    void localTicket()
    {
        const QString local = u"select count(*) from BILLET where CODE_BARRE='L 1'"_s
                              u" union all select group_concat(PLACEMENT) from PLACE"_s
                              u" union all select NOM from EDITEUR where ID=99999999"_s;
        CDataBillet sold = billet(u"L'1"_s, EDITEUR_LOCAL_ID);
        QVERIFY(ajouteBilletLocalSql(db, &mutex, sold, u"A1"_s, u"Ici"_s));
        QVERIFY(ajouteBilletLocalSql(db, &mutex, sold, u"B'2"_s, u"Ici"_s));
        QCOMPARE(sqlRows(db, local), (QStringList{"1", "B 2", "Ici"}));
        QVERIFY(sqlRun(db, u"insert into MODIF (CODE_BARRE, EDITEUR_ID) values ('L 1', %1)"_s.arg(EDITEUR_LOCAL_ID)));
        QVERIFY(sqlRun(db, u"create trigger no before delete on MODIF begin select raise(abort, 'no'); end"_s));
        QVERIFY(!supprimeBilletLocalSql(db, &mutex, u"L'1"_s));
        QCOMPARE(sqlRows(db, local), (QStringList{"1", "B 2", "Ici"}));
        QVERIFY(sqlRun(db, u"drop trigger no"_s));
        QVERIFY(supprimeBilletLocalSql(db, &mutex, u"L'1"_s));
        QCOMPARE(sqlRows(db, local + u" union all select count(*) from MODIF"_s), (QStringList{"0", "", "Ici", "0"}));
        QVERIFY(sqlRun(db, u"drop table PLACE"_s));
        QVERIFY(!ajouteBilletLocalSql(db, &mutex, sold, u"A1"_s, u"Ici"_s));
        QCOMPARE(sqlRows(db, u"select count(*) from BILLET where EDITEUR_ID=%1"_s.arg(EDITEUR_LOCAL_ID)),
                 QStringList{"0"});
    }

    // Identical seats are all kept, the row read last first; exact barcode and issuer.
    void seats()
    {
        CDataPlaceListe list;
        for (const auto& [tarif, placement] : {std::pair{2u, u"A1"_s}, {2u, u"A1"_s}, {1u, u"B'2"_s}}) {
            list.ajoute(CDataPlace{u"Q'T"_s, tarif, 5, placement}, 0);
        }
        QVERIFY(list.ajouteSql(db, &mutex));
        QVERIFY((CDataPlace{u"Q'T"_s, 1, 5, u"C3"_s}.ajouteSql(db, &mutex)));
        QVERIFY((CDataPlace{u"Q'T"_s, 1, 6, u"Z9"_s}.ajouteSql(db, &mutex)));
        QVERIFY(list.initParSql(db, &mutex, u"Q'T"_s, 5));
        QStringList loaded;
        for (auto it = list.cbegin(); it != list.cend(); ++it) {
            loaded << QString::number(it.key()) + u':'
                          + fieldsRow(it->CODE_BARRE, it->TARIF_ID, it->EDITEUR_ID, it->PLACEMENT);
        }
        QCOMPARE(loaded, (QStringList{"1:Q T|1|5|C3", "1:Q T|1|5|B 2", "2:Q T|2|5|A1", "2:Q T|2|5|A1"}));
        QVERIFY(list.initParSql(db, &mutex, u"q'T"_s, 5) && list.isEmpty());
        QVERIFY(CDataPlace().deleteSql(db, &mutex, u"Q'T"_s, 5) && CDataPlace().deleteSql(db, &mutex, u"Q'T"_s, 5));
        QCOMPARE(sqlRows(db, u"select EDITEUR_ID from PLACE"_s), QStringList{u"6"_s});
        QCOMPARE(fixture::logLines(), QStringList());
    }

    // Without the table each fails with one line and frees the mutex; the count still drops.
    void failures()
    {
        QVERIFY(sqlRun(db, u"drop table BILLET"_s));
        CDataBilletListe list;
        list.ajoute(billet(u"X"_s, 1), 0);
        QVERIFY(!list.initParSqlByCodeBarre(db, &mutex, u"AB12"_s));
        QVERIFY(list.isEmpty());
        CDataBillet b = billet(u"AB12"_s, 5, 0, 2);
        bool failed = false;
        QVERIFY(!b.initParSql(db, &mutex, u"ab12"_s, 5, &failed) && failed);
        QVERIFY(!b.punchSql(db, &mutex, false));
        QCOMPARE(b.NB_COMPOSTAGE, 1u);
        list.ajoute(b, 0);
        QVERIFY(!list.ajouteSql(db, &mutex));
        QCOMPARE(fixture::logLines().filter(u" - critique - Erreur "_s).filter(u" : no such table: BILLET"_s).size(),
                 4);
        QVERIFY(mutex.tryLock());
        mutex.unlock();
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestBillet)
#include "TestBillet.moc"
