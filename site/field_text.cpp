#include "site/field_text.h"

#include "site/month_page_writer.h"
#include "site/page_format.h"
#include "store/textfile.h"

#include <QVarLengthArray>

#include <tuple>

using namespace Qt::StringLiterals;

namespace tsuzuri::fieldtext {

namespace {

enum class Rule { Whole, End, Start };

struct MarkerRule {
    QStringView marker;
    Rule rule;
};

// How the reader (and, for the calendar and diary markers, the snippet builder) recognises each marker.
constexpr MarkerRule kRules[] = {
    {marker::kSiteName, Rule::Start},   {marker::kCalendarStart, Rule::Whole}, {marker::kCalendarEnd, Rule::Whole},
    {marker::kLinksStart, Rule::Whole}, {marker::kLinksEnd, Rule::End},        {marker::kDiaryStart, Rule::Whole},
    {marker::kDiaryEnd, Rule::Whole},   {marker::kTitleStart, Rule::End},      {marker::kTitleEnd, Rule::End},
    {marker::kMediaStart, Rule::Whole}, {marker::kMediaEnd, Rule::Whole},      {marker::kBodyStart, Rule::End},
    {marker::kBodyEnd, Rule::End},      {marker::kDateStart, Rule::End},       {marker::kDateEnd, Rule::End},
};

constexpr QStringView kCommentOpen = u"<!--";
constexpr QStringView kJoinerRef = u"&#8288;";
constexpr QChar kJoiner = QChar(0x2060);
constexpr QStringView kParagraphEnd = u"</p>";
constexpr QStringView kParagraphStart = u"<p>";
constexpr QStringView kEmptyComment = u"<!---->";

bool matches(QStringView line, const MarkerRule& r) {
    // Sizes first and a plain comparison after: a page has a dozen marker lines per entry to sort.
    const qsizetype n = r.marker.size();
    switch (r.rule) {
    case Rule::Whole: return line.size() == n && line == r.marker;
    case Rule::End: return line.size() >= n && line.last(n) == r.marker;
    case Rule::Start: return line.size() >= n && line.first(n) == r.marker;
    }
    return false;
}

// Where "</p>" at i is followed by empty comments and then "<p>": the number of those comments.
std::optional<int> commentsBetweenParagraphs(QStringView text, qsizetype i) {
    qsizetype j = i + kParagraphEnd.size();
    int comments = 0;
    while (text.sliced(j).startsWith(kEmptyComment)) {
        j += kEmptyComment.size();
        ++comments;
    }
    if (!text.sliced(j).startsWith(kParagraphStart))
        return std::nullopt;
    return comments;
}

bool oneLine(QStringView s) {
    return !s.contains(u'\r') && !s.contains(u'\n');
}

// No NUL (the reader takes it for damage) and no half of a surrogate pair (no reference turns it back).
bool plainCharacters(QStringView s) {
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c.isNull())
            return false;
        if (c.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return false;
    }
    return true;
}

// Whether the reader takes back from its media line exactly the name the writer put there: an image
// line's name runs from the first "src=" to the next double quote, a video line's from the nearest "/"
// before its first ".mp4" to that ".mp4".
bool mediaNameReadsBack(QStringView name) {
    if (name.contains(u'"'))
        return false;
    if (!name.contains(u".mp4"))
        return !name.contains(u"src=");
    return name.endsWith(u".mp4") && name.count(u".mp4") == 1 && !name.contains(u'/');
}

bool crLfOnly(QStringView s) {
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'\r' && !(i + 1 < s.size() && s[i + 1] == u'\n'))
            return false;
        if (s[i] == u'\n' && !(i > 0 && s[i - 1] == u'\r'))
            return false;
    }
    return true;
}

} // namespace

Markers Markers::of(QStringView line) {
    Markers found;
    // Every marker ends its line with "-->" or, the site name, starts it with "<!--": most lines are none.
    const qsizetype n = line.size();
    const bool closesComment = n >= 3 && line[n - 1] == u'>' && line[n - 2] == u'-' && line[n - 3] == u'-';
    if (!closesComment && !(n >= 4 && line[0] == u'<' && line[1] == u'!' && line[2] == u'-' && line[3] == u'-'))
        return found;
    for (size_t i = 0; i < std::size(kRules); ++i) {
        if (matches(line, kRules[i]))
            found.m_bits |= 1u << i;
    }
    return found;
}

bool Markers::has(QStringView marker) const {
    if (m_bits == 0)
        return false;
    for (size_t i = 0; i < std::size(kRules); ++i) {
        // The markers are single objects: their address finds them without comparing their text.
        if (kRules[i].marker.data() == marker.data())
            return m_bits & (1u << i);
    }
    for (size_t i = 0; i < std::size(kRules); ++i) {
        if (kRules[i].marker == marker)
            return m_bits & (1u << i);
    }
    return false;
}

bool hasTextBefore(QStringView line, QStringView marker) {
    return !line.first(line.size() - marker.size()).trimmed().isEmpty();
}

namespace {

void appendEscaped(QString& out, QStringView text, Kind kind, QStringView suffix) {
    if (!text.contains(u'&') && !text.contains(u'<')) {
        out += text;
        return;
    }
    // The "<!--" of every marker the reader would see on the page line.
    QVarLengthArray<qsizetype, 2> markerAt;
    if (kind != Kind::Inline) {
        const QString line = text.toString().append(suffix);
        for (const MarkerRule& r : kRules) {
            if (matches(line, r))
                markerAt.append(r.rule == Rule::End ? line.size() - r.marker.size() : 0);
        }
    }
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        const QStringView rest = text.sliced(i);
        if (rest.startsWith(kCommentOpen)) {
            out += kCommentOpen;
            i += kCommentOpen.size();
            if (markerAt.contains(i - kCommentOpen.size()) || (i < n && text[i] == kJoiner))
                out += kJoiner;
        } else if (text[i] == u'&') {
            qsizetype j = i + 1;
            while (j < n && text[j] == kJoiner)
                ++j;
            out += u'&';
            if (j > i + 1 ? j < n && text[j] == u'#' : textfile::referenceAt(text, i).has_value())
                out += kJoiner;
            ++i;
        } else if (kind == Kind::Body && rest.startsWith(kParagraphEnd) && commentsBetweenParagraphs(text, i)) {
            out += kParagraphEnd;
            out += kEmptyComment;
            i += kParagraphEnd.size();
        } else {
            out += text[i];
            ++i;
        }
    }
}

} // namespace

