#include "TestSupport.h"

#include "filetype/Registry.h"
#include "frame/Appearance.h"
#include "frame/Form1.h"
#include "frame/Module1.h"
#include "frame/StringTable.h"
#include "users/Form3.h"
#include "users/StartUp.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>

// Whatever the store holds and whatever is typed, every window opens, every
// button works and nothing is lost or crashes.
namespace
{
class QuietShell : public FileType::ShellNotifier
{
public:
    void changeNotify(qint32, quint32) override {}
};

class MemoryRegistry : public FileType::Registry
{
public:
    std::optional<FileType::RegistryValue> query(quint32, const QString&, const QString&) override
    {
        return FileType::RegistryValue{FileType::RegSz, QStringLiteral("Data"), 0};
    }
    bool setString(quint32, const QString&, const QString&, const QString&) override { return true; }
    bool setDword(quint32, const QString&, const QString&, quint32) override { return true; }
};

struct World
{
    explicit World(const QString& locale) : env(locale, 0, QString())
    {
        saved = FileType::services();
        FileType::services().registry = &registry;
        FileType::services().shell = &shell;
    }
    ~World()
    {
        StartUp::unloadAll();
        FileType::services() = saved;
    }
    TestSupport::Environment env;
    MemoryRegistry registry;
    QuietShell shell;
    FileType::Services saved;
};

// Closes each modal window as soon as it is up; returns the report's text
// when the window closed was the report.
QString clickThroughModal(QPushButton* button)
{
    QString seen;
    QTimer::singleShot(0, [&seen] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (auto* text = modal->findChild<QTextEdit*>(QStringLiteral("Text1")))
            seen = text->toPlainText();
        modal->close();
    });
    QTest::mouseClick(button, Qt::LeftButton);
    return seen;
}

// Types any text, beyond what QTest's key names cover.
void typeText(QWidget* widget, const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text.mid(i, length));
        QApplication::sendEvent(widget, &press);
        i += length - 1;
    }
}

Form1& confirmUser(const QString& name)
{
    Form3& form3 = StartUp::showUserWindow();
    form3.Combo1->setEditText(name);
    QTest::mouseClick(form3.Command1, Qt::LeftButton);
    return StartUp::mainWindow();
}

void useEveryButton(Form1& form, QString* report)
{
    for (const char* name : {"Command3", "Command9", "Command8", "Command7", "Command2", "Command5", "Command6"}) {
        auto* button = form.findChild<QPushButton*>(QString::fromLatin1(name));
        const QString text = clickThroughModal(button);
        if (QByteArray(name) == "Command3")
            *report = text;
    }
    QTimer::singleShot(0, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
    QTest::mouseClick(form.findChild<QLabel*>(QStringLiteral("Image1")), Qt::LeftButton);
    QTRY_VERIFY(form.isVisible());
}
} // namespace

class TestRobustness : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installProgramFont(); }
    void handEditedStore_data();
    void handEditedStore();
    void hostileText_data();
    void hostileText();
};

void TestRobustness::handEditedStore_data()
{
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<QString>("totEntry");
    QTest::newRow("en: count abc") << "en" << "abc";
    QTest::newRow("fr: count -5") << "fr" << "-5";
    QTest::newRow("nl: count 99999999999") << "nl" << "99999999999";
    QTest::newRow("en: count beyond the records") << "en" << "2000000000";
}

void TestRobustness::handEditedStore()
{
    QFETCH(QString, localeName);
    QFETCH(QString, totEntry);
    World world(localeName);
    auto& env = world.env;
    env.put("Option", "TotUsers", "-1");
    env.put("Option", "User1", "Anna");
    env.put("Anna", "Lang", "9");
    env.put("Anna", "TotEntry", totEntry);
    env.put("Anna", "Date1", "");
    env.put("Anna", "Tanko1", "x");
    env.put("Anna", "Pay1", "");
    env.put("Anna", "PayCom1", "\xf0\x9f\x92\xa5");
    env.put("Anna", "CurDev", "zz");
    env.put("Anna", "AffCurrMess", "maybe");
    env.put("Devises", "Dev1", "CHF");
    env.put("Devises", "Taux1", "");
    env.put("Devises", "TauxBis1", "");

    Form1& form = confirmUser(QStringLiteral("Anna"));
    QTRY_VERIFY(form.isVisible());
    QCOMPARE(env.get("Option", "User1"), QStringLiteral("Anna")); // never overwritten
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Label2"))->text(), QStringLiteral("Euro"));
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Panel3"))->text(), LocalizedText(192));

    QString report;
    useEveryButton(form, &report);
    QVERIFY(report.contains(QStringLiteral("Anna")));
    // Still a working window: a new fill-up computes as usual.
    QTest::keyClicks(form.Text1[1], QStringLiteral("650"));
    QTest::keyClicks(form.Text1[2], QStringLiteral("40"));
    QCOMPARE(form.Label1[0]->text(), QStringLiteral(" 650 Kms"));
}

void TestRobustness::hostileText_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("very long") << QString(20000, u'9');
    QTest::newRow("right-to-left marks and emoji")
        << QString::fromUtf8("\u200f\u202eAnna\u202c \xf0\x9f\x9a\x97\xf0\x9f\x8f\x8d\xef\xb8\x8f");
    QTest::newRow("control characters") << QString::fromUtf8("a\tb\x01\x1b[31mc\r\nd");
    QTest::newRow("quotes and SQL") << QStringLiteral("'; DROP TABLE settings; -- \"%1 %s\\");
    QTest::newRow("combining marks and Arabic") << QString::fromUtf8("e\u0301\u0301\u0301 \u0645\u0631\u062d\u0628\u0627 12,5");
}

void TestRobustness::hostileText()
{
    QFETCH(QString, text);
    for (const char* localeName : {"en", "fr", "nl"}) {
        World world(QString::fromLatin1(localeName));
        Form1& form = confirmUser(text);
        QTRY_VERIFY(form.isVisible());
        QCOMPARE(Module1::CurUser, text);
        for (QLineEdit* field : form.Text1) {
            field->setFocus();
            typeText(field, text.left(40));
            field->setText(text); // pasted
        }
        form.Text1[0]->clear();
        form.Text1[1]->setText(QStringLiteral("650"));
        form.Text1[2]->setText(QStringLiteral("40"));
        form.Text1[3]->setText(QStringLiteral("60"));
        QString report;
        useEveryButton(form, &report);
        // Line breaks and controls in a name are the text box's to render.
        const bool plain = std::none_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20; });
        QVERIFY(report.startsWith(QStringLiteral(" Tankometer")));
        QVERIFY(!plain || report.contains(text.left(100)));

        world.env.reopen();
        QCOMPARE(world.env.get("Option", "User1"), text);
        QCOMPARE(world.env.get("Option", "LastUser"), text);
        QCOMPARE(world.env.get(text, "TotEntry"), QStringLiteral("1"));
        QCOMPARE(world.env.get(text, "Tanko1"), localeName == QByteArrayView("en") ? QStringLiteral("06.15")
                                                                                    : QStringLiteral("06,15"));
    }
}

QTEST_MAIN(TestRobustness)
#include "tst_robustness.moc"
