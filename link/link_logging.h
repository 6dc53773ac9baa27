// The logging category of the link layer and the acquisition runtime.
#pragma once

#include <QLoggingCategory>

namespace ws {
Q_DECLARE_LOGGING_CATEGORY(lcLink)
}  // namespace ws
