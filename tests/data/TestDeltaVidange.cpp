#include "data/CDataDelta.h"
#include "data/CDataVidange.h"

#include "CoreFixture.h"
#include "DataFixture.h"
#include "TestMain.h"

using namespace Qt::StringLiterals;

namespace
{

CDataDelta delta(unsigned int id, const QString& date, const QString& login)
{
    CDataDelta out;
    out.initDefaut();
    out.ID = id;
    out.LAST_UPDATE = date;
    out.LOGIN = login;
    out.PASSWORD = u"0123456789abcdef0123456789abcdef"_s;
    out.ZONE_ID = id * 10;
    return out;
}

CDataVidange drain(const QString& code)
{
    CDataVidange out;
    out.initDefaut();
    out.TYPE = 8;
    out.REP_ID = 12;
    out.EDITEUR_ID = 5;
    out.CODE_BARRE = code;
    out.DATE = u"2024-05-01 20:00:00"_s;
    return out;
}

}  // namespace

class TestDeltaVidange : public DataFixture
{
    Q_OBJECT

private slots:

    void currentRow_data()
    {
        QTest::addColumn<QList<unsigned int>>("writes");
        QTest::addColumn<QString>("current");
        QTest::addColumn<int>("rows");

        QTest::newRow("none: defaults") << QList<unsigned int>{} << u"0|1970-01-01 00:00:00|||0"_s << 0;
        QTest::newRow("lower id written last")
            << QList<unsigned int>{5, 3} << u"3|2024-05-01 20:00:01|lo g1|0123|30"_s << 2;
        QTest::newRow("older id rewritten")
            << QList<unsigned int>{5, 3, 5} << u"5|2024-05-01 20:00:02|lo g2|0123|50"_s << 2;
    }

    // The row written last is the current one, whatever the ids.
    void currentRow()
    {
        QFETCH(QList<unsigned int>, writes);
        QFETCH(QString, current);
        QFETCH(int, rows);

        QVERIFY(openRep());
        for (qsizetype i = 0; i < writes.size(); ++i) {
            const QString n = QString::number(i);
            QVERIFY(delta(writes[i], u"2024-05-01 20:00:0"_s + n, u"lo'g"_s + n).ajouteSql(db, &mutex) > 0);
        }
        CDataDelta read;
        read.initDefaut();
        QVERIFY(read.initParSql(db, &mutex));
        QCOMPARE(
            u"%1|%2|%3|%4|%5"_s.arg(read.ID).arg(read.LAST_UPDATE, read.LOGIN, read.PASSWORD.left(4)).arg(read.ZONE_ID),
            current);
        QCOMPARE(sqlRows(db, u"select count(*) from DELTA"_s), QStringList{QString::number(rows)});
        QCOMPARE(fixture::logLines(), QStringList());
    }

    // Written rows come back keyed by the database's IDs, in the order written, with
    // every field in its column; a delete is done once, and again without error.
    void drainRoundTrip()
    {
        QVERIFY(openMain());
        CDataVidange withDelta = drain(u"Z9"_s);
        withDelta.LOGIN = u"o'rga"_s;
        withDelta.PASSWORD = u"0123456789abcdef0123456789abcdef"_s;
        withDelta.ZONE_ID = 70;
        withDelta.DELTA_ID = 7;
        withDelta.DELTA_DATE = u"2024-04-30 10:00:00"_s;
        CDataVidangeListe list;
        list.ajoute(withDelta, 40);
        list.ajoute(drain(u"A'1"_s), 0);
        list.ajoute(drain(u"A'1"_s), 0);
        QVERIFY(list.ajouteSql(db, &mutex));
        QCOMPARE(sqlRows(db, u"select * from VIDANGE order by ID"_s),
                 (QStringList{u"1|8|2024-05-01 20:00:00|A 1|5|12|||0|0|1970-01-01 00:00:00"_s,
                              u"2|8|2024-05-01 20:00:00|A 1|5|12|||0|0|1970-01-01 00:00:00"_s,
                              u"3|8|2024-05-01 20:00:00|Z9|5|12|o rga|0123456789abcdef0123456789abcdef|70|7|"
                              "2024-04-30 10:00:00"_s}));
        CDataVidangeListe read;
        QVERIFY(read.initParSql(db, &mutex));
        QCOMPARE(read.keys(), (QList<unsigned int>{1, 2, 3}));
        const CDataVidange first = read.first();
        QCOMPARE(first.ID, 1u);
        QCOMPARE(read[3].LOGIN, u"o rga"_s);
        QCOMPARE(read[3].DELTA_DATE, u"2024-04-30 10:00:00"_s);
        QVERIFY(first.deleteSql(db, &mutex));
        QVERIFY(first.deleteSql(db, &mutex));
        QVERIFY(read.initParSql(db, &mutex));
        QCOMPARE(read.keys(), (QList<unsigned int>{2, 3}));
        QCOMPARE(fixture::logLines(), QStringList());
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestDeltaVidange)
#include "TestDeltaVidange.moc"
