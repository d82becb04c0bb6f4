#include "settings/diary_folder.h"
#include "settings/password_store.h"
#include "settings/settings_files.h"
#include "store/paths.h"
#include "store/textfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "fakes.h"
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

// The size file's lines and read-back: the session's settings and holiday tests.
TEST_F(SettingsFilesTest, MissingFilesAreNoErrors_ConnectionFileIsPrivate) {
    EXPECT_FALSE(readConnectionSettings(home(), u"diary"_s).exists);
    EXPECT_FALSE(readSizeSettings(home(), u"diary"_s).exists);
    ASSERT_TRUE(writeConnectionSettings(home(), u"diary"_s, {u"ftp.example.jp"_s, u"me"_s, u"pw"_s, {}, 0}).ok());
    EXPECT_EQ(QFile::permissions(paths::connectionIni(home(), u"diary"_s)) &
                  (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup | QFileDevice::WriteOther),
              QFileDevice::Permissions());
}

TEST(SettingsParsing, TagAnywhereValueFromSixthCharacterFirstTagInTableOrderLastLineWins) {
    const ConnectionSettingsRead r = parseConnectionSettings("[UID]name[PSW]x\r\n"
                                                             "[PSW]has[FTP]inside\r\n"
                                                             "[DIR]a\r\n"
                                                             "[DIR]b\r\n"
                                                             "no tag here\r\n");
    EXPECT_EQ(r.host, u"has[FTP]inside"_s) << "the password line holds [FTP], which is tested first";
    EXPECT_EQ(r.user, u"name[PSW]x"_s);
    EXPECT_FALSE(r.password) << "its only line was taken as a host line";
    EXPECT_EQ(r.remoteDir, u"b"_s);
    EXPECT_FALSE(r.failed);
}

TEST(SettingsParsing, SizeTagsAreCaseSensitive_AnyLineBreakEndsALine_ABadCheckValueStopsTheReading) {
    SizeSettingsRead r = parseSizeSettings("[imw]1\n[CHK]1\r[mow]3\r\n[future]x\r\n");
    EXPECT_EQ(r.imageWidth, u"1"_s);
    EXPECT_FALSE(r.originalSize);
    EXPECT_EQ(r.videoWidth, u"3"_s);
    EXPECT_EQ(r.holidays, HolidayRules::Law) << "no [hol] line means the law";
    EXPECT_FALSE(r.failed);
    EXPECT_EQ(parseSizeSettings("[hol]0\r\n").holidays, HolidayRules::Classic);
    EXPECT_EQ(parseSizeSettings("[hol]0\r\n[hol]1\r\n").holidays, HolidayRules::Law) << "as earlier versions wrote it";

    r = parseSizeSettings("[imw]10\r\n[chk]yes\r\n[imh]20\r\n");
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(r.imageWidth, u"10"_s) << "what came before is kept";
    EXPECT_FALSE(r.imageHeight);
    EXPECT_TRUE(parseSizeSettings("[chk]3\r\n").failed);
}

TEST_F(SettingsFilesTest, ValuesThatCannotBeStoredAreRefusedNamingTheField_NoFileIsChanged) {
    ASSERT_TRUE(writeFdirIni(home(), u"diary"_s).ok());
    ASSERT_TRUE(writeConnectionSettings(home(), u"diary"_s, {u"old"_s, {}, {}, {}, 0}).ok());
    const auto files = [&] {
        return file(paths::fdirIni(home())) + file(paths::connectionIni(home(), u"diary"_s)) +
               file(paths::sizeIni(home(), u"diary"_s));
    };
    const QByteArray before = files();
    SizeSettings video;
    video.videoWidth = u"３２０😀"_s;
    const struct {
        Outcome outcome;
        Msg msg;
        QString field;
    } cases[] = {
        {writeConnectionSettings(home(), u"diary"_s, {u"host"_s, {}, u"p😀"_s, {}, 0}), Msg::CannotEncode,
         u"パスワード"_s},
        {writeSizeSettings(home(), u"diary"_s, video), Msg::CannotEncode, u"動画サイズの横幅"_s},
        {writeFdirIni(home(), u"日記😀"_s), Msg::CannotEncode, u"日記フォルダ名"_s},
        {writeConnectionSettings(home(), u"diary"_s, {u"host"_s, u"a\nb"_s, {}, {}, 0}), Msg::LineBreakInSetting,
         u"ユーザーID"_s},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.outcome.msg, c.msg) << c.field.toStdString();
        EXPECT_EQ(c.outcome.args, QStringList{c.field});
    }
    EXPECT_EQ(files(), before);
}

