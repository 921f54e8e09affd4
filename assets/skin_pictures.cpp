#include "assets/skin_pictures.h"

#define TUNDREL_PICTURE(name)                                                                                \
    extern "C" const unsigned char tundrel_png_##name[];                                                     \
    extern "C" const unsigned char tundrel_png_##name##_end[];
TUNDREL_PICTURE(bg)
TUNDREL_PICTURE(ecran)
TUNDREL_PICTURE(play)
TUNDREL_PICTURE(stop)
TUNDREL_PICTURE(list)
TUNDREL_PICTURE(add)
TUNDREL_PICTURE(minus)
TUNDREL_PICTURE(timeron)
TUNDREL_PICTURE(timeroff)
TUNDREL_PICTURE(onoff)
TUNDREL_PICTURE(vol)
TUNDREL_PICTURE(knob)
TUNDREL_PICTURE(tray)
#undef TUNDREL_PICTURE

namespace {

struct Picture {
    const unsigned char* begin;
    const unsigned char* end;
};

#define TUNDREL_PICTURE(name)                                                                                \
    { tundrel_png_##name, tundrel_png_##name##_end }
const Picture pictures[skinPictureCount] = {
    TUNDREL_PICTURE(bg),       TUNDREL_PICTURE(ecran), TUNDREL_PICTURE(play),  TUNDREL_PICTURE(stop),
    TUNDREL_PICTURE(list),     TUNDREL_PICTURE(add),   TUNDREL_PICTURE(minus), TUNDREL_PICTURE(timeron),
    TUNDREL_PICTURE(timeroff), TUNDREL_PICTURE(onoff), TUNDREL_PICTURE(vol),   TUNDREL_PICTURE(knob),
    TUNDREL_PICTURE(tray),
};
#undef TUNDREL_PICTURE

} // namespace

std::string_view skinPicturePng(int slot) {
    if (slot < 0 || slot >= skinPictureCount) return {};
    const Picture& p = pictures[slot];
    return {reinterpret_cast<const char*>(p.begin), static_cast<std::size_t>(p.end - p.begin)};
}
