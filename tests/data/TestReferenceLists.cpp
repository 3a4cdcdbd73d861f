#include "core/AppFolder.h"
#include "core/Database.h"
#include "data/CDataAgent.h"
#include "data/CDataCaisse.h"
#include "data/CDataCanalVente.h"
#include "data/CDataEditeur.h"
#include "data/CDataEvent.h"
#include "data/CDataOrga.h"
#include "data/CDataTarif.h"
#include "data/CDataZone.h"

#include "CoreFixture.h"
#include "SqlRows.h"
#include "TestMain.h"

#include <QVariant>

#include <tuple>
#include <type_traits>

using namespace Qt::StringLiterals;

namespace
{

template <typename R, typename L>
struct Table
{
    using Record = R;
    using Liste = L;
};

using Tables = std::tuple<Table<CDataZone, CDataZoneListe>,
                          Table<CDataEvent, CDataEventListe>,
                          Table<CDataTarif, CDataTarifListe>,
                          Table<CDataEditeur, CDataEditeurListe>,
                          Table<CDataCanalVente, CDataCanalVenteListe>,
                          Table<CDataCaisse, CDataCaisseListe>,
                          Table<CDataAgent, CDataAgentListe>,
                          Table<CDataOrga, CDataOrgaListe>>;

// Runs `test` with the record and list types of `table`: one body covers the family.
template <typename Test>
void withTable(const QString& table, Test test)
{
    int runs = 0;
    std::apply(
        [&](auto... types) {
            ((table == QLatin1String(decltype(types)::Record::kTable) ? (test(types), ++runs) : 0), ...);
        },
        Tables{});
    QCOMPARE(runs, 1);
}

template <typename Id>
Id makeId(int value)
{
    if constexpr (std::is_same_v<Id, QString>) {
        return QString::number(value);
    } else {
        return static_cast<Id>(value);
    }
}

template <typename Record>
Record record(int id, const QString& nom)
{
    Record out;
    out.initDefaut();
    out.ID = makeId<decltype(out.ID)>(id);
    out.NOM = nom;
    return out;
}

int linesWith(const QString& text)
{
    return static_cast<int>(fixture::logLines().filter(text).size());
}

}  // namespace

class TestReferenceLists : public QObject
{
    Q_OBJECT

private:
    QSqlDatabase db;
    QMutex mutex;

    void open(const QString& table)
    {
        const bool inMain = table == "ZONE" || table == "ORGANISATEUR";
        QVERIFY(inMain ? openBDD(db, &mutex) : openRepBDD(db, &mutex, dbFolder() + u"R1_Z0.db"_s));
        fixture::clearLog();
    }

    // One row per table: its list's error text, its read of ID 3, and whether a read
    // starts from the defaults; with `failing`, a second row per table for a write
    // that the database rejects.
    static void tables(bool withFailing = false)
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("listError");
        QTest::addColumn<QString>("readOf3");
        QTest::addColumn<bool>("resets");
        QTest::addColumn<bool>("failing");
        const auto row = [&](const char* table, const char* list, const char* quote, bool resets) {
            for (const bool failing : {false, true}) {
                if (failing && !withFailing) {
                    continue;
                }
                QTest::addRow("%s%s", table, failing ? " failing" : "")
                    << QString::fromLatin1(table) << u"Erreur data%1Liste ajouteSql "_s.arg(QLatin1String(list))
                    << u"select ID,NOM from "_s + QLatin1String(table) + u" where ID="_s + QLatin1String(quote) + u'3'
                           + QLatin1String(quote)
                    << resets << failing;
            }
        };
        row("ZONE", "Zone", "", false);
        row("EVENT", "Event", "", false);
        row("TARIF", "Tarif", "", false);
        row("EDITEUR", "Editeur", "", false);
        row("CANAL_VENTE", "CanalVente", "", false);
        row("CAISSE", "Caisse", "", true);
        row("AGENT", "Agent", "'", true);
        row("ORGANISATEUR", "Orga", "'", true);
    }

