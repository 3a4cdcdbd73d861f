#include "settings/ParamEdit.h"

int languageOf(const CParam& param)
{
    return static_cast<int>(param.parametre(LANGUE).toUInt());
}

bool isSwitchOn(ParamKey key, const QString& value)
{
    if (key == REP_JOUR) {
        return value != QLatin1String("0");
    }
    return value == QLatin1String("1");
}

QString pressedSwitchValue(ParamKey key, const QString& value)
{
    if (value != QLatin1String("0")) {
        return QStringLiteral("0");
    }
    // "1" for REP_JOUR is what a download writes; the page keeps its own "2".
    return key == REP_JOUR ? QStringLiteral("2") : QStringLiteral("1");
}

QString switchStyle(bool isOn)
{
    return isOn ? QStringLiteral("background-position:top") : QStringLiteral("background-position:bottom");
}
