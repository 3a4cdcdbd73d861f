#pragma once

#include <QString>
#include <QStringList>

// Core services as main brings them up, inside the test's home folder.
namespace fixture
{

// Creates the application folder tree, gParam (with the log flag) and gAffichage,
// once per process; later calls only reset the log flag and the language.
void initCore(bool withLog = false);

// As initCore, and keeps Qt's debug and warning texts (the construction's traces,
// the log's echo) out of the test output, as the program's own handler does.
void initQuietCore();

// The whole content of `path`, empty when it cannot be read.
QByteArray readFile(const QString& path);
// Replaces the content of `path`; false when it cannot be written.
bool writeFile(const QString& path, const QByteArray& content);

// Lines of the current month's log file (without line ends).
QStringList logLines();
// Empties the current month's log file.
void clearLog();
// Whether some log line contains `text`.
bool logContains(const QString& text);

}  // namespace fixture
