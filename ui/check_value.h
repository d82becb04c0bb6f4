#pragma once

#include <QCheckBox>

namespace tsuzuri {

// The settings files hold check-box values as they always have: 0 cleared, 1 checked, 2 greyed. Qt numbers
// its states cleared, greyed, checked.
inline int checkValue(const QCheckBox* box) {
    switch (box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

inline void setCheckValue(QCheckBox* box, int value) {
    box->setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

} // namespace tsuzuri
