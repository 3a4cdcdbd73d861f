#pragma once

#include <array>
#include <cstddef>

// Geometry of the on-screen keyboard, shared by the widget and by the tool that draws
// the keyboard picture, so that every key face lies exactly under its transparent button.

// The key's class decides the pressed picture the style sheet shows over it.
enum class KeyboardKeyClass
{
    Small,     // CKeyboardSmallButton
    Double,    // CKeyboardDoubleButton
    Enter,     // CKeyboardEnterButton
    SpaceBar,  // CKeyboardSpaceBarButton
};

enum class KeyboardKeyAction
{
    Text,   // emits btnKeyClicked(text)
    Exit,   // emits btnExitClicked()
    Back,   // emits btnBackClicked()
    Enter,  // emits btnEnterClicked()
    None,   // the blank wide key: pressed picture only
};

struct KeyboardKey
{
    int x;
    int y;
    int w;
    int h;
    KeyboardKeyClass keyClass;
    KeyboardKeyAction action;
    // What btnKeyClicked carries; empty for the other actions.
    const char* text;
};

inline constexpr std::size_t kKeyboardKeyCount = 47;

// In creation order, which is also stacking order: Enter lies under M where they overlap.
inline constexpr std::array<KeyboardKey, kKeyboardKeyCount> kKeyboardKeys{{
    // Row 1
    {5, 6, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "1"},
    {56, 6, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "2"},
    {108, 6, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "3"},
    {160, 6, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "4"},
    {212, 6, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "5"},
    {264, 6, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "6"},
    {316, 6, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "7"},
    {368, 6, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "8"},
    {420, 6, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "9"},
    {472, 6, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "0"},
    {525, 6, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, ","},
    {581, 6, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Exit, ""},
    // Row 2
    {5, 57, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "A"},
    {56, 57, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "Z"},
    {108, 57, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "E"},
    {160, 57, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "R"},
    {212, 57, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "T"},
    {264, 57, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "Y"},
    {316, 57, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "U"},
    {368, 57, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "I"},
    {420, 57, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "O"},
    {472, 57, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "P"},
    {525, 57, 105, 48, KeyboardKeyClass::Double, KeyboardKeyAction::Back, ""},
    // Row 3, with Enter reaching down through row 4
    {22, 107, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "Q"},
    {73, 107, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "S"},
    {125, 107, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "D"},
    {177, 107, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "F"},
    {229, 107, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "G"},
    {281, 107, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "H"},
    {333, 107, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "J"},
    {385, 107, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "K"},
    {437, 107, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "L"},
    {526, 108, 104, 97, KeyboardKeyClass::Enter, KeyboardKeyAction::Enter, ""},
    {489, 107, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "M"},
    // Row 4
    {7, 157, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "W"},
    {58, 157, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "X"},
    {110, 157, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "C"},
    {162, 157, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "V"},
    {214, 157, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "B"},
    {266, 157, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "N"},
    {318, 157, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "?"},
    {370, 157, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "."},
    {422, 157, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "/"},
    {474, 157, 49, 48, KeyboardKeyClass::Small, KeyboardKeyAction::Text, "_"},
    // Row 5
    {6, 207, 105, 48, KeyboardKeyClass::Double, KeyboardKeyAction::Text, "\t"},
    {114, 207, 311, 48, KeyboardKeyClass::SpaceBar, KeyboardKeyAction::Text, " "},
    {428, 207, 200, 48, KeyboardKeyClass::SpaceBar, KeyboardKeyAction::None, ""},
}};
