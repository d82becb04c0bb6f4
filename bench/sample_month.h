#pragma once

#include "site/month_page_writer.h"

#include <QString>

// A month page of `entries` entries on days 1.., each with a three-line Japanese body, two images and a
// video, and twelve archive links. `extra` goes into every title (say, a character code page 932 lacks).
inline tsuzuri::MonthPageInput sampleMonth(int year, int month, int entries, const QString& extra = {}) {
    using namespace Qt::StringLiterals;
    tsuzuri::MonthPageInput in;
    in.year = QString::number(year);
    in.month = QString::asprintf("%02d", month);
    in.siteTitle = u"毎日の記録"_s;
    for (int k = 0; k < 12; ++k)
        in.links[k] = {QString::number(k + 1) + u"月の日記"_s, in.year + QString::asprintf("%02d", k + 1)};
    for (int d = 1; d <= entries; ++d) {
        in.entries.rows[d] = tsuzuri::DiaryEntry{
            u"今日の出来事 その"_s + QString::number(d) + extra,
            u"朝は晴れていた。\r\n昼から雨が降り、傘を買った。\r\n夜は友人と食事をした。"_s,
            in.year + u'年' + in.month + u'月' + QString::asprintf("%02d", d) + u'日',
            u"photo%1a.jpg;photo%1b.jpg;movie%1.mp4;"_s.arg(d)};
    }
    in.entries.count = entries;
    in.imageWidth = u"320"_s;
    in.imageHeight = u"240"_s;
    in.videoWidth = u"320"_s;
    in.videoHeight = u"256"_s;
    in.ftpHost = u"example.jp"_s;
    in.remoteDir = u"www/diary"_s;
    return in;
}
