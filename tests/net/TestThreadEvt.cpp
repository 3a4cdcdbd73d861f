#include "core/CParam.h"
#include "core/Database.h"
#include "net/CThreadEvt.h"
#include "net/JsonReply.h"

#include "CoreFixture.h"
#include "DataFixture.h"
#include "NetFixture.h"
#include "TestMain.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>

namespace
{

QJsonObject performance(int id, const QString& salle = QStringLiteral("Salle"))
{
    return QJsonObject{{QStringLiteral("id"), id},
                       {QStringLiteral("debut"), QStringLiteral("2030-01-01 20:00:00")},
                       {QStringLiteral("fin"), QStringLiteral("2030-01-01 23:00:00")},
                       {QStringLiteral("finvente"), QStringLiteral("2030-01-01 19:00:00")},
                       {QStringLiteral("nbplace"), QStringLiteral("120")},
                       {QStringLiteral("nbticket"), 80},
                       {QStringLiteral("evtnom"), QStringLiteral("Gala")},
                       {QStringLiteral("salle"), salle}};
}

QJsonObject entry(int id, const QString& nom, const QJsonArray& replist)
{
    return QJsonObject{{QStringLiteral("id"), QString::number(id)},
                       {QStringLiteral("nom"), nom},
                       {QStringLiteral("image"), QStringLiteral("http://img.invalid/%1.png").arg(id)},
                       {QStringLiteral("replist"), replist}};
}

QByteArray reply(const QJsonObject& events, const QJsonObject& passes = QJsonObject())
{
    return QJsonDocument(
               QJsonObject{{QStringLiteral("request"), QStringLiteral("getEvents")},
                           {QStringLiteral("sessionID"), QStringLiteral("S-new")},
                           {QStringLiteral("events"),
                            QJsonObject{{QStringLiteral("event"), events}, {QStringLiteral("pont"), passes}}}})
        .toJson(QJsonDocument::Compact);
}

}  // namespace

class TestThreadEvt : public DataFixture
{
    Q_OBJECT

    // Runs the worker on `data` and waits for its end; the signals it sent, in order.
    QStringList run(const QByteArray& data)
    {
        CThreadEvt worker;
        QStringList signalsSent;
        connect(&worker, &CThreadEvt::signalProgressText, this, [&](const QString& text) {
            signalsSent.append(QStringLiteral("text ") + text);
        });
        connect(&worker, &CThreadEvt::signalProgressMax, this, [&](uint max) {
            signalsSent.append(QStringLiteral("max %1").arg(max));
        });
        connect(&worker, &CThreadEvt::signalProgressValue, this, [&](uint value) {
            signalsSent.append(QStringLiteral("value %1").arg(value));
        });
        connect(&worker, &CThreadEvt::signalError, this, [&](const QString& title, const QString& message) {
            signalsSent.append(QStringLiteral("error ") + title + QStringLiteral(" / ") + message);
        });
        QSignalSpy finished(&worker, &QThread::finished);
        worker.setData(data, db, &mutex);
        worker.start(QThread::InheritPriority);
        if (!finished.wait(10000)) {
            qWarning("worker never finished");
        }
        QCoreApplication::processEvents();
        return signalsSent;
    }

private slots:

    void init()
    {
        QVERIFY(openMain());
        gParam->sessionId.set(QStringLiteral("S-old"));
    }

    // Rows are replaced on their keys; what the reply no longer names stays. The
    // window's connection is neither moved nor needed by the worker.
    void refreshNotRebuild()
    {
        run(reply({{QStringLiteral("a"), entry(1, QStringLiteral("Old"), {performance(11)})},
                   {QStringLiteral("b"), entry(2, QStringLiteral("Gone"), {performance(21)})}}));
        run(reply({{QStringLiteral("a"), entry(1, QStringLiteral("New"), {performance(11, QStringLiteral("Dome"))})}}));
        QCOMPARE(sqlRows(db, QStringLiteral("select ID,NOM,TYPE from EVENEMENT order by ID")),
                 QStringList({"1|New|0", "2|Gone|0"}));
        QCOMPARE(sqlRows(db,
                         QStringLiteral("select ID,EVENEMENT_ID,NOM_SALLE,NB_PLACE,NB_TICKET from REPRESENTATION "
                                        "order by ID")),
                 QStringList({"11|1|Dome|120|80", "21|2|Salle|120|80"}));
        QCOMPARE(db.databaseName(), mainDatabasePath());
        QCOMPARE(gParam->sessionId.get(), QStringLiteral("S-new"));
    }

