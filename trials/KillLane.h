#pragma once

#include "XDriver.h"

#include <QDateTime>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>

namespace standin
{
class StandinServer;
struct Ticket;
}  // namespace standin

namespace trials
{

// What a run of trials found; added up over lanes.
struct Figures
{
    int trials = 0;
    // Verdicts painted: green (a punch the agent saw accepted) and red.
    int accepted = 0;
    int refused = 0;
    // Accepted punches neither taken by the stand-in nor pending on disk.
    int lost = 0;
    // A punch that reached the stand-in twice without a kill between its answer and
    // the acknowledgement; and tickets whose local count disagrees with the service's.
    int doubled = 0;
    int countMismatches = 0;
    // Punches sent again after a kill had cut their acknowledgement (taken once).
    int resent = 0;
    // Accepted punches still waiting on disk at the end, and verdicts that refused a
    // ticket with entries left.
    int pending = 0;
    int validRefused = 0;
    int integrityFailures = 0;
    // Message boxes the driver had to close.
    int boxes = 0;
    QHash<QString, int> killsByPhase;

    void add(const Figures& other);
    QJsonObject toJson() const;
    static Figures fromJson(const QJsonObject& object);
};

// One lane of kill trials: a private X server, the stand-in of the service in this
// process, and the application as a separate process on a home folder of its own.
// Each trial drives the real window to a moment chosen at random (scanning, the
// punch upload, a delta, a full reload, a tile deletion, the wipe at a new login, a
// first download), kills it with SIGKILL, checks every database file, and starts it
// again. finish() lets the program upload everything and checks the end state.
class KillLane
{
public:
    KillLane(const QString& appPath, const QString& workDir, quint32 seed, int ticketsPerPerformance);
    ~KillLane();

    bool setUp();
    void runTrials(int count);
    void finish();

    Figures figures;
    // Why the lane failed, one line each; empty when every check passed.
    QStringList failures;

private:
    enum class Look
    {
        Other,
        Login,
        ZoneDialog,
        MessageBox,
        RepPage,
        ScanPage,
    };

    struct Scan
    {
        QString barcode;
        unsigned int editeurId = 0;
    };

    // ---- the application process ----
    bool launch();
    void killApp();
    bool stopApp();
    QString appFolder() const;
    QString dbFolder() const;

    // ---- what the screen shows ----
    QRgb pixel(int x, int y) const;
    Look look() const;
    bool online() const;
    bool tileDownloaded() const;
    bool startScanVisible() const;

    // The result area in one grab: the flash or the verdict panel, never half of each.
    struct ResultView
    {
        enum class Shows
        {
            // A grab taken while a new page was being put on screen, or another screen.
            Unclear,
            Flash,
            Panel,
        };
        enum class Colour
        {
            Grey,
            Green,
            Red,
        };
        Shows shows = Shows::Unclear;
        Colour colour = Colour::Grey;
        // The panel's barcode and status texts.
        QImage texts;
    };

    ResultView resultView() const;
    // Waits for `done`, closing message boxes meanwhile; false after `ms`.
    template <typename Pred>
    bool waitFor(Pred done, int ms);
    // As waitFor; a failure of the lane, named `failure`, when the time is up.
    template <typename Pred>
    bool expect(Pred done, int ms, const char* failure);
    void pause(int ms);
    void click(int x, int y);

    // ---- the roads the agent takes ----
    bool logIn(bool retypeLogin);
    bool reachScanning(bool downloadOnly);
    // Types a barcode and Return; records the verdict once it is painted.
    bool scanOne(bool mayBeCut);
    Scan pickTicket();
    int entriesLeft(const Scan& scan) const;
    // What the service, this lane and each database hold of one ticket, for a failure.
    QString ticketStory(const Scan& scan);

    // ---- trials ----
    void trialScanning();
    void trialCycle(int kind);
    void trialTileDeletion();
    void trialWipe();
    void trialDownload();
    void killAfter(const QString& phase, int minMs, int maxMs);
    bool requestSeen(const QString& route, int fromIndex) const;
    // Kills once the stand-in has received a request of `route` (or the time is up).
    void killAfterRequest(const QString& phase, const QString& route, int fromIndex, int maxDelayMs);

    // ---- checks ----
    void checkIntegrity();
    void checkEnd();
    QSet<QString> scopeBarcodes() const;
    void setLoginInSettings(const QString& login);

    QString m_appPath;
    QString m_workDir;
    QRandomGenerator m_random;
    int m_ticketsPerPerformance;
    XServer m_xserver;
    XClient m_x;
    std::unique_ptr<standin::StandinServer> m_server;
    std::unique_ptr<QProcess> m_app;
    QPoint m_origin;
    // Requests of the stand-in made by the instance alive now start here.
    int m_instanceFirstRequest = 0;
    // Items of each killed instance's last upload: a later copy of them is expected.
    QSet<QString> m_cutItems;
    // Accepted punches per barcode and issuer.
    QHash<QString, int> m_accepted;
    QHash<QString, qint64> m_lastScanMs;
    // Tickets whose last scan a stop cut before its verdict showed.
    QSet<QString> m_uncertain;
    QString m_lastBarcode;
    bool m_loginChanged = false;
};

}  // namespace trials
