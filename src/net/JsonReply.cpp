#include "net/JsonReply.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

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

QVariantMap parseObject(const QByteArray& data, bool* ok)
{
    QJsonParseError error;
    const QJsonDocument document = parse(data, &error);
    if (error.error == QJsonParseError::NoError) {
        *ok = true;
        return document.isObject() ? document.object().toVariantMap() : QVariantMap();
    }
    // A lone scalar, or blanks alone, is a document that is not an object.
    if (error.error == QJsonParseError::IllegalValue && !data.isEmpty()) {
        QJsonParseError wrappedError;
        parse('[' + data + ']', &wrappedError);
        *ok = wrappedError.error == QJsonParseError::NoError;
        return QVariantMap();
    }
    *ok = false;
    return QVariantMap();
}

unsigned int toUInt32(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
    case QMetaType::Double:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Bool:
        return value.toUInt();
    default:
        return 0;
    }
}

QString toText(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QVariantMap:
    case QMetaType::QVariantList:
    case QMetaType::Nullptr:
        return QString();
    default:
        return value.isNull() ? QString() : value.toString();
    }
}

}  // namespace jsonreply
