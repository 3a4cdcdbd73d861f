#include "session/TerminalId.h"

#include <QNetworkInterface>

namespace terminalid
{

QString systemName(int macVersion)
{
    static const char* const names[] = {"CHEETAH", "PUMA", "JAGUAR", "PANTHER", "TIGER", "LEOPARD", "SNOWLEOPARD"};
    constexpr int first = 2;
    if (macVersion < first || macVersion >= first + static_cast<int>(std::size(names))) {
        return QStringLiteral("UNKNOWN");
    }
    return QLatin1String(names[macVersion - first]);
}

QString firstUsableAddress(const QStringList& addresses)
{
    for (const QString& address : addresses) {
        if (!address.isEmpty() && address != QLatin1String("00:00:00:00:00:00")) {
            return address;
        }
    }
    return QLatin1String(kDefaultAddress);
}

QStringList machineAddresses()
{
    QStringList addresses;
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& interface : interfaces) {
        addresses.append(interface.hardwareAddress());
    }
    return addresses;
}

}  // namespace terminalid
