// Writes a sample month page, as the program would, for the browser check and the screenshot:
//   sample_month_page <program folder> <diary folder name> <year> <month>
// gives <program folder>/<diary folder name>/<year><month>.html with three entries (one with a picture,
// image/photo.svg, written beside it so the page loads without a missing file), archive links and a
// site title. The templates are not copied: the caller puts the ones it wants to try beside the page.

#include "site/month_page_writer.h"
#include "store/entry_table.h"
#include "store/outcome.h"
#include "store/paths.h"
#include "store/textfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

// A small landscape, so the page shows how a picture beside an entry looks.
constexpr char kPhotoSvg[] = R"svg(<svg xmlns="http://www.w3.org/2000/svg" width="480" height="360" viewBox="0 0 480 360">
<defs>
<linearGradient id="sky" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="#f7b267"/><stop offset="1" stop-color="#fde9c9"/></linearGradient>
<linearGradient id="lake" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="#6c8ea4"/><stop offset="1" stop-color="#3d5a6c"/></linearGradient>
</defs>
<rect width="480" height="360" fill="url(#sky)"/>
<circle cx="330" cy="150" r="42" fill="#fff4dc" opacity="0.9"/>
<path d="M0 230 L90 140 L150 190 L240 100 L330 200 L400 150 L480 220 L480 360 L0 360 Z" fill="#7a5c61"/>
<path d="M0 260 L70 210 L140 250 L220 190 L300 245 L380 215 L480 255 L480 360 L0 360 Z" fill="#4f3b45"/>
<rect y="280" width="480" height="80" fill="url(#lake)"/>
<path d="M40 300 H160 M220 318 H330 M360 296 H450" stroke="#cfe0ea" stroke-width="3" stroke-linecap="round" opacity="0.7"/>
</svg>
)svg";

QString twoDigits(int n) { return QString::number(n).rightJustified(2, u'0'); }

// The month before year/month, |back| months back, as "YYYYMM" and "YYYY年MM月".
std::pair<QString, QString> monthBefore(int year, int month, int back) {
    int index = year * 12 + (month - 1) - back;
    const QString y = QString::number(index / 12);
    const QString m = twoDigits(index % 12 + 1);
    return {y + m, y + u"年"_s + m + u"月"_s};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    bool yearOk = false, monthOk = false;
    const int year = args.size() == 5 ? args[3].toInt(&yearOk) : 0;
    const int month = args.size() == 5 ? args[4].toInt(&monthOk) : 0;
    if (!yearOk || !monthOk || year < 1000 || year > 9999 || month < 1 || month > 12) {
        err << "usage: sample_month_page <program folder> <diary folder name> <year> <month>\n";
        return 2;
    }
    const QString home = args[1];
    const QString folder = args[2];

    using namespace tsuzuri;
    MonthPageInput in;
    in.year = QString::number(year);
    in.month = twoDigits(month);
    in.siteTitle = u"つづり日記 ― 小さな毎日の記録"_s;
    in.imageWidth = u"240"_s;
    in.imageHeight = u"180"_s;
    in.ftpHost = u"www.example.jp"_s;
    in.remoteDir = u"diary"_s;

    const auto day = [&](int d) { return dateLine(in.year, in.month, twoDigits(d)); };
    in.entries.store({u"夕暮れの湖"_s,
                      u"仕事帰りに少し遠回りして湖まで歩いた。\r\n"
                      u"空が橙色から紫に変わっていくのを、ベンチに座ってしばらく眺めていた。\r\n"
                      u"\r\n"
                      u"風が冷たくなってきたので、温かい缶コーヒーを買って帰る。"_s,
                      day(18), u"photo.svg;"_s});
    in.entries.store({u"古本屋めぐり"_s,
                      u"駅前の古本屋で、ずっと探していた随筆集を見つけた。\r\n"
                      u"表紙は少し色あせているけれど、中はきれい。今夜から少しずつ読む。"_s,
                      day(11), QString()});
    in.entries.store({u"月のはじめに"_s,
                      u"今月の目標：毎朝十分だけ散歩すること、日記を三日に一度は書くこと。"_s,
                      day(4), QString()});

    in.links[0] = {u"トップページ"_s, u"../index.html"_s};
    for (int k = 1; k <= 3; ++k) {
        const auto [path, title] = monthBefore(year, month, k);
        in.links[k] = {title, path};
    }

    if (!QDir().mkpath(paths::imageFolder(home, folder))) {
        err << "cannot create " << paths::imageFolder(home, folder) << '\n';
        return 1;
    }
    const Outcome photo =
        textfile::writeFileAtomically(paths::imageFolder(home, folder) + u"/photo.svg"_s, QByteArray(kPhotoSvg));
    if (!photo.ok()) {
        err << messageText(photo) << '\n';
        return 1;
    }
    const Outcome page = MakeMonthHtml(home, folder, in);
    if (!page.ok()) {
        err << messageText(page) << '\n';
        return 1;
    }
    return 0;
}
