#include "data/CDataAgent.h"
#include "data/CDataBillet.h"
#include "data/CDataModif.h"
#include "data/CDataPlace.h"
#include "data/CDataRecherche.h"
#include "data/SqlRunner.h"

#include "CoreFixture.h"
#include "DataFixture.h"
#include "TestMain.h"

using namespace Qt::StringLiterals;

namespace
{

// A lone half swallows the quote after it; the NUL then ends the statement, with a
// select of the service login in place of the next value.
const QString kHalf = u"A"_s + QChar(0xD800);
const QString kSelect = u",(select LOGIN||char(58)||PASSWORD from DELTA),9,9,9,9,9,9,9,char(73,78,74)"_s;
const QString kCut = kSelect + u"  "_s + QChar(u'\0');
const QString kSecret = u"5f4dcc3b5aa765d61d8327deb882cf99"_s;

class Query : public CDataRecherche
{
public:
    using CDataRecherche::setPieces;
};

// Every row of every table, each as "TABLE|column|column...".
QStringList everything(QSqlDatabase& db)
{
    QStringList rows;
    for (const QString& table : db.tables()) {
        for (const QString& row : sqlRows(db, u"select * from "_s + table)) {
            rows.append(table + u'|' + row);
        }
    }
    rows.sort();
    return rows;
}

CDataBillet ticket(int n)
{
    CDataBillet out;
    out.initDefaut();
    out.ID = unsigned(n);
    out.EDITEUR_ID = 5;
    out.CODE_BARRE = u"T%1"_s.arg(n);
    return out;
}

}  // namespace

class TestSqlRunner : public DataFixture
{
    Q_OBJECT

private slots:

    void init()
    {
        QVERIFY(openRep());
        QVERIFY(sqlRun(db, u"insert into DELTA (ID, LOGIN, PASSWORD) values (4, 'orga', '%1')"_s.arg(kSecret)));
        QVERIFY(sqlRun(db, u"insert into AGENT (ID, NOM) values ('7','Marie'),('8','Paul')"_s));
    }

    void payloadsStayInTheirValue_data()
    {
        QTest::addColumn<QString>("write");
        // What the write adds, rows of `everything`; the rest must stay as it was.
        QTest::addColumn<QStringList>("added");

        const QString stored = u"BILLET|120|T120|5|0|0|1|0|A |"_s + kSelect + u"   ||1970-01-01 00:00:00||||1||"_s;
        QStringList list;
        for (int n = 1; n <= 250; ++n) {
            list.append(n == 120 ? stored : u"BILLET|%1|T%1|5|0|0|1|0||||1970-01-01 00:00:00||||1||"_s.arg(n));
        }
        QTest::newRow("one ticket") << u"ticket"_s << QStringList{stored};
        QTest::newRow("list of 250 tickets") << u"tickets"_s << list;
        QTest::newRow("agent list") << u"agents"_s << QStringList{u"AGENT|\" or 1=1 \" |A "_s};
        QTest::newRow("agent name under a key") << u"agent key"_s << QStringList();
    }

    // Values are stored whole; nothing else changes, and nothing of DELTA is copied.
    void payloadsStayInTheirValue()
    {
        QFETCH(QString, write);
        QFETCH(QStringList, added);
        const QStringList before = everything(db);
        CDataBillet payload = ticket(120);
        payload.NOM_PORTEUR = kHalf;
        payload.PRENOM_PORTEUR = kCut;
        CDataAgent agent;
        agent.ID = u"\" or 1=1 \""_s + QChar(u'\0');
        agent.NOM = kHalf;
        if (write == u"ticket"_s) {
            QVERIFY(payload.ajouteSql(db, &mutex) > 0);
        } else if (write == u"tickets"_s) {
            CDataBilletListe list;
            for (int n = 1; n <= 250; ++n) {
                list.ajoute(n == 120 ? payload : ticket(n), 0);
            }
            QVERIFY(list.ajouteSql(db, &mutex));
        } else if (write == u"agents"_s) {
            CDataAgentListe list;
            list.ajoute(agent, {});
            QVERIFY(list.ajouteSql(db, &mutex));
        } else {
            QVERIFY(agent.sauvegardeParSql(db, &mutex, agent.ID));
        }
        QStringList expected = before + added;
        expected.sort();
        QCOMPARE(everything(db), expected);
        QCOMPARE(everything(db).filter(kSecret).size(), 1);
        QCOMPARE(fixture::logLines(), QStringList());
    }

