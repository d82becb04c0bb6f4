#include "site/snippets.h"

namespace tsuzuri {

QString scriptSnippet() { return {}; }
QString bodySnippet() { return {}; }
QString stylesheetSnippet() { return {}; }
QString cutBlock(QStringView, QStringView, QStringView) { return {}; }
CodeSnippets codeSnippets(const std::optional<QString>&) { return {}; }
CodeSnippets FillCodeSnippets(const QString&, const QString&, const QString&, const QString&) { return {}; }

} // namespace tsuzuri
