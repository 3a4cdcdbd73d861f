#include "net/KestNet.h"

#include <QNetworkAccessManager>

KestNet::KestNet(QNetworkAccessManager* manager, QObject* parent)
    : QObject(parent)
{
    Q_UNUSED(manager);
}

void KestNet::Init(const QString& url, const QString& requestName, const QByteArray& body)
{
    Q_UNUSED(url);
    Q_UNUSED(requestName);
    Q_UNUSED(body);
}

void KestNet::Request()
{
    deleteLater();
}
