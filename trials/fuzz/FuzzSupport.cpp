#include "FuzzSupport.h"

#include "core/AppFolder.h"
#include "core/BoxPresenter.h"
#include "core/CAffichage.h"
#include "core/CParam.h"
#include "core/Util.h"

#include <QCoreApplication>
#include <QDir>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace fuzz
{

namespace
{

QTemporaryDir* home = nullptr;

}  // namespace

void setUp(int* argc, char*** argv)
{
    static QTemporaryDir folder;
    home = &folder;
    qputenv("HOME", folder.path().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QCoreApplication(*argc, *argv);
    for (const char* sub : {"/db", "/img", "/traces"}) {
        QDir().mkpath(::appFolder() + QLatin1String(sub));
    }
    setBoxPresenter([](const BoxRequest&, QWidget*) {});
    gParam = new CParam;
    gParam->charge(QString(), true);
    gAffichage = new CAffichage;
}

QByteArray bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

QString scratch(const QString& name)
{
    return home->filePath(name);
}

QSqlDatabase checkConnection(const QString& path)
{
    const QString name = QStringLiteral("fuzz-check");
    QSqlDatabase db = QSqlDatabase::contains(name) ? QSqlDatabase::database(name, false)
                                                   : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.close();
    db.setDatabaseName(path);
    db.open();
    return db;
}

QStringList schemaOf(QSqlDatabase& db)
{
    return columnOf(db, QStringLiteral("sqlite_master"), QStringLiteral("name"));
}

QStringList columnOf(QSqlDatabase& db, const QString& table, const QString& column)
{
    QStringList values;
    QSqlQuery query(db);
    query.exec(QStringLiteral("select ") + column + QStringLiteral(" from ") + table + QStringLiteral(" order by 1"));
    while (query.next()) {
        values << query.value(0).toString();
    }
    return values;
}

void require(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "check failed: %s\n", what);
        std::abort();
    }
}

QString stored(const QString& text)
{
    return utilSqlFormateString(text);
}

}  // namespace fuzz
