#include "fakes.h"
#include "qt_printers.h"

#include "ui/about_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        box = std::make_unique<AboutDialog>(launcher, messages, u"https://example.jp/tsuzuri/"_s);
        box->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(box.get()));
    }
    // Where the pointer goes, in the box's coordinates, and the shape shown there afterwards.
    Qt::CursorShape pointerAt(QPoint pos) {
        QTest::mouseMove(box.get(), pos);
        QCoreApplication::processEvents();
        // A child without a pointer of its own shows its parent's.
        for (QWidget* w = box->childAt(pos); w && w != box.get(); w = w->parentWidget()) {
            if (w->testAttribute(Qt::WA_SetCursor))
                return w->cursor().shape();
        }
        return box->cursor().shape();
    }

    test::RecordingLauncher launcher;
    test::RecordingMessages messages;
    std::unique_ptr<AboutDialog> box;
    template <class W> W* child(const char* name) const { return box->findChild<W*>(QString::fromLatin1(name)); }
};

// The captions and their order are the form's own; what the code adds is checked here.
TEST_F(AboutBoxTest, ShowsThePictureAndTheAddressInBlue_OkCloses) {
    auto* link = child<QLabel>("linkLabel");
    EXPECT_EQ(child<QLabel>("pictureLabel")->pixmap().size(), QSize(32, 32));
    EXPECT_EQ(link->text(), u"https://example.jp/tsuzuri/"_s);
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0x00, 0x00, 0xFF));
    child<QPushButton>("okButton")->click();
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(box->result(), QDialog::Accepted);
}

TEST_F(AboutBoxTest, PointerIsHandOverTheLinkAndItsWidenedEdgeAndDefaultElsewhere) {
    const QRect link = box->link()->geometry();
    const QPoint empty(box->width() - 3, link.center().y());
    ASSERT_EQ(box->childAt(empty), nullptr) << "the right end of the link's row is empty form";
    EXPECT_EQ(pointerAt(empty), Qt::ArrowCursor);
    EXPECT_EQ(pointerAt(link.center()), Qt::PointingHandCursor);
    // Just left of and just above the link still count; further out, below or right of it does not.
    EXPECT_EQ(pointerAt(QPoint(link.left() - 1, link.center().y())), Qt::PointingHandCursor);
    EXPECT_EQ(pointerAt(QPoint(link.center().x(), link.top() - 1)), Qt::PointingHandCursor);
    EXPECT_EQ(pointerAt(QPoint(link.left() - 3, link.center().y())), Qt::ArrowCursor);
    EXPECT_EQ(pointerAt(QPoint(link.right() + 1, link.center().y())), Qt::ArrowCursor);
    // Straight from the link onto another control: it shows the default too.
    EXPECT_EQ(pointerAt(link.center()), Qt::PointingHandCursor);
    EXPECT_EQ(pointerAt(child<QWidget>("versionLabel")->geometry().center()), Qt::ArrowCursor);
}

TEST_F(AboutBoxTest, ClickingTheLinkOpensTheHomePageAndAFailureIsReported) {
    QTest::mouseClick(box->link(), Qt::LeftButton);
    ASSERT_EQ(launcher.started.size(), 1);
    EXPECT_EQ(launcher.started[0].program, u"xdg-open"_s);
    EXPECT_EQ(launcher.started[0].arguments, QStringList{u"https://example.jp/tsuzuri/"_s});
    EXPECT_TRUE(messages.shown.isEmpty());

    launcher.fail = true;
    QTest::mouseClick(box->link(), Qt::LeftButton);
    EXPECT_EQ(messages.texts(),
              QStringList{u"xdg-openを起動できませんでした。\r\nプログラムが見つからないか、実行できませんでした。"_s});
    EXPECT_TRUE(box->isVisible()) << "the box stays open";
}
