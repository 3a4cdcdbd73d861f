#include "InterleaveTrial.h"

#include "core/AppFolder.h"
#include "core/BoxPresenter.h"
#include "core/CAffichage.h"
#include "core/CParam.h"
#include "session/CRepWidget.h"
#include "ui/MainWindow.h"
#include "ui/MessageDlg.h"
#include "ui/ProgressBar.h"
#include "ui/Ui_MainWindow.h"

#include "LaneSupport.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QMutexLocker>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTest>

namespace trials
{

using standin::ScriptedReply;

namespace
{

// The figures and their JSON names, in the order of the table.
template <typename Figures, typename Visit>
void eachFigure(Figures& f, Visit visit)
{
    visit("trials", f.trials);
    visit("actions", f.actions);
    visit("kills", f.kills);
    visit("restarts", f.restarts);
    visit("replies_late", f.repliesLate);
    visit("replies_reordered", f.repliesReordered);
    visit("replies_doubled", f.repliesDoubled);
    visit("replies_cut", f.repliesCut);
    visit("replies_lost", f.repliesLost);
    visit("replies_failed", f.repliesFailed);
    visit("punches_accepted", f.accepted);
    visit("punches_lost", f.lost);
    visit("punches_doubled", f.doubled);
    visit("wrong_lists", f.wrongLists);
    visit("invariant_failures", f.failures);
}

}  // namespace

QJsonObject InterleaveFigures::toJson() const
{
    QJsonObject object;
    eachFigure(*this, [&object](const char* name, int value) {
        object.insert(QLatin1String(name), value);
    });
    return object;
}

void InterleaveFigures::add(const InterleaveFigures& other)
{
    const QJsonObject theirs = other.toJson();
    eachFigure(*this, [&theirs](const char* name, int& value) {
        value += theirs.value(QLatin1String(name)).toInt();
    });
}

InterleaveFigures InterleaveFigures::fromJson(const QJsonObject& object)
{
    InterleaveFigures f;
    eachFigure(f, [&object](const char* name, int& value) {
        value = object.value(QLatin1String(name)).toInt();
    });
    return f;
}

namespace
{

// The organiser of a trial: three zones, events seen in some zones only, a pass,
// tickets with a quote in their barcode.
standin::Organiser trialOrganiser(quint32 seed, int tickets)
{
    standin::SampleShape shape;
    shape.events = 3;
    shape.passes = 1;
    shape.performancesPerEvent = 2;
    standin::Organiser organiser = standin::makeSampleOrganiser(seed, tickets, QDate::currentDate(), shape);
    organiser.otherLogins << QStringLiteral("autre");
    // The first event in zone 1 only, the second in zones 2 and 3; the others everywhere.
    if (organiser.events.size() > 1) {
        organiser.events[0].zones = {1};
        organiser.events[1].zones = {2, 3};
    }
    // In every performance, two tickets whose barcode a quote cuts in the SQL text, one
    // of them a group ticket.
    QHash<unsigned int, int> quoted;
    for (standin::Ticket& ticket : organiser.tickets) {
        if (quoted.value(ticket.repId) < 2 && ticket.nbCompostage > 0 && !ticket.isDeleted) {
            ticket.barcode = QStringLiteral("Q'") + ticket.barcode;
            ticket.nbCompostage = quoted.value(ticket.repId) == 0 ? 4 : 1;
            quoted[ticket.repId] += 1;
        }
    }
    return organiser;
}

bool copyTree(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    bool ok = true;
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        QDir().mkpath(QFileInfo(target).path());
        ok = QFile::copy(source, target) && ok;
    }
    return ok;
}

}  // namespace

InterleaveTrial::InterleaveTrial(quint32 seed, int maxSteps, int ticketsPerPerformance)
    : m_seed(seed)
    , m_maxSteps(maxSteps)
    , m_tickets(ticketsPerPerformance)
    , m_agentRandom(seed)
    , m_adversaryRandom(seed ^ 0x5bd1e995u)
{}

InterleaveTrial::~InterleaveTrial()
{
    m_window.reset();
    setBoxPresenter({});
    delete gParam;
    gParam = nullptr;
}

QString InterleaveTrial::home() const
{
    return m_home.path() + QStringLiteral("/Library/Application Support/Tavrimex");
}

QString InterleaveTrial::dbFolder() const
{
    return home() + QStringLiteral("/db/");
}

