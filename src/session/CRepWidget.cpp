#include "session/CRepWidget.h"

CRepWidget::CRepWidget(QWidget* parent)
    : QWidget(parent)
{
    resize(parent->size());
}
