#pragma once

#include <QWidget>

#include <array>
#include <memory>

class QLineEdit;

namespace Ui {
class LinksTab;
}

namespace tsuzuri {

class DiarySession;

// The twelve links of the page's side bar: the file each points to and the text it shows.
class LinksTab final : public QWidget {
    Q_OBJECT
public:
    explicit LinksTab(QWidget* parent = nullptr);
    ~LinksTab() override;

    void bind(DiarySession& session);

private:
    void showLinks();

    std::unique_ptr<Ui::LinksTab> ui_;
    std::array<QLineEdit*, 12> paths_{};
    std::array<QLineEdit*, 12> titles_{};
    DiarySession* session_ = nullptr;
};

} // namespace tsuzuri
