#include "frame/Appearance.h"
#include "frame/Form1.h"
#include "frame/StringTable.h"

#include "TestSupport.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>

class TestForm1 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installProgramFont(); }

    void controlsSitWhereTheyBelong_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        QTest::newRow("Text1_0 in Frame1") << "Text1_0" << QRect(90, 510, 1365, 285);
        QTest::newRow("Label1_1 in Frame2") << "Label1_1" << QRect(120, 1110, 3225, 195);
        QTest::newRow("Command9") << "Command9" << QRect(7410, 2040, 1155, 375);
        QTest::newRow("StatusBar1") << "StatusBar1" << QRect(0, 2415, 8580, 375);
    }

    void controlsSitWhereTheyBelong()
    {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        TestSupport::Environment env;
        Form1 form;
        auto* widget = form.findChild<QWidget*>(name);
        QVERIFY(widget);
        const QRect expected(qRound(twips.x() / 15.0), qRound(twips.y() / 15.0), qRound(twips.width() / 15.0),
                             qRound(twips.height() / 15.0));
        QCOMPARE(widget->geometry(), expected);
        QCOMPARE(form.size(), QSize(572, 186));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QCOMPARE(form.findChild<QLineEdit*>("Text1_2")->maxLength(), 6);
        QCOMPARE(form.findChild<QLineEdit*>("Text1_1")->maxLength(), 9);
    }

    void tabOrderStartsAtTheArrivalField()
    {
        TestSupport::Environment env;
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("Text1_1"));
        form.Text1[3]->setText(QString("60")); // enables the save button
        QStringList order;
        for (int i = 0; i < 12; ++i) {
            order << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(order, (QStringList{"Text1_1", "Text1_2", "Text1_3", "Command2", "Command1", "Text1_0", "Command3",
                                     "Command4", "Command7", "Command8", "Command9", "Text1_1"}));
    }

    void titleDateAndStatusBar_data()
    {
        QTest::addColumn<QString>("localeName");
        QTest::addColumn<float>("langOfs");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("shortDate");
        QTest::newRow("en") << "en" << 0.0f << "05 December 2026"
                            << "05/12/2026";
        QTest::newRow("nl") << "nl" << 2.0f << "05 december 2026"
                            << "05-12-2026";
    }

    void titleDateAndStatusBar()
    {
        QFETCH(QString, localeName);
        QFETCH(float, langOfs);
        QFETCH(QString, date);
        QFETCH(QString, shortDate);
        TestSupport::Environment env(localeName, langOfs, QString("Anna"));
        Form1 form;
        form.show();
        QCOMPARE(form.windowTitle(), QString("Tankometer - Anna - v1.0.43"));
        QCOMPARE(form.Label1[8]->text(), date);
        QCOMPARE(form.findChild<QLabel*>("Panel1")->text(), shortDate);
        QCOMPARE(form.findChild<QLabel*>("Panel2")->text(), QString("09:30"));
        QCOMPARE(form.findChild<QLabel*>("Panel3")->text(), LocalizedText(192));
        // The date label keeps the day the window was made; the clock moves on.
        env.clock.current = QDateTime(QDate(2026, 12, 6), QTime(0, 1));
        QTRY_COMPARE(form.findChild<QLabel*>("Panel2")->text(), QString("00:01"));
        QCOMPARE(form.Label1[8]->text(), date);
    }

    // Calculator, exit, and the two buttons whose windows do not exist.
    void commandButtons()
    {
        TestSupport::Environment env;
        env.launcher.paths = {"/usr/bin/calc-one", "/usr/bin/calc-two"};
        Form1 form;
        form.show();
        QVERIFY(!form.findChild<QPushButton*>("Command5")->isEnabled());
        QVERIFY(!form.findChild<QPushButton*>("Command6")->isEnabled());
        QTest::mouseClick(form.findChild<QPushButton*>("Command7"), Qt::LeftButton);
        QCOMPARE(env.launcher.started, env.launcher.paths);
        QVERIFY(env.messages.shown.empty());
        QSignalSpy closed(&form, &Form1::closed);
        QTest::mouseClick(form.findChild<QPushButton*>("Command1"), Qt::LeftButton);
        QCOMPARE(closed.count(), 1);
        QVERIFY(!form.isVisible());
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
