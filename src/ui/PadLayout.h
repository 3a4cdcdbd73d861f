#pragma once

#include <array>
#include <cstddef>

// Geometry of the scan page's numeric pad, shared by the form and by the tool that draws
// the pad picture, so that every key face lies exactly under its transparent button.

// What the pad picture shows on a key.
enum class PadKeyFace
{
    Digit,     // the key's text, large
    Comma,     // ","
    Back,      // erase the last character
    Alpha,     // switch to the on-screen keyboard
    Search,    // a mark above the button's own caption
    Validate,  // a plain face under the button's own caption
};

struct PadKey
{
    const char* name;
    int x;
    int y;
    int w;
    int h;
    PadKeyFace face;
    // The figure drawn on a Digit key; empty for the others.
    const char* text;
};

inline constexpr std::size_t kPadKeyCount = 15;

// In creation order, inside "widgetScanKeyboard". The first two columns sit one pixel
// further left in the top row.
inline constexpr std::array<PadKey, kPadKeyCount> kPadKeys{{
    {"btnPadNum7", 23, 52, 49, 48, PadKeyFace::Digit, "7"},
    {"btnPadNum8", 72, 52, 49, 48, PadKeyFace::Digit, "8"},
    {"btnPadNum6", 122, 100, 49, 48, PadKeyFace::Digit, "6"},
    {"btnPadNumBack", 171, 52, 49, 48, PadKeyFace::Back, ""},
    {"btnPadNum9", 122, 52, 49, 48, PadKeyFace::Digit, "9"},
    {"btnPadNum5", 73, 100, 49, 48, PadKeyFace::Digit, "5"},
    {"btnPadNum4", 24, 100, 49, 48, PadKeyFace::Digit, "4"},
    {"btnPadNumAlpha", 171, 100, 49, 48, PadKeyFace::Alpha, ""},
    {"btnPadNum1", 24, 148, 49, 48, PadKeyFace::Digit, "1"},
    {"btnPadNum2", 73, 148, 49, 48, PadKeyFace::Digit, "2"},
    {"btnPadNum3", 122, 148, 49, 48, PadKeyFace::Digit, "3"},
    {"btnPadNumVirgule", 122, 196, 49, 48, PadKeyFace::Comma, ""},
    {"btnPadNum0", 24, 196, 98, 48, PadKeyFace::Digit, "0"},
    {"btnPadNumSearch", 220, 52, 102, 96, PadKeyFace::Search, ""},
    {"btnPadNumValide", 171, 148, 151, 96, PadKeyFace::Validate, ""},
}};
