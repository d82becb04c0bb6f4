#pragma once

#include "ui/services.h"

#include <QStringList>

#include <deque>
#include <stdexcept>

namespace tsuzuri::test {

// The folder dialog with scripted choices; an unscripted dialog fails the test loudly.
class ScriptedFolderChooser final : public FolderChooser {
public:
    QStringList titles;
    std::deque<std::optional<QString>> answers;

    std::optional<QString> chooseFolder(const QString& title) override {
        titles << title;
        if (answers.empty())
            throw std::logic_error("unscripted folder dialog");
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
};

} // namespace tsuzuri::test