TEST_F(SettingsFilesTest, UnwritableSettingsFolderIsReported) {
    // A file where the settings folder should be: nothing can be created under it, even by root.
    ASSERT_TRUE(textfile::writeFileAtomically(paths::iniFolder(home()), "not a folder").ok());
    EXPECT_EQ(writeFdirIni(home(), u"diary"_s).msg, Msg::FolderCreateFailed);
    EXPECT_EQ(writeSizeSettings(home(), u"diary"_s, {}).msg, Msg::FolderCreateFailed);
}

TEST_F(SettingsFilesTest, NewDiaryFolderGetsImageAndTemplateCopiesReplacingOldOnes) {
    ASSERT_TRUE(textfile::writeFileAtomically(paths::templateCss(home()), "css").ok());
    ASSERT_TRUE(textfile::writeFileAtomically(paths::templateJs(home()), "js").ok());
    ASSERT_TRUE(QDir(home()).mkpath(u"mine"_s));
    ASSERT_TRUE(textfile::writeFileAtomically(home() + u"/mine/calender.css"_s, "stale").ok());
    const DiaryFolderCreation c = createDiaryFolder(home(), u"mine"_s);
    EXPECT_TRUE(c.outcome.ok() && c.templatesCopied && QFileInfo(paths::imageFolder(home(), u"mine"_s)).isDir());
    EXPECT_EQ(file(home() + u"/mine/calender.css"_s) + file(home() + u"/mine/calender.js"_s), QByteArray("cssjs"));
}

TEST_F(SettingsFilesTest, UploadListShowsFoldersFirstThenFiles) {
    ASSERT_TRUE(QDir(home()).mkpath(u"diary/image"_s) && QDir(home()).mkpath(u"diary/old"_s));
    ASSERT_TRUE(textfile::writeFileAtomically(home() + u"/diary/200511.html"_s, "x").ok());
    ASSERT_TRUE(textfile::writeFileAtomically(home() + u"/diary/calender.css"_s, "x").ok());
    QStringList list = uploadListEntries(home(), u"diary"_s);
    EXPECT_EQ(QStringList(list.mid(0, 2)).filter(u"[フォルダ]"_s).size(), 2);
    list.sort();
    EXPECT_EQ(list, (QStringList{u"[ファイル]200511.html"_s, u"[ファイル]calender.css"_s, u"[フォルダ]image"_s,
                                 u"[フォルダ]old"_s}));
}

TEST(DiaryFolderName, OneFolderNameDirectlyInsideTheProgramFolder_NotTheSettingsFolder) {
    for (const QString& good : {u"diary"_s, u"日記 2005"_s, u"..old"_s, u"ini2"_s})
        EXPECT_TRUE(checkDiaryFolderName(good).ok()) << good.toStdString();
    // "..", ".", "a/b", "", "diary " and "diary." are refused by the session folder test.
    for (const QString& bad : {u"../x"_s, u"a\\b"_s, u"a\nb"_s, u"ini"_s, u"INI"_s, u"日記　"_s}) {
        const Outcome o = checkDiaryFolderName(bad);
        EXPECT_EQ(o.msg, Msg::DiaryFolderNameInvalid) << bad.toStdString();
        EXPECT_EQ(o.args, QStringList{bad});
    }
    // An upload entry names anything directly inside the diary folder, whatever its name.
    EXPECT_TRUE(isEntryName(u"ini"));
    EXPECT_FALSE(isEntryName(u"../ini/app_diary.ini"));
}

