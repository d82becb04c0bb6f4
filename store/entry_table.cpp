#include "store/entry_table.h"

using namespace Qt::StringLiterals;

namespace tsuzuri {

Outcome EntryTable::store(const DiaryEntry& entry) {
    bool matched = false;
    for (int j = 1; j <= count; ++j) {
        if (rows[j].date == entry.date) {
            rows[j] = entry;
            matched = true;
        }
    }
    if (matched)
        return Outcome::success();
    if (isFull())
        return Outcome::failure(Msg::EntryTableFull, {entry.date});
    rows[++count] = entry;
    return Outcome::success();
}

const DiaryEntry* EntryTable::lastMatch(QStringView date) const {
    const DiaryEntry* found = nullptr;
    for (int j = 0; j <= count; ++j) {
        if (rows[j].date == date)
            found = &rows[j];
    }
    return found;
}

bool EntryTable::hasEntry(QStringView date) const {
    for (int j = 1; j <= count; ++j) {
        if (rows[j].date == date && rows[j].hasContent())
            return true;
    }
    return false;
}

QString dateLine(QStringView year, QStringView month, QStringView day) {
    QString out;
    out.reserve(year.size() + month.size() + day.size() + 3);
    out.append(year).append(u'年').append(month).append(u'月').append(day).append(u'日');
    return out;
}

EditorEntry loadDayEntry(const EntryTable& table, const QString& dateLabel) {
    EditorEntry e;
    e.dateLabel = dateLabel;
    if (const DiaryEntry* row = table.lastMatch(dateLabel)) {
        e.title = row->title;
        e.body = QString(row->body).remove(u"</p><p>"_s);
        e.media = row->media;
        e.dateLabel = row->date;
    }
    return e;
}

QStringView trimSpaces(QStringView text) {
    qsizetype b = 0;
    qsizetype e = text.size();
    while (b < e && text[b] == u' ')
        ++b;
    while (e > b && text[e - 1] == u' ')
        --e;
    return text.sliced(b, e - b);
}

} // namespace tsuzuri
