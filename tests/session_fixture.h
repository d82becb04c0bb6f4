#pragma once

// A program folder in a temporary directory, a diary session on it, and recording fakes for every seam.

#include "diary/diary_session.h"
#include "diary/folder_commands.h"
#include "diary/media_commands.h"
#include "diary/upload_controller.h"
#include "fake_ftp_session.h"
#include "fakes.h"
#include "qt_printers.h"
#include "site/month_page_writer.h"
#include "store/textfile.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace tsuzuri::test {

using namespace Qt::StringLiterals;

inline DiaryEntry entry(const QString& date, const QString& title, const QString& body = {},
                        const QString& media = {}) {
    return DiaryEntry{title, body, date, media};
}

inline MonthPageInput monthInput(const QString& year, const QString& month, const QList<DiaryEntry>& entries = {}) {
    MonthPageInput in;
    in.year = year;
    in.month = month;
    for (const DiaryEntry& e : entries)
        EXPECT_TRUE(in.entries.store(e).ok());
    return in;
}

// The cell of a day: day 1 sits in its weekday's column of the first row.
inline int cellOf(int year, int month, int day) {
    return day + QDate(year, month, 1).dayOfWeek() % 7;
}

inline QStringList told(Msg id, const QStringList& args = {}) {
    return {messageText(id, args)};
}

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(writeBytes(home() + u"/calender.css"_s, "/* css */\r\n"));
        ASSERT_TRUE(writeBytes(home() + u"/calender.js"_s, "function datemark() {}\r\n"));
        makeDiary(u"diary"_s); // the program folder as installed
        ASSERT_TRUE(writeBytes(fdir(), "diary\r\n"));
    }

    // A path with a space in it, as program folders on a desktop often have.
    QString home() const { return root.path() + u"/My Programs/Tsuzuri"_s; }
    QString fdir() const { return home() + u"/ini/fdir.ini"_s; }
    QString folder(const QString& name) const { return home() + u'/' + name; }
    QString page(const QString& ym, const QString& name = u"diary"_s) const {
        return folder(name) + u'/' + ym + u".html"_s;
    }
    QByteArray pageBytes(const QString& ym, const QString& name = u"diary"_s) const {
        return readBytes(page(ym, name));
    }
    void makeDiary(const QString& name) const { ASSERT_TRUE(QDir().mkpath(folder(name) + u"/image"_s)); }
    void writePage(const MonthPageInput& in, const QString& name = u"diary"_s) const {
        ASSERT_TRUE(writeMonthPage(home(), name, in).ok());
    }
    // A page of these entries, in the month of the first one.
    void writeEntries(const QList<DiaryEntry>& entries, const QString& name = u"diary"_s) const {
        writePage(monthInput(entries[0].date.left(4), entries[0].date.mid(5, 2), entries), name);
    }
    // What the session says while `action` runs, given the answers to its questions.
    template <class F> QStringList said(F action, std::deque<Answer> answers = {}) {
        messages.clear();
        messages.answers = std::move(answers);
        action();
        return messages.texts();
    }

    DiarySession& open(bool start = true) {
        messages.clear();
        session =
            std::make_unique<DiarySession>(home(), SessionServices{&messages, &clock, &clipboard, &launcher, &files,
                                                                   &copyProgress, &ftp, &folders, &keyring});
        ended = std::make_unique<QSignalSpy>(session.get(), &DiarySession::endRequested);
        focus.clear();
        QObject::connect(session.get(), &DiarySession::focusRequested, session.get(),
                         [this](DiarySession::Focus f) { focus << f; });
        if (start)
            started = session->start();
        return *session;
    }
    DiarySession& s() { return *session; }

    // The boxes and the shown month, as one text: "2005/11 2005/11".
    QString shownMonth() const {
        return session->yearText() + u'/' + session->monthText() + u' ' + session->shownYear() + u'/' +
               session->shownMonth();
    }
    void typeMonth(const QString& year, const QString& month) {
        session->setYearText(year);
        session->setMonthText(month);
    }
    QList<int> selectedCells() const {
        QList<int> out;
        for (int k = 1; k <= 42; ++k)
            if (session->dayCells()[size_t(k)].selected)
                out << k;
        return out;
    }
    QStringList switchTo(const QString& name, std::deque<Answer> answers = {}) {
        session->setFolderText(name);
        return said([this] { session->folders().switchFolder(); }, std::move(answers));
    }

    QTemporaryDir root;
    RecordingMessages messages;
    FixedClock clock;
    RecordingClipboard clipboard;
    RecordingLauncher launcher;
    ScriptedFileChooser files;
    ScriptedCopyProgress copyProgress;
    ScriptedFolderChooser folders;
    FakeKeyring keyring;
    upload::testing::RecordingConnector ftp;
    std::unique_ptr<DiarySession> session;
    std::unique_ptr<QSignalSpy> ended;
    QList<DiarySession::Focus> focus;
    bool started = false;
};

} // namespace tsuzuri::test
