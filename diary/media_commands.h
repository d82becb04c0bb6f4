#pragma once

#include "launch/launch_commands.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tsuzuri {

class DiarySession;

// The editor's images and videos, and the month page in other programs, for the session. Each command is
// guarded like the session's own.
class MediaCommands {
public:
    explicit MediaCommands(DiarySession& session);

    // The open-file dialog; the chosen files are attached and the dialog opens in their folder next time.
    void browse();
    // Files dropped on the media box, in the drop's order; the box takes the focus afterwards.
    void drop(const QStringList& paths);
    // The checks when the media box is left for another control; false when the focus belongs back in it.
    bool leaveBox();

    // Both name the month the calendar boxes show, whether or not its page exists yet: the started
    // program reports a missing page itself.
    void openInBrowser();
    void openSource();

private:
    void attach(const QStringList& paths);
    void
    openPage(const std::function<std::optional<launch::Command>(const launch::Environment&, const QString&)>& command);
    QString pageToOpen();

    DiarySession& s_;
    QString lastFolder_;
};

} // namespace tsuzuri
