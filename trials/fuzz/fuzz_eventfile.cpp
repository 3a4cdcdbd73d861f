// An event file downloaded from the organiser's account: a full load into the
// import's database, with its settings switch and event data.
#include "core/AppFolder.h"

#include "TicketListTarget.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::setUp(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::runTicketList(fuzz::bytes(data, size), dbFolder() + QStringLiteral("dump.db"), false);
    return 0;
}
