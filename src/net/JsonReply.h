#pragma once

#include <QByteArray>
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

// Every byte sequence that is valid UTF-8 kept, every other byte taken as Latin-1.
QByteArray repairUtf8(const QByteArray& data);

// A member read as an unsigned 32-bit number: a JSON number, or a text of decimal
// figures; anything else (missing, null, object, list, letters) gives 0.
unsigned int toUInt32(const QVariant& value);

// A member read as text: a string gives itself, a number its decimal form; missing,
// null, an object or a list give the empty text.
QString toText(const QVariant& value);

}  // namespace jsonreply
