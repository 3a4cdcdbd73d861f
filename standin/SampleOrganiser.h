#pragma once

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// The data the local stand-in of the web service serves: one organiser account with
// its zones, events, passes, performances, reference tables and tickets. Plain
// values; the server keeps one and changes it as requests and tests act on it.
namespace standin
{

struct Seat
{
    unsigned int tarifId = 0;
    QString placement;
};

struct Ticket
{
    QString barcode;
    unsigned int editeurId = 0;
    unsigned int id = 0;
    unsigned int repId = 0;
    unsigned int canalId = 0;
    // Entries still allowed.
    unsigned int nbCompostage = 1;
    bool isUsable = true;
    bool isDeleted = false;
    QString nomPorteur;
    QString prenomPorteur;
    QString nomAcheteur;
    QString prenomAcheteur;
    QString tel;
    // "yyyy-MM-dd hh:mm:ss", sent as it is.
    QString dateAchat;
    QString image;
    QList<Seat> seats;
    // Delta id of the last change the ticket itself carries (0: part of the first list).
    quint32 changedAt = 0;
};

// One line of a ticket's history as the service keeps it.
struct HistoryEntry
{
    quint32 deltaId = 0;
    QString barcode;
    unsigned int editeurId = 0;
    // Journal TYPE: 1 deletion, 3/8 punch, 4/16 un-punch, 99 fraud report.
    unsigned int type = 0;
    // "yyyyMMddhhmmss".
    QString date;
    QString agentId;
};

struct Performance
{
    unsigned int id = 0;
    // "yyyy-MM-dd hh:mm:ss".
    QString debut;
    QString fin;
    QString finVente;
    QString salle;
    unsigned int nbPlace = 0;
    // Entries a ticket accepted offline gets.
    unsigned int nbCompostage = 1;
};

struct Event
{
    unsigned int id = 0;
    // 0 an event, 1 a pass.
    unsigned int type = 0;
    QString nom;
    // File name of its picture under the server's /img/ path.
    QString imageName;
    QList<Performance> performances;
    // The zones whose event list shows it; empty: every zone.
    QList<unsigned int> zones;
};

struct Organiser
{
    QString login;
    // In clear: the client sends its MD5.
    QString password;
    QString agentCode;
    // Other accounts of the same organiser, with the same password.
    QStringList otherLogins;
    // The agent id under which this terminal's punches are recorded.
    QString terminalId;
    QMap<unsigned int, QString> zones;
    QList<Event> events;
    QMap<unsigned int, QString> tarifs;
    QMap<unsigned int, QString> editeurs;
    QMap<unsigned int, QString> caisses;
    QMap<unsigned int, QString> canaux;
    QMap<QString, QString> agents;
    QList<Ticket> tickets;
    QList<HistoryEntry> history;

    // The event or pass that holds performance `repId`, or null.
    const Event* eventOfPerformance(unsigned int repId) const;
};

// What a sample organiser holds besides its tickets. The default is the organiser
// the tests are written against.
struct SampleShape
{
    QMap<unsigned int, QString> zones{{1, QStringLiteral("Entree principale")},
                                      {2, QStringLiteral("Balcon")},
                                      {3, QStringLiteral("Loges")}};
    int events = 3;
    int passes = 1;
    int performancesPerEvent = 2;
    // One holder in fifty is named in letters outside Latin-1 (Polish, Czech, Greek,
    // Cyrillic, Turkish, Vietnamese).
    bool foreignNames = false;
};

// The organiser of the demo and of the end-to-end test: two zones, five events and
// two passes (two pages of tiles), and holders with names outside Latin-1.
SampleShape demoShape();

// A complete organiser made from `seed` alone (the same seed gives the same data):
// login "demo", password "demo", agent code "1", terminal id "17", the zones, events
// (ids from 301) and passes (ids from 901) of `shape`, their performances (ids from
// 4001, in event order) starting from `today`, and `ticketsPerPerformance` tickets
// per performance: most with one entry, one in 25 a group ticket with four, one in
// 40 already used at another entrance, and one in 40 deleted.
Organiser makeSampleOrganiser(quint32 seed,
                              int ticketsPerPerformance,
                              const QDate& today,
                              const SampleShape& shape = SampleShape());

}  // namespace standin
