#include "net/CThreadEvt.h"

CThreadEvt::CThreadEvt(QObject* parent)
    : QThread(parent)
{}

void CThreadEvt::run()
{}

void CThreadEvt::setData(const QByteArray& data, const QSqlDatabase& db, QMutex* mutex)
{
    this->data = data;
    this->db = db;
    this->mutex = mutex;
}
