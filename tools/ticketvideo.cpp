// Writes the video of sample tickets the demo's camera plays: tickets of the first
// performance of the stand-in's first event, each held in front for two seconds, the
// camera seeing nothing for a second and a half between two.
//   ticketvideo <output .avi> [seed, default 1]
// The first performance's barcodes do not depend on the size of the lists.

#include "video/TicketVideo.h"

#include "SampleOrganiser.h"

#include <QCoreApplication>
#include <QDate>
#include <QHash>
#include <QTextStream>

namespace
{

constexpr int kHeldFrames = 20;
constexpr int kGapFrames = 15;

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    QTextStream err(stderr);
    if (arguments.size() < 2) {
        err << "usage: ticketvideo <output .avi> [seed]\n";
        return 2;
    }
    const quint32 seed = arguments.value(2, QStringLiteral("1")).toUInt();
    const standin::Organiser organiser =
        standin::makeSampleOrganiser(seed, 50, QDate::currentDate(), standin::demoShape());
    const unsigned int firstPerformance = organiser.events.first().performances.first().id;
    QStringList tickets;
    for (const standin::Ticket& ticket : organiser.tickets) {
        if (ticket.repId == firstPerformance) {
            tickets.append(ticket.barcode);
        }
    }
    // By their place in the list: see makeSampleOrganiser.
    const QList<QPair<int, QString>> shown{{1, QStringLiteral("valid")},
                                           {25, QStringLiteral("group of 4")},
                                           {13, QStringLiteral("used elsewhere")},
                                           {2, QStringLiteral("valid")},
                                           {7, QStringLiteral("deleted")},
                                           {31, QStringLiteral("foreign name")}};
    QStringList frames;
    QHash<QString, QString> captions;
    for (const auto& [index, caption] : shown) {
        captions.insert(tickets.value(index), caption);
        frames += QStringList(kHeldFrames, tickets.value(index));
        frames += QStringList(kGapFrames, QString());
    }
    const QString unknown =
        QStringLiteral("%1").arg(seed % 1000, 3, 10, QLatin1Char('0')) + QStringLiteral("9999999999");
    captions.insert(unknown, QStringLiteral("unknown"));
    frames += QStringList(kHeldFrames, unknown);
    frames += QStringList(kGapFrames, QString());

    if (ticketvideo::writeVideo(arguments.at(1), frames, captions).isEmpty()) {
        err << "cannot write " << arguments.at(1) << "\n";
        return 1;
    }
    return 0;
}
