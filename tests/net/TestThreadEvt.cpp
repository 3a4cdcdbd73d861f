#include "core/CAffichage.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "net/CThreadEvt.h"

#include "CoreFixture.h"
#include "DataFixture.h"
#include "TestMain.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace
{

QJsonObject performance(int id, const QString& salle = QStringLiteral("Salle"))
{
    QJsonObject out = QJsonDocument::fromJson(R"({"debut":"d","fin":"f","finvente":"v","nbplace":"120","nbticket":80,
                                                  "evtnom":"N"})")
                          .object();
    out.insert("id", id);
    out.insert("salle", salle);
    return out;
}

QJsonObject entry(int id, const QJsonArray& replist)
{
    const QString name = QStringLiteral("E%1").arg(id);
    return QJsonObject{{"id", QString::number(id)}, {"nom", name}, {"image", name + ".png"}, {"replist", replist}};
}

QByteArray reply(const QJsonObject& events, const QJsonObject& passes = QJsonObject())
{
    return QJsonDocument(QJsonObject{{"request", "getEvents"},
                                     {"sessionID", "S-new"},
                                     {"events", QJsonObject{{"event", events}, {"pont", passes}}}})
        .toJson(QJsonDocument::Compact);
}

}  // namespace

class TestThreadEvt : public DataFixture
{
    Q_OBJECT

    // Runs the worker on `data` and returns what it reported: "error:" and its message,
    // the progress texts and sizes.
    QStringList run(const QByteArray& data)
    {
        CThreadEvt worker;
        QStringList reports;
        const auto add = [&reports](const QString& text) {
            reports.append(text);
        };
        connect(&worker, &CThreadEvt::signalError, this, [add](const QString&, const QString& message) {
            add(u"error:"_s + message);
        });
        connect(&worker, &CThreadEvt::signalProgressText, this, add);
        connect(&worker, &CThreadEvt::signalProgressMax, this, [add](uint max) {
            add(QString::number(max));
        });
        worker.setData(data, db, &mutex);
        worker.start();
        worker.wait();
        QCoreApplication::processEvents();
        return reports;
    }

    QStringList rows(const QString& sql)
    {
        return sqlRows(db, sql);
    }

private slots:

    void init()
    {
        QVERIFY(openMain());
        gParam->sessionId.set(QStringLiteral("S-old"));
    }

    // Rows are replaced on their keys; what the reply no longer names stays. Every
    // performance is stored, an ID 0 beside its siblings, a missing member as 0 or
    // empty; an event and a pass of one ID share their performances. The window's
    // connection is neither moved nor needed by the worker.
    void refreshNotRebuild()
    {
        QJsonArray many;
        for (int i = 1; i <= 250; ++i) {
            many.append(performance(1000 + i));
        }
        run(reply({{"a", entry(1, {performance(11)})}, {"b", entry(2, many)}}));
        QJsonObject sparse{{"id", 3}};
        QCOMPARE(run(reply({{"a", entry(1, {performance(11, "Dome"), performance(0), sparse})}},
                           {{"p", entry(1, {performance(7)})}})),
                 (QStringList{gAffichage->getMessage(0, 8), "1", gAffichage->getMessage(0, 9), "1"}));
        QCOMPARE(rows("select * from EVENEMENT order by ID,TYPE"),
                 QStringList({"1|E1|E1.png|0", "1|E1|E1.png|1", "2|E2|E2.png|0"}));
        QCOMPARE(
            rows("select * from REPRESENTATION where EVENEMENT_ID=1 order by ID"),
            QStringList(
                {"0|1|d|f|v|Salle|N|80|120", "3|1||||||0|0", "7|1|d|f|v|Salle|N|80|120", "11|1|d|f|v|Dome|N|80|120"}));
        QCOMPARE(rows("select count(*) from REPRESENTATION where EVENEMENT_ID=2"), QStringList{"250"});
        QCOMPARE(db.databaseName(), mainDatabasePath());
        QCOMPARE(gParam->sessionId.get(), QStringLiteral("S-new"));
    }

    // Only an exact "getEvents" is read; without "sessionID" the session id empties; a
    // broken reply is reported and writes nothing, a scalar is a reply without members.
    void requestName_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("session");
        QTest::addColumn<int>("events");
        QTest::addColumn<int>("errors");
        const QByteArray events = R"("events":{"event":{"x":{"id":5}}})";
        QTest::newRow("exact") << R"({"request":"getEvents","sessionID":"S-new",)" + events + '}' << "S-new" << 1 << 0;
        QTest::newRow("other case") << R"({"request":"getevents","sessionID":"S-new",)" + events + '}' << "S-old" << 0
                                    << 0;
        QTest::newRow("no sessionID") << R"({"request":"getEvents",)" + events + '}' << "" << 1 << 0;
        QTest::newRow("broken") << QByteArray(R"({"request":"getEvents","events":{)") << "S-old" << 0 << 1;
        QTest::newRow("top-level scalar") << QByteArray("5") << "S-old" << 0 << 0;
    }

    void requestName()
    {
        QFETCH(QByteArray, data);
        QFETCH(QString, session);
        QFETCH(int, events);
        QFETCH(int, errors);
        QCOMPARE(run(data).filter(u"error:"_s).size(), errors);
        QCOMPARE(gParam->sessionId.get(), session);
        QCOMPARE(rows("select count(*) from EVENEMENT").value(0).toInt(), events);
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestThreadEvt)
#include "TestThreadEvt.moc"
