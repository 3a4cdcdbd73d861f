#include "session/LoginRules.h"

#include "core/Util.h"
#include "net/JsonReply.h"

#include <QCryptographicHash>

namespace loginrules
{

QString passwordHash(const QString& typed)
{
    const QByteArray bytes = typed.toLatin1();
    if (bytes.size() == 32 && utilIsHexa(QString::fromLatin1(bytes))) {
        return typed;
    }
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

bool isOtherOrganiser(const QString& typedLogin, const QString& storedLogin)
{
    // Both sides: the login is stored as it was typed, blanks included.
    return typedLogin.trimmed() != storedLogin.trimmed();
}

bool offlineAccepted(const QString& typedLogin,
                     const QString& typedPassword,
                     const QString& storedLogin,
                     const QString& storedPassword)
{
    if (typedLogin.isEmpty() || typedPassword.isEmpty() || storedPassword.isEmpty()) {
        return false;
    }
    return !isOtherOrganiser(typedLogin, storedLogin) && passwordHash(typedPassword) == passwordHash(storedPassword);
}

LoginReply parseReply(const QByteArray& reply)
{
    LoginReply result;
    if (reply.isEmpty()) {
        return result;
    }
    bool parsed = false;
    const QVariantMap map = jsonreply::parseObject(reply, &parsed);
    if (!parsed) {
        result.kind = LoginReply::Kind::NotJson;
        return result;
    }
    result.kind = LoginReply::Kind::Ignored;
    if (jsonreply::toText(map.value(QStringLiteral("request"))) != QLatin1String("login")) {
        return result;
    }
    result.error = map.value(QStringLiteral("error")).toInt();
    if (result.error != 0) {
        result.kind = LoginReply::Kind::Refused;
        return result;
    }
    if (map.value(QStringLiteral("status")).toInt() != 0) {
        return result;
    }
    result.kind = LoginReply::Kind::Accepted;
    result.sessionId = jsonreply::toText(map.value(QStringLiteral("sessionID")));
    result.terminalId = jsonreply::toText(map.value(QStringLiteral("terminalId")));
    const QVariantMap zones = map.value(QStringLiteral("zoneList")).toMap();
    for (auto it = zones.cbegin(); it != zones.cend(); ++it) {
        CDataZone zone;
        zone.ID = it.key().toUInt();
        zone.NOM = jsonreply::toText(it.value());
        result.zones.ajoute(zone, 0);
    }
    return result;
}

}  // namespace loginrules
