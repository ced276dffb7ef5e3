#include "core/frame/Platform.h"

#include <QLocale>

namespace Platform
{
Services& services()
{
    static Services s{.locale = LocaleInfo::fromQLocale(QLocale::system())};
    return s;
}
} // namespace Platform
