#pragma once

#include <QStringList>

#include <memory>

class QTranslator;

// Qt's own words in the windows (the standard buttons, the file dialog) in
// the program's language: Qt's translation for French or Dutch, none for
// English, which Qt speaks already.
class QtLanguage
{
public:
    QtLanguage();
    ~QtLanguage();
    QtLanguage(const QtLanguage&) = delete;
    QtLanguage& operator=(const QtLanguage&) = delete;

    // 0 English, 1 French, 2 Dutch; every window is told of the change. False
    // when Qt's translation for it is not installed: Qt's words stay English.
    bool use(int language);

private:
    std::unique_ptr<QTranslator> m_translator;
    int m_language = 0;
};

// The first of the desktop's languages, most wanted first as
// QLocale::uiLanguages() lists them, that the program speaks: 0 English,
// 1 French, 2 Dutch; English when it speaks none of them.
int desktopLanguage(const QStringList& uiLanguages);
