// The INI-style line store behind the settings file: groups, comments and key lines kept in file
// order so that whatever a user added by hand survives a save. Used by settings.cpp (loadSettings,
// saveSettings); one store is open only for the length of one call, on the program's one thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"

enum class PreferenceLineKind { groupHeader, comment, keyLine };

// Texts are kept as UTF-8 bytes, as they go to disk; the functions below take and give UTF-16.
struct PreferenceLine {
    PreferenceLineKind kind = PreferenceLineKind::keyLine;
    std::string name;  // group name, comment text, or key
    std::string value; // key lines only
};

struct PreferencesFile {
    Text path;
    std::vector<PreferenceLine> lines;
    std::ptrdiff_t currentGroup = -1; // index of the current group header; -1: before the first one
    std::ptrdiff_t lastTouched = -1;  // -1: no line touched yet
    bool groupPending = false;        // selectPreferenceGroup found no header of that name
    std::string pendingGroup;
    bool changed = false;
    bool writable = false; // close may write the file back
    bool isOpen = false;
};

// Reads and parses an existing file. False when it cannot be read at all (missing, a folder,
// no permission); the store is then empty and closing it writes nothing. A file that can be
// read but not changed loads normally and is never written back.
bool openPreferences(PreferencesFile& file, const Text& path);

// Creates the file (or empties an existing, writable one) and starts an empty, changed store.
bool createPreferences(PreferencesFile& file, const Text& path);

// Makes the first group header of that name (ASCII letters folded) current; when there is none,
// reads give their defaults and the first write or comment appends the header at the end.
void selectPreferenceGroup(PreferencesFile& file, const Text& name);

// The first matching key of the current group, leading blanks skipped; else the default.
Text readPreferenceString(const PreferencesFile& file, const Text& key, const Text& defaultValue);

// Replaces the value in place (the key takes the caller's letter case) or appends the key at
// the end of the current group. CR and LF become blanks: a value can never split into lines.
void writePreferenceString(PreferencesFile& file, const Text& key, const Text& value);

// Inserts a comment after the last line touched, or at the top when none was.
void addPreferenceComment(PreferencesFile& file, const Text& text);

// Writes the file anew when the store changed (and the file may be changed), then forgets the
// store. False only when a write was due and failed.
bool closePreferences(PreferencesFile& file);

// The parsing and the on-disk form on their own, for the store above and for measuring.
void parsePreferences(PreferencesFile& file, std::string_view bytes);
std::string formatPreferences(const PreferencesFile& file);
