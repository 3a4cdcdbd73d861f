#pragma once

#include <QString>
#include <QtGlobal>

// The body of main: answers "--version" and "--default", brings the core services
// up, runs the main window and returns the exit code.
int tavrimexMain(int argc, char** argv);

// POSIX signal handler: only hands the signal number to the event loop.
void handler(int sig);

// Qt message handler: drops every debug and warning text.
void myMessageOutput(QtMsgType type, const QMessageLogContext& context, const QString& message);
