#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class DiaryTab;
}

namespace tsuzuri {

class DiarySession;

// The editor: the date of the entry, its title, body and media names (files dropped on the media box are
// attached), the body's clear button and the browse button for images and videos.
class DiaryTab final : public QWidget {
    Q_OBJECT
public:
    explicit DiaryTab(QWidget* parent = nullptr);
    ~DiaryTab() override;

    void bind(DiarySession& session);
    void focusTitle();
    void focusMedia();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showEditor();
    void clearBody();

    std::unique_ptr<Ui::DiaryTab> ui_;
    DiarySession* session_ = nullptr;
    bool showing_ = false; // the boxes are being set from the session, not typed into
};

} // namespace tsuzuri
