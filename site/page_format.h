#pragma once

#include <QStringView>

// The markers the page writer puts around every field, and that the reader and the snippet builder
// look for. They are the store's format: never change a character.
namespace tsuzuri::marker {

inline constexpr QStringView kSiteName = u"<!--↓サイト名-->";
inline constexpr QStringView kCalendarStart = u"<!--ここからカレンダー-->";
inline constexpr QStringView kCalendarEnd = u"<!--ここまでカレンダー-->";
inline constexpr QStringView kLinksStart = u"<!--ここからリンク-->";
inline constexpr QStringView kLinksEnd = u"<!--ここまでリンク-->";
inline constexpr QStringView kDiaryStart = u"<!--ここから日記-->";
inline constexpr QStringView kDiaryEnd = u"<!--ここまで日記-->";
inline constexpr QStringView kTitleStart = u"<!--ここから日記タイトルを記述-->";
inline constexpr QStringView kTitleEnd = u"<!--ここまで日記タイトルを記述-->";
inline constexpr QStringView kMediaStart = u"<!--ここから画像イメージ-->";
inline constexpr QStringView kMediaEnd = u"<!--ここまで画像イメージ-->";
inline constexpr QStringView kBodyNote = u"<!--(注)日記本文の後ろに付加されている</p><p>は消さないで下さい！-->";
inline constexpr QStringView kBodyStart = u"<!--ここから日記本文を記述-->";
inline constexpr QStringView kBodyEnd = u"<!--ここまで日記本文を記述-->";
inline constexpr QStringView kDateStart = u"<!--ここから日記掲載日を記述-->";
inline constexpr QStringView kDateEnd = u"<!--ここまで日記掲載日を記述-->";

// Put before every line break of a body in the page.
inline constexpr QStringView kParagraphBreak = u"</p><p>";

} // namespace tsuzuri::marker

// The head lines that let a browser, a phone and a bookmark read the page without guessing: the
// character set (a page of little Japanese text is otherwise taken for Windows-1252), the phone's
// viewport. Readers ignore them; pages written before them read the same.
namespace tsuzuri::head {

inline constexpr QStringView kDoctype =
    u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\" \"http://www.w3.org/TR/html4/strict.dtd\">";
inline constexpr QStringView kContentType =
    u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">";
inline constexpr QStringView kViewport = u"<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">";
inline constexpr QStringView kStylesheet = u"<link rel=stylesheet type=\"text/css\" href=\"calender.css\">";
inline constexpr QStringView kScript = u"<script type=\"text/javascript\" src=\"calender.js\"></script>";

} // namespace tsuzuri::head
