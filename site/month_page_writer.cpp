#include "site/month_page_writer.h"

#include "calendar/month.h"
#include "site/field_text.h"
#include "site/month_page_reader.h"
#include "site/page_format.h"
#include "store/paths.h"
#include "store/textfile.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace tsuzuri {

namespace {

constexpr QStringView kCrLf = u"\r\n";
constexpr QStringView kBlankCell = u"<td>&nbsp;</td>";
// The QuickTime addresses; neither may hold ".mp4", since the reader takes a video line's first ".mp4".
constexpr QStringView kQuickTimeCab = u"http://www.apple.com/qtactivex/qtplugin.cab";
constexpr QStringView kQuickTimeDownload = u"http://www.apple.com/quicktime/download/";

class PageText {
public:
    PageText() { text_.reserve(64 * 1024); }
    void line(QStringView s) {
        text_ += s;
        text_ += kCrLf;
    }
    QString& text() { return text_; }

private:
    QString text_;
};

// The page's <title>: the site title's first line without its tags, then the month.
QString pageTitle(const QString& siteTitle, const QString& year, const QString& month) {
    const QString heading = year + u"年"_s + month + u"月"_s;
    const QString site = plainTitle(siteTitle);
    return site.isEmpty() ? heading : site + u' ' + heading;
}

// Addresses, mail links, anchors and folders are written as typed; only page names get ".html".
bool needsHtmlExtension(const QString& path) {
    if (path.contains(u"://") || path.startsWith(u"mailto:") || path.startsWith(u'#') || path.endsWith(u'/'))
        return false;
    return !path.contains(u".html") && !path.contains(u".htm");
}

// A size left empty leaves the attributes out, so the browser shows the file as it is.
bool sizeless(const QString& width, const QString& height) {
    return width.trimmed().isEmpty() || height.trimmed().isEmpty();
}

QString dayContent(int day, bool linked) {
    const QString d = QString::number(day);
    return linked ? u"<a href=\"#name"_s + d + u"\">"_s + d + u"</a>"_s : d;
}

QString firstDayCell(int weekday, bool holiday, bool linked) {
    const QString content = dayContent(1, linked);
    if (weekday == 1)
        return u"<td id=\"i1\" class=sun>"_s + content + u"</td>"_s;
    if (weekday == 7)
        return (holiday ? u"<td id=\"i1\" class=\"suk\">"_s : u"<td id=\"i1\" class=\"sat\">"_s) + content + u"</td>"_s;
    if (holiday)
        return u"<td id=\"i1\"><font color=FF0000>"_s + content + u"</font></td>"_s;
    return u"<td id=\"i1\">"_s + content + u"</td>"_s;
}

QString dayCell(int column, int day, bool holiday, bool linked) {
    QString cls;
    if (column == 1)
        cls = u" class=\"sun\""_s;
    else if (holiday)
        cls = u" class=\"suk\""_s;
    else if (column == 7)
        cls = u" class=\"sat\""_s;
    return u"<td id=\"i"_s + QString::number(day) + u'"' + cls + u'>' + dayContent(day, linked) + u"</td>"_s;
}

struct MediaText {
    QString lines;        // the media lines joined by CR LF
    bool anyName = false; // some name is non-empty after trimming spaces
};

MediaText mediaText(const DiaryEntry& row, const MonthPageInput& in) {
    MediaText out;
    if (row.media.isEmpty())
        return out;
    // Each name ends at a ";"; text after the last ";" is not a name. Empty names (";;", a leading ";")
    // write nothing, but never hide the names around them.
    const QList<QStringView> parts = QStringView(row.media).split(u';');
    QStringList lines;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        const QString escaped = fieldtext::escape(parts[i], fieldtext::Kind::Inline);
        const QStringView name = escaped;
        if (trimSpaces(name).isEmpty())
            continue;
        out.anyName = true;
        if (name.contains(u".mp4")) {
            QString base = u"http://"_s + in.ftpHost + u'/' + in.remoteDir;
            if (!in.remoteDir.endsWith(u'/'))
                base += u'/';
            const QString src = base + u"image/"_s + name.toString();
            const QString size = sizeless(in.videoWidth, in.videoHeight)
                                     ? QString()
                                     : u" width=\""_s + in.videoWidth + u"\" height=\""_s + in.videoHeight + u'"';
            lines << u"<object classid=\"clsid:02BF25D5-8C17-4B23-BC80-D3488ABDDC6B\""_s + size + u" codebase=\""_s +
                         kQuickTimeCab.toString() + u"\">"_s + u"<param name=\"src\" value=\""_s + src + u"\">"_s +
                         u"<param name=\"autoplay\" value=\"false\">"_s +
                         u"<param name=\"controller\" value=\"true\">"_s + u"<embed src=\""_s + src + u'"' + size +
                         u" autoplay=\"true\" controller=\"false\" pluginspage=\""_s + kQuickTimeDownload.toString() +
                         u"\"></object>"_s;
        } else if (in.originalSize || sizeless(in.imageWidth, in.imageHeight)) {
            lines << u"<a href=\"image/"_s + name.toString() +
                         u"\" target=\"_blank\"><img class=\"limg\" src=\"image/"_s + name.toString() + u"\"></a>"_s;
        } else {
            lines << u"<a href=\"image/"_s + name.toString() +
                         u"\" target=\"_blank\"><img class=\"limg\" src=\"image/"_s + name.toString() +
                         u"\" width=\""_s + in.imageWidth + u"px\" height=\""_s + in.imageHeight + u"px\"></a>"_s;
        }
    }
    out.lines = lines.join(kCrLf);
    return out;
}