QString escape(QStringView text, Kind kind, QStringView suffix) {
    QString out;
    out.reserve(text.size());
    appendEscaped(out, text, kind, suffix);
    return out;
}

QString unescape(QStringView text, Kind kind) {
    if (!text.contains(u'&') && !text.contains(u'<'))
        return text.toString();
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        const QStringView rest = text.sliced(i);
        if (rest.startsWith(kCommentOpen) && rest.sliced(kCommentOpen.size()).startsWith(kJoinerRef)) {
            out += kCommentOpen;
            i += kCommentOpen.size() + kJoinerRef.size();
        } else if (text[i] == u'&' && rest.sliced(1).startsWith(kJoinerRef)) {
            qsizetype j = i + 1;
            while (text.sliced(j).startsWith(kJoinerRef))
                j += kJoinerRef.size();
            out += u'&';
            // The writer's word joiner only stands before "#"; any other is the text's own.
            i += j < n && text[j] == u'#' ? 1 + kJoinerRef.size() : 1;
        } else if (text[i] == u'&' && textfile::referenceAt(text, i)) {
            const textfile::Reference ref = *textfile::referenceAt(text, i);
            textfile::appendCodePoint(out, ref.character);
            i += ref.length;
        } else if (kind == Kind::Body && rest.startsWith(kParagraphEnd) &&
                   commentsBetweenParagraphs(text, i).value_or(0) > 0) {
            out += kParagraphEnd;
            i += kParagraphEnd.size() + kEmptyComment.size();
        } else {
            out += text[i];
            ++i;
        }
    }
    return out;
}

QString bodyText(QStringView body) {
    QString out;
    out.reserve(body.size() + 64);
    for (qsizetype from = 0;;) {
        const qsizetype end = body.indexOf(textfile::kCrLf, from);
        if (end < 0) {
            appendEscaped(out, body.sliced(from), Kind::Body, {});
            return out;
        }
        appendEscaped(out, body.sliced(from, end - from), Kind::Body, marker::kParagraphBreak);
        out += marker::kParagraphBreak;
        out += textfile::kCrLf;
        from = end + textfile::kCrLf.size();
    }
}

Outcome checkWritable(const MonthPageInput& in) {
    const auto refuse = [](const QString& where) { return Outcome::failure(Msg::TextNotWritable, {where}); };
    const auto fine = [](QStringView s) { return oneLine(s) && plainCharacters(s); };
    if (!fine(in.siteTitle))
        return refuse(u"サイトのタイトル"_s);
    for (qsizetype k = 0; k < qsizetype(in.links.size()); ++k) {
        const LinkPair& link = in.links[k];
        if (link.title.isEmpty())
            continue; // never written
        const auto of = [&](const QString& field) { return refuse(u"リンク%1の"_s.arg(k + 1) + field); };
        // The reader ends a link's path at its first "\">" and its title at the first "</a>", and takes
        // a second "</a>" on the line for a title cut short.
        if (!fine(link.title) || link.title.contains(u"</a>"))
            return of(u"日本語名"_s);
        if (!fine(link.path) || link.path.contains(u"\">") || link.path.contains(u"</a>"))
            return of(u"ファイル名"_s);
    }
    bool anyVideo = false;
    for (int j = 1; j <= std::min(in.entries.count, EntryTable::kLastRow); ++j) {
        const DiaryEntry& e = in.entries.rows[j];
        anyVideo = anyVideo || e.media.contains(u".mp4");
        const bool dateFine = fine(e.date);
        const auto of = [&](const QString& field) {
            return refuse((dateFine && !e.date.isEmpty() ? e.date : u"日記"_s) + u"の"_s + field);
        };
        if (!dateFine)
            return of(u"日付"_s);
        if (!fine(e.title))
            return of(u"タイトル"_s);
        if (!plainCharacters(e.body) || !crLfOnly(e.body))
            return of(u"本文"_s);
        bool namesReadBack = true;
        for (const QStringView name : QStringView(e.media).tokenize(u';'))
            namesReadBack = namesReadBack && (trimSpaces(name).isEmpty() || mediaNameReadsBack(name));
        if (!fine(e.media) || !namesReadBack)
            return of(u"画像ファイル名"_s);
    }
    // The settings written into media lines: a line break would split one, and a ".mp4" before a video's
    // name would be taken for the name's.
    const std::tuple<const QString&, QStringView, bool> settings[] = {
        {in.imageWidth, u"画像サイズの横幅", false}, {in.imageHeight, u"画像サイズの縦幅", false},
        {in.videoWidth, u"動画サイズの横幅", true},  {in.videoHeight, u"動画サイズの縦幅", true},
        {in.ftpHost, u"接続先", true},               {in.remoteDir, u"アップロード先", true},
    };
    for (const auto& [text, caption, beforeVideoName] : settings) {
        if (!fine(text) || (anyVideo && beforeVideoName && text.contains(u".mp4")))
            return refuse(caption.toString());
    }
    return Outcome::success();
}

} // namespace tsuzuri::fieldtext
