#include "site/snippets.h"

#include "site/page_format.h"
#include "store/paths.h"
#include "store/textfile.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace tsuzuri {

namespace {

// The rules the calendar and the entries need in the other site's stylesheet. Spacing is part of the
// text users paste: two leading spaces, "MS 明朝" after a comma without a space, no space after the
// colons of the last blocks.
constexpr QStringView kStylesheetLines[] = {
    u"/*ここからカレンダー関連*/",
    u".cltbl {",
    u"  border-collapse: collapse;",
    u"  font-size: 12px;",
    u"  font-family: Times New Roman,MS 明朝;",
    u"  margin: 10px 0px 0px 10px;",
    u"}",
    u"td.cltbltop {",
    u"  text-align: center;",
    u"  border-width: thin;",
    u"  border-style: solid;",
    u"  border-color: #FFFFFF;",
    u"  padding: 1px 1px 1px 1px;",
    u"}",
    u"td {",
    u"  border-width: thin;",
    u"  border-style: solid;",
    u"  border-color: #FFFFFF;",
    u"  padding: 1px 1px 1px 1px;",
    u"}",
    u".cltr {",
    u"  text-align: center;",
    u"}",
    u".sun {",
    u"  color: #FF0000;",
    u"}",
    u".sat {",
    u"  color: #0000FF;",
    u"}",
    u".suk {",
    u"  color: #FF0000;",
    u"}",
    u"h2.dtitle {",
    u"  font-size: 14px;",
    u"  margin: 10px 10px 0px 0px;",
    u"  padding: 0px 0px 0px 0px;",
    u"}",
    u"p.dwriting {",
    u"  font-size: 12px;",
    u"  margin: 10px 10px 0px 10px;",
    u"  padding: 0px 0px 0px 0px;",
    u"}",
    u"p.ddate {",
    u"  text-align: right;",
    u"  font-size: 12px;",
    u"  margin: 10px 10px 0px 0px;",
    u"  padding: 0px 0px 0px 0px;",
    u"}",
    u"img.limg {",
    u"  float:left;",
    u"  color:#7F7F7F;",
    u"  border:none;",
    u"  margin-top:0px;",
    u"}",
    u"p.clr {",
    u"  clear:left;",
    u"}",
    u"/*ここまでカレンダー関連*/",
};
static_assert(std::size(kStylesheetLines) == 58);

} // namespace

QString scriptSnippet() {
    return u"<script type=text/javascript src=calender.js></script>"_s;
}

QString bodySnippet() {
    return u"onload=\"datemark()\""_s;
}

QString stylesheetSnippet() {
    QString text;
    for (const QStringView line : kStylesheetLines)
        text.append(textfile::kCrLf).append(line);
    text.append(textfile::kCrLf);
    return text;
}

QString cutBlock(QStringView pageText, QStringView start, QStringView end) {
    // Walked twice, the first time only to size the block: a page of millions of short lines must not
    // cost a list of them all, nor a block grown by doubling.
    const auto walk = [&](auto&& add) {
        bool inside = false;
        textfile::LineReader lines(pageText);
        for (QStringView line; lines.next(line);) {
            if (line == start)
                inside = true;
            if (line == end) {
                add(line);
                inside = false;
            }
            if (inside)
                add(line);
        }
    };
    qsizetype size = 0;
    walk([&](QStringView line) { size += textfile::kCrLf.size() + line.size(); });
    QString block;
    block.reserve(size);
    walk([&](QStringView line) { block.append(textfile::kCrLf).append(line); });
    return block;
}

CodeSnippets codeSnippets(const std::optional<QString>& pageText) {
    CodeSnippets s;
    s.script = scriptSnippet();
    s.body = bodySnippet();
    s.stylesheet = stylesheetSnippet();
    if (pageText) {
        s.calendar = cutBlock(*pageText, marker::kCalendarStart, marker::kCalendarEnd);
        s.diary = cutBlock(*pageText, marker::kDiaryStart, marker::kDiaryEnd);
    }
    return s;
}

SnippetsRead readCodeSnippets(const QString& home, const QString& folder, const QString& year, const QString& month) {
    SnippetsRead result;
    const QString path = paths::monthPage(home, folder, year, month);
    result.snippets = codeSnippets(std::nullopt);
    switch (textfile::pathKind(paths::diaryFolder(home, folder), path)) {
    case textfile::PathKind::Missing:
        return result;
    case textfile::PathKind::File:
        break;
    default:
        result.outcome = Outcome::failure(Msg::PageUnreadable, {paths::monthPageName(year, month)});
        return result;
    }
    QString error;
    std::optional<QByteArray> bytes = textfile::readRegularFile(path, &error);
    if (!bytes) {
        result.outcome = Outcome::failure(Msg::ErrorWithReason, {QDir::toNativeSeparators(path) + u": "_s + error});
        return result;
    }
    // Plain decoding: the blocks are HTML for another page, where a reference "&#N;" is the right form.
    const QString text = textfile::decode(*bytes);
    bytes.reset();
    result.snippets = codeSnippets(text);
    return result;
}

CodeSnippets codeSnippetsOfMonth(const QString& home, const QString& folder, const QString& year,
                                 const QString& month) {
    return readCodeSnippets(home, folder, year, month).snippets;
}

} // namespace tsuzuri
