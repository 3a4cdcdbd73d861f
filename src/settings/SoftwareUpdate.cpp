#include "settings/SoftwareUpdate.h"

#include "net/JsonReply.h"

#include <QFile>
#include <QProcess>
#include <QUrl>

namespace softwareUpdate
{

namespace
{

DetachedStarter& starter()
{
    static DetachedStarter current;
    return current;
}

bool startDetached(const QString& program)
{
    if (starter()) {
        return starter()(program);
    }
    return QProcess::startDetached(program, {});
}

}  // namespace

int versionNumber(const QString& version)
{
    bool isNumber = false;
    const int number = QString(version).remove(QLatin1Char('.')).toInt(&isNumber, 10);
    return isNumber ? number : 0;
}

ReplyKind parseReply(const QByteArray& reply, Offer* offer)
{
    if (reply.isEmpty()) {
        return ReplyKind::Empty;
    }
    bool parsed = false;
    // An array gives an empty map, hence no offer.
    const QVariantMap map = jsonreply::parseObject(reply, &parsed);
    if (!parsed) {
        return ReplyKind::NotJson;
    }
    const QString url = jsonreply::toText(map.value(QStringLiteral("url")));
    if (jsonreply::toText(map.value(QStringLiteral("request"))) != QLatin1String("getUpdate") || url.isEmpty()) {
        return ReplyKind::NoOffer;
    }
    offer->url = url;
    offer->version = jsonreply::toText(map.value(QStringLiteral("version")));
    offer->modifs = map.value(QStringLiteral("modifs")).toStringList();
    return ReplyKind::Offer;
}

bool isDownloadAllowed(const QString& url, bool isPreprod)
{
    return isPreprod || QUrl(url).scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

InstallStep install(const QByteArray& installer, const QString& path, QString* detail)
{
    if (installer.isEmpty()) {
        return InstallStep::Empty;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *detail = file.errorString();
        return InstallStep::Write;
    }
    const bool isWritten = file.write(installer) == installer.size() && file.flush();
    file.close();
    if (!isWritten || file.error() != QFileDevice::NoError) {
        *detail = file.errorString();
        file.remove();
        return InstallStep::Write;
    }
    if (!file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser)) {
        *detail = file.errorString();
        return InstallStep::Permission;
    }
    if (!startDetached(path)) {
        return InstallStep::Start;
    }
    return InstallStep::Done;
}

void setDetachedStarter(DetachedStarter replacement)
{
    starter() = std::move(replacement);
}

}  // namespace softwareUpdate
