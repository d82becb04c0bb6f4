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
    // Its controls in the order Tab visits them.
    QList<QWidget*> focusChain() const;
    QWidget* generateButton() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showFolder();
    void elideCaption();

    std::unique_ptr<Ui::FolderBar> ui_;
    DiarySession* session_ = nullptr;
    QString caption_;
};

} // namespace tsuzuri
