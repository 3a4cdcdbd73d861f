#include "net/CThreadGetJson.h"

#include "core/CDateHeure.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include <algorithm>
#include <cmath>
#include <limits>

namespace ticketlist
{

namespace
{

// A JSON number as a whole number; fractions round half away from zero.
bool wholeNumber(double number, qint64& out)
{
    if (!std::isfinite(number) || std::fabs(number) >= 9.0e18) {
        return false;
    }
    out = std::llround(number);
    return true;
}

}  // namespace

bool parseDocument(const QByteArray& data, QJsonObject& document)
{
    document = QJsonObject();
    if (data.isEmpty()) {
        return false;
    }
    QByteArray text = data;
    QJsonParseError error;
    QJsonDocument parsed = QJsonDocument::fromJson(text, &error);
    if (error.error == QJsonParseError::IllegalUTF8String) {
        // Older services sent Latin-1 names; keep the document, lose the odd letter.
        text = QString::fromUtf8(data).toUtf8();
        parsed = QJsonDocument::fromJson(text, &error);
    }
    if (error.error == QJsonParseError::IllegalValue) {
        // A lone scalar or blank text is not a JSON document to Qt, but was read as
        // one that is not an object. Inside brackets it parses to at most one element;
        // anything more was never a single document.
        const QJsonDocument wrapped = QJsonDocument::fromJson('[' + text + ']', &error);
        return error.error == QJsonParseError::NoError && wrapped.array().size() <= 1;
    }
    if (error.error != QJsonParseError::NoError) {
        return false;
    }
    document = parsed.object();
    return true;
}

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

qint64 toInteger(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        return value.toBool() ? 1 : 0;
    case QJsonValue::Double: {
        qint64 whole = 0;
        return wholeNumber(value.toDouble(), whole) ? whole : 0;
    }
    case QJsonValue::String:
        return value.toString().toLongLong(nullptr, 10);
    default:
        return 0;
    }
}

quint32 toUInt32(const QJsonValue& value)
{
    if (value.isString()) {
        return keyToUInt32(value.toString());
    }
    const qint64 number = toInteger(value);
    return number >= 0 && number <= std::numeric_limits<quint32>::max() ? static_cast<quint32>(number) : 0;
}

QString toText(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Double:
    case QJsonValue::Bool:
        return value.toVariant().toString();
    default:
        return QString();
    }
}

quint32 keyToUInt32(const QString& key)
{
    return key.toUInt(nullptr, 10);
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
