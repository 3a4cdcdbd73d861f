#include "core/CDateHeure.h"

#include <QMutex>
#include <QMutexLocker>

const QStringList dateListeJours = {
    QStringLiteral("Lundi"),
    QStringLiteral("Mardi"),
    QStringLiteral("Mercredi"),
    QStringLiteral("Jeudi"),
    QStringLiteral("Vendredi"),
    QStringLiteral("Samedi"),
    QStringLiteral("Dimanche"),
};

const QStringList dateListeMois = {
    QStringLiteral("Janvier"),
    QStringLiteral("Fevrier"),
    QStringLiteral("Mars"),
    QStringLiteral("Avril"),
    QStringLiteral("Mai"),
    QStringLiteral("Juin"),
    QStringLiteral("Juillet"),
    QStringLiteral("Aout"),
    QStringLiteral("Septembre"),
    QStringLiteral("Octobre"),
    QStringLiteral("Novembre"),
    QStringLiteral("Decembre"),
};

const QStringList dateListeJoursEn = {
    QStringLiteral("Monday"),
    QStringLiteral("Tuesday"),
    QStringLiteral("Wednesday"),
    QStringLiteral("Thursday"),
    QStringLiteral("Friday"),
    QStringLiteral("Saturday"),
    QStringLiteral("Sunday"),
};

const QStringList dateListeMoisEn = {
    QStringLiteral("January"),
    QStringLiteral("Febuary"),
    QStringLiteral("March"),
    QStringLiteral("April"),
    QStringLiteral("May"),
    QStringLiteral("June"),
    QStringLiteral("July"),
    QStringLiteral("August"),
    QStringLiteral("September"),
    QStringLiteral("October"),
    QStringLiteral("November"),
    QStringLiteral("December"),
};

const QStringList dateListeJoursEs = {
    QStringLiteral("Lunes"),
    QStringLiteral("Martes"),
    QStringLiteral("Miercoles"),
    QStringLiteral("Jueves"),
    QStringLiteral("Viernes"),
    QStringLiteral("Sasbado"),
    QStringLiteral("Domingo"),
};

const QStringList dateListeMoisEs = {
    QStringLiteral("Enero"),
    QStringLiteral("Febrero"),
    QStringLiteral("Marzo"),
    QStringLiteral("Abril"),
    QStringLiteral("Mayo"),
    QStringLiteral("Junio"),
    QStringLiteral("Julio"),
    QStringLiteral("Agosto"),
    QStringLiteral("Septiembre"),
    QStringLiteral("Octubre"),
    QStringLiteral("Noviembre"),
    QStringLiteral("Diciembre"),
};

namespace
{

QDateTime finDesTemps()
{
    return QDateTime(QDate(2037, 12, 31), QTime(0, 0), Qt::LocalTime);
}

// A figure field that is missing or not a number reads as 0.
int figures(const QByteArray& text, qsizetype pos, qsizetype len)
{
    return text.mid(pos, len).toInt();
}

int figures(const QString& text, qsizetype pos, qsizetype len)
{
    return text.mid(pos, len).toInt();
}

int byteAt(const QByteArray& frame, qsizetype pos)
{
    return static_cast<unsigned char>(frame.at(pos));
}

int deuxChiffresVersAnnee(int year)
{
    return year < 71 ? 2000 + year : 1900 + year;
}

// QDateTime turns an invalid time into midnight, so a date-time with any bad part is
// made null outright: a failed parse must never look like a valid midnight.
QDateTime localOrNull(const QDate& date, const QTime& time)
{
    if (!date.isValid() || !time.isValid()) {
        return QDateTime();
    }
    return QDateTime(date, time, Qt::LocalTime);
}

QMutex nowMutex;
std::function<QDateTime()> nowSource;

QDateTime now()
{
    std::function<QDateTime()> source;
    {
        QMutexLocker lock(&nowMutex);
        source = nowSource;
    }
    return source ? source().toLocalTime() : QDateTime::currentDateTime();
}

QDateTime dateHeureSelonMode(unsigned int mode)
{
    switch (mode) {
    case 0:
        return QDateTime::fromSecsSinceEpoch(now().toSecsSinceEpoch(), Qt::LocalTime);
    case 1:
        return finDesTemps();
    case 2:
        return now();
    default:
        return QDateTime();
    }
}

// A good date and a good time can still make no local date-time (the hour skipped when
// clocks go forward): such a parse fails and leaves the value as it was.
bool assignIfValid(QDateTime& target, const QDateTime& value)
{
    if (!value.isValid()) {
        return false;
    }
    target = value;
    return true;
}

QString deuxChiffres(int value)
{
    return QString::number(value).rightJustified(2, QLatin1Char('0'));
}

QString formeLongue(const QDateTime& dt, const QString& pattern, const QStringList& jours, const QStringList& mois)
{
    // A null value has day of week and month 0; it has no long form.
    if (!dt.isValid()) {
        return QString();
    }
    const QDate date = dt.date();
    const QTime time = dt.time();
    return pattern.arg(jours.value(date.dayOfWeek() - 1),
                       QString::number(date.day()),
                       mois.value(date.month() - 1),
                       deuxChiffres(time.hour()),
                       deuxChiffres(time.minute()));
}

}  // namespace

