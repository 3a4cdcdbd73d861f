#include "SampleOrganiser.h"

#include <random>

namespace standin
{

namespace
{

const char* const kSyllables[] = {"ber", "mar", "du", "lan", "che", "vo", "ro", "pin", "gar", "mo", "let", "sa"};
const char* const kPrenoms[] = {"Anne", "Louis", "Marie", "Paul", "Lea", "Hugo", "Chloe", "Jules", "Emma", "Nina"};
const char* const kEventWords[] = {"Concert", "Festival", "Gala", "Spectacle", "Nuit", "Recital"};

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

Organiser makeSampleOrganiser(quint32 seed, int ticketsPerPerformance, const QDate& today)
{
    std::mt19937 rng(seed);
    Organiser organiser;
    organiser.login = QStringLiteral("demo");
    organiser.password = QStringLiteral("demo");
    organiser.agentCode = QStringLiteral("1");
    organiser.terminalId = QStringLiteral("17");
    organiser.zones = {{1, QStringLiteral("Entree principale")},
                       {2, QStringLiteral("Balcon")},
                       {3, QStringLiteral("Loges")}};
    organiser.tarifs = {{1, QStringLiteral("Plein tarif")},
                        {2, QStringLiteral("Tarif reduit")},
                        {3, QStringLiteral("Invitation")}};
    organiser.editeurs = {{11, QStringLiteral("Billetterie en ligne")}, {12, QStringLiteral("Revendeur")}};
    organiser.caisses = {{1, QStringLiteral("Caisse 1")}, {2, QStringLiteral("Caisse 2")}};
    organiser.canaux = {{1, QStringLiteral("Internet")}, {2, QStringLiteral("Guichet")}};
    organiser.agents = {{QStringLiteral("17"), QStringLiteral("Terminal")},
                        {QStringLiteral("23"), QStringLiteral("Entree B")}};

    unsigned int nextRepId = 4001;
    for (int e = 0; e < 4; ++e) {
        Event event;
        event.type = e == 3 ? 1 : 0;
        event.id = event.type == 1 ? 901 : 301 + static_cast<unsigned int>(e);
        event.nom = QLatin1String(kEventWords[rng() % std::size(kEventWords)]) + QLatin1Char(' ') + nameFrom(rng);
        event.imageName = QStringLiteral("event%1.png").arg(event.id);
        for (int p = 0; p < 2; ++p) {
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
