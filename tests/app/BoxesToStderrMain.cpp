#include "core/BoxPresenter.h"
#include "core/Startup.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

// A termination signal that arrives before the main loop runs must have no lasting
// effect: every start of this program sends itself one as its application is made.
static void terminateDuringStartUp()
{
    std::raise(SIGTERM);
}
Q_COREAPP_STARTUP_FUNCTION(terminateDuringStartUp)

int main(int argc, char** argv)
{
    setBoxPresenter([](const BoxRequest& request, QWidget*) {
        std::fprintf(stderr, "BOX [%s] %s\n", qUtf8Printable(request.title), qUtf8Printable(request.text));
        std::fflush(stderr);
    });
    return tavrimexMain(argc, argv);
}
