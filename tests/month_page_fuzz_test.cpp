// Mutated month pages fed to the reader: a seeded loop, so every run (and the sanitizer run of CI)
// sees the same thousands of damaged pages. The reader must not crash, read out of bounds or hang, and
// what it returns must stay within the entry table and be writable again.

#include "site/month_page_writer.h"
#include "site/page_format.h"
#include "store/month_page_reader.h"
#include "store/textfile.h"

#include <QList>

#include "page_printers.h"

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
    in.imageWidth = u"320"_s;
    in.imageHeight = u"240"_s;
    in.videoWidth = u"320"_s;
    in.videoHeight = u"256"_s;
    in.ftpHost = u"example.com"_s;
    in.remoteDir = u"www/diary"_s;
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

QList<QByteArray> seedPages() {
    QList<QByteArray> pages;
    for (const auto& [n, m] : {std::pair{0, u"02"_s}, std::pair{3, u"11"_s}, std::pair{31, u"12"_s}}) {
        const RenderResult r = renderMonthPage(seedMonth(n, m));
        EXPECT_TRUE(r.outcome.ok());
        pages << r.page.bytes;
    }
    return pages;
}

class Mutator {
public:
    explicit Mutator(unsigned seed) : rng_(seed) {}

    int below(int n) { return n <= 0 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    QByteArray mutate(QByteArray page) {
        const int steps = 1 + below(6);
        for (int i = 0; i < steps; ++i)
            page = mutateOnce(std::move(page));
        return page;
    }

private:
    // Lines with their breaks, so joining them gives the page back.
    static QList<QByteArray> lines(const QByteArray& page) {
        QList<QByteArray> out;
        qsizetype start = 0;
        for (qsizetype i = 0; i < page.size(); ++i) {
            if (page[i] == '\n') {
                out << page.mid(start, i + 1 - start);
                start = i + 1;
            }
        }
        if (start < page.size())
            out << page.mid(start);
        return out;
    }

    QByteArray markerLine() {
        static const QStringView markers[] = {
            marker::kSiteName,   marker::kCalendarStart, marker::kCalendarEnd, marker::kLinksStart, marker::kLinksEnd,
            marker::kDiaryStart, marker::kDiaryEnd,      marker::kTitleStart,  marker::kTitleEnd,   marker::kMediaStart,
            marker::kMediaEnd,   marker::kBodyStart,     marker::kBodyEnd,     marker::kDateStart,  marker::kDateEnd,
        };
        QString line = markers[below(int(std::size(markers)))].toString();
        if (below(4) == 0)
            line.prepend(u"  "_s);
        if (below(4) == 0)
            line.append(u"tail"_s);
        return textfile::encode(line) + QByteArray(below(3) == 0 ? "\n" : "\r\n");
    }

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
        switch (below(9)) {
        case 0: // flip bytes
            for (int n = 1 + below(8); n > 0 && !page.isEmpty(); --n)
                page[below(int(page.size()))] = char(below(256));
            return page;
        case 1: // truncate
            return page.left(below(int(page.size()) + 1));
        case 2: // insert noise
            return page.insert(below(int(page.size()) + 1), noise());
        case 3: // change line ends in a stretch
        {
            const int from = below(int(page.size()) + 1);
            QByteArray tail = page.mid(from);
            tail.replace("\r\n", below(2) ? "\r" : "\n");
            return page.left(from) + tail;
        }
        default:
            break;
        }
        QList<QByteArray> ls = lines(page);
        if (ls.isEmpty())
            return markerLine();
        const int at = below(int(ls.size()));
        switch (below(4)) {
        case 0: // duplicate a stretch of lines
        {
            const int n = 1 + below(40);
            const QList<QByteArray> copy = ls.mid(at, n);
            for (qsizetype i = copy.size() - 1; i >= 0; --i)
                ls.insert(at, copy[i]);
            break;
        }
        case 1: // remove lines
            ls.remove(at, std::min<qsizetype>(1 + below(5), ls.size() - at));
            break;
        case 2: // a marker line where none belongs
            ls.insert(at, markerLine());
            break;
        default: // swap two lines
            std::swap(ls[at], ls[below(int(ls.size()))]);
            break;
        }
        return ls.join();
    }

    std::mt19937 rng_;
};

} // namespace

TEST(MonthPageReaderFuzz, MutatedPages_NoCrashTableInBoundsAndWritableAgain) {
    const QList<QByteArray> seeds = seedPages();
    Mutator mutator(1105);
    int failures = 0;
    for (int i = 0; i < 3000; ++i) {
        const QByteArray page = mutator.mutate(seeds[i % seeds.size()]);
        const MonthPageRead r = parseMonthPage(page, u"200511.html"_s);
        SCOPED_TRACE(i);
        if (!r.outcome.ok()) {
            ++failures;
            ASSERT_TRUE(r.outcome.msg == Msg::PageTooManyEntries || r.outcome.msg == Msg::PageIncomplete);
            ASSERT_EQ(r.outcome.args, QStringList{u"200511.html"_s});
        }
        const EntryTable& t = r.page.entries;
        ASSERT_GE(t.count, 0);
        ASSERT_LE(t.count, EntryTable::kLastRow);
        ASSERT_EQ(t.rows[0], DiaryEntry{});
        // Beyond the count only an unfinished entry (the row the fields were going to) may hold text.
        for (int j = t.count + 2; j < EntryTable::kRows; ++j)
            ASSERT_EQ(t.rows[j], DiaryEntry{}) << "row " << j;
        // Whatever was read, the writer takes it: every media name list ends with ";".
        for (int j = 1; j <= t.count; ++j)
            ASSERT_TRUE(t.rows[j].media.isEmpty() || t.rows[j].media.endsWith(u';')) << j;
        if (i % 8 == 0) {
            MonthPageInput again = seedMonth(0, u"11"_s);
            again.entries = t;
            again.links = r.page.links;
            again.siteTitle = r.page.siteTitle.value_or(QString());
            ASSERT_TRUE(renderMonthPage(again).outcome.ok());
        }
    }
    // The duplicated stretches must sometimes push a page past 31 blocks.
    EXPECT_GT(failures, 0);
}
