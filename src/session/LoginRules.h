#pragma once

#include "data/CDataZone.h"

#include <QByteArray>
#include <QString>

// What the login decides apart from the window: the password hash, the offline
// check, the new-organiser test and the reading of the service's reply. Any thread.
namespace loginrules
{

// The password as the service takes it: a text of exactly 32 hexadecimal figures
// (either case) is a hash already and is kept as typed; any other text gives the MD5
// of its Latin-1 bytes in lower-case hexadecimal.
QString passwordHash(const QString& typed);

// Whether the typed login names another organiser than the stored one, both compared
// trimmed: blanks around a login never make it another organiser.
bool isOtherOrganiser(const QString& typedLogin, const QString& storedLogin);

// The offline login: both fields filled, the same organiser, and the same password
// hash. The stored password may be a hash or, in older settings files, the text.
bool offlineAccepted(const QString& typedLogin,
                     const QString& typedPassword,
                     const QString& storedLogin,
                     const QString& storedPassword);

struct LoginReply
{
    enum class Kind
    {
        Empty,
        NotJson,
        // Not a login answer, or a "status" other than 0: nothing to do.
        Ignored,
        Refused,
        Accepted,
    };

    Kind kind = Kind::Empty;
    // "error" of a refused login.
    int error = 0;
    QString sessionId;
    QString terminalId;
    // "zoneList" in the order of its keys as text, under keys 0, 1, 2...
    CDataZoneListe zones;
};

LoginReply parseReply(const QByteArray& reply);

}  // namespace loginrules