TEST_F(SettingsFilesTest, ProtocolAndPortLines_OnlyWhenTheySaySomething_OldFilesArePlainFtp_UnknownProtocolFails) {
    const struct {
        Protocol protocol;
        QString port;
        QByteArray extra;
    } cases[] = {{Protocol::Ftp, {}, ""},
                 {Protocol::Ftps, {}, "[PRT]FTPS\r\n"},
                 {Protocol::Sftp, u"2222"_s, "[PRT]SFTP\r\n[POR]2222\r\n"},
                 {Protocol::Ftp, u"2121"_s, "[POR]2121\r\n"}};
    for (const auto& c : cases) {
        ASSERT_TRUE(
            writeConnectionSettings(home(), u"diary"_s, {u"h"_s, u"u"_s, u"p"_s, u"d"_s, 1, c.protocol, c.port}).ok());
        EXPECT_EQ(file(paths::connectionIni(home(), u"diary"_s)),
                  "[FTP]h\r\n[UID]u\r\n[PSW]p\r\n[DIR]d\r\n[CHK]1\r\n" + c.extra);
        const ConnectionSettingsRead r = readConnectionSettings(home(), u"diary"_s);
        EXPECT_EQ(r.protocol, c.protocol);
        EXPECT_EQ(r.port, c.port);
    }
    EXPECT_EQ(parseConnectionSettings("[PRT]sftp\r\n").protocol, Protocol::Sftp);
    EXPECT_TRUE(parseConnectionSettings("[FTP]h\r\n[PRT]FTPES\r\n").failed) << "never plain FTP by mistake";
}

using test::FakeKeyring;

TEST_F(SettingsFilesTest, Password_InTheKeyringWhenThereIsOne_ElseInTheFileSaidOnce_AFilesOwnPasswordWins) {
    FakeKeyring keyring;
    ConnectionSettings s{u"FTP.example.jp:990"_s, u"me"_s, u"pw;[x"_s, u"www"_s, 0, Protocol::Ftps};
    const QString ini = paths::connectionIni(home(), u"diary"_s);
    const auto save = [&] { return saveConnectionSettings(home(), u"diary"_s, s, &keyring); };
    const auto loaded = [&] { return loadConnectionSettings(home(), u"diary"_s, &keyring).password.value_or(u"-"_s); };

    ConnectionSaved saved = save();
    EXPECT_TRUE(saved.outcome.ok() && saved.notice.ok());
    EXPECT_EQ(file(ini), "[FTP]FTP.example.jp:990\r\n[UID]me\r\n[PSW]\r\n[DIR]www\r\n[CHK]0\r\n[PRT]FTPS\r\n");
    EXPECT_EQ(keyring.saved.value(u"me@ftp.example.jp"_s), u"pw;[x"_s);
    EXPECT_EQ(loaded(), u"pw;[x"_s);

    keyring.up = false;
    saved = save();
    EXPECT_EQ(saved.notice.msg, Msg::PasswordInFile);
    EXPECT_TRUE(file(ini).contains("[PSW]pw;[x\r\n"));
    EXPECT_TRUE(save().notice.ok()) << "said once, when the password lands in the file";
    keyring.up = true;
    keyring.saved[u"me@ftp.example.jp"_s] = u"stale"_s;
    EXPECT_EQ(loaded(), u"pw;[x"_s);

    keyring.refusal = u"locked"_s;
    s.password = u"new"_s;
    saved = save();
    EXPECT_EQ(saved.notice.msg, Msg::PasswordKeyringFailed);
    EXPECT_EQ(saved.notice.args, (QStringList{QDir::toNativeSeparators(ini), u"locked"_s}));
    EXPECT_TRUE(file(ini).contains("[PSW]new\r\n"));

    keyring.refusal.reset();
    s.password.clear();
    EXPECT_TRUE(save().outcome.ok());
    EXPECT_FALSE(keyring.saved.contains(u"me@ftp.example.jp"_s)) << "an emptied password leaves no copy behind";
}
