// Permission bits of files the program writes itself: the updater and the new player must be
// runnable after they land on disk. Used by update/ and the updater; safe from any thread.
#pragma once

#include "common/text.h"

// Gives every class that may read the file the right to run it (0644 becomes 0755, 0600 becomes
// 0700). False when the file is missing or its mode cannot be changed.
bool makeExecutable(const Text& path);
