#pragma once

#include "calendar/holidays.h"

#include <QString>

namespace tsuzuri {

class DiarySession;

// Diary folders and their settings, for the session: switching to another folder (making it first when
// it is missing), the folder chooser, the name box, the two settings files, the upload list and the
// holiday rules. Each command is guarded like the session's own.
class FolderCommands {
public:
    explicit FolderCommands(DiarySession& session) : s_(session) {}

    // Shows the folder named in the name box, making it first when it is missing. Every switch, even to
    // the folder in use, reloads everything from disk.
    void switchFolder();
    // The folder chooser, opening in the program folder: a diary folder always lies directly inside it.
    void browseFolder();
    // The name box lost the focus: an edited name offers a switch.
    void leaveFolderText();

    void setHolidayRules(HolidayRules rules);
    // The save commands say nothing when the file was written; a refused value or a failed write is told,
    // and the previous file stays as it was.
    void saveConnection();
    void saveSizes();
    // The upload list and both settings files again, over whatever is on screen.
    void reload();

    // For the session's start-up and shut-down.
    void loadSettings();
    bool offerToCreate(const QString& name);

private:
    bool refusedName();
    void switchNow();
    void applyRules(HolidayRules rules);

    DiarySession& s_;
};

} // namespace tsuzuri
