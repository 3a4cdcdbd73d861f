#include "core/Log.h"

#include "core/AppFolder.h"
#include "core/BoxPresenter.h"
#include "core/CParam.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QMutex>
#include <QWidget>

namespace
{

const QString kDbBoxTitle = QStringLiteral("Erreur de base de donnees");

// Serialises the appends of all threads so that lines never interleave.
QMutex logMutex;

QString cutInto80(const QString& text)
{
    QStringList pieces;
    for (qsizetype i = 0; i < text.size(); i += 80) {
        pieces << text.mid(i, 80);
    }
    return pieces.join(QLatin1Char('\n'));
}

// Latin-1 round trip: characters outside Latin-1 become '?', a NUL ends the text.
QString latin1Copy(const QString& text)
{
    QByteArray bytes = text.toLatin1();
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0) {
        bytes.truncate(nul);
    }
    return QString::fromLatin1(bytes);
}

void closeParentIf(QWidget* parent, bool closeParent)
{
    if (closeParent && parent) {
        parent->close();
    }
}

QByteArray debugHead(const QByteArray& name, bool outgoing)
{
    return name + " (" + QTime::currentTime().toString(QStringLiteral("hh:mm:ss")).toLatin1() + ")"
           + (outgoing ? " >>> " : " <<< ");
}

}  // namespace

QString logLevelName(unsigned char level)
{
    static const char* const names[] = {"emerg", "alert", "critique", "error", "warning", "notice", "info", "debug"};
    return level < 8 ? QString::fromLatin1(names[level]) : QString();
}

QString logFilePath()
{
    return appFolder() + QStringLiteral("/traces/Log_")
           + QDateTime::currentDateTime().toString(QStringLiteral("yyyy_MM")) + QStringLiteral(".log");
}

void enregistreLog(unsigned char level, QString text, bool force)
{
    qWarning() << text;
    if (level <= 4) {
        force = true;
    }
    const bool isLog = gParam && gParam->isLog;
    if (!isLog && !force) {
        return;
    }
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    const QString line = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))
                         + QStringLiteral(" - ") + logLevelName(level) + QStringLiteral(" - ") + text
                         + QLatin1Char('\n');
    const QByteArray bytes = line.toUtf8();

    QMutexLocker lock(&logMutex);
    QFile file(logFilePath());
    if (file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        file.write(bytes);
        file.close();
    }
}

void popupError(QWidget* parent, unsigned char level, QString text)
{
    showBox(BoxIcon::Warning, logLevelName(level), text, parent);
}

QString erreurDbNumber(const QSqlError& error)
{
    const QString code = error.nativeErrorCode();
    return code.isEmpty() ? QStringLiteral("-1") : code;
}

bool erreurDb(QSqlError error, bool popup, QWidget* parent, bool closeParent, unsigned char level)
{
    if (!error.isValid()) {
        return false;
    }
    const QString number = erreurDbNumber(error);
    enregistreLog(level,
                  latin1Copy(QStringLiteral("ERREUR DB (") + number + QStringLiteral(") : ") + error.text()),
                  false);
    if (popup) {
        showBox(BoxIcon::Critical, kDbBoxTitle, number + QStringLiteral(" : ") + cutInto80(error.text()), parent);
    }
    closeParentIf(parent, closeParent);
    return true;
}

bool erreurDb(QWidget* parent, QString text, bool closeParent, unsigned char level)
{
    enregistreLog(level, latin1Copy(text), false);
    showBox(BoxIcon::Critical, kDbBoxTitle, cutInto80(text), parent);
    closeParentIf(parent, closeParent);
    return true;
}

void erreurDbSimple(QWidget* parent, QByteArray text, bool closeParent, unsigned char level)
{
    const qsizetype nul = text.indexOf('\0');
    if (nul >= 0) {
        text.truncate(nul);
    }
    enregistreLog(level, QString::fromLatin1(text), false);
    showBox(BoxIcon::Critical, kDbBoxTitle, QString::fromLatin1(text), parent);
    closeParentIf(parent, closeParent);
}

QByteArray erreurFichier(const char* prefix, int code, QString detail)
{
    QByteArray out(prefix);
    if (code != -255) {
        out += "\n(";
        switch (code) {
        case -1:
            out += "Le fichier specifie n'existe pas";
            break;
        case -2:
            out += "Le  fichier n'a pu etre cree";
            break;
        case -3:
            out += "Le repertoire n'a pu etre cree";
            break;
        case -4:
            out += "Le  fichier n'a pu etre ouvert";
            break;
        case -5:
            out += "Le  fichier n'a pu etre supprime";
            break;
        case -6:
            out += "le fichier cible existe deja";
            break;
        case -7:
            out += "Le  fichier n'a pu etre renomme";
            break;
        default:
            break;
        }
        out += ")";
    }
    if (!detail.isNull()) {
        out += "\n" + detail.toLatin1();
    }
    return out;
}

void debugMessage(QByteArray name, bool outgoing, QByteArray data)
{
    qDebug() << (debugHead(name, outgoing) + data);
}

void debugTrame(QByteArray name, bool outgoing, QByteArray frame, int base)
{
    QByteArray out = debugHead(name, outgoing) + QByteArray::number(frame.size()) + ":";
    for (const char c : std::as_const(frame)) {
        const auto byte = static_cast<unsigned char>(c);
        if (base != 0) {
            out += QByteArray::number(byte, base) + " ";
        } else {
            out += byte < 20 ? '_' : c;
        }
    }
    qDebug() << out;
}
