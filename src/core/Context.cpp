#include "core/Context.h"

#include "core/currency/Currencies.h"
#include "core/records/FillUps.h"
#include "core/users/Users.h"

Context::Context(SettingsStore& store, const Platform::SystemServices& services, const LocaleInfo& locale)
    : m_store(store), m_services(services), m_speech{0, locale}, m_fillUps(std::make_unique<FillUps>(store, locale)),
      m_currencies(std::make_unique<Currencies>(store, locale)), m_users(std::make_unique<Users>(store, locale))
{
}

Context::~Context() = default;
