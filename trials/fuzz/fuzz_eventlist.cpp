// The event-list reply, parsed by its worker into a fresh main database.
#include "core/Database.h"
#include "net/CThreadEvt.h"
#include "net/JsonReply.h"

#include "FuzzSupport.h"

#include <QFile>

namespace
{

class Worker : public CThreadEvt
{
public:
    using CThreadEvt::run;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::setUp(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QFile::remove(mainDatabasePath());
    QSqlDatabase db = fuzz::checkConnection(mainDatabasePath());
    const QStringList schema = fuzz::schemaOf(db);
    db.close();

    Worker worker;
    worker.setData(fuzz::bytes(data, size), QSqlDatabase(), nullptr);
    worker.run();

    bool parsed = false;
    const QVariantMap events =
        jsonreply::parseObject(fuzz::bytes(data, size), &parsed).value(QStringLiteral("events")).toMap();
    const qsizetype entries =
        events.value(QStringLiteral("event")).toMap().size() + events.value(QStringLiteral("pont")).toMap().size();
    db = fuzz::checkConnection(mainDatabasePath());
    if (!schema.isEmpty()) {
        fuzz::require(fuzz::schemaOf(db) == schema, "the schema changed");
    }
    fuzz::require(fuzz::columnOf(db, QStringLiteral("EVENEMENT"), QStringLiteral("ID")).size() <= entries,
                  "more events than the reply holds");
    for (const char* untouched : {"ZONE", "ORGANISATEUR", "VIDANGE"}) {
        fuzz::require(fuzz::columnOf(db, QLatin1String(untouched), QStringLiteral("ID")).isEmpty(),
                      "a table the event list never writes holds rows");
    }
    db.close();
    return 0;
}
