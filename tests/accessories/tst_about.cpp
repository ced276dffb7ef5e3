// The about card, opened from the main window's picture, and the program's pictures.
#include "TestSupport.h"

#include "accessories/Form4.h"
#include "accessories/Pictures.h"
#include "frame/Appearance.h"
#include "frame/Form1.h"
#include "frame/Module1.h"

#include <QIcon>
#include <QLabel>
#include <QTest>

class TestAbout : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installProgramFont(); }

    void theCard()
    {
        TestSupport::Environment env("en");
        Form4 form;
        form.show();
        QVERIFY(form.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(form.findChild<QLabel*>("Image1")->geometry(), QRect(0, 0, 372, 270));
        QCOMPARE(form.Label1[0]->text() + " / " + form.Label1[1]->text(), QString("Tankometer / Remo Vastelli"));
        QVERIFY(form.Label1[1]->y() > form.Label1[0]->geometry().bottom());
        const QImage shot = form.grab().toImage();
        for (QLabel* label : form.Label1) {
            QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 128, 128));
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(), "name cut");
            QCOMPARE(shot.pixelColor(label->geometry().topRight() + QPoint(4, 0)), QColor(Qt::white));
        }
        // The frame around the card.
        QCOMPARE(shot.pixelColor(0, 135), QColor(Qt::black));
        QCOMPARE(shot.pixelColor(371, 135), QColor(Qt::black));
    }

    // The main window hides while the card is open and is activated again when it closes.
    void openedFromTheMainWindow_data()
    {
        QTest::addColumn<float>("langOfs");
        QTest::addColumn<QString>("tooltip");
        QTest::newRow("en") << 0.f << "Click to close...";
        QTest::newRow("fr") << 1.f << "Cliquez pour fermer...";
        QTest::newRow("nl") << 2.f << "Klikken om af te sluiten...";
    }

    void openedFromTheMainWindow()
    {
        QFETCH(float, langOfs);
        TestSupport::Environment env("en", langOfs);
        Form1 form1;
        form1.show();
        bool mainHidden = false, rightClickIgnored = false;
        QString tooltip;
        TestSupport::inNextModal(&form1, [&](QWidget* card) {
            mainHidden = qobject_cast<Form4*>(card) && !form1.isVisible();
            tooltip = card->findChild<QLabel*>("Image1")->toolTip();
            Module1::CurUser = "Bert";
            // Through the window, as the desktop delivers it, so the name on the picture lets it through.
            const QPoint name = card->findChild<QWidget*>("Label1_0")->geometry().center();
            QTest::mouseClick(card->windowHandle(), Qt::RightButton, {}, name);
            rightClickIgnored = card->isVisible();
            QTest::mouseClick(card->windowHandle(), Qt::LeftButton, {}, name);
        });
        QTest::mouseClick(form1.findChild<QLabel*>("Image1"), Qt::LeftButton);
        QVERIFY(mainHidden && rightClickIgnored);
        QTEST(tooltip, "tooltip");
        QVERIFY(form1.isVisible());
        QCOMPARE(form1.windowTitle(), QString("Tankometer - Bert - v1.0.43"));
    }

    // Drawn, not blank, at every size they are shown at.
    void thePicturesAndTheIcon_data()
    {
        QTest::addColumn<QString>("resource"); // empty: the program icon
        QTest::addColumn<QSize>("size");
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("about, as drawn") << Pictures::About << QSize(370, 268) << 1.0;
        QTest::newRow("main, on the window at 1.5x") << Pictures::Main << QSize(131, 92) << 1.5;
        for (int side : {16, 32, 48, 64, 128, 256})
            QTest::addRow("icon, %d px", side) << QString() << QSize(side, side) << 1.0;
    }

    void thePicturesAndTheIcon()
    {
        QFETCH(QString, resource);
        QFETCH(QSize, size);
        QFETCH(qreal, ratio);
        const QPixmap pixmap =
            resource.isEmpty() ? programIcon().pixmap(size, 1.0) : Pictures::render(resource, size, ratio);
        const QImage image = pixmap.toImage();
        QCOMPARE(image.size(), (QSizeF(size) * ratio).toSize());
        int drawn = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                drawn += image.pixelColor(x, y) != QColor(Qt::white) && image.pixelColor(x, y).alpha() > 0;
        QVERIFY(drawn > image.width() * image.height() / 5);
        // The pictures on white, the icon a teal tile.
        const QColor corner =
            image.pixelColor(resource.isEmpty() ? size.width() / 2 : 1, resource.isEmpty() ? size.height() * 3 / 4 : 1);
        QVERIFY2(resource.isEmpty() ? corner.green() > corner.red() + 40 : corner == Qt::white,
                 qPrintable(corner.name()));
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
