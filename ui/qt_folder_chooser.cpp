#include "ui/qt_folder_chooser.h"

#include <QDir>
#include <QFileDialog>

namespace tsuzuri {

std::optional<QString> QtFolderChooser::chooseFolder(const QString& title, const QString& startFolder) {
    const QString chosen = QFileDialog::getExistingDirectory(parent_, title, startFolder, QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

} // namespace tsuzuri
