// The two stacked skin windows: the body with the radio picture in per-pixel alpha, and the
// colour-keyed control window above it that carries every control. Built once by start-up.
#pragma once

#include <array>
#include <cstdint>

bool buildSkinWindows();

// Premultiplies the slot's image in place with the factor table, then makes it the window's content.
// Non-zero on success, 0 when the slot is empty or not 32-bit.
int presentLayeredImage(int window, int slot, std::uint8_t constantAlpha);

// Premultiplies 32-bit pixels (blue, green, red, alpha; alpha highest) in place.
void premultiplyPixels(std::uint32_t* pixels, std::size_t count);

// Window callback of the control window: keeps the body under it.
void followControlWindow(int window, int message);
