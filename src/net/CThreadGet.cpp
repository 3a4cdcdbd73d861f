#include "net/CThreadGet.h"

CThreadGet::CThreadGet(QObject* parent)
    : QThread(parent)
{}

void CThreadGet::run()
{}
