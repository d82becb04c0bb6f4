#pragma once

#include "store/outcome.h"

#include <QString>
#include <QStringView>

namespace tsuzuri {
struct MonthPageInput;
}

// How the text of a field goes into a month page and comes back out. The writer puts field text into
// the page as it stands; only text that the reader would otherwise take for page structure, or turn into
// another text, is escaped, and the reader turns back exactly what the writer escapes, nothing else:
//   - a line the reader would take for a marker gets "&#8288;" (U+2060 WORD JOINER) after that marker's
//     "<!--" (inside the comment, so the browser shows nothing of it);
//   - a "</p><p>" typed into a body is written "</p><!----><p>" (an empty comment between the tags);
//   - a typed reference that the reader would turn into a character ("&#12316;") gets "&#8288;" after
//     its "&", so it reads back as typed (and the browser shows it as typed);
//   - text that already holds one of these forms (a word joiner after "<!--" or after "&" before "#",
//     empty comments between "</p>" and "<p>" in a body) gets one more, and the reader takes one away.
// Pages without such text are byte for byte what they always were.
namespace tsuzuri::fieldtext {

// The markers the reader (or, for the calendar and diary markers, the snippet builder) takes a line of
// the page for, each by its own rule: the whole line, the end of the line (text before the marker is
// allowed) or, for the site name marker, the start of the line.
class Markers {
public:
    static Markers of(QStringView line);
    bool has(QStringView marker) const;
    bool any() const { return m_bits != 0; }

private:
    quint32 m_bits = 0;
};

// For a marker taken by the end of the line: whether something other than spaces stands before it.
bool hasTextBefore(QStringView line, QStringView marker);

enum class Kind {
    Inline, // a part of a page line: a link's path or title, a media name
    Line,   // a whole page line: the site title, an entry's title or date
    Body,   // a body line, followed on its page line by suffix
};

QString escape(QStringView text, Kind kind, QStringView suffix = {});
QString unescape(QStringView text, Kind kind);

// The body as the page holds it: each line escaped, every line but the last followed by "</p><p>",
// lines joined by CR LF. The body's line breaks are CR LF.
QString bodyText(QStringView body);

// TextNotWritable naming the first field the page cannot carry exactly: a line break in a one-line
// field (or one other than CR LF in a body), a NUL character, half of a surrogate pair; a link title
// or path holding "</a>", a path holding "\">"; a media name holding a double quote, an image name holding
// "src=", a video name holding "/" or a second ".mp4", or ".mp4" other than at its end; a setting written
// into media lines (sizes, host, remote folder) holding a line break, or, with a video, ".mp4".
Outcome checkWritable(const MonthPageInput& input);

} // namespace tsuzuri::fieldtext
