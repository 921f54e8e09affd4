#include "skin/skin_windows.h"

#include <cmath>

#include "assets/skin_pictures.h"
#include "platform/gui.h"
#include "skin/control_table.h"

namespace {
constexpr std::uint32_t keyColour = 0xFF00FF; // no pixel of the pictures is magenta
}

void premultiplyPixels(std::uint32_t* pixels, std::size_t count) {
    // One factor per alpha value instead of a division per pixel.
    static const std::array<float, 256> factors = [] {
        std::array<float, 256> table{};
        for (int a = 0; a < 256; ++a)
            table[a] = static_cast<float>(a) / 255.0f;
        return table;
    }();
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t p = pixels[i];
        std::uint32_t a = p >> 24;
        if (a == 255) continue;
        float f = factors[a];
        auto scale = [f](std::uint32_t c) { return static_cast<std::uint32_t>(std::lround(c * f)); };
        pixels[i] = (a << 24) | (scale((p >> 16) & 0xFF) << 16) | (scale((p >> 8) & 0xFF) << 8) | scale(p & 0xFF);
    }
}

int presentLayeredImage(int window, int slot, std::uint8_t constantAlpha) {
    if (!slotHasImage(slot) || imageDepth(slot) != 32) return 0;
    premultiplyPixels(imagePixels(slot), static_cast<std::size_t>(imageWidth(slot)) * imageHeight(slot));
    return presentWindowImage(window, slot, constantAlpha) ? 1 : 0;
}

bool buildSkinWindows() {
    if (!decodePngToSlot(0, skinPicturePng(0))) return false;
    if (!createWindow(bodyWindow, imageWidth(0), imageHeight(0), u"Alpha Window Test", -1)) return false;
    presentLayeredImage(bodyWindow, 0, 255);
    if (!createWindow(controlWindow, imageWidth(0), imageHeight(0), u"", bodyWindow)) return false;
    setWindowBackground(controlWindow, keyColour);
    setWindowColourKey(controlWindow, keyColour);
    return true;
}

void followControlWindow(int window, int message) {
    if (message != messageMove && message != messageSize && message != messagePaint) return;
    int x = 0, y = 0;
    if (windowPosition(window, x, y)) moveWindow(bodyWindow, x, y);
}
