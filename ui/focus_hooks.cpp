#include "ui/focus_hooks.h"

#include <QEvent>
#include <QFocusEvent>
#include <QWidget>

namespace tsuzuri {

namespace {

class FocusHook final : public QObject {
public:
    FocusHook(QWidget* watched, QEvent::Type type, std::function<void()> handler)
        : QObject(watched), type_(type), handler_(std::move(handler)) {
        watched->installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == type_ && counts(static_cast<QFocusEvent*>(event)->reason()))
            handler_();
        return false;
    }

private:
    bool counts(Qt::FocusReason reason) const {
        if (type_ == QEvent::FocusIn)
            return true;
        switch (reason) {
        case Qt::MouseFocusReason:
        case Qt::TabFocusReason:
        case Qt::BacktabFocusReason:
        case Qt::ShortcutFocusReason:
        case Qt::OtherFocusReason:
            return true;
        default:
            return false;
        }
    }

    QEvent::Type type_;
    std::function<void()> handler_;
};

} // namespace

void onFocusLeaving(QWidget* widget, std::function<void()> left) {
    new FocusHook(widget, QEvent::FocusOut, std::move(left));
}

void onFocusEntering(QWidget* widget, std::function<void()> entered) {
    new FocusHook(widget, QEvent::FocusIn, std::move(entered));
}

} // namespace tsuzuri
