#include "session/LocalTicketImport.h"

#include "core/CDateHeure.h"
#include "data/CDataEditeur.h"

#include <QList>
#include <QStringList>

namespace localticket
{

namespace
{

// Blanks around the figures are ignored, a carriage return included; no number is 0.
unsigned int number(const QString& field)
{
    bool ok = false;
    const unsigned int value = field.trimmed().toUInt(&ok, 10);
    return ok ? value : 0;
}

}  // namespace

bool parseLine(const QByteArray& line, const QString& purchaseDate, CDataBillet& billet, CDataPlace& place)
{
    const qsizetype nul = line.indexOf('\0');
    const QStringList fields = QString::fromLatin1(nul < 0 ? line : line.left(nul)).split(QLatin1Char(';'));
    // The barcode as the door reads it: blanks around it would make a ticket no scan finds.
    const QString barcode = fields.isEmpty() ? QString() : fields[0].trimmed();
    if (fields.size() < 8 || barcode.isEmpty()) {
        return false;
    }
    billet.initDefaut();
    billet.CODE_BARRE = barcode;
    billet.EDITEUR_ID = EDITEUR_LOCAL_ID;
    billet.NOM_PORTEUR = fields[1];
    billet.NOM_ACHETEUR = fields[1];
    billet.PRENOM_PORTEUR = fields[2];
    billet.PRENOM_ACHETEUR = fields[2];
    billet.TEL_PORTEUR = fields[3];
    billet.TEL_ACHETEUR = fields[3];
    billet.MAIL = fields[4];
    billet.NB_COMPOSTAGE = number(fields[5]);
    billet.REP_ID = number(fields[7]);
    billet.DATE_ACHAT = purchaseDate;

    place.initDefaut();
    place.CODE_BARRE = barcode;
    place.EDITEUR_ID = EDITEUR_LOCAL_ID;
    place.PLACEMENT = fields[6];
    return true;
}

int importContent(QSqlDatabase& db, QMutex* mutex, const QByteArray& content, const QString& localName)
{
    CDataEditeur editeur;
    editeur.initDefaut();
    editeur.ID = EDITEUR_LOCAL_ID;
    editeur.NOM = localName;

    int written = 0;
    const QList<QByteArray> lines = content.split('\n');
    for (const QByteArray& line : lines) {
        editeur.ajouteSql(db, mutex);
        CDataBillet billet;
        CDataPlace place;
        if (!parseLine(line, CDateHeure(0).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")), billet, place)) {
            continue;
        }
        if (billet.ajouteSql(db, mutex) != 0) {
            ++written;
        }
        place.deleteSql(db, mutex, place.CODE_BARRE, EDITEUR_LOCAL_ID);
        place.ajouteSql(db, mutex);
    }
    return written;
}

}  // namespace localticket
