#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

// The rules of the ticket-list document that other replies do not share; the parse
// and the plain value conversions are jsonreply's. Pure functions, any thread.
namespace ticketlist
{

// The truth of "drop": JSON true, a non-zero number, or a text that is neither
// empty, "0" nor "false" in any case; false for everything else, null, objects and
// arrays included.
bool isTrue(const QJsonValue& value);

// A member name read as a base-10 unsigned 32-bit id; letters, a sign, a blank or a
// value beyond 32 bits give 0.
quint32 keyToUInt32(const QString& key);

// The service's "yyyyMMddhhmmss" figures (seconds, or the whole time, may be
// missing) as "yyyy-MM-dd hh:mm:ss", or the empty text when they do not make a
// valid date and time. Texts in and out: no time zone is involved.
QString serviceDateTime(const QString& figures);

// Whether the document holds a ticket list: a delta id other than 0, or one of the
// list's sections ("rep" to "modifs"), even empty or of another type. A reply with
// none of them (an error document) holds no list, whatever else it carries.
bool holdsList(const QJsonObject& document);

// The member `name` of `object`; undefined when missing.
QJsonValue member(const QJsonObject& object, const char* name);

// The member names in ascending text order ("10" before "9").
QStringList sortedKeys(const QJsonObject& object);

}  // namespace ticketlist
