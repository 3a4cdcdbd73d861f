#include "KillLane.h"

#include "core/CParam.h"

#include "LaneSupport.h"
#include "StandinServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <X11/keysym.h>
#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace trials
{

using lane::itemKey;
using lane::ticketKey;
using lane::withDatabase;

namespace
{

// Where the agent touches, in window coordinates (the forms' fixed geometry).
constexpr QPoint kOnline{699, 17};               // the connection state's dot
constexpr QPoint kLoginButton{677, 526};         // "btnLoginValidation"
constexpr QPoint kLoginField{700, 259};          // "editLogin"
constexpr QPoint kLoginPage{30, 300};            // the page background left of the form
constexpr QPoint kDialogBody{330, 440};          // a centred dialog's lower left
constexpr QPoint kDialogOk{429, 434};            // "btnSaisieDlgValide"
constexpr QPoint kMessageAck{514, 434};          // "btnMessageDlgAck"
constexpr QPoint kTileGet{565, 109};             // tile 1 "btnGetRep"
constexpr QPoint kTileDrop{540, 109};            // tile 1 "btnDropRep"
constexpr QPoint kTileSelect{502, 163};          // tile 1 "btnSelect"
constexpr QPoint kStartScan{797, 516};           // "btnStartScan"
constexpr QPoint kDrainGlobal{424, 76};          // "btnDrainGlobal"
constexpr QPoint kChangeRep{517, 72};            // "btnChangeRep"
constexpr QPoint kScanPage{30, 300};             // the webcam panel
constexpr QPoint kValidate{256, 610};            // "btnPadNumValide"
constexpr QRect kResultBox{375, 104, 639, 280};  // "stackedWidgetResult": verdict panel or flash
constexpr QRect kResultText{110, 66, 331, 56};   // in the box: barcode and verdict labels
// In the box, down its left margin where no text reaches: the panel's picture grows
// darker downwards in every look, the flash's is one flat colour.
constexpr QPoint kMargin[] = {{4, 20}, {4, 140}, {4, 260}};

// The design's action colour, magenta: the buttons that say which screen is up. Blue far
// below red keeps the red verdict panel out.
bool isAccent(QRgb c)
{
    return qRed(c) > 160 && qGreen(c) < 100 && qBlue(c) > 80 && qBlue(c) < qRed(c);
}

bool isDark(QRgb c)
{
    return qRed(c) < 70 && qGreen(c) < 80 && qBlue(c) < 100;
}

bool isGreen(QRgb c)
{
    return qGreen(c) > 100 && qGreen(c) > qRed(c) + 40 && qGreen(c) > qBlue(c) + 20;
}

bool isRed(QRgb c)
{
    return qRed(c) > 120 && qRed(c) > qGreen(c) + 40 && qRed(c) > qBlue(c) + 40;
}

bool isGrey(QRgb c)
{
    return std::max({qRed(c), qGreen(c), qBlue(c)}) - std::min({qRed(c), qGreen(c), qBlue(c)}) < 20;
}

// How far apart two pixels are, channel by channel.
int distance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

}  // namespace

KillLane::KillLane(const QString& appPath, const QString& workDir, quint32 seed, int ticketsPerPerformance)
    : m_appPath(appPath)
    , m_workDir(workDir)
    , m_random(seed)
    , m_ticketsPerPerformance(ticketsPerPerformance)
{}

KillLane::~KillLane()
{
    if (m_app && m_app->state() != QProcess::NotRunning) {
        m_app->kill();
        m_app->waitForFinished(5000);
    }
}

QString KillLane::appFolder() const
{
    return m_workDir + QStringLiteral("/home/Library/Application Support/Tavrimex");
}

QString KillLane::dbFolder() const
{
    return appFolder() + QStringLiteral("/db/");
}

bool KillLane::setUp()
{
    if (!m_xserver.start() || !m_x.open(m_xserver.display())) {
        failures << QStringLiteral("no X server");
        return false;
    }
    m_server = std::make_unique<standin::StandinServer>(
        standin::makeSampleOrganiser(m_random.generate(), m_ticketsPerPerformance, QDate::currentDate()));
    if (!m_server->listen(0)) {
        failures << QStringLiteral("the stand-in cannot listen");
        return false;
    }
    for (const char* sub : {"/db", "/img", "/traces"}) {
        QDir().mkpath(appFolder() + QLatin1String(sub));
    }
    if (!lane::writeAgentSettings(appFolder(), m_server->serviceUrl(), true, QStringLiteral("3"))) {
        failures << QStringLiteral("no settings file");
        return false;
    }
    return true;
}

void KillLane::setLoginInSettings(const QString& login)
{
    CParam settings;
    settings.isCrypt = true;
    if (settings.charge(appFolder(), false)) {
        settings.initParametre(LOGIN_KEST, login);
        settings.sauvegarde(appFolder(), false);
    }
}

// ---- the application process ----

bool KillLane::launch()
{
    m_app = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), m_workDir + QStringLiteral("/home"));
    environment.insert(QStringLiteral("DISPLAY"), m_xserver.display());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    m_app->setProcessEnvironment(environment);
    m_app->setProgram(m_appPath);
    m_app->setStandardOutputFile(QProcess::nullDevice());
    m_app->setStandardErrorFile(QProcess::nullDevice());
    m_instanceFirstRequest = static_cast<int>(m_server->requests().size());
    m_app->start();
    if (!m_app->waitForStarted(10000)) {
        failures << QStringLiteral("the program did not start");
        return false;
    }
    QDeadlineTimer deadline(20000);
    m_origin = QPoint(-1, -1);
    while (m_origin.x() < 0 && !deadline.hasExpired()) {
        pause(5);
        m_origin = m_x.windowAt(QSize(1024, 768));
    }
    if (m_origin.x() < 0) {
        failures << QStringLiteral("the window never showed");
        return false;
    }
    m_lastBarcode.clear();
    return waitFor(
        [this] {
            return look() == Look::Login && online();
        },
        20000);
}

