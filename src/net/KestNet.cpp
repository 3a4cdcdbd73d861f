#include "net/KestNet.h"

KestNet::KestNet(QObject* parent)
    : QObject(parent)
{}