QString entryBlock(int day, const DiaryEntry& row, const MediaText& media) {
    PageText b;
    b.line(u"<a name=name"_s + QString::number(day) + u"></a><h2 class=\"dtitle\">"_s);
    b.line(marker::kTitleStart);
    b.line(fieldtext::escape(row.title, fieldtext::Kind::Line));
    b.line(marker::kTitleEnd);
    b.line(u"</h2>");
    b.line(marker::kMediaStart);
    if (media.anyName)
        b.line(media.lines);
    b.line(marker::kMediaEnd);
    b.line(u"<p>");
    b.line(marker::kBodyNote);
    b.line(marker::kBodyStart);
    b.line(fieldtext::bodyText(row.body));
    b.line(marker::kBodyEnd);
    b.line(u"</p>");
    b.line(u"<p class=\"clr\"></p>");
    b.line(u"<p class=\"ddate\">");
    b.line(marker::kDateStart);
    b.line(fieldtext::escape(row.date, fieldtext::Kind::Line));
    b.line(marker::kDateEnd);
    b.line(u"</p>");
    b.line(u"<hr>");
    return std::move(b.text());
}

} // namespace

QString plainTitle(QStringView text) {
    qsizetype end = 0;
    while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
        ++end;
    const QStringView first = text.first(end);
    if (!first.contains(u'<'))
        return first.trimmed().toString();
    QString plain;
    for (qsizetype i = 0; i < first.size(); ++i) {
        const qsizetype close = first[i] == u'<' ? first.indexOf(u'>', i + 1) : -1;
        if (close >= 0)
            i = close;
        else
            plain += first[i];
    }
    return plain.trimmed();
}

