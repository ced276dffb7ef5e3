#include "core/frame/Module1.h"

namespace Module1
{
QString CurUser;
float LangOfs = 0;
} // namespace Module1
