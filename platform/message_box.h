// Modal message boxes of the player and the updater: title, text, an icon and OK or Yes/No,
// blocking until answered. Runs on the program's one thread; starts the toolkit when needed.
#pragma once

#include "common/text.h"

enum class MessageIcon { none, error, question };
enum class MessageButtons { ok, yesNo };
enum class MessageAnswer { none, ok, yes, no };

// Yes is the default button; Escape or closing the box answers No (OK for an OK box). The text is
// plain, line feeds break lines. `none` when no display can be opened.
MessageAnswer showMessageBox(const Text& title, const Text& text, MessageIcon icon, MessageButtons buttons);

// Boxes shown later belong to this window (a QWidget*) and stay above it; nullptr for no owner.
void setMessageBoxOwner(void* qwidget);
