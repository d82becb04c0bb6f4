#pragma once

#include "site/month_page_writer.h"

#include <QString>
#include <QStringList>

// Sentences a diary is made of, mixed so that kanji, both kana, full-width and plain Latin letters occur.
// scripts/century-bench makes the same text for the command-line comparison: change both together.
inline const QStringList& sampleSentences() {
    using namespace Qt::StringLiterals;
    static const QStringList sentences = {
        u"朝は晴れていたので、駅まで歩いて行った。"_s,
        u"昼から雨が降り出し、コンビニでビニール傘を買った。"_s,
        u"夜は友人と駅前の居酒屋で食事をした。"_s,
        u"仕事の帰りに本屋へ寄り、新しい文庫本を二冊買った。"_s,
        u"週末は家族で公園へ出かけ、ボートに乗った。"_s,
        u"ＰＣの調子が悪いので、サポートに電話をかけた。"_s,
        u"久しぶりにカレーを作ったら、少し辛すぎた。"_s,
        u"図書館で調べものをしていたら、あっという間に夕方になった。"_s,
        u"Meeting with the team about the new project schedule."_s,
        u"庭の紫陽花がきれいに咲き始めた。"_s,
        u"電車が遅れて、会議に十分ほど遅刻してしまった。"_s,
        u"夕飯は焼き魚と味噌汁、ほうれん草のおひたし。"_s,
        u"母から野菜が届いたので、お礼の電話をした。"_s,
        u"ジョギングを始めて一か月、体が軽くなった気がする。"_s,
    };
    return sentences;
}

// A body as diarists write them: four lines of about a hundred characters (some 440 in all), picked by a
// small deterministic generator that seed carries on.
inline QString sampleBody(quint32& seed) {
    using namespace Qt::StringLiterals;
    QStringList lines;
    for (int l = 0; l < 4; ++l) {
        QString line;
        while (line.size() < 100) {
            seed = seed * 1664525u + 1013904223u;
            line += sampleSentences()[(seed >> 16) % sampleSentences().size()];
        }
        lines.append(line);
    }
    return lines.join(u"\r\n"_s);
}

// A month page of `entries` entries on days 1.., each with a four-line body of some 440 characters and
// one image, and twelve archive links. `extra` goes into every title (say, a character code page 932
// lacks).
inline tsuzuri::MonthPageInput sampleMonth(int year, int month, int entries, const QString& extra = {}) {
    using namespace Qt::StringLiterals;
    tsuzuri::MonthPageInput in;
    in.year = QString::number(year);
    in.month = QString::asprintf("%02d", month);
    in.siteTitle = u"毎日の記録"_s;
    for (int k = 0; k < 12; ++k)
        in.links[k] = {QString::number(k + 1) + u"月の日記"_s, in.year + QString::asprintf("%02d", k + 1)};
    quint32 seed = static_cast<quint32>(year * 100 + month);
    for (int d = 1; d <= entries; ++d) {
        in.entries.rows[d] = tsuzuri::DiaryEntry{
            u"今日の出来事 その"_s + QString::number(d) + extra, sampleBody(seed),
            in.year + u'年' + in.month + u'月' + QString::asprintf("%02d", d) + u'日', u"photo%1.jpg;"_s.arg(d)};
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