void KillLane::killApp()
{
    // The items of this instance's last upload may have been taken without the
    // program hearing it: sending them again is then expected.
    const QList<standin::RecordedRequest> requests = m_server->requests();
    int lastUpload = -1;
    for (int i = m_instanceFirstRequest; i < requests.size(); ++i) {
        if (requests[i].route() == QLatin1String("61")) {
            lastUpload = i;
        }
    }
    if (m_app) {
        m_app->kill();
        m_app->waitForFinished(10000);
    }
    for (const standin::ReceivedPunch& punch : m_server->receivedPunches()) {
        if (punch.request == lastUpload) {
            m_cutItems.insert(itemKey(punch));
        }
    }
    checkIntegrity();
}

bool KillLane::stopApp()
{
    // Ctrl+Q: the program ends once a cycle under way is over.
    m_x.shortcut(XK_q);
    QDeadlineTimer deadline(30000);
    while (m_app->state() != QProcess::NotRunning && !deadline.hasExpired()) {
        pause(20);
    }
    return m_app->state() == QProcess::NotRunning && m_app->exitStatus() == QProcess::NormalExit;
}

// ---- what the screen shows ----

QRgb KillLane::pixel(int x, int y) const
{
    const QImage image = m_x.grab(QRect(m_origin + QPoint(x, y), QSize(1, 1)));
    return image.isNull() ? 0 : image.pixel(0, 0);
}

KillLane::Look KillLane::look() const
{
    const QRgb dialog = pixel(kDialogBody.x(), kDialogBody.y());
    if (isDark(dialog)) {
        if (isAccent(pixel(kDialogOk.x(), kDialogOk.y()))) {
            return Look::ZoneDialog;
        }
        if (isAccent(pixel(kMessageAck.x(), kMessageAck.y()))) {
            return Look::MessageBox;
        }
        return Look::Other;
    }
    // Starting to scan maps the window again: the screen is black for a moment.
    if (isDark(pixel(kScanPage.x(), kScanPage.y())) && isAccent(pixel(kValidate.x(), kValidate.y()))) {
        return Look::ScanPage;
    }
    const QRgb background = pixel(kLoginPage.x(), kLoginPage.y());
    if (qRed(background) < 245 && isAccent(pixel(kLoginButton.x(), kLoginButton.y()))) {
        return Look::Login;
    }
    if (qRed(background) >= 250) {
        return Look::RepPage;
    }
    return Look::Other;
}

bool KillLane::online() const
{
    return isGreen(pixel(kOnline.x(), kOnline.y()));
}

bool KillLane::tileDownloaded() const
{
    const QRgb drop = pixel(kTileDrop.x(), kTileDrop.y());
    return qRed(drop) > 180 && qGreen(drop) < 150;
}

