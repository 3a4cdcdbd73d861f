#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// The version check and the hand-off to the installer, apart from the window.
namespace softwareUpdate
{

// The name the downloaded installer is written under, relative to the working folder.
inline constexpr char kInstallerPath[] = "./update.exe";

// The number a version compares by: its text without the dots, read as a base-10
// signed 32-bit number; 0 when it is not one. So "4.3.10" (4310) beats "4.3.9" (439)
// and "5.0" (50) does not beat "4.3.1" (431): stored versions have always compared so.
int versionNumber(const QString& version);

struct Offer
{
    QString version;
    QString url;
    QStringList modifs;
};

enum class ReplyKind
{
    Empty,
    NotJson,
    // JSON, but not a "getUpdate" answer with an address.
    NoOffer,
    Offer,
};

// Reads the reply to "update" as every reply is read (jsonreply); `offer` is filled
// only for ReplyKind::Offer.
ReplyKind parseReply(const QByteArray& reply, Offer* offer);

// Whether the version check may be sent, or the installer fetched, to `url`: HTTPS
// only, except in pre-production. What the check answers names the installer, which is
// run: both rest on the service's TLS.
bool isAddressAllowed(const QString& url, bool isPreprod);

enum class InstallStep
{
    Done,
    Empty,
    Write,
    Permission,
    Start,
};

// Writes `installer` to a side file, makes it executable, renames it over `path` and
// starts `path` detached without arguments. Stops at the first step that fails and
// returns it, with the file system's error text in `detail`; until the rename `path`
// stays as it was, and a side file is removed. GUI thread.
InstallStep install(const QByteArray& installer, const QString& path, QString* detail);

// Starts `program` detached, with no arguments; true when it started. The default
// runs QProcess::startDetached; tests put a recorder in its place.
using DetachedStarter = std::function<bool(const QString& program)>;
// An empty function restores the default.
void setDetachedStarter(DetachedStarter starter);

}  // namespace softwareUpdate
