#include "core/Util.h"

#include <QEventLoop>
#include <QFontMetrics>
#include <QTimer>
#include <QWidget>

#include <bit>
#include <cmath>
#include <limits>

namespace
{

// Code points of bytes 0x80 to 0x9F; the five bytes the code page leaves undefined
// stand for the control character of the same number, as Windows does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char cp1252Byte(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
        return static_cast<char>(unit);
    }
    for (int i = 0; i < 32; ++i) {
        if (kCp1252High[i] == unit) {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

const Cp1252Codec sCp1252Codec;

}  // namespace

const Cp1252Codec* gSqlCodec = &sCp1252Codec;

QByteArray Cp1252Codec::fromUnicode(const QString& text) const
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        // A character beyond the BMP is one '?', not one per half.
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
            bytes += '?';
            continue;
        }
        bytes += cp1252Byte(c.unicode());
    }
    return bytes;
}

QString Cp1252Codec::toUnicode(const QByteArray& bytes) const
{
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        text += (value >= 0x80 && value < 0xA0) ? QChar(kCp1252High[value - 0x80]) : QChar(char16_t(value));
    }
    return text;
}

namespace
{

// A quote ends the value; a NUL ends the statement for SQLite; an unpaired UTF-16 half
// makes SQLite swallow the code unit after it, a closing quote included.
bool isUnsafeInSql(const QString& text, qsizetype i)
{
    const QChar c = text.at(i);
    if (c == QLatin1Char('\'') || c.isNull()) {
        return true;
    }
    if (c.isHighSurrogate()) {
        return i + 1 >= text.size() || !text.at(i + 1).isLowSurrogate();
    }
    return c.isLowSurrogate() && (i == 0 || !text.at(i - 1).isHighSurrogate());
}

}  // namespace

QString utilSqlFormateString(QString text)
{
    // Only a half without its partner is blanked, so no pair further on is broken.
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isUnsafeInSql(text, i)) {
            text[i] = QLatin1Char(' ');
        }
    }
    return text;
}

bool utilSqlTexteSur(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\'') && isUnsafeInSql(text, i)) {
            return false;
        }
    }
    return true;
}

void utilSleep(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool utilIsHexa(QString text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool hexa = (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'F') || (u >= u'a' && u <= u'f');
        if (!hexa) {
            return false;
        }
    }
    return true;
}

QString utilElidedText(QString text, QWidget* widget)
{
    return QFontMetrics(widget->font()).elidedText(text, Qt::ElideRight, widget->width());
}

QByteArray utilSqlFormate(QByteArray text)
{
    return text.replace('\'', ' ');
}

QByteArray utilSqlVersDbString(QString text)
{
    return gSqlCodec->fromUnicode(text.replace(QLatin1Char('\''), QStringLiteral("\\'")));
}

QString utilSqlDepuisDb(QByteArray bytes)
{
    return gSqlCodec->toUnicode(bytes);
}

bool utilSqlOuvreDefaultConnection(QSqlDatabase& db)
{
    return db.open();
}

bool utilSqlOuvreConnection(QSqlDatabase& db, QString& name)
{
    const QString base = name;
    for (unsigned int n = 0;; ++n) {
        const QString candidate = base + QString::number(n);
        if (!QSqlDatabase::contains(candidate)) {
            name = candidate;
            break;
        }
    }
    return db.open();
}

bool utilSqlEstDoublon(QSqlError error, unsigned char key)
{
    if (key == 0) {
        // Duplicate-entry error of the MySQL server.
        return error.nativeErrorCode() == QLatin1String("1062");
    }
    return error.text().contains(QLatin1String(" for key ") + QString::number(key));
}

QByteArray utilSqlTestTransfere(QByteArray table)
{
    const QByteArray column = table + ".`transfere`";
    return ", " + column + "=IF(" + column + "=1,'3'," + column + ")";
}

double utilPrixHt(unsigned int price, unsigned int rate)
{
    return price / (rate / 10000.0 + 1.0);
}

