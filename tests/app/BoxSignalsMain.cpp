#include "core/BoxPresenter.h"
#include "core/Startup.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QTimer>

#include <csignal>
#include <cstdio>

// The program with its real message boxes, to see which of them a termination signal
// closes during start-up. The environment says what happens:
//   RAISE_AT_START=1   SIGTERM as the application object is made, while no loop runs;
//   STEPS_AT_SHOW      steps run when the main window is first shown, before the main
//                      loop: "box" shows a box, "raise" sends SIGTERM;
//   BOX_ANSWERS        what each box in turn gets: "answer" clicks its button once its
//                      loop has gone round once, "signal" sends SIGTERM from its loop.
// Standard error gets "BOX n [title] shown", then "BOX n answered" or "BOX n closed
// unanswered", and "MAIN LOOP" once the main loop runs.

namespace
{

void say(const QString& line)
{
    std::fprintf(stderr, "%s\n", qUtf8Printable(line));
    std::fflush(stderr);
}

QStringList envList(const char* name)
{
    return QString::fromLocal8Bit(qgetenv(name)).split(QLatin1Char(','), Qt::SkipEmptyParts);
}

class Script : public QObject
{
public:
    explicit Script(QObject* parent)
        : QObject(parent)
        , answers(envList("BOX_ANSWERS"))
    {
        qApp->installEventFilter(this);
        // Emitted each time a loop of this thread goes round, before it waits.
        connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this, [this] {
            goRound();
        });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto* box = qobject_cast<QMessageBox*>(watched)) {
                boxShown(box);
            } else if (!mainWindowShown && qobject_cast<QMainWindow*>(watched)) {
                mainWindowShown = true;
                runStepsAtShow();
            }
        }
        return false;
    }

private:
    void boxShown(QMessageBox* box)
    {
        const int number = ++boxCount;
        say(QStringLiteral("BOX %1 [%2] shown").arg(number).arg(box->windowTitle()));
        current = box;
        rounds = 0;
        action = answers.value(number - 1);
        connect(box, &QObject::destroyed, this, [this, number] {
            say(QStringLiteral("BOX %1 ").arg(number)
                + (answered.contains(number) ? QStringLiteral("answered") : QStringLiteral("closed unanswered")));
        });
    }

    // The first round starts before the loop has looked at anything pending, so a
    // signal sent there comes while the box's loop runs; by the second round the loop
    // has taken in all that was pending when it started.
    void goRound()
    {
        if (!current) {
            return;
        }
        ++rounds;
        if (action == QLatin1String("signal") && rounds == 1) {
            std::raise(SIGTERM);
        } else if (action == QLatin1String("answer") && rounds == 2) {
            answered.insert(boxCount);
            QMetaObject::invokeMethod(current->button(QMessageBox::Ok), &QAbstractButton::click, Qt::QueuedConnection);
        }
    }

    void runStepsAtShow()
    {
        int hookBoxes = 0;
        for (const QString& step : envList("STEPS_AT_SHOW")) {
            if (step == QLatin1String("box")) {
                showBox(BoxIcon::Warning, QStringLiteral("hook"), QString::number(++hookBoxes));
            } else if (step == QLatin1String("raise")) {
                std::raise(SIGTERM);
            }
        }
        // Runs in the first loop that goes round now, which must be the main one.
        QTimer::singleShot(0, this, [] {
            say(QStringLiteral("MAIN LOOP"));
        });
    }

    const QStringList answers;
    QPointer<QMessageBox> current;
    QString action;
    QSet<int> answered;
    int boxCount = 0;
    int rounds = 0;
    bool mainWindowShown = false;
};

void setUpScript()
{
    if (qgetenv("RAISE_AT_START") == "1") {
        std::raise(SIGTERM);
    }
    new Script(QCoreApplication::instance());
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(setUpScript)

int main(int argc, char** argv)
{
    return tavrimexMain(argc, argv);
}
