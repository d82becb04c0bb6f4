#include "cli/cli.h"

#include "diary/messages.h"
#include "site/month_page_reader.h"
#include "site/snippets.h"
#include "store/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <vector>

using namespace Qt::StringLiterals;

namespace tsuzuri::cli {

namespace {

// The diary folder and month both commands work on; false after a message on err.
bool takeMonth(const QString& command, const QStringList& argsIn, Context& ctx, Target& target, QString& year,
               QString& month) {
    QStringList args = argsIn;
    if (!takeTarget(args, ctx, target))
        return false;
    if (args.size() != 1) {
        ctx.err << u"usage: tsuzuri-cli "_s << command << u" [--home DIR] [--folder NAME] YYYYMM\n"_s;
        return false;
    }
    if (!parseMonthArgument(args.first(), ctx, year, month))
        return false;
    // A mistyped folder would otherwise read as a month without a page.
    const QString diary = paths::diaryFolder(target.home, target.folder);
    if (!QFileInfo(diary).isDir()) {
        ctx.err << command << u": the diary folder does not exist: "_s << diary << u'\n';
        return false;
    }
    return true;
}

void printJson(const QJsonObject& object, Context& ctx) {
    ctx.out << QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
}

// The shape import reads, without settings: the page does not hold them.
QJsonObject monthJson(const QString& year, const QString& month, const MonthPage& page) {
    QJsonArray links;
    for (const LinkPair& link : page.links)
        links.append(QJsonObject{{u"title"_s, link.title}, {u"path"_s, link.path}});
    QJsonArray entries;
    for (int j = 1; j <= page.entries.count; ++j) {
        const DiaryEntry& e = page.entries.rows[j];
        entries.append(
            QJsonObject{{u"date"_s, e.date}, {u"title"_s, e.title}, {u"body"_s, e.body}, {u"media"_s, e.media}});
    }
    return QJsonObject{
        {u"year"_s, year},
        {u"month"_s, month},
        {u"siteTitle"_s, page.siteTitle ? QJsonValue(*page.siteTitle) : QJsonValue(QJsonValue::Null)},
        {u"links"_s, links},
        {u"entries"_s, entries},
    };
}

// s as a JSON string, in UTF-8. Escaped as RFC 8259 asks, and lone surrogates too (as \uXXXX, which
// import reads back), where QJsonDocument would write "?".
void appendJsonString(QByteArray& out, QStringView s) {
    out += '"';
    qsizetype run = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c >= 0x20 && c != u'"' && c != u'\\' && !QChar::isSurrogate(c))
            continue;
        out += s.sliced(run, i - run).toUtf8();
        run = i + 1;
        switch (c) {
        case u'"':
            out += "\\\"";
            break;
        case u'\\':
            out += "\\\\";
            break;
        case u'\n':
            out += "\\n";
            break;
        case u'\r':
            out += "\\r";
            break;
        case u'\t':
            out += "\\t";
            break;
        default:
            out += "\\u" + QByteArray::number(c, 16).rightJustified(4, '0');
        }
    }
    out += s.sliced(run).toUtf8();
    out += '"';
}

// monthJson as one line of JSON Lines, written straight into UTF-8: a century is 33 MB of it.
QByteArray monthLine(const QString& year, const QString& month, const MonthPage& page) {
    QByteArray out = "{\"year\":\"" + year.toLatin1() + "\",\"month\":\"" + month.toLatin1() + "\",\"siteTitle\":";
    if (page.siteTitle)
        appendJsonString(out, *page.siteTitle);
    else
        out += "null";
    out += ",\"links\":[";
    for (const LinkPair& link : page.links) {
        out += out.endsWith('[') ? "{\"title\":" : ",{\"title\":";
        appendJsonString(out, link.title);
        out += ",\"path\":";
        appendJsonString(out, link.path);
        out += '}';
    }
    out += "],\"entries\":[";
    for (int j = 1; j <= page.entries.count; ++j) {
        const DiaryEntry& e = page.entries.rows[j];
        out += j == 1 ? "{\"date\":" : ",{\"date\":";
        appendJsonString(out, e.date);
        out += ",\"title\":";
        appendJsonString(out, e.title);
        out += ",\"body\":";
        appendJsonString(out, e.body);
        out += ",\"media\":";
        appendJsonString(out, e.media);
        out += '}';
    }
    out += "]}\n";
    return out;
}

