#include "data/CDataAgent.h"
#include "data/CDataCaisse.h"
#include "data/CDataCanalVente.h"
#include "data/CDataEditeur.h"
#include "data/CDataEvent.h"
#include "data/CDataOrga.h"
#include "data/CDataTarif.h"
#include "data/CDataZone.h"

#include "CoreFixture.h"
#include "DataFixture.h"
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
};

using Tables = std::tuple<Table<CDataZone, CDataZoneListe>,
                          Table<CDataEvent, CDataEventListe>,
                          Table<CDataTarif, CDataTarifListe>,
                          Table<CDataEditeur, CDataEditeurListe>,
                          Table<CDataCanalVente, CDataCanalVenteListe>,
                          Table<CDataCaisse, CDataCaisseListe>,
                          Table<CDataAgent, CDataAgentListe>,
                          Table<CDataOrga, CDataOrgaListe>>;

// `value` as a number or as its text.
template <typename Id>
Id makeId(int value)
{
    return QVariant(value).value<Id>();
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

// Every test runs once per table of the global data, with that table's types.
class TestReferenceLists : public DataFixture
{
    Q_OBJECT

private:
    QString table;

    template <typename Test>
    void withTable(Test test)
    {
        QVERIFY(std::apply(
            [&](auto... types) {
                return ((table == QLatin1String(decltype(types)::Record::kTable) && (test(types), true)) || ...);
            },
            Tables{}));
    }

    QStringList column(const QString& name)
    {
        return sqlRows(db, u"select %1 from %2 order by rowid"_s.arg(name, table));
    }

private slots:

    void initTestCase_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("listError");
        QTest::addColumn<bool>("resets");
        const auto row = [](const char* table, const char* list, bool resets) {
            QTest::newRow(table) << QString::fromLatin1(table) << u"Erreur data%1Liste ajouteSql "_s.arg(list)
                                 << resets;
        };
        row("ZONE", "Zone", false);
        row("EVENT", "Event", false);
        row("TARIF", "Tarif", false);
        row("EDITEUR", "Editeur", false);
        row("CANAL_VENTE", "CanalVente", false);
        row("CAISSE", "Caisse", true);
        row("AGENT", "Agent", true);
        row("ORGANISATEUR", "Orga", true);
    }

    void init()
    {
        QFETCH_GLOBAL(QString, table);
        this->table = table;
        QVERIFY(table == "ZONE" || table == "ORGANISATEUR" ? openMain() : openRep());
    }

    // A read that misses keeps the last row read, or empties the record where a read
    // starts from the defaults; a failed read leaves it the same way.
    void recordWriteReadRewrite()
    {
        QFETCH_GLOBAL(bool, resets);
        withTable([&]<typename Record, typename Liste>(Table<Record, Liste>) {
            using Id = typename Record::IdType;
            Record written = record<Record>(5, u"l'Opéra"_s);
            Id storedId = written.ID;
            if constexpr (std::is_same_v<Id, QString>) {
                written.ID = u"j'5"_s;
                storedId = u"j 5"_s;
            }
            QVERIFY(written.ajouteSql(db, &mutex) != Id{});
            Record read = record<Record>(1, u"before"_s);
            QVERIFY(read.initParSql(db, &mutex, written.ID));
            QCOMPARE(fieldsRow(read.ID, read.NOM), fieldsRow(storedId, u"l Opéra"_s));
            Record afterMiss = read;
            if (resets) {
                afterMiss.initDefaut();
            }
            QVERIFY(read.initParSql(db, &mutex, makeId<Id>(3)));
            QCOMPARE(fieldsRow(read.ID, read.NOM), fieldsRow(afterMiss.ID, afterMiss.NOM));

            QVERIFY(record<Record>(99, u"Keyed"_s).sauvegardeParSql(db, &mutex, written.ID));
            QCOMPARE(column(u"NOM"_s), QStringList{"Keyed"});
            written.NOM = u"Replaced"_s;
            written.ajouteSql(db, &mutex);
            QCOMPARE(column(u"NOM"_s), QStringList{"Replaced"});
            QCOMPARE(fixture::logLines(), QStringList());

            QVERIFY(sqlRun(db, u"drop table "_s + table));
            QVERIFY(!read.initParSql(db, &mutex, makeId<Id>(3)));
            QCOMPARE(read.NOM, afterMiss.NOM);
        });
        QCOMPARE(linesWith(u" - critique - Erreur initParSql "_s), 1);
        QCOMPARE(linesWith(u" : no such table: "_s + table), 1);
    }

    // Identical entries are each written; of two entries with one ID the later in key
    // order stays. An empty list runs the bare head, which fails. A load replaces the
    // list's content, keyed by ID.
    void listWriteKeepsEveryEntry()
    {
        QFETCH_GLOBAL(QString, listError);
        QVERIFY(sqlRun(db, u"create table WRITES (ID)"_s));
        QVERIFY(
            sqlRun(db,
                   u"create trigger n after insert on %1 begin insert into WRITES values (NEW.ID); end"_s.arg(table)));
        withTable([&]<typename Record, typename Liste>(Table<Record, Liste>) {
            Liste list;
            QVERIFY(!list.ajouteSql(db, &mutex));
            for (const char* nom : {"same", "same", "first", "last"}) {
                list.ajoute(record<Record>(list.size() < 2 ? 5 : 6, QString::fromLatin1(nom)), {});
            }
            QVERIFY(list.ajouteSql(db, &mutex));

            Liste loaded;
            loaded.ajoute(record<Record>(42, u"stale"_s), {});
            QVERIFY(loaded.initParSql(db, &mutex));
            QCOMPARE(loaded.keys(), (QList{record<Record>(5, {}).ID, record<Record>(6, {}).ID}));
            QCOMPARE(loaded.first().NOM, u"same"_s);
            QCOMPARE(loaded.last().NOM, u"last"_s);
        });
        QCOMPARE(sqlRows(db, u"select ID from WRITES"_s), (QStringList{"5", "5", "6", "6"}));
        QCOMPARE(linesWith(listError), 1);
    }

    void listSave_data()
    {
        QTest::addColumn<bool>("insertFails");
        QTest::newRow("insert") << false;
        QTest::newRow("insert fails") << true;
    }

    // The list save inserts the size-key entry and keeps it under its row number,
    // without saving it again under that number; a failed insert leaves it where it
    // was. The others rewrite the row of their key and are copied into the other
    // list, until a rewrite fails.
    void listSave()
    {
        QFETCH(bool, insertFails);
        QVERIFY(sqlRun(db, u"insert into %1 (ID, NOM) values ('5','a'),('6','b')"_s.arg(table)));
        QVERIFY(sqlRun(db,
                       u"create trigger boom before update on %1 when cast(OLD.ID as text) = '6' "
                       "begin select raise(abort, 'boom'); end"_s.arg(table)));
        if (insertFails) {
            QVERIFY(
                sqlRun(db, u"create trigger no before insert on %1 begin select raise(abort, 'no'); end"_s.arg(table)));
        }
        withTable([&]<typename Record, typename Liste>(Table<Record, Liste>) {
            using Id = typename Record::IdType;
            Liste list;
            list.insert(Id{}, record<Record>(8, u"new"_s));
            // The new row is row 3.
            QList<Id> keys;
            for (const auto& [key, nom] : {std::pair{3, u"X"_s}, {5, u"A"_s}, {6, u"B"_s}, {7, u"C"_s}}) {
                list.ajoute(record<Record>(99, nom), makeId<Id>(key));
                keys << makeId<Id>(key);
            }
            Liste saved;
            list.sauvegardeParSql(db, &mutex, &saved);
            // Row 3 does not exist: its rewrite changes nothing, and succeeds.
            QCOMPARE(saved.keys(), insertFails ? keys.mid(0, 2) : keys.mid(1, 1));
            if (insertFails) {
                keys.prepend(Id{});
            }
            QCOMPARE(list.keys(), keys);
            QCOMPARE(list.value(insertFails ? Id{} : makeId<Id>(3)).NOM, u"new"_s);
        });
        QCOMPARE(sqlRows(db, u"select ID||'='||NOM from %1 order by ID"_s.arg(table)),
                 (insertFails ? QStringList{"5=A", "6=b"} : QStringList{"5=A", "6=b", "8=new"}));
        QCOMPARE(linesWith(u"Erreur sauvegardeParSql "_s), 1);
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestReferenceLists)
#include "TestReferenceLists.moc"
