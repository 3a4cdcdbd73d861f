#pragma once

#include "data/CDataModif.h"

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <QThread>

class QMutex;

// Parses a ticket-list, delta or event-file reply into a ticket-list database, in its
// own thread.
//
// A run works through a connection of its own on the file `db` was open on when
// setData was called, and stores the whole document in one transaction: a failed
// statement, or an interruption request, leaves the file as it was and reports
// signalNbTicket(0, 0), so the same delta is asked for again. A delta run (and a
// "drop" within it) holds `mutex` for the whole transaction, since the scan page
// works on that file; a full load holds it per statement. The event data goes to the
// main database through a second connection of the run's own: `db` itself is never
// used or moved.
class CThreadGet : public QThread
{
    Q_OBJECT

public:
    explicit CThreadGet(QObject* parent = nullptr);
    ~CThreadGet() override;

    // Stores the input of the next run, with no drained punches; only while the worker
    // is idle.
    void setData(const QByteArray& data, QMutex* mutex, const QSqlDatabase& db, bool isDelta);
    // This terminal's punches still in the drain queue when the list was asked for
    // (drain::queuedPunches), between setData and start. The run applies those of a
    // ticket it writes (same barcode as stored, issuer and performance) as it applies the
    // list's pending ones, in the same transaction, and journals them as sent, so that a
    // delta bringing them back once drained skips them as rows it holds. A punch the
    // service's history already names (a drain or upload whose answer was lost) is in
    // its counts, and is not applied again.
    void setDrained(const CDataModifListe& rows);
    const CDataModifListe& drained() const;

    // The mark of a ticket-list file whose list a run stored whole, written in the
    // run's own transaction when the document holds a list (ticketlist::holdsList),
    // and taken away by a full load of one that holds none. Files stored by an older
    // program lack it. Both hold `mutex` (may be null) for their statement; false
    // (logged) when it failed. Any thread.
    static bool markListWhole(QSqlDatabase& db, QMutex* mutex, bool whole);
    static bool isListMarkedWhole(QSqlDatabase& db, QMutex* mutex, bool& whole);

    // The reply is a delta of the current ticket list rather than a whole list.
    bool isDelta = false;
    QByteArray data;
    QSqlDatabase db;
    QMutex* mutex = nullptr;

signals:
    void signalProgressShow(bool isVisible);
    void signalProgressValue(uint value);
    void signalProgressMax(uint max);
    void signalProgressText(const QString& text);
    void signalError(const QString& title, const QString& message);
    void signalRepFile(uint dataEventId, uint dataEventType, uint dataRepId, const QString& idRep);
    // Changes made by the run to the number of live tickets and to the number of live
    // tickets with no entry left; (0, 0) when nothing was stored. Emitted once, last.
    void signalNbTicket(int added, int usedUp);

protected:
    void run() override;

private:
    // The file `db` named at setData.
    QString m_path;
    CDataModifListe m_drained;
};