    // Only an exact "getEvents" is read; without "sessionID" the session id empties.
    void requestName_data()
    {
        QTest::addColumn<QString>("request");
        QTest::addColumn<bool>("withSession");
        QTest::addColumn<QString>("session");
        QTest::addColumn<int>("events");
        QTest::newRow("exact") << "getEvents" << true << "S-new" << 1;
        QTest::newRow("other case") << "getevents" << true << "S-old" << 0;
        QTest::newRow("missing") << "" << true << "S-old" << 0;
        QTest::newRow("no sessionID") << "getEvents" << false << "" << 1;
    }

    void requestName()
    {
        QFETCH(QString, request);
        QFETCH(bool, withSession);
        QFETCH(QString, session);
        QFETCH(int, events);
        QJsonObject document{{QStringLiteral("events"),
                              QJsonObject{{QStringLiteral("event"),
                                           QJsonObject{{QStringLiteral("x"), entry(5, QStringLiteral("E"), {})}}}}}};
        if (!request.isEmpty()) {
            document.insert(QStringLiteral("request"), request);
        }
        if (withSession) {
            document.insert(QStringLiteral("sessionID"), QStringLiteral("S-new"));
        }
        run(QJsonDocument(document).toJson());
        QCOMPARE(gParam->sessionId.get(), session);
        QCOMPARE(sqlRows(db, QStringLiteral("select count(*) from EVENEMENT")).value(0).toInt(), events);
    }

    // Every performance is stored, an ID 0 beside its siblings; an event and a pass
    // of one ID share their performances; a later duplicate wins.
    void performances()
    {
        QJsonArray many;
        for (int i = 1; i <= 250; ++i) {
            many.append(performance(1000 + i));
        }
        QJsonObject sparse = performance(1);
        sparse.remove(QStringLiteral("debut"));
        sparse.remove(QStringLiteral("nbplace"));
        const QJsonArray withZero{sparse, performance(0), performance(1, QStringLiteral("Later"))};
        run(reply({{QStringLiteral("a"), entry(1, QStringLiteral("Many"), many)},
                   {QStringLiteral("b"), entry(2, QStringLiteral("Zero"), withZero)}},
                  {{QStringLiteral("p"), entry(2, QStringLiteral("Pass"), {performance(7)})}}));
        QCOMPARE(sqlRows(db, QStringLiteral("select count(*) from REPRESENTATION where EVENEMENT_ID=1")),
                 QStringList{"250"});
        QCOMPARE(sqlRows(db,
                         QStringLiteral("select ID,NOM_SALLE,DATE_DEBUT,NB_PLACE from REPRESENTATION where "
                                        "EVENEMENT_ID=2 order by ID")),
                 QStringList({"0|Salle|2030-01-01 20:00:00|120",
                              "1|Later|2030-01-01 20:00:00|120",
                              "7|Salle|2030-01-01 20:00:00|120"}));
        QCOMPARE(sqlRows(db, QStringLiteral("select ID,TYPE from EVENEMENT where ID=2 order by TYPE")),
                 QStringList({"2|0", "2|1"}));
    }

    // A missing member gives 0 or an empty text, not the record's defaults; a
    // "replist" that is not an array gives no performance.
    void missingMembers()
    {
        QJsonObject bare{{QStringLiteral("id"), 3}};
        QJsonObject textList{{QStringLiteral("id"), 8}, {QStringLiteral("replist"), QStringLiteral("x")}};
        run(reply({{QStringLiteral("a"), entry(9, QStringLiteral("Bare"), {bare})}, {QStringLiteral("b"), textList}}));
        QCOMPARE(sqlRows(db, QStringLiteral("select EVENEMENT_ID,DATE_DEBUT,NB_PLACE,NOM_SALLE from REPRESENTATION")),
                 QStringList{"9||0|"});
    }

