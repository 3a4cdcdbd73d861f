// Writes the seed corpora of the fuzz targets from the stand-in's own documents:
// fuzzseeds <folder>, one sub-folder per target.
#include "core/CParam.h"

#include "StandinServer.h"

#include <QCryptographicHash>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace
{

QString root;

void seed(const QString& target, const QString& name, const QByteArray& bytes)
{
    QDir().mkpath(root + QLatin1Char('/') + target);
    QFile file(root + QLatin1Char('/') + target + QLatin1Char('/') + name);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(bytes);
    }
}

QByteArray compact(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// The stand-in's answer to a request body, through a real connection.
QByteArray ask(QNetworkAccessManager& manager, const QString& url, const QByteArray& body)
{
    QNetworkRequest request{QUrl(url)};
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
    QNetworkReply* reply = manager.post(request, body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    const QByteArray answer = reply->readAll();
    reply->deleteLater();
    return answer;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        return 2;
    }
    root = QString::fromLocal8Bit(argv[1]);
    standin::StandinServer server(standin::makeSampleOrganiser(5, 20, QDate(2030, 1, 1)));
    if (!server.listen(0)) {
        return 1;
    }
    QNetworkAccessManager manager;
    const QByteArray md5 = QCryptographicHash::hash("demo", QCryptographicHash::Md5).toHex();
    seed(QStringLiteral("login"),
         QStringLiteral("accepted"),
         ask(manager, server.serviceUrl(), "d={\"pa\":\"221\",\"lg\":\"demo\",\"pw\":\"" + md5 + "\",\"ag\":\"1\"}"));
    seed(QStringLiteral("login"),
         QStringLiteral("refused"),
         ask(manager, server.serviceUrl(), "d={\"pa\":\"221\",\"lg\":\"x\",\"pw\":\"y\"}"));
    seed(QStringLiteral("eventlist"),
         QStringLiteral("events"),
         ask(manager, server.serviceUrl(), "d={\"pa\":\"241\"}"));

    const QHash<QString, QString> full{{QStringLiteral("dt"), QStringLiteral("0")},
                                       {QStringLiteral("id"), QStringLiteral("4001")}};
    seed(QStringLiteral("ticketlist"), QStringLiteral("full"), '\0' + compact(server.ticketsDocument(full)));
    const QString since = QString::number(server.currentDelta());
    const standin::Ticket first = server.organiser().tickets.first();
    server.otherPunch(first.barcode, first.editeurId);
    server.otherDelete(server.organiser().tickets.at(3).barcode);
    seed(QStringLiteral("ticketlist"),
         QStringLiteral("delta"),
         '\1'
             + compact(server.ticketsDocument(
                 {{QStringLiteral("dt"), since}, {QStringLiteral("id"), QStringLiteral("4001")}})));
    seed(QStringLiteral("ticketlist"), QStringLiteral("hostile"), '\1' + standin::ScriptedReply::hostileNames().body);

    seed(QStringLiteral("eventfile"),
         QStringLiteral("pass"),
         compact(server.eventFileDocument(QStringLiteral("P901"), 1)));
    seed(QStringLiteral("eventfile"),
         QStringLiteral("performance"),
         compact(server.eventFileDocument(QStringLiteral("R4001"), 2)));

    QByteArray csv;
    for (const standin::Ticket& ticket : server.organiser().tickets.mid(0, 5)) {
        csv += ticket.barcode.toLatin1() + ';' + ticket.nomPorteur.toLatin1() + ';' + ticket.prenomPorteur.toLatin1()
               + ";0601020304;a@b.c;2;Rang 1;4001\n";
    }
    csv += "short;line\n\xe9t\xe9;Ch\xe2"
           "teau;L\xe9"
           "a;;;1;;4001\n";
    seed(QStringLiteral("csv"), QStringLiteral("tickets"), csv);

    for (const bool crypt : {false, true}) {
        CParam settings;
        settings.isCrypt = crypt;
        QDir().mkpath(root + QStringLiteral("/param-work"));
        settings.charge(root + QStringLiteral("/param-work"), true);
        settings.initParametre(URL, server.serviceUrl());
        settings.initParametre(LOGIN_KEST, QStringLiteral("demo"));
        settings.sauvegarde(root + QStringLiteral("/param-work"), true);
        QFile file(root + QStringLiteral("/param-work/param.ini"));
        file.open(QIODevice::ReadOnly);
        seed(QStringLiteral("param"), crypt ? QStringLiteral("ciphered") : QStringLiteral("plain"), file.readAll());
    }
    QDir(root + QStringLiteral("/param-work")).removeRecursively();

    for (const char* name : {"trad_fr.txt", "mess_en.txt"}) {
        QFile file(QStringLiteral(LANG_DIR "/") + QLatin1String(name));
        file.open(QIODevice::ReadOnly);
        seed(QStringLiteral("language"), QLatin1String(name), file.readAll());
    }
    return 0;
}
