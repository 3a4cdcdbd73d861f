#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>

class CParam;

// The body of main: answers "--version" and "--default", brings the core services
// up, runs the main window and returns the exit code.
int tavrimexMain(int argc, char** argv);

// POSIX signal handler: hands a termination signal to the GUI thread's event loops,
// stamped with the last loop started, and nothing more.
void handler(int sig);

// Marks an event loop of the GUI thread as running for the termination signals: one
// that arrives while the loop runs ends it through `end`; one that arrived before it
// started, or after it ended, has no effect on it. GUI thread only; held around exec().
class SignalLoopScope
{
public:
    explicit SignalLoopScope(std::function<void()> end);
    ~SignalLoopScope();
    SignalLoopScope(const SignalLoopScope&) = delete;
    SignalLoopScope& operator=(const SignalLoopScope&) = delete;

private:
    unsigned serial;
};

// Qt message handler: drops every debug and warning text.
void myMessageOutput(QtMsgType type, const QMessageLogContext& context, const QString& message);

// Sets the four run-time flags of `param` from the command-line words, each word
// counting only when an argument equals it exactly.
void applyRunFlags(CParam& param, const QStringList& arguments);
