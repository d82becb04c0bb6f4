#include "site/site_index.h"
#include "store/paths.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "month_pages.h"

using namespace Qt::StringLiterals;
using namespace tsuzuri;

class SiteIndexTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir(home.path()).mkpath(u"diary"_s)); }
    QString file(const QString& name) const { return paths::diaryFolder(home.path(), u"diary"_s) + u'/' + name; }
    QString text(const QString& name) const { return textfile::decode(textfile::readFile(file(name)).value_or("")); }
    // A month of entries on days 1..entries; bodies hold markup and a character XML cannot carry.
    static MonthPageInput month(int year, int m, int entries, const QString& media = {}) {
        MonthPageInput in = tsuzuri::month(year, m);
        for (int d = 1; d <= entries; ++d)
            add(in, d, u"t "_s + QString::number(d), u"<b>a</b>\r\n\x01z"_s, media);
        return in;
    }
    PublishResult publish(int year, int m, int entries, const QString& media = {}) {
        return publishMonthPage(home.path(), u"diary"_s, month(year, m, entries, media));
    }
    QTemporaryDir home;
};

TEST_F(SiteIndexTest, MonthsNewestFirstWithCountsAndEntryAnchors_FeedOfTheNewest20_UnreadablePagesNamed) {
    ASSERT_TRUE(textfile::writeFileAtomically(file(u"200510.html"_s), "<html>cut short").ok());
    ASSERT_TRUE(textfile::writeFileAtomically(file(u"200513.html"_s), "not a month").ok());
    publish(2005, 11, 2);
    publish(2005, 12, 0);
    const PublishResult last = publish(2006, 1, 25);
    EXPECT_EQ(last.index.msg, Msg::SiteMonthsSkipped);
    EXPECT_EQ(last.index.args, QStringList{u"200510.html"_s});

    // Month headings as "page:count", then entry links, each to an anchor its page has.
    QStringList found;
    static const QRegularExpression link(u"href=\"(\\d{6}.html)(#name\\d+)?\">(?:[^<]*</a></h2>\r\n"
                                         u"<p class=\"icount\">(\\d+))?"_s);
    for (const QRegularExpressionMatch& m : link.globalMatch(text(u"index.html"_s))) {
        found << (m.hasCaptured(3) ? m.captured(1) + u':' + m.captured(3) : m.captured(2));
        const QString anchor = m.hasCaptured(2) ? u"<a name="_s + m.captured(2).mid(1) + u"></a>"_s : QString();
        EXPECT_TRUE(text(m.captured(1)).contains(anchor)) << m.captured(0).toStdString();
    }
    EXPECT_EQ(found.size(), 30);
    EXPECT_EQ(found.mid(0, 3), (QStringList{u"200601.html:25"_s, u"#name25"_s, u"#name24"_s}));
    EXPECT_EQ(found.mid(26), (QStringList{u"200512.html:0"_s, u"200511.html:2"_s, u"#name2"_s, u"#name1"_s}));

    QXmlStreamReader feed(textfile::readFile(file(u"feed.xml"_s)).value_or(""));
    QStringList updated;
    while (!feed.atEnd()) {
        if (feed.readNext() == QXmlStreamReader::StartElement && feed.name() == u"updated"_s &&
            feed.namespaceUri() == u"http://www.w3.org/2005/Atom"_s)
            updated << feed.readElementText();
    }
    EXPECT_FALSE(feed.hasError()) << feed.errorString().toStdString();
    ASSERT_EQ(updated.size(), 21); // the feed's and its 20 entries'
    EXPECT_EQ(updated[0] + updated[20], u"2006-01-25T00:00:00+09:002006-01-06T00:00:00+09:00"_s);
    EXPECT_TRUE(text(u"feed.xml"_s).contains(u">t 25</title>"_s)); // spaces stay; control characters go

    // A page mended after a rebuild read it is read again.
    ASSERT_TRUE(QFile::remove(file(u"200510.html"_s)));
    ASSERT_TRUE(writeMonthPage(home.path(), u"diary"_s, month(2005, 10, 1)).ok());
    EXPECT_TRUE(writeSiteIndex(home.path(), u"diary"_s).ok());
}

TEST_F(SiteIndexTest, AnIndexSomeoneElseWroteIsKept_AFailedPageWriteTouchesNeither) {
    ASSERT_TRUE(textfile::writeFileAtomically(file(u"index.html"_s), "<html>my own</html>").ok());
    EXPECT_EQ(publish(2005, 11, 0).index.msg, Msg::SiteFileNotOurs);
    EXPECT_EQ(text(u"index.html"_s), u"<html>my own</html>"_s);
    EXPECT_TRUE(QFile::remove(file(u"feed.xml"_s)));
    EXPECT_EQ(publish(2005, 11, 1, u"no-semicolon.jpg"_s).page.msg, Msg::MediaNamesUnterminated);
    EXPECT_FALSE(QFile::exists(file(u"feed.xml"_s)));
}
