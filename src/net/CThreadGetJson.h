#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

// Reading the service's JSON documents the way they have always been read: a reply
// that is not an object counts as an empty one, and the values convert with the
// loose rules below. Pure functions, any thread.
namespace ticketlist
{

// Parses `data` into `document`. A top-level array, scalar or blank text gives an
// empty object; bytes that are not UTF-8 are read with replacement characters. False
// (and `document` empty) for empty data or text that is not JSON.
bool parseDocument(const QByteArray& data, QJsonObject& document);

// True for JSON true, a non-zero number, or a text that is neither empty, "0" nor
// "false" in any case; false for everything else, null, objects and arrays included.
bool isTrue(const QJsonValue& value);

// A number, or a text holding a decimal number (blanks around allowed); true reads
// as 1. Anything else, and a value outside 0..4294967295, gives 0.
quint32 toUInt32(const QJsonValue& value);
// The same for a signed integer; a text that is not a number gives 0.
qint64 toInteger(const QJsonValue& value);
// A text gives itself, a number its decimal form, a boolean "true" or "false";
// null, objects, arrays and a missing value give the empty text.
QString toText(const QJsonValue& value);
// A member name read as a base-10 unsigned 32-bit id; letters, a sign or a value
// beyond 32 bits give 0.
quint32 keyToUInt32(const QString& key);

// The service's "yyyyMMddhhmmss" figures (seconds, or the whole time, may be
// missing) as "yyyy-MM-dd hh:mm:ss", or the empty text when they do not make a
// valid date and time. Texts in and out: no time zone is involved.
QString serviceDateTime(const QString& figures);

// The member `name` of `object`; undefined when missing.
QJsonValue member(const QJsonObject& object, const char* name);

// The member names in ascending text order ("10" before "9").
QStringList sortedKeys(const QJsonObject& object);

}  // namespace ticketlist
