#pragma once

#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "core/CParam.h"
#include "core/Database.h"
#include "data/CDataVidange.h"
#include "session/CRepWidget.h"
#include "session/DatabaseWipe.h"
#include "session/EventPages.h"
#include "session/LoginRules.h"
#include "session/RepDisplay.h"
#include "session/TerminalId.h"
#include "ui/MainWindow.h"
#include "ui/MessageDlg.h"
#include "ui/ProgressBar.h"
#include "ui/SaisieDlg.h"
#include "ui/Ui_MainWindow.h"

#include "BoxRecorder.h"
#include "CoreFixture.h"
#include "DataFixture.h"
#include "NetFixture.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>

#include <memory>
#include <numeric>

using standin::ScriptedReply;

const QString kDemoHash = QStringLiteral("fe01ce2a7fbac8fafaed7c982a04e229");  // MD5 of "demo"

inline QString label(int index)
{
    return gAffichage->getTraduction(0, index);
}

inline QString message(int index)
{
    return gAffichage->getMessage(0, index);
}

inline QString savedValue(ParamKey key)
{
    CParam saved;
    saved.charge(QString(), false);
    return saved.parametre(key);
}

inline QString dbPath(const QString& name)
{
    return dbFolder() + name;
}

inline QString cachePath(const QString& name)
{
    return appFolder() + "/img/" + name;
}

inline QStringList dbFiles()
{
    return QDir(dbFolder()).entryList({QStringLiteral("*.db")}, QDir::Files, QDir::Name);
}

inline QJsonObject eventsReply(const QList<int>& ids)
{
    QJsonObject events;
    for (int id : ids) {
        const QJsonObject performance{{"id", id}, {"fin", "2040-01-01 12:00:00"}};
        events.insert(QString::number(id), QJsonObject{{"id", id}, {"replist", QJsonArray{performance}}});
    }
    return {{"request", "getEvents"}, {"events", QJsonObject{{"event", events}}}};
}

// Per tile "s" shown, "l" shown without separator, "-" hidden; the page; "<" ">" enabled.
inline QString pageState(MainWindow& window)
{
    QString state;
    for (const CRepWidget* tile : window.repWidgets) {
        const bool sep = !tile->lblSeparateur->isHidden();
        state += tile->parentWidget()->isHidden() ? QLatin1Char('-') : QLatin1Char(sep ? 's' : 'l');
    }
    return state + QLatin1Char(' ') + window.ui->lblRepPage->text().mid(label(28).size())
           + (window.ui->btnRepPrevPage->isEnabled() ? " <" : " .")
           + (window.ui->btnRepNextPage->isEnabled() ? ">" : ".");
}

struct Perf
{
    unsigned int id = 0;
    QString debut, finVente;
    unsigned int places = 0;
};

inline CDataEvenement eventRecord(unsigned int id, unsigned int type, const QString& image = QString())
{
    CDataEvenement evenement;
    evenement.initDefaut();
    evenement.ID = id;
    evenement.TYPE = type;
    evenement.NOM = QStringLiteral("Concert %1").arg(id);
    evenement.IMAGE = image;
    return evenement;
}

// A window against the stand-in of the service, for the session tests.
class SessionTestBase : public StandinTestBase
{
    Q_OBJECT

protected:
    std::unique_ptr<MainWindow> m_window;
    CRepWidget* m_tile = nullptr;

    MainWindow& window()
    {
        return *m_window;
    }

    QSqlDatabase& db()
    {
        return m_window->db;
    }

    QString shownMessage()
    {
        return window().messageDlg->isHidden()
                   ? QString()
                   : window().messageDlg->findChild<QLabel*>(QStringLiteral("lblMessageDlgInfo"))->text();
    }

    void login(const QString& login, const QString& password, bool remember = true)
    {
        window().ui->editLogin->setText(login);
        window().ui->editPassword->setText(password);
        window().ui->editAgent->setText(QStringLiteral("5"));
        window().ui->chkBoxRememberPassword->setChecked(remember);
        window().verifLoginClicked();
    }

    // A list file with `pending` rows and, unless `deltaId` is 0, a DELTA row.
    void makeRepFile(const QString& name, const QList<CDataModif>& pending, unsigned int deltaId = 0)
    {
        QVERIFY(openRepBDD(db(), m_window->dbMutex, dbPath(name)));
        QVERIFY(pending.isEmpty() || netfixture::addPending(db(), m_window->dbMutex, pending));
        QVERIFY(deltaId == 0
                || sqlRun(db(),
                          QStringLiteral("insert into DELTA (ID, LAST_UPDATE, LOGIN, ZONE_ID) values (%1, "
                                         "'2030-01-01 08:00:00', 'orga', 7)")
                              .arg(deltaId)));
        QVERIFY(openBDD(db(), m_window->dbMutex));
    }

