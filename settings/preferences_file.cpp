#include "settings/preferences_file.h"

#include <algorithm>

#include "platform/files.h"

namespace {

constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view lineEnd = "\r\n";

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view skipLeadingBlanks(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && isBlank(s[i]))
        ++i;
    return s.substr(i);
}

// Both sides are UTF-8, whose multi-byte sequences never hold ASCII bytes, so folding byte by
// byte folds exactly the ASCII letters.
bool equalsFoldBytes(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x + 32);
        if (y >= 'A' && y <= 'Z') y = char(y + 32);
        if (x != y) return false;
    }
    return true;
}

std::string latin1ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out.push_back(c);
        } else {
            out.push_back(static_cast<char>(0xC0 | (b >> 6)));
            out.push_back(static_cast<char>(0x80 | (b & 0x3F)));
        }
    }
    return out;
}

// A line break inside a stored text would turn into lines of its own on the next read.
std::string storedText(const Text& text) {
    std::string s = encodeUtf8(text);
    for (char& c : s)
        if (c == '\r' || c == '\n') c = ' ';
    return s;
}

void parseLine(PreferencesFile& file, std::string_view line) {
    line = skipLeadingBlanks(line);
    if (line.empty()) return;
    PreferenceLine entry;
    if (line[0] == ';') {
        entry.kind = PreferenceLineKind::comment;
        line.remove_prefix(1);
        if (!line.empty() && line[0] == ' ') line.remove_prefix(1);
        entry.name = line;
    } else if (line[0] == '[') {
        entry.kind = PreferenceLineKind::groupHeader;
        line.remove_prefix(1);
        entry.name = line.substr(0, line.find(']'));
    } else {
        entry.kind = PreferenceLineKind::keyLine;
        std::size_t equals = line.find('=');
        std::string_view key = line.substr(0, equals);
        while (!key.empty() && isBlank(key.back()))
            key.remove_suffix(1);
        entry.name = key;
        if (equals != std::string_view::npos) entry.value = skipLeadingBlanks(line.substr(equals + 1));
    }
    file.lines.push_back(std::move(entry));
}

// The lines of the current group: after its header up to the next header or the end.
std::pair<std::size_t, std::size_t> currentSection(const PreferencesFile& file) {
    std::size_t begin = static_cast<std::size_t>(file.currentGroup + 1);
    std::size_t end = begin;
    while (end < file.lines.size() && file.lines[end].kind != PreferenceLineKind::groupHeader)
        ++end;
    return {begin, end};
}

// The header of a group that was selected but did not exist goes in with the first write.
void makePendingGroup(PreferencesFile& file) {
    if (!file.groupPending) return;
    file.lines.push_back({PreferenceLineKind::groupHeader, file.pendingGroup, {}});
    file.currentGroup = static_cast<std::ptrdiff_t>(file.lines.size()) - 1;
    file.lastTouched = file.currentGroup;
    file.groupPending = false;
    file.pendingGroup.clear();
    file.changed = true;
}

Text folderOf(const Text& path) {
    std::size_t slash = path.rfind(u'/');
    return slash == Text::npos ? Text(u".") : path.substr(0, slash + 1);
}

} // namespace

