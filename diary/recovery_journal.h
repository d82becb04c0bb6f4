#pragma once

#include "store/entry_table.h"
#include "store/outcome.h"

#include <QByteArray>
#include <QString>

#include <optional>

// What the diary held but had not written to its month page yet, kept beside the settings so that a crash
// or a power cut does not take it: ini/journal_<folder>.json, UTF-8 JSON, replaced atomically.
namespace tsuzuri::journal {

struct State {
    QString folder;
    QString year;       // the month shown: "2005"
    QString month;      // "11"
    DiaryEntry editor;  // the entry in the editor, its date label as date
    EntryTable entries; // the month's entries, stored but not written
    LinkPairs links{};
    QString siteTitle;
    bool operator==(const State&) const = default;
};

QString path(const QString& home, const QString& folder);

QByteArray render(const State& state);
// Nothing when the bytes are no journal (damaged, another program's): such a file is never offered.
std::optional<State> parse(const QByteArray& bytes);

Outcome write(const QString& home, const State& state);
std::optional<State> read(const QString& home, const QString& folder);
void remove(const QString& home, const QString& folder);
// Keeps a journal the user did not want back as <journal>-YYYYMMDDhhmmss.old.
void keepAsOld(const QString& home, const QString& folder, const QString& stamp);

} // namespace tsuzuri::journal
