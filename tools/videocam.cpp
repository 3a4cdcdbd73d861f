// The application with a video file in place of the camera, for trying the webcam's
// road on a machine without one (the demo's run command uses it):
//   tavrimex-videocam <video .avi> [the application's own arguments]
// The camera starts off, so that the video punches nothing before the agent asks for it:
// the Webcam button of the scan page turns it on. Everything else is the application as
// it is: same start-up, settings and files.

#include "control/CWebCam.h"
#include "core/CParam.h"
#include "core/Startup.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <vector>

namespace
{

QString gVideo;

// The window exists once the event loop runs; a box shown during start-up runs a loop
// of its own before that, hence the retry.
void feedCamera()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* camera = window->findChild<CWebCam*>()) {
            camera->setVideoSource(gVideo);
            // The switch the Webcam button toggles; scanning starts the camera only when on.
            gParam->isWebcam = false;
            return;
        }
    }
    QTimer::singleShot(100, &feedCamera);
}

void armFeed()
{
    QTimer::singleShot(0, &feedCamera);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(armFeed)

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: tavrimex-videocam <video .avi> [arguments of the application]\n");
        return 2;
    }
    gVideo = QString::fromLocal8Bit(argv[1]);
    // The application sees its own arguments only.
    std::vector<char*> arguments{argv[0]};
    arguments.insert(arguments.end(), argv + 2, argv + argc);
    int count = static_cast<int>(arguments.size());
    arguments.push_back(nullptr);
    return tavrimexMain(count, arguments.data());
}