void InterleaveTrial::note(const QString& line)
{
    steps << QStringLiteral("%1. %2").arg(steps.size() + 1).arg(line);
}

void InterleaveTrial::fail(const QString& what)
{
    if (!failure.isEmpty()) {
        return;
    }
    failure = what;
    ++figures.failures;
    note(QStringLiteral("FAILED: ") + what);
    // The program's own account of its last moments.
    const QDir traces(home() + QStringLiteral("/traces"));
    for (const QString& name : traces.entryList(QDir::Files)) {
        QFile log(traces.filePath(name));
        if (log.open(QIODevice::ReadOnly)) {
            const QStringList lines = QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            for (const QString& line : lines.mid(std::max<qsizetype>(0, lines.size() - 8))) {
                steps << QStringLiteral("   log: ") + line;
            }
        }
    }
}

int InterleaveTrial::roll(int bound)
{
    return bound <= 1 ? 0 : static_cast<int>(m_agentRandom.bounded(static_cast<quint32>(bound)));
}

bool InterleaveTrial::chance(int percent)
{
    return roll(100) < percent;
}

void InterleaveTrial::settle(int ms)
{
    QTest::qWait(ms);
}

bool InterleaveTrial::anyWorkerRunning() const
{
    return m_window->threadEvt.isRunning() || m_window->threadGetDelta.isRunning()
           || m_window->threadGetFile.isRunning()
           || std::any_of(m_window->repWidgets.cbegin(), m_window->repWidgets.cend(), [](CRepWidget* tile) {
                  return tile->threadGet.isRunning();
              });
}

// Until every answer given has been taken in and no worker runs: only the replies
// the service holds back are still to come.
void InterleaveTrial::quiesce()
{
    if (!m_window) {
        return;
    }
    const auto quiet = [this] {
        const bool working = anyWorkerRunning();
        const auto replies = m_window->networkManager->findChildren<QNetworkReply*>();
        const int open = static_cast<int>(std::count_if(replies.cbegin(), replies.cend(), [](QNetworkReply* reply) {
            return reply->isRunning();
        }));
        return !working && open <= m_server->waitingHeld();
    };
    if (!waitUntil(quiet, 20000)) {
        fail(QStringLiteral("the program never came to rest"));
    }
    settle(1);
}

bool InterleaveTrial::waitUntil(const std::function<bool()>& done, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        settle(5);
    }
    return true;
}

// ---- the world ----

bool InterleaveTrial::setUpWorld()
{
    if (!m_home.isValid()) {
        fail(QStringLiteral("no home folder"));
        return false;
    }
    qputenv("HOME", m_home.path().toLocal8Bit());
    for (const char* sub : {"/db", "/img", "/traces"}) {
        QDir().mkpath(home() + QLatin1String(sub));
    }
    m_server = std::make_unique<standin::StandinServer>(trialOrganiser(m_seed, m_tickets));
    if (!m_server->listen(0)) {
        fail(QStringLiteral("the stand-in cannot listen"));
        return false;
    }
    for (const standin::Ticket& ticket : m_server->organiser().tickets) {
        m_initialEntries.insert(storedForm(ticket.barcode) + QLatin1Char('|') + QString::number(ticket.editeurId),
                                ticket.nbCompostage);
    }
    m_server->setPolicy([this](const standin::RecordedRequest& request, int index) {
        return fate(request, index);
    });
    // A short time-out, so that a reply that never comes costs a second; the agent id an
    // earlier login on line left.
    if (!lane::writeAgentSettings(home(),
                                  m_server->serviceUrl(),
                                  false,
                                  QStringLiteral("1"),
                                  m_server->organiser().terminalId)) {
        fail(QStringLiteral("no settings file"));
        return false;
    }
    if (!gAffichage) {
        gAffichage = new CAffichage;
    }
    setBoxPresenter([this](const BoxRequest& request, QWidget*) {
        note(QStringLiteral("(a box: %1: %2)").arg(request.title, request.text));
    });
    return true;
}

