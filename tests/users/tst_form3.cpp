#include "TestSupport.h"

#include "filetype/ClassesStore.h"
#include "filetype/Registry.h"
#include "frame/Appearance.h"
#include "frame/Form1.h"
#include "frame/Module1.h"
#include "users/Form3.h"
#include "users/StartUp.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace
{
const QString Option = QStringLiteral("Option");

class CountingShell : public FileType::ShellNotifier
{
public:
    void changeNotify(qint32, quint32) override { ++notices; }
    int notices = 0;
};

// One test's world: its store, the file type declared into that store's
// classes, nothing written to the desktop, and no window left over after.
struct World
{
    explicit World(const QString& locale = QStringLiteral("en")) : env(locale, 0, QString())
    {
        saved = FileType::services();
        FileType::services().registry = &classes;
        FileType::services().shell = &shell;
    }
    ~World()
    {
        StartUp::unloadAll();
        FileType::services() = saved;
    }
    void putUsers(const QStringList& names, const QStringList& languages, const QString& lastUser)
    {
        env.put(Option, QStringLiteral("TotUsers"), QString::number(names.size()));
        for (int i = 0; i < names.size(); ++i) {
            env.put(Option, QStringLiteral("User%1").arg(i + 1), names[i]);
            if (!languages.value(i).isEmpty())
                env.put(names[i], QStringLiteral("Lang"), languages[i]);
        }
        env.put(Option, QStringLiteral("LastUser"), lastUser);
    }
    Form3& open()
    {
        Form3& form = StartUp::showUserWindow();
        if (!QTest::qWaitForWindowExposed(&form))
            qWarning("Form3 was not exposed");
        return form;
    }
    QString lang(const QString& user) { return env.get(user, QStringLiteral("Lang")); }

    TestSupport::Environment env;
    ClassesStore classes;
    CountingShell shell;
    FileType::Services saved;
};

QLabel* label(QWidget& form, const char* name)
{
    return form.findChild<QLabel*>(QString::fromLatin1(name));
}

QComboBox* combo(QWidget& form, const char* name)
{
    return form.findChild<QComboBox*>(QString::fromLatin1(name));
}

// The user picks a language with the keyboard, as with the mouse: the box
// moves and reports the pick.
void pickLanguage(QComboBox* box, int index)
{
    box->setFocus();
    while (box->currentIndex() < index)
        QTest::keyClick(box, Qt::Key_Down);
    while (box->currentIndex() > index)
        QTest::keyClick(box, Qt::Key_Up);
}

void typeName(QComboBox* box, const QString& name)
{
    box->setFocus();
    box->lineEdit()->selectAll();
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, name);
}
} // namespace

class TestForm3 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void firstStart();
    void labelsFollowTheLanguage_data();
    void labelsFollowTheLanguage();
    void lastUserAndLanguageSelected();
    void choosingAKnownUserShowsTheirLanguage();
    void typingAKnownNameShowsTheirLanguage();
    void languageOfKnownUserStoredAtOnce();
    void languageOfNewUserStoredAtOk();
    void enterActsAsOk_data();
    void enterActsAsOk();
    void okWithoutNameDoesNothing();
    void reselectingTheSameLanguageRunsItsClick();
    void fileTypeDeclaredOnLoadOnce();
    void userButtonSwapsWindows();
    void closingWithoutOkBringsTheMainWindowBack();
    void closingAtStartUpEndsTheProgram();
    void okKeepsTheProgramRunningUntilTheMainWindowCloses();
};

void TestForm3::initTestCase()
{
    installProgramFont();
}

void TestForm3::cleanup()
{
    StartUp::unloadAll();
}

void TestForm3::firstStart()
{
    World world;
    Form3& form = world.open();
    QCOMPARE(form.windowTitle(), QStringLiteral("Tankometer - v1.0.43"));
    QCOMPARE(combo(form, "Combo1")->count(), 0);
    QCOMPARE(combo(form, "Combo1")->currentText(), QString());
    QCOMPARE(combo(form, "Combo2")->count(), 3);
    QCOMPARE(combo(form, "Combo2")->itemText(1), QStringLiteral("Français"));
    QCOMPARE(combo(form, "Combo2")->currentText(), QStringLiteral("English"));
    QCOMPARE(label(form, "Label1_2")->text(), QStringLiteral("User Name"));
    QCOMPARE(label(form, "Label1_0")->text(), QStringLiteral("Language - Langue - Taal"));
    QCOMPARE(label(form, "Label1_0")->toolTip(), QStringLiteral("Choose your language"));
    QCOMPARE(combo(form, "Combo2")->toolTip(), QStringLiteral("Choose your language"));
    QCOMPARE(form.findChild<QPushButton*>(QStringLiteral("Command1"))->text(), QStringLiteral("OK"));
    QCOMPARE(Module1::LangOfs, 0.0f);
    QCOMPARE(Module1::CurUser, QString());
}

