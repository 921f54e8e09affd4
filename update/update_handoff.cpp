#include "update/update_handoff.h"

#include "common/program.h"
#include "platform/message_box.h"
#include "platform/system.h"
#include "settings/messages.h"
#include "update/update_check.h"

bool handOffToUpdater() {
    MessageAnswer answer = showMessageBox(messages.msgUpdateTitle, messages.msgUpdatePrompt,
                                          MessageIcon::none, MessageButtons::yesNo);
    if (answer != MessageAnswer::yes) return false;
    startProgramElevated(updaterPath(), baseFolder);
    return true;
}
