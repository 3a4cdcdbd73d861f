#pragma once

#include "design/DesignKit.h"
#include "design/Palette.h"

#include <QImage>
#include <QSize>
#include <QString>

// One function per kind of picture. Sizes are those of the widgets that show them;
// sprites stack their states from top to bottom.
namespace pictures
{

// Keys.cpp: the on-screen keyboard, the numeric pad and the pressed-key overlays.
QImage keyboard(const Palette& c);
QImage numericPad(const Palette& c);
enum class PressedShape
{
    Small,
    Double,
    Enter,
    SpaceBar,
};
QImage pressedKey(const Palette& c, PressedShape shape);

// Panels.cpp: backgrounds and large panels.
QImage windowBackground(const Palette& c);
QImage dialogBackground(const Palette& c);
QImage loginCard(const Palette& c);
QImage settingsCard(const Palette& c);
// Three states: accepted, waiting, refused.
QImage resultPanel(const Palette& c);
// Two states: accepted, refused.
QImage resultFlash(const Palette& c);
QImage webcamFrame(const Palette& c);
QImage laser(const Palette& c);
QImage defaultEvent(const Palette& c);
QImage noPicture(const Palette& c);

// Controls.cpp: buttons, switches, flags and state marks.
enum class ButtonKind
{
    Primary,    // accent face, white caption
    Secondary,  // light face, dark caption
    Warning,    // light face, warning border and caption
    OnBar,      // raised face on a window bar
    Attention,  // warning face on a window bar
};
// Two states: normal, pressed.
QImage button(const Palette& c, QSize size, ButtonKind kind);
QImage disabledButton(const Palette& c, QSize size);
// Two states: normal, pressed; the icon sits in a square at the left or right end.
enum class IconSide
{
    Left,
    Right,
    Centre,
};
QImage iconButton(const Palette& c, QSize size, ButtonKind kind, kit::Icon icon, IconSide side);
// Two states: on, off.
QImage toggleSwitch(const Palette& c);
// Two states: read only, direct punch.
QImage punchSwitch(const Palette& c);
enum class Flag
{
    France,
    UnitedKingdom,
    Spain,
};
// Two states: offered, current language.
QImage flag(const Palette& c, Flag which);
QImage helpMark(const Palette& c);
QImage saleState(const Palette& c);
QImage listState(const Palette& c);
QImage connectionState(const Palette& c);
QImage offlineStrip(const Palette& c);
QImage webcamState(const Palette& c);
QImage tileActions(const Palette& c);
QImage pictureFrame(const Palette& c);
QImage tileSeparator(const Palette& c);
QImage barSeparator(const Palette& c);
QImage comboField(const Palette& c);
QImage comboArrow(const Palette& c);
QImage checkBox(const Palette& c, bool checked);

}  // namespace pictures
