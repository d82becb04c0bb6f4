#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class SnippetsTab;
}

namespace tsuzuri {

class DiarySession;

// The five texts for putting the calendar and the entries into another web site, each with its copy button.
class SnippetsTab final : public QWidget {
    Q_OBJECT
public:
    explicit SnippetsTab(QWidget* parent = nullptr);
    ~SnippetsTab() override;

    void bind(DiarySession& session);

private:
    void showSnippets();

    std::unique_ptr<Ui::SnippetsTab> ui_;
    DiarySession* session_ = nullptr;
};

} // namespace tsuzuri
