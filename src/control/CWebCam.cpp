#include "control/CWebCam.h"

#include "core/DrivenTimers.h"
#include "core/Log.h"

#include <QImage>
#include <QPixmap>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>
#include <zbar.h>

struct CWebCam::Private
{
    cv::VideoCapture capture;
    zbar::ImageScanner scanner;
    cv::Mat frame;
    cv::Mat grey;
    cv::Mat rgb;
};

CWebCam::CWebCam(QWidget* parent)
    : QLabel(parent)
    , d(std::make_unique<Private>())
{
    resize(parent->size());
    setAlignment(Qt::AlignCenter);
    d->scanner.set_config(zbar::ZBAR_NONE, zbar::ZBAR_CFG_ENABLE, 1);
    m_elapsed.start();
    m_clock = [this] {
        return m_elapsed.elapsed();
    };
    m_captureTimer.setInterval(kCaptureMs);
    connect(&m_captureTimer, &QTimer::timeout, this, &CWebCam::captureFrame);
    m_resumeTimer.setSingleShot(true);
    driventimers::enrol(&m_captureTimer);
    driventimers::enrol(&m_resumeTimer);
    connect(&m_resumeTimer, &QTimer::timeout, this, [this] {
        m_paused = false;
    });
}

CWebCam::~CWebCam() = default;

void CWebCam::setVideoSource(const QString& path)
{
    m_videoSource = path;
}

void CWebCam::setClock(Clock clock)
{
    m_clock = std::move(clock);
}

bool CWebCam::startWebcam()
{
    if (!d->capture.isOpened()) {
        if (m_videoSource.isEmpty()) {
            d->capture.open(0, cv::CAP_V4L2);
        } else {
            // MJPG in an .avi: OpenCV's own reader, which needs no codec library.
            d->capture.open(m_videoSource.toStdString(), cv::CAP_OPENCV_MJPEG);
        }
    }
    if (!d->capture.isOpened()) {
        if (!m_missingLogged) {
            m_missingLogged = true;
            enregistreLog(4,
                          m_videoSource.isEmpty() ? QStringLiteral("Webcam : aucune camera")
                                                  : QStringLiteral("Webcam : lecture impossible de ") + m_videoSource,
                          false);
        }
        return false;
    }
    m_paused = false;
    m_captureTimer.start();
    return true;
}

void CWebCam::stopWebcam()
{
    m_captureTimer.stop();
    m_resumeTimer.stop();
    d->capture.release();
    clear();
}

bool CWebCam::isCapturing() const
{
    return m_captureTimer.isActive();
}

void CWebCam::pause()
{
    m_resumeTimer.stop();
    m_paused = true;
}

bool CWebCam::isPaused() const
{
    return m_paused;
}

void CWebCam::resumeAfter(int delay)
{
    m_lastSeen = m_clock();
    m_resumeTimer.start(delay);
}

void CWebCam::noteJudged(const QString& barcode)
{
    m_lastBarcode = barcode;
    m_lastSeen = m_clock();
}

QStringList CWebCam::decode(const uchar* bytes, int width, int height)
{
    zbar::Image image(static_cast<unsigned>(width),
                      static_cast<unsigned>(height),
                      "Y800",
                      bytes,
                      static_cast<unsigned long>(width) * static_cast<unsigned long>(height));
    QStringList texts;
    if (d->scanner.scan(image) > 0) {
        for (auto symbol = image.symbol_begin(); symbol != image.symbol_end(); ++symbol) {
            texts.append(QString::fromStdString(symbol->get_data()));
        }
    }
    image.set_data(nullptr, 0);
    return texts;
}

void CWebCam::captureFrame()
{
    if (!d->capture.isOpened()) {
        return;
    }
    if (!d->capture.read(d->frame) || d->frame.empty()) {
        if (m_videoSource.isEmpty()) {
            return;
        }
        // A video file plays again from its start, as a camera would go on.
        d->capture.set(cv::CAP_PROP_POS_FRAMES, 0);
        if (!d->capture.read(d->frame) || d->frame.empty()) {
            return;
        }
    }
    cv::cvtColor(d->frame, d->rgb, cv::COLOR_BGR2RGB);
    const QImage picture(d->rgb.data,
                         d->rgb.cols,
                         d->rgb.rows,
                         static_cast<qsizetype>(d->rgb.step),
                         QImage::Format_RGB888);
    setPixmap(QPixmap::fromImage(picture).scaled(size(), Qt::KeepAspectRatio, Qt::FastTransformation));

    if (m_paused) {
        return;
    }
    cv::cvtColor(d->frame, d->grey, cv::COLOR_BGR2GRAY);
    const QStringList texts = decode(d->grey.data, d->grey.cols, d->grey.rows);
    if (texts.isEmpty()) {
        return;
    }
    // One symbol a frame: two tickets shown together give one lookup, not two.
    // Compared as the window judges it, without blanks around.
    const QString barcode = texts.first().trimmed();
    const qint64 now = m_clock();
    const bool repeated = barcode == m_lastBarcode && now - m_lastSeen < kRepeatMs;
    m_lastSeen = now;
    if (repeated) {
        return;
    }
    m_lastBarcode = barcode;
    emit signalBarcode(barcode);
}
