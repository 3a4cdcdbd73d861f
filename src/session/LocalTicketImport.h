#pragma once

#include "data/CDataBillet.h"
#include "data/CDataPlace.h"

#include <QByteArray>
#include <QMutex>
#include <QSqlDatabase>
#include <QString>

// The file of locally sold tickets: one ticket a line, 8 fields separated by ";"
// (barcode, name, first name, phone, mail, entries, seat, performance id), in
// Latin-1. GUI thread.
namespace localticket
{

// Reads one line (without its line feed) into a ticket and its seat of the local
// issuer, bought `purchaseDate`. False for a line that holds no ticket: fewer than
// 8 fields or an empty barcode.
bool parseLine(const QByteArray& line, const QString& purchaseDate, CDataBillet& billet, CDataPlace& place);

// Writes the tickets of `content` into the ticket-list database `db` is open on:
// each replaces the local ticket of the same barcode, with exactly one seat. The
// local issuer row, named `localName`, is written for every line. Returns the
// number of tickets actually written; a failed statement is logged and the import
// goes on.
int importContent(QSqlDatabase& db, QMutex* mutex, const QByteArray& content, const QString& localName);

}  // namespace localticket
