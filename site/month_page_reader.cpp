#include "site/month_page_reader.h"

#include "site/page_format.h"
#include "store/paths.h"
#include "store/textfile.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace tsuzuri {

namespace {

enum class Section { Outside, Title, Media, Body, Date, Links };

// A video line names its file by its first ".mp4" and the nearest "/" before it.
QStringView videoName(QStringView line) {
    const qsizetype p = line.indexOf(u".mp4");
    if (p < 0)
        return {};
    const qsizetype slash = line.lastIndexOf(u'/', p);
    if (slash < 0)
        return {};
    return line.sliced(slash + 1, p + 4 - (slash + 1));
}

// An image line names its file between the first "src=" (plus the quote and "image/") and the next quote.
QStringView imageName(QStringView line) {
    const qsizetype src = line.indexOf(u"src=");
    if (src < 0)
        return {};
    const qsizetype s = src + 11;
    if (s > line.size())
        return {};
    const qsizetype e = line.indexOf(u'"', s);
    if (e < 0)
        return {};
    return line.sliced(s, e - s);
}

struct LinkLine {
    QStringView path;
    QStringView title;
    bool ok = false;
};

LinkLine linkLine(QStringView line) {
    LinkLine link;
    const qsizetype open = line.indexOf(u"=\"");
    if (open < 0)
        return link;
    const qsizetype close = line.indexOf(u"\">", open + 2);
    if (close < 0)
        return link;
    const qsizetype end = line.indexOf(u"</a>", close + 2);
    if (end < 0)
        return link;
    link.path = line.sliced(open + 2, close - (open + 2));
    link.title = line.sliced(close + 2, end - (close + 2));
    link.ok = true;
    return link;
}

} // namespace

MonthPageRead parseMonthPage(QByteArrayView bytes, const QString& pageName) {
    MonthPageRead result;
    MonthPage& page = result.page;
    EntryTable& table = page.entries;

    const QString text = textfile::decodeWithReferences(bytes);
    const QList<QStringView> lines = textfile::splitLines(text);

    Section section = Section::Outside;
    int r = 1; // the row the fields go to; only the end of a date section moves on
    int k = 0; // next link row
    bool siteTitleNext = false;
    bool inDiary = false; // between the diary start and end markers
    bool diaryEnded = false;

    // A 32nd block has nowhere to go: the read stops at its first field, so the table never grows
    // past its rows and the caller knows the month was not read whole.
    const auto row = [&]() -> DiaryEntry* {
        if (r > EntryTable::kLastRow) {
            result.outcome = Outcome::failure(Msg::PageTooManyEntries, {pageName});
            return nullptr;
        }
        return &table.rows[r];
    };

    for (const QStringView line : lines) {
        switch (section) {
        case Section::Outside:
            break;
        case Section::Title:
            if (line.endsWith(marker::kTitleEnd)) {
                section = Section::Outside;
            } else {
                DiaryEntry* e = row();
                if (!e)
                    return result;
                e->title = line.toString(); // of several lines the last one stays
            }
            break;
        case Section::Media:
            if (line == marker::kMediaEnd) {
                section = Section::Outside;
            } else {
                QStringView name;
                if (line.startsWith(u"<object "))
                    name = videoName(line);
                else
                    name = imageName(line);
                // Lines without the shape the writer gives them (and empty names) add nothing.
                if (name.isEmpty())
                    break;
                DiaryEntry* e = row();
                if (!e)
                    return result;
                e->media.append(name);
                e->media.append(u';');
            }
            break;
        case Section::Body:
            if (line.endsWith(marker::kBodyEnd)) {
                section = Section::Outside;
            } else {
                DiaryEntry* e = row();
                if (!e)
                    return result;
                // The writer ends every body line but the last with "</p><p>"; what follows it is dropped.
                const qsizetype cut = line.indexOf(marker::kParagraphBreak);
                if (cut >= 0) {
                    e->body.append(line.first(cut));
                    e->body.append(textfile::kCrLf);
                } else {
                    e->body.append(line);
                }
            }
            break;
        case Section::Date:
            if (line.endsWith(marker::kDateEnd)) {
                section = Section::Outside;
                if (!row())
                    return result;
                ++r;
                table.count = r - 1;
            } else {
                DiaryEntry* e = row();
                if (!e)
                    return result;
                e->date = line.toString();
            }
            break;
        case Section::Links:
            if (line.endsWith(marker::kLinksEnd)) {
                section = Section::Outside;
            } else if (k < int(page.links.size())) {
                const LinkLine link = linkLine(line);
                if (link.ok) {
                    page.links[k].path = link.path.toString();
                    page.links[k].title = link.title.toString();
                    ++k;
                }
            }
            break;
        }

        // A start marker line is never content: it is seen after the section it would belong to ended.
        if (line == marker::kLinksStart)
            section = Section::Links;
        else if (line.endsWith(marker::kTitleStart))
            section = Section::Title;
        else if (line == marker::kMediaStart)
            section = Section::Media;
        else if (line.endsWith(marker::kBodyStart))
            section = Section::Body;
        else if (line.endsWith(marker::kDateStart))
            section = Section::Date;

        if (line == marker::kDiaryStart) {
            inDiary = true;
        } else if (line == marker::kDiaryEnd) {
            inDiary = false;
            diaryEnded = true;
        }

        if (siteTitleNext) {
            page.siteTitle = line.toString();
            siteTitleNext = false;
        }
        if (line.startsWith(marker::kSiteName))
            siteTitleNext = true;
    }

    // A page cut short (a failed copy, a transfer that broke off) reads "fine" up to the cut, and a
    // page of another making reads as an empty month: either way the next generate would write over
    // entries that were never read. Say so, so the page is kept as it is.
    const bool unfinishedEntry = r <= EntryTable::kLastRow && !(table.rows[r] == DiaryEntry{});
    const bool blank = text.trimmed().isEmpty();
    if (section != Section::Outside || unfinishedEntry || inDiary || (!diaryEnded && !blank))
        result.outcome = Outcome::failure(Msg::PageIncomplete, {pageName});
    return result;
}

MonthPageRead readMonthPageFile(const QString& home, const QString& folder, const QString& year, const QString& month) {
    const QString path = paths::monthPage(home, folder, year, month);
    const QString name = paths::monthPageName(year, month);
    if (!QFileInfo::exists(path)) {
        MonthPageRead none;
        none.exists = false;
        return none;
    }
    // A folder of that name, a page without read permission, an I/O error: the month is unknown, and
    // must not be taken for an empty one that the next generate would write over the page.
    const std::optional<QByteArray> bytes = textfile::readFile(path);
    if (!bytes) {
        MonthPageRead failed;
        failed.outcome = Outcome::failure(Msg::PageUnreadable, {name});
        return failed;
    }
    return parseMonthPage(*bytes, name);
}

} // namespace tsuzuri