void TestForm3::labelsFollowTheLanguage_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("userName");
    QTest::addColumn<QString>("tooltip");
    QTest::newRow("English") << 0 << "User Name"
                             << "Choose your language";
    QTest::newRow("French") << 1 << "Nom d'utilisateur"
                            << "Choisissez votre langue";
    QTest::newRow("Dutch") << 2 << "Gebruikersnaam"
                           << "Kies uw taal";
}

void TestForm3::labelsFollowTheLanguage()
{
    QFETCH(int, index);
    QFETCH(QString, userName);
    QFETCH(QString, tooltip);
    World world;
    Form3& form = world.open();
    pickLanguage(combo(form, "Combo2"), 2);
    pickLanguage(combo(form, "Combo2"), index);
    QCOMPARE(label(form, "Label1_2")->text(), userName);
    QCOMPARE(label(form, "Label1_0")->text(), QStringLiteral("Language - Langue - Taal"));
    QCOMPARE(label(form, "Label1_0")->toolTip(), tooltip);
    QCOMPARE(combo(form, "Combo2")->toolTip(), tooltip);
    QCOMPARE(Module1::LangOfs, float(index));
    QCOMPARE(form.windowTitle(), QStringLiteral("Tankometer - v1.0.43")); // not translated
}

void TestForm3::lastUserAndLanguageSelected()
{
    World world("fr");
    world.putUsers({QStringLiteral("Bob"), QStringLiteral("Anna")}, {QStringLiteral("1"), QStringLiteral("2")},
                   QStringLiteral("Anna"));
    Form3& form = world.open();
    QCOMPARE(combo(form, "Combo1")->count(), 2);
    QCOMPARE(combo(form, "Combo1")->itemText(0), QStringLiteral("Bob")); // as stored, not sorted
    QCOMPARE(combo(form, "Combo1")->currentText(), QStringLiteral("Anna"));
    QCOMPARE(combo(form, "Combo2")->currentText(), QStringLiteral("Nederlands"));
    QCOMPARE(label(form, "Label1_2")->text(), QStringLiteral("Gebruikersnaam"));
    QCOMPARE(Module1::LangOfs, 2.0f);
    QCOMPARE(Module1::CurUser, QString()); // only OK sets it
}

void TestForm3::choosingAKnownUserShowsTheirLanguage()
{
    World world;
    world.putUsers({QStringLiteral("Anna"), QStringLiteral("Bob")}, {QStringLiteral("2"), QStringLiteral("1")},
                   QStringLiteral("Anna"));
    Form3& form = world.open();
    QComboBox* names = combo(form, "Combo1");
    names->setFocus();
    QTest::keyClick(names, Qt::Key_Down);
    QCOMPARE(names->currentText(), QStringLiteral("Bob"));
    QCOMPARE(combo(form, "Combo2")->currentText(), QStringLiteral("Français"));
    QCOMPARE(label(form, "Label1_2")->text(), QStringLiteral("Nom d'utilisateur"));

    // Picking the entry already shown is a click all the same.
    combo(form, "Combo2")->setCurrentIndex(0);
    emit names->activated(names->currentIndex());
    QCOMPARE(combo(form, "Combo2")->currentText(), QStringLiteral("Français"));
}

void TestForm3::typingAKnownNameShowsTheirLanguage()
{
    World world;
    world.putUsers({QStringLiteral("Anna"), QStringLiteral("Bob")}, {QStringLiteral("2"), QStringLiteral("1")},
                   QStringLiteral("Anna"));
    Form3& form = world.open();
    typeName(combo(form, "Combo1"), QStringLiteral("Bo"));
    QCOMPARE(combo(form, "Combo2")->currentText(), QStringLiteral("Nederlands")); // "Bo" is nobody
    QTest::keyClick(combo(form, "Combo1"), Qt::Key_B);
    QCOMPARE(combo(form, "Combo1")->currentText(), QStringLiteral("Bob"));
    QCOMPARE(combo(form, "Combo2")->currentText(), QStringLiteral("Français"));
    QCOMPARE(Module1::LangOfs, 1.0f);
    // No completion to a stored name: what is typed stays as typed.
    typeName(combo(form, "Combo1"), QStringLiteral("an"));
    QCOMPARE(combo(form, "Combo1")->currentText(), QStringLiteral("an"));
}

