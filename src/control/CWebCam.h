#pragma once

#include <QElapsedTimer>
#include <QLabel>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

// Camera capture and barcode decoding on the scan page: every 100 ms a frame of the
// first camera (or of the video file given as source) is shown scaled in the label,
// turned grey and scanned. GUI thread only.
class CWebCam : public QLabel
{
    Q_OBJECT

public:
    // Milliseconds since some fixed start; the tests move it by hand.
    using Clock = std::function<qint64()>;

    // A barcode read again within this time of its last sighting is not reported
    // again, so that a ticket held in front of the camera is punched once.
    static constexpr int kRepeatMs = 3000;
    static constexpr int kCaptureMs = 100;

    // Fills `parent`; opens no camera.
    explicit CWebCam(QWidget* parent);
    ~CWebCam() override;

    // Reads frames from this video file (MJPG in an .avi) instead of the camera, from
    // its start again at its end. An empty path means the camera.
    void setVideoSource(const QString& path);
    void setClock(Clock clock);

    // Opens the source and starts the capture. False when there is no camera (logged
    // once) or the file cannot be read.
    bool startWebcam();
    // Stops the capture and releases the camera.
    void stopWebcam();
    bool isCapturing() const;

    // While paused frames are shown but nothing is reported.
    void pause();
    bool isPaused() const;
    // Reports again `delay` ms from now, counting the repeat time from now.
    void resumeAfter(int delay);
    // A barcode judged from any input, typed or read: the camera holds the same one
    // back for the repeat time, as if it had read it itself.
    void noteJudged(const QString& barcode);

    // The text of each symbol of a grey 8-bit image (`bytes` holds width x height
    // bytes), in the order found.
    QStringList decode(const uchar* bytes, int width, int height);

public slots:
    // Grabs, shows and scans one frame.
    void captureFrame();

signals:
    // A barcode decoded from the camera, on the GUI thread.
    void signalBarcode(const QString& barcode);

private:
    struct Private;
    std::unique_ptr<Private> d;
    QTimer m_captureTimer;
    QTimer m_resumeTimer;
    QElapsedTimer m_elapsed;
    Clock m_clock;
    QString m_videoSource;
    bool m_paused = false;
    bool m_missingLogged = false;
    QString m_lastBarcode;
    qint64 m_lastSeen = 0;
};