RenderResult renderMonthPage(const MonthPageInput& in) {
    RenderResult result;
    const EntryTable& table = in.entries;
    const int count = std::min(table.count, EntryTable::kLastRow);

    // The names check comes first, so a page is never half made of an entry that cannot be written.
    for (int j = 1; j <= count; ++j) {
        const QString& media = table.rows[j].media;
        if (!media.isEmpty() && !media.endsWith(u';')) {
            result.outcome = Outcome::failure(Msg::MediaNamesUnterminated);
            return result;
        }
    }
    const std::optional<int> year = parseWholeNumber(in.year);
    const std::optional<int> month = parseWholeNumber(in.month);
    if (!year || !month || *year < 1 || *year > 9999 || *month < 1 || *month > 12) {
        result.outcome = Outcome::failure(Msg::ErrorOccurred);
        return result;
    }
    if (Outcome o = fieldtext::checkWritable(in); !o.ok()) {
        result.outcome = o;
        return result;
    }
    const int y = *year;
    const int m = *month;
    const int days = daysInMonth(y, m);
    const MonthHolidays holidays = monthHolidays(in.holidays, y, m);

    PageText page;
    page.line(head::kDoctype);
    page.line(u"<html>");
    page.line(u"<head>");
    page.line(head::kContentType);
    page.line(head::kViewport);
    page.line(u"<title>"_s + pageTitle(in.siteTitle, in.year, in.month) + u"</title>"_s);
    page.line(head::kStylesheet);
    page.line(head::kScript);
    page.line(u"</head>");
    page.line(u"<body onload=\"datemark()\">");
    page.line(u"<div class=\"top\">");
    page.line(marker::kSiteName);
    page.line(fieldtext::escape(in.siteTitle, fieldtext::Kind::Line));
    page.line(u"</div>");
    page.line(u"<div class=\"contents\">");
    page.line(u"<div class=\"side\">");
    page.line(u"<div class=\"calendar\">");
    page.line(marker::kCalendarStart);
    page.line(u"<table class=\"cltbl\">");
    page.line(u"<tr>");
    page.line(u"<td class=\"cltbltop\" colspan=7>");
    page.line(in.year + u"年"_s + in.month + u"月"_s);
    page.line(u"</td>");
    page.line(u"</tr>");
    page.line(u"<tr>");
    page.line(u"<td class=\"sun\">Sun</td>");
    page.line(u"<td>Mon</td>");
    page.line(u"<td>Tue</td>");
    page.line(u"<td>Wed</td>");
    page.line(u"<td>Thu</td>");
    page.line(u"<td>Fri</td>");
    page.line(u"<td class=\"sat\">Sat</td>");

    std::array<QString, 43> cells;
    cells.fill(kBlankCell.toString());
    QString diary; // entry blocks, newest day first
    int day = 0;
    bool ended = false;
    for (int p = 1; p <= 42; ++p) {
        if (!ended && day < days)
            ++day;
        else
            ended = true;

        if (ended) {
            cells[p] = kBlankCell.toString();
            // A month that ends within the fifth row has no sixth row at all.
            if (p == 36)
                break;
        } else {
            const QString date = dateLine(in.year, in.month, QString::asprintf("%02d", day));
            const bool linked = table.hasEntry(date);
            const bool holiday = holidays.page[day];
            if (day == 1) {
                // Day 1 goes straight to its weekday's column; the positions before it stay blank.
                const int w = weekdayOf(y, m, 1);
                cells[w] = firstDayCell(w, holiday, linked);
                p = w;
            } else {
                cells[p] = dayCell((p - 1) % 7 + 1, day, holiday, linked);
            }
            for (int j = 1; j <= count; ++j) {
                const DiaryEntry& row = table.rows[j];
                if (row.date != date)
                    continue;
                const MediaText media = mediaText(row, in);
                if (trimSpaces(row.title).isEmpty() && trimSpaces(row.body).isEmpty() && !media.anyName)
                    continue;
                diary.prepend(entryBlock(day, row, media));
            }
        }
        if (p % 7 == 0) {
            QString tr = u"<tr class=\"cltr\">"_s;
            for (int k = p - 6; k <= p; ++k) {
                tr += u'\r';
                tr += cells[k];
            }
            tr += u"</tr>"_s;
            page.line(tr);
        }
    }

    page.line(u"</table>");
    page.line(marker::kCalendarEnd);
    page.line(u"</div>");
    page.line(u"<div class=\"link\">");
    page.line(u"<p class=\"arc\">Archive</p>");
    page.line(u"<ul>");
    page.line(marker::kLinksStart);
    result.page.links = in.links;
    for (LinkPair& link : result.page.links) {
        if (link.title.isEmpty())
            continue;
        if (needsHtmlExtension(link.path))
            link.path += u".html"_s;
        page.line(u"<li><a href=\""_s + fieldtext::escape(link.path, fieldtext::Kind::Inline) + u"\">"_s +
                  fieldtext::escape(link.title, fieldtext::Kind::Inline) + u"</a></li>"_s);
    }
    page.line(marker::kLinksEnd);
    page.line(u"</ul>");
    page.line(u"</div>");
    page.line(u"</div>");
    page.line(u"<div class=\"diary\">");
    page.line(marker::kDiaryStart);
    page.line(diary);
    page.line(marker::kDiaryEnd);
    page.line(u"</div>");
    page.line(u"</div>");
    page.line(u"</body>");
    page.line(u"</html>");

    result.page.bytes = textfile::encode(page.text());
    return result;
}

