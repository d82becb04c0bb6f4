#include "cli/cli.h"

#include "diary/messages.h"
#include "search/diary_search.h"
#include "store/paths.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace tsuzuri::cli {

namespace {

void usage(QTextStream& s) {
    s << u"usage: tsuzuri-cli search [--home DIR] [--folder NAME | --all-folders] [--json] TERM...\n"
         u"  Prints the entries whose title, body or media names hold every term, newest first.\n"
         u"  Terms match whatever their case, width or kana (きょうと finds キョウト); a phrase in\n"
         u"  double quotes matches only as typed, spaces included: tsuzuri-cli search '\"New York\"'\n"
         u"  --all-folders  every diary folder of the program folder\n"
         u"  --json         offsets of the matches in UTF-16 units, for highlighting\n"
         u"exit status: 0 something found, 1 nothing found, 2 usage or no such folder\n"_s;
}

QJsonArray rangesJson(const QList<search::TextRange>& ranges) {
    QJsonArray array;
    for (const search::TextRange& r : ranges)
        array.append(QJsonObject{{u"start"_s, r.start}, {u"length"_s, r.length}});
    return array;
}

QString pageOf(const search::UnreadMonth& m) {
    return m.folder + u'/' + m.page;
}

} // namespace

int runSearch(const QStringList& argsIn, Context& ctx) {
    QStringList args = argsIn;
    if (args.contains(u"--help"_s) || args.contains(u"-h"_s)) {
        usage(ctx.out);
        return 0;
    }
    const bool folderNamed = args.contains(u"--folder"_s);
    Target target;
    if (!takeTarget(args, ctx, target))
        return 2;
    const bool allFolders = args.removeAll(u"--all-folders"_s) > 0;
    const bool json = args.removeAll(u"--json"_s) > 0;
    if (allFolders && folderNamed) {
        ctx.err << u"search: --folder and --all-folders exclude each other\n"_s;
        return 2;
    }
    for (const QString& a : std::as_const(args)) {
        if (a.startsWith(u"--"_s)) {
            ctx.err << u"search: unknown option "_s << a << u'\n';
            usage(ctx.err);
            return 2;
        }
    }
    const search::Query query = search::parseQuery(args.join(u' '));
    if (query.isEmpty()) {
        ctx.err << u"search: name at least one term\n"_s;
        usage(ctx.err);
        return 2;
    }
    search::SearchScope scope{target.home, std::nullopt};
    if (!allFolders) {
        const QString diary = paths::diaryFolder(target.home, target.folder);
        if (!QFileInfo(diary).isDir()) {
            ctx.err << u"search: the diary folder does not exist: "_s << diary << u'\n';
            return 2;
        }
        scope.folder = target.folder;
    }

    search::SearchIndex index;
    const search::SearchResult result = search::searchDiary(index, scope, query);
    const QList<search::SearchHit> hits = result.hits();

    if (json) {
        QJsonArray hitArray;
        for (const search::SearchHit& h : hits) {
            hitArray.append(QJsonObject{{u"folder"_s, h.folder},
                                        {u"year"_s, h.year},
                                        {u"month"_s, h.month},
                                        {u"date"_s, h.date},
                                        {u"title"_s, h.title},
                                        {u"titleMatches"_s, rangesJson(h.titleMatches)},
                                        {u"snippet"_s, h.snippet},
                                        {u"snippetMatches"_s, rangesJson(h.snippetMatches)},
                                        {u"media"_s, h.media},
                                        {u"mediaMatches"_s, rangesJson(h.mediaMatches)}});
        }
        QJsonArray incomplete;
        for (const search::UnreadMonth& m : result.incomplete) {
            incomplete.append(QJsonObject{
                {u"folder"_s, m.folder}, {u"page"_s, m.page}, {u"message"_s, forTerminal(messageText(m.outcome))}});
        }
        ctx.out << QString::fromUtf8(QJsonDocument(QJsonObject{{u"hits"_s, hitArray}, {u"incomplete"_s, incomplete}})
                                         .toJson(QJsonDocument::Indented));
    } else {
        for (const search::SearchHit& h : hits) {
            if (allFolders)
                ctx.out << h.folder << u"  "_s;
            ctx.out << (h.date.isEmpty() ? h.year + u'年' + h.month + u'月' : h.date) << u"  "_s << h.title << u'\n';
            if (!h.snippet.isEmpty())
                ctx.out << u"    "_s << h.snippet << u'\n';
            if (!h.mediaMatches.isEmpty())
                ctx.out << u"    "_s << h.media << u'\n';
        }
    }
    if (!result.incomplete.isEmpty()) {
        QStringList months;
        for (const search::UnreadMonth& m : result.incomplete)
            months.append(pageOf(m));
        ctx.err << forTerminal(messageText(Msg::SearchIncomplete, {months.join(u"\r\n"_s)})) << u'\n';
    }
    return hits.isEmpty() ? 1 : 0;
}

} // namespace tsuzuri::cli
