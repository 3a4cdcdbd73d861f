#pragma once

#include "core/CParam.h"

#include <QString>

// The rules of the settings pages, apart from their widgets.

// The language a settings object asks for: LANGUE read as an unsigned number, 0 (French)
// when it is not one.
int languageOf(const CParam& param);

// Whether a switch shows as on: REP_JOUR for anything but "0", the others for "1" only.
bool isSwitchOn(ParamKey key, const QString& value);

// The value a press on a switch writes: after exactly "0" its on value ("2" for
// REP_JOUR, "1" for the others), after anything else "0".
QString pressedSwitchValue(ParamKey key, const QString& value);

// The style sheet of a switch button: the top half of its sprite shows on.
QString switchStyle(bool isOn);
