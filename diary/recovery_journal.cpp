#include "diary/recovery_journal.h"

#include "store/paths.h"
#include "store/textfile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace tsuzuri::journal {

namespace {

QJsonObject entryObject(const DiaryEntry& e) {
    return {{u"date"_s, e.date}, {u"title"_s, e.title}, {u"body"_s, e.body}, {u"media"_s, e.media}};
}

DiaryEntry entryOf(const QJsonObject& o) {
    return {o[u"title"_s].toString(), o[u"body"_s].toString(), o[u"date"_s].toString(), o[u"media"_s].toString()};
}

} // namespace

QString path(const QString& home, const QString& folder) {
    return paths::iniFolder(home) + u"/journal_"_s + folder + u".json"_s;
}

QByteArray render(const State& s) {
    QJsonArray entries, links;
    for (int j = 1; j <= s.entries.count; ++j)
        entries.append(entryObject(s.entries.rows[size_t(j)]));
    for (const LinkPair& l : s.links)
        links.append(QJsonObject{{u"title"_s, l.title}, {u"path"_s, l.path}});
    const QJsonObject root{{u"folder"_s, s.folder},      {u"year"_s, s.year},
                           {u"month"_s, s.month},        {u"editor"_s, entryObject(s.editor)},
                           {u"entries"_s, entries},      {u"links"_s, links},
                           {u"siteTitle"_s, s.siteTitle}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<State> parse(const QByteArray& bytes) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    const QJsonObject root = doc.object();
    const QJsonArray entries = root[u"entries"_s].toArray();
    const QJsonArray links = root[u"links"_s].toArray();
    if (!root[u"editor"_s].isObject() || entries.size() > EntryTable::kLastRow || links.size() > 12)
        return std::nullopt;
    State s;
    s.folder = root[u"folder"_s].toString();
    s.year = root[u"year"_s].toString();
    s.month = root[u"month"_s].toString();
    s.editor = entryOf(root[u"editor"_s].toObject());
    s.siteTitle = root[u"siteTitle"_s].toString();
    for (const QJsonValue& e : entries)
        s.entries.rows[size_t(++s.entries.count)] = entryOf(e.toObject());
    for (qsizetype k = 0; k < links.size(); ++k)
        s.links[size_t(k)] = {links[k].toObject()[u"title"_s].toString(), links[k].toObject()[u"path"_s].toString()};
    if (s.year.size() != 4 || s.month.size() != 2)
        return std::nullopt;
    return s;
}

Outcome write(const QString& home, const State& state) {
    QDir().mkpath(paths::iniFolder(home));
    return textfile::writeFileAtomically(path(home, state.folder), render(state),
                                         QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

std::optional<State> read(const QString& home, const QString& folder) {
    const std::optional<QByteArray> bytes = textfile::readFile(path(home, folder));
    return bytes ? parse(*bytes) : std::nullopt;
}

void remove(const QString& home, const QString& folder) {
    QFile::remove(path(home, folder));
}

void keepAsOld(const QString& home, const QString& folder, const QString& stamp) {
    const QString from = path(home, folder);
    QFile::rename(from, from.chopped(5) + u'-' + stamp + u".old"_s);
}

} // namespace tsuzuri::journal
