#include "net/CThreadGetJson.h"

#include "core/CDateHeure.h"
#include "net/JsonReply.h"

#include <algorithm>

namespace ticketlist
{

bool isTrue(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        return value.toBool();
    case QJsonValue::Double:
        return value.toDouble() != 0;
    case QJsonValue::String: {
        const QString text = value.toString();
        return !text.isEmpty() && text != QLatin1String("0")
               && text.compare(QLatin1String("false"), Qt::CaseInsensitive) != 0;
    }
    default:
        return false;
    }
}

quint32 keyToUInt32(const QString& key)
{
    // toUInt would also take blanks around the figures and a plus sign.
    const bool isWhole = !key.isEmpty() && std::all_of(key.cbegin(), key.cend(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
    return isWhole ? key.toUInt(nullptr, 10) : 0;
}

QString serviceDateTime(const QString& figures)
{
    const QByteArray bytes = figures.toLatin1();
    CDate date;
    CHeure time;
    if (!date.initParTrameKestrova(bytes.left(8)) || !time.initParTrameKestrova(bytes.mid(8), true)) {
        return QString();
    }
    return date.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ') + time.toString(QStringLiteral("hh:mm:ss"));
}

bool holdsList(const QJsonObject& document)
{
    if (jsonreply::toUInt32(member(document, "dt")) != 0) {
        return true;
    }
    const char* const sections[] = {"rep", "evt", "tarif", "agent", "pub", "caisse", "canal", "tickets", "modifs"};
    return std::any_of(std::cbegin(sections), std::cend(sections), [&document](const char* name) {
        return document.contains(QLatin1String(name));
    });
}

QJsonValue member(const QJsonObject& object, const char* name)
{
    return object.value(QLatin1String(name));
}

QStringList sortedKeys(const QJsonObject& object)
{
    QStringList keys = object.keys();
    std::sort(keys.begin(), keys.end());
    return keys;
}

}  // namespace ticketlist