void setDateHeureNow(std::function<QDateTime()> now)
{
    QMutexLocker lock(&nowMutex);
    nowSource = std::move(now);
}

// ---- CDate ----

CDate::CDate()
    : QDate()
{}

CDate::CDate(QDate date)
    : QDate(date)
{}

CDate::CDate(int year, int month, int day)
    : QDate(year, month, day)
{}

bool CDate::initParTrameKestrova(QByteArray text)
{
    const QDate date(figures(text, 0, 4), figures(text, 4, 2), figures(text, 6, 2));
    if (!date.isValid()) {
        return false;
    }
    *this = CDate(date);
    return true;
}

bool CDate::initParTrame(QByteArray text)
{
    const QDate date(deuxChiffresVersAnnee(figures(text, 4, 2)), figures(text, 2, 2), figures(text, 0, 2));
    if (!date.isValid()) {
        return false;
    }
    *this = CDate(date);
    return true;
}

bool CDate::initParTrameRS485(QByteArray frame)
{
    if (frame.size() < 4) {
        return false;
    }
    const QDate date(deuxChiffresVersAnnee(figures(frame, 2, 2)), byteAt(frame, 1), byteAt(frame, 0));
    if (!date.isValid()) {
        return false;
    }
    *this = CDate(date);
    return true;
}

QString CDate::jourDeLaSemaine() const
{
    return dateListeJours.value(dayOfWeek() - 1);
}

// ---- CHeure ----

CHeure::CHeure()
    : QTime()
{}

CHeure::CHeure(QTime time)
    : QTime(time)
{}

CHeure::CHeure(int hour, int minute, int second, int msec)
    : QTime(hour, minute, second, msec)
{}

CHeure::CHeure(int hhmmss)
    : QTime()
{
    const QString text = QString::number(hhmmss).rightJustified(6, QLatin1Char('0'));
    setHMS(figures(text, 0, 2), figures(text, 2, 2), figures(text, 4, 2));
}

bool CHeure::initParTrameKestrova(QByteArray text, bool withSeconds)
{
    const QTime time(figures(text, 0, 2), figures(text, 2, 2), withSeconds ? figures(text, 4, 2) : 0);
    if (!time.isValid()) {
        return false;
    }
    *this = CHeure(time);
    return true;
}

bool CHeure::initParTrame(QByteArray text, bool withSeconds)
{
    return initParTrameKestrova(text, withSeconds);
}

bool CHeure::initParTrameRS485(QByteArray frame, bool withSeconds)
{
    if (frame.size() < (withSeconds ? 3 : 2)) {
        return false;
    }
    const QTime time(byteAt(frame, 0), byteAt(frame, 1), withSeconds ? byteAt(frame, 2) : 0);
    if (!time.isValid()) {
        return false;
    }
    *this = CHeure(time);
    return true;
}

bool CHeure::initParTrameSaisie(QByteArray text)
{
    const qsizetype colon = text.indexOf(':');
    if (colon < 0) {
        return false;
    }
    bool hourOk = false;
    bool minuteOk = false;
    const QTime time(text.left(colon).toInt(&hourOk), text.mid(colon + 1).toInt(&minuteOk), 0);
    if (!hourOk || !minuteOk || !time.isValid()) {
        return false;
    }
    *this = CHeure(time);
    return true;
}

// ---- CDateHeure ----

CDateHeure::CDateHeure()
    : QDateTime()
{}

CDateHeure::CDateHeure(QDateTime dateTime)
    : QDateTime(dateTime.date(), dateTime.time(), Qt::LocalTime)
{}

CDateHeure::CDateHeure(const QDate& date, const QTime& time)
    : QDateTime(date, time, Qt::LocalTime)
{}

CDateHeure::CDateHeure(unsigned int mode)
    : QDateTime(dateHeureSelonMode(mode))
{}

CDateHeure::CDateHeure(QString date, QString hour, QString minute)
    : QDateTime(localOrNull(QDate(figures(date, 6, 4), figures(date, 3, 2), figures(date, 0, 2)),
                            QTime(hour.toInt(), minute.toInt(), 0)))
{}

