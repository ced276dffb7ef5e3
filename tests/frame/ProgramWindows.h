#pragma once

// Every window of the program built and shown in one language, for the tests
// that look at all of them at once. The user knows that language, so the user
// window opens in it too; nothing is declared to the desktop.

#include "TestSupport.h"

#include "accessories/Form4.h"
#include "accessories/Form6.h"
#include "currency/Form7.h"
#include "filetype/ClassesStore.h"
#include "filetype/Registry.h"
#include "frame/Form1.h"
#include "frame/Module1.h"
#include "records/Form2.h"
#include "users/Form3.h"

#include <QLineEdit>
#include <QTest>

#include <memory>
#include <vector>

// The desktop's services for one test: the classes kept in the store and a
// shell told nothing; the real ones back after.
struct DesktopServices
{
    struct SilentShell : FileType::ShellNotifier
    {
        void changeNotify(qint32, quint32) override {}
    };
    DesktopServices() : saved(FileType::services())
    {
        FileType::services().registry = &classes;
        FileType::services().shell = &shell;
    }
    ~DesktopServices() { FileType::services() = saved; }
    ClassesStore classes;
    SilentShell shell;
    FileType::Services saved;
};

struct ProgramWindows
{
    // language: "en", "fr" or "nl"; the locale follows it.
    explicit ProgramWindows(const QString& language)
        : env(language, float(QStringList{"en", "fr", "nl"}.indexOf(language)),
              language == u"fr" ? QStringLiteral("Élodie") : QStringLiteral("Anna"))
    {
        const QString user = Module1::CurUser;
        for (const char* key : {"User1", "LastUser"})
            env.put(QStringLiteral("Option"), QString::fromLatin1(key), user);
        env.put(QStringLiteral("Option"), QStringLiteral("TotUsers"), QStringLiteral("1"));
        env.put(user, QStringLiteral("Lang"), QString::number(int(Module1::LangOfs)));

        main = std::make_unique<Form1>();
        show(main.get());
        for (int i = 0; i < 4; ++i)
            main->Text1[i]->setText(QStringList{"10000", "10650", "40", "60"}[i]);
        report = std::make_unique<Form2>(main.get());
        currency = std::make_unique<Form7>(main.get(), main.get());
        calendar = std::make_unique<Form6>(main->Label1[8], main.get());
        about = std::make_unique<Form4>();
        userWindow = std::make_unique<Form3>();
        for (QWidget* window : std::initializer_list<QWidget*>{report.get(), currency.get(), calendar.get(),
                                                               about.get(), userWindow.get()})
            show(window);
    }

    std::vector<QWidget*> all() const
    {
        return {main.get(), report.get(), userWindow.get(), about.get(), calendar.get(), currency.get()};
    }

    static void show(QWidget* window)
    {
        window->show();
        if (!QTest::qWaitForWindowExposed(window))
            qWarning("%s was not exposed", qPrintable(window->objectName()));
    }

    TestSupport::Environment env;
    DesktopServices services;
    std::unique_ptr<Form1> main;
    std::unique_ptr<Form2> report;
    std::unique_ptr<Form7> currency;
    std::unique_ptr<Form6> calendar;
    std::unique_ptr<Form4> about;
    std::unique_ptr<Form3> userWindow;
};
