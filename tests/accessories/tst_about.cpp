#include "TestSupport.h"

#include "accessories/Form4.h"
#include "accessories/Pictures.h"
#include "frame/Appearance.h"
#include "frame/Form1.h"
#include "frame/Module1.h"

#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

namespace
{
QLabel* picture(QWidget* form)
{
    return form->findChild<QLabel*>(QStringLiteral("Image1"));
}

// How many of the image's pixels differ from white: a blank or failed
// rendering has none.
int drawnPixels(const QImage& image)
{
    int drawn = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            drawn += image.pixelColor(x, y) != QColor(Qt::white) && image.pixelColor(x, y).alpha() > 0;
    return drawn;
}
} // namespace

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
        QCOMPARE(form.size(), QSize(372, 270));
        QCOMPARE(picture(&form)->geometry(), form.rect());
        QCOMPARE(picture(&form)->pixmap().deviceIndependentSize(), QSizeF(372, 270));
        QCOMPARE(form.Label1[0]->text(), QStringLiteral("Tankometer"));
        QCOMPARE(form.Label1[1]->text(), QStringLiteral("Remo Vastelli"));
        QVERIFY(form.Label1[1]->y() > form.Label1[0]->geometry().bottom());
        const QImage shot = form.grab().toImage();
        for (QLabel* label : form.Label1) {
            QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 128, 128));
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(), "name cut");
            // The names lie on the white part of the picture.
            QCOMPARE(shot.pixelColor(label->geometry().topRight() + QPoint(4, 0)), QColor(Qt::white));
        }
        // The frame around the card.
        QCOMPARE(shot.pixelColor(0, 135), QColor(Qt::black));
        QCOMPARE(shot.pixelColor(371, 135), QColor(Qt::black));
    }

    void tooltipFollowsTheLanguageWhenShown_data()
    {
        QTest::addColumn<float>("langOfs");
        QTest::addColumn<QString>("tooltip");
        QTest::newRow("en") << 0.0f << "Click to close...";
        QTest::newRow("fr") << 1.0f << "Cliquez pour fermer...";
        QTest::newRow("nl") << 2.0f << "Klikken om af te sluiten...";
    }

    void tooltipFollowsTheLanguageWhenShown()
    {
        QFETCH(float, langOfs);
        TestSupport::Environment env("en", 0);
        Form4 form;
        Module1::LangOfs = langOfs;
        form.show();
        QTEST(picture(&form)->toolTip(), "tooltip");
    }

    void aClickOnThePictureCloses_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<bool>("closes");
        QTest::newRow("picture") << "Image1" << Qt::LeftButton << true;
        QTest::newRow("the name on the picture") << "Label1_0" << Qt::LeftButton << true;
        QTest::newRow("right button") << "Image1" << Qt::RightButton << false;
    }

    void aClickOnThePictureCloses()
    {
        QFETCH(QString, where);
        QFETCH(Qt::MouseButton, button);
        TestSupport::Environment env("en");
        Form4 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // Through the window, as the desktop delivers it, so the name lets it through.
        const QWidget* target = form.findChild<QWidget*>(where);
        QTest::mouseClick(form.windowHandle(), button, {}, target->geometry().center());
        QTEST(!form.isVisible(), "closes");
    }

    // The main window hides while the card is open and is activated again
    // when it closes.
    void theMainWindowStepsAside()
    {
        TestSupport::Environment env("fr", 1, QStringLiteral("Anna"));
        Form1 form1;
        form1.show();
        QCOMPARE(picture(&form1)->pixmap().deviceIndependentSize(), QSizeF(picture(&form1)->size()));
        bool mainHidden = false;
        QString tooltip;
        QTimer::singleShot(0, this, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!qobject_cast<Form4*>(modal)) {
                if (modal)
                    modal->close();
                return;
            }
            mainHidden = !form1.isVisible();
            tooltip = picture(modal)->toolTip();
            Module1::CurUser = QStringLiteral("Bert");
            QTest::mouseClick(picture(modal), Qt::LeftButton);
        });
        QTest::mouseClick(picture(&form1), Qt::LeftButton);
        QVERIFY(mainHidden);
        QCOMPARE(tooltip, QStringLiteral("Cliquez pour fermer..."));
        QVERIFY(form1.isVisible());
        QCOMPARE(form1.windowTitle(), QStringLiteral("Tankometer - Bert - v1.0.43"));
    }

    void thePicturesAreDrawnSharp_data()
    {
        QTest::addColumn<QString>("resource");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("about, as drawn") << Pictures::About << QSize(370, 268) << 1.0;
        QTest::newRow("about, on a 2x screen") << Pictures::About << QSize(372, 270) << 2.0;
        QTest::newRow("main, as drawn") << Pictures::Main << QSize(148, 107) << 1.0;
        QTest::newRow("main, on the window at 1.5x") << Pictures::Main << QSize(131, 92) << 1.5;
    }

    void thePicturesAreDrawnSharp()
    {
        QFETCH(QString, resource);
        QFETCH(QSize, size);
        QFETCH(qreal, ratio);
        const QPixmap pixmap = Pictures::render(resource, size, ratio);
        QCOMPARE(pixmap.size(), (QSizeF(size) * ratio).toSize());
        QCOMPARE(pixmap.devicePixelRatio(), ratio);
        const QImage image = pixmap.toImage();
        QCOMPARE(image.pixelColor(1, 1), QColor(Qt::white));
        QVERIFY(drawnPixels(image) > image.width() * image.height() / 5);
    }

    void aMissingPictureIsNull()
    {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("none.svg"));
        QVERIFY(Pictures::render(QStringLiteral(":/pictures/none.svg"), QSize(10, 10), 1).isNull());
    }

    void theIconAtEverySize_data()
    {
        QTest::addColumn<int>("side");
        for (int side : {16, 32, 48, 64, 128, 256})
            QTest::addRow("%d px", side) << side;
    }

    void theIconAtEverySize()
    {
        QFETCH(int, side);
        const QImage image = programIcon().pixmap(QSize(side, side), 1.0).toImage();
        QCOMPARE(image.size(), QSize(side, side));
        // A teal tile, with the white dial on it.
        const QColor middle = image.pixelColor(side / 2, side * 3 / 4);
        QVERIFY2(middle.green() > middle.red() + 40 && middle.alpha() == 255, qPrintable(middle.name()));
        QVERIFY(drawnPixels(image) > side * side / 2);
        QVERIFY(image.pixelColor(side / 2, side * 9 / 32).lightness() > 200);
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
