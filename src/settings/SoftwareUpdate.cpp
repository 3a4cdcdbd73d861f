#include "settings/SoftwareUpdate.h"

#include "net/JsonReply.h"

#include <QProcess>
#include <QSaveFile>
#include <QUrl>

#include <algorithm>

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
    const QString text = QString(version).remove(QLatin1Char('.'));
    // toInt would also take blanks around the figures and a plus sign.
    const QStringView figures = QStringView(text).mid(text.startsWith(QLatin1Char('-')) ? 1 : 0);
    const bool isWhole = !figures.isEmpty() && std::all_of(figures.begin(), figures.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
    bool isNumber = false;
    const int number = text.toInt(&isNumber, 10);
    return isWhole && isNumber ? number : 0;
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

bool isAddressAllowed(const QString& url, bool isPreprod)
{
    return isPreprod || QUrl(url).scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

InstallStep install(const QByteArray& installer, const QString& path, QString* detail)
{
    if (installer.isEmpty()) {
        return InstallStep::Empty;
    }
    // Written beside and renamed over `path` once whole and executable: a stop halfway
    // must not leave a cut installer under the name that is run.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *detail = file.errorString();
        return InstallStep::Write;
    }
    // A short write sets no error, the next one tells why; and the reason must be read
    // before the file is let go, which clears it.
    for (qsizetype written = 0; written < installer.size();) {
        const qint64 count = file.write(installer.constData() + written, installer.size() - written);
        if (count <= 0) {
            *detail = file.errorString();
            return InstallStep::Write;
        }
        written += count;
    }
    if (!file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser)) {
        *detail = file.errorString();
        return InstallStep::Permission;
    }
    if (!file.commit()) {
        *detail = file.errorString();
        return InstallStep::Write;
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
