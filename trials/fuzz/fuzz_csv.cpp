// The file of locally sold tickets, imported into a fresh list database.
#include "core/Database.h"
#include "data/CDataBillet.h"
#include "session/LocalTicketImport.h"

#include "FuzzSupport.h"

#include <QFile>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::setUp(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzz::scratch(QStringLiteral("R2_Z1.db"));
    QFile::remove(path);
    const QByteArray content = fuzz::bytes(data, size);
    QSqlDatabase db = fuzz::checkConnection(path);
    fuzz::require(openRepBDD(db, nullptr, path), "cannot create the list");
    const QStringList schema = fuzz::schemaOf(db);
    const int written = localticket::importContent(db, nullptr, content, QStringLiteral("En local"));

    fuzz::require(fuzz::schemaOf(db) == schema, "the schema changed");
    const QStringList barcodes = fuzz::columnOf(db, QStringLiteral("BILLET"), QStringLiteral("CODE_BARRE"));
    fuzz::require(barcodes.size() <= content.count('\n') + 1 && written <= content.count('\n') + 1,
                  "more tickets than lines");
    for (const QString& editeur : fuzz::columnOf(db, QStringLiteral("BILLET"), QStringLiteral("EDITEUR_ID"))) {
        fuzz::require(editeur.toUInt() == EDITEUR_LOCAL_ID, "a ticket of another issuer");
    }
    for (const char* untouched : {"MODIF", "DELTA", "AGENT", "CAISSE"}) {
        fuzz::require(fuzz::columnOf(db, QLatin1String(untouched), QStringLiteral("1")).isEmpty(),
                      "a table the import never writes holds rows");
    }
    db.close();
    return 0;
}
