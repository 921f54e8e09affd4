// The embedded skin pictures: their PNG formats as the skin loader and the layered body window need them,
// the body's alpha, and that every control picture fits the body under it.
#include <gtest/gtest.h>

#include <png.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "assets/skin_pictures.h"

namespace {

constexpr int rgbType = 2;
constexpr int paletteType = 3;
constexpr int rgbaType = 6;

struct PictureFormat {
    int slot;
    const char* name;
    int width;
    int height;
    int colourType;
};

const PictureFormat formats[] = {
    {0, "BG", 512, 316, rgbaType},        {1, "ECRAN", 250, 78, paletteType},
    {2, "PLAY", 38, 23, paletteType},     {3, "STOP", 38, 23, paletteType},
    {4, "LIST", 38, 23, paletteType},     {5, "ADD", 38, 23, paletteType},
    {6, "MINUS", 38, 23, paletteType},    {7, "TIMERON", 34, 34, paletteType},
    {8, "TIMEROFF", 34, 34, paletteType}, {9, "ONOFF", 45, 45, rgbType},
    {10, "VOL", 250, 14, paletteType},    {11, "knob", 16, 12, rgbaType},
    {12, "tray", 32, 32, rgbaType},
};

// Where the control window puts each picture over the body.
struct Placement {
    int slot;
    int x;
    int y;
};

const Placement placements[] = {
    {1, 134, 99},  {2, 168, 236}, {3, 168, 236}, {4, 215, 236}, {5, 266, 236},
    {6, 315, 236}, {7, 420, 252}, {8, 420, 252}, {9, 75, 252},  {10, 132, 211},
};

struct Rect {
    int x, y, width, height;
};

struct Chunk {
    std::string type;
    std::string data;
};

std::uint32_t bigEndian(const std::string& bytes, std::size_t at) {
    return std::uint32_t(std::uint8_t(bytes[at])) << 24 | std::uint32_t(std::uint8_t(bytes[at + 1])) << 16 |
           std::uint32_t(std::uint8_t(bytes[at + 2])) << 8 | std::uint32_t(std::uint8_t(bytes[at + 3]));
}

// Splits a PNG file into its chunks; empty when the signature or a chunk length is wrong.
std::vector<Chunk> chunksOf(std::string_view png) {
    const std::string file(png);
    if (file.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return {};
    std::vector<Chunk> chunks;
    std::size_t at = 8;
    while (at + 12 <= file.size()) {
        const std::size_t length = bigEndian(file, at);
        if (at + 12 + length > file.size()) return {};
        chunks.push_back({file.substr(at + 4, 4), file.substr(at + 8, length)});
        at += 12 + length;
    }
    if (at != file.size()) return {};
    return chunks;
}

struct Pixel {
    std::uint8_t r, g, b, a;
};

struct Image {
    int width = 0;
    int height = 0;
    std::vector<Pixel> pixels;
    const Pixel& at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
};

// Straight (not premultiplied) 8-bit RGBA, through libpng.
Image decode(std::string_view png) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Image out;
    if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) return out;
    image.format = PNG_FORMAT_RGBA;
    std::vector<Pixel> pixels(std::size_t(image.width) * image.height);
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return out;
    out.width = int(image.width);
    out.height = int(image.height);
    out.pixels = std::move(pixels);
    return out;
}

bool isMagenta(const Pixel& p) {
    return p.r == 255 && p.g == 0 && p.b == 255;
}

TEST(SkinPictures, SlotsOutsideTheTableAreEmpty) {
    for (int slot : {-1, 13, 100})
        EXPECT_TRUE(skinPicturePng(slot).empty()) << slot;
}

TEST(SkinPictures, FileFormats) {
    for (const auto& f : formats) {
        SCOPED_TRACE(f.name);
        const auto chunks = chunksOf(skinPicturePng(f.slot));
        ASSERT_GE(chunks.size(), 3u);
        const Chunk& header = chunks.front();
        ASSERT_EQ(header.type, "IHDR");
        ASSERT_EQ(header.data.size(), 13u);
        EXPECT_EQ(bigEndian(header.data, 0), std::uint32_t(f.width));
        EXPECT_EQ(bigEndian(header.data, 4), std::uint32_t(f.height));
        EXPECT_EQ(int(header.data[8]), 8) << "bit depth";
        EXPECT_EQ(int(header.data[9]), f.colourType) << "colour type";
        EXPECT_EQ(int(header.data[12]), 0) << "interlace";
        EXPECT_EQ(chunks.back().type, "IEND");
        bool palette = false;
        for (const auto& c : chunks) {
            EXPECT_NE(c.type, "tRNS") << "no picture carries a transparency chunk";
            if (c.type == "PLTE") palette = true;
        }
        EXPECT_EQ(palette, f.colourType == paletteType);
    }
}

TEST(SkinPictures, DecodeWithoutMagenta) {
    for (const auto& f : formats) {
        SCOPED_TRACE(f.name);
        const Image image = decode(skinPicturePng(f.slot));
        ASSERT_EQ(image.width, f.width);
        ASSERT_EQ(image.height, f.height);
        int magenta = 0;
        for (const auto& p : image.pixels)
            magenta += isMagenta(p);
        EXPECT_EQ(magenta, 0) << "magenta is the control window's colour key";
        if (f.colourType != rgbaType) {
            for (const auto& p : image.pixels)
                ASSERT_EQ(p.a, 255);
        }
    }
}

