#pragma once

#include "core/Database.h"
#include "net/CThreadGet.h"
#include "net/JsonReply.h"

#include "FuzzSupport.h"

#include <QFile>
#include <QJsonObject>
#include <QSet>

// A ticket-list reply (or an event file) parsed by its worker into a fresh list
// database: the tables hold the document's members and nothing else.
namespace fuzz
{

class TicketWorker : public CThreadGet
{
public:
    using CThreadGet::run;
};

inline QSet<QString> storedKeys(const QJsonObject& document, const char* member)
{
    QSet<QString> keys;
    const QJsonObject entries = document.value(QLatin1String(member)).toObject();
    for (auto it = entries.constBegin(); it != entries.constEnd(); ++it) {
        keys.insert(stored(it.key()));
    }
    return keys;
}

inline void requireWithin(QSqlDatabase& db, const char* table, const char* column, QSet<QString> allowed)
{
    const QStringList values = columnOf(db, QLatin1String(table), QLatin1String(column));
    for (const QString& value : values) {
        require(allowed.contains(value), table);
    }
}

inline void runTicketList(const QByteArray& input, const QString& path, bool isDelta)
{
    QFile::remove(path);
    const QString guiName = QStringLiteral("fuzz-gui");
    {
        QSqlDatabase gui = QSqlDatabase::contains(guiName)
                               ? QSqlDatabase::database(guiName, false)
                               : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), guiName);
        require(openRepBDD(gui, nullptr, path), "cannot create the list");
        QSqlDatabase check = checkConnection(path);
        const QStringList schema = schemaOf(check);
        check.close();

        TicketWorker worker;
        worker.setData(input, nullptr, gui, isDelta);
        worker.run();
        gui.close();

        bool parsed = false;
        const QJsonObject document = jsonreply::parseDocument(input, &parsed);
        check = checkConnection(path);
        require(schemaOf(check) == schema, "the schema changed");
        const QSet<QString> tickets = storedKeys(document, "tickets");
        requireWithin(check, "BILLET", "CODE_BARRE", tickets);
        requireWithin(check, "PLACE", "CODE_BARRE", tickets);
        requireWithin(check, "MODIF", "CODE_BARRE", storedKeys(document, "modifs"));
        QSet<QString> agents = storedKeys(document, "agent");
        agents.insert(QStringLiteral("0"));
        requireWithin(check, "AGENT", "ID", agents);
        require(columnOf(check, QStringLiteral("DELTA"), QStringLiteral("ID")).size() <= 1, "DELTA");
        check.close();
    }
}

}  // namespace fuzz
