// The question that hands the player over to the updater, and the updater's start. Called by
// start-up right after checkForUpdate returned 1; blocks until the user answers.
#pragma once

// Asks whether to update now (msgUpdateTitle / msgUpdatePrompt, Yes and No). On Yes starts the
// updater in baseFolder with the rights to replace the player there, and returns true: start-up
// must end, whether or not the updater could be started. On No returns false.
bool handOffToUpdater();