private slots:

    void initTestCase()
    {
        fixture::initCore();
        db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"test"_s);
    }

    void init()
    {
        dropBDD(db, &mutex);
    }

    void cleanupTestCase()
    {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(u"test"_s);
    }

    // ---- what every id-and-name table shares ----

    void writeReadRewrite_data()
    {
        tables();
    }

    void writeReadRewrite()
    {
        QFETCH(QString, table);
        open(table);
        withTable(table, [&](auto types) {
            using Record = typename decltype(types)::Record;
            Record written = record<Record>(5, u"l'Opéra"_s);
            auto storedId = written.ID;
            if constexpr (std::is_same_v<decltype(storedId), QString>) {
                // Quotes become blanks in a text ID too, and the read makes the same change.
                written.ID = u"j'5"_s;
                storedId = u"j 5"_s;
            }
            QVERIFY(written.ajouteSql(db, &mutex) != decltype(written.ID){});
            Record back = record<Record>(1, u"before"_s);
            QVERIFY(back.initParSql(db, &mutex, written.ID));
            QCOMPARE(back.ID, storedId);
            QCOMPARE(back.NOM, u"l Opéra"_s);

            written.NOM = u"Salle B"_s;
            QVERIFY(written.sauvegardeParSql(db, &mutex));
            QCOMPARE(sqlRows(db, u"select NOM from "_s + table), QStringList{"Salle B"});
            // The keyed rewrite goes by the key, not by the record's own ID.
            QVERIFY(record<Record>(99, u"Keyed"_s).sauvegardeParSql(db, &mutex, written.ID));
            QCOMPARE(sqlRows(db, u"select NOM from "_s + table), QStringList{"Keyed"});
            written.NOM = u"Replaced"_s;
            written.ajouteSql(db, &mutex);
            QCOMPARE(sqlRows(db, u"select NOM from "_s + table), QStringList{"Replaced"});
        });
        QCOMPARE(fixture::logLines(), QStringList());
    }

    void readMiss_data()
    {
        tables();
    }

    // A miss is no failure: the record keeps the last row read, or is empty for the
    // tables whose read starts from the defaults. A failure leaves it the same way.
    void readMiss()
    {
        QFETCH(QString, table);
        QFETCH(QString, readOf3);
        QFETCH(bool, resets);
        open(table);
        withTable(table, [&](auto types) {
            using Record = typename decltype(types)::Record;
            using Id = decltype(Record::ID);
            Record expected = record<Record>(1, u"one"_s);
            expected.ajouteSql(db, &mutex);
            if (resets) {
                expected.initDefaut();
            }
            Record reused;
            QVERIFY(reused.initParSql(db, &mutex, makeId<Id>(1)));
            QVERIFY(reused.initParSql(db, &mutex, makeId<Id>(3)));
            QCOMPARE(reused.ID, expected.ID);
            QCOMPARE(reused.NOM, expected.NOM);
            QCOMPARE(fixture::logLines(), QStringList());

            QVERIFY(sqlRun(db, u"drop table "_s + table));
            QVERIFY(!reused.initParSql(db, &mutex, makeId<Id>(3)));
            QCOMPARE(reused.NOM, expected.NOM);
        });
        QCOMPARE(linesWith(u"Erreur initParSql "_s + readOf3 + u" : no such table: "_s + table), 1);
    }

    void loadKeysById_data()
    {
        tables();
    }

    void loadKeysById()
    {
        QFETCH(QString, table);
        open(table);
        QVERIFY(sqlRun(db, u"insert into %1 (ID, NOM) values ('7','seven'),('3','three')"_s.arg(table)));
        withTable(table, [&](auto types) {
            using Record = typename decltype(types)::Record;
            typename decltype(types)::Liste list;
            list.ajoute(record<Record>(42, u"stale"_s), {});
            QVERIFY(list.initParSql(db, &mutex));
            QCOMPARE(list.keys(), (QList{record<Record>(3, {}).ID, record<Record>(7, {}).ID}));
            QCOMPARE(list.first().NOM, u"three"_s);
        });
    }

    void listWrite_data()
    {
        tables(true);
    }

    // 250 entries go in three statements of 100, 100 and 50 rows, in key order. A
    // statement the database rejects loses its own rows only: the failing row sits in
    // the second one.
    void listWrite()
    {
        QFETCH(QString, table);
        QFETCH(QString, listError);
        QFETCH(bool, failing);
        open(table);
        QStringList walked;
        withTable(table, [&](auto types) {
            using Record = typename decltype(types)::Record;
            typename decltype(types)::Liste list;
            // IDs in an order that neither their number nor their text sorts back to.
            for (int i = 0; i < 250; ++i) {
                list.ajoute(record<Record>((i * 37) % 250 + 1, u"n"_s), {});
            }
            for (const Record& entry : list) {
                walked.append(QVariant(entry.ID).toString());
            }
            if (failing) {
                QVERIFY(sqlRun(db,
                               u"create trigger boom before insert on %1 when cast(NEW.ID as text) = "
                               "'%2' begin select raise(abort, 'boom'); end"_s.arg(table, walked[150])));
            }
            QCOMPARE(list.ajouteSql(db, &mutex), !failing);
        });
        const QStringList stored = sqlRows(db, u"select ID from %1 order by rowid"_s.arg(table));
        if (!failing) {
            QCOMPARE(stored, walked);
            QCOMPARE(fixture::logLines(), QStringList());
            return;
        }
        QCOMPARE(stored, walked.mid(0, 100) + walked.mid(200));
        QCOMPARE(linesWith(listError), 1);
        QCOMPARE(linesWith(listError
                           + u"replace into %1 (ID, NOM) select '%2','n' union all select '%3'"_s.arg(table,
                                                                                                      walked[100],
                                                                                                      walked[101])),
                 1);
        QCOMPARE(linesWith(u"select '%1','n' : boom"_s.arg(walked[199])), 1);
    }

    void listWriteKeepsEveryEntry_data()
    {
        tables();
    }

    // Identical entries are each written; of two entries with one ID the later in key
    // order stays. An empty list runs the bare head, which fails.
    void listWriteKeepsEveryEntry()
    {
        QFETCH(QString, table);
        QFETCH(QString, listError);
        open(table);
        QVERIFY(sqlRun(db, u"create table WRITES (ID)"_s));
        QVERIFY(sqlRun(
            db,
            u"create trigger counted after insert on %1 begin insert into WRITES values (NEW.ID); end"_s.arg(table)));
        withTable(table, [&](auto types) {
            using Record = typename decltype(types)::Record;
            typename decltype(types)::Liste list;
            QVERIFY(!list.ajouteSql(db, &mutex));
            for (const char* nom : {"same", "same", "first", "last"}) {
                list.ajoute(record<Record>(list.size() < 2 ? 5 : 6, QString::fromLatin1(nom)), {});
            }
            QVERIFY(list.ajouteSql(db, &mutex));
        });
        QCOMPARE(sqlRows(db, u"select ID from WRITES"_s), (QStringList{"5", "5", "6", "6"}));
        QCOMPARE(sqlRows(db, u"select NOM from %1 order by ID"_s.arg(table)), (QStringList{"same", "last"}));
        QCOMPARE(linesWith(listError + u"replace into %1 (ID, NOM)  : "_s.arg(table)), 1);
    }

    // ---- keys, accessors and the list save ----

    void sizeKey()
    {
        CDataZoneListe zones;
        for (const int id : {30, 20, 10}) {
            zones.ajoute(record<CDataZone>(id, {}), 0);
        }
        QCOMPARE(zones.keys(), (QList<unsigned int>{0, 1, 2}));
        CDataZone zone = record<CDataZone>(77, {});
        QVERIFY(!zones.affecteZone(0, zone));
        QVERIFY(!zones.affecteZone(3, zone));
        QCOMPARE(zone.ID, 77u);
        QVERIFY(zones.affecteZone(1, zone));
        QCOMPARE(zone.ID, 20u);
        zones.remove(0);
        zones.ajoute(record<CDataZone>(40, {}), 0);
        QCOMPARE(zones.keys(), (QList<unsigned int>{1, 2}));
        QCOMPARE(zones.value(2).ID, 40u);
    }

    // An entry under key 0 is inserted and kept under its row number; the others
    // rewrite the row of their key and are copied into the other list, until one
    // rewrite fails. The connection never reports a statement's failure, so the walk
    // goes by each operation's own result.
    void listSave()

    {
        open(u"TARIF"_s);
        QVERIFY(sqlRun(db, u"insert into TARIF (ID, NOM) values (5,'a'),(6,'b')"_s));
        QVERIFY(sqlRun(
            db,
            u"create trigger boom before update on TARIF when OLD.ID = 6 begin select raise(abort, 'boom'); end"_s));
        CDataTarifListe list;
        list.ajoute(record<CDataTarif>(8, u"new"_s), 0);
        list.ajoute(record<CDataTarif>(99, u"A"_s), 5);
        list.ajoute(record<CDataTarif>(99, u"B"_s), 6);
        list.ajoute(record<CDataTarif>(99, u"C"_s), 7);
        CDataTarifListe saved;
        list.sauvegardeParSql(db, &mutex, &saved);

        QCOMPARE(sqlRows(db, u"select ID||'='||NOM from TARIF order by ID"_s), (QStringList{"5=A", "6=b", "8=new"}));
        QCOMPARE(saved.keys(), QList<unsigned int>{5});
        QVERIFY(!list.contains(0));
        QCOMPARE(list.size(), 4);
        QCOMPARE(linesWith(u"Erreur sauvegardeParSql update TARIF set NOM='B' where ID='6' : boom"_s), 1);
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestReferenceLists)
#include "TestReferenceLists.moc"
