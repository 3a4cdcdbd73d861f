#pragma once

#include "data/SqlRunner.h"

#include <QList>
#include <QMap>
#include <QMultiMap>
#include <QMutex>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <utility>

// Lists are keyed by an unsigned number or, for agents and organisers, by a text.
// Key 0 (the empty text) handed to ajoute stands for the list's current size.
namespace datakey
{

inline bool isSizeKey(unsigned int key)
{
    return key == 0;
}

inline bool isSizeKey(const QString& key)
{
    return key.isEmpty();
}

inline void fromSize(unsigned int& key, qsizetype size)
{
    key = static_cast<unsigned int>(size);
}

inline void fromSize(QString& key, qsizetype size)
{
    key = QString::number(size);
}

}  // namespace datakey

namespace datalist
{

// The multi-row write shared by both list kinds: one "select <values>" row per entry,
// in iteration order, after Record::insertHead().
template <typename Map>
bool writeAll(const Map& map, QSqlDatabase& db, QMutex* mutex, const QString& errorHead)
{
    using Record = typename Map::mapped_type;
    QStringList rows;
    rows.reserve(map.size());
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        rows.append(QStringLiteral("select ") + it.value().valuesSql());
    }
    return sqlrun::execRows(db, mutex, Record::insertHead(), rows, errorHead);
}

// One record per key: a QMap's insert replaces, a QMultiMap needs replace.
template <typename Key, typename Record>
void store(QMap<Key, Record>& map, const Key& key, const Record& record)
{
    map.insert(key, record);
}

template <typename Key, typename Record>
void store(QMultiMap<Key, Record>& map, const Key& key, const Record& record)
{
    map.replace(key, record);
}

}  // namespace datalist

// What both list kinds share: `ajoute` with its size key, the load and the multi-row
// write. A list belongs to one caller and one thread; only its SQL operations touch
// the database mutex, each for its own statement.
template <typename Map>
class CDataListeBase : public Map
{
public:
    using Key = typename Map::key_type;
    using Record = typename Map::mapped_type;

    // Stores a copy of `record` under `key`, replacing the entry there (the newest one
    // when a load left several). The size key (0 or empty) means "the current size":
    // with entries under 1 and 2 it is 2 again, so it replaces that entry; writers that
    // only ever add under it get 0, 1, 2...
    void ajoute(Record record, Key key)
    {
        if (datakey::isSizeKey(key)) {
            datakey::fromSize(key, this->size());
        }
        datalist::store(*this, key, record);
    }

protected:
    // Empties the list, then adds what `keyedRecord(query)` makes of each row.
    template <typename KeyedRecord>
    bool load(QSqlDatabase& db, QMutex* mutex, const QString& statement, KeyedRecord keyedRecord)
    {
        this->clear();
        return sqlrun::exec(db, mutex, statement, QStringLiteral("Erreur initParSql "), [&](QSqlQuery& query) {
            auto [key, record] = keyedRecord(query);
            this->insert(key, record);
        });
    }

    // As load, with `values` bound to the statement's placeholders, prepared through
    // `prepared` (may be null).
    template <typename KeyedRecord>
    bool loadBound(QSqlDatabase& db,
                   QMutex* mutex,
                   sqlrun::Prepared* prepared,
                   const QString& statement,
                   const QVariantList& values,
                   KeyedRecord keyedRecord)
    {
        this->clear();
        return sqlrun::execBound(db,
                                 mutex,
                                 prepared,
                                 statement,
                                 values,
                                 QStringLiteral("Erreur initParSql "),
                                 [&](QSqlQuery& query) {
                                     auto [key, record] = keyedRecord(query);
                                     this->insert(key, record);
                                 });
    }

    // Writes every entry in key order through Record::insertHead() and
    // Record::valuesSql(). False when a statement failed (it is logged with
    // `errorHead`); the other statements are still run.
    bool writeAll(QSqlDatabase& db, QMutex* mutex, const QString& errorHead) const
    {
        return datalist::writeAll(*this, db, mutex, errorHead);
    }
};

// The list half of the record-and-list family: an ordered map of plain records, walked
// in ascending key order, one record per key.
template <typename Key, typename Record>
class CDataListe : public CDataListeBase<QMap<Key, Record>>
{
protected:
    // Copies the entry under `key` into `out`. The size key is never looked up.
    bool copyEntry(const Key& key, Record& out) const
    {
        if (datakey::isSizeKey(key)) {
            return false;
        }
        const auto it = this->constFind(key);
        if (it == this->cend()) {
            return false;
        }
        out = it.value();
        return true;
    }

    // The list save: an entry under the size key is inserted and stored again under
    // the row number the insert returned; any other entry rewrites the row whose ID
    // is its key and, when that worked, is copied into `other`. A failed rewrite ends
    // the walk, a failed insert does not.
    //
    // The walk visits the keys the list held when it started. An entry stored again
    // under a row number is not visited a second time: rewriting by that number would
    // touch the row whose ID happens to equal it.
    template <typename Liste>
    void saveEach(QSqlDatabase& db, QMutex* mutex, Liste* other)
    {
        const QList<Key> keys = this->keys();
        QSet<Key> restored;
        for (const Key& key : keys) {
            const auto it = this->find(key);
            if (it == this->end() || restored.contains(key)) {
                continue;
            }
            Record record = it.value();
            if (datakey::isSizeKey(key)) {
                const Key rowKey = record.ajouteSql(db, mutex);
                if (!datakey::isSizeKey(rowKey)) {
                    this->remove(key);
                    this->ajoute(record, rowKey);
                    restored.insert(rowKey);
                }
                continue;
            }
            if (!record.sauvegardeParSql(db, mutex, key)) {
                return;
            }
            if (other) {
                other->insert(key, record);
            }
        }
    }
};

// A list whose loads may store several records under one key (tickets by ID, seats
// by price category). A load keeps every row, the row read last first among equal
// keys; ajoute keeps one record per key, as in CDataListe.
template <typename Key, typename Record>
class CDataMultiListe : public CDataListeBase<QMultiMap<Key, Record>>
{};
