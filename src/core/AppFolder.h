#pragma once

#include <QString>

// Version of this program, as printed by "--version" and stored in the settings.
inline constexpr char kAppVersion[] = "4.3.1";
// Program word printed before the version.
inline constexpr char kAppWord[] = "tavrimex";

// The application folder: the home folder followed by the macOS-style suffix the
// settings, databases, pictures and logs have always lived under.
QString appFolder();

// appFolder() + "/db/": the main database and the ticket-list databases.
QString dbFolder();
