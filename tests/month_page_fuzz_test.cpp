// Seeded loops, so every run (and the sanitizer run of CI) sees the same thousands of cases: mutated
// month pages fed to the reader, which must not crash, read out of bounds or hang, and must return
// what stays within the entry table; and months full of text shaped like the page's own structure, which
// must come back from writer and reader exactly.

#include "site/month_page_writer.h"
#include "site/month_page_reader.h"
#include "site/snippets.h"
#include "store/textfile.h"

#include "page_printers.h"
#include "structure_shaped_text.h"

#include <gtest/gtest.h>

#include <random>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

namespace {

MonthPageInput seedMonth(int entries, const QString& month) {
    MonthPageInput in;
    in.year = u"2005"_s;
    in.month = month;
    in.siteTitle = u"綴の日記😀"_s;
    in.ftpHost = u"example.com"_s;
    for (int k = 0; k < 12; k += 2)
        in.links[k] = {u"過去%1"_s.arg(k), u"2004%1"_s.arg(k + 1, 2, 10, QChar(u'0'))};
    for (int d = 1; d <= entries; ++d) {
        in.entries.rows[d] = DiaryEntry{u"題%1"_s.arg(d), u"本文\r\n二行目 𠮷\r\n"_s,
                                        u"2005年%1月%2日"_s.arg(month).arg(d, 2, 10, QChar(u'0')),
                                        d % 3 ? u"a%1.jpg;v%1.mp4;"_s.arg(d) : QString()};
    }
    in.entries.count = entries;
    return in;
}

class Mutator {
public:
    explicit Mutator(unsigned seed) : rng_(seed) {}

    QByteArray mutate(QByteArray page) {
        for (int steps = 1 + below(6); steps > 0; --steps)
            page = mutateOnce(std::move(page));
        return page;
    }

private:
    int below(int n) { return n <= 0 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    QByteArray noise() {
        static const QByteArray pieces[] = {
            "&#128512;",         "&#1114112;", "&#55296;", "&#99999999999;", "&#0;", "&#",  "\x81",
            "\x82\xa0",          "\xff\xfe",   "src=",     "src=\"image/",   "\"",   "\">", "</a>",
            "<object ",          ".mp4",       "/",        "</p><p>",        "\r",   "\n",  "\r\n",
            QByteArray(1, '\0'),
        };
        return pieces[below(int(std::size(pieces)))];
    }

    QByteArray mutateOnce(QByteArray page) {
        const int size = int(page.size());
        switch (below(9)) {
        case 0: // flip bytes
            for (int n = 1 + below(8); n > 0 && size > 0; --n)
                page[below(size)] = char(below(256));
            return page;
        case 1:
            return page.left(below(size + 1));
        case 2:
            return page.insert(below(size + 1), noise());
        case 3: { // change line ends in a stretch
            const int from = below(size + 1);
            return page.left(from) + page.mid(from).replace("\r\n", below(2) ? "\r" : "\n");
        }
        }
        QList<QByteArray> lines = page.split('\n');
        const int at = below(int(lines.size()));
        switch (below(4)) {
        case 0: // duplicate a stretch of lines
            lines = lines.mid(0, at) + lines.mid(at, 1 + below(40)) + lines.mid(at);
            break;
        case 1:
            lines.remove(at, std::min<qsizetype>(1 + below(5), lines.size() - at));
            break;
        case 2: { // a copy of a (marker) line where none belongs, perhaps after spaces, with a tail or LF-ended
            const QByteArray line = lines[below(int(lines.size()))].trimmed();
            lines.insert(at, (below(4) ? "" : "  ") + line + (below(4) ? "" : "tail") + (below(3) ? "\r" : ""));
            break;
        }
        default:
            std::swap(lines[at], lines[below(int(lines.size()))]);
        }
        return lines.join('\n');
    }

    std::mt19937 rng_;
};

} // namespace

TEST(MonthPageReaderFuzz, MutatedPages_NoCrashTableInBoundsAndWritableAgain) {
    QList<QByteArray> seeds;
    for (const auto& [n, m] : {std::pair{0, u"02"_s}, std::pair{3, u"11"_s}, std::pair{31, u"12"_s}})
        seeds << renderMonthPage(seedMonth(n, m)).page.bytes;
    Mutator mutator(1105);
    int tooMany = 0;
    for (int i = 0; i < 3000; ++i) {
        SCOPED_TRACE(i);
        const MonthPageRead r = parseMonthPage(mutator.mutate(seeds[i % seeds.size()]), u"200511.html"_s);
        if (!r.outcome.ok()) {
            tooMany += r.outcome.msg == Msg::PageTooManyEntries;
            ASSERT_TRUE(r.outcome.msg == Msg::PageTooManyEntries || r.outcome.msg == Msg::PageIncomplete);
            ASSERT_EQ(r.outcome.args, QStringList{u"200511.html"_s});
        }
        const EntryTable& t = r.page.entries;
        ASSERT_TRUE(t.count >= 0 && t.count <= EntryTable::kLastRow) << t.count;
        ASSERT_EQ(t.rows[0], DiaryEntry{});
        // Beyond the count only an unfinished entry (the row the fields were going to) may hold text.
        for (int j = t.count + 2; j < EntryTable::kRows; ++j)
            ASSERT_EQ(t.rows[j], DiaryEntry{}) << "row " << j;
        for (int j = 1; j <= t.count; ++j)
            ASSERT_TRUE(t.rows[j].media.isEmpty() || t.rows[j].media.endsWith(u';')) << j;
        // What read whole, the writer takes again.
        if (r.outcome.ok() && i % 8 == 0) {
            MonthPageInput again = seedMonth(0, u"11"_s);
            again.entries = t;
            again.links = r.page.links;
            again.siteTitle = r.page.siteTitle.value_or(QString());
            ASSERT_TRUE(renderMonthPage(again).outcome.ok());
        }
    }
    // The duplicated stretches must sometimes push a page past 31 blocks.
    EXPECT_GT(tooMany, 0);
}

TEST(MonthPageFieldFuzz, StructureShapedTextInEveryField_WriterToReaderRoundTripIsExact) {
    std::mt19937 rng(1123);
    for (int i = 0; i < 300; ++i) {
        SCOPED_TRACE(i);
        const MonthPageInput in =
            structureShapedMonth([&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); });
        const RenderResult written = renderMonthPage(in);
        ASSERT_TRUE(written.outcome.ok());
        const MonthPageRead read = parseMonthPage(written.page.bytes, u"200511.html"_s);
        ASSERT_TRUE(read.outcome.ok());
        ASSERT_EQ(read.page, (MonthPage{in.entries, written.page.links, in.siteTitle}));
        // The diary block for other sites holds every entry, not only those before a typed end marker.
        const QString diary = codeSnippets(textfile::decode(written.page.bytes)).diary;
        ASSERT_EQ(diary.count(u"<hr>"_s), in.entries.count);
    }
}