double utilPrixTva(unsigned int price, unsigned int rate)
{
    return price - utilPrixHt(price, rate);
}

// Out-of-range doubles are clamped: converting them as they are is undefined.
int utilDoubleToInt(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    if (value <= std::numeric_limits<int>::min()) {
        return std::numeric_limits<int>::min();
    }
    if (value >= std::numeric_limits<int>::max()) {
        return std::numeric_limits<int>::max();
    }
    return static_cast<int>(value);
}

unsigned int utilDoubleToUInt(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    // 2^63 as a double; anything at or beyond it does not fit a 64-bit integer.
    constexpr double kLimit = 9223372036854775808.0;
    qint64 wide = 0;
    if (value >= kLimit) {
        wide = std::numeric_limits<qint64>::max();
    } else if (value < -kLimit) {
        wide = std::numeric_limits<qint64>::min();
    } else {
        wide = static_cast<qint64>(value);
    }
    return static_cast<unsigned int>(static_cast<quint64>(wide) & 0xFFFFFFFFu);
}

double utilIntToDouble(int value)
{
    return value;
}

double utilUIntToDouble(unsigned int value)
{
    return value;
}

QString utilIntToDoubleString(int value, unsigned int)
{
    return QString::number(static_cast<double>(value), 'g', 6);
}

QString utilUIntToDoubleString(unsigned int value, unsigned int)
{
    return QString::number(static_cast<double>(value), 'g', 6);
}

unsigned char cryptageCalculeLrc(QByteArray data)
{
    unsigned char lrc = 0;
    for (const char byte : data) {
        lrc ^= static_cast<unsigned char>(byte);
    }
    return lrc;
}

unsigned char cryptageByte7bits(unsigned char value)
{
    return static_cast<unsigned char>((value / 10) * 16 + value % 10);
}

void cryptageCalculePolynome(unsigned char byte, TCryptage& reg)
{
    const unsigned int v = reg.byte[2] ^ byte;
    reg.byte[2] = reg.byte[1];
    reg.byte[1] = static_cast<unsigned char>(reg.byte[0] ^ (v >> 2) ^ (v >> 7));
    reg.byte[0] = static_cast<unsigned char>((v << 1) ^ (v << 6));
    if (std::popcount(v) % 2 == 1) {
        reg.byte[2] = static_cast<unsigned char>(reg.byte[2] + 0x80);
        reg.byte[0] ^= 0x21;
    }
}

unsigned int cryptageCalculeCodeSecret(QByteArray text)
{
    // Any fixed value does; it only has to stay the same between runs.
    constexpr unsigned int kStart = 0x5A3C96;
    bool ok = false;
    unsigned int number = text.rightJustified(8, '0').left(8).toUInt(&ok);
    if (!ok) {
        number = 0;
    }
    TCryptage reg;
    reg.byte[0] = kStart & 0xFF;
    reg.byte[1] = (kStart >> 8) & 0xFF;
    reg.byte[2] = (kStart >> 16) & 0xFF;
    for (int shift = 24; shift >= 0; shift -= 8) {
        cryptageCalculePolynome(static_cast<unsigned char>(number >> shift), reg);
    }
    return reg.byte[0] | (reg.byte[1] << 8) | (reg.byte[2] << 16);
}

int cryptageCalculeCleLuhn(QByteArray text)
{
    int sum = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c < '0' || c > '9') {
            return -1;
        }
        int figure = c - '0';
        if (i % 2 == 1) {
            figure *= 2;
            if (figure >= 10) {
                figure -= 9;
            }
        }
        sum += figure;
    }
    const int key = 10 - sum % 10;
    return key == 10 ? 0 : key;
}

bool cryptageVerifieCleLuhn(QByteArray code)
{
    // Without a key character there is nothing to verify; an empty code is not valid.
    if (code.isEmpty()) {
        return false;
    }
    return code.right(1).toInt() == cryptageCalculeCleLuhn(code.left(code.size() - 1));
}
