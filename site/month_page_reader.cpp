#include "site/month_page_reader.h"

#include "site/field_text.h"
#include "site/month_page_writer.h"
#include "site/page_format.h"
#include "store/paths.h"
#include "store/textfile.h"

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

QStringView endMarker(Section s) {
    switch (s) {
    case Section::Title: return marker::kTitleEnd;
    case Section::Media: return marker::kMediaEnd;
    case Section::Body: return marker::kBodyEnd;
    case Section::Date: return marker::kDateEnd;
    case Section::Links: return marker::kLinksEnd;
    case Section::Outside: break;
    }
    return {};
}

Section startedSection(const fieldtext::Markers& found) {
    // Tested in this order, the first hit wins.
    if (found.has(marker::kLinksStart))
        return Section::Links;
    if (found.has(marker::kTitleStart))
        return Section::Title;
    if (found.has(marker::kMediaStart))
        return Section::Media;
    if (found.has(marker::kBodyStart))
        return Section::Body;
    if (found.has(marker::kDateStart))
        return Section::Date;
    return Section::Outside;
}

bool isEndMarker(const fieldtext::Markers& found) {
    for (const Section s : {Section::Title, Section::Media, Section::Body, Section::Date, Section::Links}) {
        if (found.has(endMarker(s)))
            return true;
    }
    return false;
}

// The section an entry block goes on with after s: title, media, body, date, then the next block.
Section after(Section s) {
    switch (s) {
    case Section::Title: return Section::Media;
    case Section::Media: return Section::Body;
    case Section::Body: return Section::Date;
    default: return Section::Title;
    }
}

} // namespace

