#pragma once

#include <functional>

class QWidget;

namespace tsuzuri {

// Calls left when the focus leaves widget for another control of the window. A message box or a menu
// opening over it, or another program taking the focus, is no leaving: the user has not moved on.
void onFocusLeaving(QWidget* widget, std::function<void()> left);

// Calls entered whenever widget takes the focus.
void onFocusEntering(QWidget* widget, std::function<void()> entered);

} // namespace tsuzuri
