#include "diary/media_commands.h"

#include "diary/diary_session.h"
#include "diary/messages.h"
#include "launch/launch_commands.h"
#include "media/media_files.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace tsuzuri {

namespace {

QString shownPaths(const QStringList& paths) {
    QStringList out;
    for (const QString& p : paths)
        out << QDir::toNativeSeparators(p);
    return out.join(u"\r\n"_s);
}

} // namespace

MediaCommands::MediaCommands(DiarySession& session) : s_(session), lastFolder_(QDir::homePath()) {}

void MediaCommands::browse() {
    s_.guarded([this] {
        if (!s_.services_.files)
            return;
        const OpenFilesRequest request{
            u"画像/動画ファイルの選択"_s,
            lastFolder_,
            {u"すべてのファイル (*.*)"_s, u"画像/動画 ファイル (*.jpg *.jpeg *.gif *.png *.bmp *.mp4)"_s},
            1,
        };
        const std::optional<QStringList> chosen = s_.services_.files->openFiles(request);
        if (!chosen || chosen->isEmpty())
            return;
        lastFolder_ = QFileInfo(chosen->first()).absolutePath();
        attach(*chosen);
    });
}

void MediaCommands::drop(const QStringList& paths) {
    s_.guarded([this, &paths] {
        attach(paths);
        emit s_.focusRequested(DiarySession::Focus::Media);
    });
}

void MediaCommands::attach(const QStringList& paths) {
    media::AttachRequest request;
    request.home = s_.home_;
    request.folder = s_.folderText_;
    request.paths = paths;
    request.sameName = [this](const QString& name, const QString& free) {
        const Answer answer =
            s_.services_.messages->ask(messageText(Msg::ReplaceExisting, {name, free}), Buttons::ReplaceRenameCancel);
        return answer == Answer::Replace  ? media::SameName::Replace
               : answer == Answer::Rename ? media::SameName::Rename
                                          : media::SameName::Keep;
    };
    request.observer = s_.services_.copyProgress;
    const media::AttachResult result = media::attachFiles(request);

    // Only names whose file now lies in image: a name without its file is a broken picture on the page.
    if (!result.appended.isEmpty()) {
        s_.editor_.media = media::appendNames(s_.editor_.media, result.appended);
        s_.changed_ |= DiarySession::EditorPart;
    }
    // Each kind of trouble is told once per batch, naming everything it left out.
    if (!result.rejected.isEmpty())
        s_.tell(Outcome::failure(Msg::DropRejected, {shownPaths(result.rejected)}));
    if (!result.unusable.isEmpty())
        s_.tell(Outcome::failure(Msg::MediaNameUnusable, {shownPaths(result.unusable)}));
    if (!result.failed.isEmpty())
        s_.tell(Outcome::failure(Msg::CopyFailed, {result.failed.join(u"\r\n"_s)}));
}

bool MediaCommands::leaveBox() {
    bool stays = false;
    s_.guarded([this, &stays] {
        const QString& names = s_.editor_.media;
        if (!names.isEmpty() && !names.endsWith(u';')) {
            s_.tell(messageText(Msg::MediaNamesUnterminated));
            emit s_.focusRequested(DiarySession::Focus::Media);
            stays = true;
            return;
        }
        if (s_.sizes_.imageWidth.isEmpty() || s_.sizes_.imageHeight.isEmpty())
            s_.tell(messageText(Msg::ImageSizeNotSet));
    });
    return !stays;
}

void MediaCommands::openInBrowser() {
    openPage([](const launch::Environment& env, const QString& page) {
        return std::optional<launch::Command>(launch::browserCommand(env, page));
    });
}

void MediaCommands::openSource() {
    openPage(launch::textEditorCommand);
}

void MediaCommands::openPage(
    const std::function<std::optional<launch::Command>(const launch::Environment&, const QString&)>& command) {
    s_.guarded([this, &command] {
        Launcher* launcher = s_.services_.launcher;
        const QString page = launcher ? pageToOpen() : QString();
        if (page.isEmpty())
            return;
        const std::optional<launch::Command> program = command(launcher->environment(), page);
        Outcome started = Outcome::failure(Msg::NoTextEditor);
        if (program && program->kind == launch::Command::Kind::Unavailable)
            started = Outcome::failure(Msg::NoTerminalForEditor, {program->displayName});
        else if (program)
            started = launcher->start(*program);
        if (!started.ok())
            s_.tell(started);
    });
}

// The page of the month the calendar boxes name. A page not written yet is offered to be written first
// when it is the month on screen, else said to be missing: a browser or editor given a missing file only
// shows an error of its own.
QString MediaCommands::pageToOpen() {
    const QString page = launch::pagePath(s_.home_, s_.folderText_, s_.yearText_, s_.monthText_);
    if (QFileInfo::exists(page))
        return page;
    const QString name = QFileInfo(page).fileName();
    const bool shownMonth = launch::pagePath(s_.home_, s_.folderText_, s_.shownYear_, s_.shownMonth_) == page;
    if (!shownMonth) {
        s_.tell(Outcome::failure(Msg::PageDoesNotExist, {name}));
        return {};
    }
    if (s_.ask(Outcome::failure(Msg::PageNotYetWritten, {name})) != Answer::Yes)
        return {};
    return s_.writeMonth(s_.folderText_, DiarySession::WriteFor::Generate) == GenerateResult::Written ? page
                                                                                                      : QString();
}

} // namespace tsuzuri
