#include "diary/folder_commands.h"

#include "diary/diary_session.h"
#include "diary/messages.h"
#include "diary/unwritten_edits.h"
#include "settings/diary_folder.h"
#include "settings/password_store.h"
#include "settings/settings_files.h"
#include "store/paths.h"
#include "upload/upload_runner.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace tsuzuri {

namespace {

// The chosen folder's own name: the text after the last separator. A root ("/", "C:\") has none.
QString folderNameOf(const QString& path) {
    const qsizetype separator = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(separator + 1);
}

} // namespace

void FolderCommands::switchFolder() {
    s_.guarded([this] { switchNow(); });
}

// A name that is no single folder inside the program folder is refused at once, before any question, and
// the folder in use stays.
bool FolderCommands::refusedName() {
    const Outcome name = checkDiaryFolderName(s_.folderText_);
    if (name.ok())
        return false;
    s_.tell(name);
    s_.folderText_ = s_.loadedFolder_;
    s_.changed_ |= DiarySession::FolderPart;
    return true;
}

void FolderCommands::switchNow() {
    if (refusedName() || !s_.edits_->offerToWrite())
        return;
    s_.changed_ |= DiarySession::All;
    const QString name = s_.folderText_;
    if (QFileInfo(paths::diaryFolder(s_.home_, name)).isDir()) {
        s_.folderCaption_ = folderCaption(name);
    } else {
        // On No or a failure the folder in use stays in use.
        if (!offerToCreate(name))
            return;
        s_.entries_.clear();
    }
    // Nothing of the folder left behind shows in the next: its connection, its links and its site title go,
    // and the sizes start from the usual ones until the folder's own file says otherwise.
    ConnectionSettings& c = s_.connection_;
    c.host.clear();
    c.user.clear();
    c.password.clear();
    c.remoteDir.clear();
    c.protocol = Protocol::Ftp;
    c.port.clear();
    const HolidayRules rules = s_.sizes_.holidays;
    s_.sizes_ = defaultSizes();
    s_.sizes_.holidays = rules;
    s_.links_ = {};
    s_.siteTitle_.clear();
    emit s_.diaryTabRequested();
    s_.reloadFlag_ = true;
    if (s_.runStartup())
        emit s_.statusMessage(messageText(Msg::FolderSwitched, {name}));
}

// Asks to create the missing diary folder name; true once it exists. On No or a failure the loaded
// folder's name goes back into the box.
bool FolderCommands::offerToCreate(const QString& name) {
    s_.changed_ |= DiarySession::FolderPart;
    if (s_.ask(Outcome::failure(Msg::FolderMissingCreate, {name})) != Answer::Yes) {
        s_.folderText_ = s_.loadedFolder_;
        return false;
    }
    const DiaryFolderCreation made = createDiaryFolder(s_.home_, name);
    if (!made.outcome.ok()) {
        s_.tell(made.outcome);
        s_.folderText_ = s_.loadedFolder_;
        return false;
    }
    if (!made.templatesCopied)
        s_.tell(messageText(Msg::TemplatesNotCopied));
    s_.folderCaption_ = folderCaption(name);
    s_.tell(Outcome::failure(Msg::FolderCreated, {name}));
    return true;
}

void FolderCommands::browseFolder() {
    s_.guarded([this] {
        FolderChooser* chooser = s_.services_.folders;
        if (!chooser)
            return;
        const std::optional<QString> chosen = chooser->chooseFolder(u"日記フォルダを選択して下さい"_s, s_.home_);
        if (!chosen)
            return;
        // Diary folders live inside the program folder: a folder chosen elsewhere is not one, whatever its
        // name, and taking only its name would show another folder than the one chosen.
        const QString parent = QFileInfo(QFileInfo(*chosen).absolutePath()).canonicalFilePath();
        if (parent.isEmpty() || parent != QFileInfo(s_.home_).canonicalFilePath())
            return s_.tell(Outcome::failure(Msg::FolderOutsideProgram, {QDir::toNativeSeparators(s_.home_)}));
        s_.folderText_ = folderNameOf(*chosen);
        s_.changed_ |= DiarySession::FolderPart;
        switchNow();
    });
}

void FolderCommands::leaveFolderText() {
    s_.guarded([this] {
        // Before a start-up has shown a folder there is nothing to switch from.
        if (s_.folderCaption_.isEmpty() || s_.folderText_ == s_.loadedFolder_ || refusedName())
            return;
        if (s_.ask(Outcome::failure(Msg::FolderNameChanged)) == Answer::Yes) {
            switchNow();
        } else {
            s_.folderText_ = s_.loadedFolder_;
            s_.changed_ |= DiarySession::FolderPart;
        }
    });
}

