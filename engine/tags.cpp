// Tag text: libmpv hands tag values over as the bytes it received. ID3 and Vorbis comments arrive as
// UTF-8 already; ICY titles and headers are whatever the station sends, often Latin-1 or Windows-1252.
// Everything leaving the engine is valid UTF-8 without NUL bytes.
#include "engine.h"

#include <algorithm>
#include <cctype>

namespace engine {

namespace {

// Windows-1252's characters for 0x80-0x9F; the five holes keep their Latin-1 control code points.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string lowerAscii(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

bool isValidUtf8(const std::string& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t n = bytes.size(), i = 0;
    while (i < n) {
        unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t len;
        char32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + len > n) return false;
        for (std::size_t k = 1; k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) return false;
            cp = cp << 6 | (p[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
        if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

std::string utf8FromWindows1252(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        if (c >= 0x80 && c < 0xA0)
            appendUtf8(out, kWindows1252High[c - 0x80]);
        else
            appendUtf8(out, c);
    }
    return out;
}

std::string cleanTagText(const std::string& bytes) {
    std::string text = bytes.substr(0, bytes.find('\0'));
    return isValidUtf8(text) ? text : utf8FromWindows1252(text);
}

std::pair<std::string, std::string> splitStreamTitle(const std::string& streamTitle) {
    auto dash = streamTitle.find(" - ");
    if (dash == std::string::npos) return {std::string(), streamTitle};
    return {streamTitle.substr(0, dash), streamTitle.substr(dash + 3)};
}

std::vector<TagEntry> tagsFromMetadata(const std::vector<std::pair<std::string, std::string>>& metadata,
                                       const std::string& formatName) {
    FMOD_TAGTYPE fileType = FMOD_TAGTYPE_UNKNOWN;
    if (formatName.find("mp3") != std::string::npos) fileType = FMOD_TAGTYPE_ID3V2;
    if (formatName.find("ogg") != std::string::npos) fileType = FMOD_TAGTYPE_VORBISCOMMENT;

    std::vector<TagEntry> tags;
    // The ICY title follows the song on air; a file header's artist and title name only the first
    // song, so they must not win over it.
    bool hasStreamTitle = false;
    for (const auto& [key, value] : metadata) {
        if (lowerAscii(key) != "icy-title") continue;
        hasStreamTitle = true;
        auto [artist, title] = splitStreamTitle(cleanTagText(value));
        if (!artist.empty()) tags.push_back({"ARTIST", artist, FMOD_TAGTYPE_SHOUTCAST});
        tags.push_back({"TITLE", title, FMOD_TAGTYPE_SHOUTCAST});
    }
    for (const auto& [key, value] : metadata) {
        std::string lower = lowerAscii(key);
        if (lower == "icy-title") continue;
        bool isIcy = lower.rfind("icy-", 0) == 0;
        FMOD_TAGTYPE type = isIcy ? FMOD_TAGTYPE_SHOUTCAST : fileType;
        if (lower == "artist" || lower == "title") {
            if (hasStreamTitle) continue;
            tags.push_back({lower == "artist" ? "ARTIST" : "TITLE", cleanTagText(value), type});
        } else {
            tags.push_back({key, cleanTagText(value), type});
        }
    }
    // Artist and title first, so that a reader taking the first of each finds these.
    std::stable_partition(tags.begin(), tags.end(),
                          [](const TagEntry& t) { return t.name == "ARTIST" || t.name == "TITLE"; });
    return tags;
}

} // namespace engine
