// The login reply: any bytes give one of the reply kinds, never a crash.
#include "session/LoginRules.h"

#include "FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::setUp(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const loginrules::LoginReply reply = loginrules::parseReply(fuzz::bytes(data, size));
    fuzz::require(reply.kind == loginrules::LoginReply::Kind::Accepted || reply.zones.isEmpty(),
                  "zones read from a reply that was not accepted");
    return 0;
}
