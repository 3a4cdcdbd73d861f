#include "net/CThreadGet.h"

CThreadGet::CThreadGet(QObject* parent)
    : QThread(parent)
{}

void CThreadGet::run()
{}

void CThreadGet::setData(const QByteArray& data, QMutex* mutex, const QSqlDatabase& db, bool isDelta)
{
    this->data = data;
    this->mutex = mutex;
    this->db = db;
    this->isDelta = isDelta;
}
