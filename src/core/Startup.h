#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

class CParam;

// The body of main: answers "--version" and "--default", brings the core services
// up, runs the main window and returns the exit code.
int tavrimexMain(int argc, char** argv);

// POSIX signal handler: only hands the signal number to the event loop.
void handler(int sig);

// Qt message handler: drops every debug and warning text.
void myMessageOutput(QtMsgType type, const QMessageLogContext& context, const QString& message);

// Sets the four run-time flags of `param` from the command-line words, each word
// counting only when an argument equals it exactly.
void applyRunFlags(CParam& param, const QStringList& arguments);
