#pragma once

#include <QByteArray>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

class QWidget;

// Each single quote, NUL and unpaired UTF-16 surrogate becomes one blank (the length
// stays), so that a value can neither close its quotes nor cut its statement short.
// Every text value of a statement goes through it.
QString utilSqlFormateString(QString text);
// False when `text` holds a NUL or an unpaired UTF-16 surrogate: SQLite would not
// read such a statement as it is written.
bool utilSqlTexteSur(const QString& text);
// Waits while still handling the thread's events.
void utilSleep(int ms);
// True when every character is a hexadecimal figure (an empty text too).
bool utilIsHexa(QString text);
// The text cut with an ellipsis to fit the widget's width on one line.
QString utilElidedText(QString text, QWidget* widget);

// Windows code page 1252, which Qt 6 no longer ships: Latin-1 but for 0x80-0x9F.
struct Cp1252Codec
{
    QByteArray fromUnicode(const QString& text) const;
    QString toUnicode(const QByteArray& bytes) const;
};

extern const Cp1252Codec* gSqlCodec;

QByteArray utilSqlFormate(QByteArray text);
QByteArray utilSqlVersDbString(QString text);
QString utilSqlDepuisDb(QByteArray bytes);
bool utilSqlOuvreDefaultConnection(QSqlDatabase& db);
bool utilSqlOuvreConnection(QSqlDatabase& db, QString& name);
bool utilSqlEstDoublon(QSqlError error, unsigned char key);
QByteArray utilSqlTestTransfere(QByteArray table);

double utilPrixHt(unsigned int price, unsigned int rate);
double utilPrixTva(unsigned int price, unsigned int rate);
int utilDoubleToInt(double value);
unsigned int utilDoubleToUInt(double value);
double utilIntToDouble(int value);
double utilUIntToDouble(unsigned int value);
QString utilIntToDoubleString(int value, unsigned int unused);
QString utilUIntToDoubleString(unsigned int value, unsigned int unused);

struct TCryptage
{
    unsigned char byte[4] = {0, 0, 0, 0};
};

unsigned char cryptageCalculeLrc(QByteArray data);
unsigned char cryptageByte7bits(unsigned char value);
void cryptageCalculePolynome(unsigned char byte, TCryptage& reg);
unsigned int cryptageCalculeCodeSecret(QByteArray text);
int cryptageCalculeCleLuhn(QByteArray text);
bool cryptageVerifieCleLuhn(QByteArray code);
