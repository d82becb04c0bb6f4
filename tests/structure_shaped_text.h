#pragma once

// Months whose texts look like the page's own structure: markers, paragraph breaks, references, escapes.

#include "site/month_page_writer.h"
#include "site/page_format.h"

#include <QStringList>

inline QStringList structureShapedPieces() {
    using namespace Qt::StringLiterals;
    using namespace tsuzuri;
    QStringList pieces{u"</p><p>"_s,   u"</p>"_s,  u"<p>"_s,   u"<!---->"_s, u"<!--"_s, u"-->"_s, u"&#12316;"_s,
                       u"&#128512;"_s, u"&#60;"_s, u"&#65;"_s, u"&#8288;"_s, u"&"_s,    u"#"_s,   u"\u2060"_s,
                       u"\uFEFF"_s,    u"😀"_s,     u"〜"_s,    u" "_s,       u"日記"_s};
    for (const QStringView m : {marker::kSiteName, marker::kCalendarStart, marker::kCalendarEnd, marker::kLinksStart,
                                marker::kLinksEnd, marker::kDiaryStart, marker::kDiaryEnd, marker::kTitleStart,
                                marker::kTitleEnd, marker::kMediaStart, marker::kMediaEnd, marker::kBodyNote,
                                marker::kBodyStart, marker::kBodyEnd, marker::kDateStart, marker::kDateEnd})
        pieces << m.toString();
    return pieces;
}

// November 2005 made of those pieces as next(n) (a number below n) picks them, newest day first.
template <typename Next> tsuzuri::MonthPageInput structureShapedMonth(Next&& next) {
    using namespace Qt::StringLiterals;
    static const QStringList pieces = structureShapedPieces();
    const auto text = [&](int maxPieces, bool lines = false) {
        QString s;
        for (int n = next(maxPieces + 1); n > 0; --n)
            s += lines && next(4) == 0 ? u"\r\n"_s : pieces[next(int(pieces.size()))];
        return s;
    };
    tsuzuri::MonthPageInput in;
    in.year = u"2005"_s;
    in.month = u"11"_s;
    in.siteTitle = text(4);
    for (tsuzuri::LinkPair& link : in.links)
        link = {u"t"_s + text(3), text(3)};
    for (int day = 1 + next(30); day >= 1; --day) {
        QString media;
        for (int n = 1 + next(2); n > 0; --n)
            media += text(3).remove(u';') + u"x.jpg;"_s;
        in.entries.rows[++in.entries.count] =
            tsuzuri::DiaryEntry{text(4), text(12, true), u"2005年11月%1日"_s.arg(day, 2, 10, QChar(u'0')), media};
    }
    return in;
}
