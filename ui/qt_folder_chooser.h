#pragma once

#include "ui/services.h"

#include <QPointer>
#include <QWidget>

namespace tsuzuri {

// The system's folder dialog (the desktop's own where Qt has one), opening on the user's home folder.
class QtFolderChooser final : public FolderChooser {
public:
    void setParent(QWidget* parent) { parent_ = parent; }
    std::optional<QString> chooseFolder(const QString& title, const QString& startFolder) override;

private:
    QPointer<QWidget> parent_;
};

} // namespace tsuzuri
