#include "settings/diary_folder.h"
#include "settings/settings_files.h"
#include "store/paths.h"
#include "store/textfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

class SettingsFilesTest : public ::testing::Test {
protected:
    QString home() const { return dir.path(); }
    QByteArray file(const QString& path) const { return textfile::readFile(path).value_or("<missing>"); }
    QTemporaryDir dir;
};

TEST_F(SettingsFilesTest, ConnectionFileHasFiveTaggedLinesAndIsPrivate) {
    const ConnectionSettings s{u"ftp.example.jp"_s, QString(), u"pa;ss[word"_s, u"www/diary"_s, 1};
    ASSERT_TRUE(writeConnectionSettings(home(), u"diary"_s, s).ok());
    const QString path = paths::connectionIni(home(), u"diary"_s);
    EXPECT_EQ(file(path), QByteArray("[FTP]ftp.example.jp\r\n[UID]\r\n[PSW]pa;ss[word\r\n[DIR]www/diary\r\n[CHK]1\r\n"));
    EXPECT_EQ(QFile::permissions(path) & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup |
                                          QFileDevice::WriteOther),
              QFileDevice::Permissions());
    const ConnectionSettingsRead r = readConnectionSettings(home(), u"diary"_s);
    EXPECT_EQ(r.user, QString());
    EXPECT_EQ(r.password, u"pa;ss[word"_s);
    EXPECT_EQ(r.deleteAfterUpload, 1);
}

TEST_F(SettingsFilesTest, SizeFileKeepsFiveLinesOnClassicRulesAndAddsHolOnlyForTheLaw) {
    SizeSettings s{u"320"_s, u"240"_s, u"320"_s, u"256"_s, 0, HolidayRules::Classic};
    ASSERT_TRUE(writeSizeSettings(home(), u"diary"_s, s).ok());
    EXPECT_EQ(file(paths::sizeIni(home(), u"diary"_s)),
              QByteArray("[imw]320\r\n[imh]240\r\n[mow]320\r\n[moh]256\r\n[chk]0\r\n"));
    s.holidays = HolidayRules::Law;
    ASSERT_TRUE(writeSizeSettings(home(), u"diary"_s, s).ok());
    EXPECT_EQ(file(paths::sizeIni(home(), u"diary"_s)),
              QByteArray("[imw]320\r\n[imh]240\r\n[mow]320\r\n[moh]256\r\n[chk]0\r\n[hol]1\r\n"));
    const SizeSettingsRead r = readSizeSettings(home(), u"diary"_s);
    EXPECT_EQ(r.holidays, HolidayRules::Law);
    EXPECT_EQ(r.videoHeight, u"256"_s);
}

TEST(SettingsParsing, TagAnywhereValueFromSixthCharacterFirstTagInTableOrderLastLineWins) {
    const ConnectionSettingsRead r = parseConnectionSettings(" [FTP]host\r\n"
                                                            "[UID]name[PSW]x\r\n"
                                                            "[PSW]has[FTP]inside\r\n"
                                                            "[DIR]a\r\n"
                                                            "[DIR]b\r\n"
                                                            "no tag here\r\n");
    EXPECT_EQ(r.host, u"has[FTP]inside"_s) << "the password line holds [FTP], which is tested first";
    EXPECT_EQ(r.user, u"name[PSW]x"_s);
    EXPECT_FALSE(r.password) << "its only line was taken as a host line";
    EXPECT_EQ(r.remoteDir, u"b"_s);
    EXPECT_FALSE(r.deleteAfterUpload);
    EXPECT_FALSE(r.failed);

    const ConnectionSettingsRead spaced = parseConnectionSettings(" [FTP]host\r\n");
    EXPECT_EQ(spaced.host, u"]host"_s);
}

TEST(SettingsParsing, TagsAreCaseSensitiveAndUnknownLinesAreSkipped) {
    const SizeSettingsRead r = parseSizeSettings("[imw]1\n[CHK]1\r[mow]3\r\n[future]x\r\n");
    EXPECT_EQ(r.imageWidth, u"1"_s);
    EXPECT_FALSE(r.originalSize);
    EXPECT_EQ(r.videoWidth, u"3"_s);
    EXPECT_FALSE(r.holidays);
}

TEST(SettingsParsing, BadCheckValueStopsTheReadingKeepingWhatCameBefore) {
    const SizeSettingsRead r = parseSizeSettings("[imw]10\r\n[chk]yes\r\n[imh]20\r\n");
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(r.imageWidth, u"10"_s);
    EXPECT_FALSE(r.imageHeight);
    EXPECT_EQ(parseSizeSettings("[chk]2\r\n").originalSize, 2);
    EXPECT_TRUE(parseSizeSettings("[chk]3\r\n").failed);
}

TEST_F(SettingsFilesTest, ValuesThatCannotBeStoredAreRefusedAndTheOldFileStays) {
    ASSERT_TRUE(writeConnectionSettings(home(), u"diary"_s, {u"old"_s, {}, {}, {}, 0}).ok());
    const QString path = paths::connectionIni(home(), u"diary"_s);
    const QByteArray before = file(path);
    Outcome o = writeConnectionSettings(home(), u"diary"_s, {u"host"_s, {}, u"p😀"_s, {}, 0});
    EXPECT_EQ(o.msg, Msg::CannotEncode);
    EXPECT_EQ(o.args, QStringList{u"パスワード"_s});
    o = writeConnectionSettings(home(), u"diary"_s, {u"host"_s, u"a\nb"_s, {}, {}, 0});
    EXPECT_EQ(o.msg, Msg::LineBreakInSetting);
    EXPECT_EQ(file(path), before);
}

