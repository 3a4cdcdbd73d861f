#include "data/CDataDelta.h"
#include "data/CDataVidange.h"

#include "CoreFixture.h"
#include "DataFixture.h"
#include "TestMain.h"

using namespace Qt::StringLiterals;

namespace
{

const QString kPassword = u"0123456789abcdef0123456789abcdef"_s;

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

    // The row written last is the current one, whatever the IDs; none leaves the record.
    void deltaCurrentRow()
    {
        QVERIFY(openRep());
        const auto current = [this] {
            CDataDelta read;
            read.initDefaut();
            read.ID = 99;
            return read.initParSql(db, &mutex)
                       ? fieldsRow(read.ID, read.LAST_UPDATE, read.LOGIN, read.PASSWORD, read.ZONE_ID)
                       : QString();
        };
        QCOMPARE(current(), u"99|1970-01-01 00:00:00|||0"_s);
        for (const unsigned int id : {5u, 3u, 5u}) {
            const CDataDelta written{u"2024-05-01 20:00:0%1"_s.arg(id), id, u"lo'g"_s, kPassword, id * 10};
            QVERIFY(written.ajouteSql(db, &mutex) > 0);
            QCOMPARE(current(), u"%1|2024-05-01 20:00:0%1|lo g|%2|%1"_s.arg(id).arg(kPassword) + u'0');
        }
        QCOMPARE(sqlRows(db, u"select count(*) from DELTA"_s), QStringList{u"2"_s});
    }

    // Rows come back by ID in the order written, each field as stored; a delete may repeat.
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
