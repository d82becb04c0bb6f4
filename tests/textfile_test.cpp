#include "store/textfile.h"

#include "diary/messages.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <sys/stat.h>

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
    // U+FEFF is a character like any other, not a byte order mark to drop.
    EXPECT_EQ(textfile::decodeWithReferences("&#65279;"), u"\uFEFF"_s);
}

TEST(Cp932Encoding, EncodeThenDecodeGivesBackAnyText) {
    const QString text = u"\uFEFF絵文字😀と〜波ダッシュ、&#65;、\\と¥、\uFEFF改行\r\nあり"_s;
    EXPECT_EQ(textfile::decodeWithReferences(textfile::encode(text)), text);
}

// Reading and writing go through a table made from the converter; every character and every byte or
// byte pair must come out as the converter alone gives it (references for what has no round trip).
TEST(Cp932Encoding, EveryCharacterAndBytePairMapsExactlyAsTheConverter) {
    QStringEncoder enc("windows-31j", QStringConverter::Flag::Stateless);
    QStringDecoder dec("windows-31j", QStringConverter::Flag::Stateless);
    for (char16_t c = 1; c != 0; ++c) {
        const QString text(QChar{c});
        const QByteArray raw = enc.encode(text);
        const bool exact = !QChar::isSurrogate(c) && c != 0xFFFD && dec.decode(raw) == text;
        ASSERT_EQ(textfile::encode(text), exact ? raw : "&#" + QByteArray::number(c) + ';') << int(c);
    }
    for (int b = 0; b < 0x10000; ++b) {
        const QByteArray pair = b < 0x100 ? bytes({b}) : bytes({b >> 8, b & 0xFF});
        ASSERT_EQ(textfile::decode(pair), dec.decode(pair)) << b;
        ASSERT_EQ(textfile::decode(pair + "a"), dec.decode(pair + "a")) << b;
    }
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

// One file, or a batch whose third file is cut short: nothing is replaced and nothing is left beside.
TEST(AtomicWrite, FailedWriteLeavesThePreviousFilesExactlyAsTheyWere) {
    for (const bool batch : {false, true}) {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"p.html"_s), other = dir.filePath(u"q.html"_s);
        ASSERT_TRUE(textfile::writeFileAtomically(path, "previous").ok());
        Outcome o;
        {
            FileSizeLimit limit(16);
            o = batch ? textfile::writeFilesAtomically({{path, "new"}, {other, "q"}, {path, QByteArray(4096, 'x')}})
                      : textfile::writeFileAtomically(path, QByteArray(4096, 'x'));
        }
        EXPECT_EQ(o.msg, Msg::WriteFailed);
        EXPECT_EQ(textfile::readFile(path), QByteArray("previous"));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"p.html"_s});
    }
}

TEST(AtomicWrite, MissingFolderIsReportedWithThePath) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"missing/p.html"_s);
    const Outcome o = textfile::writeFileAtomically(path, "x");
    EXPECT_EQ(o.msg, Msg::WriteFailed);
    EXPECT_TRUE(messageText(o).contains(QDir::toNativeSeparators(path)));
    EXPECT_TRUE(messageText(o).startsWith(u"エラーが発生しました。"_s));
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
