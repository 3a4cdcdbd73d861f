#include "core/Database.h"

#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/CParam.h"
#include "core/Log.h"
#include "data/CDataModif.h"
#include "data/SqlRunner.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

namespace
{

struct Statement
{
    const char* table;
    const char* sql;
};

const Statement kMainSchema[] = {
    {"EVENEMENT",
     "create table if not exists EVENEMENT (ID integer(10), NOM varchar(256), IMAGE varchar(256), TYPE int, primary "
     "key(ID, TYPE))"},
    {"REPRESENTATION",
     "create table if not exists REPRESENTATION (ID integer(10), EVENEMENT_ID integer(10), DATE_DEBUT datetime, "
     "DATE_FIN datetime, DATE_FIN_VENTE datetime, NOM_SALLE varchar(256), NOM_EVT varchar(256), NB_TICKET "
     "integer(10), NB_PLACE integer(10), primary key(ID, EVENEMENT_ID))"},
    {"ZONE", "create table if not exists ZONE (ID integer(10), NOM varchar(256), primary key(ID))"},
    {"ORGANISATEUR", "create table if not exists ORGANISATEUR (ID varchar(256), NOM varchar(256), primary key(ID))"},
    {"VIDANGE",
     "create table if not exists VIDANGE (ID integer primary key autoincrement, TYPE integer(10), DATE varchar(256), "
     "CODE_BARRE varchar(256), EDITEUR_ID integer(10), REP_ID integer(10), LOGIN varchar(256), PASSWORD "
     "varchar(256), ZONE_ID integer(10), DELTA_ID integer(10), DELTA_DATE varchar(256))"},
};

const Statement kRepSchema[] = {
    {"DELTA",
     "create table if not exists DELTA (ID integer(10), LAST_UPDATE datetime, LOGIN varchar(256), PASSWORD "
     "varchar(256), ZONE_ID integer(10), primary key(ID))"},
    {"EVENT", "create table if not exists EVENT (ID integer(10), NOM varchar(256), primary key(ID))"},
    {"REP",
     "create table if not exists REP (ID integer(10), EVENT_ID integer(10), DATE_DEBUT datetime, DATE_FIN datetime, "
     "NB_COMPOSTAGE integer(10), primary key(ID))"},
    {"CAISSE", "create table if not exists CAISSE (ID integer(10), NOM varchar(256), primary key(ID))"},
    {"TARIF", "create table if not exists TARIF (ID integer(10), NOM varchar(256), primary key(ID))"},
    {"AGENT", "create table if not exists AGENT (ID varchar(256), NOM varchar(256), primary key(ID))"},
    {"EDITEUR", "create table if not exists EDITEUR (ID integer(10), NOM varchar(256), primary key(ID))"},
    {"CANAL_VENTE", "create table if not exists CANAL_VENTE (ID integer(10), NOM varchar(256), primary key(ID))"},
    {"BILLET",
     "create table if not exists BILLET (ID integer(10), CODE_BARRE varchar(256), EDITEUR_ID integer(10), REP_ID "
     "integer(10), CANAL_VENTE_ID integer(10), IS_USABLE integer(1), IS_DELETED integer(1), NOM_PORTEUR "
     "varchar(256), PRENOM_PORTEUR varchar(256), TEL_PORTEUR varchar(256), DATE_ACHAT datetime, NOM_ACHETEUR "
     "varchar(256), PRENOM_ACHETEUR varchar(256), TEL_ACHETEUR varchar(256), NB_COMPOSTAGE integer(10), IMAGE "
     "varchar(256), MAIL varchar(256), primary key(CODE_BARRE, EDITEUR_ID))"},
    {"PLACE",
     "create table if not exists PLACE (CODE_BARRE varchar(256), TARIF_ID integer(10), EDITEUR_ID integer(10), "
     "PLACEMENT varchar(256))"},
    {"MODIF",
     "create table if not exists MODIF (ID integer primary key autoincrement, TYPE integer(10), DATE varchar(256), "
     "AGENT_ID varchar(256), CODE_BARRE varchar(256), EDITEUR_ID integer(10), NEW_VALUE integer(10), REP_ID "
     "integer(10), STATUS integer(1))"},
};

// Indexes behind the lookups made at every scan. The exact barcode lookup is served
// by BILLET's primary key; the one without regard to case, and the seats and history
// of a ticket, need their own.
const Statement kRepIndexes[] = {
    {"BILLET_CODE_BARRE_UPPER",
     "create index if not exists BILLET_CODE_BARRE_UPPER on BILLET (upper(CODE_BARRE), EDITEUR_ID)"},
    {"PLACE_BILLET", "create index if not exists PLACE_BILLET on PLACE (CODE_BARRE, EDITEUR_ID)"},
    {"MODIF_BILLET", "create index if not exists MODIF_BILLET on MODIF (CODE_BARRE, EDITEUR_ID)"},
    // The pending punches are listed at every synchronisation cycle.
    {"MODIF_STATUS", "create index if not exists MODIF_STATUS on MODIF (STATUS)"},
};

// Which file each connection is open on, so that removing a file can retire the
// connections of other threads still pointing at it: SQLite would otherwise go on
// writing into the unlinked file.
class ConnectionRegistry
{
public:
    void opened(const QSqlDatabase& db)
    {
        QMutexLocker lock(&m_mutex);
        m_files[db.connectionName()] = QFileInfo(db.databaseName()).canonicalFilePath();
        m_retired.remove(db.connectionName());
    }