    void progress()
    {
        const QStringList sent = run(reply({{QStringLiteral("1"), entry(1, QStringLiteral("A"), {})},
                                            {QStringLiteral("2"), entry(2, QStringLiteral("B"), {})},
                                            {QStringLiteral("3"), entry(3, QStringLiteral("C"), {})}}));
        QCOMPARE(sent,
                 QStringList({QStringLiteral("text Traitement des événements ..."),
                              "max 3",
                              "value 0",
                              "value 1",
                              "value 2",
                              "value 3"}));
    }

    // A broken reply: logged, reported, nothing written.
    void parseFailure()
    {
        const QStringList sent = run(QByteArrayLiteral("{\"request\":\"getEvents\",\"events\":{"));
        QCOMPARE(sent, QStringList{QStringLiteral("error Erreur / Erreur de vérification du login")});
        QVERIFY(fixture::logContains(
            QStringLiteral("error - Erreur de decodage de la reponse JSON de la recuperation des representations.")));
        QCOMPARE(sqlRows(db, QStringLiteral("select count(*) from EVENEMENT")), QStringList{"0"});
        QCOMPARE(gParam->sessionId.get(), QStringLiteral("S-old"));
    }

    // Every reply, ticket lists included, parses as tolerantly as replies always have:
    // blanks alone or a top-level scalar are a document without members.
    void parse_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("request");
        QTest::newRow("object") << QByteArray("{\"request\":\"x\"}") << true << "x";
        QTest::newRow("empty") << QByteArray() << false << "";
        QTest::newRow("blanks") << QByteArray(" \n ") << true << "";
        QTest::newRow("number") << QByteArray("5") << true << "";
        QTest::newRow("null") << QByteArray("null") << true << "";
        QTest::newRow("array") << QByteArray("[1]") << true << "";
        QTest::newRow("broken") << QByteArray("{\"request\":") << false << "";
        QTest::newRow("trailing garbage") << QByteArray("{} x") << false << "";
        QTest::newRow("two scalars") << QByteArray("1,2") << false << "";
    }

    void parse()
    {
        QFETCH(QByteArray, data);
        QFETCH(bool, ok);
        QFETCH(QString, request);
        bool parsed = !ok;
        const QVariantMap map = jsonreply::parseObject(data, &parsed);
        QCOMPARE(parsed, ok);
        QCOMPARE(jsonreply::toText(map.value(QStringLiteral("request"))), request);
    }

    // Members are read as the documents have always been read.
    void conversions_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<uint>("number");
        QTest::addColumn<QString>("text");
        QTest::newRow("number") << QVariant(42.0) << 42u << "42";
        QTest::newRow("decimal text") << QVariant(QStringLiteral("007")) << 7u << "007";
        QTest::newRow("letters") << QVariant(QStringLiteral("x1")) << 0u << "x1";
        QTest::newRow("negative") << QVariant(-3LL) << 0u << "-3";
        QTest::newRow("null") << QVariant::fromValue(nullptr) << 0u << "";
        QTest::newRow("missing") << QVariant() << 0u << "";
        QTest::newRow("object") << QVariant(QVariantMap{{QStringLiteral("a"), 1}}) << 0u << "";
        QTest::newRow("list") << QVariant(QVariantList{1}) << 0u << "";
    }

    void conversions()
    {
        QFETCH(QVariant, value);
        QFETCH(uint, number);
        QFETCH(QString, text);
        QCOMPARE(jsonreply::toUInt32(value), number);
        QCOMPARE(jsonreply::toText(value), text);
    }

    // Bytes that are not UTF-8 are read as Latin-1, not refused.
    void latin1Reply()
    {
        run(standin::ScriptedReply::latin1Names().body);
        QCOMPARE(sqlRows(db, QStringLiteral("select NOM from EVENEMENT")), QStringList{QStringLiteral("Opéra d été")});
        QCOMPARE(sqlRows(db, QStringLiteral("select NOM_SALLE from REPRESENTATION")), QStringList{"Théâtre"});
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestThreadEvt)
#include "TestThreadEvt.moc"