bool KillLane::startScanVisible() const
{
    return isAccent(pixel(kStartScan.x(), kStartScan.y()));
}

KillLane::ResultView KillLane::resultView() const
{
    using Shows = ResultView::Shows;
    using Colour = ResultView::Colour;
    ResultView view;
    const QImage stack = m_x.grab(kResultBox.translated(m_origin));
    if (stack.isNull()) {
        return view;
    }
    QRgb margin[std::size(kMargin)];
    for (std::size_t i = 0; i < std::size(kMargin); ++i) {
        margin[i] = stack.pixel(kMargin[i]);
    }
    const auto all = [&margin](bool (*test)(QRgb)) {
        return std::all_of(std::begin(margin), std::end(margin), test);
    };
    const auto brightness = [](QRgb c) {
        return qRed(c) + qGreen(c) + qBlue(c);
    };
    bool flat = true;
    bool darkening = true;
    for (std::size_t i = 1; i < std::size(kMargin); ++i) {
        flat = flat && distance(margin[i - 1], margin[i]) <= 2;
        darkening = darkening && brightness(margin[i - 1]) - brightness(margin[i]) >= 6;
    }
    view.colour = all(isGreen) ? Colour::Green : all(isRed) ? Colour::Red : Colour::Grey;
    // Samples of two pages, or of neither look, are a page half put on screen.
    if (flat && view.colour != Colour::Grey) {
        view.shows = Shows::Flash;
    } else if (darkening && (view.colour != Colour::Grey || all(isGrey))) {
        view.shows = Shows::Panel;
        view.texts = stack.copy(kResultText);
    }
    return view;
}

template <typename Pred>
bool KillLane::waitFor(Pred done, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        if (done()) {
            return true;
        }
        if (look() == Look::MessageBox) {
            ++figures.boxes;
            click(kMessageAck.x(), kMessageAck.y());
        }
        pause(10);
    }
    return false;
}

void KillLane::pause(int ms)
{
    QTest::qWait(ms);
}

void KillLane::click(int x, int y)
{
    m_x.click(m_origin + QPoint(x, y));
}

// ---- the roads the agent takes ----

bool KillLane::logIn(bool retypeLogin)
{
    if (retypeLogin) {
        click(kLoginField.x(), kLoginField.y());
        m_x.clearField();
        m_x.type(QStringLiteral("demo"));
    }
    m_x.pressReturn();
    return true;
}

template <typename Pred>
bool KillLane::expect(Pred done, int ms, const char* failure)
{
    if (waitFor(done, ms)) {
        return true;
    }
    failures << QString::fromLatin1(failure);
    return false;
}

// Login, zone, tile 1 downloaded and selected, scanning started.
bool KillLane::reachScanning(bool downloadOnly)
{
    logIn(true);
    const auto showing = [this](Look wanted) {
        return [this, wanted] {
            return look() == wanted;
        };
    };
    if (!expect(showing(Look::ZoneDialog), 10000, "no zone dialog after the login")) {
        return false;
    }
    click(kDialogOk.x(), kDialogOk.y());
    const auto tileShown = [this] {
        return look() == Look::RepPage && (isAccent(pixel(kTileGet.x(), kTileGet.y())) || tileDownloaded());
    };
    if (!expect(tileShown, 15000, "no performance page")) {
        return false;
    }
    if (tileDownloaded()) {
        click(kTileSelect.x(), kTileSelect.y());
    } else {
        click(kTileGet.x(), kTileGet.y());
        if (downloadOnly) {
            return true;
        }
    }
    const auto selected = [this] {
        return look() == Look::RepPage && startScanVisible();
    };
    if (!expect(selected, 20000, "the list was not selected")) {
        return false;
    }
    click(kStartScan.x(), kStartScan.y());
    if (!expect(showing(Look::ScanPage), 10000, "scanning did not start")) {
        return false;
    }
    // The page may show before the window is mapped again for scanning: keys typed
    // meanwhile are lost.
    pause(300);
    return expect(showing(Look::ScanPage), 10000, "scanning did not start");
}

