#include "core/CParam.h"

#include "core/AppFolder.h"
#include "core/BoxPresenter.h"
#include "core/CFichier.h"

#include <QDebug>
#include <QSaveFile>

CParam* gParam = nullptr;

namespace
{

// Obfuscation key of ciphered settings files; files in the field depend on it.
const QByteArray kCipherKey = QByteArrayLiteral("QW4RT9ZL8MNB3_X7V_PL2K8J6H_RTSU");

struct KeyInfo
{
    const char* name;
    const char* defaultValue;
};

// Host names under the reserved ".invalid" domain: a fresh install talks to nobody
// until it is configured.
const KeyInfo kKeys[kParamCount] = {
    {"VERSION", kAppVersion},
    {"LANGUE", "0"},
    {"LOGIN_KEST", ""},
    {"PASSWORD_KEST", ""},
    {"AGENT_KEST", ""},
    {"MY_AGENT_ID", ""},
    {"REMEMBER_PASSWORD", ""},
    {"ZONE_KEST", "0"},
    {"MAC", ""},
    {"URL", "https://service.tavrimex.invalid/accessctrl/?"},
    {"URL_PREPROD", "http://preprod.tavrimex.invalid/accessctrl/?"},
    {"REP_JOUR", "0"},
    {"UNPUNCH", "0"},
    {"TACTILE", "0"},
    {"DIRECT_SEARCH", "0"},
    {"DIFF_PUNCH", "0"},
    {"HIDE_RECAP_TICKET_REP", "0"},
    {"USE_LOCAL_TICKET", "0"},
    {"PROXY", ""},
    {"TIMEOUT", "300"},
};

QString keyName(unsigned int id)
{
    return QString::fromLatin1(kKeys[id].name);
}

QByteArray upToNul(QByteArray bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0) {
        bytes.truncate(nul);
    }
    return bytes;
}

QByteArray xorWithKey(const QByteArray& bytes)
{
    QByteArray out(bytes.size(), '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        out[i] = static_cast<char>(bytes[i] ^ kCipherKey[i % kCipherKey.size()]);
    }
    return out;
}

// A line feed or a NUL inside a value would start a new key line (or cut the
// ciphered body) when the file is read back.
QString safeValue(QString value)
{
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    value.replace(QChar(u'\0'), QLatin1Char(' '));
    return value;
}

void showLoadBox(const QString& title, int code, const QString& errorText)
{
    showBox(BoxIcon::Critical, title, QString::number(code) + QStringLiteral(" : ") + errorText);
}

}  // namespace

CParam::CParam()
    : fileName(QStringLiteral("param.ini"))
{
    initDefaut();
}

CParam::CParam(const CParam& other)
{
    initDefaut();
    assign(other);
}

CParam::~CParam() = default;

void CParam::assign(const CParam& other)
{
    if (this == &other) {
        return;
    }
    const QHash<unsigned int, QString> values = other.parametresCopy();
    fileName = other.fileName;
    isDebug = other.isDebug.load();
    isLog = other.isLog.load();
    isCrypt = other.isCrypt.load();
    isPreprod = other.isPreprod.load();
    isOnline = other.isOnline.load();
    isWebcam = other.isWebcam.load();
    isDirectPunch = other.isDirectPunch.load();
    isLockFocus = other.isLockFocus.load();
    sessionId = other.sessionId;
    serialNumber = other.serialNumber;
    login = other.login;
    passwordMd5 = other.passwordMd5;
    currentIdRep = other.currentIdRep;
    currentJour = other.currentJour;
    newVersion = other.newVersion;
    updateUrl = other.updateUrl;
    updateModifs = other.updateModifs;

    QMutexLocker lock(&m_mutex);
    for (unsigned int id = 0; id < kParamCount; ++id) {
        parametres[id] = values.value(id);
    }
}

QString CParam::parametre(unsigned int id) const
{
    QMutexLocker lock(&m_mutex);
    return parametres.value(id);
}

QHash<unsigned int, QString> CParam::parametresCopy() const
{
    QMutexLocker lock(&m_mutex);
    return parametres;
}

void CParam::initDefaut()
{
    QMutexLocker lock(&m_mutex);
    for (unsigned int id = 0; id < kParamCount; ++id) {
        parametres[id] = QString::fromLatin1(kKeys[id].defaultValue);
    }
}

bool CParam::initParametre(unsigned int id, QString value)
{
    if (id >= kParamCount) {
        return false;
    }
    value = value.trimmed();
    QMutexLocker lock(&m_mutex);
    const bool changed = parametres.value(id) != value;
    parametres[id] = value;
    return changed;
}

void CParam::initListeRecherche(QHash<unsigned int, QString>& names) const
{
    names.clear();
    for (unsigned int id = 0; id < kParamCount; ++id) {
        names[id] = keyName(id);
    }
}

