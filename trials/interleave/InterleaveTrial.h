#pragma once

#include "StandinServer.h"

#include <QDateTime>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QMutex>
#include <QRandomGenerator>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QWaitCondition>

#include <atomic>
#include <map>
#include <memory>
#include <vector>

class MainWindow;
class CRepWidget;
class QThread;
class QTimer;

namespace trials
{

// What interleaving trials met and found; added up over trials.
struct InterleaveFigures
{
    int trials = 0;
    int actions = 0;
    int kills = 0;
    int restarts = 0;
    int repliesLate = 0;
    int repliesReordered = 0;
    int repliesDoubled = 0;
    int repliesCut = 0;
    int repliesLost = 0;
    int repliesFailed = 0;
    int repliesForeign = 0;
    int accepted = 0;
    int lost = 0;
    int doubled = 0;
    int wrongLists = 0;
    int failures = 0;

    void add(const InterleaveFigures& other);
    QJsonObject toJson() const;
    static InterleaveFigures fromJson(const QJsonObject& object);
};

// One interleaving trial: the window in this process on a home folder of its own,
// the stand-in of the service as the adversary, and an agent acting at random on
// what the page in front of it offers. Every choice, the agent's and the
// adversary's, comes from the seed, and nothing else moves the run: time is the
// trial's own clock (the dates the program stores, its time-outs and timers), the
// service takes requests that travel together one at a time in an order of the
// trial's, and each step ends only once the program is at rest. The invariants are
// checked after every step and at the end, after a final drain.
class InterleaveTrial
{
public:
    InterleaveTrial(quint32 seed, int maxSteps, int ticketsPerPerformance);
    ~InterleaveTrial();

    // False when an invariant broke: `failure` says which, `steps` what led there.
    bool run();

    InterleaveFigures figures;
    QString failure;
    // The actions as a person could follow them, with the adversary's moves; lines
    // starting with kLogLine quote the program's log after a failure.
    QStringList steps;
    static const QString kLogLine;
    // What a person need not read but a replay must repeat too: every request the
    // service took and every timer that fired, with its step.
    QStringList trace;

    // Up to this many ms of the wall clock lost at random whenever the trial lets the
    // program run, as on a loaded machine: nothing a trial does may change with it.
    static void setJitter(int ms);

    // Where the trial's clock starts: a fixed local date and time, so that neither
    // the day nor the hour a trial runs changes what it does.
    static QDateTime startOfTime();

private:
    // ---- the world ----
    bool setUpWorld();
    bool startProgram();
    void stopProgram();
    void exitProgram();
    void killProgram();
    bool killWhileStoring();
    QString home() const;
    QString dbFolder() const;
    QString portable(const QString& text) const;
    void note(const QString& line);
    void fail(const QString& what);
    int roll(int bound);
    bool chance(int percent);

    // ---- rest and time ----
    // Until nothing moves: no worker runs or has its end still on the way, every
    // answer given has been taken in, the service holds every request still open, and
    // a whole turn of the event loop delivered nothing; requests that reached the
    // service meanwhile are taken one at a time.
    void quiesce();
    // Time passes a second at a time (timers fire, requests time out) until `done`,
    // at most `seconds`.
    bool settleUntil(const std::function<bool()>& done, int seconds);
    bool networkAtRest() const;
    bool anyWorkerBusy() const;
    void pump();
    void takeNextRequest();
    void advance(qint64 ms);
    QDateTime now() const;
    void adopt(QTimer* timer);
    void fireDue();
    // Fires `timer` once its time has come, or now when the trial says time passed for it.
    void fire(QTimer* timer, bool whenever = false);
    void watchWorkers();
    void parkIfArmed(QThread* worker);
    void releaseWorkers();

    // ---- the adversary ----
    standin::ScriptedReply fate(const standin::RecordedRequest& request, int index);
    void adversaryTurn();
    void releaseAll();

    // ---- the agent ----
    void act();
    void actOnLogin();
    void actOnDialogs();
    void actOnRepPage();
    void actOnScanPage();
    void actOnSettingsPage();
    void actOnLocalPage();
    void click(QWidget* widget, const QString& what);
    void chooseTileAction(CRepWidget* tile, int index);
    void scan();
    void typeBarcode(const QString& barcode, const QString& what);
    void afterVerdict(const QString& barcode, unsigned int editeurId, bool certainlyValid);
    QString listPathOf(CRepWidget* tile) const;

    // ---- the checks ----
    void checkStep();
    void checkIntegrity();
    bool finalDrain();
    void checkEnd();
    QString storedForm(const QString& barcode) const;

    quint32 m_seed;
    int m_maxSteps;
    int m_tickets;
    QRandomGenerator m_agentRandom;
    QTemporaryDir m_home;
    std::unique_ptr<standin::StandinServer> m_server;
    std::unique_ptr<MainWindow> m_window;
    bool m_exited = false;
    int m_step = 0;

    // The trial's clock, in ms since the epoch; workers read it.
    std::atomic<qint64> m_now{0};

    // The program's timers: when each is due by the trial's clock, and the order
    // they were made in (the first made fires first among those due together).
    struct DrivenTimer;
    std::map<QTimer*, std::unique_ptr<DrivenTimer>> m_timers;
    quint64 m_timersMade = 0;
    QTimer* m_firing = nullptr;
    std::unique_ptr<QObject> m_timerGate;

    // Workers held at their start while a stop may fall on them.
    struct WorkerGate
    {
        QMutex mutex;
        QWaitCondition changed;
        bool armed = false;
        QList<QThread*> parked;
        QSet<QThread*> released;
    };

    WorkerGate m_workerGate;
    // The program's workers in a fixed order.
    QList<QThread*> m_workers;

    // Runs of each worker, counted in its own thread as it emits started() and
    // finished(). isRunning() is false before finished() is emitted, so before the
    // window's slots of finished() are even queued: a run counts as over only once
    // finished() went out (counted after the window's slots, connected before ours).
    struct WorkerRuns
    {
        std::atomic<int> begun{0};
        std::atomic<int> ended{0};
    };

    std::map<QThread*, std::unique_ptr<WorkerRuns>> m_runs;
    // Deliveries that move the program (queued calls, socket news, deletions) seen
    // by the gate on the event loop.
    quint64 m_delivered = 0;

    // The adversary's moves: requests taken so far by route, the trial's number of
    // each request taken, held replies and the step each may be released from.
    QHash<QString, int> m_takenByRoute;
    int m_taken = 0;
    QHash<int, int> m_numbers;
    QHash<int, int> m_heldUntil;

    // What the agent knows.
    QString m_agentLogin = QStringLiteral("demo");
    // Lists the agent asked to make current: the last selected, and the downloads
    // pressed since (each ends by selecting its list).
    QSet<QString> m_acceptableCurrent;
    // Per list file and ticket (stored barcode | issuer): entries admitted and given
    // back here.
    QHash<QString, int> m_admitted;
    // Per ticket, over every list: punches the screen showed accepted, and un-punches.
    QHash<QString, int> m_acceptedAnywhere;
    QHash<QString, int> m_unpunchedAnywhere;
    // Tickets another entrance touched: their state here may lag.
    QSet<QString> m_touchedElsewhere;
    QHash<QString, int> m_otherUnpunches;
    // Initial entries of the service's tickets.
    QHash<QString, unsigned int> m_initialEntries;
    // Barcodes sold by two issuers (a local ticket shares a service barcode).
    QSet<QString> m_localBarcodes;
};

}  // namespace trials
