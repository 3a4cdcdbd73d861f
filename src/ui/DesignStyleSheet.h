#pragma once

#include <QString>

// The resource folder of the design's pictures.
inline constexpr char kDesignPath[] = ":/design/kestrova/";

// The application style sheet, with "DESIGN_FULL_PATH/" pointing at the pictures.
// A missing resource gives an empty sheet: the window and dialogs then stay unstyled.
QString designStyleSheet();
