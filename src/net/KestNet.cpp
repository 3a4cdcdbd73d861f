#include "net/KestNet.h"

#include "core/CParam.h"
#include "core/DrivenTimers.h"
#include "core/Log.h"

#include <QDebug>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QSslCertificate>

#include <limits>

namespace
{

constexpr qint64 kDefaultTimeoutSeconds = 300;

}  // namespace

KestNet::KestNet(QNetworkAccessManager* manager, QObject* parent)
    : QObject(parent)
    , manager(manager)
{
    // Qt 6 would take proxies from the environment; the program only ever used the
    // PROXY setting, and test traffic to the loopback must not meet a proxy.
    QNetworkProxyFactory::setUseSystemConfiguration(false);

    timer.setSingleShot(true);
    driventimers::enrol(&timer);
    connect(&timer, &QTimer::timeout, this, &KestNet::Disconnect, Qt::DirectConnection);
    // The manager takes its replies with it; a request left without them has no one
    // to report to either.
    connect(manager, &QObject::destroyed, this, [this] {
        reply = nullptr;
        m_ended = true;
        deleteLater();
    });
    request.setUrl(QUrl());
    const QString proxyHost = gParam->parametre(PROXY);
    if (!proxyHost.isEmpty()) {
        proxy.setHostName(proxyHost);
        manager->setProxy(proxy);
    }
    request.setRawHeader("Content-Type", "application/x-www-form-urlencoded");
    request.setRawHeader("Connection", "close");
    // A redirect ends the request with its own body, and the raw Host and Connection
    // headers are HTTP/1 ones.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    qWarning() << "---KestNet: Creation OK";
}

KestNet::~KestNet()
{
    releaseReply(true);
}

void KestNet::Init(const QString& url, const QString& requestName, const QByteArray& body)
{
    request.setUrl(QUrl(url));
    request.setRawHeader("Host", request.url().host().toLatin1());
    this->requestName = requestName;
    data = body;
    request.setRawHeader("Content-Length", QByteArray::number(data.size()));
}

void KestNet::Request()
{
    reply = manager->post(request, data);
    qWarning() << "---KestNet Request: " << requestText();
    connect(reply, &QNetworkReply::finished, this, &KestNet::RequestFinished, Qt::DirectConnection);
    connect(reply, &QNetworkReply::errorOccurred, this, &KestNet::Error);
    connect(reply, &QNetworkReply::downloadProgress, this, &KestNet::signal_DownloadProgress, Qt::DirectConnection);
    connect(reply, &QNetworkReply::sslErrors, this, &KestNet::ErrorSSL);
    connect(manager, &QNetworkAccessManager::sslErrors, this, &KestNet::managerErrorSSL);
    timer.start(timeoutMs(gParam->parametre(TIMEOUT)));
}

int KestNet::timeoutMs(const QString& setting)
{
    bool isNumber = false;
    const qint64 seconds = setting.toLongLong(&isNumber, 10);
    if (!isNumber) {
        return 0;
    }
    if (seconds < 0 || seconds > std::numeric_limits<int>::max() / 1000) {
        return static_cast<int>(kDefaultTimeoutSeconds * 1000);
    }
    return static_cast<int>(seconds * 1000);
}

QString KestNet::requestText() const
{
    const qsizetype nul = data.indexOf('\0');
    return request.url().toString() + QString::fromLatin1(nul < 0 ? data : data.left(nul));
}

void KestNet::RequestFinished()
{
    if (m_ended || !reply) {
        return;
    }
    timer.stop();
    QNetworkReply::NetworkError code = reply->error();
    QString errorText = reply->errorString();
    // A redirect is not followed, and its body is not the service's answer: taken as
    // one, it would acknowledge punches the service never received.
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (code == QNetworkReply::NoError && status >= 300 && status < 400) {
        code = QNetworkReply::ProtocolFailure;
        errorText = QStringLiteral("HTTP ") + QString::number(status) + QStringLiteral(" vers ")
                    + reply->header(QNetworkRequest::LocationHeader).toUrl().toString();
    }
    if (code == QNetworkReply::NoError) {
        const QByteArray body = reply->readAll();
        qWarning() << "---KestNet: Response = " << body;
        end();
        emit signal_Response(body);
        return;
    }
    enregistreLog(3,
                  QStringLiteral("Kestnet Request finished with Error  : ") + errorText + QStringLiteral(" (")
                      + QString::number(code) + QStringLiteral(") : ") + requestText(),
                  false);
    end();
    emit signal_Error(code);
}

void KestNet::Disconnect()
{
    if (m_ended) {
        return;
    }
    enregistreLog(2, QStringLiteral("Kestnet Time Out Request : ") + requestText(), false);
    // Aborting frees the connection a hung server holds; its cancel is not reported.
    releaseReply(true);
    end();
    emit signal_Error(QNetworkReply::TimeoutError);
}

// The reply's end follows and reports the failure a second time, then ends the
// request.
void KestNet::Error(QNetworkReply::NetworkError code)
{
    if (m_ended || !reply) {
        return;
    }
    timer.stop();
    enregistreLog(3,
                  QStringLiteral("Kestnet Error Request (") + QString::number(code) + QStringLiteral(") : ")
                      + requestText() + QStringLiteral(" : ") + reply->errorString(),
                  false);
    emit signal_Error(code);
}

void KestNet::ErrorSSL(const QList<QSslError>& errorsList)
{
    for (const QSslError& error : errorsList) {
        enregistreLog(3,
                      QStringLiteral("Kestnet Error SSL (") + error.errorString() + QStringLiteral(") : ")
                          + error.certificate().subjectInfo(QSslCertificate::CommonName).join(QLatin1Char(' ')),
                      false);
    }
}

void KestNet::managerErrorSSL(QNetworkReply*, const QList<QSslError>& errorsList)
{
    for (const QSslError& error : errorsList) {
        enregistreLog(3,
                      QStringLiteral("Kestnet manager Error SSL (") + error.errorString() + QStringLiteral(") : ")
                          + error.certificate().subjectInfo(QSslCertificate::CommonName).join(QLatin1Char(' ')),
                      false);
    }
}

void KestNet::releaseReply(bool abort)
{
    if (!reply) {
        return;
    }
    QNetworkReply* const released = reply;
    reply = nullptr;
    released->disconnect(this);
    if (abort && released->isRunning()) {
        released->abort();
    }
    released->deleteLater();
}

// Nothing is emitted after the outcome: a late reply reaches no caller.
void KestNet::end()
{
    m_ended = true;
    timer.stop();
    if (manager) {
        disconnect(manager, nullptr, this, nullptr);
    }
    releaseReply(false);
    deleteLater();
}