    void closed(const QSqlDatabase& db)
    {
        QMutexLocker lock(&m_mutex);
        m_files.remove(db.connectionName());
        m_retired.remove(db.connectionName());
    }

    template <typename Pred>
    void retireWhere(Pred onRemovedFile)
    {
        QMutexLocker lock(&m_mutex);
        for (auto it = m_files.cbegin(); it != m_files.cend(); ++it) {
            if (onRemovedFile(it.value())) {
                m_retired.insert(it.key());
            }
        }
    }

    bool takeRetired(const QSqlDatabase& db)
    {
        QMutexLocker lock(&m_mutex);
        if (!m_retired.remove(db.connectionName())) {
            return false;
        }
        m_files.remove(db.connectionName());
        return true;
    }

private:
    QMutex m_mutex;
    QHash<QString, QString> m_files;
    QSet<QString> m_retired;
};

ConnectionRegistry& registry()
{
    static ConnectionRegistry instance;
    return instance;
}

void closeConnection(QSqlDatabase& db)
{
    db.close();
    registry().closed(db);
}

QString errorDetails(const QSqlError& error)
{
    return error.text() + QStringLiteral("(") + QString::number(static_cast<int>(error.type()))
           + QStringLiteral(") , databaseError : ") + error.databaseText() + QStringLiteral(", driverError : ")
           + error.driverText();
}

QString message(int index)
{
    return gAffichage ? gAffichage->getMessage(currentLangue(), index) : QString();
}

template <size_t N>
bool openDatabase(QSqlDatabase& db, QMutex* mutex, const QString& path, const Statement (&schema)[N], bool isMain)
{
    // The box is shown once the mutex is released: its event loop may run code that
    // takes the same mutex.
    QString boxText;
    bool ok = false;
    {
        QMutexLocker lock(mutex);
        closeConnection(db);
        QFile file(path);
        if (!file.open(QIODevice::ReadWrite)) {
            enregistreLog(4, QStringLiteral("Erreur a l'ouverture du fichier de la base de donnees ") + path, false);
            boxText = message(5);
        } else {
            db.setDatabaseName(path);
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
            if (!db.open()) {
                const QSqlError error = db.lastError();
                if (isMain) {
                    enregistreLog(4,
                                  QStringLiteral("Erreur a l'ouverture de la base de donnees : ") + errorDetails(error),
                                  false);
                    enregistreLog(4,
                                  QStringLiteral("Erreur a l'ouverture de la base de donnees : Drivers SQL = ")
                                      + db.driverName(),
                                  false);
                } else {
                    enregistreLog(4,
                                  QStringLiteral("Erreur a l'ouverture de la base de donnees ") + path
                                      + QStringLiteral(" : ") + errorDetails(error),
                                  false);
                }
                boxText = message(5);
            } else {
                registry().opened(db);
                QSqlQuery query(db);
                // A 16 MB page cache keeps the lookup indexes of a big ticket list in memory.
                query.exec(QStringLiteral("PRAGMA cache_size=-16000"));
                ok = true;
                for (const Statement& statement : schema) {
                    if (!query.exec(QString::fromLatin1(statement.sql))) {
                        const QString table = QString::fromLatin1(statement.table);
                        enregistreLog(4,
                                      QStringLiteral("Erreur a la creation de la table ") + table
                                          + QStringLiteral(" : ") + errorDetails(query.lastError()),
                                      false);
                        boxText = message(6) + QStringLiteral("Table ") + table;
                        ok = false;
                        break;
                    }
                }
                if (ok && !isMain) {
                    for (const Statement& index : kRepIndexes) {
                        // A missing index only slows the lookups down.
                        if (!query.exec(QString::fromLatin1(index.sql))) {
                            enregistreLog(4,
                                          QStringLiteral("Erreur a la creation de l'index ")
                                              + QString::fromLatin1(index.table) + QStringLiteral(" : ")
                                              + errorDetails(query.lastError()),
                                          false);
                        }
                    }
                }
                if (ok) {
                    enregistreLog(5,
                                  QStringLiteral("Ouverture de la base de donnees ") + path + QStringLiteral(" OK "),
                                  false);
                }
            }
            file.close();
        }
    }
    if (!boxText.isNull()) {
        popupError(nullptr, 4, boxText);
    }
    return ok;
}

bool isDatabaseFileName(const QString& canonicalPath, const QString& folder)
{
    const QFileInfo info(canonicalPath);
    return info.absolutePath() == folder && info.fileName().endsWith(QStringLiteral(".db"), Qt::CaseInsensitive);
}

}  // namespace

