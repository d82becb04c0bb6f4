// The session's diary folders, settings and holiday rules, images and videos, and the page in other programs.
#include "session_fixture.h"

#include "diary/backup_controller.h"
#include "diary/search_controller.h"
#include "settings/diary_folder.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace tsuzuri;
using namespace tsuzuri::test;

namespace {

QStringList createQuestion(const QString& name) {
    return {u"指定されたフォルダは存在しません\r\n"_s + name + u"フォルダを作成しますか？"_s};
}

using SessionFolderTest = SessionTest;

TEST_F(SessionFolderTest, SwitchToAnExistingFolderWritesPendingEditsWhereTheyCameFromThenReloadsTodayFromIt) {
    makeDiary(u"other"_s);
    MonthPageInput other = monthInput(u"2005"_s, u"11"_s, {entry(u"2005年11月05日"_s, u"otherの日記"_s)});
    other.siteTitle = u"otherのサイト"_s;
    writePage(other, u"other"_s);
    const QByteArray otherPage = pageBytes(u"200511"_s, u"other"_s);
    ASSERT_TRUE(writeBytes(home() + u"/ini/etc_other.ini"_s, "[imw]640\r\n"));
    open();
    QSignalSpy tab(session.get(), &DiarySession::diaryTabRequested);
    s().setConnection({u"typed"_s, u"typed"_s, u"typed"_s, u"typed"_s, 1});
    s().setSizes({u"typed"_s, u"typed"_s, u"1"_s, QString(), 1});
    typeMonth(u"2005"_s, u"3"_s);
    s().showChosenMonth();
    s().setTitle(u"三月の日記"_s);

    EXPECT_EQ(switchTo(u"other"_s, {Answer::Yes}), told(Msg::UnsavedEdits));
    EXPECT_TRUE(pageBytes(u"200503"_s).contains(textfile::encode(u"三月の日記")));
    EXPECT_FALSE(QFileInfo::exists(page(u"200503"_s, u"other"_s)));
    EXPECT_EQ(s().loadedFolder() + s().folderCaption(), u"other"_s + folderCaption(u"other"_s)); // not fdir.ini
    EXPECT_EQ(s().editor().title + s().siteTitle(), u"otherの日記otherのサイト"_s);
    const ConnectionSettings c = s().connection();
    EXPECT_EQ(c.host + c.user + c.password + c.remoteDir + QString::number(c.deleteAfterUpload), u"0"_s); // cleared
    // The sizes start from the usual ones; the folder's own file says the rest.
    const SizeSettings z = s().sizes();
    EXPECT_EQ(z.imageWidth + u'|' + z.imageHeight + u'|' + z.videoWidth + u'|' + z.videoHeight, u"640|240|320|256"_s);
    EXPECT_EQ(z.originalSize, 0);
    EXPECT_EQ(tab.count(), 1);

    s().setTitle(u"捨てる"_s);
    switchTo(u"diary"_s, {Answer::Cancel}); // キャンセル: nothing changes
    EXPECT_EQ(s().loadedFolder(), u"other"_s);
    EXPECT_EQ(s().editor().title, u"捨てる"_s);
    QSignalSpy status(session.get(), &DiarySession::statusMessage);
    EXPECT_EQ(switchTo(u"diary"_s, {Answer::No}), told(Msg::UnsavedEdits)); // いいえ: dropped, the switch goes on
    EXPECT_EQ(pageBytes(u"200511"_s, u"other"_s), otherPage);
    EXPECT_EQ(status.value(0).value(0).toString(), messageText(Msg::FolderSwitched, {u"diary"_s}));
    // The site title of a month without a page is the folder's, from its newest page: not the other's.
    EXPECT_TRUE(s().siteTitle().isEmpty());
}

TEST_F(SessionFolderTest, SwitchToAMissingFolderAsks_YesMakesItEmpty_NoOrAFailureKeepsTheOneInUse) {
    writeEntries({entry(u"2005年11月05日"_s, u"diaryの日記"_s)});
    ASSERT_TRUE(QFile::remove(home() + u"/calender.css"_s)); // without templates: said once, made all the same
    ASSERT_TRUE(QFile::remove(home() + u"/calender.js"_s));
    open();
    MonthPageInput older = monthInput(u"2005"_s, u"10"_s);
    older.siteTitle = u"diaryのサイト"_s;
    writePage(older);
    s().setLink(0, {u"十月"_s, u"200510.html"_s});
    EXPECT_EQ(switchTo(u"fresh"_s, {Answer::No, Answer::Yes}), // the link is dropped, the folder made
              told(Msg::UnsavedEdits) + createQuestion(u"fresh"_s) + told(Msg::TemplatesNotCopied) +
                  told(Msg::FolderCreated, {u"fresh"_s}));
    EXPECT_EQ(s().folderCaption(), folderCaption(u"fresh"_s));
    EXPECT_EQ(s().editor().title + s().siteTitle() + s().links()[0].title, QString()); // a new folder starts clean
    ASSERT_TRUE(QFile::remove(page(u"200511"_s)));
    switchTo(u"diary"_s); // back: the title of its newest page, since this month has none
    EXPECT_EQ(s().siteTitle(), u"diaryのサイト"_s);
    switchTo(u"fresh"_s);

    s().setConnection({u"typed"_s, {}, {}, {}, 0});
    EXPECT_EQ(switchTo(u"later"_s, {Answer::No}), createQuestion(u"later"_s));
    EXPECT_EQ(s().folderText(), u"fresh"_s);
    EXPECT_FALSE(QFileInfo::exists(folder(u"later"_s)));
    ASSERT_TRUE(writeBytes(folder(u"blocker"_s), "a file where the folder would be"));
    EXPECT_EQ(switchTo(u"blocker"_s, {Answer::Yes}),
              createQuestion(u"blocker"_s) +
                  told(Msg::FolderCreateFailed, {QDir::toNativeSeparators(folder(u"blocker"_s))}));
    EXPECT_EQ(s().folderText() + s().folderCaption() + s().connection().host, // nothing reloaded
              u"fresh"_s + folderCaption(u"fresh"_s) + u"typed"_s);
}

TEST_F(SessionFolderTest, BrowseOpensInTheProgramFolderAndTakesOnlyAFolderInsideIt) {
    const QString elsewhere = root.path() + u"/Documents/mydiary"_s;
    ASSERT_TRUE(writeBytes(elsewhere + u"/200511.html"_s, "not mine"));
    makeDiary(u"other"_s);
    open();
    const auto browse = [&](const std::optional<QString>& chosen) {
        folders.answers = {chosen};
        return said([&] { s().folders().browseFolder(); });
    };
    EXPECT_TRUE(browse(std::nullopt).isEmpty()); // cancelled: nothing happens
    EXPECT_EQ(folders.startFolders, QStringList{home()});
    // A folder elsewhere (also one named in another separator style) is no diary folder: said, and nothing asked.
    for (const QString& chosen : {elsewhere, u"C:\\Users\\me\\diary"_s})
        EXPECT_EQ(browse(chosen), told(Msg::FolderOutsideProgram, {home()}));
    EXPECT_TRUE(browse(folder(u"other"_s)).isEmpty());
    EXPECT_EQ(s().folderCaption(), folderCaption(u"other"_s));
}

TEST_F(SessionFolderTest, NamesThatAreNoSingleFolderInsideTheProgramFolderAreRefusedAtOnce) {
    ASSERT_TRUE(writeBytes(fdir(), "..\r\n")); // fdir.ini too: the diary folder is shown instead
    open();
    EXPECT_EQ(messages.texts(), QStringList{messageText(Msg::FdirNameInvalid, {u".."_s})});
    EXPECT_EQ(s().loadedFolder(), u"diary"_s);
    s().setTitle(u"書きかけ"_s); // an edit, so a switch that went ahead would ask about it first
    for (const QString& bad : {u".."_s, u"."_s, u"a/b"_s, u"/x"_s, QString(), u"diary "_s, u"diary."_s}) {
        for (auto command : {&FolderCommands::leaveFolderText, &FolderCommands::switchFolder}) {
            s().setFolderText(bad);
            EXPECT_EQ(said([&] { (s().folders().*command)(); }), told(Msg::DiaryFolderNameInvalid, {bad}))
                << bad.toStdString();
            EXPECT_EQ(s().folderText(), u"diary"_s);
        }
    }
    s().setFolderText(u".."_s); // closing records the folder in use, not the name typed
    said([&] { EXPECT_TRUE(s().close()); }, {Answer::No});
    EXPECT_EQ(readBytes(fdir()), QByteArray("diary\r\n"));
}

TEST_F(SessionFolderTest, EditedFolderNameOffersASwitchWhenTheBoxIsLeft) {
    makeDiary(u"other"_s);
    open();
    EXPECT_TRUE(said([&] { s().folders().leaveFolderText(); }).isEmpty()); // unchanged: nothing asked
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        s().setConnection({u"typed"_s, {}, {}, {}, 0});
        s().setFolderText(u"other"_s);
        EXPECT_EQ(said([&] { s().folders().leaveFolderText(); }, {yes ? Answer::Yes : Answer::No}),
                  told(Msg::FolderNameChanged));
        EXPECT_EQ(s().folderText(), yes ? u"other"_s : u"diary"_s);
        EXPECT_EQ(s().folderCaption(), folderCaption(yes ? u"other"_s : u"diary"_s));
        EXPECT_EQ(s().connection().host, yes ? QString() : u"typed"_s); // reloaded only on Yes
    }
}

