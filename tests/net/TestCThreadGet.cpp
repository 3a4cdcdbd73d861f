#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "data/CDataDelta.h"
#include "data/CDataModif.h"
#include "net/CThreadGet.h"
#include "net/Drain.h"

#include "CoreFixture.h"
#include "DataFixture.h"
#include "TestMain.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace
{

// A ticket of issuer `editeur` with `entries` entries left; seats are {"3", "4"} pairs.
QJsonObject ticket(int editeur, int entries, int deleted = 0, const QJsonArray& seats = {})
{
    QJsonObject out{{"0", editeur}, {"1", 500}, {"2", 77}, {"6", 1}, {"7", deleted}, {"15", entries}};
    if (!seats.isEmpty()) {
        out.insert("places", seats);
    }
    return out;
}

QJsonObject seat(int tarif, const QString& placement)
{
    return QJsonObject{{"3", tarif}, {"4", placement}};
}

// One history row: TYPE, agent, issuer and date figures.
QJsonObject modif(int type, const QString& agent, int editeur, const QString& date = "20240501203000")
{
    return QJsonObject{{"0", editeur}, {"4", type}, {"5", date}, {"9", agent}};
}

QByteArray bytes(const QJsonObject& document)
{
    return QJsonDocument(document).toJson(QJsonDocument::Compact);
}

const QString kJournal = u"select ID,TYPE,STATUS,CODE_BARRE,DATE from MODIF order by ID"_s;

QString msg(int line)
{
    return gAffichage->getMessage(0, line);
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestCThreadGet : public DataFixture
{
    Q_OBJECT

    // Runs the worker on the test's database and returns its reports in emission
    // order, as "name:arg,arg". `action` runs on the worker's thread when the progress
    // shows message `atText`.
    QStringList
    run(const QByteArray& document, bool isDelta, int atText = -1, const std::function<void(CThreadGet&)>& action = {})
    {
        CThreadGet worker;
        QStringList events;
        trace.clear();
        const auto record = [&](QStringList& to, auto signal, const QString& name) {
            connect(
                &worker,
                signal,
                &worker,
                [&to, name](const auto&... args) {
                    to.append(name + u':' + QStringList{QVariant::fromValue(args).toString()...}.join(u','));
                },
                Qt::DirectConnection);
        };
        record(events, &CThreadGet::signalError, u"error"_s);
        record(events, &CThreadGet::signalRepFile, u"repfile"_s);
        record(events, &CThreadGet::signalNbTicket, u"nb"_s);
        record(trace, &CThreadGet::signalProgressShow, u"show"_s);
        record(trace, &CThreadGet::signalProgressMax, u"m"_s);
        record(trace, &CThreadGet::signalProgressValue, u"v"_s);
        const auto onText = [this, &worker, atText, action](const QString& text) {
            int line = 0;
            while (line < 40 && msg(line) != text) {
                ++line;
            }
            trace.append(u"t:"_s + QString::number(line));
            if (action && line == atText) {
                action(worker);
            }
        };
        connect(&worker, &CThreadGet::signalProgressText, &worker, onText, Qt::DirectConnection);
        worker.setData(document, &mutex, db, isDelta);
        worker.setDrained(drained);
        worker.start();
        worker.wait();
        return events;
    }

    QStringList rows(const QString& sql)
    {
        return sqlRows(db, sql);
    }

    void seedTicket(const QString& code, int editeur, int entries, int deleted = 0)
    {
        const QString sql = u"insert into BILLET (CODE_BARRE,EDITEUR_ID,IS_USABLE,IS_DELETED,NB_COMPOSTAGE) values "
                            "('%1',%2,1,%3,%4)"_s;
        QVERIFY(sqlRun(db, sql.arg(code).arg(editeur).arg(deleted).arg(entries)));
    }

    // The drain rows handed to the next run.
    CDataModifListe drained;
    // The progress of the last run: "show:", "t:" message line, "m:" maximum, "v:" value.
    QStringList trace;

    void seedPending(int type, const QString& code, const QString& time = u"20:00:00"_s)
    {
        const QString sql = u"insert into MODIF (TYPE,STATUS,AGENT_ID,REP_ID,EDITEUR_ID,CODE_BARRE,NEW_VALUE,DATE) "
                            "values (%1,1,'17',77,7,'%2','','2024-05-01 %3')"_s;
        QVERIFY(sqlRun(db, sql.arg(type).arg(code, time)));
    }

private slots:

    void initTestCase()
    {
        fixture::initQuietCore();
    }

    void init()
    {
        QVERIFY(openRep());
        gParam->initParametre(MY_AGENT_ID, u"17"_s);
        gParam->initParametre(ZONE_KEST, u"3"_s);
        gParam->initParametre(REP_JOUR, u"0"_s);
        gParam->login.set(u"ag"_s);
        gParam->passwordMd5.set(u"md5"_s);
        gParam->sessionId.set(u"old"_s);
        drained.clear();
    }

    void drop_data()
    {
        QTest::addColumn<QByteArray>("drop");
        QTest::addColumn<bool>("reload");
        for (const char* no : {R"("false")", R"("FALSE")", R"("0")", "0", "false", "null", R"({"a":1})"}) {
            QTest::newRow(no) << QByteArray(no) << false;
        }
        for (const char* yes : {"1", R"("x")", "true"}) {
            QTest::newRow(yes) << QByteArray(yes) << true;
        }
    }

    // A reload empties the list and writes the default rows.
    void drop()
    {
        QFETCH(QByteArray, drop);
        QFETCH(bool, reload);
        seedTicket(u"OLD"_s, 7, 1);
        run(R"({"si":"new","tickets":{"NEW":{"15":1}},"drop":)" + drop + '}', true);
        QCOMPARE(rows(u"select CODE_BARRE from BILLET order by 1"_s),
                 reload ? QStringList{u"NEW"_s} : (QStringList{u"NEW"_s, u"OLD"_s}));
        QCOMPARE(rows(u"select count(*) from EDITEUR where ID=0"_s), QStringList{reload ? u"1"_s : u"0"_s});
        QCOMPARE(gParam->sessionId.get(), u"new"_s);
    }

    // Rows accumulate, one per id, with the session's context; an unreadable date is
    // stored empty. Before the run DELTA holds 814.
    void deltaRow_data()
    {
        QTest::addColumn<QByteArray>("members");
        QTest::addColumn<QString>("stored");
        const QString earlier = u"814|2014-04-01 00:00:00|x|y|1 "_s;
        QTest::newRow("number, 14 figures")
            << QByteArray(R"("dt":815,"da":"20140501203015")") << earlier + u"815|2014-05-01 20:30:15|ag|md5|3"_s;
        QTest::newRow("text, 12 figures")
            << QByteArray(R"("dt":"815","da":"201405012030")") << earlier + u"815|2014-05-01 20:30:00|ag|md5|3"_s;
        QTest::newRow("skipped hour") << QByteArray(R"("dt":815,"da":"20240331023000")")
                                      << earlier + u"815|2024-03-31 02:30:00|ag|md5|3"_s;
        QTest::newRow("31 February") << QByteArray(R"("dt":815,"da":"20140231203000")") << earlier + u"815||ag|md5|3"_s;
        QTest::newRow("same id again") << QByteArray(R"("dt":814,"da":"20140501203015")")
                                       << u"814|2014-05-01 20:30:15|ag|md5|3"_s;
        QTest::newRow("dt 0") << QByteArray(R"("dt":0,"da":"20140501203000")") << earlier.trimmed();
    }

    void deltaRow()
    {
        QFETCH(QByteArray, members);
        QFETCH(QString, stored);
        QVERIFY(sqlRun(db, u"insert into DELTA values (814,'2014-04-01 00:00:00','x','y',1)"_s));
        run('{' + members + '}', true);
        QCOMPARE(rows(u"select ID,LAST_UPDATE,LOGIN,PASSWORD,ZONE_ID from DELTA order by rowid"_s).join(u' '), stored);
    }

    // A run that stores a list marks the file whole, with or without a delta id. A reply
    // holding no list (an error document) leaves no mark, and a delta of one takes none
    // away, unless it reloads. The mark after a full load, then after a delta on a marked file.
    void wholeMark_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QString>("marks");
        QTest::newRow("error document") << QByteArray(R"({"request":"getTickets","error":"3"})") << "0 1";
        QTest::newRow("error document, dt 0") << QByteArray(R"({"error":3,"dt":0,"da":"20140501203000"})") << "0 1";
        QTest::newRow("session and settings only") << QByteArray(R"({"si":"s","params":{"dwd":0}})") << "0 1";
        QTest::newRow("reload without a list") << QByteArray(R"({"drop":true})") << "0 0";
        QTest::newRow("dt alone") << QByteArray(R"({"dt":"815"})") << "1 1";
        QTest::newRow("dt 0, empty tickets") << QByteArray(R"({"dt":0,"tickets":{}})") << "1 1";
        QTest::newRow("no dt, tickets as an array") << QByteArray(R"({"tickets":[]})") << "1 1";
        QTest::newRow("no dt, history only") << QByteArray(R"({"modifs":{"A":[]}})") << "1 1";
    }

    void wholeMark()
    {
        QFETCH(QByteArray, document);
        QFETCH(QString, marks);
        QStringList got;
        for (const bool isDelta : {false, true}) {
            QVERIFY(CThreadGet::markListWhole(db, &mutex, isDelta));
            QCOMPARE(run(document, isDelta), QStringList{u"nb:0,0"_s});
            bool whole = false;
            QVERIFY(CThreadGet::isListMarkedWhole(db, &mutex, whole));
            got << QString::number(whole);
        }
        QCOMPARE(got.join(u' '), marks);
    }

    // Every member in its column, "13" in both phones, a quote as a blank; seats past
    // a statement's 100 rows; keys read as whole numbers (a sign or a blank gives 0),
    // agents' as written, in text order.
    void sections()
    {
        QJsonArray many;
        for (int i = 0; i < 98; ++i) {
            many.append(seat(i, u"S%1"_s.arg(i)));
        }
        QJsonObject document = QJsonDocument::fromJson(R"({"tickets":{"Y":[],
            "X":{"0":7,"1":500,"2":77,"17":4,"6":1,"7":0,"15":"3","9":"Nom","10":"Pre","11":"Ach","12":"Eur",
                 "13":"0601","14":"2024-04-01 10:00","19":"img/X.png","places":[{"3":12,"4":"R\u002712"}]}},
            "tarif":{"007":"A","x1":"B","-3":"C","12":"it\u0027s"}, "agent":{"7":"a","07":"b"},
            "rep":{" 5":{"comp":2},"+6":{"comp":3},"8":{},"9":{"debut":"d","fin":"f","evt":3,"comp":4}},
            "evt":{"3":"Gala"},"pub":{"4":"Pub"},"caisse":{"5":"Cai"},"canal":{"6":"Can"}})")
                                   .object();
        QJsonObject tickets = document["tickets"].toObject();
        tickets.insert("M1", ticket(7, 1, 0, many));
        tickets.insert(
            "M2",
            ticket(7, 1, 0, QJsonArray{seat(1, "a"), seat(1, "a"), seat(2, "b"), seat(3, "c"), seat(4, "d")}));
        document.insert("tickets", tickets);
        // Bytes that are not UTF-8 are read as Latin-1, not refused.
        QCOMPARE(run(bytes(document).replace("Nom", "N\xe9m\xc3\xa9"), false).last(), u"nb:4,1"_s);
        QCOMPARE(rows(u"select * from BILLET where CODE_BARRE in ('X','Y') order by CODE_BARRE"_s),
                 (QStringList{u"500|X|7|77|4|1|0|Némé|Pre|0601|2024-04-01 10:00|Ach|Eur|0601|3|img/X.png|"_s,
                              u"0|Y|0|0|0|0|0||||||||0||"_s}));
        QCOMPARE(rows(u"select * from PLACE where CODE_BARRE='X'"_s), QStringList{u"X|12|7|R 12"_s});
        QCOMPARE(rows(u"select count(*) from PLACE where CODE_BARRE like 'M_'"_s), QStringList{u"103"_s});
        QCOMPARE(rows(u"select ID,NOM from TARIF order by ID"_s), (QStringList{u"0|B"_s, u"7|A"_s, u"12|it s"_s}));
        QCOMPARE(rows(u"select ID,NOM from AGENT order by ID"_s), (QStringList{u"07|b"_s, u"7|a"_s}));
        QCOMPARE(rows(u"select * from REP order by ID"_s), (QStringList{u"0|0|||3"_s, u"8|0|||0"_s, u"9|3|d|f|4"_s}));
        QStringList named;
        for (const char* table : {"EVENT", "EDITEUR", "CAISSE", "CANAL_VENTE"}) {
            named += rows(u"select ID||NOM from "_s + QLatin1String(table) + u" where ID>0"_s).join(u',');
        }
        QCOMPARE(named, (QStringList{u"3Gala"_s, u"4Pub"_s, u"5Cai"_s, u"6Can"_s}));
    }

    // The progress is shown for a full load only; each section shows its text, its
    // size when it has members, and each member done. An empty "si" keeps the session.
    void progress_data()
    {
        QTest::addColumn<bool>("isDelta");
        QTest::addColumn<QString>("trace");
        const QString sections = u"t:13 m:1 v:0 v:1 t:8 v:0 t:14 v:0 t:16 v:0 t:15 v:0 t:18 v:0 t:19 v:0 "
                                 "t:10 m:2 v:0 v:1 v:2 t:11 v:0"_s;
        QTest::newRow("full load") << false << u"t:7 m:10 v:0 show:true "_s + sections;
        QTest::newRow("delta") << true << sections;
    }

    void progress()
    {
        QFETCH(bool, isDelta);
        QFETCH(QString, trace);
        const QByteArray document = R"({"si":"","rep":{"1":{}},"tickets":{"A":{"0":7,"15":1},"B":{"0":7}}})";
        QCOMPARE(run(document, isDelta), QStringList{u"nb:2,1"_s});
        QCOMPARE(this->trace.join(u' '), trace);
        QCOMPARE(gParam->sessionId.get(), u"old"_s);
    }

    // This terminal's punch of T1 (performance 77, one entry left; journalled when `held`)
    // still in the drain queue: a ticket the document writes gets it, journalled once as
    // sent, and the delta bringing it back leaves it alone. T1's entries, journal rows.
    void drainedPunch_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<bool>("isDelta");
        QTest::addColumn<bool>("held");
        QTest::addColumn<QString>("after");
        const QByteArray t1 = R"("tickets":{"T1":{"0":7,"2":77,"6":1,"15":2}})";
        QTest::newRow("first download") << '{' + t1 + '}' << false << false << "1 1 / 1 1";
        QTest::newRow("other performance")
            << QByteArray(R"({"tickets":{"T1":{"0":7,"2":78,"6":1,"15":2}}})") << false << false << "2 0 / 1 1";
        QTest::newRow("drop") << R"({"drop":1,)" + t1 + '}' << true << true << "1 1 / 1 1";
        QTest::newRow("delta re-sending it") << '{' + t1 + '}' << true << true << "1 1 / 1 1";
        QTest::newRow("delta without it") << QByteArray(R"({"tickets":{"T2":{"0":7}}})") << true << true << "1 1 / 1 1";
    }

    void drainedPunch()
    {
        QFETCH(QByteArray, document);
        QFETCH(bool, isDelta);
        QFETCH(bool, held);
        QFETCH(QString, after);
        seedTicket(u"T1"_s, 7, 1);
        seedPending(MODIF_PUNCH, u"T1"_s, u"20:30:00"_s);
        CDataModifListe pending;
        QVERIFY(pending.initLocalPunchParSql(db, &mutex));
        QVERIFY(sqlRun(db, held ? u"update MODIF set STATUS=0"_s : u"delete from MODIF"_s));
        const auto state = [this] {
            return rows(u"select NB_COMPOSTAGE from BILLET where CODE_BARRE='T1'"_s).value(0) + u' '
                   + rows(u"select count(*) from MODIF where STATUS=0"_s).value(0);
        };
        drained.insert(5, pending.first());
        run(document, isDelta);
        const QString first = state();
        drained.clear();
        run(bytes(QJsonObject{{"modifs", QJsonObject{{"T1", QJsonArray{modif(MODIF_PUNCH, "17", 7)}}}}}), true);
        QCOMPARE(first + u" / "_s + state(), after);
    }

    // A tile deletion moves the list's unsent punch to the drain queue, marked sent in
    // the list, which may outlive it: the delta bringing it back does not count it
    // twice. Every row of the queue, whatever its login and zone, read from the main
    // database or through the list's connection, is a journal row of this agent.
    void drainQueue()
    {
        seedTicket(u"T1"_s, 7, 1);
        seedPending(MODIF_PUNCH, u"T1"_s);
        const QString path = db.databaseName();
        CDataModifListe pending;
        QVERIFY(pending.initLocalPunchParSql(db, &mutex));
        CDataDelta context;
        context.initDefaut();
        QVERIFY(openBDD(db, &mutex));
        QVERIFY(drain::moveToQueue(db, &mutex, path, pending, context));
        QVERIFY(sqlRun(db,
                       u"insert into VIDANGE (TYPE,DATE,CODE_BARRE,EDITEUR_ID,REP_ID,LOGIN,ZONE_ID) values "
                       "(3,'d2','K2',8,78,'bo',4)"_s));
        for (bool onList : {false, true}) {
            QVERIFY(!onList || openRepBDD(db, &mutex, path));
            QStringList got;
            const CDataModifListe punches = drain::queuedPunches(db, &mutex);
            for (auto it = punches.cbegin(); it != punches.cend(); ++it) {
                const CDataModif& p = it.value();
                got << fieldsRow(it.key(), p.TYPE, p.STATUS, p.AGENT_ID, p.REP_ID, p.EDITEUR_ID, p.CODE_BARRE, p.DATE);
            }
            QCOMPARE(got, (QStringList{u"1|8|0|17|77|7|T1|2024-05-01 20:00:00"_s, u"2|3|0|17|78|8|K2|d2"_s}));
        }
        QCOMPARE(rows(u"select count(*) from MODIF where STATUS=1"_s), QStringList{u"0"_s});
        run(bytes(QJsonObject{
                {"modifs", QJsonObject{{"T1", QJsonArray{modif(MODIF_PUNCH, "17", 7, "20240501200000")}}}}}),
            true);
        QCOMPARE(rows(u"select NB_COMPOSTAGE from BILLET"_s), QStringList{u"1"_s});
    }

    // This terminal's punch of T1 (performance 77, issuer 7) that the service has not
    // acknowledged: in the drain queue, or pending in the list. The service may hold it
    // all the same (an answer lost): its history then names it, and its counts have it.
    // Each step is a run: "full" (a download), "import" (an event file), "drop" or
    // "delta", then "T1=n" when the document writes T1 with n entries, "echo" when its
    // history brings the punch back ("echo3" as a last punch, "echo20" by agent 20 in the
    // same second), "acked" when the drain was acknowledged before it. After each run:
    // T1's entries, then its journal rows as TYPE:STATUS:REP_ID.
    void unsentPunchHeldByService_data()
    {
        QTest::addColumn<bool>("pending");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("download after a wipe, history in the same document")
            << false << QStringList{"full T1=1 echo"} << QStringList{"1 8:0:0"};
        QTest::newRow("download, history names a last punch")
            << false << QStringList{"full T1=0 echo3"} << QStringList{"0 3:0:0"};
        QTest::newRow("later delta names a last punch")
            << false << QStringList{"full T1=2", "delta echo3", "delta T1=1"}
            << QStringList{"1 8:0:77", "1 3:0:0", "1 3:0:0"};
        QTest::newRow("download, another entrance in the same second")
            << false << QStringList{"full T1=1 echo20"} << QStringList{"0 8:0:0 8:0:77"};
        QTest::newRow("history in a later delta, ticket rewritten after")
            << false << QStringList{"full T1=2", "delta echo", "delta T1=1"}
            << QStringList{"1 8:0:77", "1 8:0:0", "1 8:0:0"};
        QTest::newRow("history in a later delta, drain acknowledged before")
            << false << QStringList{"full T1=2", "acked delta echo", "delta T1=1"}
            << QStringList{"1 8:0:77", "1 8:0:77", "1 8:0:77"};
        QTest::newRow("drain answer lost, then a delta rewriting the ticket")
            << false << QStringList{"full T1=2", "delta T1=1 echo"} << QStringList{"1 8:0:77", "1 8:0:0"};
        QTest::newRow("full reload") << false << QStringList{"full T1=2", "drop T1=1 echo", "delta T1=1"}
                                     << QStringList{"1 8:0:77", "1 8:0:0", "1 8:0:0"};
        QTest::newRow("event-file import") << false << QStringList{"import T1=1 echo"} << QStringList{"1 8:0:0"};
        QTest::newRow("pending, full reload with the answer lost")
            << true << QStringList{"drop T1=1 echo", "delta T1=1"} << QStringList{"1 8:1:77 8:0:0", "1 8:1:77 8:0:0"};
        QTest::newRow("pending, delta with the answer lost")
            << true << QStringList{"delta T1=1 echo", "delta T1=1"} << QStringList{"1 8:1:77 8:0:0", "1 8:1:77 8:0:0"};
    }

    void unsentPunchHeldByService()
    {
        QFETCH(bool, pending);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, after);
        QVERIFY(gParam->sauvegarde(QString(), true));
        seedTicket(u"T1"_s, 7, 2);
        seedPending(MODIF_PUNCH, u"T1"_s, u"20:30:00"_s);
        CDataModifListe punch;
        QVERIFY(punch.initLocalPunchParSql(db, &mutex));
        if (!pending) {
            QVERIFY(sqlRun(db, u"delete from MODIF"_s));
            punch.first().STATUS = MODIF_STATUS_SENT;
            drained.insert(5, punch.first());
        }
        QStringList got;
        for (const QString& step : std::as_const(steps)) {
            const QStringList words = step.split(u' ');
            if (words.contains(u"acked"_s)) {
                drained.clear();
            }
            const QString mode = words.value(words.contains(u"acked"_s) ? 1 : 0);
            QJsonObject document;
            for (const QString& word : words) {
                if (word.startsWith(u"T1="_s)) {
                    const QJsonObject t1{{"0", 7}, {"2", 77}, {"6", 1}, {"15", word.mid(3).toInt()}};
                    document.insert("tickets", QJsonObject{{"T1", t1}});
                } else if (word.startsWith(u"echo"_s)) {
                    const int type = word == u"echo3"_s ? MODIF_PUNCH_LAST : MODIF_PUNCH;
                    const QString agent = word == u"echo20"_s ? u"20"_s : u"17"_s;
                    document.insert("modifs", QJsonObject{{"T1", QJsonArray{modif(type, agent, 7, "20240501203000")}}});
                }
            }
            if (mode == u"drop"_s) {
                document.insert("drop", true);
            } else if (mode == u"import"_s) {
                document.insert("params", QJsonObject{{"dwd", 1}, {"zo", 3}, {"id", 77}});
                document.insert("evtData", QJsonObject{{"event", QJsonObject{{"5", QJsonObject{{"id", 5}}}}}});
            }
            run(bytes(document), mode == u"delta"_s || mode == u"drop"_s);
            got << rows(u"select NB_COMPOSTAGE from BILLET where CODE_BARRE='T1'"_s).value(0) + u' '
                       + rows(u"select TYPE||':'||STATUS||':'||REP_ID from MODIF where CODE_BARRE='T1' order by ID"_s)
                             .join(u' ');
        }
        QCOMPARE(got, after);
    }

    // A re-sent ticket's seats replace its stored ones; each history row has its own
    // date, the own terminal's rows included in a full load.
    void resentSeatsAndHistoryDates()
    {
        seedTicket(u"T1"_s, 7, 1);
        QVERIFY(sqlRun(db, u"insert into PLACE values ('T1',1,7,'old'),('T1',2,7,'old'),('T1',1,8,'other')"_s));
        run(R"({"tickets":{"T1":{"0":7,"places":[{"3":12,"4":"R12"}]}}})", true);
        QCOMPARE(rows(u"select * from PLACE order by EDITEUR_ID"_s),
                 (QStringList{u"T1|12|7|R12"_s, u"T1|1|8|other"_s}));

        run(R"({"modifs":{"A":[{"4":8,"5":"20140512103015","9":"20"},{"4":8,"5":"bad","9":"17"},
                               {"4":8,"5":"201405121030","9":"20"}]}})",
            false);
        QCOMPARE(rows(u"select AGENT_ID,DATE from MODIF order by ID"_s),
                 (QStringList{u"20|2014-05-12 10:30:15"_s, u"17|"_s, u"20|2014-05-12 10:30:00"_s}));
    }

    // A full load empties the file in place: pending punches keep their IDs and order,
    // duplicates included, past a statement's 100 rows; history comes after them.
    void reloadKeepsPending()
    {
        QVERIFY(db.transaction());
        seedPending(MODIF_PUNCH, u"A"_s);
        seedPending(MODIF_PUNCH, u"A"_s);
        seedPending(MODIF_PUNCH_LAST, u"A"_s, "20:00:01");
        seedPending(MODIF_UNPUNCH_LAST, u"A"_s, "20:00:02");
        for (int i = 4; i < 150; ++i) {
            seedPending(MODIF_FRAUDE, u"P%1"_s.arg(i));
        }
        QVERIFY(db.commit());
        const QStringList kept = rows(kJournal);
        QJsonObject history;
        QJsonArray many;
        for (int b = 0; b < 250; ++b) {
            history.insert(u"H%1"_s.arg(b, 3, 10, QLatin1Char('0')), QJsonArray{modif(16, "20", 7)});
            many.append(modif(16, "20", 7));
        }
        history.insert("M", many);
        // This terminal's own row is history too, though the journal holds it pending.
        history.insert("A", QJsonArray{modif(MODIF_PUNCH, "17", 7, "20240501200000")});
        run(bytes(QJsonObject{{"drop", true}, {"modifs", history}}), true);
        QCOMPARE(rows(kJournal).mid(0, 150), kept);
        QCOMPARE(rows(u"select count(*) from MODIF where STATUS=0 and ID>150"_s), QStringList{u"501"_s});
    }

    // A document that cannot be read, one statement failing, or a stop request leaves
    // the file as it was: DELTA, the tickets and the pending punches, for a delta as for
    // a full reload; a removed file is not made again. Failures are reported.
    void nothingHalfWritten_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("failing ticket in a delta") << "delta";
        QTest::newRow("failing ticket in a drop") << "drop";
        QTest::newRow("stop requested") << "stop";
        QTest::newRow("list file removed meanwhile") << "removed";
        QTest::newRow("unreadable, in a full load") << "unreadable";
    }

    void nothingHalfWritten()
    {
        QFETCH(QString, kind);
        seedTicket(u"T1"_s, 7, 1);
        seedPending(MODIF_PUNCH, u"T1"_s);
        QVERIFY(sqlRun(db, u"insert into DELTA values (815,'2014-05-01 20:30:00','ag','md5',3)"_s));
        // Nothing fails the stopped run but the stop.
        QVERIFY(kind == u"stop"_s
                || sqlRun(db,
                          u"create trigger boom before insert on BILLET when new.CODE_BARRE='ZBOOM' begin "
                          "select raise(abort,'boom'); end"_s));
        // The failing ticket comes in the second statement of tickets.
        QJsonObject tickets{{"ZBOOM", ticket(7, 1)}};
        for (int i = 0; i < 150; ++i) {
            tickets.insert(u"K%1"_s.arg(i, 3, 10, QLatin1Char('0')), ticket(7, 1));
        }
        const QJsonObject document{{"drop", kind != u"delta"_s},
                                   {"dt", 816},
                                   {"rep", QJsonObject{{"9999", QJsonObject{}}}},
                                   {"tickets", tickets},
                                   {"modifs", QJsonObject{{"T1", QJsonArray{modif(8, "20", 7)}}}}};
        QVERIFY(kind != u"removed"_s || QFile::remove(db.databaseName()));
        const QByteArray before = fileBytes(db.databaseName());
        const bool unreadable = kind == u"unreadable"_s;
        const QStringList events = run(unreadable ? bytes(document).chopped(1) : bytes(document),
                                       !unreadable,
                                       kind == u"stop"_s ? 10 : -1,
                                       [](CThreadGet& worker) {
                                           worker.requestInterruption();
                                       });
        // A list not stored is reported as such, but for a stop.
        const QString error = unreadable ? msg(3) : kind == u"delta"_s || kind == u"drop"_s ? msg(5) : QString();
        QCOMPARE(events.join(u' '), (error.isEmpty() ? QString() : u"error:Erreur,"_s + error + u' ') + u"nb:0,0"_s);
        QCOMPARE(fileBytes(db.databaseName()), before);
    }

    // The reload holds the mutex from start to end: a punch written meanwhile by another
    // thread waits, then lands beside the kept ones.
    void punchDuringReloadIsKept()
    {
        seedPending(MODIF_PUNCH, u"P0"_s);
        QJsonObject tickets;
        for (int i = 0; i < 300; ++i) {
            tickets.insert(u"K%1"_s.arg(i), ticket(7, 1));
        }
        const QString path = db.databaseName();
        bool written = false;
        std::unique_ptr<QThread> door(QThread::create([&] {
            ThreadConnection connection(u"door"_s);
            CDataModif punch;
            punch.initDefaut();
            punch.STATUS = MODIF_STATUS_PENDING;
            punch.CODE_BARRE = u"P1"_s;
            written = openRepBDD(connection.db(), &mutex, path) && punch.ajouteSql(connection.db(), &mutex);
        }));
        run(bytes(QJsonObject{{"drop", true}, {"tickets", tickets}}), true, 10, [&](CThreadGet&) {
            door->start();
        });
        QVERIFY(door->wait());
        QVERIFY(written);
        QCOMPARE(rows(u"select CODE_BARRE,STATUS from MODIF order by ID"_s), (QStringList{u"P0|1"_s, u"P1|1"_s}));
        QCOMPARE(rows(u"select count(*) from BILLET"_s), QStringList{u"300"_s});
    }

    // A punch made here and not yet uploaded is not in the service's count: a ticket
    // the document rewrites keeps it, by a full reload or a delta re-sending it.
    // The barcode as the document writes it (JSON text), and as the table stores it.
    void pendingPunchOnRewrittenTicket_data()
    {
        QTest::addColumn<bool>("drop");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QString>("stored");
        QTest::newRow("full reload") << true << QByteArray("T1") << u"T1"_s;
        QTest::newRow("delta re-sending the ticket") << false << QByteArray("T1") << u"T1"_s;
        QTest::newRow("full reload, quote") << true << QByteArray("O'1") << u"O 1"_s;
        QTest::newRow("delta, quote") << false << QByteArray("O'1") << u"O 1"_s;
        QTest::newRow("delta, NUL") << false << QByteArray(R"(O\u00001)") << u"O 1"_s;
        QTest::newRow("delta, lone surrogate") << false << QByteArray(R"(O\ud8001)") << u"O 1"_s;
        // Two keys of one stored row: the second is counted against the first.
        QTest::newRow("delta, two keys") << false << QByteArray(R"(O 1":{"0":7,"7":1},"O'1)") << u"O 1"_s;
    }

    void pendingPunchOnRewrittenTicket()
    {
        QFETCH(bool, drop);
        QFETCH(QByteArray, key);
        QFETCH(QString, stored);
        seedTicket(stored, 7, 0);
        seedPending(MODIF_PUNCH_LAST, stored);
        seedTicket(u"T2"_s, 7, 2);
        QJsonObject document{{"tickets", QJsonObject{{"KEY", ticket(7, 1)}, {"T2", ticket(7, 2)}}}};
        if (drop) {
            document.insert("drop", true);
        }
        const QString counts = run(bytes(document).replace("KEY", key), true).last();
        QCOMPARE(rows(u"select CODE_BARRE,NB_COMPOSTAGE from BILLET order by 1"_s),
                 (QStringList{stored + u"|0"_s, u"T2|2"_s}));
        QCOMPARE(rows(u"select count(*) from MODIF where STATUS=1"_s), QStringList{u"1"_s});
        QCOMPARE(counts, u"nb:0,0"_s);
    }

    // With the settings switch on, the zone is saved and the event of an event file goes
    // to the main database; the caller's connection stays on the ticket list and the
    // main database gets no ticket tables. Without it the event data is ignored.
    void eventData()
    {
        QVERIFY(gParam->sauvegarde(QString(), true));
        const QByteArray document = R"({"params":{"dwd":1,"zo":" 12 ","id":4567},"tickets":{"A":{"15":1}},
            "evtData":{"pont":{"1":{"id":5}}, "event":{"10":{"id":90,"replist":[{"id":7}]},
            "9":{"id":88,"nom":"Gala","image":"g.png","replist":[{"id":1,"salle":"A"},{"id":0}]}}}})";
        const QString path = db.databaseName();
        QStringList out = run(document, true);
        QCOMPARE(out.mid(out.size() - 2), (QStringList{u"repfile:88,0,0,4567"_s, u"nb:1,0"_s}));
        QVERIFY(trace.join(u' ').endsWith(u"t:8 m:2 v:0 v:1 v:2"_s));
        QCOMPARE(db.databaseName(), path);
        QCOMPARE(rows(u"select CODE_BARRE from BILLET"_s), QStringList{u"A"_s});
        QCOMPARE(gParam->parametre(ZONE_KEST) + u' ' + gParam->parametre(REP_JOUR), u"12 1"_s);
        QVERIFY(fileBytes(appFolder() + u"/param.ini"_s).contains("ZONE_KEST=12\n"));
        QVERIFY(run(R"({"params":{"dwd":2,"zo":9},"evtData":{"event":{"1":{"id":71}}}})", true)
                    .filter(u"repfile"_s)
                    .isEmpty());
        QCOMPARE(gParam->parametre(ZONE_KEST), u"12"_s);

        ThreadConnection main(u"main"_s);
        QVERIFY(openBDD(main.db(), &mutex));
        QCOMPARE(sqlRows(main.db(), u"select ID,TYPE,NOM,IMAGE from EVENEMENT order by ID"_s),
                 (QStringList{u"88|0|Gala|g.png"_s, u"90|0||"_s}));
        QCOMPARE(sqlRows(main.db(), u"select ID,NOM_SALLE from REPRESENTATION where EVENEMENT_ID=88 order by ID"_s),
                 (QStringList{u"0|"_s, u"1|A"_s}));
        QCOMPARE(sqlRows(main.db(), u"select count(*) from sqlite_master where name='BILLET'"_s).value(0), u"0"_s);
        QVERIFY(run(R"({"params":{"dwd":1},"evtData":{"pont":{"1":{"id":5}}}})", true).contains(u"repfile:5,1,0,"_s));
        QVERIFY(trace.join(u' ').endsWith(u"t:8 t:9 m:1 v:0 v:1"_s));

        // A failed performance takes its event with it, and nothing is reported.
        QVERIFY(sqlRun(main.db(),
                       u"create trigger boom before insert on REPRESENTATION begin select raise(abort,'b'); end"_s));
        out = run(R"({"params":{"dwd":1},"evtData":{"event":{"1":{"id":70,"replist":[{"id":6}]}}}})", true);
        QVERIFY(out.filter(u"repfile:"_s).isEmpty());
        QCOMPARE(sqlRows(main.db(), u"select count(*) from EVENEMENT where ID=70"_s).value(0), u"0"_s);
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestCThreadGet)
#include "TestCThreadGet.moc"
