#pragma once

#include <QByteArray>
#include <QSqlError>
#include <QString>

class QWidget;

// Name of a log level: "emerg" ... "debug"; empty above 7.
QString logLevelName(unsigned char level);

// Path of the current month's log file: <app folder>/traces/Log_yyyy_MM.log.
QString logFilePath();

// Appends one line to the month's log file. Levels 0 to 4 are always written; the
// others only with the "log" argument or when forced. Never fails visibly: when the
// traces folder is missing the line is lost. Any thread may call it.
void enregistreLog(unsigned char level, QString text, bool force);

// A warning box titled with the level's name. Logs nothing.
void popupError(QWidget* parent, unsigned char level, QString text);

// Logs a database error ("ERREUR DB (n) : text") and, with popup, shows it in a
// critical box cut into 80-character lines. False (and nothing done) when the error
// is not valid. GUI thread only; the caller must not hold the database mutex.
bool erreurDb(QSqlError error, bool popup, QWidget* parent, bool closeParent, unsigned char level);

// The error number as the log prints it: SQLite's code, or -1 when there is none.
QString erreurDbNumber(const QSqlError& error);

// Toolkit variants kept for completeness.
bool erreurDb(QWidget* parent, QString text, bool closeParent, unsigned char level);
void erreurDbSimple(QWidget* parent, QByteArray text, bool closeParent, unsigned char level);
QByteArray erreurFichier(const char* prefix, int code, QString detail);
void debugMessage(QByteArray name, bool outgoing, QByteArray data);
void debugTrame(QByteArray name, bool outgoing, QByteArray frame, int base);
