/*
 * Tsuzuri month page script: datemark() marks today's day cell.
 *
 * Kept to plain ASCII and old-style JavaScript on purpose. A script is read in the encoding of the page
 * that loads it, and the calendar may also be pasted into someone else's page, which may be in any
 * encoding, old or strict; so this file must mean the same in every one.
 *
 * The page names its month only in the calendar title cell, as year + kanji + month + kanji. The kanji
 * may reach us decoded in any way (a page the calendar is pasted into may misread them), but no Shift_JIS
 * byte of them is an ASCII digit, so the digits alone give the month: the first four are the year,
 * the next one or two the month. A page whose title cell is gone still names its month in its file
 * name, YYYYMM.html.
 */

function tsuzuriMonthFromTitle() {
    var cells = document.getElementsByTagName("td");
    for (var i = 0; i < cells.length; i++) {
        if (/(^|\s)cltbltop(\s|$)/.test(cells[i].className)) {
            var text = cells[i].textContent || cells[i].innerText || "";
            var m = /(\d{4})\D*(\d{1,2})/.exec(text);
            return m ? { year: +m[1], month: +m[2] } : null;
        }
    }
    return null;
}

function tsuzuriMonthFromFileName() {
    var path = (window.location && window.location.pathname) || "";
    var m = /(?:^|[\/\\])(\d{4})(\d{2})\.html?$/i.exec(path);
    return m ? { year: +m[1], month: +m[2] } : null;
}

function datemark() {
    if (!document.getElementsByTagName || !document.getElementById) {
        return;
    }
    var shown = tsuzuriMonthFromTitle() || tsuzuriMonthFromFileName();
    if (!shown || shown.month < 1 || shown.month > 12) {
        return;
    }
    var now = new Date();
    if (shown.year !== now.getFullYear() || shown.month !== now.getMonth() + 1) {
        return;
    }
    var cell = document.getElementById("i" + now.getDate());
    if (!cell || /(^|\s)today(\s|$)/.test(cell.className)) {
        return;
    }
    cell.className = cell.className ? cell.className + " today" : "today";
}
