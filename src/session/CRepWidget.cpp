#include "session/CRepWidget.h"

CRepWidget::CRepWidget(QWidget* parent)
    : QWidget(parent)
{
    resize(parent->size());
}

void CRepWidget::init(CDataEvenement evenement, QMutex* mutex, QSqlDatabase db, QNetworkAccessManager* manager)
{
    Q_UNUSED(evenement);
    Q_UNUSED(mutex);
    Q_UNUSED(db);
    Q_UNUSED(manager);
}

void CRepWidget::setVisibleSep(bool visible)
{
    Q_UNUSED(visible);
}
