#include "gui/base/QtLanguage.h"

#include "core/frame/Log.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace
{
constexpr QLocale::Language Spoken[] = {QLocale::English, QLocale::French, QLocale::Dutch};
} // namespace

QtLanguage::QtLanguage() = default;

QtLanguage::~QtLanguage()
{
    if (m_translator)
        QCoreApplication::removeTranslator(m_translator.get());
}

bool QtLanguage::use(int language)
{
    if (language == m_language && (language == 0 || m_translator))
        return true;
    if (m_translator)
        QCoreApplication::removeTranslator(m_translator.get());
    m_translator.reset();
    m_language = language;
    if (language <= 0 || language >= int(std::size(Spoken)))
        return true;
    auto translator = std::make_unique<QTranslator>();
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QLocale(Spoken[language]), QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
        qCInfo(lcPlatform, "no translation of Qt's own words for %s in %s",
               qUtf8Printable(QLocale::languageToCode(Spoken[language])), qUtf8Printable(folder));
        return false;
    }
    QCoreApplication::installTranslator(translator.get());
    m_translator = std::move(translator);
    return true;
}

int desktopLanguage(const QStringList& uiLanguages)
{
    for (const QString& name : uiLanguages) {
        const QLocale::Language language = QLocale(name).language();
        for (int i = 0; i < int(std::size(Spoken)); ++i)
            if (language == Spoken[i])
                return i;
    }
    return 0;
}
