#pragma once

#include "StandinServer.h"

#include <QHash>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class MainWindow;
class CRepWidget;

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
// adversary's, comes from the seed; the invariants are checked after every step and
// at the end, after a final drain.
class InterleaveTrial
{
public:
    InterleaveTrial(quint32 seed, int maxSteps, int ticketsPerPerformance);
    ~InterleaveTrial();

    // False when an invariant broke: `failure` says which, `steps` what led there.
    bool run();

    InterleaveFigures figures;
    QString failure;
    // The actions as a person could follow them, with the adversary's moves.
    QStringList steps;

private:
    // ---- the world ----
    bool setUpWorld();
    bool startProgram();
    void exitProgram();
    void killProgram();
    void settle(int ms);
    void quiesce();
    bool anyWorkerRunning() const;
    bool waitUntil(const std::function<bool()>& done, int ms);
    QString home() const;
    QString dbFolder() const;
    void note(const QString& line);
    void fail(const QString& what);
    int roll(int bound);
    bool chance(int percent);

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
    void waitForNextSecond(const QString& key);
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
    QRandomGenerator m_adversaryRandom;
    QTemporaryDir m_home;
    std::unique_ptr<standin::StandinServer> m_server;
    std::unique_ptr<MainWindow> m_window;
    bool m_exited = false;
    int m_step = 0;

    // Held replies and the step each may be released from.
    QHash<int, int> m_heldUntil;
    // Requests whose answer never reached the program as the service's own answer.
    QSet<int> m_unclean;

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
    // When each ticket was last judged (ms since the trial began).
    QHash<QString, qint64> m_lastJudged;
    qint64 m_elapsedBase = 0;
    // Barcodes sold by two issuers (a local ticket shares a service barcode).
    QSet<QString> m_localBarcodes;
};

}  // namespace trials