QSet<QString> KillLane::scopeBarcodes() const
{
    // The lists on disk say which performances the agent scans.
    static const QRegularExpression name(QStringLiteral("^([PER])(\\d+)_Z\\d+\\.db$"));
    QSet<unsigned int> reps;
    const QStringList files = QDir(dbFolder()).entryList(QStringList(QStringLiteral("*.db")), QDir::Files);
    for (const QString& file : files) {
        const QRegularExpressionMatch match = name.match(file);
        if (!match.hasMatch()) {
            continue;
        }
        const unsigned int id = match.captured(2).toUInt();
        for (const standin::Event& event : m_server->organiser().events) {
            for (const standin::Performance& performance : event.performances) {
                const QString kind = match.captured(1);
                if ((kind == QLatin1String("R") && performance.id == id)
                    || (kind != QLatin1String("R") && event.id == id)) {
                    reps.insert(performance.id);
                }
            }
        }
    }
    QSet<QString> barcodes;
    for (const standin::Ticket& ticket : m_server->organiser().tickets) {
        if (reps.contains(ticket.repId)) {
            barcodes.insert(ticketKey(ticket.barcode, ticket.editeurId));
        }
    }
    return barcodes;
}

KillLane::Scan KillLane::pickTicket()
{
    const QSet<QString> scope = scopeBarcodes();
    QList<const standin::Ticket*> usable;
    QList<const standin::Ticket*> others;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (const standin::Ticket& ticket : m_server->organiser().tickets) {
        const QString key = ticketKey(ticket.barcode, ticket.editeurId);
        // Two punches of one ticket in one second are one item for the service.
        if (!scope.contains(key) || ticket.barcode == m_lastBarcode || now - m_lastScanMs.value(key) < 2500) {
            continue;
        }
        (ticket.nbCompostage > 0 && !ticket.isDeleted ? usable : others).append(&ticket);
    }
    const quint32 roll = m_random.bounded(100u);
    Scan scan;
    if (roll < 5 || (usable.isEmpty() && others.isEmpty())) {
        scan.barcode = QStringLiteral("99%1").arg(m_random.bounded(100000000u));
        return scan;
    }
    const QList<const standin::Ticket*>& from = (roll < 85 && !usable.isEmpty()) || others.isEmpty() ? usable : others;
    const standin::Ticket* ticket =
        from.at(static_cast<qsizetype>(m_random.bounded(static_cast<quint32>(from.size()))));
    scan.barcode = ticket->barcode;
    scan.editeurId = ticket->editeurId;
    return scan;
}

// Entries the ticket still has for this terminal: the service's count less the
// punches accepted here that it has not received yet. The list may lag behind another
// entrance's punch or deletion, which makes it accept, never refuse.
int KillLane::entriesLeft(const Scan& scan) const
{
    const QString key = ticketKey(scan.barcode, scan.editeurId);
    int taken = 0;
    QSet<QString> seen;
    for (const standin::ReceivedPunch& punch : m_server->receivedPunches()) {
        const QString item = itemKey(punch);
        if (punch.listKey == QLatin1String("cl") && ticketKey(punch.barcode, punch.editeurId) == key
            && !seen.contains(item)) {
            seen.insert(item);
            ++taken;
        }
    }
    for (const standin::Ticket& ticket : m_server->organiser().tickets) {
        if (ticketKey(ticket.barcode, ticket.editeurId) == key) {
            return ticket.isDeleted ? 0 : static_cast<int>(ticket.nbCompostage) - (m_accepted.value(key) - taken);
        }
    }
    return 0;
}

bool KillLane::scanOne(bool mayBeCut)
{
    const Scan scan = pickTicket();
    if (!waitFor(
            [this] {
                return look() == Look::ScanPage;
            },
            10000)) {
        failures << QStringLiteral("the scan page is gone");
        return false;
    }
    // The flash shows no texts: while the last verdict's flash lasts, a new verdict of
    // its colour changes nothing on screen, and the last panel coming back after it
    // would pass for the new one. The scan starts on a panel: the "before".
    ResultView seen;
    const auto panelShown = [&] {
        seen = resultView();
        return seen.shows == ResultView::Shows::Panel;
    };
    if (!waitFor(panelShown, 5000)) {
        failures << QStringLiteral("the result flash did not end before ") + scan.barcode;
        return false;
    }
    const QImage before = seen.texts;
    m_x.type(scan.barcode);
    m_x.pressReturn();
    m_lastBarcode = scan.barcode;
    m_lastScanMs[ticketKey(scan.barcode, scan.editeurId)] = QDateTime::currentMSecsSinceEpoch();
    // From now on any flash is the new verdict's, and so is a coloured panel with other
    // texts: the flash may be over before it is seen.
    const auto painted = [&] {
        seen = resultView();
        return seen.shows == ResultView::Shows::Flash
               || (seen.shows == ResultView::Shows::Panel && seen.colour != ResultView::Colour::Grey
                   && seen.texts != before);
    };
    if (mayBeCut) {
        pause(static_cast<int>(m_random.bounded(30u)));
        if (!painted()) {
            // The stop may come before or after its punch is written: from now on the
            // trial cannot tell how many entries the ticket has left.
            m_uncertain.insert(ticketKey(scan.barcode, scan.editeurId));
            return false;
        }
    } else if (!waitFor(painted, 5000)) {
        failures << QStringLiteral("no verdict painted for ") + scan.barcode;
        return false;
    }
    const QString key = ticketKey(scan.barcode, scan.editeurId);
    if (seen.colour == ResultView::Colour::Green) {
        ++figures.accepted;
        m_accepted[key] += 1;
    } else {
        ++figures.refused;
        if (entriesLeft(scan) > 0 && !m_uncertain.contains(key)) {
            ++figures.validRefused;
            failures << QStringLiteral("valid ticket refused: ") + key + ticketStory(scan);
        }
    }
    return true;
}

