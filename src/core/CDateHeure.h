#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>

#include <functional>

// Day and month names of the long display forms (no accents; the spellings are the
// ones stored texts and screens have always shown).
extern const QStringList dateListeJours;
extern const QStringList dateListeMois;
extern const QStringList dateListeJoursEn;
extern const QStringList dateListeMoisEn;
extern const QStringList dateListeJoursEs;
extern const QStringList dateListeMoisEs;

class CDate : public QDate
{
public:
    CDate();
    CDate(QDate date);
    CDate(int year, int month, int day);

    // yyyyMMdd figures of the web service.
    bool initParTrameKestrova(QByteArray text);
    // ddMMyy figures (two-figure year: below 71 is 20xx).
    bool initParTrame(QByteArray text);
    // day, month as byte values, then the year as two ASCII figures.
    bool initParTrameRS485(QByteArray frame);
    // French day name of a valid date.
    QString jourDeLaSemaine() const;
};

class CHeure : public QTime
{
public:
    CHeure();
    CHeure(QTime time);
    CHeure(int hour, int minute, int second = 0, int msec = 0);
    explicit CHeure(int hhmmss);

    // hhmm[ss] figures of the web service.
    bool initParTrameKestrova(QByteArray text, bool withSeconds);
    // hhmm[ss] figures.
    bool initParTrame(QByteArray text, bool withSeconds);
    // hour, minute[, second] as byte values.
    bool initParTrameRS485(QByteArray frame, bool withSeconds);
    // "h:m" typed by hand.
    bool initParTrameSaisie(QByteArray text);
};

class CDateHeure : public QDateTime
{
public:
    CDateHeure();
    CDateHeure(QDateTime dateTime);
    CDateHeure(const QDate& date, const QTime& time);
    // 0 now to the second, 1 the end of time (2037-12-31 00:00:00), 2 now with
    // milliseconds, anything else null.
    explicit CDateHeure(unsigned int mode);
    // "dd/MM/yyyy", hour and minute texts.
    CDateHeure(QString date, QString hour, QString minute);

    // "yyyy-MM-dd hh:mm:ss" of the database; false and unchanged unless 19 characters.
    bool initParTrameSQL(QString text);
    // yyyyMMddhhmm[ss] of the web service; false and unchanged when invalid.
    bool initParTrameKestrova(QByteArray text, bool withSeconds);

    QString getString(int language) const;
    QString getStringFr() const;
    QString getStringEn() const;
    QString getStringEs() const;

    bool estFinDesTemps() const;
    bool initParChaineDate(QString date, CHeure time);
    bool initParGmt(QString text);
    bool initParTrame(QByteArray text, bool withSeconds);
    bool initParTrameRS485(QByteArray frame, bool withSeconds);
    bool initParTrameVardel(QByteArray frame);
};

// What modes 0 and 2 take as now; empty: the system clock. Set by a driver with a
// clock of its own (the interleaving trials) while no worker runs; `now` may then be
// called from any thread.
void setDateHeureNow(std::function<QDateTime()> now);

// Splits minutes into days, hours and minutes with their units.
QByteArray dateCalculeMinute(unsigned int minutes, QStringList units, QList<unsigned int> widths, bool showZero);
