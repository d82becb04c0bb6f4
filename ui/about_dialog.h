#pragma once

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class AboutDialog;
}

namespace tsuzuri {

class Launcher;
class MessageBoxes;

// The about box: picture, name and version, the link to the program's home page, a notice, "OK".
class AboutDialog final : public QDialog {
    Q_OBJECT
public:
    // homePage is the address the link shows and opens.
    AboutDialog(Launcher& launcher, MessageBoxes& messages, QString homePage, QWidget* parent = nullptr);
    ~AboutDialog() override;

    // The address configured at build time, or else the README installed beside the program.
    static QString homePage(const QString& programFolder);

    // The link's rectangle in the box's coordinates, widened a little to the left and the top: the pointer
    // is the hand inside it.
    QRect linkHotArea() const;
    QWidget* link() const;

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void openHomePage();

    std::unique_ptr<Ui::AboutDialog> ui_;
    Launcher& launcher_;
    MessageBoxes& messages_;
    const QString homePage_;
};

} // namespace tsuzuri
