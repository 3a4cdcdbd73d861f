#include "core/CParam.h"
#include "core/Database.h"
#include "data/CDataAgent.h"
#include "data/CDataCaisse.h"
#include "data/CDataCanalVente.h"
#include "data/CDataEditeur.h"
#include "data/CDataEvent.h"
#include "data/CDataOrga.h"
#include "data/CDataRep.h"
#include "data/CDataTarif.h"
#include "data/CDataZone.h"

#include "CoreFixture.h"
#include "DataFixture.h"
#include "TestMain.h"

using namespace Qt::StringLiterals;

namespace
{

// A REP record with the defaults: IDs 0, the widest dates, one punch.
const QString kRepDefaults = u"0|0|1970-01-01 00:00:00|2170-01-01 00:00:00|1"_s;

CDataRep rep(unsigned int id, unsigned int eventId, unsigned int nbCompostage)
{
    CDataRep out;
    out.initDefaut();
    out.ID = id;
    out.EVENT_ID = eventId;
    out.NB_COMPOSTAGE = nbCompostage;
    out.DATE_DEBUT = u"2024-05-01 20:00:00"_s;
    out.DATE_FIN = u"2024-05-01 23:00:00"_s;
    return out;
}

// The fields in the order of the columns of stored().
QString fields(const CDataRep& r)
{
    return u"%1|%2|%3|%4|%5"_s.arg(r.ID).arg(r.EVENT_ID).arg(r.DATE_DEBUT, r.DATE_FIN).arg(r.NB_COMPOSTAGE);
}

// Every REP row by column name, so that a value written under the wrong column shows.
QStringList stored(QSqlDatabase& db)
{
    return sqlRows(db, u"select ID,EVENT_ID,DATE_DEBUT,DATE_FIN,NB_COMPOSTAGE from REP order by ID"_s);
}

// The list save of a reference list over rows 5 "a" and 6 "b": an entry under the size
// key ("_"), then X, A, B, C under 3, 5, 6, 7. Gives the keys copied into the other list,
// then the list's keys, the new entry's marked "*".
template <typename Liste>
QString saveList(QSqlDatabase& db, QMutex* mutex)
{
    using Record = typename Liste::mapped_type;
    using Id = typename Record::IdType;
    const auto record = [](int id, const QString& nom) {
        Record out;
        out.initDefaut();
        out.ID = QVariant(id).value<Id>();
        out.NOM = nom;
        return out;
    };
    Liste list;
    list.insert(Id{}, record(8, u"new"_s));
    for (const auto& [key, nom] : {std::pair{3, "X"}, {5, "A"}, {6, "B"}, {7, "C"}}) {
        list.ajoute(record(99, QString::fromLatin1(nom)), QVariant(key).value<Id>());
    }
    Liste saved;
    list.sauvegardeParSql(db, mutex, &saved);
    const auto keys = [](const Liste& l) {
        QStringList out;
        for (auto it = l.cbegin(); it != l.cend(); ++it) {
            out << (datakey::isSizeKey(it.key()) ? u"_"_s : QVariant(it.key()).toString())
                       + (it->NOM == u"new"_s ? u"*"_s : QString());
        }
        return out.join(u',');
    };
    return keys(saved) + u'|' + keys(list);
}

using ListSave = QString (*)(QSqlDatabase&, QMutex*);

}  // namespace

// The REP record, the default rows of a ticket-list database and the reference lists' saves.
class TestCDataRep : public DataFixture
{
    Q_OBJECT

private slots:

    void init()
    {
        fixture::initCore(true);  // also resets the language a test changes
        QVERIFY(openRep());
    }

    // NB_COMPOSTAGE comes third in the statements' column list, last in the table.
    void repColumns()
    {
        QVERIFY(rep(4, 9, 3).ajouteSql(db, &mutex) > 0);
        QVERIFY(rep(5, 9, 3).ajouteSql(db, &mutex) > 0);
        CDataRepListe list;
        list.ajoute(rep(5, 8, 2), 0);
        QVERIFY(list.ajouteSql(db, &mutex));
        CDataRep changed = rep(4, 7, 6);
        changed.DATE_FIN = u"2024-05-02 01:00:0'"_s;
        QVERIFY(changed.sauvegardeParSql(db, &mutex));
        QVERIFY(rep(6, 7, 6).sauvegardeParSql(db, &mutex));
        QCOMPARE(stored(db),
                 (QStringList{"4|7|2024-05-01 20:00:00|2024-05-02 01:00:0 |6",
                              "5|8|2024-05-01 20:00:00|2024-05-01 23:00:00|2"}));
        CDataRep read;
        QVERIFY(read.initParSql(db, &mutex, 4));
        QCOMPARE(fields(read), stored(db).first());
        // A miss leaves the defaults, so that callers can compare the ID read with the ID asked.
        QVERIFY(read.initParSql(db, &mutex, 6));
        QCOMPARE(fields(read), kRepDefaults);
        QCOMPARE(fixture::logLines(), QStringList());
    }