QString mainDatabasePath()
{
    return dbFolder() + QStringLiteral("kest.db");
}

bool openBDD(QSqlDatabase& db, QMutex* mutex)
{
    return openDatabase(db, mutex, mainDatabasePath(), kMainSchema, true);
}

bool openStagingBDD(QSqlDatabase& db, QMutex* mutex, const QString& path)
{
    return openDatabase(db, mutex, path, kMainSchema, true);
}

bool openRepBDD(QSqlDatabase& db, QMutex* mutex, QString path)
{
    return openDatabase(db, mutex, path, kRepSchema, false);
}

bool dropBDD(QSqlDatabase& db, QMutex* mutex)
{
    QMutexLocker lock(mutex);
    closeConnection(db);
    const QDir folder(dbFolder());
    const QString canonicalFolder = folder.canonicalPath();
    registry().retireWhere([&](const QString& file) {
        return isDatabaseFileName(file, canonicalFolder);
    });

    bool removedAll = true;
    const QStringList names = folder.entryList(QStringList(QStringLiteral("*.db")));
    for (const QString& name : names) {
        if (!removeDatabaseFile(dbFolder() + name)) {
            removedAll = false;
        }
    }
    enregistreLog(5,
                  QStringLiteral("Drop DataBase (ret=") + (removedAll ? QLatin1Char('1') : QLatin1Char('0'))
                      + QLatin1Char(')'),
                  false);
    return removedAll;
}

bool dropRepBDD(QSqlDatabase& db, QMutex* mutex, QString path)
{
    QMutexLocker lock(mutex);
    if (db.databaseName() == path) {
        db.close();
        registry().closed(db);
    }
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (!canonical.isEmpty()) {
        registry().retireWhere([&](const QString& file) {
            return file == canonical;
        });
    }
    const bool removed = removeDatabaseFile(path);
    enregistreLog(5,
                  QStringLiteral("Drop RepDataBase ") + path + QStringLiteral(" (ret=")
                      + (removed ? QLatin1Char('1') : QLatin1Char('0')) + QLatin1Char(')'),
                  false);
    return removed;
}

bool removeDatabaseFile(const QString& path)
{
    const bool removed = QFile::remove(path);
    if (!QFile::exists(path)) {
        QFile::remove(path + QStringLiteral("-journal"));
    }
    return removed;
}

bool resetRepBDD(QSqlDatabase& db, QMutex* mutex)
{
    for (const Statement& table : kRepSchema) {
        QString statement = QStringLiteral("delete from ") + QString::fromLatin1(table.table);
        if (qstrcmp(table.table, "MODIF") == 0) {
            // "is not" also clears rows whose STATUS is null.
            statement += QStringLiteral(" where STATUS is not ") + QString::number(MODIF_STATUS_PENDING);
        }
        if (!sqlrun::exec(db, mutex, statement, QStringLiteral("Erreur resetRepBDD "))) {
            return false;
        }
    }
    return createDefaultValuesRepBDD(db, mutex);
}

bool attachBDD(QSqlDatabase& db, QMutex* mutex, const QString& path, const QString& name)
{
    return sqlrun::exec(db,
                        mutex,
                        QStringLiteral("attach database ") + sqlrun::quoted(path) + QStringLiteral(" as ") + name,
                        QStringLiteral("Erreur attachBDD "));
}

void detachBDD(QSqlDatabase& db, QMutex* mutex, const QString& name)
{
    QMutexLocker lock(mutex);
    QSqlQuery(db).exec(QStringLiteral("detach database ") + name);
}

bool checkConnectionAlive(QSqlDatabase& db)
{
    if (!registry().takeRetired(db)) {
        return true;
    }
    db.close();
    return false;
}

ThreadConnection::ThreadConnection(const QString& purpose)
{
    static QAtomicInteger<quint32> counter;
    m_name = purpose + QLatin1Char('-') + QString::number(counter.fetchAndAddRelaxed(1));
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
}

ThreadConnection::~ThreadConnection()
{
    closeConnection(m_db);
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase& ThreadConnection::db()
{
    return m_db;
}
