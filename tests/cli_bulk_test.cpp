#include "cli_fixture.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

namespace {

// Months 1991-01 … of five entries, their text marked by version, so two versions differ on every page.
MonthPageInput month(int index, const QString& version) {
    MonthPageInput in = test::bareMonth(1991 + index / 12, index % 12 + 1, u"綴 "_s + version);
    in.links[0] = {u"前の月"_s, u"199012"_s};
    for (int d = 1; d <= 5; ++d)
        add(in, d * 5, version + u" 題 😀\t\"\\"_s, u"本文の一行。"_s.repeated(40) + u"\r\n二行目</p><p>"_s,
            u"a.jpg;"_s);
    return in;
}

class CliBulkTest : public test::CliTest {
protected:
    // Writes the months, and gives what export --all prints of them.
    QString written(int months, const QString& version) {
        for (int i = 0; i < months; ++i)
            write(month(i, version));
        EXPECT_EQ(run({u"export"_s, u"--all"_s}), 0) << err.toStdString();
        return out;
    }
    QList<std::optional<QByteArray>> pages(int months) const {
        QList<std::optional<QByteArray>> all;
        for (int i = 0; i < months; ++i)
            all.append(bytes(u"diary/"_s + paths::monthPageName(month(i, {}).year, month(i, {}).month)));
        return all;
    }
};

} // namespace

TEST_F(CliBulkTest, ExportAllThroughImport_GivesBackEveryPageByteForByte_OldestFirst_ProgressOnATerminalOnly) {
    const QString lines = written(14, u"v1"_s);
    const QList<std::optional<QByteArray>> before = pages(14);
    EXPECT_EQ(lines.count(u'\n'), 14);
    EXPECT_TRUE(lines.startsWith(uR"({"year":"1991","month":"01",)"_s) && lines.contains(uR"(\t\"\\)"_s));
    EXPECT_LT(lines.indexOf(u"\"1991\""_s), lines.indexOf(u"\"1992\""_s));
    for (const bool fresh : {false, true}) {
        if (fresh) {
            ASSERT_TRUE(QDir(path(u"diary"_s)).removeRecursively() && QDir(home).mkpath(u"diary"_s));
        }
        in = lines;
        ASSERT_EQ(run({u"import"_s, u"-"_s}, fresh), 0) << err.toStdString();
        EXPECT_EQ(pages(14), before);
        EXPECT_EQ(out.count(u'\n'), 14);
        EXPECT_EQ(err.contains(u"\rimport: written 14/14 months"_s), fresh) << err.toStdString();
    }
    // A month that does not read whole is named and left out; the others are still printed.
    file(u"diary/199105.html"_s, "<html>");
    EXPECT_EQ(run({u"export"_s, u"--all"_s}), 1);
    EXPECT_TRUE(err.contains(u"199105.html"_s)) << err.toStdString();
    EXPECT_EQ(out.count(u'\n'), 13);
}

TEST_F(CliBulkTest, OneBadMonthAnywhere_RefusesTheRunNamingWhereAndWhy_AndWritesNothing) {
    const QStringList v2 = written(3, u"v2"_s).split(u'\n', Qt::SkipEmptyParts);
    for (int i = 0; i < 3; ++i)
        write(month(i, u"v1"_s));
    const QList<std::optional<QByteArray>> before = pages(3);
    const QString badDate = QString(v2[2]).replace(u"1991年03月25日"_s, u"1991年03月32日"_s);
    file(u"in/a.json"_s, v2[0].toUtf8());
    file(u"in/b.json"_s, "{");
    const struct {
        QStringList sources;
        QString stdinText, where;
    } cases[] = {
        {{u"-"_s}, v2[0] + u"\n\n"_s + v2[1] + u'\n' + badDate, u"stdin:4: entries[0].date"_s},
        {{file(u"c.jsonl"_s, (v2[0] + u'\n' + v2[0]).toUtf8()), u"-"_s},
         v2[1],
         u"c.jsonl:2: 1991-01 is also given at "_s},
        {{path(u"in"_s)}, {}, u"b.json: not a JSON object"_s},
        {{file(u"d.json"_s, v2[1].toUtf8()), path(u"nothing.json"_s)}, {}, u"nothing.json: cannot read it"_s},
    };
    for (const auto& c : cases) {
        in = c.stdinText;
        EXPECT_EQ(run(QStringList{u"import"_s} + c.sources), 1) << c.where.toStdString();
        EXPECT_TRUE(err.contains(c.where) && err.contains(u"nothing written"_s)) << err.toStdString();
        EXPECT_TRUE(out.isEmpty());
        EXPECT_EQ(pages(3), before);
        EXPECT_FALSE(bytes(u"diary/index.html"_s));
    }
}

// The real program killed at moments spread over a bulk import: every page is the old one or the new one.
TEST_F(CliBulkTest, KilledBulkImport_LeavesEachPageOldOrNew) {
    constexpr int kMonths = 60;
    const QString jsonl = file(u"new.jsonl"_s, written(kMonths, u"new"_s).toUtf8());
    const QList<std::optional<QByteArray>> fresh = pages(kMonths);
    const auto importKilledAfter = [&](std::optional<qint64> ms) {
        for (int i = 0; i < kMonths; ++i)
            write(month(i, u"old"_s));
        QElapsedTimer clock;
        clock.start();
        QProcess child;
        child.start(QString::fromUtf8(TSUZURI_CLI), {u"import"_s, u"--home"_s, home, jsonl});
        EXPECT_TRUE(child.waitForStarted());
        if (ms) {
            QThread::msleep(static_cast<unsigned long>(*ms));
            child.kill();
        }
        EXPECT_TRUE(child.waitForFinished());
        return clock.elapsed();
    };
    const qint64 span = importKilledAfter(std::nullopt);
    EXPECT_EQ(pages(kMonths), fresh);
    importKilledAfter(0);
    const QList<std::optional<QByteArray>> old = pages(kMonths);
    for (int k = 1; k <= 6; ++k) {
        importKilledAfter(span * k / 7);
        const QList<std::optional<QByteArray>> after = pages(kMonths);
        for (int i = 0; i < kMonths; ++i)
            EXPECT_TRUE(after[i] == old[i] || after[i] == fresh[i]) << "kill " << k << ", month " << i;
    }
}