TEST_F(SessionFolderTest, SettingsAreSavedSilentlyAndReadBackWithTheirQuirks) {
    open();
    const QString app = home() + u"/ini/app_diary.ini"_s, etc = home() + u"/ini/etc_diary.ini"_s;
    s().setConnection({u"ftp.example.jp"_s, QString(), u"pa;ss[word"_s, u"www/diary"_s, 1});
    s().setSizes({u"320"_s, u"240"_s, u"640"_s, u"480"_s, 1});
    s().folders().saveConnection();
    s().folders().saveSizes();
    EXPECT_TRUE(messages.shown.isEmpty());
    // The password goes to the keyring.
    EXPECT_EQ(keyring.saved.values(), QStringList{u"pa;ss[word"_s});
    EXPECT_EQ(readBytes(etc), QByteArray("[imw]320\r\n[imh]240\r\n[mow]640\r\n[moh]480\r\n[chk]1\r\n"));

    // 再読込み puts the files' values back over edits and lists the folder afresh.
    s().setConnection({u"edited"_s, u"edited"_s, u"edited"_s, u"edited"_s, 0});
    s().setSizes({u"edited"_s, u"edited"_s, u"edited"_s, u"edited"_s, 0});
    ASSERT_TRUE(QDir().mkpath(folder(u"diary/movies"_s)));
    s().folders().reload();
    EXPECT_EQ(s().connection().password + s().connection().remoteDir + s().sizes().videoHeight,
              u"pa;ss[wordwww/diary480"_s);
    EXPECT_EQ(s().connection().deleteAfterUpload + s().sizes().originalSize, 2);
    EXPECT_EQ(QSet(s().uploadList().begin(), s().uploadList().end()),
              (QSet{u"[フォルダ]image"_s, u"[フォルダ]movies"_s}));

    // A key the file does not hold keeps what is on screen (the keyring's password here).
    ASSERT_TRUE(writeBytes(app, "[FTP]host\r\n[CHK]2\r\n"));
    s().folders().reload();
    EXPECT_EQ(s().connection().host + s().connection().password, u"hostpa;ss[word"_s);
    EXPECT_EQ(s().connection().deleteAfterUpload, 2);
    ConnectionSettings emoji = s().connection();
    emoji.password = u"鍵🔑"_s; // refused, and said
    s().setConnection(emoji);
    EXPECT_EQ(said([&] { s().folders().saveConnection(); }), told(Msg::CannotEncode, {u"パスワード"_s}));

    // Sizes: full-width digits saved as half-width ones, an empty or non-numeric size refused.
    for (const auto& [sizes, field] :
         {std::pair{SizeSettings{u"３２０"_s, u"240"_s, u"640"_s, u"480"_s, 0}, QString()},
          {SizeSettings{u"320"_s, u"240"_s, u"640px"_s, u"480"_s, 0}, u"動画サイズの横幅"_s}}) {
        s().setSizes(sizes);
        EXPECT_EQ(said([&] { s().folders().saveSizes(); }),
                  field.isEmpty() ? QStringList() : tsuzuri::test::told(Msg::SizeNotNumber, {field}));
        EXPECT_EQ(readBytes(etc), QByteArray("[imw]320\r\n[imh]240\r\n[mow]640\r\n[moh]480\r\n[chk]0\r\n"));
    }

    // An unreadable line stops the reading there, and the size file is not reached.
    ASSERT_TRUE(writeBytes(app, "[FTP]first\r\n[CHK]x\r\n[DIR]after\r\n"));
    ASSERT_TRUE(writeBytes(etc, "[imw]999\r\n"));
    EXPECT_EQ(said([&] { s().folders().reload(); }),
              QStringList{u"エラーが発生しました。\r[diary]フォルダが存在するか確認して下さい。"_s});
    EXPECT_EQ(s().connection().host + s().connection().remoteDir + s().sizes().imageWidth, u"firstwww/diary320"_s);
}

