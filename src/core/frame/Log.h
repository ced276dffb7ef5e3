#pragma once

#include <QLoggingCategory>

// Failures the user need not see go to the log of their subsystem; enable one
// with QT_LOGGING_RULES="tanko.backup.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcStore)
Q_DECLARE_LOGGING_CATEGORY(lcBackup)
Q_DECLARE_LOGGING_CATEGORY(lcFileType)
Q_DECLARE_LOGGING_CATEGORY(lcUsers)
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)
