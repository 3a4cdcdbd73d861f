#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QVariant>
#include <QVariantMap>

// Reading of the service's JSON replies, as tolerant as the replies have always
// been read: bytes that are not valid UTF-8 are taken as Latin-1 characters instead
// of failing the whole document, and a document whose top level is a scalar, an
// array or only blanks parses as "not an object". Empty bytes and broken syntax
// fail. Any thread.
namespace jsonreply
{

// The document's top level as a map; `ok` false when it cannot be parsed. A top
// level that is not an object gives an empty map with `ok` true.
QVariantMap parseObject(const QByteArray& data, bool* ok);

// The same as a JSON object, for readers of large documents that walk the tree
// without converting it.
QJsonObject parseDocument(const QByteArray& data, bool* ok);

// Every byte sequence that is valid UTF-8 kept, every other byte taken as Latin-1.
QByteArray repairUtf8(const QByteArray& data);

// A member read as an unsigned 32-bit number: a JSON number (fractions rounded), or
// a text of decimal figures (blanks around allowed); true reads as 1. Anything else
// (missing, null, object, list, letters), and a value outside 0..4294967295, gives 0.
unsigned int toUInt32(const QVariant& value);
unsigned int toUInt32(const QJsonValue& value);

// The same for a signed integer; a text that is not a number gives 0.
qint64 toInteger(const QJsonValue& value);

// A member read as text: a string gives itself, a number its decimal form, a boolean
// "true" or "false"; missing, null, an object or a list give the empty text.
QString toText(const QVariant& value);
QString toText(const QJsonValue& value);

}  // namespace jsonreply