    void defaultRowsTwiceLeaveOneEach()
    {
        QVERIFY(sqlRun(db, u"insert into EDITEUR (ID, NOM) values (0, 'other')"_s));
        QVERIFY(createDefaultValuesRepBDD(db, &mutex) && createDefaultValuesRepBDD(db, &mutex));
        for (const char* table : {"EVENT", "REP", "EDITEUR", "TARIF"}) {
            QCOMPARE(sqlRows(db, u"select ID from "_s + QLatin1String(table)), QStringList{"0"});
        }
        for (const char* table : {"DELTA", "CAISSE", "AGENT", "CANAL_VENTE", "BILLET", "PLACE", "MODIF"}) {
            QCOMPARE(sqlRows(db, u"select count(*) from "_s + QLatin1String(table)), QStringList{"0"});
        }
        QCOMPARE(sqlRows(db, u"select NOM from EDITEUR"_s), QStringList{"kestrova"});
        QCOMPARE(stored(db), QStringList{kRepDefaults});
        QCOMPARE(fixture::logLines().filter(u"Creation des valeurs par defaut terminees"_s).size(), 2);
        // A failed row is reported; the rows after it are still written.
        QVERIFY(sqlRun(db, u"drop table EVENT"_s) && sqlRun(db, u"delete from TARIF"_s));
        QVERIFY(!createDefaultValuesRepBDD(db, &mutex));
        QCOMPARE(sqlRows(db, u"select count(*) from TARIF"_s), QStringList{"1"});
    }

    void defaultRowsUnknownInLanguage()
    {
        const std::pair<const char*, const char*> languages[] = {{"0", "Inconnu"},
                                                                 {"1", "Unknown"},
                                                                 {"2", "Desconocido"},
                                                                 {"5", ""}};
        for (const auto& [langue, nom] : languages) {
            QVERIFY(openRep());
            gParam->initParametre(LANGUE, QString::fromLatin1(langue));
            createDefaultValuesRepBDD(db, &mutex);
            const QString unknown = QString::fromLatin1(nom);
            QCOMPARE(sqlRows(db, u"select NOM from EVENT where ID=0 union all select NOM from TARIF where ID=0"_s),
                     (QStringList{unknown, unknown}));
        }
    }

    // The new entry is inserted and kept under its row number (3), not saved again under it;
    // a refused insert leaves it where it was. The others rewrite their key's row and are
    // copied into the other list until a rewrite fails (6's); 3 has no row, which is no error.
    void listSave_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<bool>("insertRefused");
        for (const char* table :
             {"ZONE", "EVENT", "TARIF", "EDITEUR", "CANAL_VENTE", "CAISSE", "AGENT", "ORGANISATEUR"}) {
            QTest::newRow(table) << QString::fromLatin1(table) << false;
        }
        QTest::newRow("TARIF, insert refused") << u"TARIF"_s << true;
        QTest::newRow("AGENT, insert refused") << u"AGENT"_s << true;
    }

    void listSave()
    {
        QFETCH(QString, table);
        QFETCH(bool, insertRefused);
        const QHash<QString, ListSave> saves{{u"ZONE"_s, &saveList<CDataZoneListe>},
                                             {u"EVENT"_s, &saveList<CDataEventListe>},
                                             {u"TARIF"_s, &saveList<CDataTarifListe>},
                                             {u"EDITEUR"_s, &saveList<CDataEditeurListe>},
                                             {u"CANAL_VENTE"_s, &saveList<CDataCanalVenteListe>},
                                             {u"CAISSE"_s, &saveList<CDataCaisseListe>},
                                             {u"AGENT"_s, &saveList<CDataAgentListe>},
                                             {u"ORGANISATEUR"_s, &saveList<CDataOrgaListe>}};
        QVERIFY(table == u"ZONE"_s || table == u"ORGANISATEUR"_s ? openMain() : openRep());
        QVERIFY(sqlRun(db, u"insert into %1 (ID, NOM) values ('5','a'),('6','b')"_s.arg(table)));
        QVERIFY(sqlRun(db,
                       u"create trigger boom before update on %1 when cast(OLD.ID as text) = '6' "
                       "begin select raise(abort, 'boom'); end"_s.arg(table)));
        if (insertRefused) {
            QVERIFY(
                sqlRun(db, u"create trigger no before insert on %1 begin select raise(abort, 'no'); end"_s.arg(table)));
        }
        QCOMPARE(saves.value(table)(db, &mutex), insertRefused ? u"3,5|_*,3,5,6,7"_s : u"5|3*,5,6,7"_s);
        const QStringList stored = insertRefused ? QStringList{"5=A", "6=b"} : QStringList{"5=A", "6=b", "8=new"};
        QCOMPARE(sqlRows(db, u"select ID||'='||NOM from %1 order by ID"_s.arg(table)), stored);
        QCOMPARE(fixture::logLines().filter(u"Erreur sauvegardeParSql "_s).size(), 1);
    }

    // A reset keeps only the journal's pending rows, and puts the default rows back.
    void resetKeepsPendingJournal()
    {
        QVERIFY(sqlRun(db, u"insert into MODIF (ID, STATUS) values (1, 1), (2, 0), (3, null)"_s));
        QVERIFY(sqlRun(db, u"insert into BILLET (ID, CODE_BARRE) values (1, 'A')"_s));
        QVERIFY(resetRepBDD(db, &mutex));
        QCOMPARE(
            sqlRows(db, u"select ID from MODIF union all select count(*) from BILLET union all select ID from REP"_s),
            (QStringList{"1", "0", "0"}));
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestCDataRep)
#include "TestCDataRep.moc"
