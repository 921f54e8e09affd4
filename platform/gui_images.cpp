// Image slots decoded from PNG with libpng, their pixels, and fonts.
#include <QFont>
#include <QGuiApplication>
#include <QScreen>

#include <png.h>

#include <cmath>

#include "platform/gui_internal.h"

bool decodePngToSlot(int slot, std::string_view png) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) return false;
    bool hasAlpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = PNG_FORMAT_BGRA; // the memory order of a 32-bit Windows bitmap and of QImage ARGB32
    QImage decoded(static_cast<int>(image.width), static_cast<int>(image.height), QImage::Format_ARGB32);
    if (decoded.isNull() ||
        !png_image_finish_read(&image, nullptr, decoded.bits(), static_cast<png_int_32>(decoded.bytesPerLine()),
                               nullptr)) {
        png_image_free(&image);
        return false;
    }
    gui.images[slot] = SlotImage{decoded, hasAlpha ? 32 : 24};
    return true;
}

bool slotHasImage(int slot) { return gui.images.count(slot) != 0; }

int imageWidth(int slot) { return slotHasImage(slot) ? gui.images[slot].image.width() : 0; }

int imageHeight(int slot) { return slotHasImage(slot) ? gui.images[slot].image.height() : 0; }

int imageDepth(int slot) { return slotHasImage(slot) ? gui.images[slot].depth : 0; }

std::uint32_t* imagePixels(int slot) {
    if (!slotHasImage(slot)) return nullptr;
    return reinterpret_cast<std::uint32_t*>(gui.images[slot].image.bits());
}

bool loadFont(int font, const Text& face, int points) {
    QScreen* screen = QGuiApplication::primaryScreen();
    double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    if (dpi <= 0) dpi = 96.0;
    QFont f(toQString(face));
    f.setPixelSize(static_cast<int>(std::lround(points * dpi / 72.0)));
    f.setWeight(QFont::Normal);
    gui.fonts[font] = f;
    if (font == 0 && !gui.drawingOn) gui.drawingFont = f;
    return true;
}
