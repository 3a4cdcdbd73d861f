#pragma once

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

// What every fuzz target shares: a core-services set-up made once, a scratch folder,
// and the checks that a run stored only what its input said.
namespace fuzz
{

// Creates the application object, a home folder of its own, the settings and the
// language tables, and a recorder in place of message boxes. Once per process.
void setUp(int* argc, char*** argv);

QByteArray bytes(const uint8_t* data, size_t size);

// A path in the scratch folder.
QString scratch(const QString& name);

// The connection of the target's own checks (not the program's): opened on `path`.
QSqlDatabase checkConnection(const QString& path);

// The names of sqlite_master: a run must never add or drop a table or an index.
QStringList schemaOf(QSqlDatabase& db);

// Every value of `column` in `table`.
QStringList columnOf(QSqlDatabase& db, const QString& table, const QString& column);

// Aborts with `what` (a finding for the fuzzer) unless `holds`.
void require(bool holds, const char* what);

// The text a value is stored as: quotes, NULs and lone surrogates blanked.
QString stored(const QString& text);

}  // namespace fuzz
