#pragma once

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <atomic>

// Ids of the 20 persistent settings, in file order.
enum ParamKey : unsigned int
{
    VERSION = 0,
    LANGUE = 1,
    LOGIN_KEST = 2,
    PASSWORD_KEST = 3,
    AGENT_KEST = 4,
    MY_AGENT_ID = 5,
    REMEMBER_PASSWORD = 6,
    ZONE_KEST = 7,
    MAC = 8,
    URL = 9,
    URL_PREPROD = 10,
    REP_JOUR = 11,
    UNPUNCH = 12,
    TACTILE = 13,
    DIRECT_SEARCH = 14,
    DIFF_PUNCH = 15,
    HIDE_RECAP_TICKET_REP = 16,
    USE_LOCAL_TICKET = 17,
    PROXY = 18,
    TIMEOUT = 19,
};

inline constexpr unsigned int kParamCount = 20;

// A value guarded by its own lock, so that worker threads and the GUI thread can
// read and replace a session text at the same time.
template <typename T>
class Guarded
{
public:
    Guarded() = default;

    Guarded(const Guarded& other)
        : m_value(other.get())
    {}

    Guarded& operator=(const Guarded& other)
    {
        if (this != &other) {
            set(other.get());
        }
        return *this;
    }

    T get() const
    {
        QMutexLocker lock(&m_mutex);
        return m_value;
    }

    void set(const T& value)
    {
        QMutexLocker lock(&m_mutex);
        m_value = value;
    }

private:
    mutable QMutex m_mutex;
    T m_value{};
};

// The settings of the program: 20 persistent values saved in param.ini, the
// run-time flags given on the command line, and the texts of the current session.
// Every member may be used from any thread; values and the file are guarded by an
// internal lock.
class CParam
{
public:
    CParam();
    CParam(const CParam& other);
    CParam& operator=(const CParam&) = delete;
    ~CParam();

    // Copies every value, flag and session text of `other` into this object, keeping
    // this object's address (the settings pages copy their edited object into gParam).
    void assign(const CParam& other);

    QString fileName;
    std::atomic<bool> isDebug{false};
    std::atomic<bool> isLog{false};
    std::atomic<bool> isCrypt{false};
    std::atomic<bool> isPreprod{false};
    std::atomic<bool> isOnline{false};
    std::atomic<bool> isWebcam{true};
    std::atomic<bool> isDirectPunch{true};
    std::atomic<bool> isLockFocus{true};

    Guarded<QString> sessionId;
    Guarded<QString> serialNumber;
    Guarded<QString> login;
    Guarded<QString> passwordMd5;
    Guarded<QString> currentIdRep;
    // REP_JOUR as it was when the current list was chosen: the cycle sends it as "jo".
    Guarded<QString> currentJour;
    Guarded<QString> newVersion;
    Guarded<QString> updateUrl;
    Guarded<QStringList> updateModifs;

    // The value stored under `id` (empty for an unknown id).
    QString parametre(unsigned int id) const;
    // All 20 values, id to text.
    QHash<unsigned int, QString> parametresCopy() const;

    // Resets the 20 values to their defaults; flags and session texts stay.
    void initDefaut();
    // Stores the trimmed value; true when the stored text changed.
    bool initParametre(unsigned int id, QString value);
    // Fills `names` with id to key name.
    void initListeRecherche(QHash<unsigned int, QString>& names) const;
    // Sets `id` from the first line "NAME=value" of `lines`; no such line keeps the value.
    void initOption(unsigned int id, QString name, QStringList& lines);
    // The 20 lines "NAME=value" joined by line feeds, no line feed after the last.
    QString getParamStr() const;
    // Applies the "NAME=value" lines of `text` to the 20 values.
    void setParamStr(QString text);
    // Resets this object to the defaults and returns getParamStr() as 8-bit text.
    QByteArray defaut();

    QByteArray cryptByteArray(QString text) const;
    QByteArray decryptByteArray(QString hex) const;

    // Loads <dir>/param.ini (empty dir: the application folder), creating it with the
    // defaults when `create` is set. False after an error box.
    bool charge(QString dir, bool create);
    // Writes <dir>/param.ini whole, through a temporary file renamed over the old one.
    // False when the file cannot be created or (without `create`) does not exist.
    bool sauvegarde(QString dir, bool create);

    // Copies into this object, in one step under its lock, each value of `edited` that
    // differs from `base`, the values `edited` started from; flags and session texts
    // stay. So a value another thread wrote meanwhile survives unless it was edited
    // too. Returns the ids copied.
    QList<unsigned int> appliqueModifications(const QHash<unsigned int, QString>& base, const CParam& edited);

private:
    static QString filePath(const QString& dir);

    mutable QMutex m_mutex;
    QHash<unsigned int, QString> parametres;
};

// The one settings object of the program, created by main and kept for the whole run.
extern CParam* gParam;

// Language index of the current settings (0 French, 1 English, 2 Spanish).
int currentLangue();