    void addEvent(const CDataEvenement& evenement, const QList<Perf>& perfs)
    {
        QVERIFY(evenement.ajouteSql(db(), m_window->dbMutex));
        for (const Perf& perf : perfs) {
            QVERIFY(sqlRun(db(),
                           QStringLiteral("insert into REPRESENTATION (ID, EVENEMENT_ID, DATE_DEBUT, DATE_FIN, "
                                          "DATE_FIN_VENTE, NB_PLACE, NOM_EVT) values (%1, %2, '%3', '2040-01-01 "
                                          "12:00:00', '%4', %5, 'Perf %1')")
                               .arg(perf.id)
                               .arg(evenement.ID)
                               .arg(perf.debut, perf.finVente)
                               .arg(perf.places)));
        }
    }

    void addEvents(const QList<unsigned int>& ids)
    {
        for (unsigned int id : ids) {
            addEvent(eventRecord(id, 0), {{id, "2030-01-01 20:00:00", "", 5}});
        }
    }

    void tile4001(const QList<CDataModif>& pending = {}, unsigned int deltaId = 1000, bool withFile = true)
    {
        if (withFile) {
            makeRepFile("R4001_Z7.db", pending, deltaId);
        }
        addEvent(eventRecord(301, 0), {{4001, "2030-01-01 20:00:00", "", 5}});
        fill(eventRecord(301, 0));
    }

    // The last ticket of `repId` the service holds usable with entries left: one the
    // other tests leave alone.
    standin::Ticket liveTicket(unsigned int repId)
    {
        standin::Ticket live;
        for (const standin::Ticket& ticket : m_server->organiser().tickets) {
            if (ticket.repId == repId && ticket.nbCompostage > 0 && ticket.isUsable && !ticket.isDeleted) {
                live = ticket;
            }
        }
        return live;
    }

    void fill(const CDataEvenement& evenement)
    {
        m_tile->init(evenement, m_window->dbMutex, db(), m_window->networkManager);
    }

    QStringList rows(const QString& file, const QString& sql)
    {
        openRepBDD(db(), m_window->dbMutex, file);
        const QStringList result = sqlRows(db(), sql);
        openBDD(db(), m_window->dbMutex);
        return result;
    }

    int pendingIn4001()
    {
        return rows(dbPath("R4001_Z7.db"), "select count(*) from MODIF where STATUS=1").value(0).toInt();
    }

    QString current()
    {
        return gParam->currentIdRep.get() + ' ' + m_window->currentRepDbName.mid(dbFolder().size());
    }

    QString tileList()
    {
        return m_tile->idRep + ' ' + m_tile->repFilePath.mid(dbFolder().size());
    }

    void getRep()
    {
        m_tile->getRepClicked();
        QTRY_VERIFY(m_window->isEnabled() && !m_tile->isChainRunning());
    }

    void importFile(const QString& name, const QByteArray& content)
    {
        const QString path = QDir::tempPath() + "/tavrimex-import-" + name;
        QVERIFY(fixture::writeFile(path, content));
        m_window->chooseFile = [path](QWidget*) {
            return path;
        };
        m_window->loadFileClicked();
        QTRY_VERIFY(m_window->isEnabled() && !m_window->threadGetFile.isRunning());
    }

private slots:

    // No database, the stand-in's session saved and every list's delta id sent, a new window
    // whose first ping came.
    void init()
    {
        m_window.reset();
        for (const QString& name : QDir(dbFolder()).entryList(QDir::Files)) {
            QFile::remove(dbPath(name));
        }
        gParam->initDefaut();
        netfixture::setSession(m_server->serviceUrl());
        gParam->initParametre(LOGIN_KEST, QStringLiteral("demo"));
        gParam->initParametre(HIDE_RECAP_TICKET_REP, QStringLiteral("0"));
        gParam->isLockFocus = false;
        gParam->sauvegarde(QString(), true);
        fixture::clearLog();
        gParam->isOnline = false;
        m_server->setDeltaId(QStringLiteral("4001"), standin::StandinServer::DeltaId::Sent);
        m_window = std::make_unique<MainWindow>();
        m_tile = m_window->repWidgets[0];
        QTRY_VERIFY(gParam->isOnline);
        m_server->clearRequests();
    }

    void cleanup()
    {
        m_window.reset();
        QVERIFY(m_boxes->entries().isEmpty());
    }
};