TEST(SkinPictures, BodyIsTransparentAroundTheCabinetWithColourKept) {
    const Image bg = decode(skinPicturePng(0));
    ASSERT_EQ(bg.width, 512);
    for (auto [x, y] : {std::pair{0, 0}, {511, 0}, {0, 315}, {511, 315}, {256, 2}}) {
        const Pixel& p = bg.at(x, y);
        EXPECT_EQ(p.a, 0) << x << "," << y;
        EXPECT_NE(p.r | p.g | p.b, 0) << x << "," << y;
    }
    int hidden = 0, hiddenBlack = 0;
    for (const auto& p : bg.pixels) {
        if (p.a != 0) continue;
        ++hidden;
        hiddenBlack += (p.r | p.g | p.b) == 0;
    }
    EXPECT_GT(hidden, 1000);
    EXPECT_EQ(hiddenBlack, 0) << "transparent pixels keep a colour, so premultiplying them shows";
}

// Walking in from each side through the cabinet's edge: transparent, then soft, then opaque.
TEST(SkinPictures, BodyEdgesAreAntiAliased) {
    const Image bg = decode(skinPicturePng(0));
    ASSERT_EQ(bg.width, 512);
    struct Walk {
        const char* side;
        int x, y, dx, dy;
    };
    const Walk walks[] = {{"left", 0, 180, 1, 0},
                          {"right", 511, 180, -1, 0},
                          {"top", 490, 0, 0, 1},
                          {"bottom", 256, 315, 0, -1}};
    for (const auto& w : walks) {
        SCOPED_TRACE(w.side);
        int x = w.x, y = w.y, soft = 0;
        EXPECT_EQ(bg.at(x, y).a, 0);
        while (bg.at(x, y).a == 0)
            x += w.dx, y += w.dy;
        while (bg.at(x, y).a < 255)
            ++soft, x += w.dx, y += w.dy;
        EXPECT_GE(soft, 1) << "an edge pixel with partial alpha";
        EXPECT_LE(soft, 12);
    }
}

TEST(SkinPictures, BodyIsOpaqueUnderEveryControl) {
    const Image bg = decode(skinPicturePng(0));
    ASSERT_EQ(bg.width, 512);
    const Rect controls[] = {{134, 99, 250, 78}, {168, 236, 38, 23},  {215, 236, 38, 23},
                             {266, 236, 38, 23}, {315, 236, 38, 23},  {420, 252, 34, 34},
                             {75, 252, 45, 45},  {132, 211, 250, 14}, {170, 272, 175, 22}};
    for (const auto& r : controls) {
        int clear = 0;
        for (int y = r.y; y < r.y + r.height; ++y)
            for (int x = r.x; x < r.x + r.width; ++x)
                clear += bg.at(x, y).a != 255;
        EXPECT_EQ(clear, 0) << "control at " << r.x << "," << r.y;
    }
}

// A control picture replaces the body under it; its rim must continue the body around it.
TEST(SkinPictures, ControlPicturesMatchTheBodyAtTheirRims) {
    const Image bg = decode(skinPicturePng(0));
    ASSERT_EQ(bg.width, 512);
    for (const auto& place : placements) {
        const Image face = decode(skinPicturePng(place.slot));
        ASSERT_GT(face.width, 0) << place.slot;
        int worst = 0;
        for (int y = 0; y < face.height; ++y)
            for (int x = 0; x < face.width; ++x) {
                if (y != 0 && y != face.height - 1 && x != 0 && x != face.width - 1) continue;
                const Pixel& a = face.at(x, y);
                const Pixel& b = bg.at(place.x + x, place.y + y);
                worst = std::max({worst, std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
            }
        EXPECT_LE(worst, 12) << "slot " << place.slot;
    }
}

TEST(SkinPictures, SecondFacesDifferFromTheFirst) {
    for (auto [first, second] : {std::pair{2, 3}, {7, 8}}) {
        const Image a = decode(skinPicturePng(first));
        const Image b = decode(skinPicturePng(second));
        ASSERT_EQ(a.pixels.size(), b.pixels.size());
        int different = 0;
        for (std::size_t i = 0; i < a.pixels.size(); ++i)
            different += a.pixels[i].r != b.pixels[i].r || a.pixels[i].g != b.pixels[i].g;
        EXPECT_GT(different, 20) << first << " and " << second;
    }
}

TEST(SkinPictures, ScreenGlassIsOliveWithALighterMiddle) {
    const Image glass = decode(skinPicturePng(1));
    ASSERT_EQ(glass.width, 250);
    auto near = [](const Pixel& p, int r, int g, int b) {
        return std::abs(p.r - r) <= 16 && std::abs(p.g - g) <= 16 && std::abs(p.b - b) <= 16;
    };
    const Pixel& middle = glass.at(125, 39);
    EXPECT_TRUE(near(middle, 220, 217, 137)) << int(middle.r) << "," << int(middle.g) << "," << int(middle.b);
    for (auto [x, y] : {std::pair{2, 39}, {247, 39}, {5, 5}, {244, 72}}) {
        const Pixel& p = glass.at(x, y);
        EXPECT_TRUE(near(p, 182, 168, 78))
            << x << "," << y << ": " << int(p.r) << "," << int(p.g) << "," << int(p.b);
    }
}

TEST(SkinPictures, KnobAndTrayHaveTransparentCornersAndSolidMiddles) {
    for (int slot : {11, 12}) {
        const Image image = decode(skinPicturePng(slot));
        ASSERT_GT(image.width, 0) << slot;
        const int right = image.width - 1, bottom = image.height - 1;
        for (auto [x, y] : {std::pair{0, 0}, {right, 0}, {0, bottom}, {right, bottom}})
            EXPECT_EQ(image.at(x, y).a, 0) << "slot " << slot << " at " << x << "," << y;
        EXPECT_EQ(image.at(image.width / 2, image.height / 2).a, 255) << slot;
    }
}

} // namespace
