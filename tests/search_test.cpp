#include "search/diary_search.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "month_pages.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tsuzuri;
using namespace tsuzuri::search;

inline void PrintTo(const TextRange& r, std::ostream* os) {
    *os << '{' << r.start << ',' << r.length << '}';
}

class SearchTest : public ::testing::Test {
protected:
    // One page of entries given as (day, title, body, media).
    void write(const QString& folder, int year, int m, const QList<QStringList>& entries,
               const QString& siteTitle = {}) {
        ASSERT_TRUE(QDir(home.path()).mkpath(folder));
        MonthPageInput in = month(year, m, siteTitle);
        in.links[0] = {u"リンク先"_s, u"200510.html"_s};
        for (const QStringList& e : entries)
            add(in, e[0].toInt(), e[1], e[2], e.value(3));
        ASSERT_TRUE(writeMonthPage(home.path(), folder, in).ok());
    }
    SearchResult find(const QString& typed, std::optional<QString> folder = u"diary"_s) {
        return searchDiary(index, {home.path(), folder}, typed);
    }
    // folder:date of every hit, in order.
    static QStringList found(const SearchResult& r) {
        QStringList out;
        for (const SearchHit& h : r.hits())
            out.append(h.folder + u':' + h.date);
        return out;
    }
    QString page(const QString& name) const { return home.filePath(u"diary/"_s + name); }

    QTemporaryDir home;
    SearchIndex index;
};

TEST_F(SearchTest, MatchingRules_EveryTermAnyCaseWidthAndKana_PhrasesAsTyped_NotDatesSiteTitleOrLinks) {
    write(u"diary"_s, 2005, 11,
          {{u"01"_s, u"京都の旅"_s, u"キョウトは紅葉がきれい。\r\nNew York より近い"_s, u"kyoto.JPG;"_s},
           {u"02"_s, u"ＡＢＣ会議"_s, u"ｶﾞｲﾄﾞ ブックを買った"_s},
           {u"03"_s, u"大阪"_s, u"new  york style ピザ"_s, u"pizza.jpg;"_s},
           {u"04"_s, u"㍻最後の日"_s, u"abc"_s}},
          u"京都日記サイト"_s);
    const auto day = [](const char* d) { return u"diary:2005年11月"_s + QString::fromLatin1(d) + u'日'; };
    const struct {
        const char* typed;
        QStringList expected;
    } cases[] = {
        {"きょうと", {day("01")}},            // hiragana finds katakana
        {"京都　紅葉", {day("01")}},          // ideographic space separates terms
        {"abc", {day("04"), day("02")}},      // full-width ＡＢＣ too, newest first
        {"がいど ぶっく", {day("02")}},       // half-width katakana with its voiced mark
        {"京都 大阪", {}},                    // every term must occur
        {"大阪 ピザ", {day("03")}},           // in any of the fields
        {"KYOTO.jpg", {day("01")}},           // media names
        {"平成", {day("04")}},                // compatibility characters
        {"new york", {day("03"), day("01")}}, // terms anywhere
        {"\"New York\"", {day("01")}},        // a phrase as typed: case and spaces
        {"\"new york\"", {}},
        {"＂ＡＢＣ＂", {day("02")}},
        {"2005年11月", {}}, // not the date line
        {"サイト", {}},     // not the site title
        {"リンク先", {}},   // not the links
        {" \"  \" ", {}},   // nothing to find
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(found(find(QString::fromUtf8(c.typed))), c.expected);
    }
}

TEST_F(SearchTest, Hit_HighlightsEveryMatchOnTheOriginalTextAndCutsASnippetAroundTheFirst) {
    const QString longBody = QString(60, u'あ') + u"京都"_s + QString(200, u'い');
    write(u"diary"_s, 2005, 11,
          {{u"01"_s, u"ｶﾞｲﾄﾞと京都"_s, u"京都へ\r\n行った"_s, u"a.jpg;京都.jpg;"_s}, {u"02"_s, u"がいど"_s, longBody}});
    const QList<SearchHit> hits = find(u"がいど 京都"_s).hits();
    ASSERT_EQ(hits.size(), 2);
    EXPECT_EQ(hits[0].snippet, u"…"_s + longBody.sliced(30, 100) + u"…"_s);
    EXPECT_EQ(hits[0].snippetMatches, (QList<TextRange>{{31, 2}}));
    EXPECT_EQ(hits[0].titleMatches, (QList<TextRange>{{0, 3}}));
    const SearchHit& h = hits[1];
    EXPECT_EQ(h.titleMatches, (QList<TextRange>{{0, 5}, {6, 2}})); // the five letters "ｶﾞｲﾄﾞ" fold to three
    EXPECT_EQ(h.snippet, u"京都へ 行った"_s);
    EXPECT_EQ(h.snippetMatches, (QList<TextRange>{{0, 2}}));
    EXPECT_EQ(h.mediaMatches, (QList<TextRange>{{6, 2}}));
    EXPECT_EQ(h.year + h.month, u"200511"_s);
}

