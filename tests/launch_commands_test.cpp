#include "launch/launch_commands.h"
#include "store/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tsuzuri::launch;

namespace {

const QString kPage = u"/opt/My Programs/Tsuzuri 1.3/diary/200511.html"_s;

bool writeBytes(const QString& path, const QByteArray& bytes) {
    return QDir().mkpath(QFileInfo(path).path()) && tsuzuri::textfile::writeFileAtomically(path, bytes).ok();
}

Command program(const QString& name, const QStringList& args, const QString& shown = {}) {
    return {Command::Kind::Program, name, args, QString(), shown.isEmpty() ? name : shown};
}

} // namespace

TEST(PreviewCommands, PagePathTakesTheBoxesAsTheyStand_OnMacAndWindowsThePageIsOneArgument) {
    EXPECT_EQ(pagePath(u"/h"_s, u"d"_s, u"2005"_s, u"3"_s), u"/h/d/20053.html"_s)
        << "a month box holding one digit names a page that does not exist; the browser says so";
    Environment env;
    env.platform = Platform::MacOS;
    EXPECT_EQ(browserCommand(env, kPage), program(u"open"_s, {kPage}));
    EXPECT_EQ(textEditorCommand(env, kPage), program(u"open"_s, {u"-e"_s, kPage}, u"TextEdit"_s));
    env.platform = Platform::Windows;
    const Command win = browserCommand(env, kPage);
    EXPECT_EQ(win.kind, Command::Kind::ShellOpen);
    EXPECT_EQ(win.target, kPage);
    EXPECT_EQ(textEditorCommand(env, kPage), program(u"notepad"_s, {kPage}));
}

TEST(DesktopExec, FieldCodesQuotingAndEscapes) {
    const std::pair<QString, QStringList> cases[] = {
        {u"gedit %U"_s, {u"gedit"_s, kPage}},
        {u"kate -b %u"_s, {u"kate"_s, u"-b"_s, kPage}},
        {u"mousepad %i %c --opt %k %F"_s, {u"mousepad"_s, u"--opt"_s, kPage}}, // other field codes dropped
        {u"xed"_s, {u"xed"_s, kPage}},                                         // no field code: the path last
        {u"\"/opt/My Editor/bin/ed it\" --file=%f 100%%"_s,
         {u"/opt/My Editor/bin/ed it"_s, u"--file="_s + kPage, u"100%"_s}},
        // A quoted %f is text, so a path never lands inside a shell string.
        {u"sh -c \"edit \\\"$1\\\" %f\""_s, {u"sh"_s, u"-c"_s, u"edit \"$1\" %f"_s, kPage}},
        {u"  "_s, {}},
    };
    for (const auto& [exec, args] : cases)
        EXPECT_EQ(expandDesktopExec(exec, kPage), args) << exec.toStdString();
}

TEST(DesktopExec, EntryGroupOnlyWithStringEscapesAndTerminalOrHiddenEntriesRefused) {
    EXPECT_EQ(desktopEntryExec("[Desktop Action new]\nExec=other --new\n"
                               "[Desktop Entry]\nName=Ed\nExec = /opt/a\\sb/ed %f\n"
                               "[Desktop Action x]\nExec=wrong\n"),
              std::optional<QString>(u"/opt/a b/ed %f"_s));
    EXPECT_EQ(desktopEntryExec("[Desktop Entry]\nExec=vim %F\nTerminal=true\n"), std::nullopt)
        << "started without a terminal it would never be seen";
    EXPECT_EQ(desktopEntryExec("[Desktop Entry]\nExec=ed\nHidden=true\n"), std::nullopt);
    EXPECT_EQ(desktopEntryExec("[Desktop Entry]\nName=NoExec\n"), std::nullopt);
}

