#include "settings/SoftwareUpdate.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QUrl>
#include <QVariantMap>

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

// A value can neither end its JSON string nor cut the form field the service decodes.
QString bodyValue(const QString& text)
{
    QString out;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"':
            out += QLatin1String("\\\"");
            break;
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '%':
            out += QLatin1String("%25");
            break;
        case '&':
            out += QLatin1String("%26");
            break;
        case '+':
            out += QLatin1String("%2B");
            break;
        default:
            if (c.unicode() < 0x20) {
                out += QStringLiteral("\\u%1").arg(static_cast<uint>(c.unicode()), 4, 16, QLatin1Char('0'));
            } else {
                out += c;
            }
        }
    }
    return out;
}

}  // namespace

int versionNumber(const QString& version)
{
    bool isNumber = false;
    const int number = QString(version).remove(QLatin1Char('.')).toInt(&isNumber, 10);
    return isNumber ? number : 0;
}

QByteArray requestBody(const QString& serial, const QString& version)
{
    const QString json = QStringLiteral("{\"pa\":\"17\",\"se\":\"") + bodyValue(serial) + QStringLiteral("\",\"sv\":\"")
                         + bodyValue(version) + QStringLiteral("\"}");
    return QByteArrayLiteral("d=") + json.toLatin1();
}

ReplyKind parseReply(const QByteArray& reply, Offer* offer)
{
    if (reply.isEmpty()) {
        return ReplyKind::Empty;
    }
    QJsonParseError error{};
    QJsonDocument document = QJsonDocument::fromJson(reply, &error);
    if (error.error == QJsonParseError::IllegalUTF8String) {
        document = QJsonDocument::fromJson(QString::fromLatin1(reply).toUtf8(), &error);
    }
    if (document.isNull()) {
        return ReplyKind::NotJson;
    }
    // An array gives an empty map, hence no offer.
    const QVariantMap map = document.object().toVariantMap();
    if (map.value(QStringLiteral("request")).toString() != QLatin1String("getUpdate")
        || map.value(QStringLiteral("url")).toString().isEmpty()) {
        return ReplyKind::NoOffer;
    }
    offer->version = map.value(QStringLiteral("version")).toString();
    offer->url = map.value(QStringLiteral("url")).toString();
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