TEST_F(SessionFolderTest, HolidayRulesFollowTheLawUnlessChosen_TheChoiceRedrawsAtOnceReachesTheWriterPerFolder) {
    makeDiary(u"other"_s); // no size file: the law
    clock.date = QDate(2026, 5, 6);
    open();
    const size_t may6 = size_t(cellOf(2026, 5, 6));
    EXPECT_EQ(s().holidayRules(), HolidayRules::Law);
    EXPECT_EQ(s().holidayNames()[may6], u"振替休日"_s);
    s().generate();
    const QByteArray lawPage = pageBytes(u"202605"_s);
    s().chooseDay(cellOf(2026, 5, 12));
    s().setMonthText(u"9"_s); // typed without a month command: the shown month is redrawn all the same

    s().folders().setHolidayRules(HolidayRules::Classic);
    EXPECT_TRUE(s().holidayNames()[may6].isEmpty());
    EXPECT_EQ(selectedCells(), QList<int>{cellOf(2026, 5, 12)});
    s().generate();
    EXPECT_NE(pageBytes(u"202605"_s), lawPage);
    s().folders().saveSizes();
    EXPECT_EQ(readBytes(home() + u"/ini/etc_diary.ini"_s),
              QByteArray("[imw]320\r\n[imh]240\r\n[mow]320\r\n[moh]256\r\n[chk]0\r\n[hol]0\r\n"));

    switchTo(u"other"_s);
    EXPECT_EQ(s().holidayRules(), HolidayRules::Law);
    switchTo(u"diary"_s);
    EXPECT_EQ(s().holidayRules(), HolidayRules::Classic);
    EXPECT_TRUE(messages.shown.isEmpty());
}

