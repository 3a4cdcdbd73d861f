#include "InterleaveTrial.h"

#include "control/CWebCam.h"
#include "core/AppFolder.h"
#include "core/BoxPresenter.h"
#include "core/CAffichage.h"
#include "core/CDateHeure.h"
#include "core/CParam.h"
#include "core/DrivenTimers.h"
#include "session/CRepWidget.h"
#include "ui/MainWindow.h"
#include "ui/MessageDlg.h"
#include "ui/ProgressBar.h"
#include "ui/Ui_MainWindow.h"

#include "LaneSupport.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QMutexLocker>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProperty>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTimerEvent>

#include <algorithm>

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
    visit("replies_foreign", f.repliesForeign);
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
    standin::Organiser organiser =
        standin::makeSampleOrganiser(seed, tickets, InterleaveTrial::startOfTime().date(), shape);
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

// A route as a number, for the seed of the adversary's draws.
quint32 routeCode(const QString& route)
{
    quint32 code = 2166136261u;
    for (const QChar c : route) {
        code = (code ^ c.unicode()) * 16777619u;
    }
    return code;
}

// The order in which requests that reached the service together are taken: by what
// they ask, not by which came first.
QString orderKey(const standin::RecordedRequest& request)
{
    QString subject = request.route() == QLatin1String("image") ? QString::fromLatin1(request.path) : QString();
    for (const char* key : {"id", "jo", "zo", "lg", "dt"}) {
        subject += QLatin1Char('|') + request.value(QLatin1String(key));
    }
    return request.route() + QLatin1Char('#') + subject;
}

// Lets the timer events of the GUI thread's timers through only while the trial fires
// them, and counts the deliveries of the event loop that move the program.
class TimerGate : public QObject
{
public:
    std::function<bool(QTimer*)> holds;
    quint64* delivered = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MetaCall:
        case QEvent::SockAct:
        case QEvent::SockClose:
        case QEvent::DeferredDelete:
            ++*delivered;
            break;
        default:
            break;
        }
        if (event->type() != QEvent::Timer || !holds) {
            return false;
        }
        auto* timer = qobject_cast<QTimer*>(watched);
        return timer && holds(timer);
    }
};

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

struct InterleaveTrial::DrivenTimer
{
    // When it fires by the trial's clock; -1 while it is stopped.
    qint64 due = -1;
    quint64 made = 0;
    QPropertyNotifier active;
    QPropertyNotifier interval;
};

const QString InterleaveTrial::kLogLine = QStringLiteral("   log: ");

namespace
{

std::atomic<int> jitterMs{0};

}  // namespace

void InterleaveTrial::setJitter(int ms)
{
    jitterMs = std::max(0, ms);
}

QDateTime InterleaveTrial::startOfTime()
{
    return QDateTime(QDate(2031, 3, 4), QTime(10, 0), Qt::LocalTime);
}

InterleaveTrial::InterleaveTrial(quint32 seed, int maxSteps, int ticketsPerPerformance)
    : m_seed(seed)
    , m_maxSteps(maxSteps)
    , m_tickets(ticketsPerPerformance)
    , m_agentRandom(seed)
{
    m_now = startOfTime().toMSecsSinceEpoch();
    auto gate = std::make_unique<TimerGate>();
    gate->holds = [this](QTimer* timer) {
        if (timer == m_firing) {
            return false;
        }
        // A timer nobody enrolled would fire by the wall clock, at a moment the
        // machine's load decides.
        if (m_timers.count(timer) == 0) {
            fail(QStringLiteral("a timer fired by the wall clock (%1 %2): it is not enrolled in driventimers")
                     .arg(QLatin1String(timer->metaObject()->className()), timer->objectName()));
        }
        return true;
    };
    gate->delivered = &m_delivered;
    qApp->installEventFilter(gate.get());
    m_timerGate = std::move(gate);
    driventimers::setDriver([this](QTimer* timer) {
        adopt(timer);
    });
    setDateHeureNow([this] {
        return now();
    });
}