void parsePreferences(PreferencesFile& file, std::string_view bytes) {
    file.lines.clear();
    std::string text;
    if (bytes.size() >= byteOrderMark.size() && bytes.substr(0, byteOrderMark.size()) == byteOrderMark)
        text = bytes.substr(byteOrderMark.size());
    else
        text = latin1ToUtf8(bytes);
    file.lines.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    std::string_view rest = text;
    while (!rest.empty()) {
        std::size_t start = rest.find_first_not_of(lineEnd);
        if (start == std::string_view::npos) break;
        rest.remove_prefix(start);
        std::size_t end = rest.find_first_of(lineEnd);
        parseLine(file, rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
    }
}

std::string formatPreferences(const PreferencesFile& file) {
    std::string out;
    std::size_t size = byteOrderMark.size() + 2;
    for (const auto& line : file.lines)
        size += line.name.size() + line.value.size() + 6;
    out.reserve(size);
    out += byteOrderMark;
    out += lineEnd;
    bool firstHeader = true;
    for (const auto& line : file.lines) {
        switch (line.kind) {
        case PreferenceLineKind::groupHeader:
            if (!firstHeader) out += lineEnd;
            firstHeader = false;
            out += '[';
            out += line.name;
            out += ']';
            break;
        case PreferenceLineKind::comment:
            out += "; ";
            out += line.name;
            break;
        case PreferenceLineKind::keyLine:
            out += line.name;
            out += '=';
            out += line.value;
            break;
        }
        out += lineEnd;
    }
    return out;
}

bool openPreferences(PreferencesFile& file, const Text& path) {
    file = PreferencesFile{};
    file.path = path;
    auto bytes = readWholeFile(path);
    if (!bytes) return false;
    parsePreferences(file, *bytes);
    file.writable = fileWritable(path);
    file.isOpen = true;
    return true;
}

bool createPreferences(PreferencesFile& file, const Text& path) {
    file = PreferencesFile{};
    file.path = path;
    // A file that is read-only stays as it is, even for an administrator.
    if (folderExists(path) || (fileExists(path) && !fileWritable(path))) return false;
    if (!writeWholeFile(path, {})) return false;
    file.isOpen = true;
    file.writable = true;
    file.changed = true;
    return true;
}

void selectPreferenceGroup(PreferencesFile& file, const Text& name) {
    std::string wanted = storedText(name);
    for (std::size_t i = 0; i < file.lines.size(); ++i) {
        const auto& line = file.lines[i];
        if (line.kind == PreferenceLineKind::groupHeader && equalsFoldBytes(line.name, wanted)) {
            file.currentGroup = static_cast<std::ptrdiff_t>(i);
            file.groupPending = false;
            file.pendingGroup.clear();
            return;
        }
    }
    file.currentGroup = -1;
    file.groupPending = true;
    file.pendingGroup = std::move(wanted);
}

Text readPreferenceString(const PreferencesFile& file, const Text& key, const Text& defaultValue) {
    if (file.groupPending) return defaultValue;
    std::string wanted = storedText(key);
    auto [begin, end] = currentSection(file);
    for (std::size_t i = begin; i < end; ++i) {
        const auto& line = file.lines[i];
        if (line.kind == PreferenceLineKind::keyLine && equalsFoldBytes(line.name, wanted))
            return decodeUtf8(skipLeadingBlanks(line.value));
    }
    return defaultValue;
}

void writePreferenceString(PreferencesFile& file, const Text& key, const Text& value) {
    makePendingGroup(file);
    std::string storedKey = storedText(key);
    auto [begin, end] = currentSection(file);
    for (std::size_t i = begin; i < end; ++i) {
        auto& line = file.lines[i];
        if (line.kind == PreferenceLineKind::keyLine && equalsFoldBytes(line.name, storedKey)) {
            line.name = std::move(storedKey);
            line.value = storedText(value);
            file.lastTouched = static_cast<std::ptrdiff_t>(i);
            file.changed = true;
            return;
        }
    }
    file.lines.insert(file.lines.begin() + static_cast<std::ptrdiff_t>(end),
                      {PreferenceLineKind::keyLine, std::move(storedKey), storedText(value)});
    file.lastTouched = static_cast<std::ptrdiff_t>(end);
    file.changed = true;
}

void addPreferenceComment(PreferencesFile& file, const Text& text) {
    makePendingGroup(file);
    std::ptrdiff_t at = file.lastTouched + 1;
    file.lines.insert(file.lines.begin() + at, {PreferenceLineKind::comment, storedText(text), {}});
    if (file.currentGroup >= at) ++file.currentGroup;
    file.lastTouched = at;
    file.changed = true;
}

bool closePreferences(PreferencesFile& file) {
    bool ok = true;
    if (file.isOpen && file.changed && file.writable) {
        std::string bytes = formatPreferences(file);
        ok = replaceFileAtomically(file.path, bytes);
        // A writable file in a folder we may not add files to can still be saved in place.
        if (!ok && !folderWritable(folderOf(file.path))) ok = writeWholeFile(file.path, bytes);
    }
    file = PreferencesFile{};
    return ok;
}