// --- images and videos ---------------------------------------------------------------------------------------

class SessionMediaTest : public SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        open();
        messages.clear();
    }
    QString image() const { return folder(u"diary/image"_s); }
    QString pictures() const { return root.path() + u"/Pictures"_s; }
    QString picture(const QString& name, const QByteArray& bytes) const {
        EXPECT_TRUE(writeBytes(pictures() + u'/' + name, bytes));
        return pictures() + u'/' + name;
    }
    void browse(const std::optional<QStringList>& answer) {
        files.answers.push_back(answer);
        s().media().browse();
    }
};

TEST_F(SessionMediaTest, BrowseAppendsTheChosenFilesCopiesThemAndRemembersTheirFolder) {
    browse(QStringList{picture(u"a.jpg"_s, "A"), picture(u"b.jpg"_s, "B")});
    ASSERT_EQ(files.requests.size(), 1);
    const OpenFilesRequest& r = files.requests[0];
    EXPECT_EQ(r.folder, QDir::homePath()) << "the user's home until the first choice";
    EXPECT_EQ(s().editor().media, u"a.jpg;b.jpg;"_s);
    EXPECT_TRUE(messages.shown.isEmpty());

    browse(std::nullopt); // cancelled: nothing changes, not even the remembered folder
    browse(std::nullopt);
    EXPECT_EQ(files.requests[2].folder, pictures());
    EXPECT_EQ(s().editor().media, u"a.jpg;b.jpg;"_s);
}

