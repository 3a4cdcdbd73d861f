#include "net/CThreadEvt.h"

CThreadEvt::CThreadEvt(QObject* parent)
    : QThread(parent)
{}

void CThreadEvt::run()
{}
