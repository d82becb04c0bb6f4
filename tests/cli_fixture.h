#pragma once

// The command line over a temporary program folder (a "diary" folder in it, and room beside it for backups),
// with the months the cli suites write, read and compare.

#include "cli/cli.h"
#include "site/month_page_writer.h"
#include "store/paths.h"
#include "store/textfile.h"

#include <QDir>
#include <QTemporaryDir>

#include "month_pages.h"
#include "qt_printers.h"

#include <gtest/gtest.h>

namespace tsuzuri::test {

// A month without size or connection settings: import, taking them from the folder's files that do not
// exist, writes the same page.
inline MonthPageInput bareMonth(int year, int month, const QString& siteTitle = {}) {
    MonthPageInput in = tsuzuri::month(year, month, siteTitle);
    in.imageWidth = in.imageHeight = in.videoWidth = in.videoHeight = in.ftpHost = in.remoteDir = QString();
    return in;
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir(home).mkpath(QStringLiteral("diary"))); }

    int run(const QStringList& args, bool terminal = false) {
        out.clear();
        err.clear();
        QTextStream o(&out), e(&err), i(&in);
        cli::Context ctx{o, e, i, home, false, terminal};
        return cli::runCli(args, ctx); // the streams flush as they go out of scope
    }
    QString path(const QString& rel) const { return home + u'/' + rel; }
    // Writes a file below the program folder and gives its path.
    QString file(const QString& rel, const QByteArray& bytes) {
        EXPECT_TRUE(QDir().mkpath(QFileInfo(path(rel)).path()));
        EXPECT_TRUE(textfile::writeFileAtomically(path(rel), bytes).ok());
        return path(rel);
    }
    std::optional<QByteArray> bytes(const QString& rel) const { return textfile::readFile(path(rel)); }
    void write(const MonthPageInput& in, const QString& folder = QStringLiteral("diary")) {
        ASSERT_TRUE(QDir(home).mkpath(folder));
        ASSERT_TRUE(writeMonthPage(home, folder, in).ok());
    }

    QTemporaryDir root;
    QString home = root.path() + QStringLiteral("/home");
    QString out, err, in;
};

} // namespace tsuzuri::test
