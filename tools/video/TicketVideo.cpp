#include "TicketVideo.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>
#include <zint.h>

namespace ticketvideo
{

namespace
{

constexpr int kTop = 150;

void drawBarcode(cv::Mat& frame, const QString& text, int x)
{
    zint_symbol* symbol = ZBarcode_Create();
    symbol->symbology = BARCODE_CODE128;
    symbol->scale = 1.5f;
    const QByteArray data = text.toLatin1();
    if (ZBarcode_Encode_and_Buffer(symbol,
                                   reinterpret_cast<const unsigned char*>(data.constData()),
                                   int(data.size()),
                                   0)
        < ZINT_ERROR) {
        for (int row = 0; row < symbol->bitmap_height && row + kTop < frame.rows; ++row) {
            for (int col = 0; col < symbol->bitmap_width && col + x < frame.cols; ++col) {
                const unsigned char* rgb = symbol->bitmap + 3 * (row * symbol->bitmap_width + col);
                frame.at<cv::Vec3b>(row + kTop, col + x) = cv::Vec3b(rgb[2], rgb[1], rgb[0]);
            }
        }
    }
    ZBarcode_Delete(symbol);
}

}  // namespace

QString writeVideo(const QString& path, const QStringList& frames, const QHash<QString, QString>& captions)
{
    // FFmpeg's encoder: OpenCV's own cuts the end of some frames short, and the
    // decoder then complains at each pass of the video. OpenCV's own reader reads both.
    cv::VideoWriter writer(path.toStdString(),
                           cv::CAP_FFMPEG,
                           cv::VideoWriter::fourcc('M', 'J', 'P', 'G'),
                           10,
                           cv::Size(640, 480));
    if (!writer.isOpened()) {
        return QString();
    }
    for (const QString& content : frames) {
        cv::Mat frame(480, 640, CV_8UC3, cv::Scalar(255, 255, 255));
        const QStringList codes = content.split(QLatin1Char('+'), Qt::SkipEmptyParts);
        for (int i = 0; i < codes.size(); ++i) {
            const int x = 20 + 320 * i;
            drawBarcode(frame, codes[i], x);
            const QString caption = captions.value(codes[i]);
            if (!caption.isEmpty()) {
                cv::putText(frame,
                            caption.toStdString(),
                            cv::Point(x, kTop - 30),
                            cv::FONT_HERSHEY_SIMPLEX,
                            0.8,
                            cv::Scalar(60, 60, 60),
                            2);
            }
        }
        writer.write(frame);
    }
    return path;
}

}  // namespace ticketvideo
