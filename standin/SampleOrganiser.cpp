#include "SampleOrganiser.h"

#include <random>

namespace standin
{

namespace
{

const char* const kSyllables[] = {"ber", "mar", "du", "lan", "che", "vo", "ro", "pin", "gar", "mo", "let", "sa"};
const char* const kPrenoms[] = {"Anne", "Louis", "Marie", "Paul", "Lea", "Hugo", "Chloe", "Jules", "Emma", "Nina"};
const char* const kEventWords[] = {"Concert", "Festival", "Gala", "Spectacle", "Nuit", "Recital"};
// Holders whose names a Latin-1 text could not carry.
const char16_t* const kForeignNames[][2] = {
    {u"\u0141UKASIEWICZ", u"Stanis\u0142aw"},
    {u"DVO\u0158\u00c1K", u"Anton\u00edn"},
    {u"\u03a0\u0391\u03a0\u0391\u0394\u039f\u03a0\u039f\u03a5\u039b\u039f\u03a3", u"\u0395\u03bb\u03ad\u03bd\u03b7"},
    {u"\u0418\u0412\u0410\u041d\u041e\u0412\u0410", u"\u0410\u043d\u043d\u0430"},
    {u"YILMAZ", u"Ay\u015fe"},
    {u"NGUY\u1ec4N", u"Th\u1ecb H\u00e0"}};

QString capitalised(QString word)
{
    if (!word.isEmpty()) {
        word[0] = word[0].toUpper();
    }
    return word;
}

QString nameFrom(std::mt19937& rng)
{
    QString out;
    const int parts = 2 + static_cast<int>(rng() % 2);
    for (int i = 0; i < parts; ++i) {
        out += QLatin1String(kSyllables[rng() % std::size(kSyllables)]);
    }
    return capitalised(out);
}

QString sqlDate(const QDate& date, int hour)
{
    return date.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" %1:00:00").arg(hour, 2, 10, QLatin1Char('0'));
}

}  // namespace

const Event* Organiser::eventOfPerformance(unsigned int repId) const
{
    for (const Event& event : events) {
        for (const Performance& performance : event.performances) {
            if (performance.id == repId) {
                return &event;
            }
        }
    }
    return nullptr;
}

SampleShape demoShape()
{
    SampleShape shape;
    shape.zones.remove(3);
    shape.events = 5;
    shape.passes = 2;
    shape.foreignNames = true;
    return shape;
}

Organiser makeSampleOrganiser(quint32 seed, int ticketsPerPerformance, const QDate& today, const SampleShape& shape)
{
    std::mt19937 rng(seed);
    Organiser organiser;
    organiser.login = QStringLiteral("demo");
    organiser.password = QStringLiteral("demo");
    organiser.agentCode = QStringLiteral("1");
    organiser.terminalId = QStringLiteral("17");
    organiser.zones = shape.zones;
    organiser.tarifs = {{1, QStringLiteral("Plein tarif")},
                        {2, QStringLiteral("Tarif reduit")},
                        {3, QStringLiteral("Invitation")}};
    organiser.editeurs = {{11, QStringLiteral("Billetterie en ligne")}, {12, QStringLiteral("Revendeur")}};
    organiser.caisses = {{1, QStringLiteral("Caisse 1")}, {2, QStringLiteral("Caisse 2")}};
    organiser.canaux = {{1, QStringLiteral("Internet")}, {2, QStringLiteral("Guichet")}};
    organiser.agents = {{QStringLiteral("17"), QStringLiteral("Terminal")},
                        {QStringLiteral("23"), QStringLiteral("Entree B")}};

    unsigned int nextRepId = 4001;
    for (int e = 0; e < shape.events + shape.passes; ++e) {
        Event event;
        event.type = e >= shape.events ? 1 : 0;
        event.id = static_cast<unsigned int>(event.type == 1 ? 901 + e - shape.events : 301 + e);
        event.nom = QLatin1String(kEventWords[rng() % std::size(kEventWords)]) + QLatin1Char(' ') + nameFrom(rng);
        event.imageName = QStringLiteral("event%1.png").arg(event.id);
        for (int p = 0; p < shape.performancesPerEvent; ++p) {
            Performance performance;
            performance.id = nextRepId++;
            const QDate day = today.addDays(e + 7 * p);
            performance.debut = sqlDate(day, 20);
            performance.fin = sqlDate(day, 23);
            performance.finVente = sqlDate(day, 19);
            performance.salle = QStringLiteral("Salle ") + nameFrom(rng);
            performance.nbPlace = static_cast<unsigned int>(ticketsPerPerformance);
            event.performances.append(performance);
        }
        organiser.events.append(event);
    }

    unsigned int nextTicketId = 100001;
    for (const Event& event : std::as_const(organiser.events)) {
        for (const Performance& performance : event.performances) {
            for (int t = 0; t < ticketsPerPerformance; ++t) {
                Ticket ticket;
                ticket.id = nextTicketId++;
                ticket.barcode = QStringLiteral("%1%2")
                                     .arg(seed % 1000, 3, 10, QLatin1Char('0'))
                                     .arg(ticket.id, 10, 10, QLatin1Char('0'));
                ticket.editeurId = rng() % 5 == 0 ? 12 : 11;
                ticket.repId = performance.id;
                ticket.canalId = 1 + rng() % 2;
                ticket.nomPorteur = nameFrom(rng).toUpper();
                ticket.prenomPorteur = QLatin1String(kPrenoms[rng() % std::size(kPrenoms)]);
                ticket.nomAcheteur = ticket.nomPorteur;
                ticket.prenomAcheteur = ticket.prenomPorteur;
                ticket.tel = QStringLiteral("06%1").arg(rng() % 100000000, 8, 10, QLatin1Char('0'));
                ticket.dateAchat = sqlDate(today.addDays(-1 - static_cast<int>(rng() % 60)), 12);
                // Drawn without the generator, so that the other tickets stay as they are.
                if (shape.foreignNames && t % 50 == 31) {
                    const auto& name = kForeignNames[ticket.id % std::size(kForeignNames)];
                    ticket.nomPorteur = QString::fromUtf16(name[0]);
                    ticket.prenomPorteur = QString::fromUtf16(name[1]);
                    ticket.nomAcheteur = ticket.nomPorteur;
                    ticket.prenomAcheteur = ticket.prenomPorteur;
                }
                ticket.nbCompostage = t % 25 == 0 ? 4 : 1;
                const unsigned int tarif = 1 + rng() % 3;
                for (unsigned int s = 0; s < ticket.nbCompostage; ++s) {
                    ticket.seats.append({tarif, QStringLiteral("Rang %1 place %2").arg(1 + rng() % 30).arg(1 + s)});
                }
                if (t % 40 == 7) {
                    ticket.isDeleted = true;
                } else if (t % 40 == 13) {
                    ticket.nbCompostage = 0;
                    ticket.isUsable = false;
                    organiser.history.append(
                        {0,
                         ticket.barcode,
                         ticket.editeurId,
                         3,
                         today.addDays(-1).toString(QStringLiteral("yyyyMMdd")) + QStringLiteral("201500"),
                         QStringLiteral("23")});
                }
                organiser.tickets.append(ticket);
            }
        }
    }
    return organiser;
}

}  // namespace standin
