#include "ProgramWindows.h"

#include "frame/Appearance.h"
#include "frame/StringTable.h"
#include "users/StartUp.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>

// Whatever the store holds and whatever is typed, every window opens, every
// button works and nothing is lost or crashes.
namespace
{
struct World
{
    explicit World(const QString& locale) : env(locale, 0, QString()) {}
    ~World() { StartUp::unloadAll(); }
    TestSupport::Environment env;
    DesktopServices services;
};

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

// Presses every button and the picture, closing each modal window as soon as
// it is up; returns the report's text.
QString useEveryButton(Form1& form)
{
    QString report;
    for (const char* name :
         {"Command3", "Command9", "Command8", "Command7", "Command2", "Command5", "Command6", "Image1"}) {
        QTimer::singleShot(0, [&report] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* text = modal && report.isEmpty() ? modal->findChild<QTextEdit*>("Text1") : nullptr)
                report = text->toPlainText();
            if (modal)
                modal->close();
        });
        QTest::mouseClick(form.findChild<QWidget*>(QString::fromLatin1(name)), Qt::LeftButton);
    }
    [&form] { QTRY_VERIFY(form.isVisible()); }();
    return report;
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
    QTest::newRow("en: count abc") << QStringLiteral("en") << QStringLiteral("abc");
    QTest::newRow("fr: count -5") << QStringLiteral("fr") << QStringLiteral("-5");
    QTest::newRow("nl: count 99999999999") << QStringLiteral("nl") << QStringLiteral("99999999999");
    QTest::newRow("en: count beyond the records") << QStringLiteral("en") << QStringLiteral("2000000000");
}

void TestRobustness::handEditedStore()
{
    QFETCH(QString, localeName);
    QFETCH(QString, totEntry);
    World world(localeName);
    // Section/key=value, as a hand edit leaves them.
    const QString keys = QStringLiteral("Option/TotUsers=-1|Option/User1=Anna|Anna/Lang=9|Anna/Date1=|Anna/Tanko1=x|"
                                        "Anna/Pay1=|Anna/PayCom1=\U0001F4A5|Anna/CurDev=zz|Anna/AffCurrMess=maybe|"
                                        "Devises/Dev1=CHF|Devises/Taux1=|Devises/TauxBis1=|Anna/TotEntry=") +
                         totEntry;
    for (const QString& entry : keys.split(u'|'))
        world.env.put(entry.section(u'/', 0, 0), entry.section(u'/', 1).section(u'=', 0, 0), entry.section(u'=', 1));

    Form1& form = confirmUser(QStringLiteral("Anna"));
    QTRY_VERIFY(form.isVisible());
    QCOMPARE(world.env.get("Option", "User1"), QStringLiteral("Anna")); // never overwritten
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Label2"))->text(), QStringLiteral("Euro"));
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Panel3"))->text(), LocalizedText(192));

    QVERIFY(useEveryButton(form).contains(QStringLiteral("Anna")));
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
    QTest::newRow("combining marks and Arabic")
        << QString::fromUtf8("e\u0301\u0301\u0301 \u0645\u0631\u062d\u0628\u0627 12,5");
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
        for (int i = 0; i < 4; ++i)
            form.Text1[i]->setText(QStringList{"", "650", "40", "60"}[i]);
        const QString report = useEveryButton(form);
        // Line breaks and controls in a name are the text box's to render.
        const bool plain = std::none_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20; });
        QVERIFY(report.startsWith(QStringLiteral(" Tankometer")));
        QVERIFY(!plain || report.contains(text.left(100)));

        world.env.reopen();
        QCOMPARE(world.env.get("Option", "User1"), text);
        QCOMPARE(world.env.get("Option", "LastUser"), text);
        QCOMPARE(world.env.get(text, "TotEntry"), QStringLiteral("1"));
        QCOMPARE(world.env.get(text, "Tanko1"),
                 localeName == QByteArrayView("en") ? QStringLiteral("06.15") : QStringLiteral("06,15"));
    }
}

QTEST_MAIN(TestRobustness)
#include "tst_robustness.moc"