class TextEditorLinuxTest : public ::testing::Test {
protected:
    void SetUp() override {
        env.platform = Platform::Linux;
        env.variables.insert(u"HOME"_s, dir.path() + u"/home"_s);
        env.variables.insert(u"XDG_DATA_DIRS"_s, dir.path() + u"/local:"_s + dir.path() + u"/usr"_s);
        env.defaultTextEditorId = [this] { return mimeAnswer; };
    }
    QString data(const QString& rel) const { return dir.path() + u'/' + rel; }
    QTemporaryDir dir;
    Environment env;
    QString mimeAnswer;
};

TEST_F(TextEditorLinuxTest, DesktopDefaultFoundInDataDirsInPrecedenceOrder_PrefixedIdInItsSubfolder) {
    ASSERT_TRUE(writeBytes(data(u"usr/applications/org.example.Ed.desktop"_s), "[Desktop Entry]\nExec=usr-ed %U\n"));
    ASSERT_TRUE(writeBytes(data(u"local/applications/org.example.Ed.desktop"_s),
                           "[Desktop Entry]\nExec=local-ed --new-window %F\n"));
    mimeAnswer = u"org.example.Ed.desktop\n"_s;
    env.variables.insert(u"EDITOR"_s, u"vi"_s);
    EXPECT_EQ(textEditorCommand(env, kPage), program(u"local-ed"_s, {u"--new-window"_s, kPage}));

    ASSERT_TRUE(writeBytes(data(u"home/.local/share/applications/org.example.Ed.desktop"_s),
                           "[Desktop Entry]\nExec=mine %f\n"));
    EXPECT_EQ(textEditorCommand(env, kPage), program(u"mine"_s, {kPage})) << "the user's own data folder first";
    env.variables.insert(u"XDG_DATA_HOME"_s, data(u"elsewhere"_s));
    EXPECT_EQ(textEditorCommand(env, kPage), program(u"local-ed"_s, {u"--new-window"_s, kPage}));

    ASSERT_TRUE(writeBytes(data(u"usr/applications/kde4/kate.desktop"_s), "[Desktop Entry]\nExec=kate %U\n"));
    mimeAnswer = u"kde4-kate.desktop"_s;
    EXPECT_EQ(textEditorCommand(env, kPage), program(u"kate"_s, {kPage}));
}

TEST_F(TextEditorLinuxTest, FallsBackToVisualThenEditor_WithThePageStillOneArgument) {
    env.variables.insert(u"EDITOR"_s, u"   "_s);
    EXPECT_EQ(textEditorCommand(env, kPage), std::nullopt);
    env.variables.insert(u"EDITOR"_s, u"mousepad"_s);
    EXPECT_EQ(textEditorCommand(env, kPage), program(u"mousepad"_s, {kPage}));
    // An editor that runs in a terminal goes into the terminal emulator, or is said to be unavailable.
    env.variables.insert(u"EDITOR"_s, u"/usr/bin/nano -w"_s);
    env.variables.insert(u"PATH"_s, data(u"bin"_s));
    EXPECT_EQ(textEditorCommand(env, kPage)->kind, Command::Kind::Unavailable);
    EXPECT_EQ(textEditorCommand(env, kPage)->displayName, u"/usr/bin/nano"_s);
    const QString terminal = data(u"bin/x-terminal-emulator"_s);
    ASSERT_TRUE(writeBytes(terminal, "#!/bin/sh\n"));
    QFile::setPermissions(terminal, QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_EQ(textEditorCommand(env, kPage),
              program(terminal, {u"-e"_s, u"/usr/bin/nano"_s, u"-w"_s, kPage}, u"/usr/bin/nano"_s));
    env.variables.insert(u"VISUAL"_s, u"code --wait"_s);
    EXPECT_EQ(textEditorCommand(env, kPage), program(u"code"_s, {u"--wait"_s, kPage}));
    ASSERT_TRUE(writeBytes(data(u"x.desktop"_s), "[Desktop Entry]\nExec=evil %f\n"));
    mimeAnswer = u"../../x.desktop"_s;
    EXPECT_EQ(findDesktopFile(env, mimeAnswer), QString());
}