TEST_F(SearchTest, AllFolders_NewestFirstAcrossFoldersAndMonths_OneFolderOnlyItsOwn) {
    write(u"a"_s, 2005, 11, {{u"20"_s, u"旅"_s, {}}, {u"03"_s, u"旅"_s, {}}});
    write(u"a"_s, 2004, 10, {{u"05"_s, u"旅"_s, {}}});
    write(u"b"_s, 2005, 12, {{u"01"_s, u"旅"_s, {}}});
    write(u"b"_s, 2005, 11, {{u"10"_s, u"旅"_s, {}}});
    EXPECT_EQ(found(find(u"旅"_s, std::nullopt)),
              (QStringList{u"b:2005年12月01日"_s, u"a:2005年11月20日"_s, u"b:2005年11月10日"_s, u"a:2005年11月03日"_s,
                           u"a:2004年10月05日"_s}));
    EXPECT_EQ(found(find(u"旅"_s, u"b"_s)), (QStringList{u"b:2005年12月01日"_s, u"b:2005年11月10日"_s}));
}

TEST_F(SearchTest, EditedPage_IsReadAgainEvenWithTheSameSizeAndTime_OthersAreNot) {
    write(u"diary"_s, 2005, 11, {{u"01"_s, u"春の話"_s, {}}});
    write(u"diary"_s, 2005, 12, {{u"01"_s, u"冬の話"_s, {}}});
    EXPECT_EQ(find(u"春"_s).pagesRead, 2);
    EXPECT_EQ(find(u"春"_s).pagesRead, 0);

    const QFileInfo first(page(u"200511.html"_s));
    const QDateTime modified = first.lastModified();
    const qint64 size = first.size();
    write(u"diary"_s, 2005, 11, {{u"01"_s, u"夏の話"_s, {}}});
    QFile after(page(u"200511.html"_s));
    ASSERT_TRUE(after.open(QIODevice::ReadWrite) && after.setFileTime(modified, QFileDevice::FileModificationTime));
    ASSERT_EQ(after.size(), size);

    const SearchResult r = find(u"の話"_s);
    EXPECT_EQ(r.pagesRead, 1);
    EXPECT_EQ(found(r), (QStringList{u"diary:2005年12月01日"_s, u"diary:2005年11月01日"_s}));

    ASSERT_TRUE(QFile::remove(page(u"200512.html"_s)));
    EXPECT_EQ(find(u"冬"_s).hitCount(), 0);
}

TEST_F(SearchTest, PageCutShort_IsSearchedAsFarAsItReadsAndNamed) {
    write(u"diary"_s, 2005, 11,
          {{u"01"_s, u"古い日"_s, u"前半の文\r\n後半の文"_s}, {u"02"_s, u"新しい日"_s, u"本文"_s}});
    const std::optional<QByteArray> bytes = textfile::readFile(page(u"200511.html"_s));
    ASSERT_TRUE(bytes);
    const qsizetype cut = bytes->indexOf(textfile::encode(u"後半"));
    ASSERT_GT(cut, 0);
    ASSERT_TRUE(textfile::writeFileAtomically(page(u"200511.html"_s), bytes->first(cut)).ok());

    const SearchResult r = find(u"日"_s);
    EXPECT_EQ(found(r), (QStringList{u"diary:2005年11月02日"_s, u"diary:"_s})); // the cut entry has no date yet
    ASSERT_EQ(r.incomplete.size(), 1);
    EXPECT_EQ(r.incomplete[0].page, u"200511.html"_s);
    EXPECT_EQ(r.incomplete[0].outcome.msg, Msg::PageIncomplete);
    EXPECT_EQ(find(u"前半"_s).hitCount(), 1);
    EXPECT_EQ(find(u"後半"_s).hitCount(), 0);
}

TEST_F(SearchTest, StoppedSearch_FindsNothingAndTheNextOneStillReadsThePages) {
    write(u"diary"_s, 2005, 11, {{u"01"_s, u"旅"_s, {}}});
    std::stop_source stop;
    stop.request_stop();
    const SearchResult r = searchDiary(index, {home.path(), u"diary"_s}, u"旅"_s, stop.get_token());
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.hitCount(), 0);
    EXPECT_EQ(find(u"旅"_s).hitCount(), 1);
}
