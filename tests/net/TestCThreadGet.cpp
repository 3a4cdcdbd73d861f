#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "data/CDataBillet.h"
#include "data/CDataDelta.h"
#include "data/CDataModif.h"
#include "net/CThreadGet.h"

#include "CoreFixture.h"
#include "DataFixture.h"
#include "TestMain.h"
#include "TicketListDocument.h"

#include <QFile>
#include <QMutexLocker>
#include <QThread>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;
using namespace ticketdoc;

namespace
{

const QString kTickets = u"select CODE_BARRE,EDITEUR_ID,NB_COMPOSTAGE,IS_USABLE,IS_DELETED from BILLET order by 1,2"_s;
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

    // Runs the worker on the test's database; `hook` may connect more (direct) before
    // the start. Returns the signals in emission order.
    QStringList run(const QByteArray& document, bool isDelta, const std::function<void(CThreadGet&)>& hook = {})
    {
        CThreadGet worker;
        QStringList events;
        const auto record = [&events](const QString& event) {
            events.append(event);
        };
        const auto direct = Qt::DirectConnection;
        connect(
            &worker,
            &CThreadGet::signalProgressShow,
            &worker,
            [=](bool on) {
                record(u"show:%1"_s.arg(on));
            },
            direct);
        connect(
            &worker,
            &CThreadGet::signalProgressText,
            &worker,
            [=](const QString& t) {
                record(u"text:"_s + t);
            },
            direct);
        connect(
            &worker,
            &CThreadGet::signalProgressMax,
            &worker,
            [=](uint max) {
                record(u"max:%1"_s.arg(max));
            },
            direct);
        connect(
            &worker,
            &CThreadGet::signalProgressValue,
            &worker,
            [=](uint v) {
                record(u"value:%1"_s.arg(v));
            },
            direct);
        connect(
            &worker,
            &CThreadGet::signalError,
            &worker,
            [=](const QString& title, const QString& text) {
                record(u"error:%1/%2"_s.arg(title, text));
            },
            direct);
        connect(
            &worker,
            &CThreadGet::signalRepFile,
            &worker,
            [=](uint event, uint type, uint rep, const QString& id) {
                record(u"repfile:%1,%2,%3,%4"_s.arg(event).arg(type).arg(rep).arg(id));
            },
            direct);
        connect(
            &worker,
            &CThreadGet::signalNbTicket,
            &worker,
            [=](int tickets, int punched) {
                record(u"nb:%1,%2"_s.arg(tickets).arg(punched));
            },
            direct);
        if (hook) {
            hook(worker);
        }
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
                       u"insert into BILLET (CODE_BARRE,EDITEUR_ID,IS_USABLE,IS_DELETED,NB_COMPOSTAGE) values "
                       "('%1',%2,1,%3,%4)"_s.arg(code)
                           .arg(editeur)
                           .arg(deleted)
                           .arg(entries)));
    }

    void seedPending(int type, const QString& code, const QString& date = u"2024-05-01 20:00:00"_s)
    {
        QVERIFY(sqlRun(db,
                       u"insert into MODIF (TYPE,STATUS,AGENT_ID,REP_ID,EDITEUR_ID,CODE_BARRE,NEW_VALUE,DATE) values "
                       "(%1,1,'17',77,7,'%2','','%3')"_s.arg(type)
                           .arg(code, date)));
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

    // What cannot be read changes nothing, even in a full load; what was read as a
    // document that is not an object before is still one without members.
    void parse_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("counts");
        QTest::addColumn<QStringList>("tickets");
        QTest::newRow("unclosed") << QByteArray("{\"drop\":1,") << QString() << QStringList{};
        QTest::newRow("empty") << QByteArray() << QString() << QStringList{};
        QTest::newRow("two scalars") << QByteArray("1,2") << QString() << QStringList{};
        QTest::newRow("trailing garbage") << QByteArray("{} x") << QString() << QStringList{};
        QTest::newRow("blank") << QByteArray(" \n") << u"nb:-1,0"_s << QStringList{};
        QTest::newRow("scalar") << QByteArray("5") << u"nb:-1,0"_s << QStringList{};
        QTest::newRow("array") << QByteArray("[{\"drop\":1}]") << u"nb:-1,0"_s << QStringList{};
        QTest::newRow("latin-1") << QByteArray("{\"tickets\":{\"A\":{\"9\":\"caf\xe9\"}}}") << u"nb:0,1"_s
                                 << QStringList{u"A|caf\uFFFD"_s};
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
            QCOMPARE(events, (QStringList{u"error:Erreur/"_s + msg(3), u"nb:0,0"_s}));
            QCOMPARE(fileBytes(db.databaseName()), before);
            QCOMPARE(fixture::logLines().filter(u" - error - Erreur de decodage de la reponse JSON"_s).size(), 1);
            return;
        }
        // A full load: the list is replaced, the pending punch stays.
        QCOMPARE(rows(u"select CODE_BARRE,NOM_PORTEUR from BILLET"_s), tickets);
        QCOMPARE(rows(u"select CODE_BARRE,STATUS from MODIF"_s), QStringList{u"OLD|1"_s});
        QCOMPARE(events.last(), counts);
    }

    void drop_data()
    {
        QTest::addColumn<QJsonValue>("drop");
        QTest::addColumn<bool>("reload");
        QTest::newRow("text false") << QJsonValue(u"false"_s) << false;
        QTest::newRow("text FALSE") << QJsonValue(u"FALSE"_s) << false;
        QTest::newRow("text 0") << QJsonValue(u"0"_s) << false;
        QTest::newRow("number 0") << QJsonValue(0) << false;
        QTest::newRow("false") << QJsonValue(false) << false;
        QTest::newRow("null") << QJsonValue(QJsonValue::Null) << false;
        QTest::newRow("object") << QJsonValue(QJsonObject{{"a", 1}}) << false;
        QTest::newRow("number 1") << QJsonValue(1) << true;
        QTest::newRow("text x") << QJsonValue(u"x"_s) << true;
        QTest::newRow("true") << QJsonValue(true) << true;
    }

    void drop()
    {
        QFETCH(QJsonValue, drop);
        QFETCH(bool, reload);
        seedTicket(u"OLD"_s, 7, 1);
        const QStringList events =
            run(bytes(QJsonObject{{"drop", drop}, {"si", "new"}, {"tickets", QJsonObject{{"NEW", ticket(7, 1)}}}}),
                true);
        const QStringList reloadStart{u"text:"_s + msg(7), u"max:10"_s, u"value:0"_s, u"show:1"_s};
        QCOMPARE(events.mid(0, 4) == reloadStart, reload);
        QCOMPARE(rows(u"select CODE_BARRE from BILLET order by 1"_s),
                 reload ? QStringList{u"NEW"_s} : (QStringList{u"NEW"_s, u"OLD"_s}));
        QCOMPARE(rows(u"select count(*) from EDITEUR where ID=0"_s), QStringList{reload ? u"1"_s : u"0"_s});
        QCOMPARE(gParam->sessionId.get(), u"new"_s);
    }

    void deltaRow_data()
    {
        QTest::addColumn<QJsonValue>("dt");
        QTest::addColumn<QJsonValue>("da");
        QTest::addColumn<QString>("stored");
        const QString context = u"|ag|md5|3"_s;
        QTest::newRow("number, 14 figures")
            << QJsonValue(815) << QJsonValue(u"20140501203015"_s) << u"815|2014-05-01 20:30:15"_s + context;
        QTest::newRow("text, 12 figures")
            << QJsonValue(u"815"_s) << QJsonValue(u"201405012030"_s) << u"815|2014-05-01 20:30:00"_s + context;
        QTest::newRow("date alone") << QJsonValue(815) << QJsonValue(20140501)
                                    << u"815|2014-05-01 00:00:00"_s + context;
        QTest::newRow("skipped hour") << QJsonValue(815) << QJsonValue(u"20240331023000"_s)
                                      << u"815|2024-03-31 02:30:00"_s + context;
        QTest::newRow("database form") << QJsonValue(815) << QJsonValue(u"2014-05-01 20:30:00"_s)
                                       << u"815|"_s + context;
        QTest::newRow("31 February") << QJsonValue(815) << QJsonValue(u"20140231203000"_s) << u"815|"_s + context;
        QTest::newRow("hour 24") << QJsonValue(815) << QJsonValue(u"20140501243000"_s) << u"815|"_s + context;
        QTest::newRow("no da") << QJsonValue(815) << QJsonValue(QJsonValue::Undefined) << u"815|"_s + context;
        QTest::newRow("dt 0") << QJsonValue(0) << QJsonValue(u"20140501203000"_s) << QString();
        QTest::newRow("dt letters") << QJsonValue(u"abc"_s) << QJsonValue(u"20140501203000"_s) << QString();
        QTest::newRow("dt beyond 32 bits") << QJsonValue(4294967301LL) << QJsonValue(u"x"_s) << QString();
    }

    void deltaRow()
    {
        QFETCH(QJsonValue, dt);
        QFETCH(QJsonValue, da);
        QFETCH(QString, stored);
        QJsonObject document{{"dt", dt}};
        document.insert("da", da);
        run(bytes(document), true);
        QCOMPARE(rows(u"select ID,LAST_UPDATE,LOGIN,PASSWORD,ZONE_ID from DELTA"_s),
                 stored.isEmpty() ? QStringList{} : QStringList{stored});
    }

    // Rows accumulate by id; the requests read the one written last.
    void deltaRowsAccumulate()
    {
        for (int dt : {815, 816, 815}) {
            run(bytes(QJsonObject{{"dt", dt}, {"da", u"2014050120%1"_s.arg(dt - 800)}}), true);
        }
        QCOMPARE(rows(u"select ID,LAST_UPDATE from DELTA order by ID"_s),
                 (QStringList{u"815|2014-05-01 20:15:00"_s, u"816|2014-05-01 20:16:00"_s}));
        CDataDelta delta;
        QVERIFY(delta.initParSql(db, &mutex));
        QCOMPARE(delta.ID, 815u);
    }

    // Names in text order, keys read as numbers with QString's rules, values as text.
    void referenceSections()
    {
        const QJsonObject document{
            {"rep",
             QJsonObject{
                 {"1234", QJsonObject{{"debut", "2024-05-01 20:00:00"}, {"fin", "x'y"}, {"evt", 56}, {"comp", 2}}},
                 {"abc", QJsonObject{{"debut", 5}}}}},
            {"evt", QJsonObject{{"56", "Gala"}, {"9", 5}, {"10", QJsonObject{}}}},
            {"tarif", QJsonObject{{"007", "A"}, {"x1", "B"}, {"-3", "C"}, {"4294967301", "D"}, {"12", "it's"}}},
            {"agent", QJsonObject{{"7", "a"}, {"07", "b"}, {"A-12", "c"}}},
            {"pub", QJsonObject{{"0", "Issuer"}}},
            {"canal", QJsonArray{1, 2}},
        };
        const QStringList events = run(bytes(document), true);
        QCOMPARE(rows(u"select ID,EVENT_ID,NB_COMPOSTAGE,DATE_DEBUT,DATE_FIN from REP order by ID"_s),
                 (QStringList{u"0|0|0|5|"_s, u"1234|56|2|2024-05-01 20:00:00|x y"_s}));
        QCOMPARE(rows(u"select ID,NOM from EVENT order by ID"_s), (QStringList{u"9|5"_s, u"10|"_s, u"56|Gala"_s}));
        QCOMPARE(rows(u"select ID,NOM from TARIF order by ID"_s), (QStringList{u"0|B"_s, u"7|A"_s, u"12|it s"_s}));
        QCOMPARE(rows(u"select ID,NOM from AGENT order by ID"_s), (QStringList{u"07|b"_s, u"7|a"_s, u"A-12|c"_s}));
        QCOMPARE(rows(u"select ID,NOM from EDITEUR"_s), QStringList{u"0|Issuer"_s});
        QCOMPARE(rows(u"select count(*) from CANAL_VENTE"_s), QStringList{u"0"_s});
        const qsizetype evt = events.indexOf(u"text:"_s + msg(8));
        QCOMPARE(
            events.mid(evt, 6),
            (QStringList{u"text:"_s + msg(8), u"max:3"_s, u"value:0"_s, u"value:1"_s, u"value:2"_s, u"value:3"_s}));
        const qsizetype canal = events.indexOf(u"text:"_s + msg(19));
        QCOMPARE(events.mid(canal, 2), (QStringList{u"text:"_s + msg(19), u"value:0"_s}));
    }

    void ticketsAndSeats()
    {
        QJsonArray many;
        for (int i = 0; i < 98; ++i) {
            many.append(seat(i, u"S%1"_s.arg(i)));
        }
        const QJsonObject full{{"0", 7},
                               {"1", 500},
                               {"2", 77},
                               {"17", 4},
                               {"6", 1},
                               {"7", 0},
                               {"15", "3"},
                               {"9", "Nom"},
                               {"10", "Pre"},
                               {"11", "Ach"},
                               {"12", "Eur"},
                               {"13", "0601"},
                               {"14", "2024-04-01 10:00"},
                               {"19", "http://img"},
                               {"places", QJsonArray{seat(12, "R'12")}}};
        const QJsonObject tickets{
            {"X", full},
            {"Y", QJsonArray{}},
            {"M1", ticket(7, 1, 0, many)},
            {"M2", ticket(7, 1, 0, QJsonArray{seat(1, "a"), seat(1, "a"), seat(2, "b"), seat(3, "c"), seat(4, "d")})}};
        const QStringList events = run(bytes(QJsonObject{{"tickets", tickets}}), false);
        QCOMPARE(rows(u"select * from BILLET where CODE_BARRE in ('X','Y') order by CODE_BARRE"_s),
                 (QStringList{u"500|X|7|77|4|1|0|Nom|Pre|0601|2024-04-01 10:00|Ach|Eur|0601|3|http://img|"_s,
                              u"0|Y|0|0|0|0|0||||||||0||"_s}));
        QCOMPARE(rows(u"select * from PLACE where CODE_BARRE='X'"_s), QStringList{u"X|12|7|R 12"_s});
        QCOMPARE(rows(u"select count(*) from PLACE where CODE_BARRE like 'M_'"_s), QStringList{u"103"_s});
        QCOMPARE(events.last(), u"nb:4,1"_s);
    }

    // Another entrance's change to a stored ticket (found without regard to case).
    void deltaApplication_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("agent");
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("deleted");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("counts");
        QTest::newRow("8 uses the last entry") << 8 << "170" << 1 << 0 << "0|1|0"
                                               << "nb:0,1";
        QTest::newRow("3 on two entries") << 3 << "20" << 2 << 0 << "1|0|0"
                                          << "nb:0,0";
        QTest::newRow("3 on none") << 3 << "20" << 0 << 0 << "0|0|0"
                                   << "nb:0,0";
        QTest::newRow("4 gives one back") << 4 << "20" << 0 << 0 << "1|1|0"
                                          << "nb:0,-1";
        QTest::newRow("16 has no bound") << 16 << "20" << 3 << 0 << "4|1|0"
                                         << "nb:0,0";
        QTest::newRow("1 on a used-up ticket") << 1 << "20" << 0 << 0 << "0|1|1"
                                               << "nb:-1,-1";
        QTest::newRow("1 on a deleted ticket") << 1 << "20" << 1 << 1 << "1|1|1"
                                               << "nb:0,0";
        QTest::newRow("8 on a deleted ticket") << 8 << "20" << 1 << 1 << "0|1|1"
                                               << "nb:0,0";
        QTest::newRow("99 changes nothing") << 99 << "20" << 1 << 0 << "1|1|0"
                                            << "nb:0,0";
        QTest::newRow("own row skipped") << 8 << "17" << 1 << 0 << "1|1|0"
                                         << "nb:0,0";
    }

    void deltaApplication()
    {
        QFETCH(int, type);
        QFETCH(QString, agent);
        QFETCH(int, entries);
        QFETCH(int, deleted);
        QFETCH(QString, after);
        QFETCH(QString, counts);
        seedTicket(u"T1"_s, 7, entries, deleted);
        const QJsonObject modifs{{"t1", QJsonArray{modif(type, agent, 7)}}, {"NONE", QJsonArray{modif(8, "20", 7)}}};
        QCOMPARE(run(bytes(QJsonObject{{"modifs", modifs}}), true).last(), counts);
        QCOMPARE(rows(u"select NB_COMPOSTAGE,IS_USABLE,IS_DELETED from BILLET"_s), QStringList{after});
        QCOMPARE(rows(u"select count(*) from MODIF where CODE_BARRE='t1'"_s),
                 QStringList{agent == u"17"_s ? u"0"_s : u"1"_s});
        QCOMPARE(rows(u"select count(*) from MODIF where CODE_BARRE='NONE' and STATUS=0"_s), QStringList{u"1"_s});
    }

    // The counts are the true changes against the stored rows (T1 live with an entry,
    // T2 live used up, T3 deleted).
    void counts_data()
    {
        QTest::addColumn<QJsonObject>("document");
        QTest::addColumn<QString>("counts");
        QTest::addColumn<QString>("t1");
        const auto tickets = [](const QJsonObject& list) {
            return QJsonObject{{"tickets", list}};
        };
        QTest::newRow("re-sent unchanged") << tickets({{"T1", ticket(7, 1)}}) << "nb:0,0"
                                           << "T1|7|1|1|0";
        QTest::newRow("new used up") << tickets({{"N", ticket(7, 0)}}) << "nb:1,1"
                                     << "T1|7|1|1|0";
        QTest::newRow("deleted through tickets") << tickets({{"T2", ticket(7, 0, 1)}}) << "nb:-1,-1"
                                                 << "T1|7|1|1|0";
        QTest::newRow("deleted one back") << tickets({{"T3", ticket(7, 2)}}) << "nb:1,0"
                                          << "T1|7|1|1|0";
        QTest::newRow("other issuer beside") << tickets({{"T1", ticket(8, 1)}}) << "nb:1,0"
                                             << "T1|7|1|1|0";
        QTest::newRow("in tickets, not applied")
            << QJsonObject{{"tickets", QJsonObject{{"T1", ticket(7, 0)}}},
                           {"modifs", QJsonObject{{"T1", QJsonArray{modif(16, "20", 7)}}}}}
            << "nb:0,1"
            << "T1|7|0|1|0";
        QTest::newRow("drop: new totals minus old")
            << QJsonObject{{"drop", true},
                           {"tickets", QJsonObject{{"A", ticket(7, 0)}, {"B", ticket(7, 2)}, {"T1", ticket(7, 1)}}}}
            << "nb:1,0"
            << "T1|7|1|1|0";
    }

    void counts()
    {
        QFETCH(QJsonObject, document);
        QFETCH(QString, counts);
        QFETCH(QString, t1);
        seedTicket(u"T1"_s, 7, 1);
        seedTicket(u"T2"_s, 7, 0);
        seedTicket(u"T3"_s, 7, 1, 1);
        QCOMPARE(run(bytes(document), true).last(), counts);
        QCOMPARE(rows(kTickets).filter(u"T1|"_s).first(), t1);
    }

    // A re-sent ticket's seats replace its stored ones; each history row has its own
    // date, the own terminal's rows included in a full load.
    void resentSeatsAndHistoryDates()
    {
        seedTicket(u"T1"_s, 7, 1);
        QVERIFY(sqlRun(db, u"insert into PLACE values ('T1',1,7,'old'),('T1',2,7,'old'),('T1',1,8,'other')"_s));
        run(bytes(QJsonObject{{"tickets", QJsonObject{{"T1", ticket(7, 1, 0, QJsonArray{seat(12, "R12")})}}}}), true);
        QCOMPARE(rows(u"select * from PLACE order by EDITEUR_ID"_s),
                 (QStringList{u"T1|12|7|R12"_s, u"T1|1|8|other"_s}));

        const QJsonArray history{modif(8, "20", 7, "20140512103015"),
                                 modif(8, "17", 7, "bad"),
                                 modif(8, "20", 7, "201405121030")};
        run(bytes(QJsonObject{{"modifs", QJsonObject{{"A", history}}}}), false);
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
        seedTicket(u"A"_s, 7, 2);
        QVERIFY(db.transaction());
        seedPending(MODIF_PUNCH, u"A"_s);
        seedPending(MODIF_PUNCH, u"A"_s);
        seedPending(MODIF_PUNCH_LAST, u"A"_s, u"2024-05-01 20:00:01"_s);
        seedPending(MODIF_UNPUNCH_LAST, u"A"_s, u"2024-05-01 20:00:02"_s);
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
        QCOMPARE(after.size(), pending + barcodes * rowsEach);
        QCOMPARE(rows(u"select count(*) from MODIF where STATUS=0 and ID>%1"_s.arg(pending)),
                 QStringList{QString::number(barcodes * rowsEach)});
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
        QJsonObject tickets{{"ZBOOM", ticket(7, 1)}};
        for (int i = 0; i < 150; ++i) {
            tickets.insert(u"K%1"_s.arg(i, 3, 10, QLatin1Char('0')), ticket(7, 1));
        }
        const QJsonObject document{{"drop", drop},
                                   {"dt", 816},
                                   {"rep", QJsonObject{{"9999", QJsonObject{}}}},
                                   {"tickets", stop ? QJsonObject{{"K1", ticket(7, 1)}} : tickets},
                                   {"modifs", QJsonObject{{"T1", QJsonArray{modif(8, "20", 7)}}}}};
        const QByteArray before = fileBytes(db.databaseName());
        const QStringList kept = rows(kJournal);
        const QStringList events = run(bytes(document), true, [stop](CThreadGet& worker) {
            connect(
                &worker,
                &CThreadGet::signalProgressText,
                &worker,
                [stop, &worker](const QString& text) {
                    if (stop && text == msg(10)) {
                        worker.requestInterruption();
                    }
                },
                Qt::DirectConnection);
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
            punch.TYPE = MODIF_PUNCH;
            punch.STATUS = MODIF_STATUS_PENDING;
            punch.CODE_BARRE = u"P1"_s;
            written = openRepBDD(connection.db(), &mutex, path) && punch.ajouteSql(connection.db(), &mutex);
        }));
        run(bytes(QJsonObject{{"drop", true}, {"tickets", tickets}}), true, [&](CThreadGet& worker) {
            connect(
                &worker,
                &CThreadGet::signalProgressText,
                &worker,
                [&](const QString& text) {
                    if (text == msg(10)) {
                        door->start();
                    }
                },
                Qt::DirectConnection);
        });
        QVERIFY(door->wait());
        QVERIFY(written);
        QCOMPARE(rows(u"select CODE_BARRE,STATUS from MODIF order by ID"_s), (QStringList{u"P0|1"_s, u"P1|1"_s}));
        QCOMPARE(rows(u"select count(*) from BILLET"_s), QStringList{u"300"_s});
    }

    // Punches at this door and other entrances' punches of one ticket all count.
    void concurrentPunchesAreNotLost()
    {
        seedTicket(u"X"_s, 7, 1000);
        QJsonArray others;
        for (int i = 0; i < 200; ++i) {
            others.append(modif(8, "20", 7));
        }
        int punched = 0;
        std::unique_ptr<QThread> door(QThread::create([this, &punched] {
            ThreadConnection connection(u"door"_s);
            openRepBDD(connection.db(), &mutex, db.databaseName());
            for (int i = 0; i < 200; ++i) {
                CDataBillet billet;
                punched += billet.initParSql(connection.db(), &mutex, u"X"_s, 7)
                           && billet.punchSql(connection.db(), &mutex, false);
            }
        }));
        door->start();
        QCOMPARE(run(bytes(QJsonObject{{"modifs", QJsonObject{{"X", others}}}}), true).last(), u"nb:0,0"_s);
        QVERIFY(door->wait());
        QCOMPARE(punched, 200);
        QCOMPARE(rows(u"select NB_COMPOSTAGE from BILLET"_s), QStringList{u"600"_s});
    }

    void settingsSwitch_data()
    {
        QTest::addColumn<QJsonObject>("params");
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QString>("repJour");
        QTest::newRow("zone with blanks") << QJsonObject{{"dwd", 1}, {"zo", " 7 "}} << "7"
                                          << "1";
        QTest::newRow("zone 0 as text") << QJsonObject{{"dwd", "1"}, {"zo", "0"}} << "0"
                                        << "0";
        QTest::newRow("no zone") << QJsonObject{{"dwd", true}} << ""
                                 << "0";
        QTest::newRow("dwd 2") << QJsonObject{{"dwd", 2}, {"zo", 9}} << "3"
                               << "0";
        QTest::newRow("dwd letters") << QJsonObject{{"dwd", "x"}, {"zo", 9}} << "3"
                                     << "0";
    }

    // Without the switch, the event data is ignored too.
    void settingsSwitch()
    {
        QFETCH(QJsonObject, params);
        QFETCH(QString, zone);
        QFETCH(QString, repJour);
        QVERIFY(gParam->sauvegarde(QString(), true));
        const QJsonObject event{{"1", QJsonObject{{"id", 5}}}};
        const QStringList events =
            run(bytes(QJsonObject{{"params", params}, {"evtData", QJsonObject{{"event", event}}}}), true);
        QCOMPARE(gParam->parametre(ZONE_KEST), zone);
        QCOMPARE(gParam->parametre(REP_JOUR), repJour);
        QVERIFY(QString::fromLatin1(fileBytes(appFolder() + u"/param.ini"_s)).contains(u"ZONE_KEST="_s + zone + u'\n'));
        QCOMPARE(events.filter(u"repfile:"_s).size(), zone == u"3"_s ? 0 : 1);
    }

    // The event of an event file goes to the main database; the caller's connection
    // stays on the ticket list and the main database gets no ticket tables.
    void eventData()
    {
        QJsonArray many;
        for (int i = 0; i < 250; ++i) {
            many.append(QJsonObject{{"id", 1000 + i}});
        }
        const QJsonObject nine{{"id", 88},
                               {"nom", "Gala"},
                               {"image", "g.png"},
                               {"replist", QJsonArray{QJsonObject{{"id", 1}, {"salle", "A"}}, QJsonObject{{"id", 0}}}}};
        const QJsonObject document{
            {"params", QJsonObject{{"dwd", 1}, {"zo", "12"}, {"id", 4567}}},
            {"evtData",
             QJsonObject{{"event", QJsonObject{{"9", nine}, {"10", QJsonObject{{"id", 90}, {"replist", many}}}}},
                         {"pont", QJsonObject{{"1", QJsonObject{{"id", 5}}}}}}},
            {"tickets", QJsonObject{{"A", ticket(7, 1)}}}};
        const QString path = db.databaseName();
        QStringList events = run(bytes(document), true);
        QCOMPARE(events.mid(events.size() - 2), (QStringList{u"repfile:88,0,0,4567"_s, u"nb:1,0"_s}));
        QCOMPARE(db.databaseName(), path);
        QCOMPARE(rows(u"select CODE_BARRE from BILLET"_s), QStringList{u"A"_s});

        ThreadConnection main(u"main"_s);
        QVERIFY(openBDD(main.db(), &mutex));
        QCOMPARE(sqlRows(main.db(), u"select ID,TYPE,NOM,IMAGE from EVENEMENT order by ID"_s),
                 (QStringList{u"88|0|Gala|g.png"_s, u"90|0||"_s}));
        QCOMPARE(sqlRows(main.db(),
                         u"select ID,EVENEMENT_ID,NOM_SALLE from REPRESENTATION where EVENEMENT_ID=88 order by ID"_s),
                 (QStringList{u"0|88|"_s, u"1|88|A"_s}));
        QCOMPARE(sqlRows(main.db(), u"select count(*) from REPRESENTATION where EVENEMENT_ID=90"_s),
                 QStringList{u"250"_s});
        QCOMPARE(sqlRows(main.db(), u"select count(*) from sqlite_master where name='BILLET'"_s), QStringList{u"0"_s});

        events = run(bytes(QJsonObject{{"params", QJsonObject{{"dwd", 1}}},
                                       {"evtData", QJsonObject{{"pont", QJsonObject{{"1", QJsonObject{{"id", 5}}}}}}}}),
                     true);
        const QStringList texts = events.filter(u"text:"_s);
        QCOMPARE(texts.mid(texts.size() - 2), (QStringList{u"text:"_s + msg(8), u"text:"_s + msg(9)}));
        QVERIFY(events.contains(u"repfile:5,1,0,"_s));
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestCThreadGet)
#include "TestCThreadGet.moc"
