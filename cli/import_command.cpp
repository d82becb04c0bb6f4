#include "cli/cli.h"
#include "cli/json_reader.h"

#include "calendar/month.h"
#include "diary/messages.h"
#include "settings/settings_files.h"
#include "site/month_page_reader.h"
#include "site/month_page_writer.h"
#include "site/site_index.h"
#include "store/paths.h"
#include "store/textfile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>

#include <atomic>
#include <functional>
#include <vector>

using namespace Qt::StringLiterals;

namespace tsuzuri::cli {

namespace {

struct ImportError {
    QString text;
};

using Type = JsonValue::Type;

QString stringField(const JsonValue& o, const QString& key, const QString& where) {
    const JsonValue& v = o[key];
    if (v.is(Type::Undefined) || v.is(Type::Null))
        return {};
    if (!v.is(Type::String))
        throw ImportError{where + u"."_s + key + u" must be a string"_s};
    return v.string;
}

// Like the editor, every kind of line break becomes CR LF.
QString multiLineField(const JsonValue& o, const QString& key, const QString& where) {
    return textfile::normalizeLineBreaks(stringField(o, key, where));
}

QString monthPart(const JsonValue& v, const char* what, int lo, int hi, int width) {
    std::optional<int> n;
    if (v.is(Type::String))
        n = parseWholeNumber(v.string);
    else if (v.is(Type::Number) && v.number >= lo && v.number <= hi && v.number == static_cast<int>(v.number))
        n = static_cast<int>(v.number);
    if (!n || *n < lo || *n > hi)
        throw ImportError{QString::fromLatin1(what) + u" must be a whole number from "_s + QString::number(lo) +
                          u" to "_s + QString::number(hi)};
    return QString::number(*n).rightJustified(width, u'0');
}

// The folder's settings files, read once for every month of a run.
struct FolderSettings {
    ConnectionSettingsRead connection;
    SizeSettingsRead size;
};

MonthPageInput parseMonth(const JsonValue& root, const FolderSettings& folder) {
    MonthPageInput in;
    in.year = monthPart(root[u"year"], "year", 1, 9999, 4);
    in.month = monthPart(root[u"month"], "month", 1, 12, 2);
    in.siteTitle = multiLineField(root, u"siteTitle"_s, u"month"_s);

    const JsonValue& links = root[u"links"];
    if (!links.is(Type::Undefined) && !links.is(Type::Array))
        throw ImportError{u"links must be an array"_s};
    if (links.items.size() > 12)
        throw ImportError{u"at most 12 links"_s};
    for (size_t k = 0; k < links.items.size(); ++k) {
        const QString where = u"links["_s + QString::number(k) + u']';
        if (!links.items[k].is(Type::Object))
            throw ImportError{where + u" must be an object"_s};
        in.links[k] = {stringField(links.items[k], u"title"_s, where), stringField(links.items[k], u"path"_s, where)};
    }

    const JsonValue& entries = root[u"entries"];
    if (!entries.is(Type::Undefined) && !entries.is(Type::Array))
        throw ImportError{u"entries must be an array"_s};
    const auto entryCount = static_cast<qsizetype>(entries.items.size());
    if (entryCount > EntryTable::kLastRow)
        throw ImportError{u"at most 31 entries"_s};
    for (qsizetype j = 0; j < entryCount; ++j) {
        const QString where = u"entries["_s + QString::number(j) + u']';
        const JsonValue& e = entries.items[static_cast<size_t>(j)];
        if (!e.is(Type::Object))
            throw ImportError{where + u" must be an object"_s};
        in.entries.rows[++in.entries.count] =
            DiaryEntry{multiLineField(e, u"title"_s, where), multiLineField(e, u"body"_s, where),
                       stringField(e, u"date"_s, where), stringField(e, u"media"_s, where)};
    }

    // The writer leaves out what it cannot place; from a file, that would lose an entry without a word.
    QHash<QString, qsizetype> dated;
    for (qsizetype j = 0; j < entryCount; ++j) {
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
    const ConnectionSettingsRead& conn = folder.connection;
    const SizeSettingsRead& size = folder.size;
    // Anything but an object counts as no settings, as it always did.
    static const JsonValue none;
    const JsonValue& s = root[u"settings"].is(Type::Object) ? root[u"settings"] : none;
    const auto pick = [&](const QString& key, const std::optional<QString>& fromFile) {
        return !s[key].is(Type::Undefined) ? stringField(s, key, u"settings"_s) : fromFile.value_or(QString());
    };
    in.imageWidth = pick(u"imageWidth"_s, size.imageWidth);
    in.imageHeight = pick(u"imageHeight"_s, size.imageHeight);
    in.videoWidth = pick(u"videoWidth"_s, size.videoWidth);
    in.videoHeight = pick(u"videoHeight"_s, size.videoHeight);
    in.ftpHost = pick(u"ftpHost"_s, conn.host);
    in.remoteDir = pick(u"remoteDir"_s, conn.remoteDir);
    if (!s[u"originalSize"].is(Type::Undefined)) {
        if (!s[u"originalSize"].is(Type::Bool))
            throw ImportError{u"settings.originalSize must be true or false"_s};
        in.originalSize = s[u"originalSize"].boolean;
    } else {
        in.originalSize = size.originalSize.value_or(0) != 0;
    }
    in.holidays = size.holidays.value_or(HolidayRules::Law);
    return in;
}

// One month as given, and where ("a.json", "century.jsonl:12", "stdin:3").
struct GivenMonth {
    QString where;
    QByteArray json;
    std::optional<MonthPageInput> input; // once parsed
    QString refused;                     // why it cannot be written
    PreparedPage page;
};

// The months a run was given, from its files, folders and standard input, and the sources refused.
class MonthSources {
public:
    explicit MonthSources(Context& ctx) : m_ctx(ctx) {}

    void add(const QString& source) {
        if (source == u"-"_s) {
            // The bytes as they come (standard input is a device): decoding them here would turn bytes
            // that are no UTF-8 into U+FFFD instead of refusing them.
            QIODevice* device = m_ctx.in.device();
            addLines(device ? device->readAll() : m_ctx.in.readAll().toUtf8(), u"stdin"_s);
            return;
        }
        if (!QFileInfo(source).isDir()) {
            addFile(source);
            return;
        }
        const QStringList names = QDir(source).entryList({u"*.json"_s}, QDir::Files, QDir::Name);
        if (names.isEmpty())
            refused.append(source + u": holds no .json file"_s);
        for (const QString& name : names)
            addFile(QDir(source).filePath(name));
    }

    std::vector<GivenMonth> months;
    QStringList refused; // "where: why"

private:
    void addFile(const QString& path) {
        QString readError;
        const std::optional<QByteArray> bytes = textfile::readRegularFile(path, &readError);
        if (!bytes)
            refused.append(path + u": cannot read it: "_s + readError);
        else if (path.endsWith(u".jsonl"_s))
            addLines(*bytes, path);
        else
            months.push_back({path, *bytes, {}, {}, {}});
    }

    // JSON Lines: one month on each line; blank lines are skipped.
    void addLines(const QByteArray& text, const QString& where) {
        qsizetype line = 0;
        for (qsizetype at = 0; at < text.size();) {
            qsizetype end = text.indexOf('\n', at);
            if (end < 0)
                end = text.size();
            ++line;
            const QByteArrayView json = QByteArrayView(text).sliced(at, end - at).trimmed();
            if (!json.isEmpty())
                months.push_back({where + u':' + QString::number(line), json.toByteArray(), {}, {}, {}});
            at = end + 1;
        }
    }

    Context& m_ctx;
};

void parse(GivenMonth& m, const FolderSettings& settings) {
    QString error;
    const JsonValue doc = readJson(m.json, error);
    m.json.clear();
    if (!doc.is(Type::Object)) {
        m.refused = u"not a JSON object"_s + (error.isEmpty() ? QString() : u": "_s + error);
        return;
    }
    try {
        m.input = parseMonth(doc, settings);
    } catch (const ImportError& e) {
        m.refused = e.text;
    }
}

// "import: checked 120/1200 months" on one terminal line, redrawn at most ten times a second.
class Progress {
public:
    Progress(Context& ctx, QString what, qsizetype total) : m_ctx(ctx), m_what(std::move(what)), m_total(total) {
        m_clock.start();
    }
    ~Progress() {
        if (m_shown)
            m_ctx.err << u'\n' << Qt::flush;
    }
    void operator()(qsizetype done) {
        if (!m_ctx.progress || (done < m_total && m_shown && m_clock.elapsed() < 100))
            return;
        m_ctx.err << u"\rimport: "_s << m_what << u' ' << done << u'/' << m_total << u" months"_s << Qt::flush;
        m_shown = true;
        m_clock.restart();
    }

private:
    Context& m_ctx;
    QString m_what;
    qsizetype m_total;
    QElapsedTimer m_clock;
    bool m_shown = false;
};

} // namespace

int runImport(const QStringList& argsIn, Context& ctx) {
    QStringList args = argsIn;
    Target target;
    if (!takeTarget(args, ctx, target))
        return 1;
    const bool replaceUnreadable = args.removeAll(u"--replace-unreadable"_s) > 0;
    if (args.isEmpty() || args.count(u"-"_s) > 1) {
        ctx.err << u"usage: tsuzuri-cli import [--home DIR] [--folder NAME] [--replace-unreadable] SOURCE...\n"
                   u"  SOURCE  MONTH.json (one month), FILE.jsonl or - (JSON Lines on standard input: one month\n"
                   u"          on each line), or a folder (its .json files); every month is checked before any\n"
                   u"          page is written\n"
                   u"  --replace-unreadable  write over a page that does not read back whole, keeping it\n"
                   u"                        first as <page>.bak (or the next free .bak.N)\n"_s;
        return 1;
    }
    const QString diary = paths::diaryFolder(target.home, target.folder);
    if (!QFileInfo(diary).isDir()) {
        ctx.err << u"import: the diary folder does not exist: "_s << diary << u'\n';
        return 1;
    }

    QElapsedTimer T;
    T.start();
    MonthSources sources(ctx);
    for (const QString& source : std::as_const(args))
        sources.add(source);
    std::vector<GivenMonth>& months = sources.months;
    const auto total = static_cast<qsizetype>(months.size());
    const auto month = [&](qsizetype i) -> GivenMonth& { return months[static_cast<size_t>(i)]; };

    // Every month is checked before any page is written: one bad month refuses the whole run.
    const FolderSettings settings{readConnectionSettings(target.home, target.folder),
                                  readSizeSettings(target.home, target.folder)};
    inParallel(
        total, [&](qsizetype i) { parse(month(i), settings); }, [](qsizetype) {});
    QHash<QString, QString> given; // page name → where it was first given
    for (GivenMonth& m : months) {
        if (!m.input)
            continue;
        const QString name = paths::monthPageName(m.input->year, m.input->month);
        if (const auto first = given.constFind(name); first != given.cend())
            m.refused = m.input->year + u'-' + m.input->month + u" is also given at "_s + *first;
        else
            given.insert(name, m.where);
    }
    std::atomic<bool> unreadable = false;
    {
        Progress progress(ctx, u"checked"_s, total);
        inParallel(
            total,
            [&](qsizetype i) {
                GivenMonth& m = month(i);
                if (!m.refused.isEmpty())
                    return;
                const Outcome o = prepareMonthPage(target.home, target.folder, *m.input, replaceUnreadable, m.page);
                m.input.reset();
                if (!o.ok()) {
                    m.refused = forTerminal(messageText(o));
                    if (o.msg == Msg::PageIncomplete || o.msg == Msg::PageTooManyEntries)
                        unreadable = true;
                    return;
                }
                // Read back now, on every core, so that index.html and feed.xml need not read it again.
                MonthPageRead read = parseMonthPage(m.page.bytes, QFileInfo(m.page.path).fileName());
                if (read.outcome.ok())
                    m.page.readBack = std::make_shared<const MonthPage>(std::move(read.page));
            },
            std::ref(progress));
    }
    for (const GivenMonth& m : months) {
        if (!m.refused.isEmpty())
            sources.refused.append(m.where + u": "_s + m.refused);
    }
    if (!sources.refused.isEmpty()) {
        for (const QString& r : std::as_const(sources.refused))
            ctx.err << u"import: "_s << r << u'\n';
        if (unreadable && !replaceUnreadable)
            ctx.err << u"import: --replace-unreadable writes over such a page, keeping it as a .bak file first\n"_s;
        ctx.err << u"import: nothing written\n"_s;
        return 1;
    }
    if (months.empty()) {
        ctx.err << u"import: no month given, nothing written\n"_s;
        return 0;
    }

    QList<PreparedPage> pages;
    pages.reserve(total);
    for (GivenMonth& m : months)
        pages.append(std::move(m.page));
    QStringList backups;
    PublishResult r;
    {
        Progress progress(ctx, u"written"_s, total);
        r = publishMonthPages(target.home, target.folder, pages, &backups, std::ref(progress));
    }
    for (const QString& backup : std::as_const(backups))
        ctx.err << u"import: the page that did not read back whole was kept as "_s << backup << u'\n';
    if (!r.page.ok()) {
        ctx.err << u"import: "_s << forTerminal(messageText(r.page)) << u'\n';
        return 1;
    }
    for (const PreparedPage& page : std::as_const(pages))
        ctx.out << page.path << u'\n';
    return reportIndex(u"import"_s, r.index, ctx);
}

} // namespace tsuzuri::cli
