#pragma once

#include "core/frame/Platform.h"
#include "core/frame/SettingsStore.h"
#include "core/frame/Speech.h"

#include <QString>

#include <memory>

class Currencies;
class FillUps;
class Users;

// What a run of the program works with, built once at start-up and handed to
// every window and to the command line through its constructor: the store and
// the one owner of each kind of data in it, the services of the system, who
// the user is and how the program speaks to them. Nothing here is reached in
// any other way.
class Context
{
public:
    Context(SettingsStore& store, const Platform::SystemServices& services, const LocaleInfo& locale);
    virtual ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    SettingsStore& store() const { return m_store; }
    FillUps& fillUps() const { return *m_fillUps; }
    Currencies& currencies() const { return *m_currencies; }
    Users& users() const { return *m_users; }
    const Platform::SystemServices& services() const { return m_services; }

    // The user whose data the windows show; "" until one is confirmed.
    const QString& user() const { return m_user; }
    void setUser(const QString& user) { m_user = user; }
    // 0 English, 1 French, 2 Dutch.
    int language() const { return m_speech.language; }
    // The windows' context also switches Qt's own words.
    virtual void setLanguage(int language) { m_speech.language = language; }
    const Speech& speech() const { return m_speech; }
    const LocaleInfo& locale() const { return m_speech.locale; }
    QString text(Text::Id base) const { return m_speech.text(base); }

private:
    SettingsStore& m_store;
    Platform::SystemServices m_services;
    Speech m_speech;
    QString m_user;
    std::unique_ptr<FillUps> m_fillUps;
    std::unique_ptr<Currencies> m_currencies;
    std::unique_ptr<Users> m_users;
};
