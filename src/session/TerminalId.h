#pragma once

#include <QString>
#include <QStringList>

// The pieces of the terminal identifier "PC-MAC-" + system name + "-" + address.
namespace terminalid
{

// The address of a machine without any usable interface.
inline constexpr char kDefaultAddress[] = "00:UN:DE:FI:NE:D0";

// The system name of a Mac OS X version code (2 is 10.0 ... 8 is 10.6); "UNKNOWN"
// for any other code. This platform reports no such code: see kNoMacVersion.
QString systemName(int macVersion);
inline constexpr int kNoMacVersion = 0;

// The first address that is neither empty nor all zeros (the loopback's), else the
// default address.
QString firstUsableAddress(const QStringList& addresses);

// The hardware addresses of the machine's interfaces, in the order the system gives.
QStringList machineAddresses();

}  // namespace terminalid
