#pragma once

#include "core/Context.h"
#include "gui/base/QtLanguage.h"
#include "gui/platform/Dialogs.h"

// The context of the windows: the program's context and the services that
// show something over a window. Built once at start-up and handed to each
// window through its constructor. Qt's own words follow the language.
class WindowContext : public Context
{
public:
    WindowContext(SettingsStore& store, const Platform::SystemServices& services,
                  const Platform::DesktopServices& desktop, const LocaleInfo& locale)
        : Context(store, services, locale), m_desktop(desktop)
    {
    }

    Platform::MessageBoxes& messages() const { return *m_desktop.messages; }
    Platform::FileDialogs& files() const { return *m_desktop.files; }
    Platform::Announcer& announcer() const { return *m_desktop.announcer; }

    void setLanguage(int language) override
    {
        Context::setLanguage(language);
        m_qtLanguage.use(language);
    }
    // The language to offer where no user has chosen one yet (desktopLanguage()).
    int desktopLanguage() const { return m_desktopLanguage; }
    void setDesktopLanguage(int language) { m_desktopLanguage = language; }

    // A write the store refused, as the user is told: what was not written,
    // the reason and, when the store can only be read, what still works.
    QString notWritten(Text::Id what, const QString& reason) const
    {
        QString message = text(what) + u'\n' + reason;
        if (store().isReadOnly())
            message += QStringLiteral("\n\n") + text(Text::ReadOnlyStore);
        return message;
    }

private:
    Platform::DesktopServices m_desktop;
    QtLanguage m_qtLanguage;
    int m_desktopLanguage = 0;
};
