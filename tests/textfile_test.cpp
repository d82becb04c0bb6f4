#include "store/textfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

#include "file_size_limit.h"
#include "qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

TEST(Cp932Encoding, WindowsCodesForCharactersHeldTwice_DecimalReferencesForWhatHasNoExactRoundTrip) {
    const std::pair<QStringView, QByteArray> cases[] = {
        {u"日記a", "\x93\xFA\x8BLa"},
        // NEC-selected IBM extensions and ￢ are written with the codes Windows chooses.
        {u"纊", "\xFA\\"},
        {u"￢", "\x81\xCA"},
        {u"～", "\x81`"},
        {u"①", "\x87@"},
        // Best-fit mappings would silently turn into another character.
        {u"a😀b", "a&#128512;b"},
        {u"〜−", "&#12316;&#8722;"},
        {u"\uFFFD", "&#65533;"},
    };
    for (const auto& [text, bytes] : cases)
        EXPECT_EQ(textfile::encode(text), bytes) << text.toString().toStdString();
    EXPECT_EQ(textfile::decode("\x93\xFA\x8BLa"), u"日記a"_s);
    EXPECT_FALSE(textfile::canEncode(u"😀"));
    EXPECT_FALSE(textfile::encodeStrict(u"a〜").has_value());
    EXPECT_TRUE(textfile::canEncode(u"日本語ｶﾅ～"));
}

TEST(Cp932Encoding, OnlyReferencesToCharactersOutsideCp932AreTurnedBack_EncodeThenDecodeGivesBackAnyText) {
    const std::pair<QByteArray, QString> cases[] = {
        {"&#128512;&#12316;", u"😀〜"_s},
        // Typed references to characters the code page holds stay as typed.
        {"&#65;&#26085;", u"&#65;&#26085;"_s},
        // Not the writer's form: leading zeros, surrogates, beyond Unicode, unterminated.
        {"&#0128512;&#55357;&#1114112;&#128512", u"&#0128512;&#55357;&#1114112;&#128512"_s},
        // U+FEFF is a character like any other, not a byte order mark to drop.
        {"&#65279;", u"\uFEFF"_s},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(textfile::decodeWithReferences(bytes), text) << bytes.toStdString();
    const QString text = u"\uFEFF絵文字😀と〜波ダッシュ、&#65;、\\と¥、\uFEFF改行\r\nあり"_s;
    EXPECT_EQ(textfile::decodeWithReferences(textfile::encode(text)), text);
}

TEST(LineSplitting, CrLfLoneCrAndLoneLfEachEndALine_NormalizingTurnsEveryBreakIntoCrLf) {
    EXPECT_EQ(textfile::splitLines(u"a\r\nb\rc\nd\r\n\r\ne"), (QList<QStringView>{u"a", u"b", u"c", u"d", u"", u"e"}));
    EXPECT_EQ(textfile::splitLines(u"x\r\n").size(), 1);
    EXPECT_TRUE(textfile::splitLines(u"").isEmpty());
    EXPECT_EQ(textfile::normalizeLineBreaks(u"a\nb\rc\r\nd\n\r"), u"a\r\nb\r\nc\r\nd\r\n\r\n"_s);
}

TEST(AtomicWrite, ReplacesWholeAndKeepsBytesExact_MissingFolderIsReportedWithThePath) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"p.html"_s);
    ASSERT_TRUE(textfile::writeFileAtomically(path, "old contents that are longer").ok());
    ASSERT_TRUE(textfile::writeFileAtomically(path, QByteArray("a\rb\r\n")).ok());
    EXPECT_EQ(textfile::readFile(path), QByteArray("a\rb\r\n"));
    const QString missing = dir.filePath(u"missing/p.html"_s);
    const Outcome o = textfile::writeFileAtomically(missing, "x");
    EXPECT_EQ(o.msg, Msg::WriteFailed);
    EXPECT_EQ(o.args, QStringList{QDir::toNativeSeparators(missing)});
}

TEST(AtomicWrite, FailedWriteLeavesThePreviousFileExactlyAsItWas) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"p.html"_s);
    ASSERT_TRUE(textfile::writeFileAtomically(path, "previous").ok());
    Outcome o;
    {
        FileSizeLimit limit(16);
        o = textfile::writeFileAtomically(path, QByteArray(4096, 'x'));
    }
    EXPECT_EQ(o.msg, Msg::WriteFailed);
    EXPECT_EQ(textfile::readFile(path), QByteArray("previous"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"p.html"_s});
}

TEST(FilesInAFolder, OnlyFilesAndFoldersInsideAreTaken_PipesAndLinksOutOrToNothingAreRefusedAtOnce) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"diary"_s);
    const auto in = [&](const QString& name) { return folder + u'/' + name; };
    ASSERT_TRUE(QDir().mkpath(in(u"image"_s)));
    ASSERT_TRUE(textfile::writeFileAtomically(in(u"page.html"_s), "page").ok());
    ASSERT_TRUE(textfile::writeFileAtomically(dir.filePath(u"app_diary.ini"_s), "[PSW]secret").ok());
    ASSERT_TRUE(QFile::link(in(u"page.html"_s), in(u"inside.html"_s)));
    ASSERT_TRUE(QFile::link(dir.filePath(u"app_diary.ini"_s), in(u"outside.html"_s)));
    ASSERT_TRUE(QFile::link(in(u"none.html"_s), in(u"dangling.html"_s)));
    ASSERT_EQ(::mkfifo(QFile::encodeName(in(u"pipe.html"_s)).constData(), 0600), 0);
    const std::pair<QString, textfile::PathKind> cases[] = {
        {u"page.html"_s, textfile::PathKind::File},       {u"inside.html"_s, textfile::PathKind::File},
        {u"image"_s, textfile::PathKind::Folder},         {u"none.html"_s, textfile::PathKind::Missing},
        {u"outside.html"_s, textfile::PathKind::Refused}, {u"dangling.html"_s, textfile::PathKind::Refused},
        {u"pipe.html"_s, textfile::PathKind::Refused},
    };
    for (const auto& [name, kind] : cases)
        EXPECT_EQ(textfile::pathKind(folder, in(name)), kind) << name.toStdString();
    EXPECT_EQ(textfile::readRegularFile(in(u"inside.html"_s)), QByteArray("page"));
    // Neither waits for a writer nor reads for ever.
    EXPECT_FALSE(textfile::readRegularFile(in(u"pipe.html"_s)));
    EXPECT_FALSE(textfile::readRegularFile(u"/dev/zero"_s));
}
