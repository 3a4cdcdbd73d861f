#include "core/AppFolder.h"
#include "core/Database.h"
#include "data/CDataBillet.h"
#include "data/CDataCompostage.h"
#include "data/CDataModif.h"
#include "data/CDataReferences.h"

#include "CoreFixture.h"
#include "DataFixture.h"
#include "TestMain.h"

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ActionCompostage)
Q_DECLARE_METATYPE(ResultatCompostage)

namespace
{

CDataBillet stored(QSqlDatabase& db, QMutex* mutex, const QString& code, unsigned int editeur, QString counts)
{
    const QStringList parts = counts.split(u' ');
    CDataBillet billet;
    billet.initDefaut();
    billet.CODE_BARRE = code;
    billet.EDITEUR_ID = editeur;
    billet.REP_ID = 12;
    billet.IS_USABLE = parts[0].toUInt();
    billet.IS_DELETED = parts[1].toUInt();
    billet.NB_COMPOSTAGE = parts[2].toUInt();
    billet.ajouteSql(db, mutex);
    return billet;
}

const QString kCounts = u"select IS_USABLE||' '||IS_DELETED||' '||NB_COMPOSTAGE from BILLET where CODE_BARRE='T1'"_s;
const QString kJournal = u"select TYPE,STATUS,AGENT_ID,REP_ID,EDITEUR_ID,CODE_BARRE,length(DATE) from MODIF"_s;

}  // namespace

class TestCompostage : public DataFixture
{
    Q_OBJECT

private slots:

    void init()
    {
        QVERIFY(openRep());
    }

    // Counts are "IS_USABLE IS_DELETED NB_COMPOSTAGE", then the journal row's "|TYPE|STATUS".
    void actions_data()
    {
        QTest::addColumn<ActionCompostage>("action");
        QTest::addColumn<unsigned int>("editeur");
        QTest::addColumn<QString>("before");
        QTest::addColumn<ResultatCompostage>("result");
        QTest::addColumn<QString>("after");

        const auto punch = ActionCompostage::Punch;
        const auto unpunch = ActionCompostage::Unpunch;
        const auto ecrit = ResultatCompostage::Ecrit;
        const auto refuse = ResultatCompostage::Refuse;
        QTest::newRow("punch of a local ticket") << punch << EDITEUR_LOCAL_ID << "1 0 1" << ecrit << "1 0 0|3|0";
        QTest::newRow("punch, no entry left") << punch << 7u << "1 0 0" << refuse << "1 0 0";
        QTest::newRow("punch, not usable") << punch << 7u << "0 0 2" << refuse << "0 0 2";
        QTest::newRow("punch, deleted") << punch << 7u << "1 1 2" << refuse << "1 1 2";
        QTest::newRow("un-punch to one entry") << unpunch << 7u << "0 0 0" << ecrit << "1 0 1|4|1";
        QTest::newRow("un-punch to more") << unpunch << 7u << "1 0 2" << ecrit << "1 0 3|16|1";
        QTest::newRow("un-punch, deleted") << unpunch << 7u << "1 1 0" << refuse << "1 1 0";
        QTest::newRow("fraud report") << ActionCompostage::Fraude << 7u << "1 0 1" << ecrit << "1 0 1|99|1";
        QTest::newRow("fraud report, local ticket")
            << ActionCompostage::Fraude << EDITEUR_LOCAL_ID << "1 0 1" << ecrit << "1 0 1|99|1";
    }

    // The stored row changes by one entry with its journal row, or nothing is written.
    void actions()
    {
        QFETCH(ActionCompostage, action);
        QFETCH(unsigned int, editeur);
        QFETCH(QString, before);
        QFETCH(ResultatCompostage, result);
        QFETCH(QString, after);

        CDataBillet billet = stored(db, &mutex, u"T1"_s, editeur, before);
        CDataModif written;
        QCOMPARE(compostageSql(db, &mutex, billet, action, u"A7"_s, u"2024-05-01 20:15:00"_s, &written), result);
        const QString counts = after.section(u'|', 0, 0);
        const QString journal = after.section(u'|', 1);
        QCOMPARE(sqlRows(db, kCounts), QStringList{counts});
        QCOMPARE(u"%1 %2 %3"_s.arg(billet.IS_USABLE).arg(billet.IS_DELETED).arg(billet.NB_COMPOSTAGE), counts);
        QCOMPARE(sqlRows(db, kJournal),
                 journal.isEmpty() ? QStringList() : QStringList{journal + u"|A7|12|%1|T1|19"_s.arg(editeur)});
        if (!journal.isEmpty()) {
            QCOMPARE(u"%1|%2"_s.arg(written.TYPE).arg(written.STATUS), journal);
        }
    }