// ---- trials ----

void KillLane::runTrials(int count)
{
    for (int trial = 0; trial < count && failures.isEmpty(); ++trial) {
        ++figures.trials;
        const quint32 kind = m_random.bounded(100u);
        if (kind < 30) {
            trialScanning();
        } else if (kind < 45) {
            trialCycle(0);
        } else if (kind < 57) {
            trialCycle(1);
        } else if (kind < 67) {
            trialCycle(2);
        } else if (kind < 79) {
            trialTileDeletion();
        } else if (kind < 91) {
            trialWipe();
        } else {
            trialDownload();
        }
    }
}

void KillLane::killAfter(const QString& phase, int minMs, int maxMs)
{
    pause(minMs + static_cast<int>(m_random.bounded(static_cast<quint32>(maxMs - minMs + 1))));
    ++figures.killsByPhase[phase];
    killApp();
}

bool KillLane::requestSeen(const QString& route, int fromIndex) const
{
    const QList<standin::RecordedRequest> requests = m_server->requests();
    for (int i = fromIndex; i < requests.size(); ++i) {
        if (requests[i].route() == route) {
            return true;
        }
    }
    return false;
}

void KillLane::killAfterRequest(const QString& phase, const QString& route, int fromIndex, int maxDelayMs)
{
    const bool seen = waitFor(
        [&] {
            return requestSeen(route, fromIndex);
        },
        9000);
    killAfter(seen ? phase : phase + QStringLiteral(" (missed)"), 0, maxDelayMs);
}

void KillLane::trialScanning()
{
    if (!launch() || !reachScanning(false)) {
        killApp();
        return;
    }
    const int scans = 1 + static_cast<int>(m_random.bounded(4u));
    for (int i = 0; i + 1 < scans; ++i) {
        scanOne(false);
    }
    scanOne(true);
    ++figures.killsByPhase[QStringLiteral("scanning")];
    killApp();
}

// 0: the punch upload, 1: a delta with other entrances' changes, 2: a full reload.
void KillLane::trialCycle(int kind)
{
    if (!launch() || !reachScanning(false)) {
        killApp();
        return;
    }
    const int start = static_cast<int>(m_server->requests().size());
    const QList<standin::Ticket>& tickets = m_server->organiser().tickets;
    const QSet<QString> scope = scopeBarcodes();
    for (int i = 0; i < 3; ++i) {
        const standin::Ticket& other =
            tickets.at(static_cast<qsizetype>(m_random.bounded(static_cast<quint32>(tickets.size()))));
        if (scope.contains(ticketKey(other.barcode, other.editeurId))) {
            m_server->otherPunch(other.barcode, other.editeurId);
        }
    }
    if (kind == 2) {
        // A slow reload: the door goes on between the upload and the new list.
        m_server->requestDrop();
        m_server->enqueue(QStringLiteral("53"), standin::ScriptedReply::normal().delayed(400));
    }
    // The cycle starts five seconds after scanning: the door keeps working meanwhile.
    const int scans = 2 + static_cast<int>(m_random.bounded(4u));
    for (int i = 0; i < scans; ++i) {
        scanOne(false);
        pause(100 + static_cast<int>(m_random.bounded(400u)));
    }
    if (kind == 0) {
        killAfterRequest(QStringLiteral("punch upload"), QStringLiteral("61"), start, 12);
    } else if (kind == 2) {
        const bool asked = waitFor(
            [&] {
                return requestSeen(QStringLiteral("53"), start);
            },
            9000);
        scanOne(false);
        // The reply leaves 400 ms after the request; the reload follows.
        killAfter(asked ? QStringLiteral("full reload") : QStringLiteral("full reload (missed)"), 250, 600);
    } else {
        killAfterRequest(QStringLiteral("delta"), QStringLiteral("53"), start, 40);
    }
}

