#include "core/BoxPresenter.h"

#include "core/Startup.h"

#include <QApplication>
#include <QMessageBox>
#include <QMutex>
#include <QPointer>
#include <QThread>

namespace
{

QMutex presenterMutex;
BoxPresenter customPresenter;

void defaultPresenter(const BoxRequest& request, QWidget* parent)
{
    // Without a widget application (a console tool) there is nothing to show on;
    // the failure has been logged by the caller already.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        return;
    }
    QMessageBox box(request.icon == BoxIcon::Critical ? QMessageBox::Critical : QMessageBox::Warning,
                    request.title,
                    request.text,
                    QMessageBox::Ok,
                    parent);
    // A termination signal that comes while the box shows closes it.
    const SignalLoopScope loop([&box] {
        box.reject();
    });
    box.exec();
}

BoxPresenter currentPresenter()
{
    QMutexLocker lock(&presenterMutex);
    if (customPresenter) {
        return customPresenter;
    }
    return defaultPresenter;
}

}  // namespace

void setBoxPresenter(BoxPresenter presenter)
{
    QMutexLocker lock(&presenterMutex);
    customPresenter = std::move(presenter);
}

void showBox(BoxIcon icon, const QString& title, const QString& text, QWidget* parent)
{
    const BoxRequest request{icon, title, text};
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) {
        return;
    }
    if (QThread::currentThread() == app->thread()) {
        currentPresenter()(request, parent);
        return;
    }
    // A widget may only be built on the GUI thread: hand the box over and go on.
    QMetaObject::invokeMethod(
        app,
        [request]() {
            currentPresenter()(request, nullptr);
        },
        Qt::QueuedConnection);
}
