#pragma once

#include "store/outcome.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace tsuzuri {

// The five texts of the calendar tab, for pasting the diary into another site.
struct CodeSnippets {
    QString calendar;   // Text1: the calendar block of the page
    QString stylesheet; // Text2
    QString body;       // Text4
    QString script;     // Text3
    QString diary;      // Text7: the diary block of the page
    bool operator==(const CodeSnippets&) const = default;
};

QString scriptSnippet();
QString bodySnippet();
QString stylesheetSnippet();

// Every block between a line equal to start and a line equal to end, both included, each line
// preceded by CR LF. An end line outside a block adds only itself.
QString cutBlock(QStringView pageText, QStringView start, QStringView end);

// The snippets for a page's text (nothing: no page; the two blocks stay empty).
CodeSnippets codeSnippets(const std::optional<QString>& pageText);

// The snippets of <home>/<folder>/<year><month>.html as it lies on disk. No page: the fixed texts only.
// A page that exists but cannot be read also gives the fixed texts only, and an outcome naming it.
struct SnippetsRead {
    Outcome outcome;
    CodeSnippets snippets;
};
SnippetsRead readCodeSnippets(const QString& home, const QString& folder, const QString& year, const QString& month);

// codeSnippetsOfMonth: readCodeSnippets' texts, for the window that shows no error for them.
CodeSnippets codeSnippetsOfMonth(const QString& home, const QString& folder, const QString& year, const QString& month);

} // namespace tsuzuri