InterleaveTrial::~InterleaveTrial()
{
    releaseWorkers();
    m_window.reset();
    // The requests the window left go now, their timers with them.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    driventimers::setDriver({});
    setDateHeureNow({});
    m_timers.clear();
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

// The run's temporary folder and the service's port, which change from run to run, are
// written as "~" and "PORT".
QString InterleaveTrial::portable(const QString& text) const
{
    QString out = text;
    out.replace(m_home.path(), QStringLiteral("~"));
    if (m_server) {
        out.replace(QStringLiteral("127.0.0.1:%1").arg(m_server->port()), QStringLiteral("127.0.0.1:PORT"));
    }
    return out;
}

void InterleaveTrial::note(const QString& line)
{
    steps << QStringLiteral("%1. %2").arg(steps.size() + 1).arg(portable(line));
}

void InterleaveTrial::fail(const QString& what)
{
    if (!failure.isEmpty()) {
        return;
    }
    failure = portable(what);
    ++figures.failures;
    note(QStringLiteral("FAILED: ") + what);
    // The program's own account of its last moments.
    const QDir traces(home() + QStringLiteral("/traces"));
    for (const QString& name : traces.entryList(QDir::Files)) {
        QFile log(traces.filePath(name));
        if (log.open(QIODevice::ReadOnly)) {
            const QStringList lines = QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            for (const QString& line : lines.mid(std::max<qsizetype>(0, lines.size() - 8))) {
                steps << kLogLine + line;
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

// ---- rest and time ----

QDateTime InterleaveTrial::now() const
{
    return QDateTime::fromMSecsSinceEpoch(m_now.load(), Qt::LocalTime);
}

void InterleaveTrial::advance(qint64 ms)
{
    m_now += ms;
    if (m_server) {
        m_server->setClock(now());
    }
}

// Every timer of the program is the trial's: it fires when the trial's clock passes
// its time, never on its own.
void InterleaveTrial::adopt(QTimer* timer)
{
    if (timer->thread() != QThread::currentThread() || QThread::currentThread() != qApp->thread()) {
        return;
    }
    auto driven = std::make_unique<DrivenTimer>();
    driven->made = ++m_timersMade;
    const auto rearm = [this, timer] {
        const auto it = m_timers.find(timer);
        if (it != m_timers.end()) {
            it->second->due = timer->isActive() ? m_now.load() + timer->interval() : -1;
        }
    };
    driven->active = timer->bindableActive().addNotifier(rearm);
    driven->interval = timer->bindableInterval().addNotifier(rearm);
    m_timers[timer] = std::move(driven);
    QObject::connect(timer, &QObject::destroyed, m_timerGate.get(), [this, timer] {
        m_timers.erase(timer);
    });
}

void InterleaveTrial::fireDue()
{
    for (int fired = 0; m_window && failure.isEmpty(); ++fired) {
        if (fired == 1000) {
            fail(QStringLiteral("the program's timers keep firing without time passing"));
            return;
        }
        QTimer* next = nullptr;
        const DrivenTimer* first = nullptr;
        for (const auto& entry : m_timers) {
            const DrivenTimer* driven = entry.second.get();
            if (driven->due < 0 || driven->due > m_now.load()) {
                continue;
            }
            if (!first || driven->due < first->due || (driven->due == first->due && driven->made < first->made)) {
                first = driven;
                next = entry.first;
            }
        }
        if (!next) {
            return;
        }
        fire(next);
    }
}

// The timer's time is up: it fires, and the step goes on once the service saw the
// requests it gave up on closed and the program is at rest again.
void InterleaveTrial::fire(QTimer* timer, bool whenever)
{
    // Coming to rest may end what the timer belongs to.
    const QPointer<QTimer> alive(timer);
    quiesce();
    const auto driven = alive ? m_timers.find(timer) : m_timers.end();
    if (!m_window || driven == m_timers.end() || !timer->isActive()
        || (!whenever && (driven->second->due < 0 || driven->second->due > m_now.load()))) {
        return;
    }
    QList<QPointer<QNetworkReply>> running;
    for (QNetworkReply* reply : m_window->networkManager->findChildren<QNetworkReply*>()) {
        if (reply->isRunning()) {
            running << reply;
        }
    }
    const QList<int> open = m_server->unansweredOpen();
    trace << QStringLiteral("step %1: timer %2 (%3) at %4")
                 .arg(m_step)
                 .arg(driven->second->made)
                 .arg(timer->objectName())
                 .arg(m_now.load() - startOfTime().toMSecsSinceEpoch());
    m_firing = timer;
    QTimerEvent event(timer->timerId());
    QCoreApplication::sendEvent(timer, &event);
    m_firing = nullptr;
    if (alive && timer->isActive()) {
        // A repeating timer: its next time.
        const auto it = m_timers.find(timer);
        if (it != m_timers.end() && it->second->due <= m_now.load()) {
            it->second->due = m_now.load() + std::max(1, timer->interval());
        }
    }
    const auto givenUp = std::count_if(running.cbegin(), running.cend(), [](const QPointer<QNetworkReply>& reply) {
        return !reply || !reply->isRunning();
    });
    const auto noticed = [this, &open, givenUp] {
        const QList<int> still = m_server->unansweredOpen();
        const auto left = std::count_if(open.cbegin(), open.cend(), [&still](int index) {
            return still.contains(index);
        });
        return left <= open.size() - givenUp;
    };
    QDeadlineTimer deadline(20000);
    while (!noticed()) {
        if (deadline.hasExpired()) {
            fail(QStringLiteral("the service never saw a request given up close"));
            return;
        }
        pump();
        QThread::msleep(1);
    }
    quiesce();
}

void InterleaveTrial::pump()
{
    if (jitterMs > 0) {
        // Drawn apart from the seed on purpose: the wall clock's share of the run.
        QThread::msleep(QRandomGenerator::global()->bounded(static_cast<quint32>(jitterMs + 1)));
    }
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool InterleaveTrial::networkAtRest() const
{
    const auto replies = m_window->networkManager->findChildren<QNetworkReply*>();
    const auto running = std::count_if(replies.cbegin(), replies.cend(), [](QNetworkReply* reply) {
        return reply->isRunning();
    });
    const auto waiting = m_server->deferredRequests().size() + m_server->unansweredOpen().size();
    // The network manager opens at most six connections to one host: while the service
    // holds six requests on all the connections there are, the others wait in the
    // program for one of them to end.
    constexpr qsizetype kConnectionsPerHost = 6;
    return running == waiting
           || (running > waiting && waiting == kConnectionsPerHost && m_server->openConnections() == waiting);
}

bool InterleaveTrial::anyWorkerBusy() const
{
    QMutexLocker lock(&const_cast<WorkerGate&>(m_workerGate).mutex);
    return std::any_of(m_workers.cbegin(), m_workers.cend(), [this](QThread* worker) {
        const WorkerRuns& runs = *m_runs.at(worker);
        const bool running = worker->isRunning() || runs.begun.load() != runs.ended.load();
        return running && !m_workerGate.parked.contains(worker);
    });
}

// Of the requests waiting at the service, the first by what they ask.
void InterleaveTrial::takeNextRequest()
{
    const QList<int> waiting = m_server->deferredRequests();
    const QList<standin::RecordedRequest> all = m_server->requests();
    int chosen = -1;
    QString chosenKey;
    for (int index : waiting) {
        const standin::RecordedRequest& request = all.at(index);
        const QString key = orderKey(request) + QLatin1Char('#') + QString::fromLatin1(request.body.toHex());
        if (chosen < 0 || key < chosenKey) {
            chosen = index;
            chosenKey = key;
        }
    }
    if (chosen >= 0) {
        m_server->process(chosen);
    }
}

void InterleaveTrial::quiesce()
{
    if (!m_window) {
        return;
    }
    QDeadlineTimer deadline(120000);
    // At rest over two turns of the event loop in a row that delivered nothing: what
    // a worker or an answer queued last, and whatever that queued in turn, has been
    // taken in.
    for (int calm = 0; calm < 2;) {
        if (deadline.hasExpired()) {
            fail(QStringLiteral("the program never came to rest"));
            return;
        }
        const quint64 delivered = m_delivered;
        pump();
        if (!m_window) {
            return;
        }
        if (anyWorkerBusy() || !networkAtRest()) {
            calm = 0;
            QThread::msleep(1);
            continue;
        }
        calm = m_delivered == delivered ? calm + 1 : 0;
        // A request is taken only once what the last answer or worker's end queued has
        // been taken in: a request that sends is then waiting too, whatever the load.
        if (calm == 2 && !m_server->deferredRequests().isEmpty()) {
            takeNextRequest();
            calm = 0;
        }
    }
}

bool InterleaveTrial::settleUntil(const std::function<bool()>& done, int seconds)
{
    for (int second = 0;; ++second) {
        quiesce();
        if (!failure.isEmpty() || !m_window) {
            return false;
        }
        if (done()) {
            return true;
        }
        if (second >= seconds) {
            return false;
        }
        advance(1000);
        fireDue();
    }
}

// ---- workers ----

void InterleaveTrial::watchWorkers()
{
    m_workers = {&m_window->threadEvt, &m_window->threadGetDelta, &m_window->threadGetFile};
    for (CRepWidget* tile : m_window->repWidgets) {
        m_workers << &tile->threadGet;
    }
    m_runs.clear();
    for (QThread* worker : std::as_const(m_workers)) {
        WorkerRuns* runs = m_runs.emplace(worker, std::make_unique<WorkerRuns>()).first->second.get();
        QObject::connect(
            worker,
            &QThread::started,
            worker,
            [this, worker, runs] {
                ++runs->begun;
                parkIfArmed(worker);
            },
            Qt::DirectConnection);
        QObject::connect(
            worker,
            &QThread::finished,
            worker,
            [runs] {
                ++runs->ended;
            },
            Qt::DirectConnection);
    }
}

// In the worker's thread, before its run: held there while a stop may fall on it.
void InterleaveTrial::parkIfArmed(QThread* worker)
{
    QMutexLocker lock(&m_workerGate.mutex);
    if (!m_workerGate.armed) {
        return;
    }
    m_workerGate.parked << worker;
    while (!m_workerGate.released.contains(worker)) {
        m_workerGate.changed.wait(&m_workerGate.mutex);
    }
    m_workerGate.released.remove(worker);
}

void InterleaveTrial::releaseWorkers()
{
    QMutexLocker lock(&m_workerGate.mutex);
    m_workerGate.armed = false;
    for (QThread* worker : std::as_const(m_workerGate.parked)) {
        m_workerGate.released.insert(worker);
    }
    m_workerGate.parked.clear();
    m_workerGate.changed.wakeAll();
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
    advance(0);
    m_server->setDeferred(true);
    for (const standin::Ticket& ticket : m_server->organiser().tickets) {
        m_initialEntries.insert(storedForm(ticket.barcode) + QLatin1Char('|') + QString::number(ticket.editeurId),
                                ticket.nbCompostage);
    }
    m_server->setPolicy([this](const standin::RecordedRequest& request, int index) {
        return fate(request, index);
    });
    // A time-out of two seconds of the trial's clock: a reply held back one or two
    // steps still comes in time, one held three does not. The agent id an earlier
    // login on line left.
    if (!lane::writeAgentSettings(home(),
                                  m_server->serviceUrl(),
                                  false,
                                  QStringLiteral("2"),
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
    // The cycle and the ping run when the trial says time passes.
    m_window->deltaTimer.setInterval(24 * 3600 * 1000);
    m_window->pingTimer.setInterval(24 * 3600 * 1000);
    m_window->webCam->setClock([this] {
        return m_now.load();
    });
    watchWorkers();
    m_window->show();
    m_acceptableCurrent.clear();
    // The first ping decides the state shown at the login page.
    quiesce();
    return failure.isEmpty();
}

// The window goes, and with it its connections: the next start begins once the
// service saw them all closed.
void InterleaveTrial::stopProgram()
{
    releaseWorkers();
    m_window.reset();
    m_workers.clear();
    m_runs.clear();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QDeadlineTimer deadline(20000);
    while (m_server->openConnections() > 0) {
        if (deadline.hasExpired()) {
            fail(QStringLiteral("the service still had connections of a program gone"));
            return;
        }
        pump();
        QThread::msleep(1);
    }
}

void InterleaveTrial::exitProgram()
{
    note(QStringLiteral("Press Exit, and start the program again"));
    // No worker is held back: the exit waits for them.
    releaseWorkers();
    m_window->exitClick();
    if (!settleUntil(
            [this] {
                return m_exited;
            },
            60)) {
        fail(QStringLiteral("the program did not quit after Exit"));
        return;
    }
    stopProgram();
    ++figures.restarts;
    if (failure.isEmpty()) {
        startProgram();
    }
}

namespace
{

// A stop at this very moment: the files as they are now, taken while no statement
// runs, are what the next start finds; whatever the program does afterwards is lost.
bool takeSnapshot(MainWindow* window, const QString& from, const QString& to)
{
    QDir(to).removeRecursively();
    QMutexLocker lock(window->dbMutex);
    return copyTree(from, to);
}

}  // namespace

void InterleaveTrial::killProgram()
{
    note(QStringLiteral("The program is killed, and started again"));
    const QString snapshot = m_home.path() + QStringLiteral("/killed");
    const bool copied = takeSnapshot(m_window.get(), home(), snapshot);
    stopProgram();
    if (!copied || !QDir(home()).removeRecursively() || !QDir().rename(snapshot, home())) {
        fail(QStringLiteral("the killed program's files could not be put back"));
        return;
    }
    ++figures.kills;
    if (failure.isEmpty() && startProgram()) {
        checkIntegrity();
    }
}

// A stop on a worker storing what an answer brought: as it starts, or once it stored
// all of it and before the window took in its end. False when no worker started.
bool InterleaveTrial::killWhileStoring()
{
    QList<QThread*> parked;
    {
        QMutexLocker lock(&m_workerGate.mutex);
        for (QThread* worker : std::as_const(m_workers)) {
            if (m_workerGate.parked.contains(worker)) {
                parked << worker;
            }
        }
    }
    if (parked.isEmpty() || !m_window) {
        return false;
    }
    const bool stored = chance(50);
    note(stored ? QStringLiteral("(a worker stores an answer)")
                : QStringLiteral("(a worker starts storing an answer)"));
    if (stored) {
        // Alone: the window takes nothing in meanwhile.
        for (QThread* worker : std::as_const(parked)) {
            {
                QMutexLocker lock(&m_workerGate.mutex);
                m_workerGate.parked.removeOne(worker);
                m_workerGate.released.insert(worker);
                m_workerGate.changed.wakeAll();
            }
            if (!worker->wait(QDeadlineTimer(60000))) {
                fail(QStringLiteral("a worker storing an answer never ended"));
                releaseWorkers();
                return true;
            }
        }
    }
    killProgram();
    return true;
}

// ---- the adversary ----

// Each request's fate is drawn by its route and its number among the requests of
// that route, whatever came before.
ScriptedReply InterleaveTrial::fate(const standin::RecordedRequest& request, int index)
{
    const QString route = request.route();
    const int number = ++m_taken;
    m_numbers.insert(index, number);
    const quint32 key[] = {m_seed, 0xfa7eu, routeCode(route), static_cast<quint32>(++m_takenByRoute[route])};
    QRandomGenerator draws(key);
    const quint32 draw = draws.bounded(100u);
    trace << QStringLiteral("step %1: request #%2 %3").arg(m_step).arg(number).arg(portable(orderKey(request)));
    ScriptedReply reply = ScriptedReply::normal();
    QString told;
    if (route == QLatin1String("11") || route == QLatin1String("image") || route == QLatin1String("17")) {
        if (draw < 4) {
            reply = ScriptedReply::httpError(500);
            told = QStringLiteral("fails");
        } else if (draw < 6) {
            reply = ScriptedReply::proxyPage();
            ++figures.repliesForeign;
            told = QStringLiteral("answered with a proxy's page");
        } else if (draw < 8 && route != QLatin1String("image")) {
            reply = ScriptedReply::truncatedDocument();
            ++figures.repliesForeign;
            told = QStringLiteral("answered with half its answer");
        }
    } else if (draw < (route == QLatin1String("53") ? 40 : 52)) {
        // answered at once
    } else if (draw < 72) {
        reply = ScriptedReply::held();
        m_heldUntil.insert(index, m_step + 1 + static_cast<int>(draws.bounded(3u)));
        told = QStringLiteral("held back");
    } else if (draw < 77) {
        reply = ScriptedReply::normal();
        reply.twice = true;
        ++figures.repliesDoubled;
        told = QStringLiteral("delivered twice on the way");
    } else if (draw < 82) {
        reply = ScriptedReply::normal();
        reply.cut = true;
        ++figures.repliesCut;
        told = QStringLiteral("cut half-way");
    } else if (draw < 87) {
        reply = ScriptedReply::httpError(draw % 2 ? 500 : 404);
        ++figures.repliesFailed;
        told = QStringLiteral("answered with an HTTP error");
    } else if (draw < 91) {
        reply = ScriptedReply::proxyPage();
        ++figures.repliesForeign;
        told = QStringLiteral("answered with a proxy's page");
    } else if (draw < 95) {
        reply = ScriptedReply::truncatedDocument();
        ++figures.repliesForeign;
        told = QStringLiteral("answered with half its answer");
    } else if (draw < 99) {
        reply = ScriptedReply::close();
        ++figures.repliesLost;
        told = QStringLiteral("dropped");
    } else {
        reply = ScriptedReply::silent();
        ++figures.repliesLost;
        told = QStringLiteral("never answered");
    }
    if (!told.isEmpty()) {
        note(QStringLiteral("(the service: request #%1 \"%2\" %3)").arg(number).arg(route, told));
    }
    return reply;
}

// The service's moves between two steps, drawn once per step: held replies released
// one at a time, a full reload asked for, another entrance at work.
void InterleaveTrial::adversaryTurn()
{
    const quint32 key[] = {m_seed, 0x57e9u, static_cast<quint32>(m_step)};
    QRandomGenerator draws(key);
    QList<int> due;
    for (int index : m_server->heldRequests()) {
        if (m_heldUntil.value(index, m_step) <= m_step) {
            due << index;
        }
    }
    std::sort(due.begin(), due.end(), [this](int a, int b) {
        return m_numbers.value(a) < m_numbers.value(b);
    });
    const QList<int> held = due;
    // Released in an order of their own: a later request may be answered first.
    for (int i = static_cast<int>(due.size()) - 1; i > 0; --i) {
        due.swapItemsAt(i, static_cast<int>(draws.bounded(static_cast<quint32>(i + 1))));
    }
    QSet<int> released;
    for (int index : std::as_const(due)) {
        const bool laterAnswered = std::any_of(held.cbegin(), held.cend(), [&](int other) {
            return m_numbers.value(other) > m_numbers.value(index) && released.contains(other);
        });
        ++(laterAnswered ? figures.repliesReordered : figures.repliesLate);
        released.insert(index);
        m_heldUntil.remove(index);
        note(QStringLiteral("(the service answers request #%1 now)").arg(m_numbers.value(index)));
        m_server->release(index);
        quiesce();
    }
    // The service asks now and then for a full reload of the list at its next delta.
    if (draws.bounded(100u) < 2) {
        m_server->requestDrop();
        note(QStringLiteral("(the service will send the whole list at the next delta)"));
    }
    // Another entrance acts on the same tickets meanwhile, often on one whose barcode
    // holds a quote.
    if (draws.bounded(100u) < 6) {
        QList<standin::Ticket> tickets = m_server->organiser().tickets;
        if (draws.bounded(100u) < 30) {
            tickets.removeIf([](const standin::Ticket& ticket) {
                return !ticket.barcode.contains(QLatin1Char('\''));
            });
        }
        if (tickets.isEmpty()) {
            tickets = m_server->organiser().tickets;
        }
        const standin::Ticket ticket =
            tickets.at(static_cast<qsizetype>(draws.bounded(static_cast<quint32>(tickets.size()))));
        const QString key = storedForm(ticket.barcode) + QLatin1Char('|') + QString::number(ticket.editeurId);
        const quint32 what = draws.bounded(10u);
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
    QList<int> held = m_server->heldRequests();
    std::sort(held.begin(), held.end(), [this](int a, int b) {
        return m_numbers.value(a) < m_numbers.value(b);
    });
    for (int index : std::as_const(held)) {
        m_server->release(index);
        quiesce();
    }
    m_heldUntil.clear();
}

// ---- the run ----

bool InterleaveTrial::run()
{
    ++figures.trials;
    note(QStringLiteral("Seed %1: start the program").arg(m_seed));
    if (!setUpWorld() || !startProgram()) {
        return false;
    }
    for (m_step = 0; m_step < m_maxSteps && failure.isEmpty(); ++m_step) {
        // A step takes a second: two actions on one ticket are never one item.
        advance(1000);
        adversaryTurn();
        fireDue();
        if (!failure.isEmpty() || !m_window) {
            break;
        }
        // Now and then the stop comes while a worker stores what an answer brought.
        const bool mayStopWorker = chance(4);
        if (chance(2)) {
            killProgram();
        } else if (chance(1) && !m_window->progressBar->isVisible()) {
            exitProgram();
        } else {
            if (mayStopWorker) {
                QMutexLocker lock(&m_workerGate.mutex);
                m_workerGate.armed = true;
            }
            act();
        }
        ++figures.actions;
        quiesce();
        if (!killWhileStoring()) {
            releaseWorkers();
            quiesce();
        }
        // Time passes: the cycle's five seconds, the ping's thirty.
        if (m_window && m_window->deltaTimer.isActive() && chance(25)) {
            note(QStringLiteral("(five seconds pass: a synchronisation cycle)"));
            advance(5000);
            fireDue();
            if (m_window && m_window->deltaTimer.isActive()) {
                fire(&m_window->deltaTimer, true);
            }
        }
        if (m_window && m_window->pingTimer.isActive() && chance(5)) {
            note(QStringLiteral("(thirty seconds pass: a ping)"));
            const auto pingDue = m_timers.find(&m_window->pingTimer);
            const bool fallsDue =
                pingDue != m_timers.end() && pingDue->second->due >= 0 && pingDue->second->due <= m_now.load() + 30000;
            advance(30000);
            fireDue();
            if (m_window && m_window->pingTimer.isActive() && !fallsDue) {
                fire(&m_window->pingTimer, true);
            }
        }
        if (failure.isEmpty()) {
            checkStep();
        }
        if (failure.isEmpty() && m_step % 10 == 9) {
            checkIntegrity();
        }
    }
    if (failure.isEmpty() && m_window) {
        releaseAll();
        note(QStringLiteral("Final drain: every list uploaded and brought up to date, the drain queue emptied"));
        if (finalDrain()) {
            checkEnd();
        }
    }
    return failure.isEmpty();
}

}  // namespace trials