void TestForm3::languageOfKnownUserStoredAtOnce()
{
    World world("nl");
    world.putUsers({QStringLiteral("Anna")}, {QStringLiteral("0")}, QStringLiteral("Anna"));
    Form3& form = world.open();
    pickLanguage(combo(form, "Combo2"), 1);
    QCOMPARE(world.lang(QStringLiteral("Anna")), QStringLiteral("1"));
    form.close();
    QCOMPARE(world.lang(QStringLiteral("Anna")), QStringLiteral("1"));
    QCOMPARE(world.env.get(Option, QStringLiteral("TotUsers")), QStringLiteral("1"));
}

void TestForm3::languageOfNewUserStoredAtOk()
{
    World world;
    world.putUsers({QStringLiteral("Anna")}, {QStringLiteral("0")}, QStringLiteral("Anna"));
    Form3& form = world.open();
    typeName(combo(form, "Combo1"), QStringLiteral("Zoe"));
    pickLanguage(combo(form, "Combo2"), 2);
    QCOMPARE(label(form, "Label1_2")->text(), QStringLiteral("Gebruikersnaam"));
    QCOMPARE(Module1::LangOfs, 2.0f);
    QCOMPARE(world.lang(QStringLiteral("Zoe")), QStringLiteral("<absent>"));
    QCOMPARE(world.lang(QStringLiteral("Anna")), QStringLiteral("0"));

    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    QCOMPARE(world.lang(QStringLiteral("Zoe")), QStringLiteral("2"));
    QCOMPARE(world.env.get(Option, QStringLiteral("User2")), QStringLiteral("Zoe"));
    QCOMPARE(world.env.get(Option, QStringLiteral("LastUser")), QStringLiteral("Zoe"));
    QCOMPARE(Module1::CurUser, QStringLiteral("Zoe"));
    QVERIFY(StartUp::mainWindowLoaded());
    QTRY_VERIFY(StartUp::mainWindow().isVisible());
    QCOMPARE(StartUp::mainWindow().windowTitle(), QStringLiteral("Tankometer - Zoe - v1.0.43"));
    QTRY_VERIFY(!StartUp::userWindow()); // unloaded
}

void TestForm3::enterActsAsOk_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("key");
    QTest::newRow("Return in the name box") << "Combo1" << int(Qt::Key_Return);
    QTest::newRow("keypad Enter in the name box") << "Combo1" << int(Qt::Key_Enter);
    QTest::newRow("Return in the language box") << "Combo2" << int(Qt::Key_Return);
}

void TestForm3::enterActsAsOk()
{
    QFETCH(QString, box);
    QFETCH(int, key);
    World world;
    Form3& form = world.open();
    typeName(combo(form, "Combo1"), QStringLiteral("Anna"));
    QComboBox* target = form.findChild<QComboBox*>(box);
    target->setFocus();
    QTest::keyClick(target, Qt::Key(key));
    QCOMPARE(Module1::CurUser, QStringLiteral("Anna"));
    QCOMPARE(world.env.get(Option, QStringLiteral("User1")), QStringLiteral("Anna"));
    QTRY_VERIFY(StartUp::mainWindowLoaded() && StartUp::mainWindow().isVisible());
    QTRY_VERIFY(!StartUp::userWindow());
}

void TestForm3::okWithoutNameDoesNothing()
{
    World world;
    Form3& form = world.open();
    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    QTest::keyClick(combo(form, "Combo1"), Qt::Key_Return);
    QVERIFY(form.isVisible());
    QVERIFY(!StartUp::mainWindowLoaded());
    QCOMPARE(Module1::CurUser, QString());
    QCOMPARE(world.env.store().keyCount(Option), 0);
    QVERIFY(world.env.messages.shown.empty());
}

void TestForm3::reselectingTheSameLanguageRunsItsClick()
{
    World world;
    Form3& form = world.open();
    QCOMPARE(combo(form, "Combo2")->currentIndex(), 0);
    // The language moved without the box moving; activation selects index 0,
    // the index already shown, and that selection must still translate.
    Module1::LangOfs = 2;
    label(form, "Label1_2")->setText(QStringLiteral("stale"));
    form.Form_Activate();
    QCOMPARE(Module1::LangOfs, 0.0f);
    QCOMPARE(label(form, "Label1_2")->text(), QStringLiteral("User Name"));
}

