#include "platform/RegisteredMessage.h"

const QEvent::Type PROC_KOLV_MSG = static_cast<QEvent::Type>(QEvent::registerEventType());
const QEvent::Type PROC_KOLV_HANGUP = static_cast<QEvent::Type>(QEvent::registerEventType());
