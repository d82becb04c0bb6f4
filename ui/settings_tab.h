#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class SettingsTab;
}

namespace tsuzuri {

class DiarySession;

// The display sizes of images and videos, and which holiday rules the calendar and the pages follow.
class SettingsTab final : public QWidget {
    Q_OBJECT
public:
    explicit SettingsTab(QWidget* parent = nullptr);
    ~SettingsTab() override;

    void bind(DiarySession& session);

private:
    void showSettings();
    void takeSizes();

    std::unique_ptr<Ui::SettingsTab> ui_;
    DiarySession* session_ = nullptr;
};

} // namespace tsuzuri
