// The LCD screen's renderer: draws a text on the "ECRAN" canvas, centred on one line or cut into two,
// each line embossed in two colours. Called by the event loop on every pass.
#pragma once

#include "common/text.h"

inline constexpr int textAreaWidth = 250;

struct ScreenLayout {
    Text line1, line2; // line2 empty for one line
    bool twoLines = false;
};

// Splits a text by the renderer's rule, given its measured width.
ScreenLayout layoutScreenText(const Text& text, int width);

void drawScreenText(Text text);