void CParam::initOption(unsigned int id, QString name, QStringList& lines)
{
    if (id >= kParamCount) {
        return;
    }
    // Key names are capitals and underscores only, and the "=" right after the name
    // keeps URL from matching a URL_PREPROD line.
    const QString prefix = name + QLatin1Char('=');
    for (const QString& line : std::as_const(lines)) {
        if (line.startsWith(prefix)) {
            QMutexLocker lock(&m_mutex);
            parametres[id] = line.mid(prefix.size());
            return;
        }
    }
}

QString CParam::getParamStr() const
{
    const QHash<unsigned int, QString> values = parametresCopy();
    QStringList lines;
    for (unsigned int id = 0; id < kParamCount; ++id) {
        lines << keyName(id) + QLatin1Char('=') + values.value(id);
    }
    return lines.join(QLatin1Char('\n'));
}

void CParam::setParamStr(QString text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (unsigned int id = 0; id < kParamCount; ++id) {
        initOption(id, keyName(id), lines);
    }
}

QByteArray CParam::defaut()
{
    initDefaut();
    return getParamStr().toLatin1();
}

QByteArray CParam::cryptByteArray(QString text) const
{
    return xorWithKey(text.toLatin1()).toHex();
}

QByteArray CParam::decryptByteArray(QString hex) const
{
    return xorWithKey(QByteArray::fromHex(hex.toLatin1()));
}

QString CParam::filePath(const QString& dir)
{
    return (dir.isEmpty() ? appFolder() : dir) + QStringLiteral("/param.ini");
}

bool CParam::sauvegarde(QString dir, bool create)
{
    const QString path = filePath(dir);
    CFichier file(path);
    if (create && file.cree() < 0) {
        return false;
    }
    // A settings file removed while the program runs is not brought back.
    if (!file.exists()) {
        return false;
    }

    // One save at a time, written aside and renamed over the old file, so that a
    // crash never leaves an empty or half-written param.ini. The values are copied
    // under the same lock: a save that copied before another save committed would
    // write the older values last.
    static QMutex saveMutex;
    QMutexLocker lock(&saveMutex);
    const QHash<unsigned int, QString> values = parametresCopy();
    QByteArray body;
    for (unsigned int id = 0; id < kParamCount; ++id) {
        body += (keyName(id) + QLatin1Char('=') + safeValue(values.value(id)) + QLatin1Char('\n')).toLatin1();
    }
    const QByteArray content = isCrypt ? QByteArrayLiteral("1") + cryptByteArray(QString::fromLatin1(upToNul(body)))
                                       : QByteArrayLiteral("0") + body;
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) {
        return false;
    }
    out.write(content);
    if (!out.commit()) {
        return false;
    }
    qDebug() << "Param saved";
    return true;
}

bool CParam::charge(QString dir, bool create)
{
    const QString folder = dir.isEmpty() ? appFolder() : dir;
    const QString path = filePath(folder);
    CFichier file(path);
    if (create) {
        const int created = file.cree();
        if (created < 0) {
            showLoadBox(QStringLiteral("Erreur de chargement"), created, file.errorString());
            return false;
        }
        if (created > 0) {
            qDebug() << "Creation fichier parametre";
            initDefaut();
            if (!sauvegarde(folder, false)) {
                showLoadBox(QStringLiteral("Erreur de sauvegarde"), created, file.errorString());
                return false;
            }
        }
    }
    const int opened = file.ouvre(QIODevice::ReadOnly);
    if (opened < 0) {
        showLoadBox(QStringLiteral("Erreur de chargement"), opened, file.errorString());
        return false;
    }
    QString text = QString::fromLatin1(file.readAll());
    file.close();

    const QChar flag = text.isEmpty() ? QChar() : text.at(0);
    text.remove(0, 1);
    if (flag == QLatin1Char('1')) {
        text = QString::fromLatin1(upToNul(decryptByteArray(text)));
    }
    QStringList lines = text.split(QLatin1Char('\n'));
    for (unsigned int id = 0; id < kParamCount; ++id) {
        initOption(id, keyName(id), lines);
    }
    return true;
}

QList<unsigned int> CParam::appliqueModifications(const QHash<unsigned int, QString>& base, const CParam& edited)
{
    const QHash<unsigned int, QString> values = edited.parametresCopy();
    QList<unsigned int> changed;
    QMutexLocker lock(&m_mutex);
    for (unsigned int id = 0; id < kParamCount; ++id) {
        if (values.value(id) != base.value(id)) {
            parametres[id] = values.value(id);
            changed << id;
        }
    }
    return changed;
}

int currentLangue()
{
    return gParam ? gParam->parametre(LANGUE).toInt() : 0;
}