TEST_F(SettingsFilesTest, MissingFilesAreNotErrorsAndRenamedFoldersGetTheirOwnFiles) {
    EXPECT_FALSE(readConnectionSettings(home(), u"diary"_s).exists);
    EXPECT_FALSE(readSizeSettings(home(), u"diary"_s).exists);
    ASSERT_TRUE(writeSizeSettings(home(), u"old"_s, {}).ok());
    ASSERT_TRUE(writeSizeSettings(home(), u"new"_s, {}).ok());
    EXPECT_TRUE(QFile::exists(paths::sizeIni(home(), u"old"_s)));
    EXPECT_TRUE(QFile::exists(paths::sizeIni(home(), u"new"_s)));
}

TEST_F(SettingsFilesTest, FdirIniLastLineWinsEmptyFileKeepsTheDefault) {
    EXPECT_FALSE(readFdirIni(home()).exists);
    ASSERT_TRUE(writeFdirIni(home(), u"日記"_s).ok());
    EXPECT_EQ(file(paths::fdirIni(home())), textfile::encode(u"日記\r\n"));
    ASSERT_TRUE(textfile::writeFileAtomically(paths::fdirIni(home()), "a\r\nb\r\n").ok());
    EXPECT_EQ(readFdirIni(home()).folder, u"b"_s);
    ASSERT_TRUE(textfile::writeFileAtomically(paths::fdirIni(home()), "").ok());
    const FdirRead empty = readFdirIni(home());
    EXPECT_TRUE(empty.exists);
    EXPECT_FALSE(empty.folder);
}

TEST_F(SettingsFilesTest, UnwritableSettingsFolderIsReported) {
    // A file where the settings folder should be: nothing can be created under it, even by root.
    ASSERT_TRUE(textfile::writeFileAtomically(paths::iniFolder(home()), "not a folder").ok());
    EXPECT_EQ(writeFdirIni(home(), u"diary"_s).msg, Msg::FolderCreateFailed);
    EXPECT_EQ(writeSizeSettings(home(), u"diary"_s, {}).msg, Msg::FolderCreateFailed);
}

class DiaryFolderTest : public SettingsFilesTest {};

TEST_F(DiaryFolderTest, CreatesFolderImageAndTemplateCopiesReplacingOldOnes) {
    ASSERT_TRUE(textfile::writeFileAtomically(paths::templateCss(home()), "css").ok());
    ASSERT_TRUE(textfile::writeFileAtomically(paths::templateJs(home()), "js").ok());
    ASSERT_TRUE(QDir(home()).mkpath(u"mine"_s));
    ASSERT_TRUE(textfile::writeFileAtomically(home() + u"/mine/calender.css"_s, "stale").ok());
    const DiaryFolderCreation c = createDiaryFolder(home(), u"mine"_s);
    EXPECT_TRUE(c.outcome.ok());
    EXPECT_TRUE(c.templatesCopied);
    EXPECT_TRUE(QFileInfo(paths::imageFolder(home(), u"mine"_s)).isDir());
    EXPECT_EQ(file(home() + u"/mine/calender.css"_s), QByteArray("css"));
    EXPECT_EQ(file(home() + u"/mine/calender.js"_s), QByteArray("js"));
}

TEST_F(DiaryFolderTest, MissingTemplatesStillGiveTheImageFolder) {
    const DiaryFolderCreation c = createDiaryFolder(home(), u"bare"_s);
    EXPECT_TRUE(c.outcome.ok());
    EXPECT_FALSE(c.templatesCopied);
    EXPECT_TRUE(QFileInfo(paths::imageFolder(home(), u"bare"_s)).isDir());
}

TEST_F(DiaryFolderTest, FolderUnderAMissingParentFails) {
    EXPECT_EQ(createDiaryFolder(home(), u"no/such/parent"_s).outcome.msg, Msg::FolderCreateFailed);
}

TEST_F(DiaryFolderTest, UploadListShowsFoldersFirstThenFiles) {
    ASSERT_TRUE(QDir(home()).mkpath(u"diary/image"_s));
    ASSERT_TRUE(QDir(home()).mkpath(u"diary/old"_s));
    ASSERT_TRUE(textfile::writeFileAtomically(home() + u"/diary/200511.html"_s, "x").ok());
    ASSERT_TRUE(textfile::writeFileAtomically(home() + u"/diary/calender.css"_s, "x").ok());
    QStringList list = uploadListEntries(home(), u"diary"_s);
    ASSERT_EQ(list.size(), 4);
    EXPECT_TRUE(list[0].startsWith(u"[フォルダ]"_s));
    EXPECT_TRUE(list[1].startsWith(u"[フォルダ]"_s));
    EXPECT_TRUE(list[2].startsWith(u"[ファイル]"_s));
    list.sort();
    EXPECT_EQ(list, (QStringList{u"[ファイル]200511.html"_s, u"[ファイル]calender.css"_s, u"[フォルダ]image"_s,
                                 u"[フォルダ]old"_s}));
}

TEST(FolderCaption, IdeographicSpacesOutsideAsciiSpacesInsideTheBrackets) {
    EXPECT_EQ(folderCaption(u"diary"_s), u"　ただいま【 diary 】フォルダ内の日記を表示中です　"_s);
}