MonthPageRead parseMonthPage(QByteArrayView bytes, const QString& pageName) {
    MonthPageRead result;
    MonthPage& page = result.page;
    EntryTable& table = page.entries;

    // Plain decoding: the markers are found on the page's own text, and each field is turned back on
    // its own, so that an escaped marker inside a field is never taken for one.
    const QString text = textfile::decode(bytes);

    // Whether the page differs from what the writer makes in a way that loses or moves text: a marker
    // deleted, a line joined to a marker, broken line ends, zeroed bytes. Such a page is shown as far as
    // it reads, but must never be written over.
    bool damaged = text.contains(QChar(u'\0'));

    Section section = Section::Outside;
    Section expected = Section::Title; // the next section of an entry block (the title: between blocks)
    int r = 1; // the row the fields go to; only the end of a date section moves on
    int k = 0; // next link row
    int fieldLines = 0;       // lines of the open section: the writer writes one title or date line
    bool lastBodyLine = false; // the body line before had no "</p><p>": the writer ends a body there
    bool siteTitleNext = false;
    bool siteTitleTaken = false; // the site title was the line before; its division ends on this one
    int siteNames = 0;
    int linkSections = 0;
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

    textfile::LineReader lines(text);
    for (QStringView line; lines.next(line);) {
        if (siteTitleTaken) {
            // A site title of several lines, or one moved down by an inserted line, would come back cut.
            damaged |= line.trimmed() != u"</div>";
            siteTitleTaken = false;
        }
        const fieldtext::Markers found = fieldtext::Markers::of(line);
        const bool closes = found.any() && section != Section::Outside && found.has(endMarker(section));
        switch (closes ? Section::Outside : section) {
        case Section::Outside:
            break;
        case Section::Title:
        case Section::Date: {
            DiaryEntry* e = row();
            if (!e)
                return result;
            damaged |= fieldLines++ > 0; // of several lines only the last would stay
            (section == Section::Title ? e->title : e->date) = fieldtext::unescape(line, fieldtext::Kind::Line);
            break;
        }
        case Section::Media: {
            if (line.trimmed().isEmpty())
                break;
            const QStringView name = line.startsWith(u"<object ") ? videoName(line) : imageName(line);
            if (name.isEmpty()) {
                damaged = true; // a line without the shape the writer gives it: its file is not known
                break;
            }
            DiaryEntry* e = row();
            if (!e)
                return result;
            e->media.append(fieldtext::unescape(name, fieldtext::Kind::Inline));
            e->media.append(u';');
            break;
        }
        case Section::Body: {
            DiaryEntry* e = row();
            if (!e)
                return result;
            // The writer ends every body line but the last with "</p><p>": a line after one without it,
            // or text after it, would be joined to its neighbour or dropped.
            damaged |= lastBodyLine;
            ++fieldLines;
            const qsizetype cut = line.indexOf(marker::kParagraphBreak);
            lastBodyLine = cut < 0;
            if (cut >= 0) {
                damaged |= cut + marker::kParagraphBreak.size() != line.size();
                e->body.append(fieldtext::unescape(line.first(cut), fieldtext::Kind::Body));
                e->body.append(textfile::kCrLf);
            } else {
                e->body.append(fieldtext::unescape(line, fieldtext::Kind::Body));
            }
            break;
        }
        case Section::Links: {
            if (line.trimmed().isEmpty())
                break;
            const LinkLine link = linkLine(line);
            // A second "</a>" was the title's own: the title would come back cut.
            if (!link.ok || k >= int(page.links.size()) || line.count(u"</a>") > 1) {
                damaged = true;
                break;
            }
            page.links[k].path = fieldtext::unescape(link.path, fieldtext::Kind::Inline);
            page.links[k].title = fieldtext::unescape(link.title, fieldtext::Kind::Inline);
            ++k;
            break;
        }
        }

        if (closes) {
            // What stands before an end marker on its line belongs to no field. The writer follows a
            // body line ending in "</p><p>" with one more line: without it, a typed "</p><p>" was lost.
            damaged |= fieldtext::hasTextBefore(line, endMarker(section));
            damaged |= section == Section::Body && fieldLines > 0 && !lastBodyLine;
            if (section == Section::Date) {
                if (!row())
                    return result;
                ++r;
                table.count = r - 1;
            }
            section = Section::Outside;
        }

        // A start marker line is never content. Inside an open section it means that section's end was
        // lost; an end marker outside any section means its start was.
        const Section started = found.any() ? startedSection(found) : Section::Outside;
        const bool siteName = found.has(marker::kSiteName);
        if (section != Section::Outside && (started != Section::Outside || siteName))
            damaged = true;
        if (found.any() && section == Section::Outside && !closes && isEndMarker(found))
            damaged = true;
        if (started == Section::Links) {
            damaged |= expected != Section::Title;
            ++linkSections;
        } else if (started != Section::Outside) {
            damaged |= started != expected;
            expected = after(started);
        }
        if (started != Section::Outside) {
            section = started;
            fieldLines = 0;
            lastBodyLine = false;
        }

        if (found.has(marker::kDiaryStart)) {
            inDiary = true;
        } else if (found.has(marker::kDiaryEnd)) {
            inDiary = false;
            diaryEnded = true;
        }

        if (siteTitleNext) {
            page.siteTitle = fieldtext::unescape(line, fieldtext::Kind::Line);
            siteTitleNext = false;
            siteTitleTaken = true;
        }
        if (siteName) {
            siteTitleNext = true;
            ++siteNames;
        }
    }

    // A page cut short (a failed copy, a transfer that broke off) reads "fine" up to the cut, and a
    // page of another making reads as an empty month: either way the next generate would write over
    // entries that were never read. Say so, so the page is kept as it is.
    const bool blank = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSpace(); });
    const bool whole = section == Section::Outside && expected == Section::Title && !inDiary && diaryEnded &&
                       siteNames == 1 && linkSections > 0;
    if (damaged || (!whole && !blank))
        result.outcome = Outcome::failure(Msg::PageIncomplete, {pageName});
    return result;
}

MonthPageRead readMonthPageFile(const QString& home, const QString& folder, const QString& year, const QString& month) {
    const QString path = paths::monthPage(home, folder, year, month);
    const QString name = paths::monthPageName(year, month);
    MonthPageRead read;
    // A folder, a pipe or a device of that name, a link out of the diary folder, a page without read
    // permission, an I/O error: the month is unknown, and must not be taken for an empty one that the
    // next generate would write over the page.
    switch (textfile::pathKind(paths::diaryFolder(home, folder), path)) {
    case textfile::PathKind::Missing:
        read.exists = false;
        return read;
    case textfile::PathKind::File:
        break;
    default:
        read.outcome = Outcome::failure(Msg::PageUnreadable, {name});
        return read;
    }
    const std::optional<QByteArray> bytes = textfile::readRegularFile(path);
    if (!bytes) {
        read.outcome = Outcome::failure(Msg::PageUnreadable, {name});
        return read;
    }
    read = parseMonthPage(*bytes, name);
    // The writer leaves out a row whose date names no day of the month: the next generate would lose it.
    for (int j = 1; read.outcome.ok() && j <= read.page.entries.count; ++j) {
        if (dayOfDate(read.page.entries.rows[j].date, year, month) == 0)
            read.outcome = Outcome::failure(Msg::PageIncomplete, {name});
    }
    return read;
}

} // namespace tsuzuri