TEST_F(SessionMediaTest, SameNameAnswerDecidesTheName_LargeCopyShowsItsProgress_FailedCopyIsTold) {
    const QString a = picture(u"a.jpg"_s, "new");
    ASSERT_TRUE(writeBytes(image() + u"/a.jpg"_s, "old"));
    const struct {
        Answer answer;
        QString media;
    } cases[] = {{Answer::Cancel, QString()}, {Answer::Rename, u"a_2.jpg;"_s}, {Answer::Replace, u"a.jpg;"_s}};
    for (const auto& c : cases) {
        s().setMedia(QString());
        EXPECT_EQ(said([&] { browse(QStringList{a}); }, {c.answer}),
                  QStringList{u"[image]フォルダには別の「a.jpg」がすでにあります。\r\n"
                              u"置き換えますか、それとも「a_2.jpg」という名前で追加しますか？"_s});
        EXPECT_EQ(messages.shown.value(0).buttons, Buttons::ReplaceRenameCancel);
        EXPECT_EQ(s().editor().media, c.media);
        QFile::remove(image() + u"/a_2.jpg"_s);
    }

    const QString big = picture(u"holiday.mp4"_s, QByteArray(media::kProgressThreshold + 4096, 'v'));
    copyProgress.cancelAt = 1024 * 1024;
    browse(QStringList{big});
    EXPECT_EQ(copyProgress.begun, QStringList{u"holiday.mp4"_s});

    ASSERT_TRUE(QDir(image()).removeRecursively());
    EXPECT_EQ(said([&] { browse(QStringList{picture(u"b.jpg"_s, "B")}); }), told(Msg::CopyFailed, {u"b.jpg"_s}));
}

TEST_F(SessionMediaTest, DroppedFilesAreAppendedInOrder_FoldersAndMissingFilesToldOnce_TheBoxTakesTheFocus) {
    const QString album = pictures() + u"/album"_s;
    ASSERT_TRUE(QDir().mkpath(album));
    const QString gone = pictures() + u"/gone.jpg"_s;
    s().media().drop(
        {picture(u"3/three.bmp"_s, "3"), album, picture(u"2/one.gif"_s, "1"), gone, picture(u"two.mp4"_s, "2")});
    EXPECT_EQ(s().editor().media, u"three.bmp;one.gif;two.mp4;"_s);
    EXPECT_EQ(messages.texts(),
              QStringList{u"次のものはファイルではないか読み込めないため、追加しませんでした。\r\n"_s + album +
                          u"\r\n"_s + gone});
    EXPECT_EQ(focus, QList{DiarySession::Focus::Media});
}

TEST_F(SessionMediaTest, LeavingTheMediaBoxChecksTheFinalSemicolonThenTheImageSize) {
    s().setSizes({u"320"_s, u"240"_s, {}, {}, 0});
    s().setMedia(u"a.jpg;b.jpg"_s);
    EXPECT_EQ(said([&] { EXPECT_FALSE(s().media().leaveBox()); }), told(Msg::MediaNamesUnterminated));
    EXPECT_EQ(focus, QList{DiarySession::Focus::Media}) << "the box gets the focus back";
    s().setMedia(u"a.jpg;b.jpg;"_s); // one final ";" after several names is enough
    EXPECT_TRUE(said([&] { EXPECT_TRUE(s().media().leaveBox()); }).isEmpty());
    s().setSizes({u"320"_s, QString(), {}, {}, 0});
    s().setMedia(QString()); // an empty box still checks the sizes, and the focus moves on
    EXPECT_EQ(
        said([&] { EXPECT_TRUE(s().media().leaveBox()); }),
        QStringList{u"画像サイズが設定されていません。\r\n「その他の設定」タブから画像サイズを設定して下さい。"_s});
}

TEST_F(SessionMediaTest, PreviewAndSourceStartTheirProgramWithThePageOfTheBoxesMonth_FailuresAreTold) {
    const auto browser = [&] { s().media().openInBrowser(); };
    const auto source = [&] { s().media().openSource(); };
    // No page for this month yet: offered to be written first; いいえ opens nothing.
    EXPECT_EQ(said(browser, {Answer::No}), told(Msg::PageNotYetWritten, {u"200511.html"_s}));
    EXPECT_TRUE(launcher.started.isEmpty());
    said(browser, {Answer::Yes});
    EXPECT_TRUE(QFile::exists(page(u"200511"_s)));
    EXPECT_EQ(said(source), told(Msg::NoTextEditor)); // no editor known at all
    launcher.env.variables.insert(u"EDITOR"_s, u"mousepad"_s);
    EXPECT_TRUE(said(source).isEmpty());
    launcher.env.variables.insert(u"EDITOR"_s, u"vim"_s); // runs in a terminal, and there is none here
    launcher.env.variables.insert(u"PATH"_s, root.path());
    EXPECT_EQ(said(source), told(Msg::NoTerminalForEditor, {u"vim"_s}));
    typeMonth(u"2004"_s, u"02"_s); // the boxes name the month, as typed: another month, with no page
    EXPECT_EQ(said(browser), told(Msg::PageDoesNotExist, {u"200402.html"_s}));
    ASSERT_EQ(launcher.started.size(), 2);
    EXPECT_EQ(launcher.started[0].program, u"xdg-open"_s);
    EXPECT_EQ(launcher.started[0].arguments, QStringList{page(u"200511"_s)});
    EXPECT_EQ(launcher.started[1].program, u"mousepad"_s);
    EXPECT_EQ(launcher.started[1].arguments, QStringList{page(u"200511"_s)});

    typeMonth(u"2005"_s, u"11"_s);
    launcher.fail = true;
    EXPECT_EQ(said(browser),
              QStringList{u"xdg-openを起動できませんでした。\r\nプログラムが見つからないか、実行できませんでした。"_s});
}

} // namespace

