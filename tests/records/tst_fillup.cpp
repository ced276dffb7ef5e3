#include "frame/Appearance.h"
#include "frame/Form1.h"
#include "frame/StringTable.h"

#include "TestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <sqlite3.h>

// Saving fill-ups through the main window's save button.
class TestFillUp : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installProgramFont(); }
    void savedRecord_data();
    void savedRecord();
    void saveEmptiesTheFieldsAndShowsTheAverage();
    void secondSaveAppends();
    void refusedWriteSavesNothingAndSaysSo();
    void unreadableValuesSaveNothing_data();
    void unreadableValuesSaveNothing();
};

namespace
{
void type(Form1& form, const QStringList& fields)
{
    for (int i = 0; i < 4; ++i)
        if (!fields[i].isEmpty())
            QTest::keyClicks(form.Text1[i], fields[i]);
}

void save(Form1& form)
{
    auto* button = form.findChild<QPushButton*>("Command2");
    QVERIFY(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
}
} // namespace

void TestFillUp::savedRecord_data()
{
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<QString>("currency");
    QTest::addColumn<QString>("factor");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QStringList>("record"); // Date, Tanko, Pay, PayCom
    const QString date = QStringLiteral("05 December 2026");
    QTest::newRow("first save of a new user") << "en" << "Euro" << "1" << QStringList{"10000", "10650", "40", "60"}
                                              << QStringList{date, "06.15", "60", "<absent>"};
    QTest::newRow("Euro amount kept as typed") << "en" << "Euro" << "1" << QStringList{"", "650", "40", "60,50"}
                                               << QStringList{date, "06.15", "60,50", "<absent>"};
    QTest::newRow("no amount stores 0") << "en" << "Euro" << "1" << QStringList{"", "650", "40", ""}
                                        << QStringList{date, "06.15", "0", "<absent>"};
    QTest::newRow("only an amount stores 00.00") << "en" << "Euro" << "1" << QStringList{"", "", "", "60"}
                                                 << QStringList{date, "00.00", "60", "<absent>"};
    QTest::newRow("USD 46.80 at 0.8") << "en" << "USD" << "0.8" << QStringList{"", "650", "40", "46.80"}
                                      << QStringList{date, "06.15", "37.44", "46.80 USD"};
    QTest::newRow("USD without amount") << "en" << "USD" << "0.8" << QStringList{"", "650", "40", ""}
                                        << QStringList{date, "06.15", "0", "<absent>"};
    QTest::newRow("fr: USD 46,80 at 0,8")
        << "fr" << "USD" << "0,8" << QStringList{"", "650", "40", "46,80"}
        << QStringList{QString::fromUtf8("05 décembre 2026"), "06,15", "37,44", "46,80 USD"};
    QTest::newRow("nl: USD 46,80 at 0,8 is not stored a hundredfold")
        << "nl" << "USD" << "0,8" << QStringList{"", "650", "40", "46,80"}
        << QStringList{"05 december 2026", "06,15", "37,44", "46,80 USD"};
    QTest::newRow("nl: USD 50 at 0,5") << "nl" << "USD" << "0,5" << QStringList{"", "650", "40", "50"}
                                       << QStringList{"05 december 2026", "06,15", "25", "50 USD"};
}

void TestFillUp::savedRecord()
{
    QFETCH(QString, localeName);
    QFETCH(QString, currency);
    QFETCH(QString, factor);
    QFETCH(QStringList, fields);
    QFETCH(QStringList, record);
    TestSupport::Environment env(localeName);
    Form1 form;
    form.show();
    form.CurDevName = currency;
    form.CurRateBis = Mixed(factor);
    type(form, fields);
    save(form);
    QCOMPARE(env.get("Anna", "TotEntry"), QStringLiteral("1"));
    QCOMPARE(env.get("Anna", "Date1"), record[0]);
    QCOMPARE(env.get("Anna", "Tanko1"), record[1]);
    QCOMPARE(env.get("Anna", "Pay1"), record[2]);
    QCOMPARE(env.get("Anna", "PayCom1"), record[3]);
    QVERIFY(env.messages.shown.empty());
}

void TestFillUp::saveEmptiesTheFieldsAndShowsTheAverage()
{
    TestSupport::Environment env;
    env.put("Anna", "TotEntry", "1");
    env.put("Anna", "Tanko1", "05.91");
    Form1 form;
    form.show();
    QCOMPARE(form.findChild<QLabel*>("Panel3")->text(), QStringLiteral("05.91 Liters / 100 Kms"));
    type(form, {"10000", "10650", "40", "60"});
    save(form);
    for (QLineEdit* field : form.Text1)
        QVERIFY(field->text().isEmpty());
    QCOMPARE(form.Label1[0]->text(), QStringLiteral("No valid distance"));
    QCOMPARE(form.Label1[1]->text(), QString());
    QVERIFY(!form.findChild<QPushButton*>("Command2")->isEnabled());
    QCOMPARE(form.findChild<QLabel*>("Panel3")->text(), QStringLiteral("06.03 Liters / 100 Kms"));
    QCOMPARE(form.Label1[8]->text(), QStringLiteral("05 December 2026"));
}

void TestFillUp::secondSaveAppends()
{
    TestSupport::Environment env;
    Form1 form;
    form.show();
    type(form, {"", "650", "40", "60"});
    save(form);
    form.Label1[8]->setText(QStringLiteral("06 December 2026"));
    type(form, {"", "500", "40", "55"});
    save(form);
    QCOMPARE(env.get("Anna", "TotEntry"), QStringLiteral("2"));
    QCOMPARE(env.get("Anna", "Date1"), QStringLiteral("05 December 2026"));
    QCOMPARE(env.get("Anna", "Pay1"), QStringLiteral("60"));
    QCOMPARE(env.get("Anna", "Date2"), QStringLiteral("06 December 2026"));
    QCOMPARE(env.get("Anna", "Tanko2"), QStringLiteral("08.00"));
    env.reopen();
    QCOMPARE(env.get("Anna", "Tanko1"), QStringLiteral("06.15"));
}

void TestFillUp::refusedWriteSavesNothingAndSaysSo()
{
    TestSupport::Environment env;
    env.put("Anna", "TotEntry", "1");
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(env.store().path().toUtf8().constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db,
                          "CREATE TRIGGER full BEFORE INSERT ON settings WHEN NEW.key = 'Pay2' "
                          "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    sqlite3_close(db);
    env.reopen();
    Form1 form;
    form.show();
    type(form, {"", "650", "40", "60"});
    save(form);
    QCOMPARE(env.messages.shown.size(), size_t(1));
    QCOMPARE(env.messages.shown[0].style, 16);
    QVERIFY(env.messages.shown[0].text.startsWith(QStringLiteral("The fill-up was not saved.")));
    QVERIFY(env.messages.shown[0].text.contains(QStringLiteral("disk is full")));
    QCOMPARE(env.messages.shown[0].title, form.windowTitle());
    QCOMPARE(form.Text1[3]->text(), QStringLiteral("60"));
    env.reopen();
    QCOMPARE(env.get("Anna", "TotEntry"), QStringLiteral("1"));
    QCOMPARE(env.get("Anna", "Date2"), QStringLiteral("<absent>"));
    QCOMPARE(env.get("Anna", "Tanko2"), QStringLiteral("<absent>"));
}

void TestFillUp::unreadableValuesSaveNothing_data()
{
    QTest::addColumn<QString>("totEntry");
    QTest::addColumn<QString>("factor");
    QTest::newRow("count abc") << "abc" << "1";
    QTest::newRow("count at the 32-bit limit") << "2147483647" << "1";
    QTest::newRow("USD factor unreadable") << "1" << "";
}

void TestFillUp::unreadableValuesSaveNothing()
{
    QFETCH(QString, totEntry);
    QFETCH(QString, factor);
    TestSupport::Environment env;
    env.put("Anna", "TotEntry", totEntry);
    Form1 form;
    form.show();
    type(form, {"", "650", "40", ""});
    if (factor != u"1") {
        form.CurDevName = QStringLiteral("USD");
        form.CurRateBis = Mixed(factor);
    }
    form.Text1[3]->setText(QStringLiteral("60")); // the factor is only read on save
    form.Command2_Click(); // the button may already be off; the procedure must hold on its own
    QCOMPARE(env.get("Anna", "TotEntry"), totEntry);
    QCOMPARE(env.store().keyCount(u"Anna"), 1);
    QCOMPARE(form.Text1[3]->text(), QStringLiteral("60"));
}

QTEST_MAIN(TestFillUp)
#include "tst_fillup.moc"
