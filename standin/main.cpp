// The local stand-in of the access-control web service, for trying the program by
// hand: serves the demo organiser (login "demo", password "demo", agent code "1")
// on 127.0.0.1.
//
// Usage: tavrimex-standin [--port N] [--seed N] [--tickets N]
//   --port     port to listen on (default 8765; 0 lets the system choose)
//   --seed     seed of the sample organiser (default 1)
//   --tickets  tickets per performance (default 3000)

#include "StandinServer.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    // Pictures are drawn without any display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Local stand-in of the access-control web service"));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Port (default 8765)."),
                                        QStringLiteral("port"),
                                        QStringLiteral("8765"));
    const QCommandLineOption seedOption(QStringLiteral("seed"),
                                        QStringLiteral("Sample seed (default 1)."),
                                        QStringLiteral("seed"),
                                        QStringLiteral("1"));
    const QCommandLineOption ticketsOption(QStringLiteral("tickets"),
                                           QStringLiteral("Tickets per performance (default 3000)."),
                                           QStringLiteral("count"),
                                           QStringLiteral("3000"));
    parser.addOptions({portOption, seedOption, ticketsOption});
    parser.process(app);

    bool portOk = false;
    const uint port = parser.value(portOption).toUInt(&portOk);
    const int tickets = parser.value(ticketsOption).toInt();
    QTextStream err(stderr);
    if (!portOk || port > 65535 || tickets < 0) {
        err << "invalid --port or --tickets\n";
        return 2;
    }
    standin::StandinServer server(standin::makeSampleOrganiser(parser.value(seedOption).toUInt(),
                                                               tickets,
                                                               QDate::currentDate(),
                                                               standin::demoShape()));
    if (!server.listen(static_cast<quint16>(port))) {
        err << "cannot listen on 127.0.0.1:" << port << "\n";
        return 1;
    }
    QTextStream out(stdout);
    out << "Stand-in service at " << server.serviceUrl() << "\n"
        << "Put that address in the URL setting; login demo, password demo, agent code 1.\n";
    out.flush();
    return app.exec();
}
