#pragma once

#include <QString>
#include <QStringView>

// Where everything lies. The program folder is always handed in; the diary folder name is used
// verbatim, as typed.
namespace tsuzuri::paths {

inline QString diaryFolder(const QString& home, const QString& folder) { return home + u'/' + folder; }
inline QString imageFolder(const QString& home, const QString& folder) { return diaryFolder(home, folder) + QStringLiteral("/image"); }
inline QString monthPageName(QStringView year, QStringView month) {
    return year.toString() + month.toString() + QStringLiteral(".html");
}
inline QString monthPage(const QString& home, const QString& folder, QStringView year, QStringView month) {
    return diaryFolder(home, folder) + u'/' + monthPageName(year, month);
}
inline QString iniFolder(const QString& home) { return home + QStringLiteral("/ini"); }
inline QString fdirIni(const QString& home) { return iniFolder(home) + QStringLiteral("/fdir.ini"); }
inline QString connectionIni(const QString& home, const QString& folder) {
    return iniFolder(home) + QStringLiteral("/app_") + folder + QStringLiteral(".ini");
}
inline QString sizeIni(const QString& home, const QString& folder) {
    return iniFolder(home) + QStringLiteral("/etc_") + folder + QStringLiteral(".ini");
}
inline QString templateCss(const QString& home) { return home + QStringLiteral("/calender.css"); }
inline QString templateJs(const QString& home) { return home + QStringLiteral("/calender.js"); }

} // namespace tsuzuri::paths
