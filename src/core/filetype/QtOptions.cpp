#include "core/filetype/QtOptions.h"

#include <algorithm>
#include <iterator>

namespace QtOptions
{
namespace
{
// As QGuiApplication, QApplication and the X11 platform read them.
constexpr const char* WithValue[] = {"platform",
                                     "platformpluginpath",
                                     "platformtheme",
                                     "plugin",
                                     "qwindowgeometry",
                                     "qwindowicon",
                                     "qwindowtitle",
                                     "session",
                                     "display",
                                     "geometry",
                                     "title",
                                     "icon",
                                     "name",
                                     "style",
                                     "stylesheet"};
constexpr const char* WithEquals[] = {"style", "stylesheet", "qmljsdebugger", "dialogs", "fontengine"};
constexpr const char* Alone[] = {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};

template <size_t N> bool among(const char* const (&names)[N], const QByteArray& name)
{
    return std::any_of(std::begin(names), std::end(names), [&name](const char* n) { return name == n; });
}
} // namespace

QList<int> ownArguments(const QByteArrayList& arguments)
{
    QList<int> own;
    for (int i = 1; i < arguments.size(); ++i) {
        const QByteArray& argument = arguments[i];
        const QByteArray name = argument.mid(argument.startsWith("--") ? 2 : 1);
        if (!argument.startsWith('-') || name.isEmpty() || name.startsWith('-')) {
            own << i;
        } else if (const qsizetype equals = name.indexOf('='); equals >= 0) {
            if (!among(WithEquals, name.left(equals)))
                own << i;
        } else if (among(WithValue, name)) {
            ++i;
        } else if (!among(Alone, name)) {
            own << i;
        }
    }
    return own;
}

QByteArrayList ownWords(int argc, char* argv[])
{
    QByteArrayList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    const QList<int> own = ownArguments(arguments);
    QByteArrayList words;
    for (qsizetype k = 0; k < own.size(); ++k) {
        const QByteArray& argument = arguments[own[k]];
        if (argument == "--store")
            ++k;
        else if (!argument.startsWith("--store="))
            words << argument;
    }
    return words;
}

QStringList withoutQtOptions(const QStringList& arguments)
{
    QByteArrayList bytes;
    for (const QString& argument : arguments)
        bytes << argument.toUtf8();
    QStringList own = arguments.mid(0, 1);
    for (const int i : ownArguments(bytes))
        own << arguments[i];
    return own;
}
} // namespace QtOptions