Outcome prepareMonthPage(const QString& home, const QString& folder, const MonthPageInput& input,
                         bool replaceUnreadable, PreparedPage& page) {
    RenderResult r = renderMonthPage(input);
    if (!r.outcome.ok())
        return r.outcome;
    page.path = paths::monthPage(home, folder, input.year, input.month);
    // Whatever writes the month, the page on disk must read back whole first: otherwise it holds
    // entries this write never saw. Something that is no page at all is never replaced.
    const MonthPageRead before = readMonthPageFile(home, folder, input.year, input.month);
    page.replacesUnreadable = !before.outcome.ok();
    if (page.replacesUnreadable && (!replaceUnreadable || textfile::pathKind(paths::diaryFolder(home, folder),
                                                                             page.path) != textfile::PathKind::File))
        return before.outcome;
    page.bytes = std::move(r.page.bytes);
    page.links = r.page.links;
    return Outcome::success();
}

namespace {

Outcome keepUnreadable(const PreparedPage& page, QString& backup) {
    const std::optional<QString> kept = textfile::keepBackup(page.path);
    if (!kept)
        return Outcome::failure(Msg::WriteFailed, {QDir::toNativeSeparators(page.path + u".bak"_s)});
    backup = *kept;
    return Outcome::success();
}

} // namespace

Outcome writeMonthPage(const QString& home, const QString& folder, const MonthPageInput& input,
                      LinkPairs* completedLinks, QString* backupOfUnreadable) {
    PreparedPage page;
    if (const Outcome o = prepareMonthPage(home, folder, input, backupOfUnreadable != nullptr, page); !o.ok())
        return o;
    if (page.replacesUnreadable) {
        if (const Outcome o = keepUnreadable(page, *backupOfUnreadable); !o.ok())
            return o;
    }
    const Outcome written = textfile::writeFileAtomically(page.path, page.bytes);
    if (!written.ok())
        return written;
    if (completedLinks)
        *completedLinks = page.links;
    return Outcome::success();
}

Outcome writeMonthPages(const QList<PreparedPage>& pages, QStringList* backups,
                        const std::function<void(qsizetype)>& staged) {
    QList<textfile::FileContent> files;
    files.reserve(pages.size());
    for (const PreparedPage& page : pages) {
        if (page.replacesUnreadable) {
            QString backup;
            if (const Outcome o = keepUnreadable(page, backup); !o.ok())
                return o;
            if (backups)
                backups->append(backup);
        }
        files.append({page.path, page.bytes});
    }
    return textfile::writeFilesAtomically(files, staged);
}

int dayOfDate(QStringView date, const QString& year, const QString& month) {
    const std::optional<int> y = parseWholeNumber(year);
    const std::optional<int> m = parseWholeNumber(month);
    const QString prefix = dateLine(year, month, {}).chopped(1); // "2005年11月"
    const auto digit = [&](qsizetype i) { return i < date.size() && date[i] >= u'0' && date[i] <= u'9'; };
    if (!y || !m || *m < 1 || *m > 12 || date.size() != prefix.size() + 3 || !date.startsWith(prefix) ||
        !date.endsWith(u'日') || !digit(prefix.size()) || !digit(prefix.size() + 1))
        return 0;
    const int day = (date[prefix.size()].unicode() - u'0') * 10 + (date[prefix.size() + 1].unicode() - u'0');
    return day >= 1 && day <= daysInMonth(*y, *m) ? day : 0;
}

} // namespace tsuzuri