void TestForm3::fileTypeDeclaredOnLoadOnce()
{
    World world;
    world.open().close();
    QCOMPARE(world.shell.notices, 1);
    QCOMPARE(world.classes.query(0x80000000u, QStringLiteral(".tnk"), QStringLiteral("Content Type"))->text,
             QStringLiteral("Data"));
    QTRY_VERIFY(!StartUp::userWindow());
    world.open();
    QCOMPARE(world.shell.notices, 1);
}

void TestForm3::userButtonSwapsWindows()
{
    World world;
    world.putUsers({QStringLiteral("Anna"), QStringLiteral("Bob")}, {QStringLiteral("1"), QStringLiteral("0")},
                   QStringLiteral("Anna"));
    Form3& first = world.open();
    QTest::mouseClick(first.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    Form1& main = StartUp::mainWindow();
    QTRY_VERIFY(main.isVisible());
    QCOMPARE(main.findChild<QPushButton*>(QStringLiteral("Command4"))->text(), QStringLiteral("Utilisateur"));
    main.Text1[0]->setText(QStringLiteral("12000"));
    QTRY_VERIFY(!StartUp::userWindow());

    QTest::mouseClick(main.findChild<QPushButton*>(QStringLiteral("Command4")), Qt::LeftButton);
    QVERIFY(!main.isVisible());
    QVERIFY(StartUp::userWindow());
    Form3& again = *StartUp::userWindow();
    QTRY_VERIFY(again.isVisible());
    QCOMPARE(again.Combo1->currentText(), QStringLiteral("Anna"));

    again.Combo1->setCurrentIndex(1);
    emit again.Combo1->activated(1);
    QTest::keyClick(again.Combo1, Qt::Key_Return);
    QTRY_VERIFY(main.isVisible());
    QCOMPARE(&StartUp::mainWindow(), &main); // the same window, kept while hidden
    QCOMPARE(main.Text1[0]->text(), QStringLiteral("12000"));
    QCOMPARE(main.windowTitle(), QStringLiteral("Tankometer - Bob - v1.0.43"));
    QCOMPARE(main.findChild<QPushButton*>(QStringLiteral("Command4"))->text(), QStringLiteral("User"));
    QCOMPARE(world.env.get(Option, QStringLiteral("LastUser")), QStringLiteral("Bob"));
}

void TestForm3::closingWithoutOkBringsTheMainWindowBack()
{
    World world;
    world.putUsers({QStringLiteral("Anna"), QStringLiteral("Bob")}, {QStringLiteral("1"), QStringLiteral("2")},
                   QStringLiteral("Anna"));
    QTest::keyClick(world.open().Combo1, Qt::Key_Return);
    Form1& main = StartUp::mainWindow();
    QTRY_VERIFY(main.isVisible());
    QTRY_VERIFY(!StartUp::userWindow());

    QTest::mouseClick(main.findChild<QPushButton*>(QStringLiteral("Command4")), Qt::LeftButton);
    Form3& form = *StartUp::userWindow();
    QTRY_VERIFY(form.isVisible());
    typeName(form.Combo1, QStringLiteral("Bob"));
    QCOMPARE(Module1::LangOfs, 2.0f);
    form.close();

    QVERIFY(main.isVisible());
    QCOMPARE(Module1::CurUser, QStringLiteral("Anna"));
    QCOMPARE(Module1::LangOfs, 1.0f);
    QCOMPARE(main.findChild<QPushButton*>(QStringLiteral("Command4"))->text(), QStringLiteral("Utilisateur"));
    QTRY_VERIFY(!StartUp::userWindow());
}

void TestForm3::closingAtStartUpEndsTheProgram()
{
    World world;
    Form3& form = world.open();
    QTimer::singleShot(0, &form, &QWidget::close);
    // If the close did not end the run, this gives up and fails.
    QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(1); });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!StartUp::mainWindowLoaded());
    QVERIFY(!StartUp::userWindow());
}

void TestForm3::okKeepsTheProgramRunningUntilTheMainWindowCloses()
{
    World world;
    world.putUsers({QStringLiteral("Anna")}, {QStringLiteral("0")}, QStringLiteral("Anna"));
    Form3& form = world.open();
    bool mainShown = false;
    // Between the hiding of this window and the showing of the main one no
    // window is visible: that must not end the run.
    QTimer::singleShot(0, &form, [&form] { QTest::keyClick(form.Combo1, Qt::Key_Return); });
    QTimer::singleShot(300, qApp, [&mainShown] {
        mainShown = StartUp::mainWindow().isVisible();
        StartUp::mainWindow().close();
    });
    QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(1); });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(mainShown);
}

QTEST_MAIN(TestForm3)
#include "tst_form3.moc"
