#include "store/entry_table.h"
#include "store/outcome.h"

#include "diary/messages.h"
#include "qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

namespace {

DiaryEntry entry(const QString& date, const QString& title, const QString& body = {}, const QString& media = {}) {
    return DiaryEntry{title, body, date, media};
}

} // namespace

TEST(EntryTableStore, NewDateIsAppendedAndExistingDatesAreOverwrittenEverywhere) {
    EntryTable t;
    ASSERT_TRUE(t.store(entry(u"2005年11月04日"_s, u"a"_s)).ok());
    ASSERT_TRUE(t.store(entry(u"2005年11月05日"_s, u"b"_s)).ok());
    EXPECT_EQ(t.count, 2);
    // A page with a duplicate date: both rows take the stored entry.
    t.rows[3] = entry(u"2005年11月04日"_s, u"dup"_s);
    t.count = 3;
    ASSERT_TRUE(t.store(entry(u"2005年11月04日"_s, u"new"_s)).ok());
    EXPECT_EQ(t.count, 3);
    EXPECT_EQ(t.rows[1].title, u"new"_s);
    EXPECT_EQ(t.rows[3].title, u"new"_s);
    EXPECT_TRUE(t.rows[0].date.isEmpty());
}

TEST(EntryTableStore, EmptyEditorStillTakesARowButShowsNoEntry) {
    EntryTable t;
    ASSERT_TRUE(t.store(entry(u"2005年11月04日"_s, {})).ok());
    EXPECT_EQ(t.count, 1);
    EXPECT_FALSE(t.hasEntry(u"2005年11月04日"));
    t.rows[1].title = u" "_s; // untrimmed: a single space counts
    EXPECT_TRUE(t.hasEntry(u"2005年11月04日"));
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