void FolderCommands::saveConnection() {
    s_.guarded([this] {
        const ConnectionSaved saved =
            saveConnectionSettings(s_.home_, s_.folderText_, s_.connection_, s_.services_.passwords);
        if (!saved.outcome.ok())
            return s_.tell(saved.outcome);
        // Said once: the password lands in the file, there being no keyring to hold it.
        if (!saved.notice.ok())
            s_.tell(saved.notice);
        const QString file = QDir::toNativeSeparators(paths::connectionIni(s_.home_, s_.folderText_));
        emit s_.statusMessage(messageText(Msg::SettingsSaved, {file}));
    });
}

void FolderCommands::saveSizes() {
    s_.guarded([this] {
        SizeSettings sizes = s_.sizes_;
        Outcome written = checkSizes(sizes);
        if (written.ok())
            written = writeSizeSettings(s_.home_, s_.folderText_, sizes);
        if (!written.ok())
            return s_.tell(written);
        s_.sizes_ = sizes; // as saved: half-width digits
        s_.changed_ |= DiarySession::SettingsPart;
        const QString file = QDir::toNativeSeparators(paths::sizeIni(s_.home_, s_.folderText_));
        emit s_.statusMessage(messageText(Msg::SettingsSaved, {file}));
    });
}

void FolderCommands::reload() {
    s_.guarded([this] { loadSettings(); });
}

// The per-folder part of opening a diary folder: the folder itself (made when missing), the upload list
// and the two settings files. A key the files do not hold keeps what is on screen.
void FolderCommands::loadSettings() {
    s_.changed_ |= DiarySession::FolderPart | DiarySession::SettingsPart;
    s_.uploadList_.clear();
    const QString& home = s_.home_;
    const QString folder = s_.folderText_;
    if (!QFileInfo(paths::diaryFolder(home, folder)).isDir()) {
        const DiaryFolderCreation made = createDiaryFolder(home, folder);
        if (!made.outcome.ok()) {
            s_.tell(made.outcome);
            return;
        }
        s_.entries_.clear();
    } else if (!QFileInfo(paths::imageFolder(home, folder)).isDir()) {
        s_.tell(messageText(Msg::ImageFolderMissing));
        s_.imageFolderMissing_ = true;
        return;
    }
    s_.uploadList_ = uploadListEntries(home, folder);

    const ConnectionSettingsRead c = loadConnectionSettings(home, folder, s_.services_.passwords);
    ConnectionSettings& connection = s_.connection_;
    connection.host = c.host.value_or(connection.host);
    connection.user = c.user.value_or(connection.user);
    connection.password = c.password.value_or(connection.password);
    connection.remoteDir = c.remoteDir.value_or(connection.remoteDir);
    connection.deleteAfterUpload = c.deleteAfterUpload.value_or(connection.deleteAfterUpload);
    connection.protocol = c.protocol.value_or(connection.protocol);
    connection.port = c.port.value_or(connection.port);
    // Once something of this folder reached this server, the next upload sends only what changed.
    s_.onlyChanged_ = upload::hasUploadRecord(home, folder, connection);
    if (c.failed)
        return s_.tell(messageText(Msg::SettingsLoadFailed));

    const SizeSettingsRead z = readSizeSettings(home, folder);
    SizeSettings& sizes = s_.sizes_;
    sizes.imageWidth = z.imageWidth.value_or(sizes.imageWidth);
    sizes.imageHeight = z.imageHeight.value_or(sizes.imageHeight);
    sizes.videoWidth = z.videoWidth.value_or(sizes.videoWidth);
    sizes.videoHeight = z.videoHeight.value_or(sizes.videoHeight);
    sizes.originalSize = z.originalSize.value_or(sizes.originalSize);
    if (z.failed)
        return s_.tell(messageText(Msg::SettingsLoadFailed));
    // A folder whose file has no [hol] line (or that has no file) follows the law.
    applyRules(z.holidays.value_or(HolidayRules::Law));
}

void FolderCommands::setHolidayRules(HolidayRules rules) {
    s_.guarded([this, rules] { applyRules(rules); });
}

// The shown month is redrawn at once, even when other numbers were typed into the month boxes without a
// month command; the selected day stays selected, and names of the other rules do not linger.
void FolderCommands::applyRules(HolidayRules rules) {
    s_.changed_ |= DiarySession::SettingsPart;
    if (rules == s_.sizes_.holidays)
        return;
    s_.sizes_.holidays = rules;
    if (s_.shownYear_.isEmpty())
        return; // no month drawn yet
    std::array<bool, 43> selected{};
    for (int k = 1; k <= 42; ++k)
        selected[k] = s_.cells_[k].selected;
    s_.holidayNames_.fill({});
    s_.drawCalendar(s_.shownYear_, s_.shownMonth_);
    for (int k = 1; k <= 42; ++k)
        s_.cells_[k].selected = selected[k];
}

} // namespace tsuzuri