void KillLane::trialTileDeletion()
{
    if (!launch() || !reachScanning(false)) {
        killApp();
        return;
    }
    const int scans = 1 + static_cast<int>(m_random.bounded(3u));
    for (int i = 0; i < scans; ++i) {
        scanOne(false);
    }
    click(kChangeRep.x(), kChangeRep.y());
    if (!waitFor(
            [this] {
                return look() == Look::RepPage && tileDownloaded();
            },
            10000)) {
        killApp();
        return;
    }
    click(kTileDrop.x(), kTileDrop.y());
    killAfter(QStringLiteral("tile deletion"), 0, 12);
}

void KillLane::trialWipe()
{
    // Another organiser logged in last on this machine.
    setLoginInSettings(QStringLiteral("autre"));
    if (!launch()) {
        killApp();
        return;
    }
    const int start = static_cast<int>(m_server->requests().size());
    logIn(true);
    // The wipe runs as the login's answer arrives.
    killAfterRequest(QStringLiteral("wipe at a new login"), QStringLiteral("221"), start, 25);
}

void KillLane::trialDownload()
{
    if (!launch() || !reachScanning(true)) {
        killApp();
        return;
    }
    killAfter(QStringLiteral("download"), 0, 150);
}

void KillLane::finish()
{
    if (!failures.isEmpty()) {
        return;
    }
    // The agent comes back, drains what deleted lists left, scans on and lets two
    // cycles run, then quits.
    setLoginInSettings(QStringLiteral("demo"));
    if (!launch() || !reachScanning(false)) {
        failures << QStringLiteral("the final drain could not reach scanning");
        killApp();
        return;
    }
    click(kChangeRep.x(), kChangeRep.y());
    // Online, the way back to the events asks for the zone again, once the cycle under
    // way is over: the same one.
    const auto tileShown = [this] {
        if (look() == Look::ZoneDialog) {
            click(kDialogOk.x(), kDialogOk.y());
            return false;
        }
        return look() == Look::RepPage && tileDownloaded();
    };
    if (!expect(tileShown, 15000, "the final drain found no list on the performance page")) {
        return;
    }
    const auto drained = [this] {
        int rows = 0;
        withDatabase(dbFolder() + QStringLiteral("kest.db"), [&rows](QSqlDatabase& db) {
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("select count(*) from VIDANGE")) && query.next()) {
                rows = query.value(0).toInt();
            }
        });
        return rows == 0;
    };
    // The drain button shows only with rows to drain; a press elsewhere does nothing.
    for (int attempt = 0; attempt < 5 && !drained(); ++attempt) {
        click(kDrainGlobal.x(), kDrainGlobal.y());
        waitFor(drained, 5000);
    }
    if (!drained()) {
        failures << QStringLiteral("the drain queue could not be emptied");
        return;
    }
    click(kTileSelect.x(), kTileSelect.y());
    if (!expect(
            [this] {
                return startScanVisible();
            },
            10000,
            "the final drain could not select its list")) {
        return;
    }
    click(kStartScan.x(), kStartScan.y());
    if (!expect(
            [this] {
                return look() == Look::ScanPage;
            },
            10000,
            "the final drain could not start scanning")) {
        return;
    }
    // Two deltas after the last upload: the first has then been applied.
    const int start = static_cast<int>(m_server->requests().size());
    expect(
        [&] {
            int deltas = 0;
            const QList<standin::RecordedRequest> requests = m_server->requests();
            for (int i = start; i < requests.size(); ++i) {
                deltas = requests[i].route() == QLatin1String("61")
                             ? 0
                             : deltas + (requests[i].route() == QLatin1String("53"));
            }
            return deltas >= 2;
        },
        25000,
        "the final cycles never ran");
    if (!stopApp()) {
        killApp();
    }
    checkIntegrity();
    checkEnd();
}

}  // namespace trials
