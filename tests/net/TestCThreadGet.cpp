#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "data/CDataDelta.h"
#include "data/CDataModif.h"
#include "net/CThreadGet.h"

#include "CoreFixture.h"
#include "DataFixture.h"
#include "TestMain.h"
#include "TicketListDocument.h"

#include <QFile>
#include <QThread>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;
using namespace ticketdoc;

namespace
{

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

    // Records each signal as "name:arg,arg", in emission order.
    template <typename Signal>
    static void record(CThreadGet& worker, Signal signal, const QString& name, QStringList& events)
    {
        const auto append = [&events, name](const auto&... args) {
            events.append(name + u':' + QStringList{QVariant::fromValue(args).toString()...}.join(u','));
        };
        connect(&worker, signal, &worker, append, Qt::DirectConnection);
    }

    // Runs the worker on the test's database and returns its signals in emission order.
    // `action` runs on the worker's thread when the progress shows message `atText`.
    QStringList
    run(const QByteArray& document, bool isDelta, int atText = -1, const std::function<void(CThreadGet&)>& action = {})
    {
        CThreadGet worker;
        QStringList events;
        record(worker, &CThreadGet::signalProgressShow, u"show"_s, events);
        record(worker, &CThreadGet::signalProgressText, u"text"_s, events);
        record(worker, &CThreadGet::signalProgressMax, u"max"_s, events);
        record(worker, &CThreadGet::signalProgressValue, u"value"_s, events);
        record(worker, &CThreadGet::signalError, u"error"_s, events);
        record(worker, &CThreadGet::signalRepFile, u"repfile"_s, events);
        record(worker, &CThreadGet::signalNbTicket, u"nb"_s, events);
        const auto onText = [&worker, atText, action](const QString& text) {
            if (action && text == msg(atText)) {
                action(worker);
            }
        };
        connect(&worker, &CThreadGet::signalProgressText, &worker, onText, Qt::DirectConnection);
        worker.setData(document, &mutex, db, isDelta);
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
        QVERIFY(sqlRun(db,
                       QString::asprintf("insert into BILLET (CODE_BARRE,EDITEUR_ID,IS_USABLE,IS_DELETED,"
                                         "NB_COMPOSTAGE) values ('%s',%d,1,%d,%d)",
                                         qPrintable(code),
                                         editeur,
                                         deleted,
                                         entries)));
    }

    void seedPending(int type, const QString& code, const char* time = "20:00:00")
    {
        QVERIFY(sqlRun(db,
                       QString::asprintf("insert into MODIF (TYPE,STATUS,AGENT_ID,REP_ID,EDITEUR_ID,CODE_BARRE,"
                                         "NEW_VALUE,DATE) values (%d,1,'17',77,7,'%s','','2024-05-01 %s')",
                                         type,
                                         qPrintable(code),
                                         time)));
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
    }