bool CDateHeure::initParTrameSQL(QString text)
{
    if (text.size() != 19) {
        return false;
    }
    const QDate date(figures(text, 0, 4), figures(text, 5, 2), figures(text, 8, 2));
    const QTime time(figures(text, 11, 2), figures(text, 14, 2), figures(text, 17, 2));
    QDateTime::operator=(localOrNull(date, time));
    return isValid();
}

bool CDateHeure::initParTrameKestrova(QByteArray text, bool withSeconds)
{
    CDate date;
    if (!date.initParTrameKestrova(text.left(8))) {
        return false;
    }
    CHeure time;
    if (!time.initParTrameKestrova(text.mid(8), withSeconds)) {
        return false;
    }
    return assignIfValid(*this, QDateTime(date, time, Qt::LocalTime));
}

QString CDateHeure::getString(int language) const
{
    switch (language) {
    case 0:
        return getStringFr();
    case 1:
        return getStringEn();
    case 2:
        return getStringEs();
    default:
        return QString();
    }
}

QString CDateHeure::getStringFr() const
{
    return formeLongue(*this, QStringLiteral(" %1 %2 %3 a %4:%5"), dateListeJours, dateListeMois);
}

QString CDateHeure::getStringEn() const
{
    return formeLongue(*this, QStringLiteral(" %1 %2 of %3 at %4:%5"), dateListeJoursEn, dateListeMoisEn);
}

QString CDateHeure::getStringEs() const
{
    return formeLongue(*this, QStringLiteral(" %1 %2 de %3 a %4:%5"), dateListeJoursEs, dateListeMoisEs);
}

bool CDateHeure::estFinDesTemps() const
{
    return *this == finDesTemps();
}

bool CDateHeure::initParChaineDate(QString date, CHeure time)
{
    if (date.size() != 10) {
        return false;
    }
    QDateTime::operator=(localOrNull(QDate(figures(date, 6, 4), figures(date, 3, 2), figures(date, 0, 2)), time));
    return isValid();
}

bool CDateHeure::initParGmt(QString text)
{
    if (text.size() != 29) {
        return false;
    }
    // "Sun, 06 Nov 1994 08:49:37 GMT" becomes "Sun Nov 06 08:49:37 1994".
    const QString textDate =
        QStringList{text.mid(0, 3), text.mid(8, 3), text.mid(5, 2), text.mid(17, 8), text.mid(12, 4)}.join(
            QLatin1Char(' '));
    const QDateTime read = QDateTime::fromString(textDate, Qt::TextDate);
    // The clock of the sender is taken as ours: no zone conversion.
    QDateTime::operator=(localOrNull(read.date(), read.time()));
    return isValid();
}

bool CDateHeure::initParTrame(QByteArray text, bool withSeconds)
{
    CDate date;
    if (!date.initParTrame(text.left(6))) {
        return false;
    }
    CHeure time;
    if (!time.initParTrame(text.mid(6, withSeconds ? 6 : 4), withSeconds)) {
        return false;
    }
    return assignIfValid(*this, QDateTime(date, time, Qt::LocalTime));
}

bool CDateHeure::initParTrameRS485(QByteArray frame, bool withSeconds)
{
    if (frame.size() < (withSeconds ? 7 : 6)) {
        return false;
    }
    CDate date;
    if (!date.initParTrameRS485(frame.left(4))) {
        return false;
    }
    CHeure time;
    if (!time.initParTrameRS485(frame.mid(4), withSeconds)) {
        return false;
    }
    return assignIfValid(*this, QDateTime(date, time, Qt::LocalTime));
}

bool CDateHeure::initParTrameVardel(QByteArray frame)
{
    // A short frame would be read past its end.
    if (frame.size() < 6) {
        return false;
    }
    const QDate date(deuxChiffresVersAnnee(byteAt(frame, 2)), byteAt(frame, 1), byteAt(frame, 0));
    const QTime time(byteAt(frame, 3), byteAt(frame, 4), byteAt(frame, 5));
    QDateTime::operator=(localOrNull(date, time));
    return isValid();
}

QByteArray dateCalculeMinute(unsigned int minutes, QStringList units, QList<unsigned int> widths, bool showZero)
{
    const unsigned int parts[3] = {minutes / 1440, (minutes % 1440) / 60, minutes % 60};
    QString text;
    // Short unit or width lists read as empty units and no padding.
    for (int i = 0; i < 3; ++i) {
        if (parts[i] == 0 && !showZero) {
            continue;
        }
        const unsigned int width = widths.value(i);
        QString number = QString::number(parts[i]);
        if (width != 0) {
            number = number.rightJustified(width, QLatin1Char(' '));
        }
        text += number + units.value(i);
    }
    if (text.isEmpty()) {
        text = QLatin1Char('0') + units.value(0);
    }
    return text.toUtf8();
}