// Every month page of the folder, oldest first, one JSON object on each line. A page that does not read
// whole is named on err and left out, never printed in part.
int exportAll(const QStringList& argsIn, Context& ctx) {
    QStringList args = argsIn;
    args.removeAll(u"--all"_s);
    Target target;
    if (!takeTarget(args, ctx, target))
        return 1;
    if (!args.isEmpty()) {
        ctx.err << u"usage: tsuzuri-cli export [--home DIR] [--folder NAME] --all\n"_s;
        return 1;
    }
    const QString diary = paths::diaryFolder(target.home, target.folder);
    if (!QFileInfo(diary).isDir()) {
        ctx.err << u"export: the diary folder does not exist: "_s << diary << u'\n';
        return 1;
    }
    static const QRegularExpression pageName(u"^(\\d{4})(0[1-9]|1[0-2])\\.html$"_s);
    struct Month {
        QString year, month;
        QByteArray json; // one line, UTF-8
        Outcome outcome;
    };
    std::vector<Month> months;
    for (const QString& name : QDir(diary).entryList({u"*.html"_s}, QDir::Files | QDir::System, QDir::Name)) {
        const QRegularExpressionMatch match = pageName.match(name);
        if (match.hasMatch())
            months.push_back({match.captured(1), match.captured(2), {}, {}});
    }
    inParallel(static_cast<qsizetype>(months.size()), [&](qsizetype i) {
        Month& m = months[static_cast<size_t>(i)];
        const MonthPageRead read = readMonthPageFile(target.home, target.folder, m.year, m.month);
        m.outcome = read.outcome;
        if (read.outcome.ok())
            m.json = monthLine(m.year, m.month, read.page);
    });
    bool whole = true;
    QIODevice* device = ctx.out.device();
    ctx.out.flush();
    for (const Month& m : months) {
        if (!m.outcome.ok()) {
            ctx.err << u"export: "_s << forTerminal(messageText(m.outcome)) << u'\n';
            whole = false;
        } else if (device) {
            // Straight to standard output: the century is tens of megabytes, no need to decode them.
            device->write(m.json);
        } else {
            ctx.out << QString::fromUtf8(m.json);
        }
    }
    return whole ? 0 : 1;
}

} // namespace

int runExport(const QStringList& args, Context& ctx) {
    if (args.contains(u"--all"_s))
        return exportAll(args, ctx);
    Target target;
    QString year, month;
    if (!takeMonth(u"export"_s, args, ctx, target, year, month))
        return 1;
    const MonthPageRead read = readMonthPageFile(target.home, target.folder, year, month);
    // Half a month on stdout could be imported over the page: print nothing unless the read was whole.
    if (!read.outcome.ok()) {
        ctx.err << u"export: "_s << forTerminal(messageText(read.outcome)) << u'\n';
        return 1;
    }
    printJson(monthJson(year, month, read.page), ctx);
    return 0;
}

int runSnippets(const QStringList& args, Context& ctx) {
    Target target;
    QString year, month;
    if (!takeMonth(u"snippets"_s, args, ctx, target, year, month))
        return 1;
    const SnippetsRead read = readCodeSnippets(target.home, target.folder, year, month);
    if (!read.outcome.ok()) {
        ctx.err << u"snippets: "_s << forTerminal(messageText(read.outcome)) << u'\n';
        return 1;
    }
    const CodeSnippets& s = read.snippets;
    printJson(QJsonObject{{u"calendar"_s, s.calendar},
                          {u"stylesheet"_s, s.stylesheet},
                          {u"body"_s, s.body},
                          {u"script"_s, s.script},
                          {u"diary"_s, s.diary}},
              ctx);
    return 0;
}

} // namespace tsuzuri::cli
