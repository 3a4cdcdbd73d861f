#include "core/BoxPresenter.h"
#include "core/Startup.h"

#include <cstdio>

int main(int argc, char** argv)
{
    setBoxPresenter([](const BoxRequest& request, QWidget*) {
        std::fprintf(stderr, "BOX [%s] %s\n", qUtf8Printable(request.title), qUtf8Printable(request.text));
        std::fflush(stderr);
    });
    return tavrimexMain(argc, argv);
}
