#include "core/frame/Log.h"

Q_LOGGING_CATEGORY(lcStore, "tanko.store", QtWarningMsg)
Q_LOGGING_CATEGORY(lcBackup, "tanko.backup", QtWarningMsg)
Q_LOGGING_CATEGORY(lcFileType, "tanko.filetype", QtWarningMsg)
Q_LOGGING_CATEGORY(lcUsers, "tanko.users", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPlatform, "tanko.platform", QtWarningMsg)
