#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class FolderBar;
}

namespace tsuzuri {

class DiarySession;

// The bar above the calendar and the tabs: the diary folder's name box with its load and browse buttons,
// which folder is shown, and the generate button.
class FolderBar final : public QWidget {
    Q_OBJECT
public:
    explicit FolderBar(QWidget* parent = nullptr);
    ~FolderBar() override;

    void bind(DiarySession& session);
    QWidget* generateButton() const;

private:
    void showFolder();

    std::unique_ptr<Ui::FolderBar> ui_;
    DiarySession* session_ = nullptr;
};

} // namespace tsuzuri
