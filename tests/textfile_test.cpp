#include "store/textfile.h"

#include "diary/messages.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "file_size_limit.h"
#include "qt_printers.h"

#include <gtest/gtest.h>


using namespace Qt::StringLiterals;
using namespace tsuzuri;

namespace {

QByteArray bytes(std::initializer_list<int> b) {
    QByteArray out;
    for (int c : b)
        out.append(static_cast<char>(c));
    return out;
}

} // namespace

TEST(Cp932Encoding, JapaneseAndAsciiEncodeToShiftJisBytes) {
    EXPECT_EQ(textfile::encode(u"日記a"), bytes({0x93, 0xFA, 0x8B, 0x4C, 'a'}));
    EXPECT_EQ(textfile::decode(bytes({0x93, 0xFA, 0x8B, 0x4C, 'a'})), u"日記a"_s);
}

TEST(Cp932Encoding, CharactersHeldTwiceTakeTheWindowsCodes) {
    // NEC-selected IBM extensions and ￢ are written with the codes Windows chooses.
    EXPECT_EQ(textfile::encode(u"纊"), bytes({0xFA, 0x5C}));
    EXPECT_EQ(textfile::encode(u"￢"), bytes({0x81, 0xCA}));
    EXPECT_EQ(textfile::encode(u"～"), bytes({0x81, 0x60}));
    EXPECT_EQ(textfile::encode(u"①"), bytes({0x87, 0x40}));
}

TEST(Cp932Encoding, CharactersWithoutExactRoundTripBecomeDecimalReferences) {
    EXPECT_EQ(textfile::encode(u"a😀b"), QByteArray("a&#128512;b"));
    // Best-fit mappings would silently turn into another character.
    EXPECT_EQ(textfile::encode(u"〜−"), QByteArray("&#12316;&#8722;"));
    EXPECT_EQ(textfile::encode(u"\uFFFD"), QByteArray("&#65533;"));
    EXPECT_FALSE(textfile::canEncode(u"😀"));
    EXPECT_FALSE(textfile::encodeStrict(u"a〜").has_value());
    EXPECT_TRUE(textfile::canEncode(u"日本語ｶﾅ～"));
}

TEST(Cp932Encoding, OnlyReferencesToCharactersOutsideCp932AreTurnedBack) {
    EXPECT_EQ(textfile::decodeWithReferences("&#128512;&#12316;"), u"😀〜"_s);
    // Typed references to characters the code page holds stay as typed.
    EXPECT_EQ(textfile::decodeWithReferences("&#65;&#26085;"), u"&#65;&#26085;"_s);
    // Not the writer's form: leading zeros, surrogates, beyond Unicode, unterminated.
    EXPECT_EQ(textfile::decodeWithReferences("&#0128512;&#55357;&#1114112;&#128512"),
              u"&#0128512;&#55357;&#1114112;&#128512"_s);
}

TEST(Cp932Encoding, EncodeThenDecodeGivesBackAnyText) {
    const QString text = u"絵文字😀と〜波ダッシュ、&#65;、\\と¥、改行\r\nあり"_s;
    EXPECT_EQ(textfile::decodeWithReferences(textfile::encode(text)), text);
}

TEST(LineSplitting, CrLfLoneCrAndLoneLfEachEndALine) {
    const QString text = u"a\r\nb\rc\nd\r\n\r\ne"_s;
    const QList<QStringView> lines = textfile::splitLines(text);
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0], u"a");
    EXPECT_EQ(lines[1], u"b");
    EXPECT_EQ(lines[2], u"c");
    EXPECT_EQ(lines[3], u"d");
    EXPECT_EQ(lines[4], u"");
    EXPECT_EQ(lines[5], u"e");
    EXPECT_EQ(textfile::splitLines(u"x\r\n").size(), 1);
    EXPECT_TRUE(textfile::splitLines(u"").isEmpty());
}

TEST(LineSplitting, NormalizingTurnsEveryBreakIntoCrLf) {
    EXPECT_EQ(textfile::normalizeLineBreaks(u"a\nb\rc\r\nd\n\r"), u"a\r\nb\r\nc\r\nd\r\n\r\n"_s);
}

TEST(AtomicWrite, ReplacesWholeAndKeepsBytesExact) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"p.html"_s);
    ASSERT_TRUE(textfile::writeFileAtomically(path, "old contents that are longer").ok());
    ASSERT_TRUE(textfile::writeFileAtomically(path, QByteArray("a\rb\r\n")).ok());
    EXPECT_EQ(textfile::readFile(path), QByteArray("a\rb\r\n"));
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

TEST(AtomicWrite, MissingFolderIsReportedWithThePath) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"missing/p.html"_s);
    const Outcome o = textfile::writeFileAtomically(path, "x");
    EXPECT_EQ(o.msg, Msg::WriteFailed);
    EXPECT_TRUE(messageText(o).contains(QDir::toNativeSeparators(path)));
    EXPECT_TRUE(messageText(o).startsWith(u"エラーが発生しました。"_s));
}