bool InterleaveTrial::startProgram()
{
    delete gParam;
    gParam = new CParam;
    if (!gParam->charge(home(), true)) {
        fail(QStringLiteral("the settings file cannot be read at a start"));
        return false;
    }
    gParam->isWebcam = false;
    gParam->isLockFocus = false;
    m_exited = false;
    m_window = std::make_unique<MainWindow>();
    if (m_window->isStartFailed) {
        fail(QStringLiteral("the main database could not be opened at a start"));
        return false;
    }
    m_window->quitEventLoop = [this] {
        m_exited = true;
    };
    m_window->chooseFile = [this](QWidget*) {
        return m_home.path() + (chance(50) ? QStringLiteral("/tickets.csv") : QStringLiteral("/event.kst"));
    };
    // Time passes by the trial's own moves, not by the clock: the cycle and the ping
    // run when it says so.
    m_window->deltaTimer.setInterval(24 * 3600 * 1000);
    m_window->pingTimer.setInterval(24 * 3600 * 1000);
    m_window->show();
    m_acceptableCurrent.clear();
    // The first ping decides the state shown at the login page.
    waitUntil(
        [] {
            return gParam->isOnline.load();
        },
        300);
    return true;
}

void InterleaveTrial::exitProgram()
{
    note(QStringLiteral("Press Exit, and start the program again"));
    m_window->exitClick();
    if (!waitUntil(
            [this] {
                return m_exited;
            },
            15000)) {
        fail(QStringLiteral("the program did not quit after Exit"));
        return;
    }
    m_window.reset();
    ++figures.restarts;
    startProgram();
}

// A stop at this very moment: the files as they are now, taken while no statement
// runs, are what the next start finds; whatever the program does afterwards is lost.
void InterleaveTrial::killProgram()
{
    note(QStringLiteral("The program is killed, and started again"));
    const QString snapshot = m_home.path() + QStringLiteral("/killed");
    QDir(snapshot).removeRecursively();
    bool copied = false;
    {
        QMutexLocker lock(m_window->dbMutex);
        copied = copyTree(home(), snapshot);
    }
    m_window.reset();
    if (!copied || !QDir(home()).removeRecursively() || !QDir().rename(snapshot, home())) {
        fail(QStringLiteral("the killed program's files could not be put back"));
        return;
    }
    ++figures.kills;
    startProgram();
    checkIntegrity();
}

// ---- the adversary ----

ScriptedReply InterleaveTrial::fate(const standin::RecordedRequest& request, int index)
{
    const QString route = request.route();
    const quint32 draw = m_adversaryRandom.bounded(100u);
    ScriptedReply reply = ScriptedReply::normal();
    QString told;
    if (route == QLatin1String("11") || route == QLatin1String("image") || route == QLatin1String("17")) {
        if (draw < 4) {
            reply = ScriptedReply::httpError(500);
            told = QStringLiteral("fails");
        }
    } else if (draw < (route == QLatin1String("53") ? 40 : 52)) {
        // answered at once
    } else if (draw < 74) {
        reply = ScriptedReply::held();
        m_heldUntil.insert(index, m_step + 1 + static_cast<int>(m_adversaryRandom.bounded(3u)));
        told = QStringLiteral("held back");
    } else if (draw < 79) {
        reply = ScriptedReply::normal();
        reply.twice = true;
        ++figures.repliesDoubled;
        told = QStringLiteral("delivered twice on the way");
    } else if (draw < 85) {
        reply = ScriptedReply::normal();
        reply.cut = true;
        ++figures.repliesCut;
        m_unclean.insert(index);
        told = QStringLiteral("cut half-way");
    } else if (draw < 91) {
        reply = ScriptedReply::httpError(draw % 2 ? 500 : 404);
        ++figures.repliesFailed;
        m_unclean.insert(index);
        told = QStringLiteral("answered with an HTTP error");
    } else if (draw < 99) {
        reply = ScriptedReply::close();
        ++figures.repliesLost;
        m_unclean.insert(index);
        told = QStringLiteral("dropped");
    } else {
        reply = ScriptedReply::silent();
        ++figures.repliesLost;
        m_unclean.insert(index);
        told = QStringLiteral("never answered");
    }
    if (!told.isEmpty()) {
        note(QStringLiteral("(the service: request #%1 \"%2\" %3)").arg(index).arg(route, told));
    }
    return reply;
}