    // Two copies loaded before either punch each take one entry of the stored row.
    void punchesOfStaleCopies()
    {
        CDataBillet first = stored(db, &mutex, u"T1"_s, 7, u"1 0 3"_s);
        CDataBillet second = first;
        QCOMPARE(compostageSql(db, &mutex, first, ActionCompostage::Punch, {}, u"2024-05-01 20:15:00"_s),
                 ResultatCompostage::Ecrit);
        QCOMPARE(compostageSql(db, &mutex, second, ActionCompostage::Punch, {}, u"2024-05-01 20:15:01"_s),
                 ResultatCompostage::Ecrit);
        QCOMPARE(second.NB_COMPOSTAGE, 1u);
        QCOMPARE(sqlRows(db, u"select TYPE from MODIF order by ID"_s), QStringList({u"8"_s, u"8"_s}));
        QCOMPARE(compostageSql(db, &mutex, first, ActionCompostage::Punch, {}, u"2024-05-01 20:15:02"_s),
                 ResultatCompostage::Ecrit);
        QCOMPARE(compostageSql(db, &mutex, second, ActionCompostage::Punch, {}, u"2024-05-01 20:15:03"_s),
                 ResultatCompostage::Refuse);
        QCOMPARE(sqlRows(db, kCounts), QStringList{u"1 0 0"_s});
        // Gone from the list since the copies were read: told apart from a refusal.
        QVERIFY(sqlRun(db, u"delete from BILLET"_s));
        QCOMPARE(compostageSql(db, &mutex, first, ActionCompostage::Unpunch, {}, u"2024-05-01 20:15:04"_s),
                 ResultatCompostage::Absent);
        QCOMPARE(sqlRows(db, u"select count(*) from MODIF"_s), QStringList{u"3"_s});

        // A failed journal write undoes the count; each action logs under its own name.
        stored(db, &mutex, u"T1"_s, 7, u"1 0 3"_s);
        QVERIFY(sqlRun(db, u"drop table MODIF"_s));
        QCOMPARE(compostageSql(db, &mutex, first, ActionCompostage::Punch, {}, {}), ResultatCompostage::Echec);
        QCOMPARE(sqlRows(db, kCounts), QStringList{u"1 0 3"_s});
        QVERIFY(sqlRun(db, u"drop table BILLET"_s));
        for (const auto action : {ActionCompostage::Punch, ActionCompostage::Unpunch, ActionCompostage::Fraude}) {
            QCOMPARE(compostageSql(db, &mutex, first, action, {}, {}), ResultatCompostage::Echec);
        }
        const QStringList lines = fixture::logLines();
        QCOMPARE(lines.filter(u" - critique - Erreur ajouteSql insert into MODIF"_s).size(), 1);
        for (const QString& name : {u"punchSql update"_s, u"unpunchSql update"_s, u"fraudeSql select"_s}) {
            QCOMPARE(lines.filter(u" - critique - Erreur "_s + name).size(), 1);
        }
    }

    // Kept statements follow the connection; names are read again after another writer.
    void keptStatementsAndNames()
    {
        sqlrun::Prepared prepared;
        stored(db, &mutex, u"T1"_s, 7, u"1 0 2"_s);
        CDataBilletListe found;
        QVERIFY(found.initParSqlByCodeBarre(db, &mutex, u"T1"_s, &prepared));
        QCOMPARE(found.size(), 1);
        const QString first = db.databaseName();
        QVERIFY(openRepBDD(db, &mutex, dbFolder() + u"R2_Z0.db"_s));
        QVERIFY(found.initParSqlByCodeBarre(db, &mutex, u"T1"_s, &prepared));
        QVERIFY(found.isEmpty());
        QVERIFY(openRepBDD(db, &mutex, first));

        CDataReferences names;
        QVERIFY(names.refresh(db, &mutex, &prepared));
        QVERIFY(names.tarif(1).isEmpty());
        {
            ThreadConnection other(u"other"_s);
            QVERIFY(openRepBDD(other.db(), nullptr, first));
            QVERIFY(sqlRun(other.db(), u"insert into TARIF (ID, NOM) values (1, 'Plein')"_s));
        }
        QVERIFY(names.refresh(db, &mutex, &prepared));
        QCOMPARE(names.tarif(1), u"Plein"_s);
        QVERIFY(sqlRun(db, u"update TARIF set NOM='Réduit' where ID=1"_s));
        names.invalidate();
        QVERIFY(names.refresh(db, &mutex, &prepared));
        QCOMPARE(names.tarif(1), u"Réduit"_s);
        db.close();
        QVERIFY(!names.refresh(db, &mutex, &prepared));
        QVERIFY(names.tarif(1).isEmpty());
        QVERIFY(fixture::logContains(u" - critique - Erreur data_version PRAGMA data_version : "_s));
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestCompostage)
#include "TestCompostage.moc"
