#include "data/CDataDelta.h"
#include "data/CDataVidange.h"

#include "CoreFixture.h"
#include "DataFixture.h"
#include "TestMain.h"

using namespace Qt::StringLiterals;

namespace
{

const QString kPassword = u"0123456789abcdef0123456789abcdef"_s;

CDataDelta delta(unsigned int id, const QString& date, const QString& login)
{
    CDataDelta out;
    out.initDefaut();
    out.ID = id;
    out.LAST_UPDATE = date;
    out.LOGIN = login;
    out.PASSWORD = kPassword;
    out.ZONE_ID = id * 10;
    return out;
}

// In the order of the table's columns.
QString fields(const CDataVidange& v)
{
    return fieldsRow(v.ID, v.TYPE, v.DATE, v.CODE_BARRE, v.EDITEUR_ID, v.REP_ID, v.LOGIN, v.PASSWORD, v.ZONE_ID) + u'|'
           + fieldsRow(v.DELTA_ID, v.DELTA_DATE);
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
            << QList<unsigned int>{5, 3} << u"3|2024-05-01 20:00:01|lo g1|"_s + kPassword + u"|30"_s << 2;
        QTest::newRow("older id rewritten")
            << QList<unsigned int>{5, 3, 5} << u"5|2024-05-01 20:00:02|lo g2|"_s + kPassword + u"|50"_s << 2;
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
        QCOMPARE(fieldsRow(read.ID, read.LAST_UPDATE, read.LOGIN, read.PASSWORD, read.ZONE_ID), current);
        QCOMPARE(sqlRows(db, u"select count(*) from DELTA"_s), QStringList{QString::number(rows)});
        QCOMPARE(fixture::logLines(), QStringList());
    }

    // Written rows come back keyed by the database's IDs, in the order written, each
    // field as stored; a delete is done once, and again without error.
    void drainRoundTrip()
    {
        QVERIFY(openMain());
        const CDataVidange
            withDelta{0, 8, 12, 5, u"2024-05-01 20:00:00"_s, u"Z9"_s, u"o'rga"_s, kPassword, 70, 7, u"2024-04-30"_s};
        CDataVidange plain;
        plain.initDefaut();
        plain.CODE_BARRE = u"A'1"_s;
        CDataVidangeListe list;
        list.ajoute(withDelta, 40);
        list.ajoute(plain, 0);
        list.ajoute(plain, 0);
        QVERIFY(list.ajouteSql(db, &mutex));
        const QStringList stored = sqlRows(db, u"select * from VIDANGE order by ID"_s);
        QCOMPARE(stored,
                 (QStringList{u"1|0|1970-01-01 00:00:00|A 1|0|0|||0|0|1970-01-01 00:00:00"_s,
                              u"2|0|1970-01-01 00:00:00|A 1|0|0|||0|0|1970-01-01 00:00:00"_s,
                              u"3|8|2024-05-01 20:00:00|Z9|5|12|o rga|"_s + kPassword + u"|70|7|2024-04-30"_s}));
        CDataVidangeListe read;
        QVERIFY(read.initParSql(db, &mutex));
        QCOMPARE(read.keys(), (QList<unsigned int>{1, 2, 3}));
        QStringList readBack;
        for (const CDataVidange& v : std::as_const(read)) {
            readBack << fields(v);
        }
        QCOMPARE(readBack, stored);

        QVERIFY(read.first().deleteSql(db, &mutex));
        QVERIFY(read.first().deleteSql(db, &mutex));
        QVERIFY(read.initParSql(db, &mutex));
        QCOMPARE(read.keys(), (QList<unsigned int>{2, 3}));
        QCOMPARE(fixture::logLines(), QStringList());
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestDeltaVidange)
#include "TestDeltaVidange.moc"
