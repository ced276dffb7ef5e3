// The list of users, the user and language window (the first window of every
// run) and its hand-over to the main window and back.
#include "TestSupport.h"

#include "filetype/ClassesStore.h"
#include "filetype/Registry.h"
#include "frame/Appearance.h"
#include "frame/Form1.h"
#include "frame/Module1.h"
#include "users/Form3.h"
#include "users/StartUp.h"
#include "users/UserList.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace
{
class CountingShell : public FileType::ShellNotifier
{
public:
    void changeNotify(qint32, quint32) override { ++notices; }
    int notices = 0;
};

// One test's world: its store with "name:language" users (the first is the last user), the file
// type declared into that store's classes, nothing written to the desktop, no window left after.
struct World
{
    explicit World(const QString& locale = "en", const QStringList& users = {}) : env(locale, 0, QString())
    {
        saved = FileType::services();
        FileType::services().registry = &classes;
        FileType::services().shell = &shell;
        for (int i = 0; i < users.size(); ++i) {
            env.put("Option", QStringLiteral("User%1").arg(i + 1), users[i].section(u':', 0, 0));
            env.put(users[i].section(u':', 0, 0), "Lang", users[i].section(u':', 1));
            env.put("Option", "TotUsers", QString::number(i + 1));
            env.put("Option", "LastUser", users[0].section(u':', 0, 0));
        }
    }
    ~World()
    {
        StartUp::unloadAll();
        FileType::services() = saved;
    }
    Form3& open()
    {
        Form3& form = StartUp::showUserWindow();
        if (!QTest::qWaitForWindowExposed(&form))
            qWarning("Form3 was not exposed");
        return form;
    }
    TestSupport::Environment env;
    ClassesStore classes;
    CountingShell shell;
    FileType::Services saved;
};

// The user picks with the keyboard, as with the mouse: the box moves and reports the pick.
void pick(QComboBox* box, int index)
{
    box->setFocus();
    while (box->currentIndex() != index)
        QTest::keyClick(box, box->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
}

void typeName(Form3& form, const QString& name)
{
    form.Combo1->setFocus();
    form.Combo1->lineEdit()->selectAll();
    QTest::keyClick(form.Combo1, Qt::Key_Backspace);
    QTest::keyClicks(form.Combo1, name);
}

// The user name label, the language label with its tooltip, and the chosen language.
QString shown(Form3& form)
{
    return QStringList{form.Label1[2]->text(), form.Label1[0]->text(), form.Label1[0]->toolTip(),
                       form.Combo2->toolTip(), form.Combo2->currentText()}
        .join(" / ");
}
// The User keys 1 to n as stored, "-" for a missing one.
QStringList userKeys(const TestSupport::Environment& env, int n)
{
    QStringList keys;
    for (int i = 1; i <= n; ++i)
        keys << env.get("Option", QStringLiteral("User%1").arg(i)).replace("<absent>", "-");
    return keys;
}
} // namespace

class TestForm3 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installProgramFont(); }
    void cleanup() { StartUp::unloadAll(); }

    void savingGrowsTheListInConfirmationOrder()
    {
        TestSupport::Environment env("nl", 0, QString());
        const auto state = [&env](const QString& user) {
            return env.get("Option", "TotUsers") + u' ' + env.get("Option", "LastUser") + u' ' + env.get(user, "Lang");
        };
        QCOMPARE(UserList::Read().selected, -1);
        UserList::Save("Anna", 0);
        QCOMPARE(state("Anna"), QString("1 Anna 0"));
        // Another spelling is another entry, sharing the one section.
        UserList::Save("anna", 1);
        QCOMPARE(state("Anna"), QString("2 anna 1"));
        // Names are kept exactly, blanks and all; a known name is not added again.
        UserList::Save(" Élodie d'Artois ", 2);
        UserList::Save("Anna", 2);
        QCOMPARE(state("Anna") + state(" Élodie d'Artois "), QString("3 Anna 23 Anna 2"));
        for (int i = 4; i <= 10; ++i)
            UserList::Save(QStringLiteral("Driver %1").arg(i), i % 3);
        QCOMPARE(userKeys(env, 11), (QStringList{"Anna", "anna", " Élodie d'Artois ", "Driver 4", "Driver 5",
                                                 "Driver 6", "Driver 7", "Driver 8", "Driver 9", "Driver 10", "-"}));
        const UserList::Users users = UserList::Read();
        QVERIFY(users.names == userKeys(env, 10) && users.selected == 9);
        QCOMPARE(env.get("Option", "TotUsers"), QString("10"));
    }

    // What is listed and selected, then what confirming "Zoe" writes: a count the program could not
    // have written lists nobody, and confirming then must not overwrite a User key.
    void readListsAndSelects_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("total");
        QTest::addColumn<QStringList>("stored"); // User1 to User3, then LastUser; "-" leaves a key out
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("after"); // User1 to User4 and TotUsers after confirming Zoe
        const QStringList abc{"Anna", "Bob", "Cleo"};
        const auto row = [](const char* name, const char* locale, const char* total, const QStringList& stored,
                            const QStringList& listed, int selected, const char* after) {
            QTest::newRow(name) << QString(locale) << QString(total) << stored << listed << selected << QString(after);
        };
        row("last user selected", "en", "3", {"Anna", "Bob", "Cleo", "Bob"}, abc, 1, "Anna Bob Cleo Zoe 4");
        row("last user not listed: none", "en", "3", {"Anna", "Bob", "Cleo", "Dirk"}, abc, -1, "Anna Bob Cleo Zoe 4");
        row("missing and empty User keys listed empty", "en", "3", {"", "-", "Cleo", "Cleo"}, {"", "", "Cleo"}, 2,
            " - Cleo Zoe 4");
        row("en: letters", "en", "two", {"Anna", "Bob", "-", "Anna"}, {}, -1, "Anna Bob - - two");
        row("fr: 1.5 is no French number", "fr", "1.5", {"Anna", "Bob", "-", "Anna"}, {}, -1, "Anna Bob - - 1.5");
        row("en: negative", "en", "-2", {"Anna", "Bob", "-", "Anna"}, {}, -1, "Anna Bob - - -2");
    }

    void readListsAndSelects()
    {
        QFETCH(QString, locale);
        QFETCH(QString, total);
        QFETCH(QStringList, stored);
        TestSupport::Environment env(locale);
        env.put("Option", "TotUsers", total);
        const QStringList keys{"User1", "User2", "User3", "LastUser"};
        for (int i = 0; i < keys.size(); ++i)
            if (stored[i] != u"-")
                env.put("Option", keys[i], stored[i]);
        const UserList::Users users = UserList::Read();
        QTEST(users.names, "listed");
        QTEST(users.selected, "selected");
        UserList::Save("Zoe", 1);
        QTEST(userKeys(env, 4).join(u' ') + u' ' + env.get("Option", "TotUsers"), "after");
        QCOMPARE(env.get("Option", "LastUser") + env.get("Zoe", "Lang"), QString("Zoe1"));
    }

    void firstStartAndLabelsPerLanguage_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("shown");
        const QString languages = " / Language - Langue - Taal / ";
        QTest::newRow("English") << 0
                                 << "User Name" + languages + "Choose your language / Choose your language / English";
        QTest::newRow("French") << 1
                                << "Nom d'utilisateur" + languages +
                                       "Choisissez votre langue / Choisissez votre langue / Français";
        QTest::newRow("Dutch") << 2 << "Gebruikersnaam" + languages + "Kies uw taal / Kies uw taal / Nederlands";
    }

    void firstStartAndLabelsPerLanguage()
    {
        QFETCH(int, index);
        World world;
        Form3& form = world.open();
        QCOMPARE(form.windowTitle(), QString("Tankometer - v1.0.43")); // never translated
        QVERIFY(form.Combo1->count() == 0 && form.Combo2->count() == 3);
        QCOMPARE(form.Combo2->currentText() + " / " + form.Command1->text(), QString("English / OK"));
        pick(form.Combo2, 2);
        pick(form.Combo2, index);
        QTEST(shown(form), "shown");
        QCOMPARE(Module1::LangOfs, float(index));
        QCOMPARE(Module1::CurUser, QString());
    }

    void knownUsersBringTheirLanguage()
    {
        World world("nl", {"Anna:2", "Bob:1", "Cleo:0"});
        Form3& form = world.open();
        QCOMPARE(form.Combo1->itemText(1), QString("Bob")); // as stored, not sorted
        QCOMPARE(form.Combo1->currentText(), QString("Anna"));
        QVERIFY(shown(form).startsWith("Gebruikersnaam") && shown(form).endsWith("Nederlands"));
        pick(form.Combo1, 1);
        QVERIFY(shown(form).startsWith("Nom d'utilisateur") && shown(form).endsWith("Français"));
        // Picking the entry already shown is a click all the same.
        form.Combo2->setCurrentIndex(0);
        emit form.Combo1->activated(1);
        QCOMPARE(form.Combo2->currentText(), QString("Français"));
        typeName(form, "Cle"); // nobody: the language stays
        QCOMPARE(form.Combo2->currentText(), QString("Français"));
        QTest::keyClick(form.Combo1, Qt::Key_O);
        QCOMPARE(form.Combo2->currentText(), QString("English"));

        // A known user's language is stored at once, OK or not.
        pick(form.Combo2, 2);
        QCOMPARE(world.env.get("Cleo", "Lang"), QString("2"));
        form.close();
        QCOMPARE(world.env.get("Cleo", "Lang") + world.env.get("Option", "TotUsers"), QString("23"));
        QCOMPARE(Module1::CurUser, QString()); // only OK sets it
    }

    // OK and Enter in either box confirm; a new user's language is stored only then.
    void confirmingANewUser_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("OK") << "Command1";
        QTest::newRow("Enter in the name box") << "Combo1";
        QTest::newRow("Enter in the language box") << "Combo2";
    }

    void confirmingANewUser()
    {
        QFETCH(QString, how);
        World world("en", {"Anna:0"});
        Form3& form = world.open();
        typeName(form, "Zoe");
        pick(form.Combo2, 2);
        QCOMPARE(world.env.get("Zoe", "Lang"), QString("<absent>"));
        QWidget* control = form.findChild<QWidget*>(how);
        if (how == u"Command1")
            QTest::mouseClick(control, Qt::LeftButton);
        else
            QTest::keyClick(control, Qt::Key_Return);
        QCOMPARE(world.env.get("Zoe", "Lang") + world.env.get("Option", "User2") + world.env.get("Option", "LastUser"),
                 QString("2ZoeZoe"));
        QCOMPARE(Module1::CurUser, QString("Zoe"));
        QTRY_VERIFY(StartUp::mainWindowLoaded() && StartUp::mainWindow().isVisible());
        QCOMPARE(StartUp::mainWindow().windowTitle(), QString("Tankometer - Zoe - v1.0.43"));
        QTRY_VERIFY(!StartUp::userWindow()); // unloaded
    }

    // OK with an empty name does nothing; the file type is declared once, at the first loading.
    void okWithoutNameDoesNothing()
    {
        World world;
        Form3& form = world.open();
        QTest::mouseClick(form.Command1, Qt::LeftButton);
        QTest::keyClick(form.Combo1, Qt::Key_Return);
        QVERIFY(form.isVisible() && !StartUp::mainWindowLoaded() && Module1::CurUser.isEmpty());
        QCOMPARE(world.env.store().keyCount(u"Option"), 0);
        form.close();
        QTRY_VERIFY(!StartUp::userWindow());
        world.open();
        QCOMPARE(world.shell.notices, 1);
        QCOMPARE(world.classes.query(0x80000000u, ".tnk", "Content Type")->text, QString("Data"));
    }

    // Activation selects the index already shown; that selection must still translate.
    void reselectingTheSameLanguageRunsItsClick()
    {
        World world;
        Form3& form = world.open();
        Module1::LangOfs = 2;
        form.Label1[2]->setText("stale");
        form.Form_Activate();
        QCOMPARE(Module1::LangOfs, 0.0f);
        QCOMPARE(form.Label1[2]->text(), QString("User Name"));
    }

    // The main window is the same one throughout, kept while hidden.
    void userButtonSwapsWindows()
    {
        World world("en", {"Anna:1", "Bob:2"});
        QTest::keyClick(world.open().Combo1, Qt::Key_Return);
        Form1& main = StartUp::mainWindow();
        auto* userButton = main.findChild<QPushButton*>("Command4");
        main.Text1[0]->setText("12000");
        QString shown;
        const auto userWindow = [&](bool confirm) {
            QTRY_VERIFY(main.isVisible() && !StartUp::userWindow());
            QTest::mouseClick(userButton, Qt::LeftButton);
            QTRY_VERIFY(!main.isVisible() && StartUp::userWindow() && StartUp::userWindow()->isVisible());
            QCOMPARE(StartUp::userWindow()->Combo1->currentText(), QString("Anna"));
            typeName(*StartUp::userWindow(), "Bob");
            if (confirm)
                QTest::keyClick(StartUp::userWindow()->Combo1, Qt::Key_Return);
            else
                StartUp::userWindow()->close();
            QTRY_VERIFY(main.isVisible());
            shown = Module1::CurUser + " / " + main.windowTitle() + " / " + userButton->text();
        };
        // Closed without OK after a change: the main window comes back as it was, in the language shown last.
        userWindow(false);
        QCOMPARE(shown, QString("Anna / Tankometer - Anna - v1.0.43 / Utilisateur"));
        userWindow(true);
        QCOMPARE(shown, QString("Bob / Tankometer - Bob - v1.0.43 / Gebruikers"));
        QVERIFY(&StartUp::mainWindow() == &main && main.Text1[0]->text() == u"12000");
    }

    void closingAtStartUpEndsTheProgram()
    {
        World world;
        QTimer::singleShot(0, &world.open(), &QWidget::close);
        // If the close did not end the run, this gives up and fails.
        QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(1); });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!StartUp::mainWindowLoaded() && !StartUp::userWindow());
    }

    // Between the hiding of this window and the showing of the main one no
    // window is visible: that must not end the run.
    void okKeepsTheProgramRunningUntilTheMainWindowCloses()
    {
        World world("en", {"Anna:0"});
        Form3& form = world.open();
        bool mainShown = false;
        QTimer::singleShot(0, &form, [&form] { QTest::keyClick(form.Combo1, Qt::Key_Return); });
        QTimer::singleShot(300, qApp, [&mainShown] {
            mainShown = StartUp::mainWindow().isVisible();
            StartUp::mainWindow().close();
        });
        QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(1); });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(mainShown);
    }
};

QTEST_MAIN(TestForm3)
#include "tst_form3.moc"