void InterleaveTrial::adversaryTurn()
{
    const QList<int> held = m_server->heldRequests();
    QList<int> due;
    for (int index : held) {
        if (m_heldUntil.value(index, m_step) <= m_step) {
            due << index;
        }
    }
    // Released in an order of their own: a later request may be answered first.
    for (int i = static_cast<int>(due.size()) - 1; i > 0; --i) {
        due.swapItemsAt(i, static_cast<int>(m_adversaryRandom.bounded(static_cast<quint32>(i + 1))));
    }
    for (int index : due) {
        const bool laterAnswered = std::any_of(held.cbegin(), held.cend(), [index](int other) {
            return other > index;
        });
        ++(laterAnswered ? figures.repliesReordered : figures.repliesLate);
        m_heldUntil.remove(index);
        note(QStringLiteral("(the service answers request #%1 now)").arg(index));
        m_server->release(index);
    }
    // The service asks now and then for a full reload of the list at its next delta.
    if (m_adversaryRandom.bounded(100u) < 2) {
        m_server->requestDrop();
        note(QStringLiteral("(the service will send the whole list at the next delta)"));
    }
    // Another entrance acts on the same tickets meanwhile, often on one whose barcode
    // holds a quote.
    if (m_adversaryRandom.bounded(100u) < 6) {
        QList<standin::Ticket> tickets = m_server->organiser().tickets;
        if (m_adversaryRandom.bounded(100u) < 30) {
            tickets.removeIf([](const standin::Ticket& ticket) {
                return !ticket.barcode.contains(QLatin1Char('\''));
            });
        }
        if (tickets.isEmpty()) {
            tickets = m_server->organiser().tickets;
        }
        const standin::Ticket ticket =
            tickets.at(static_cast<qsizetype>(m_adversaryRandom.bounded(static_cast<quint32>(tickets.size()))));
        const QString key = storedForm(ticket.barcode) + QLatin1Char('|') + QString::number(ticket.editeurId);
        const quint32 what = m_adversaryRandom.bounded(10u);
        bool done = false;
        QString told;
        if (what < 6) {
            done = m_server->otherPunch(ticket.barcode, ticket.editeurId);
            told = QStringLiteral("punches");
        } else if (what < 8) {
            done = m_server->otherUnpunch(ticket.barcode, ticket.editeurId);
            told = QStringLiteral("un-punches");
            if (done) {
                m_otherUnpunches[key] += 1;
            }
        } else {
            done = m_server->otherDelete(ticket.barcode, ticket.editeurId);
            told = QStringLiteral("deletes");
        }
        if (done) {
            m_touchedElsewhere.insert(key);
            note(QStringLiteral("(another entrance %1 %2)").arg(told, ticket.barcode));
        }
    }
}

void InterleaveTrial::releaseAll()
{
    m_server->setPolicy({});
    for (int index : m_server->heldRequests()) {
        m_server->release(index);
    }
    m_heldUntil.clear();
}

// ---- the run ----

bool InterleaveTrial::run()
{
    ++figures.trials;
    m_elapsedBase = QDateTime::currentMSecsSinceEpoch();
    note(QStringLiteral("Seed %1: start the program").arg(m_seed));
    if (!setUpWorld() || !startProgram()) {
        return false;
    }
    for (m_step = 0; m_step < m_maxSteps && failure.isEmpty(); ++m_step) {
        adversaryTurn();
        if (chance(2)) {
            killProgram();
        } else if (chance(1) && !m_window->progressBar->isVisible()) {
            exitProgram();
        } else {
            act();
        }
        ++figures.actions;
        settle(1);
        // Now and then the stop comes while a worker stores what an answer brought.
        if (m_window && chance(4)
            && waitUntil(
                [this] {
                    return anyWorkerRunning();
                },
                150)) {
            killProgram();
        }
        quiesce();
        // Time passes: the cycle's five seconds, the ping's thirty.
        if (m_window && m_window->deltaTimer.isActive() && chance(25)) {
            note(QStringLiteral("(five seconds pass: a synchronisation cycle)"));
            m_window->deltaTimer.stop();
            m_window->timerDelta();
            quiesce();
        }
        if (m_window && m_window->pingTimer.isActive() && chance(5)) {
            note(QStringLiteral("(thirty seconds pass: a ping)"));
            m_window->timerPing();
            quiesce();
        }
        if (failure.isEmpty()) {
            checkStep();
        }
        if (failure.isEmpty() && m_step % 10 == 9) {
            checkIntegrity();
        }
    }
    if (failure.isEmpty()) {
        releaseAll();
        note(QStringLiteral("Final drain: every list uploaded and brought up to date, the drain queue emptied"));
        if (finalDrain()) {
            checkEnd();
        }
    }
    return failure.isEmpty();
}

}  // namespace trials
