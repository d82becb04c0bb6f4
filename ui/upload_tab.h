#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class UploadTab;
}

namespace tsuzuri {

class DiarySession;
namespace upload {
struct UploadProgress;
}

// The connection settings and the upload of the diary folder's selected entries, with its progress and
// cancel button while a run is on its way.
class UploadTab final : public QWidget {
    Q_OBJECT
public:
    explicit UploadTab(QWidget* parent = nullptr);
    ~UploadTab() override;

    void bind(DiarySession& session);

private:
    void showList();
    void showConnection();
    void takeConnection();
    void startUpload();
    void showRunning(bool running);
    void showProgress(const upload::UploadProgress& progress);

    std::unique_ptr<Ui::UploadTab> ui_;
    DiarySession* session_ = nullptr;
    bool busy_ = false; // the busy pointer is ours to restore
};

} // namespace tsuzuri
