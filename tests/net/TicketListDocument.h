#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

// Builders of ticket-list documents ("getTickets" replies and event files) in the
// service's member numbering.
namespace ticketdoc
{

// A ticket of issuer `editeur` with `entries` entries left; seats are {"3", "4"} pairs.
inline QJsonObject ticket(int editeur, int entries, int deleted = 0, const QJsonArray& seats = {})
{
    QJsonObject out{{"0", editeur}, {"1", 500}, {"2", 77}, {"6", 1}, {"7", deleted}, {"15", entries}};
    if (!seats.isEmpty()) {
        out.insert("places", seats);
    }
    return out;
}

inline QJsonObject seat(int tarif, const QString& placement)
{
    return QJsonObject{{"3", tarif}, {"4", placement}};
}

// One history row: TYPE, agent, issuer and date figures.
inline QJsonObject modif(int type, const QString& agent, int editeur, const QString& date = "20240501203000")
{
    return QJsonObject{{"0", editeur}, {"4", type}, {"5", date}, {"9", agent}};
}

inline QByteArray bytes(const QJsonObject& document)
{
    return QJsonDocument(document).toJson(QJsonDocument::Compact);
}

}  // namespace ticketdoc
