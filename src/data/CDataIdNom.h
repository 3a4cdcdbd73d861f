#pragma once

#include "data/CDataListe.h"
#include "data/SqlRunner.h"

#include <QLatin1String>
#include <QMutex>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <utility>

// The id-and-name tables (zones, events, price categories, issuers, sales channels,
// tills) hold an unsigned ID; agents and organisers a text ID. Everything else about
// them is the same, so one pattern serves both kinds.
namespace dataidnom
{

// The ID after "where ID=" of a read: numbers bare, texts quoted like any value.
inline QString whereId(unsigned int id)
{
    return QString::number(id);
}

inline QString whereId(const QString& id)
{
    return sqlrun::quoted(id);
}

inline void readId(const QVariant& value, unsigned int& id)
{
    id = value.toUInt();
}

inline void readId(const QVariant& value, QString& id)
{
    id = value.toString();
}

inline void emptyId(unsigned int& id)
{
    id = 0;
}

inline void emptyId(QString& id)
{
    id = QStringLiteral("");
}

// The row number of an insert in the record's ID type; 0 or empty on failure.
inline void rowIdAs(bool ok, quint32 rowId, unsigned int& out)
{
    out = ok ? rowId : 0;
}

inline void rowIdAs(bool ok, quint32 rowId, QString& out)
{
    out = ok ? QString::number(rowId) : QString();
}

}  // namespace dataidnom

// One row of an id-and-name table. `Derived` names its table (kTable) and says
// whether a read starts from the defaults (kReadResets), so that a miss leaves an
// empty record instead of the previous row.
//
// Every SQL operation runs one statement on the connection it is given, holding
// `mutex` (may be null, must not be held by the caller) for that statement only.
// Failures are logged at level 2 and reported through the result only. Any thread.
template <typename Derived, typename Id>
class CDataIdNom
{
public:
    using IdType = Id;

    QString NOM;
    Id ID{};

    // NOM and ID empty (0 for a number).
    void initDefaut()
    {
        NOM = QStringLiteral("");
        dataidnom::emptyId(ID);
    }

    // Reads the row whose ID is `id`. True when the statement ran, also when no row
    // matched: the record then keeps its values, or is empty for kReadResets tables.
    bool initParSql(QSqlDatabase& db, QMutex* mutex, Id id)
    {
        const QString statement = selectSql() + QStringLiteral(" where ID=") + dataidnom::whereId(id);
        if constexpr (Derived::kReadResets) {
            initDefaut();
        }
        return sqlrun::exec(db, mutex, statement, QStringLiteral("Erreur initParSql "), [this](QSqlQuery& query) {
            readRow(query);
        });
    }

    // Writes the record, replacing the row with the same ID. Returns the row number
    // SQLite gave it (as text for text IDs), 0 or empty on failure.
    Id ajouteSql(QSqlDatabase& db, QMutex* mutex) const
    {
        const QString statement = insertHead() + QStringLiteral("values (") + valuesSql() + QLatin1Char(')');
        quint32 rowId = 0;
        const bool ok = sqlrun::exec(db, mutex, statement, QStringLiteral("Erreur ajouteSql "), {}, &rowId);
        Id result;
        dataidnom::rowIdAs(ok, rowId, result);
        return result;
    }

    // Rewrites NOM of the row whose ID is the record's ID (or `key`). A missing row is
    // no error. False when the statement failed.
    bool sauvegardeParSql(QSqlDatabase& db, QMutex* mutex) const
    {
        return sauvegardeParSql(db, mutex, ID);
    }

    bool sauvegardeParSql(QSqlDatabase& db, QMutex* mutex, Id key) const
    {
        const QString statement = QStringLiteral("update ") + table() + QStringLiteral(" set NOM=")
                                  + sqlrun::quoted(NOM) + QStringLiteral(" where ID=") + sqlrun::quoted(key);
        return sqlrun::exec(db, mutex, statement, QStringLiteral("Erreur sauvegardeParSql "));
    }

    // Statement pieces, shared with the list.
    static QString table()
    {
        return QLatin1String(Derived::kTable);
    }

    static QString selectSql()
    {
        return QStringLiteral("select ID,NOM from ") + table();
    }

    static QString insertHead()
    {
        return QStringLiteral("replace into ") + table() + QStringLiteral(" (ID, NOM) ");
    }

    QString valuesSql() const
    {
        return sqlrun::quoted(ID) + QLatin1Char(',') + sqlrun::quoted(NOM);
    }

    void readRow(const QSqlQuery& query)
    {
        dataidnom::readId(query.value(0), ID);
        NOM = query.value(1).toString();
    }
};

// A list of id-and-name records. `Derived` gives the error text of its multi-row
// write (kAjouteErreur) and the accessor named after the table.
template <typename Derived, typename Record>
class CDataIdNomListe : public CDataListe<typename Record::IdType, Record>
{
public:
    // Replaces the content with every row of the table, keyed by ID. False (list
    // empty) when the statement failed.
    bool initParSql(QSqlDatabase& db, QMutex* mutex)
    {
        return this->load(db, mutex, Record::selectSql(), [](QSqlQuery& query) {
            Record record;
            record.readRow(query);
            return std::pair{record.ID, record};
        });
    }

    // Writes every entry, in key order, in statements of at most 100 rows. False when
    // one of them failed; the others are still written.
    bool ajouteSql(QSqlDatabase& db, QMutex* mutex) const
    {
        return this->writeAll(db, mutex, QLatin1String(Derived::kAjouteErreur));
    }

    // Inserts the entry under the size key, rewrites the others by key and copies
    // the rewritten ones into `other`; see CDataListe::saveEach.
    void sauvegardeParSql(QSqlDatabase& db, QMutex* mutex, Derived* other)
    {
        this->saveEach(db, mutex, other);
    }

    void dropList()
    {
        this->clear();
    }
};
