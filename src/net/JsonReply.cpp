#include "net/JsonReply.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include <cmath>
#include <limits>

namespace jsonreply
{

namespace
{

// Length of the valid UTF-8 sequence starting at `i`, 0 when there is none.
qsizetype utf8SequenceLength(const QByteArray& data, qsizetype i)
{
    const auto lead = static_cast<unsigned char>(data[i]);
    qsizetype length = 0;
    char32_t minimum = 0;
    char32_t value = 0;
    if (lead < 0x80) {
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        minimum = 0x80;
        value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        minimum = 0x800;
        value = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        minimum = 0x10000;
        value = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > data.size()) {
        return 0;
    }
    for (qsizetype k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(data[i + k]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        value = (value << 6) | (next & 0x3F);
    }
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    return value < minimum || value > 0x10FFFF || surrogate ? 0 : length;
}

QJsonDocument parse(const QByteArray& data, QJsonParseError* error)
{
    QJsonDocument document = QJsonDocument::fromJson(data, error);
    if (error->error == QJsonParseError::IllegalUTF8String) {
        document = QJsonDocument::fromJson(repairUtf8(data), error);
    }
    return document;
}

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

QByteArray repairUtf8(const QByteArray& data)
{
    QByteArray out;
    out.reserve(data.size() + data.size() / 8);
    for (qsizetype i = 0; i < data.size();) {
        const qsizetype length = utf8SequenceLength(data, i);
        if (length > 0) {
            out.append(data.constData() + i, length);
            i += length;
        } else {
            out += QString(QChar(static_cast<unsigned char>(data[i]))).toUtf8();
            ++i;
        }
    }
    return out;
}

QJsonObject parseDocument(const QByteArray& data, bool* ok)
{
    QJsonParseError error;
    const QJsonDocument document = parse(data, &error);
    if (error.error == QJsonParseError::NoError) {
        *ok = true;
        return document.object();
    }
    // A lone scalar, or blanks alone, is a document that is not an object. Inside
    // brackets it parses to at most one element; anything more was never one document.
    if (error.error == QJsonParseError::IllegalValue && !data.isEmpty()) {
        const QJsonDocument wrapped = parse('[' + data + ']', &error);
        *ok = error.error == QJsonParseError::NoError && wrapped.array().size() <= 1;
        return QJsonObject();
    }
    *ok = false;
    return QJsonObject();
}

QVariantMap parseObject(const QByteArray& data, bool* ok)
{
    return parseDocument(data, ok).toVariantMap();
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

unsigned int toUInt32(const QJsonValue& value)
{
    if (value.isString()) {
        return value.toString().toUInt(nullptr, 10);
    }
    const qint64 number = toInteger(value);
    return number >= 0 && number <= std::numeric_limits<quint32>::max() ? static_cast<unsigned int>(number) : 0;
}

unsigned int toUInt32(const QVariant& value)
{
    return toUInt32(QJsonValue::fromVariant(value));
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

QString toText(const QVariant& value)
{
    return toText(QJsonValue::fromVariant(value));
}

}  // namespace jsonreply
