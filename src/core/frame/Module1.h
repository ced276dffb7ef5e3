#pragma once

#include <QString>

// The two values every window shares for the whole run. Only the user and
// language window sets them.
namespace Module1
{
extern QString CurUser;
extern float LangOfs;
} // namespace Module1
