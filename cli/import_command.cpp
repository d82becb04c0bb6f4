#include "cli/cli.h"

#include "calendar/month.h"
#include "diary/messages.h"
#include "settings/settings_files.h"
#include "site/month_page_writer.h"
#include "site/site_index.h"
#include "store/paths.h"
#include "store/textfile.h"

#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace tsuzuri::cli {

namespace {

struct ImportError {
    QString text;
};

QString stringField(const QJsonObject& o, const QString& key, const QString& where) {
    const QJsonValue v = o.value(key);
    if (v.isUndefined() || v.isNull())
        return {};
    if (!v.isString())
        throw ImportError{where + u"."_s + key + u" must be a string"_s};
    return v.toString();
}

// Like the editor, every kind of line break becomes CR LF.
QString multiLineField(const QJsonObject& o, const QString& key, const QString& where) {
    return textfile::normalizeLineBreaks(stringField(o, key, where));
}

QString monthPart(const QJsonValue& v, const char* what, int lo, int hi, int width) {
    std::optional<int> n;
    if (v.isString())
        n = parseWholeNumber(v.toString());
    else if (v.isDouble() && v.toDouble() == static_cast<double>(v.toInt()))
        n = v.toInt();
    if (!n || *n < lo || *n > hi)
        throw ImportError{QString::fromLatin1(what) + u" must be a whole number from "_s + QString::number(lo) +
                          u" to "_s + QString::number(hi)};
    return QString::number(*n).rightJustified(width, u'0');
}

MonthPageInput parseMonth(const QJsonObject& root, const Target& target) {
    MonthPageInput in;
    in.year = monthPart(root.value(u"year"_s), "year", 1, 9999, 4);
    in.month = monthPart(root.value(u"month"_s), "month", 1, 12, 2);
    in.siteTitle = multiLineField(root, u"siteTitle"_s, u"month"_s);

    const QJsonValue links = root.value(u"links"_s);
    if (!links.isUndefined() && !links.isArray())
        throw ImportError{u"links must be an array"_s};
    const QJsonArray linkArray = links.toArray();
    if (linkArray.size() > 12)
        throw ImportError{u"at most 12 links"_s};
    for (qsizetype k = 0; k < linkArray.size(); ++k) {
        if (!linkArray[k].isObject())
            throw ImportError{u"links["_s + QString::number(k) + u"] must be an object"_s};
        const QString where = u"links["_s + QString::number(k) + u']';
        in.links[k] = {stringField(linkArray[k].toObject(), u"title"_s, where),
                       stringField(linkArray[k].toObject(), u"path"_s, where)};
    }

    const QJsonValue entries = root.value(u"entries"_s);
    if (!entries.isUndefined() && !entries.isArray())
        throw ImportError{u"entries must be an array"_s};
    const QJsonArray entryArray = entries.toArray();
    if (entryArray.size() > EntryTable::kLastRow)
        throw ImportError{u"at most 31 entries"_s};
    for (qsizetype j = 0; j < entryArray.size(); ++j) {
        const QString where = u"entries["_s + QString::number(j) + u']';
        if (!entryArray[j].isObject())
            throw ImportError{where + u" must be an object"_s};
        const QJsonObject e = entryArray[j].toObject();
        in.entries.rows[++in.entries.count] =
            DiaryEntry{multiLineField(e, u"title"_s, where), multiLineField(e, u"body"_s, where),
                       stringField(e, u"date"_s, where), stringField(e, u"media"_s, where)};
    }

    // The writer leaves out what it cannot place; from a file, that would lose an entry without a word.
    QHash<QString, qsizetype> dated;
    for (qsizetype j = 0; j < entryArray.size(); ++j) {
        const QString where = u"entries["_s + QString::number(j) + u']';
        const DiaryEntry& e = in.entries.rows[j + 1];
        if (dayOfDate(e.date, in.year, in.month) == 0)
            throw ImportError{where + u".date \""_s + e.date + u"\" names no day of "_s + in.year + u'-' + in.month +
                              u" (dates are written like "_s + dateLine(in.year, in.month, u"04") + u')'};
        if (dated.contains(e.date))
            throw ImportError{where + u".date \""_s + e.date + u"\" is also the date of entries["_s +
                              QString::number(dated.value(e.date)) + u']'};
        dated.insert(e.date, j);
        const QList<QStringView> names = QStringView(e.media).split(u';');
        const bool anyName =
            std::any_of(names.begin(), names.end(), [](QStringView n) { return !trimSpaces(n).isEmpty(); });
        if (trimSpaces(e.title).isEmpty() && trimSpaces(e.body).isEmpty() && !anyName)
            throw ImportError{where + u" has no title, body or media name: the page would leave it out"_s};
    }

    // Settings the file leaves out come from the folder's settings files, as the window would show them.
    const ConnectionSettingsRead conn = readConnectionSettings(target.home, target.folder);
    const SizeSettingsRead size = readSizeSettings(target.home, target.folder);
    const QJsonObject s = root.value(u"settings"_s).toObject();
    const auto pick = [&](const QString& key, const std::optional<QString>& fromFile) {
        return s.contains(key) ? stringField(s, key, u"settings"_s) : fromFile.value_or(QString());
    };
    in.imageWidth = pick(u"imageWidth"_s, size.imageWidth);
    in.imageHeight = pick(u"imageHeight"_s, size.imageHeight);
    in.videoWidth = pick(u"videoWidth"_s, size.videoWidth);
    in.videoHeight = pick(u"videoHeight"_s, size.videoHeight);
    in.ftpHost = pick(u"ftpHost"_s, conn.host);
    in.remoteDir = pick(u"remoteDir"_s, conn.remoteDir);
    if (s.contains(u"originalSize"_s)) {
        if (!s.value(u"originalSize"_s).isBool())
            throw ImportError{u"settings.originalSize must be true or false"_s};
        in.originalSize = s.value(u"originalSize"_s).toBool();
    } else {
        in.originalSize = size.originalSize.value_or(0) != 0;
    }
    in.holidays = size.holidays.value_or(HolidayRules::Law);
    return in;
}

} // namespace