// --- search, backup and restore ----------------------------------------------------------------------------

namespace {

class SessionToolsTest : public SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        makeDiary(u"other"_s);
        writeEntries({entry(u"2005年10月20日"_s, u"紅葉の京都"_s, u"キョウトは晴れ"_s)});
        writeEntries({entry(u"2004年03月02日"_s, u"京都へ"_s)}, u"other"_s);
        open();
        QObject::connect(&s().search(), &SearchController::resultsReady, session.get(),
                         [this](const search::SearchResult& r) {
                             found = r;
                             ++searches;
                         });
    }
    void searchFor(const QString& text) {
        const int before = searches;
        s().search().setQuery(text);
        ASSERT_TRUE(QTest::qWaitFor([&] { return searches > before; }, 10000));
    }
    void waitForBackup() {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !s().backups().isRunning(); }, 20000));
        QTest::qWait(20); // the outcome is told on the session's thread
    }
    search::SearchResult found;
    int searches = 0;
};

TEST_F(SessionToolsTest, AHitShowsItsMonthAndDay_AfterAskingAboutEditsNotWritten_InItsOwnFolder) {
    searchFor(u"きょうと"_s); // the kana, case and width of what is typed do not matter
    ASSERT_EQ(found.hitCount(), 1);
    s().setTitle(u"書きかけ"_s);
    said([&] { s().search().open(found.hit(0)); }, {Answer::Cancel});
    EXPECT_EQ(shownMonth(), u"2005/11 2005/11"_s); // キャンセル: nothing changes
    said([&] { s().search().open(found.hit(0)); }, {Answer::Yes});
    EXPECT_TRUE(pageBytes(u"200511"_s).contains(textfile::encode(u"書きかけ")));
    EXPECT_EQ(s().editor().title, u"紅葉の京都"_s);
    EXPECT_EQ(selectedCells(), QList<int>{cellOf(2005, 10, 20)});

    s().search().setAllFolders(true);
    searchFor(u"京都"_s);
    ASSERT_EQ(found.hitCount(), 2);
    s().search().open(found.hit(1)); // newest first
    EXPECT_EQ(s().loadedFolder(), u"other"_s);
    EXPECT_EQ(s().editor().title, u"京都へ"_s);
}

TEST_F(SessionToolsTest, BackupThenRestoreUnderANewName_EveryFileAsItWas) {
    const QString zip = root.path() + u"/diary-20051105.zip"_s;
    files.saveAnswers = {zip};
    messages.answers = {Answer::No}; // without the FTP password
    QSignalSpy started(&s().backups(), &BackupController::started);
    s().backups().backup();
    waitForBackup();
    EXPECT_EQ(started.count(), 1);
    EXPECT_EQ(messages.texts().last(), messageText(Msg::BackupDone, {zip}));

    // The folder is there already: said, a new name asked for, and the restore goes on under it.
    messages.clear();
    files.answers = {QStringList{zip}};
    messages.textAnswers = {u"diary-2"_s};
    messages.answers = {Answer::Yes};
    s().backups().restore();
    waitForBackup();
    ASSERT_TRUE(QTest::qWaitFor([&] { return s().loadedFolder() == u"diary-2"_s; }, 20000))
        << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(messages.texts().value(0), messageText(Msg::RestoreFolderExists, {u"diary"_s}));
    EXPECT_EQ(pageBytes(u"200510"_s, u"diary-2"_s), pageBytes(u"200510"_s));
}

} // namespace
