#include "control/CWebCam.h"

CWebCam::CWebCam(QWidget* parent)
    : QLabel(parent)
{
    resize(parent->size());
}
