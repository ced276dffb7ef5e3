#include "records/FillUp.h"

#include "TestSupport.h"

#include <QTest>

class TestTotalAverage : public QObject
{
    Q_OBJECT

private slots:
    void panel_data();
    void panel();
};

void TestTotalAverage::panel_data()
{
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<float>("langOfs");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QStringList>("consumptions");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<double>("moyTot");

    QTest::newRow("records without consumption are left out")
        << "en" << 0.0f << "3" << QStringList{"06.15", "05.91", "00.00"} << "06.03 Liters / 100 Kms" << 6.03;
    QTest::newRow("exactly one is singular") << "en" << 0.0f << "1" << QStringList{"01.00"} << "01.00 Liter / 100 Kms"
                                             << 1.0;
    QTest::newRow("below one has no unit") << "en" << 0.0f << "1" << QStringList{"00.50"} << "0.5" << 0.5;
    QTest::newRow("fr: below one has no unit") << "fr" << 1.0f << "1" << QStringList{"00,50"} << "0,5" << 0.5;
    QTest::newRow("a new user") << "en" << 0.0f << "" << QStringList{} << "No saved data" << 0.0;
    QTest::newRow("fr: a new user") << "fr" << 1.0f << "" << QStringList{} << QString::fromUtf8("Aucune valeur sauvegardée")
                                    << 0.0;
    QTest::newRow("no record has a consumption")
        << "en" << 0.0f << "2" << QStringList{"00.00", "00.00"} << "No saved data" << 0.0;
    // The average is written in the user's notation, not read back from a "." text.
    QTest::newRow("fr: 06,03") << "fr" << 1.0f << "2" << QStringList{"06,15", "05,91"} << "06,03 Litres / 100 Kms"
                               << 6.03;
    QTest::newRow("nl: 06,03, not 603,00") << "nl" << 2.0f << "2" << QStringList{"06,15", "05,91"}
                                           << "06,03 Liters / 100 Kms" << 6.03;
    QTest::newRow("an unreadable consumption is skipped")
        << "en" << 0.0f << "3" << QStringList{"06.15", "x", "05.91"} << "06.03 Liters / 100 Kms" << 6.03;
    QTest::newRow("fr: point texts from another locale are skipped")
        << "fr" << 1.0f << "2" << QStringList{"06.15", "08,00"} << "08,00 Litres / 100 Kms" << 8.0;
    QTest::newRow("count abc") << "en" << 0.0f << "abc" << QStringList{"06.15"} << "No saved data" << 0.0;
    QTest::newRow("count -5") << "en" << 0.0f << "-5" << QStringList{"06.15"} << "No saved data" << 0.0;
    QTest::newRow("count beyond 32 bits") << "en" << 0.0f << "99999999999" << QStringList{"06.15"} << "No saved data"
                                          << 0.0;
    QTest::newRow("a huge count reads the records there are")
        << "en" << 0.0f << "2000000000" << QStringList{"06.00", "08.00"} << "07.00 Liters / 100 Kms" << 7.0;
}

void TestTotalAverage::panel()
{
    QFETCH(QString, localeName);
    QFETCH(float, langOfs);
    QFETCH(QString, count);
    QFETCH(QStringList, consumptions);
    QFETCH(QString, expected);
    QFETCH(double, moyTot);
    TestSupport::Environment env(localeName, langOfs, QStringLiteral("Anna"));
    if (!count.isEmpty())
        env.put(QStringLiteral("Anna"), QStringLiteral("TotEntry"), count);
    for (int i = 0; i < consumptions.size(); ++i)
        env.put(QStringLiteral("Anna"), QStringLiteral("Tanko%1").arg(i + 1), consumptions[i]);
    // Another user's records never count.
    env.put(QStringLiteral("Paul"), QStringLiteral("TotEntry"), QStringLiteral("1"));
    env.put(QStringLiteral("Paul"), QStringLiteral("Tanko1"), QStringLiteral("50"));
    const TotalAverage average = ComputeTotalAverage(env.store(), QStringLiteral("Anna"));
    QCOMPARE(average.text, expected);
    QCOMPARE(average.MoyTot, moyTot);
}

QTEST_GUILESS_MAIN(TestTotalAverage)
#include "tst_totalaverage.moc"
