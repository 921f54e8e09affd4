#include "skin/screen_text.h"

#include "platform/gui.h"
#include "skin/control_table.h"

namespace {
constexpr std::uint32_t highlightColour = 0xC1B759; // red 193, green 183, blue 89
constexpr std::uint32_t textColour = 0x213E02;      // red 33, green 62, blue 2
} // namespace

ScreenLayout layoutScreenText(const Text& text, int width) {
    ScreenLayout layout;
    if (width < textAreaWidth) {
        layout.line1 = text;
        return layout;
    }
    // Cut by characters, the extra one on the first line; the hyphen follows wherever the cut falls.
    std::size_t n = text.size();
    layout.twoLines = true;
    layout.line1 = text.substr(0, n / 2 + n % 2) + u"-";
    layout.line2 = text.substr(n - n / 2);
    return layout;
}

void drawScreenText(Text text) {
    ControlEntry* entry = findEntry(u"ECRAN");
    if (!entry || !beginDrawing(entry->controlNumber)) return;
    drawImage(entry->imageNumber, 0, 0);
    useFont(screenFont);
    int mid = entry->height / 2;
    int width = textWidth(text);
    ScreenLayout layout = layoutScreenText(text, width);
    if (!layout.twoLines) {
        int x = textAreaWidth / 2 - width / 2;
        drawText(layout.line1, x, mid - 4, highlightColour);
        drawText(layout.line1, x, mid - 5, textColour);
    } else {
        int x1 = textAreaWidth / 2 - textWidth(layout.line1) / 2;
        int x2 = textAreaWidth / 2 - textWidth(layout.line2) / 2;
        drawText(layout.line1, x1, mid - 10, highlightColour);
        drawText(layout.line1, x1, mid - 11, textColour);
        drawText(layout.line2, x2, mid + 8, highlightColour);
        drawText(layout.line2, x2, mid + 9, textColour);
    }
    endDrawing();
}
