#pragma once

#include <QLabel>
#include <QString>

// Camera capture and barcode decoding on the scan page.
class CWebCam : public QLabel
{
    Q_OBJECT

public:
    // Fills `parent`; opens no camera.
    explicit CWebCam(QWidget* parent);

signals:
    // A barcode decoded from the camera, on the GUI thread.
    void signalBarcode(const QString& barcode);
};
