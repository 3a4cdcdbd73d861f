// A ticket-list or delta reply: the first byte chooses a delta run or a full load.
#include "TicketListTarget.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::setUp(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) {
        return 0;
    }
    fuzz::runTicketList(fuzz::bytes(data + 1, size - 1), fuzz::scratch(QStringLiteral("R1_Z1.db")), (data[0] & 1) != 0);
    return 0;
}