    void refusesTextThatSkippedTheHelper_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("runs");
        QTest::newRow("NUL") << u"a"_s + QChar(u'\0') + u"'); drop table BILLET; --"_s << false;
        QTest::newRow("lone first half") << u"b"_s + QChar(0xD800) << false;
        QTest::newRow("lone second half") << QChar(0xDC00) + u"b"_s << false;
        QTest::newRow("a whole pair") << u"b\U0001F600"_s << true;
    }

    // Both runners refuse, log at level 2 and report failure; nothing runs.
    void refusesTextThatSkippedTheHelper()
    {
        QFETCH(QString, value);
        QFETCH(bool, runs);
        const QString statement = u"insert into EVENT (ID, NOM) values (1, '"_s + value + u"')"_s;
        QCOMPARE(sqlrun::exec(db, &mutex, statement, u"Erreur test "_s), runs);
        QCOMPARE(sqlRows(db, u"select NOM from EVENT"_s), runs ? QStringList{value} : QStringList());
        Query query;
        query.initConnectionSql(db, &mutex);
        query.setPieces(u"select ID from EVENT where NOM='"_s + value + u"'"_s, {}, {}, {});
        QCOMPARE(CDataRecherche::execute(nullptr, query), runs);

        QCOMPARE(sqlRows(db, u"select count(*) from BILLET"_s), QStringList{u"0"_s});
        const QStringList lines = fixture::logLines();
        QCOMPARE(lines.filter(u" - critique - Erreur test insert into EVENT"_s).size(), runs ? 0 : 1);
        QCOMPARE(lines.filter(u"statement refused: it holds a NUL or an unpaired UTF-16 surrogate"_s).size(),
                 runs ? 0 : 2);
        // A NUL would cut the log line short.
        QVERIFY(!value.contains(QChar(u'\0')) || fixture::logContains(QString(statement).replace(QChar(u'\0'), u' ')));
    }

    void valuesInPlace_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<QString>("written");
        QTest::newRow("text through the helper, number bare")
            << u"where A=? and B=?"_s << QVariantList{u"x'y"_s, 5} << u"where A='x y' and B=5"_s;
        QTest::newRow("a ? in quotes is no placeholder")
            << u"where A='?' and B=?"_s << QVariantList{u"z"_s} << u"where A='?' and B='z'"_s;
        QTest::newRow("no value left") << u"where A=? and B=?"_s << QVariantList{1} << u"where A=1 and B=?"_s;
    }

    void valuesInPlace()
    {
        QFETCH(QString, statement);
        QFETCH(QVariantList, values);
        QFETCH(QString, written);
        QCOMPARE(sqlrun::withValues(statement, values), written);
    }

    void failedLoadLogsItsValues_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<bool>("preparedBefore");
        QTest::addColumn<QString>("logged");
        const QString billet =
            u"select ID,EDITEUR_ID,REP_ID,CANAL_VENTE_ID,IS_USABLE,IS_DELETED,NB_COMPOSTAGE,NOM_PORTEUR,PRENOM_PORTEUR,"
            "TEL_PORTEUR,NOM_ACHETEUR,PRENOM_ACHETEUR,TEL_ACHETEUR,DATE_ACHAT,IMAGE,MAIL,CODE_BARRE from BILLET where "
            "CODE_BARRE='A B?'"_s;
        const QString place =
            u"select CODE_BARRE,TARIF_ID,EDITEUR_ID,PLACEMENT from PLACE where CODE_BARRE='A B?' and EDITEUR_ID='5'"_s;
        const QString modif = u"select ID,TYPE,STATUS,AGENT_ID,REP_ID,EDITEUR_ID,CODE_BARRE,NEW_VALUE,DATE from MODIF "
                              "where CODE_BARRE='A B?' and EDITEUR_ID=5 order by DATE desc"_s;
        for (const bool before : {false, true}) {
            const char* when = before ? ", prepared before" : "";
            QTest::addRow("barcode lookup%s", when) << u"BILLET"_s << before << billet;
            QTest::addRow("seats%s", when) << u"PLACE"_s << before << place;
            QTest::addRow("history%s", when) << u"MODIF"_s << before << modif;
        }
    }

    // A bound load that fails logs its statement as written out, the values in place.
    void failedLoadLogsItsValues()
    {
        QFETCH(QString, table);
        QFETCH(bool, preparedBefore);
        QFETCH(QString, logged);
        const QString code = u"A'B?"_s;
        sqlrun::Prepared prepared;
        const auto load = [&]() {
            if (table == u"BILLET"_s) {
                return CDataBilletListe().initParSqlByCodeBarre(db, &mutex, code, &prepared);
            }
            if (table == u"PLACE"_s) {
                return CDataPlaceListe().initParSql(db, &mutex, code, 5, &prepared);
            }
            return CDataModifListe().initParSql(db, &mutex, code, 5, &prepared);
        };
        QVERIFY(!preparedBefore || load());
        QVERIFY(sqlRun(db, u"drop table "_s + table));
        fixture::clearLog();
        QVERIFY(!load());
        const QStringList lines = fixture::logLines();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().contains(u" - critique - Erreur initParSql "_s + logged + u" : "_s),
                 qPrintable(lines.first()));
        prepared.clear();
    }

    // A failed commit (a deferred foreign key) reruns the group: only the failing rows are lost.
    void failedCommitRunsTheGroupAgain()
    {
        QVERIFY(sqlRun(db, u"pragma foreign_keys = on"_s));
        QVERIFY(sqlRun(db, u"create table P (ID integer primary key)"_s));
        QVERIFY(sqlRun(db, u"create table C (N, P integer references P(ID) deferrable initially deferred)"_s));
        QVERIFY(sqlRun(db, u"insert into P values (1)"_s));
        QStringList rows;
        for (int n = 0; n < 250; ++n) {
            rows.append(u"select '%1','%2'"_s.arg(n).arg(n == 150 ? 2 : 1));
        }
        QVERIFY(!sqlrun::execRows(db, &mutex, u"insert into C (N, P) "_s, rows, u"Erreur test "_s));
        QCOMPARE(sqlRows(db, u"select count(*), sum(cast(N as integer) between 100 and 199) from C"_s),
                 QStringList{u"150|0"_s});
        QVERIFY(fixture::logContains(u" - critique - Erreur test commit : "_s));

        // Inside the caller's transaction the first failing statement ends the write.
        QVERIFY(sqlRun(db, u"delete from C"_s));
        rows[50] = u"select 'x', 1, 2"_s;
        {
            sqlrun::Transaction transaction(db, &mutex);
            QVERIFY(transaction.isOpen() && sqlrun::inTransaction(db));
            QVERIFY(!sqlrun::execRows(db, &mutex, u"insert into C (N, P) "_s, rows, u"Erreur test "_s));
            QCOMPARE(sqlRows(db, u"select count(*) from C"_s), QStringList{u"0"_s});
        }
        QVERIFY(!sqlrun::inTransaction(db));
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestSqlRunner)
#include "TestSqlRunner.moc"