int runImport(const QStringList& argsIn, Context& ctx) {
    QStringList args = argsIn;
    Target target;
    if (!takeTarget(args, ctx, target))
        return 1;
    const bool replaceUnreadable = args.removeAll(u"--replace-unreadable"_s) > 0;
    if (args.size() != 1) {
        ctx.err << u"usage: tsuzuri-cli import [--home DIR] [--folder NAME] [--replace-unreadable] MONTH.json\n"
                   u"  --replace-unreadable  write over a page that does not read back whole, keeping it\n"
                   u"                        first as <page>.bak (or the next free .bak.N)\n"_s;
        return 1;
    }
    const QString diary = paths::diaryFolder(target.home, target.folder);
    if (!QFileInfo(diary).isDir()) {
        ctx.err << u"import: the diary folder does not exist: "_s << diary << u'\n';
        return 1;
    }
    QString readError;
    const std::optional<QByteArray> json = textfile::readFile(args.first(), &readError);
    if (!json) {
        ctx.err << u"import: cannot read "_s << args.first() << u": "_s << readError << u'\n';
        return 1;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(*json, &parseError);
    if (!doc.isObject()) {
        ctx.err << u"import: "_s << args.first() << u" is not a JSON object: "_s << parseError.errorString() << u'\n';
        return 1;
    }
    try {
        const MonthPageInput input = parseMonth(doc.object(), target);
        QString backup;
        const PublishResult r =
            publishMonthPage(target.home, target.folder, input, nullptr, replaceUnreadable ? &backup : nullptr);
        const Outcome& o = r.page;
        if (!o.ok()) {
            ctx.err << u"import: "_s << forTerminal(messageText(o)) << u'\n';
            if (!replaceUnreadable && (o.msg == Msg::PageIncomplete || o.msg == Msg::PageTooManyEntries))
                ctx.err << u"import: --replace-unreadable writes over it, keeping it as a .bak file first\n"_s;
            return 1;
        }
        if (!backup.isEmpty())
            ctx.err << u"import: the page that did not read back whole was kept as "_s << backup << u'\n';
        ctx.out << paths::monthPage(target.home, target.folder, input.year, input.month) << u'\n';
        return reportIndex(u"import"_s, r.index, ctx);
    } catch (const ImportError& e) {
        ctx.err << u"import: "_s << e.text << u'\n';
        return 1;
    }
}

} // namespace tsuzuri::cli
