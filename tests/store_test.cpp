#include "store/entry_table.h"
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

DiaryEntry entry(const QString& date, const QString& title, const QString& body = {}, const QString& media = {}) {
    return DiaryEntry{title, body, date, media};
}

} // namespace

// An empty editor takes a row but shows no entry until a field holds anything, a space included.
TEST(EntryTableStore, NewDateIsAppendedExistingDatesOverwrittenEverywhere_EmptyEntryTakesARowButShowsNone) {
    EntryTable t;
    ASSERT_TRUE(t.store(entry(u"2005年11月04日"_s, u"a"_s)).ok());
    ASSERT_TRUE(t.store(entry(u"2005年11月05日"_s, {})).ok());
    EXPECT_EQ(t.count, 2);
    EXPECT_FALSE(t.hasEntry(u"2005年11月05日"));
    t.rows[2].title = u" "_s;
    EXPECT_TRUE(t.hasEntry(u"2005年11月05日"));
    t.rows[3] = entry(u"2005年11月04日"_s, u"dup"_s);
    t.count = 3;
    ASSERT_TRUE(t.store(entry(u"2005年11月04日"_s, u"new"_s)).ok());
    EXPECT_EQ(t.count, 3);
    EXPECT_EQ(t.rows[1].title, u"new"_s);
    EXPECT_EQ(t.rows[3].title, u"new"_s);
    EXPECT_TRUE(t.rows[0].date.isEmpty());
}

TEST(EntryTableStore, FullTableRefusesANewDateAndOverwritesNothing) {
    EntryTable t;
    for (int d = 1; d <= 31; ++d)
        ASSERT_TRUE(t.store(entry(QString::asprintf("2005年01月%02d日", d), u"x"_s)).ok());
    const EntryTable before = t;
    const Outcome o = t.store(entry(u"2005年02月01日"_s, u"32nd"_s));
    EXPECT_EQ(o.msg, Msg::EntryTableFull);
    EXPECT_EQ(t, before);
    EXPECT_TRUE(messageText(o).contains(u"2005年02月01日"_s));
    // An existing date can still be stored.
    EXPECT_TRUE(t.store(entry(u"2005年01月31日"_s, u"changed"_s)).ok());
    EXPECT_EQ(t.rows[31].title, u"changed"_s);
}

TEST(LoadDayEntry, LastMatchingRowWinsAndParagraphMarkupIsRemoved) {
    EntryTable t;
    t.rows[1] = entry(u"2005年11月04日"_s, u"first"_s);
    t.rows[2] = entry(u"2005年11月04日"_s, u"second"_s, u"a</p><p>\r\nb <br> </p>"_s, u"x.jpg;"_s);
    t.count = 2;
    const EditorEntry e = loadDayEntry(t, u"2005年11月04日"_s);
    EXPECT_EQ(e.title, u"second"_s);
    EXPECT_EQ(e.body, u"a\r\nb <br> </p>"_s);
    EXPECT_EQ(e.media, u"x.jpg;"_s);
    const EditorEntry none = loadDayEntry(t, u"2005年11月09日"_s);
    EXPECT_EQ(none, (EditorEntry{{}, {}, {}, u"2005年11月09日"_s}));
}

TEST(Messages, CodedMessagesAreTheirMessagesAndUnknownCodesAreEmpty_ArgumentsAreSubstitutedOnce) {
    const Msg coded[] = {Msg::E1, Msg::E2, Msg::E3, Msg::E4, Msg::E5, Msg::E6, Msg::E7};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(codedMessageText(u"e%1"_s.arg(i + 1)), messageText(coded[i])) << i;
    for (const QString& code : {u"e0"_s, u"e8"_s, u"E4"_s})
        EXPECT_EQ(codedMessageText(code), QString()) << code.toStdString();
    EXPECT_EQ(messageText(Msg::FolderMissingCreate, {u"my%2dir"_s}),
              u"指定されたフォルダは存在しません\r\nmy%2dirフォルダを作成しますか？"_s);
}

// Single characters and byte pairs: the exhaustive test below. A lone low surrogate is a character of its own.
TEST(Cp932Encoding, ReferencesForWhatHasNoRoundTrip_OnlyThoseAreTurnedBack) {
    EXPECT_EQ(textfile::encode(u"a😀b"), "a&#128512;b");
    EXPECT_EQ(textfile::encode(u"a"_s + QChar(0xDC00)), "a&#56320;");
    EXPECT_FALSE(textfile::canEncode(u"😀"));
    EXPECT_FALSE(textfile::encodeStrict(u"a〜").has_value());
    EXPECT_TRUE(textfile::canEncode(u"日本語ｶﾅ～"));
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
}

// Our table must give exactly what the converter gives, with references where it has no round trip (〜, U+FFFD).
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
        QByteArray pair;
        if (b >= 0x100)
            pair += char(b >> 8);
        pair += char(b & 0xFF);
        ASSERT_EQ(textfile::decode(pair), dec.decode(pair)) << b;
        ASSERT_EQ(textfile::decode(pair + "a"), dec.decode(pair + "a")) << b;
    }
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

// A single file, or a batch whose third file is cut short.
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