    // What cannot be read changes nothing, even in a full load; what parses but is not
    // an object is an object without members (the parse's own cases are jsonreply's).
    // Counts: the list had one live ticket.
    void parse_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("counts");
        QTest::addColumn<QStringList>("tickets");
        QTest::newRow("unclosed") << QByteArray(R"({"drop":1,)") << QString() << QStringList{};
        QTest::newRow("scalar") << QByteArray("5") << u"nb:-1,0"_s << QStringList{};
        QTest::newRow("array") << QByteArray(R"([{"drop":1}])") << u"nb:-1,0"_s << QStringList{};
        QTest::newRow("latin-1 name keeps its letters")
            << QByteArray("{\"tickets\":{\"A\":{\"9\":\"Caf\xe9 Th\xe9\xe2tre \xc3\xa9t\xc3\xa9\"}}}") << u"nb:0,1"_s
            << QStringList{u"A|Café Théâtre été"_s};
    }

    void parse()
    {
        QFETCH(QByteArray, data);
        QFETCH(QString, counts);
        QFETCH(QStringList, tickets);
        seedTicket(u"OLD"_s, 7, 1);
        seedPending(MODIF_PUNCH, u"OLD"_s);
        const QByteArray before = fileBytes(db.databaseName());

        const QStringList events = run(data, false);
        if (counts.isEmpty()) {
            QCOMPARE(events, (QStringList{u"error:Erreur,"_s + msg(3), u"nb:0,0"_s}));
            QCOMPARE(fileBytes(db.databaseName()), before);
            QCOMPARE(fixture::logLines().filter(u" - error - Erreur de decodage de la reponse JSON"_s).size(), 1);
            return;
        }
        QCOMPARE(rows(u"select CODE_BARRE,NOM_PORTEUR from BILLET"_s), tickets);
        QCOMPARE(rows(u"select CODE_BARRE,STATUS from MODIF"_s), QStringList{u"OLD|1"_s});
        QCOMPARE(events.last(), counts);
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

    void drop()
    {
        QFETCH(QByteArray, drop);
        QFETCH(bool, reload);
        seedTicket(u"OLD"_s, 7, 1);
        const QStringList events = run(R"({"si":"new","tickets":{"NEW":{"15":1}},"drop":)" + drop + '}', true);
        const QStringList reloadStart{u"text:"_s + msg(7), u"max:10"_s, u"value:0"_s, u"show:true"_s};
        QCOMPARE(events.mid(0, 4) == reloadStart, reload);
        QCOMPARE(rows(u"select CODE_BARRE from BILLET order by 1"_s),
                 reload ? QStringList{u"NEW"_s} : (QStringList{u"NEW"_s, u"OLD"_s}));
        QCOMPARE(rows(u"select count(*) from EDITEUR where ID=0"_s), QStringList{reload ? u"1"_s : u"0"_s});
        QCOMPARE(gParam->sessionId.get(), u"new"_s);
    }

    void deltaRow_data()
    {
        QTest::addColumn<QByteArray>("members");
        QTest::addColumn<QString>("stored");
        const QString context = u"|ag|md5|3"_s;
        QTest::newRow("number, 14 figures")
            << QByteArray(R"("dt":815,"da":"20140501203015")") << u"815|2014-05-01 20:30:15"_s + context;
        QTest::newRow("text, 12 figures")
            << QByteArray(R"("dt":"815","da":"201405012030")") << u"815|2014-05-01 20:30:00"_s + context;
        QTest::newRow("date alone") << QByteArray(R"("dt":815,"da":20140501)")
                                    << u"815|2014-05-01 00:00:00"_s + context;
        QTest::newRow("skipped hour") << QByteArray(R"("dt":815,"da":"20240331023000")")
                                      << u"815|2024-03-31 02:30:00"_s + context;
        QTest::newRow("database form") << QByteArray(R"("dt":815,"da":"2014-05-01 20:30:00")") << u"815|"_s + context;
        QTest::newRow("31 February") << QByteArray(R"("dt":815,"da":"20140231203000")") << u"815|"_s + context;
        QTest::newRow("hour 24") << QByteArray(R"("dt":815,"da":"20140501243000")") << u"815|"_s + context;
        QTest::newRow("no da") << QByteArray(R"("dt":815)") << u"815|"_s + context;
        QTest::newRow("same id again") << QByteArray(R"("dt":814,"da":"20140501203015")")
                                       << u"814|2014-05-01 20:30:15"_s + context;
        QTest::newRow("dt 0") << QByteArray(R"("dt":0,"da":"20140501203000")") << QString();
        QTest::newRow("dt letters") << QByteArray(R"("dt":"abc")") << QString();
        QTest::newRow("dt beyond 32 bits") << QByteArray(R"("dt":4294967301)") << QString();
    }

    // Rows accumulate, one per id; the requests then send the one written last.
    void deltaRow()
    {
        QFETCH(QByteArray, members);
        QFETCH(QString, stored);
        const QString earlier = u"814|2014-04-01 00:00:00|x|y|1"_s;
        QVERIFY(sqlRun(db, u"insert into DELTA values (814,'2014-04-01 00:00:00','x','y',1)"_s));
        run('{' + members + '}', true);
        QStringList expected{earlier};
        if (!stored.isEmpty()) {
            expected = stored.startsWith(u"814|"_s) ? QStringList{stored} : QStringList{earlier, stored};
        }
        QCOMPARE(rows(u"select ID,LAST_UPDATE,LOGIN,PASSWORD,ZONE_ID from DELTA order by rowid"_s), expected);
        CDataDelta delta;
        QVERIFY(delta.initParSql(db, &mutex));
        QCOMPARE(delta.ID, expected.last().section(u'|', 0, 0).toUInt());
    }

    // Names in text order, keys read as numbers with QString's rules, values as text.
    void referenceSections()
    {
        const QStringList events = run(R"({
            "rep":{"1234":{"debut":"2024-05-01 20:00:00","fin":"x\u0027y","evt":56,"comp":2},"abc":{"debut":5}},
            "evt":{"56":"Gala","9":5,"10":{}},
            "tarif":{"007":"A","x1":"B","-3":"C","4294967301":"D","12":"it\u0027s"},
            "agent":{"7":"a","07":"b","A-12":"c"}, "pub":{"0":"Issuer"}, "canal":[1,2]})",
                                       true);
        QCOMPARE(rows(u"select ID,EVENT_ID,NB_COMPOSTAGE,DATE_DEBUT,DATE_FIN from REP order by ID"_s),
                 (QStringList{u"0|0|0|5|"_s, u"1234|56|2|2024-05-01 20:00:00|x y"_s}));
        QCOMPARE(rows(u"select ID,NOM from EVENT order by ID"_s), (QStringList{u"9|5"_s, u"10|"_s, u"56|Gala"_s}));
        QCOMPARE(rows(u"select ID,NOM from TARIF order by ID"_s), (QStringList{u"0|B"_s, u"7|A"_s, u"12|it s"_s}));
        QCOMPARE(rows(u"select ID,NOM from AGENT order by ID"_s), (QStringList{u"07|b"_s, u"7|a"_s, u"A-12|c"_s}));
        QCOMPARE(rows(u"select ID,NOM from EDITEUR"_s), QStringList{u"0|Issuer"_s});
        QCOMPARE(rows(u"select count(*) from CANAL_VENTE"_s), QStringList{u"0"_s});
        const QString evt = u"text:"_s + msg(8);
        QCOMPARE(events.mid(events.indexOf(evt), 6).join(u' '), evt + u" max:3 value:0 value:1 value:2 value:3"_s);
        const QString canal = u"text:"_s + msg(19);
        QCOMPARE(events.mid(events.indexOf(canal), 2).join(u' '), canal + u" value:0"_s);
    }

    void ticketsAndSeats()
    {
        QJsonArray many;
        for (int i = 0; i < 98; ++i) {
            many.append(seat(i, u"S%1"_s.arg(i)));
        }
        QJsonObject document = QJsonDocument::fromJson(R"({"tickets":{"Y":[],
            "X":{"0":7,"1":500,"2":77,"17":4,"6":1,"7":0,"15":"3","9":"Nom","10":"Pre","11":"Ach","12":"Eur",
                 "13":"0601","14":"2024-04-01 10:00","19":"img/X.png","places":[{"3":12,"4":"R\u002712"}]}}})")
                                   .object();
        QJsonObject tickets = document["tickets"].toObject();
        tickets.insert("M1", ticket(7, 1, 0, many));
        tickets.insert(
            "M2",
            ticket(7, 1, 0, QJsonArray{seat(1, "a"), seat(1, "a"), seat(2, "b"), seat(3, "c"), seat(4, "d")}));
        document.insert("tickets", tickets);
        const QStringList events = run(bytes(document), false);
        QCOMPARE(rows(u"select * from BILLET where CODE_BARRE in ('X','Y') order by CODE_BARRE"_s),
                 (QStringList{u"500|X|7|77|4|1|0|Nom|Pre|0601|2024-04-01 10:00|Ach|Eur|0601|3|img/X.png|"_s,
                              u"0|Y|0|0|0|0|0||||||||0||"_s}));
        QCOMPARE(rows(u"select * from PLACE where CODE_BARRE='X'"_s), QStringList{u"X|12|7|R 12"_s});
        QCOMPARE(rows(u"select count(*) from PLACE where CODE_BARRE like 'M_'"_s), QStringList{u"103"_s});
        QCOMPARE(events.last(), u"nb:4,1"_s);
    }

    // Another entrance's change to a stored ticket, found without regard to case; the
    // expected NB_COMPOSTAGE|IS_USABLE|IS_DELETED and counts. This terminal's own row
    // is skipped only when its journal holds it (`journal`: that row's TYPE, 0 none).
    void deltaApplication_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("agent");
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("deleted");
        QTest::addColumn<int>("journal");
        QTest::addColumn<QString>("after");
        QTest::newRow("8 uses the last entry") << 8 << u"170"_s << 1 << 0 << 0 << u"0|1|0 nb:0,1 rows:1"_s;
        QTest::newRow("3 on two entries") << 3 << u"20"_s << 2 << 0 << 0 << u"1|0|0 nb:0,0 rows:1"_s;
        QTest::newRow("3 on none") << 3 << u"20"_s << 0 << 0 << 0 << u"0|0|0 nb:0,0 rows:1"_s;
        QTest::newRow("4 gives one back") << 4 << u"20"_s << 0 << 0 << 0 << u"1|1|0 nb:0,-1 rows:1"_s;
        QTest::newRow("16 has no bound") << 16 << u"20"_s << 3 << 0 << 0 << u"4|1|0 nb:0,0 rows:1"_s;
        QTest::newRow("1 on a used-up ticket") << 1 << u"20"_s << 0 << 0 << 0 << u"0|1|1 nb:-1,-1 rows:1"_s;
        QTest::newRow("1 on a deleted ticket") << 1 << u"20"_s << 1 << 1 << 0 << u"1|1|1 nb:0,0 rows:1"_s;
        QTest::newRow("8 on a deleted ticket") << 8 << u"20"_s << 1 << 1 << 0 << u"0|1|1 nb:0,0 rows:1"_s;
        QTest::newRow("99 changes nothing") << 99 << u"20"_s << 1 << 0 << 0 << u"1|1|0 nb:0,0 rows:1"_s;
        QTest::newRow("own punch in the journal") << 8 << u"17"_s << 1 << 0 << 3 << u"1|1|0 nb:0,0 rows:1"_s;
        QTest::newRow("own punch the journal lacks") << 8 << u"17"_s << 1 << 0 << 0 << u"0|1|0 nb:0,1 rows:1"_s;
        QTest::newRow("own un-punch beside a punch") << 16 << u"17"_s << 0 << 0 << 8 << u"1|1|0 nb:0,-1 rows:2"_s;
    }

    void deltaApplication()
    {
        QFETCH(int, type);
        QFETCH(QString, agent);
        QFETCH(int, entries);
        QFETCH(int, deleted);
        QFETCH(int, journal);
        QFETCH(QString, after);
        seedTicket(u"T1"_s, 7, entries, deleted);
        if (journal != 0) {
            QVERIFY(sqlRun(db,
                           QString::asprintf("insert into MODIF (TYPE,STATUS,AGENT_ID,EDITEUR_ID,CODE_BARRE,DATE) "
                                             "values (%d,0,'17',7,'t1','2024-05-01 20:30:00')",
                                             journal)));
        }
        const QJsonObject modifs{{"t1", QJsonArray{modif(type, agent, 7)}}, {"NONE", QJsonArray{modif(8, "20", 7)}}};
        const QString counts = run(bytes(QJsonObject{{"modifs", modifs}}), true).last();
        QCOMPARE(rows(u"select NB_COMPOSTAGE,IS_USABLE,IS_DELETED from BILLET"_s).value(0) + u' ' + counts + u" rows:"_s
                     + rows(u"select count(*) from MODIF where CODE_BARRE='t1'"_s).value(0),
                 after);
        QCOMPARE(rows(u"select count(*) from MODIF where CODE_BARRE='NONE' and STATUS=0"_s), QStringList{u"1"_s});
    }

    // The counts are the true changes against the stored rows (T1 live with an entry,
    // T2 live used up, T3 deleted); T1's row afterwards.
    void counts_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QString>("counts");
        QTest::addColumn<QString>("t1");
        const QString t1 = u"T1|7|1"_s;
        QTest::newRow("re-sent unchanged") << QByteArray(R"({"tickets":{"T1":{"0":7,"15":1}}})") << "nb:0,0" << t1;
        QTest::newRow("new used up") << QByteArray(R"({"tickets":{"N":{"0":7}}})") << "nb:1,1" << t1;
        QTest::newRow("deleted in tickets") << QByteArray(R"({"tickets":{"T2":{"0":7,"7":1}}})") << "nb:-1,-1" << t1;
        QTest::newRow("deleted one back") << QByteArray(R"({"tickets":{"T3":{"0":7,"15":2}}})") << "nb:1,0" << t1;
        QTest::newRow("other issuer beside") << QByteArray(R"({"tickets":{"T1":{"0":8,"15":1}}})") << "nb:1,0" << t1;
        QTest::newRow("in tickets, not applied")
            << QByteArray(R"({"tickets":{"T1":{"0":7}},"modifs":{"T1":[{"0":7,"4":16,"9":"20"}]}})") << "nb:0,1"
            << u"T1|7|0"_s;
        QTest::newRow("drop: new totals minus old")
            << QByteArray(R"({"drop":1,"tickets":{"A":{"0":7},"B":{"0":7,"15":2},"T1":{"0":7,"15":1}}})") << "nb:1,0"
            << t1;
    }

    void counts()
    {
        QFETCH(QByteArray, document);
        QFETCH(QString, counts);
        QFETCH(QString, t1);
        seedTicket(u"T1"_s, 7, 1);
        seedTicket(u"T2"_s, 7, 0);
        seedTicket(u"T3"_s, 7, 1, 1);
        QCOMPARE(run(document, true).last(), counts);
        QCOMPARE(
            rows(u"select CODE_BARRE,EDITEUR_ID,NB_COMPOSTAGE from BILLET where CODE_BARRE='T1' order by 2"_s).value(0),
            t1);
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
    // duplicates included, however many there are; history comes after them.
    void reloadKeepsPending_data()
    {
        QTest::addColumn<int>("pending");
        QTest::addColumn<int>("barcodes");
        QTest::addColumn<int>("rowsEach");
        QTest::newRow("duplicates, punch then un-punch, 250 history") << 4 << 250 << 1;
        QTest::newRow("600 pending, 600 history of one barcode") << 600 << 1 << 600;
    }

    void reloadKeepsPending()
    {
        QFETCH(int, pending);
        QFETCH(int, barcodes);
        QFETCH(int, rowsEach);
        QVERIFY(db.transaction());
        seedPending(MODIF_PUNCH, u"A"_s);
        seedPending(MODIF_PUNCH, u"A"_s);
        seedPending(MODIF_PUNCH_LAST, u"A"_s, "20:00:01");
        seedPending(MODIF_UNPUNCH_LAST, u"A"_s, "20:00:02");
        for (int i = 4; i < pending; ++i) {
            seedPending(MODIF_FRAUDE, u"P%1"_s.arg(i));
        }
        QVERIFY(db.commit());
        const QStringList kept = rows(kJournal);
        QJsonObject history;
        for (int b = 0; b < barcodes; ++b) {
            QJsonArray list;
            for (int r = 0; r < rowsEach; ++r) {
                list.append(modif(16, "20", 7));
            }
            history.insert(u"H%1"_s.arg(b, 3, 10, QLatin1Char('0')), list);
        }
        run(bytes(QJsonObject{{"drop", true}, {"modifs", history}}), true);
        const QStringList after = rows(kJournal);
        QCOMPARE(after.mid(0, pending), kept);
        QCOMPARE(rows(u"select count(*) from MODIF where STATUS=0 and ID>%1"_s.arg(pending)).value(0).toInt(),
                 after.size() - pending);
        QCOMPARE(after.size() - pending, barcodes * rowsEach);
    }

    // One statement failing, or a stop request, leaves the file as it was: DELTA, the
    // tickets and the pending punches, for a delta as for a full reload.
    void nothingHalfWritten_data()
    {
        QTest::addColumn<bool>("drop");
        QTest::addColumn<bool>("stop");
        QTest::newRow("failing ticket in a delta") << false << false;
        QTest::newRow("failing ticket in a drop") << true << false;
        QTest::newRow("stop requested") << true << true;
    }

    void nothingHalfWritten()
    {
        QFETCH(bool, drop);
        QFETCH(bool, stop);
        seedTicket(u"T1"_s, 7, 1);
        seedPending(MODIF_PUNCH, u"T1"_s);
        QVERIFY(sqlRun(db, u"insert into DELTA values (815,'2014-05-01 20:30:00','ag','md5',3)"_s));
        QVERIFY(sqlRun(db,
                       u"create trigger boom before insert on BILLET when new.CODE_BARRE='ZBOOM' begin "
                       "select raise(abort,'boom'); end"_s));
        // The failing ticket comes in the second statement of tickets.
        QJsonObject tickets{{"ZBOOM", ticket(7, 1)}};
        for (int i = 0; i < 150; ++i) {
            tickets.insert(u"K%1"_s.arg(i, 3, 10, QLatin1Char('0')), ticket(7, 1));
        }
        const QJsonObject document{{"drop", drop},
                                   {"dt", 816},
                                   {"rep", QJsonObject{{"9999", QJsonObject{}}}},
                                   {"tickets", tickets},
                                   {"modifs", QJsonObject{{"T1", QJsonArray{modif(8, "20", 7)}}}}};
        const QByteArray before = fileBytes(db.databaseName());
        const QStringList kept = rows(kJournal);
        const QStringList events = run(bytes(document), true, stop ? 10 : -1, [](CThreadGet& worker) {
            worker.requestInterruption();
        });
        QCOMPARE(events.last(), u"nb:0,0"_s);
        QCOMPARE(fileBytes(db.databaseName()), before);
        QCOMPARE(rows(kJournal), kept);
        QVERIFY(fixture::logContains(u"Liste des billets non enregistree"_s));
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
    void pendingPunchOnRewrittenTicket_data()
    {
        QTest::addColumn<bool>("drop");
        QTest::newRow("full reload") << true;
        QTest::newRow("delta re-sending the ticket") << false;
    }

    void pendingPunchOnRewrittenTicket()
    {
        QFETCH(bool, drop);
        seedTicket(u"T1"_s, 7, 0);
        seedPending(MODIF_PUNCH_LAST, u"T1"_s);
        seedTicket(u"T2"_s, 7, 2);
        QJsonObject document{{"tickets", QJsonObject{{"T1", ticket(7, 1)}, {"T2", ticket(7, 2)}}}};
        if (drop) {
            document.insert("drop", true);
        }
        const QString counts = run(bytes(document), true).last();
        QCOMPARE(rows(u"select CODE_BARRE,NB_COMPOSTAGE from BILLET order by 1"_s), (QStringList{"T1|0", "T2|2"}));
        QCOMPARE(rows(u"select count(*) from MODIF where STATUS=1"_s), QStringList{u"1"_s});
        QCOMPARE(counts, u"nb:0,0"_s);
    }

    // ZONE_KEST and REP_JOUR afterwards (saved); without the switch the event data is
    // ignored too.
    void settingsSwitch_data()
    {
        QTest::addColumn<QByteArray>("params");
        QTest::addColumn<QString>("settings");
        QTest::newRow("zone with blanks") << QByteArray(R"({"dwd":1,"zo":" 7 "})") << u"7 1"_s;
        QTest::newRow("zone 0 as text") << QByteArray(R"({"dwd":"1","zo":"0"})") << u"0 0"_s;
        QTest::newRow("no zone") << QByteArray(R"({"dwd":true})") << u" 0"_s;
        QTest::newRow("dwd 2") << QByteArray(R"({"dwd":2,"zo":9})") << u"3 0"_s;
        QTest::newRow("dwd letters") << QByteArray(R"({"dwd":"x","zo":9})") << u"3 0"_s;
        QTest::newRow("settings file gone") << QByteArray(R"({"dwd":1,"zo":5})") << u"5 1"_s;
    }

    void settingsSwitch()
    {
        QFETCH(QByteArray, params);
        QFETCH(QString, settings);
        const bool fileGone = QTest::currentDataTag() == "settings file gone"_ba;
        QVERIFY(gParam->sauvegarde(QString(), true));
        QVERIFY(!fileGone || QFile::remove(appFolder() + u"/param.ini"_s));
        const QStringList events = run(R"({"evtData":{"event":{"1":{"id":5}}},"params":)" + params + '}', true);
        QCOMPARE(gParam->parametre(ZONE_KEST) + u' ' + gParam->parametre(REP_JOUR), settings);
        const QString saved = QString::fromLatin1(fileBytes(appFolder() + u"/param.ini"_s));
        QCOMPARE(saved.contains(u"ZONE_KEST="_s + gParam->parametre(ZONE_KEST) + u'\n'), !fileGone);
        QCOMPARE(fixture::logContains(u" - error - Erreur de sauvegarde des parametres"_s), fileGone);
        QCOMPARE(events.filter(u"repfile:"_s).size(), settings == u"3 0"_s ? 0 : 1);
    }

    // The event of an event file goes to the main database; the caller's connection
    // stays on the ticket list and the main database gets no ticket tables.
    void eventData()
    {
        const QByteArray document = R"({"params":{"dwd":1,"zo":"12","id":4567},"tickets":{"A":{"15":1}},
            "evtData":{"pont":{"1":{"id":5}}, "event":{"10":{"id":90,"replist":[{"id":7}]},
            "9":{"id":88,"nom":"Gala","image":"g.png","replist":[{"id":1,"salle":"A"},{"id":0}]}}}})";
        const QString path = db.databaseName();
        QStringList out = run(document, true);
        QCOMPARE(out.mid(out.size() - 2), (QStringList{u"repfile:88,0,0,4567"_s, u"nb:1,0"_s}));
        QCOMPARE(db.databaseName(), path);
        QCOMPARE(rows(u"select CODE_BARRE from BILLET"_s), QStringList{u"A"_s});

        ThreadConnection main(u"main"_s);
        QVERIFY(openBDD(main.db(), &mutex));
        QCOMPARE(sqlRows(main.db(), u"select ID,TYPE,NOM,IMAGE from EVENEMENT order by ID"_s),
                 (QStringList{u"88|0|Gala|g.png"_s, u"90|0||"_s}));
        QCOMPARE(sqlRows(main.db(), u"select ID,NOM_SALLE from REPRESENTATION where EVENEMENT_ID=88 order by ID"_s),
                 (QStringList{u"0|"_s, u"1|A"_s}));
        QCOMPARE(sqlRows(main.db(), u"select count(*) from sqlite_master where name='BILLET'"_s).value(0), u"0"_s);

        out = run(R"({"params":{"dwd":1},"evtData":{"pont":{"1":{"id":5}}}})", true);
        const QStringList texts = out.filter(u"text:"_s);
        QCOMPARE(texts.mid(texts.size() - 2), (QStringList{u"text:"_s + msg(8), u"text:"_s + msg(9)}));
        QVERIFY(out.contains(u"repfile:5,1,0,"_s));

        // A failed performance takes its event with it, and nothing is reported.
        QVERIFY(sqlRun(main.db(),
                       u"create trigger boom before insert on REPRESENTATION begin select raise(abort,'b'); end"_s));
        out = run(R"({"params":{"dwd":1},"evtData":{"event":{"1":{"id":70,"replist":[{"id":6}]}}}})", true);
        QVERIFY(out.filter(u"repfile:"_s).isEmpty()
                && fixture::logContains(u"Evenement de la liste des billets non enregistre"_s));
        QCOMPARE(sqlRows(main.db(), u"select count(*) from EVENEMENT where ID=70"_s).value(0), u"0"_s);
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestCThreadGet)
#include "TestCThreadGet.moc"
