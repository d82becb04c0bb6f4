// The diary session: the month on screen, the editor, the generate and month commands, start and close,
// the recovery journal.
#include "session_fixture.h"

#include "diary/recovery_journal.h"
#include "settings/diary_folder.h"
#include "site/snippets.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace tsuzuri;
using namespace tsuzuri::test;

namespace {

// Thirty days of a 2005 month and a second entry on the 1st: a full entry table of 31 rows.
MonthPageInput fullMonth(const QString& month) {
    MonthPageInput in = monthInput(u"2005"_s, month);
    for (int d = 1; d <= 30; ++d)
        in.entries.rows[d] = entry(dateLine(u"2005", month, QString::asprintf("%02d", d)), u"日記"_s);
    in.entries.rows[31] = entry(dateLine(u"2005", month, u"01"), u"同じ日にもう一つ"_s);
    in.entries.count = 31;
    return in;
}

using SessionMonthTest = SessionTest;

TEST_F(SessionMonthTest, StartShowsTodaysMonthAndEntry_AChosenDayIsStoredAndLoaded_MarkedAtOnce) {
    MonthPageInput in = monthInput(u"2005"_s, u"11"_s,
                                   {entry(u"2005年11月04日"_s, u"四日"_s, u"本文"_s, u"x.jpg;"_s),
                                    entry(u"2005年11月05日"_s, u"五日"_s, u"一行目\r\n二行目"_s, u"a.jpg;"_s)});
    in.siteTitle = u"綴の日記"_s;
    in.links[0] = {u"十月"_s, u"200510.html"_s};
    writePage(in);
    open();
    EXPECT_TRUE(started && messages.shown.isEmpty());
    EXPECT_EQ(shownMonth(), u"2005/11 2005/11"_s);
    EXPECT_EQ(s().editor(), in.entries.rows[2]);
    EXPECT_EQ(s().siteTitle() + s().links()[0].title + s().links()[0].path, u"綴の日記十月200510.html"_s);
    EXPECT_EQ(s().folderCaption(), u"　ただいま【 diary 】フォルダ内の日記を表示中です　"_s);
    // 1 November 2005 is a Tuesday: day d in cell d + 2. Today is flat, and has an entry.
    const auto& cells = s().dayCells();
    EXPECT_TRUE(cells[7].caption == u"5"_s && cells[7].flat && cells[7].bold && cells[7].underline);

    s().setTitle(u"今日のタイトル"_s);
    s().chooseDay(6);
    EXPECT_EQ(s().editor(), in.entries.rows[1]);
    EXPECT_EQ(selectedCells(), QList<int>{6});
    EXPECT_EQ(focus, QList{DiarySession::Focus::Title});
    s().chooseDay(7);
    EXPECT_EQ(s().editor().title, u"今日のタイトル"_s); // stored under the first date
    s().setBody(u"書きかけ"_s);
    s().chooseDay(1); // an empty cell only moves the highlight
    EXPECT_EQ(selectedCells(), QList<int>{1});
    EXPECT_EQ(s().editor(), entry(u"2005年11月05日"_s, u"今日のタイトル"_s, u"書きかけ"_s, u"a.jpg;"_s));
    s().chooseDay(11);
    s().setTitle(u"九日"_s);
    s().chooseDay(12); // stored: marked at once, not at the next drawing
    EXPECT_TRUE(s().dayCells()[11].bold && s().dayCells()[11].underline);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(SessionMonthTest, EditorGuard_ClearingALongBodyAsks) {
    open(false); // never started: the date label is empty
    EXPECT_EQ(said([&] { EXPECT_FALSE(s().editorMayTakeFocus()); }), QStringList{u"日にちが選択されていません。"_s});
    EXPECT_EQ(focus, QList{DiarySession::Focus::Generate});
    s().start();
    s().setBody(u"一\r\n二\r\n三"_s); // a few lines: no question
    EXPECT_TRUE(said([&] { EXPECT_TRUE(s().editorMayTakeFocus() && s().confirmClearBody()); }).isEmpty());
    s().setBody(u"一\r\n二\r\n三\r\n四"_s);
    for (const Answer a : {Answer::No, Answer::Yes})
        EXPECT_EQ(said([&] { EXPECT_EQ(s().confirmClearBody(), a == Answer::Yes); }, {a}),
                  told(Msg::ClearBodyConfirm, {u"4"_s}));
    EXPECT_EQ(s().editor().body.size(), 10) << "the box clears it, through its own undo";
}

TEST_F(SessionMonthTest, GenerateWritesTheShownMonthsPage_SnippetsCopyExactly_FailuresAreSaidAndKeepTheEdits) {
    open();
    s().chooseDay(6);
    s().setTitle(u"晴れ"_s);
    s().setBody(u"一行目\r\n二行目\r\n"_s);
    s().setSiteTitle(u"綴の日記"_s);
    s().setLink(0, {u"十月"_s, u"200510"_s});
    s().setYearText(u"2010"_s); // typed, no month command: the page is still November 2005's
    EXPECT_EQ(s().generate(), GenerateResult::Written);
    EXPECT_TRUE(messages.shown.isEmpty());
    // The blank row left by today's default date is stored too, but never reaches the page.
    MonthPageInput expected =
        monthInput(u"2005"_s, u"11"_s, {entry(u"2005年11月04日"_s, u"晴れ"_s, u"一行目\r\n二行目\r\n"_s)});
    expected.siteTitle = u"綴の日記"_s;
    expected.links[0] = {u"十月"_s, u"200510"_s};
    const QByteArray bytes = pageBytes(u"200511"_s);
    EXPECT_EQ(bytes, renderMonthPage(expected).page.bytes);
    const CodeSnippets snippets = codeSnippets(textfile::decodeWithReferences(bytes));
    EXPECT_EQ(s().snippets(), snippets);
    for (Snippet which :
         {Snippet::Calendar, Snippet::Stylesheet, Snippet::BodyAttribute, Snippet::Script, Snippet::Diary})
        s().copySnippet(which);
    EXPECT_EQ(clipboard.texts,
              (QStringList{snippets.calendar, stylesheetSnippet(), bodySnippet(), scriptSnippet(), snippets.diary}));

    // A year box that is no number: said, nothing written, the entry stored all the same.
    QFile::remove(page(u"200511"_s));
    s().setYearText(u"abc"_s);
    s().setTitle(u"残る"_s);
    EXPECT_EQ(said([&] { EXPECT_EQ(s().generate(), GenerateResult::NotWritten); }),
              QStringList{u"半角数値で入力して下さい"_s});
    EXPECT_EQ(s().entries().lastMatch(u"2005年11月04日")->title, u"残る"_s);
    s().setYearText(u"2005"_s);
    ASSERT_TRUE(QDir(folder(u"diary"_s)).removeRecursively()); // a diary folder that has gone
    EXPECT_TRUE(said([&] { EXPECT_EQ(s().generate(), GenerateResult::Failed); })
                    .value(0)
                    .startsWith(u"エラーが発生しました。"_s));
    clipboard.fail = true; // anything unexpected inside a command gives the general error
    EXPECT_EQ(said([&] { s().copySnippet(Snippet::Script); }), QStringList{u"エラーが発生しました。"_s});
}

TEST_F(SessionMonthTest, MonthCommandsWriteTheMonthBeingLeft_WrapAroundTheYear_AndReadTheChosenMonth) {
    writeEntries({entry(u"2005年03月01日"_s, u"三月一日"_s), entry(u"2005年03月20日"_s, u"春"_s)});
    open();
    s().setTitle(u"前月の前に"_s);
    typeMonth(u"2005"_s, u"1"_s);
    s().showPreviousMonth();
    EXPECT_EQ(shownMonth(), u"2004/12 2004/12"_s);
    EXPECT_TRUE(pageBytes(u"200511"_s).contains(textfile::encode(u"前月の前に")));
    EXPECT_EQ(s().editor().date, u"2004年12月01日"_s);
    EXPECT_EQ(selectedCells(), QList<int>{4}); // 1 December 2004 is a Wednesday
    EXPECT_EQ(focus.last(), DiarySession::Focus::Title);

    typeMonth(u"2005"_s, u"12"_s);
    s().showNextMonth(); // 1 January 2006 is a Sunday holiday
    EXPECT_EQ(shownMonth(), u"2006/01 2006/01"_s);
    EXPECT_TRUE(QFile::exists(page(u"200412"_s)));
    EXPECT_EQ(s().holidayNames()[1] + s().holidayNames()[2], u"元日振替休日"_s);
    s().showNextMonth(); // the names of the month before do not linger
    EXPECT_EQ(s().holidayNames()[1] + s().holidayNames()[2] + s().holidayNames()[14], u"建国記念の日"_s);

    typeMonth(u"２００５"_s, u"３"_s); // full-width digits are the same number
    s().showChosenMonth();
    EXPECT_EQ(shownMonth(), u"2005/03 2005/03"_s);
    EXPECT_EQ(s().editor(), entry(u"2005年03月01日"_s, u"三月一日"_s));
    EXPECT_EQ(s().entries().count, 2);

    // Today's month and day in another year: that year's entry of the day is shown, and so survives.
    writeEntries({entry(u"2006年11月05日"_s, u"一年後"_s)});
    typeMonth(u"2006"_s, u"11"_s);
    s().showChosenMonth();
    EXPECT_EQ(s().editor(), entry(u"2006年11月05日"_s, u"一年後"_s));
    EXPECT_TRUE(selectedCells().isEmpty());
    for (int k = 1; k <= 42; ++k)
        EXPECT_FALSE(s().dayCells()[size_t(k)].flat) << k;
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(SessionMonthTest, RefusedYearOrMonthChangesNothingWhicheverMonthCommandIsUsed) {
    writeEntries({entry(u"2005年11月04日"_s, u"四日"_s), entry(u"2005年11月05日"_s, u"五日"_s, u"a\r\nb"_s)});
    open();
    s().setLink(0, {u"リンク"_s, QString()});
    const EntryTable table = s().entries();
    const auto looks = s().dayCells();
    const QString e4 = u"1～12(半角)の間で入力して下さい"_s, e5 = u"1900～2999(半角)の間で入力して下さい"_s;
    // Year, month, what is said: the year is checked first, and one mistake gives one message.
    const QStringList cases[] = {{u"1899"_s, u"11"_s, e5}, {u"3000"_s, u"11"_s, e5}, {u"2005"_s, u"13"_s, e4},
                                 {u"2005"_s, u"0"_s, e4},  {u"1899"_s, u"13"_s, e5}, {u"２００５"_s, u"１３"_s, e4}};
    for (const QStringList& c : cases) {
        for (auto command :
             {&DiarySession::showChosenMonth, &DiarySession::showPreviousMonth, &DiarySession::showNextMonth}) {
            SCOPED_TRACE((c[0] + u' ' + c[1]).toStdString());
            typeMonth(c[0], c[1]);
            EXPECT_EQ(said([&] { (s().*command)(); }), c.mid(2));
            EXPECT_EQ(shownMonth(), c[0] + u'/' + c[1] + u" 2005/11"_s); // the typed text stays
            EXPECT_TRUE(s().entries() == table && s().dayCells() == looks && s().links()[0].title == u"リンク"_s);
        }
    }
}

TEST_F(SessionMonthTest, MonthNotReadCompletelyIsShownReadOnlyAndNeverWrittenOver) {
    // A full month with one entry block copied in: 32 blocks.
    QString text = textfile::decodeWithReferences(renderMonthPage(fullMonth(u"11"_s)).page.bytes);
    const qsizetype start = text.indexOf(u"<a name=name1>"_s);
    text.insert(start, text.mid(start, text.indexOf(u"<hr>\r\n"_s, start) + 6 - start));
    const QByteArray broken = textfile::encode(text);
    ASSERT_TRUE(writeBytes(page(u"200511"_s), broken));
    open();
    EXPECT_EQ(messages.texts(), QStringList{messageText(Msg::PageTooManyEntries, {u"200511.html"_s})});
    EXPECT_EQ(s().editor().title, u"日記"_s); // what was read is on screen
    ASSERT_TRUE(s().isReadOnly());
    EXPECT_EQ(s().blockedPage()->notice, messageText(Msg::BlockedTooManyEntries, {page(u"200511"_s)}));
    // Nothing can be typed into it, so closing has nothing to ask; the month commands move on without a word.
    s().setTitle(u"上書きしない"_s);
    s().setSiteTitle(u"上書きしない"_s);
    s().setLink(0, {u"上書きしない"_s, u"x"_s});
    EXPECT_EQ(s().editor().title + s().siteTitle() + s().links()[0].title, u"日記"_s);
    EXPECT_FALSE(s().hasUnwrittenEdits());
    EXPECT_EQ(said([&] { s().generate(); }), told(Msg::MonthNotWritable, {u"200511.html"_s}));
    EXPECT_TRUE(said([&] { s().showNextMonth(); }).isEmpty());
    EXPECT_EQ(pageBytes(u"200511"_s), broken);
    EXPECT_TRUE(shownMonth() == u"2005/12 2005/12"_s && !s().isReadOnly());
    ASSERT_TRUE(QDir().mkpath(page(u"200601"_s))); // a folder where the page should be: unreadable
    EXPECT_EQ(said([&] {
                  s().showNextMonth();
                  s().generate();
              }),
              told(Msg::PageUnreadable, {u"200601.html"_s}) + told(Msg::MonthNotWritable, {u"200601.html"_s}));
    EXPECT_TRUE(QFile::exists(page(u"200512"_s)));
}

TEST_F(SessionMonthTest, FullEntryTableRefusesANewDateAndKeepsTheEditor) {
    clock.date = QDate(2005, 10, 5);
    writePage(fullMonth(u"10"_s));
    const QByteArray before = pageBytes(u"200510"_s);
    open();
    s().chooseDay(37); // 31 October: no row
    const EntryTable table = s().entries();
    s().setTitle(u"新しい日記"_s);
    s().chooseDay(8);
    s().generate();
    s().showNextMonth();
    EXPECT_EQ(messages.texts(), QStringList(3, messageText(Msg::EntryTableFull, {u"2005年10月31日"_s})));
    EXPECT_EQ(s().editor(), entry(u"2005年10月31日"_s, u"新しい日記"_s));
    EXPECT_EQ(selectedCells(), QList<int>{37});
    EXPECT_TRUE(s().entries() == table && pageBytes(u"200510"_s) == before && shownMonth() == u"2005/10 2005/10"_s);
    s().setTitle(QString()); // a blank editor has nothing to keep: the choice goes through without a word
    EXPECT_TRUE(said([&] { s().chooseDay(8); }).isEmpty());
    EXPECT_EQ(s().editor().date, u"2005年10月02日"_s);
}

// --- start and close --------------------------------------------------------------------------------------

TEST_F(SessionMonthTest, StartFollowsFdirIni_WithoutItSaysSoAndWritesNothing_AFolderWithoutImageIsLeftAlone) {
    makeDiary(u"b"_s);
    writeEntries({entry(u"2005年11月05日"_s, u"bの日記"_s)}, u"b"_s);
    ASSERT_TRUE(writeBytes(fdir(), "a\r\nb\r\n")); // the last line wins
    open();
    EXPECT_EQ(s().folderCaption() + s().editor().title, folderCaption(u"b"_s) + u"bの日記"_s);

    ASSERT_TRUE(writeBytes(fdir(), "")); // the design-time folder, made silently
    ASSERT_TRUE(QDir(folder(u"diary"_s)).removeRecursively());
    open();
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_TRUE(s().uploadList().contains(u"[フォルダ]image"_s));

    ASSERT_TRUE(QDir(folder(u"diary/image"_s)).removeRecursively());
    ASSERT_TRUE(writeBytes(home() + u"/ini/app_diary.ini"_s, "[FTP]never.read\r\n"));
    open();
    EXPECT_EQ(
        messages.texts(),
        QStringList{u"エラーが発生しました。\r対象の日記フォルダ内に[image]フォルダが存在するか確認して下さい。"_s});
    EXPECT_TRUE(started && s().connection().host.isEmpty()); // nothing further was loaded
    s().setFolderText(u"elsewhere"_s); // not even a missing folder in the box is asked about or made
    EXPECT_TRUE(said([&] { EXPECT_TRUE(s().close()); }).isEmpty());
    EXPECT_TRUE(readBytes(fdir()).isEmpty() && !QFileInfo::exists(folder(u"elsewhere"_s)));

    ASSERT_TRUE(QDir(home() + u"/ini"_s).removeRecursively() && QDir(folder(u"diary"_s)).removeRecursively());
    open();
    EXPECT_FALSE(started);
    EXPECT_EQ(
        messages.texts(),
        QStringList{
            u"【fdir.ini】ファイルが存在しないか、日記のHTMLファイルが壊れています。\r\n説明書を参照して下さい。"_s});
    EXPECT_EQ(ended->count(), 1);
    EXPECT_TRUE(s().close()); // the close writes nothing either
    EXPECT_FALSE(QFileInfo::exists(home() + u"/ini"_s) || QFileInfo::exists(folder(u"diary"_s)));
}

TEST_F(SessionMonthTest, ClosingRecordsTheFolderInTheBoxAndAsksBeforeMakingAMissingOne) {
    makeDiary(u"other"_s);
    // A folder that cannot be made counts as a No, as the switch tests show.
    const auto question = [](const QString& name) { return messageText(Msg::FolderMissingCreate, {name}); };
    const struct {
        QString name;
        std::deque<Answer> answers;
        QStringList told;
        bool recorded;
    } cases[] = {
        {u"other"_s, {}, {}, true}, // typed, never switched to
        {u"新しい日記"_s, {Answer::No}, {question(u"新しい日記"_s)}, false},
        {u"新しい日記"_s, {Answer::Yes}, {question(u"新しい日記"_s), u"新しい日記フォルダを作成しました。"_s}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        ASSERT_TRUE(writeBytes(fdir(), "a\r\ndiary\r\n"));
        open();
        s().setFolderText(c.name);
        EXPECT_EQ(said([&] { EXPECT_TRUE(s().close()); }, c.answers), c.told);
        EXPECT_EQ(readBytes(fdir()), c.recorded ? textfile::encode(c.name + u"\r\n"_s) : QByteArray("a\r\ndiary\r\n"));
        EXPECT_EQ(QFileInfo(folder(c.name) + u"/image"_s).isDir(), c.recorded);
    }
    open();
    ASSERT_TRUE(QFile::remove(fdir()) && QDir().mkpath(fdir() + u"/kept"_s)); // fdir.ini cannot replace a folder
    EXPECT_TRUE(s().close());
    EXPECT_TRUE(messages.texts().join(u'|').startsWith(u"エラーが発生しました。\r\n"_s));
}

TEST_F(SessionMonthTest, ClosingWithUnwrittenEditsAsks_NoDrops_CancelStays_YesWritesOrStaysWhenRefused) {
    writeEntries({entry(u"2005年11月05日"_s, u"元の日記"_s)});
    const QByteArray before = pageBytes(u"200511"_s);
    open();
    s().chooseDay(cellOf(2005, 11, 9)); // a blank entry stored for a day, which the page never shows
    EXPECT_FALSE(s().hasUnwrittenEdits());
    s().setSiteTitle(u"新しいサイト名"_s); // the site title is written text too
    EXPECT_EQ(said([&] { EXPECT_TRUE(s().close()); }, {Answer::No}), told(Msg::UnsavedEdits));
    EXPECT_EQ(messages.shown[0].buttons, Buttons::YesNoCancel);
    EXPECT_EQ(pageBytes(u"200511"_s), before);

    open();
    s().setTitle(u"写真"_s);
    s().setMedia(u"a.jpg"_s); // no ";": the page is refused, and the program stays open
    EXPECT_EQ(said([&] { EXPECT_FALSE(s().close()); }, {Answer::Yes}),
              told(Msg::UnsavedEdits) + told(Msg::MediaNamesUnterminated));
    s().setMedia(u"a.jpg;"_s);
    said([&] { EXPECT_FALSE(s().close()); }, {Answer::Cancel}); // キャンセル, Escape or the close box: nothing changes
    EXPECT_TRUE(s().editor().title == u"写真"_s && pageBytes(u"200511"_s) == before);
    s().setYearText(u"abcd"_s); // the year box never holds a closing up: the page is the shown month's
    messages.answers = {Answer::Yes};
    EXPECT_TRUE(s().close());
    EXPECT_TRUE(pageBytes(u"200511"_s).contains(textfile::encode(u"写真")));

    open(); // written, or written by a month command: nothing to ask
    s().setTitle(u"九日"_s);
    s().generate();
    EXPECT_FALSE(s().hasUnwrittenEdits());
    s().setLink(0, {u"十月"_s, u"200510"_s});
    s().showNextMonth();
    EXPECT_TRUE(s().close() && messages.shown.isEmpty());
    EXPECT_TRUE(pageBytes(u"200511"_s).contains("200510.html"));
}

// --- the recovery journal -----------------------------------------------------------------------------------

TEST_F(SessionMonthTest, EditsNotWrittenAreJournalledAMomentAfterTyping_AndOfferedBackAtTheNextStart) {
    writeEntries({entry(u"2005年11月04日"_s, u"四日"_s)});
    const QString journal = home() + u"/ini/journal_diary.json"_s;
    open();
    s().setTitle(u"書きかけ"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(journal); }, 5000));
    s().chooseDay(6);
    s().setBody(u"四日の続き"_s);
    QTest::qWait(1700); // the journal follows the last keystroke: the restore below shows it did

    // The program ends without a word (a crash): the next start offers the text back, and writes nothing.
    session.reset();
    const QByteArray page = pageBytes(u"200511"_s);
    messages.answers = {Answer::Yes};
    open();
    EXPECT_EQ(messages.texts(), QStringList{u"前回、HTMLに書き出していない日記が残っています。復元しますか？"_s});
    EXPECT_EQ(s().editor(), entry(u"2005年11月04日"_s, u"四日"_s, u"四日の続き"_s));
    EXPECT_TRUE(s().hasUnwrittenEdits() && pageBytes(u"200511"_s) == page);

    // Written: the journal goes. Offered and refused: kept aside as .old, and not offered again.
    s().generate();
    EXPECT_FALSE(QFile::exists(journal));
    const journal::State other{u"diary"_s, u"2005"_s, u"11"_s, entry(u"2005年11月04日"_s, u"別の続き"_s), {}, {}, {}};
    ASSERT_TRUE(writeBytes(journal, journal::render(other)));
    messages.answers = {Answer::No};
    open();
    EXPECT_EQ(messages.texts().size(), 1);
    EXPECT_EQ(s().editor().title, u"書きかけ"_s); // today's entry, as the page has it
    EXPECT_FALSE(QFile::exists(journal));
    EXPECT_EQ(QDir(home() + u"/ini"_s).entryList({u"journal_diary-*.old"_s}).size(), 1);

    // A journal the page has caught up with goes without a question.
    ASSERT_TRUE(writeBytes(journal, journal::render({u"diary"_s, u"2005"_s, u"11"_s, s().editor(), s().entries(),
                                                     s().links(), s().siteTitle()})));
    open();
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_FALSE(QFile::exists(journal));
}

} // namespace
