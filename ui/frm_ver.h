#pragma once

#include <QDialog>
#include <QString>

#include <array>

class QGroupBox;
class QLabel;
class QPushButton;

namespace tsuzuri {

class Launcher;
class MessageBoxes;

// The about box: picture, name and version, the link to the program's home page, a notice, "OK".
// Controls carry their names as objectName (Label1_0, Label1_1 for the label array).
class frmVer final : public QDialog {
    Q_OBJECT
public:
    // homePage is the address the link shows and opens.
    frmVer(Launcher& launcher, MessageBoxes& messages, QString homePage, QWidget* parent = nullptr);

    // The address configured at build time, or else the README installed beside the program.
    static QString homePage(const QString& programFolder);

    // The link's rectangle in the box's coordinates, widened a little to the left and the top: the
    // pointer is the hand inside it.
    QRect linkHotArea() const;

    QLabel* Picture1 = nullptr;
    std::array<QLabel*, 2> Label1{};
    QLabel* lblLink1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QPushButton* Command1 = nullptr;

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void lblLink1_Click();
    void updatePointer(QPoint formPos);

    Launcher& launcher_;
    MessageBoxes& messages_;
    const QString homePage_;
};

} // namespace tsuzuri
