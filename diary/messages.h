#pragma once

#include "store/outcome.h"

#include <QString>
#include <QStringList>

namespace tsuzuri {

// The exact text of a message, arguments filled in.
QString messageText(Msg msg, const QStringList& args = {});
inline QString messageText(const Outcome& o) {
    return messageText(o.msg, o.args);
}

// The coded message table ("e1" .. "e7"); an unknown code gives the empty text.
QString codedMessageText(const QString& code);

} // namespace tsuzuri
