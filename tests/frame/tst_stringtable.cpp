#include "frame/Module1.h"
#include "frame/StringTable.h"

#include <QTest>

class TestStringTable : public QObject
{
    Q_OBJECT

private slots:
    void everyIdHasItsText()
    {
        for (int id = 101; id <= 284; ++id)
            QVERIFY2(!LoadResString(id).isEmpty(), qPrintable(QString::number(id)));
        QCOMPARE(LoadResString(100), QString());
        // Texts are used as they stand, missing letters included.
        QCOMPARE(LoadResString(131), QString("Afsluiten"));
        QCOMPARE(LoadResString(280), QString("L'mport des données a échoué"));
        QCOMPARE(LoadResString(284), QString("Data Export failed"));
    }

    void localizedText_data()
    {
        QTest::addColumn<float>("langOfs");
        QTest::addColumn<int>("base");
        QTest::addColumn<QString>("expected");
        QTest::newRow("nl: 128 is Sluiten, not Afsluiten") << 2.0f << 128 << "Sluiten";
        QTest::newRow("fr: 128 is Quitter") << 1.0f << 128 << "Quitter";
        QTest::newRow("fr: 186 is Erreur") << 1.0f << 186 << "Erreur";
        QTest::newRow("en: 186 is Error") << 0.0f << 186 << "Error";
        QTest::newRow("en: 132 after the run of four") << 0.0f << 132 << "Data";
        QTest::newRow("nl: 269 holds English") << 2.0f << 267 << "Data Imported";
        QTest::newRow("fr: 243 keeps its trailing blank") << 1.0f << 243 << QString::fromUtf8("Montant payé en ");
        QTest::newRow("an offset a hair off still rounds to the language") << 0.9999f << 110 << "Fermer";
    }

    void localizedText()
    {
        QFETCH(float, langOfs);
        QFETCH(int, base);
        QFETCH(QString, expected);
        Module1::LangOfs = langOfs;
        QCOMPARE(LocalizedText(base), expected);
    }
};

QTEST_GUILESS_MAIN(TestStringTable)
#include "tst_stringtable.moc"
