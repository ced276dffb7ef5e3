// Run once at the machine's scale and once more under each QT_SCALE_FACTOR
// that CTest sets: every window keeps its size and places, every caption fits
// its control, and the pictures are drawn for the screen's pixel density.
#include "ProgramWindows.h"

#include "accessories/Pictures.h"
#include "frame/Appearance.h"

#include <QAbstractButton>
#include <QAbstractTextDocumentLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyleOption>
#include <QTest>
#include <QTextBlock>

#include <cmath>

namespace
{
qreal screenScale()
{
    bool ok = false;
    const qreal factor = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
    return ok ? factor : 1.0;
}

// The width a text takes when drawn on this screen, in device-independent
// pixels: glyphs are placed at the physical size, whose rounding may differ.
qreal drawnWidth(const QFont& font, const QString& text, qreal ratio)
{
    const qreal logical = QFontMetricsF(font).horizontalAdvance(text);
    QFont physicalFont(font);
    if (font.pointSizeF() > 0)
        physicalFont.setPointSizeF(font.pointSizeF() * ratio);
    else
        physicalFont.setPixelSize(qRound(font.pixelSize() * ratio));
    return std::max(logical, QFontMetricsF(physicalFont).horizontalAdvance(text) / ratio);
}

class Fitting
{
public:
    explicit Fitting(qreal ratio) : m_ratio(ratio) {}

    void check(QWidget* window)
    {
        for (QWidget* widget : window->findChildren<QWidget*>()) {
            const QString name = widget->objectName();
            if (name.isEmpty() || name.startsWith(u"qt_") || widget->window() != window || !widget->isVisibleTo(window))
                continue;
            const QString where = window->objectName() + u'.' + name;
            if (auto* label = qobject_cast<QLabel*>(widget))
                checkLabel(where, label);
            else if (auto* button = qobject_cast<QPushButton*>(widget))
                checkButton(where, button, QStyle::SE_PushButtonContents);
            else if (auto* box = qobject_cast<QCheckBox*>(widget))
                checkButton(where, box, QStyle::SE_CheckBoxContents);
            else if (auto* frame = qobject_cast<QGroupBox*>(widget))
                checkFrame(where, frame);
            else if (auto* edit = qobject_cast<QLineEdit*>(widget))
                checkLineEdit(where, edit);
            else if (auto* combo = qobject_cast<QComboBox*>(widget))
                checkCombo(where, combo);
            else if (auto* text = qobject_cast<QPlainTextEdit*>(widget))
                checkTextBox(where, text);
        }
    }

    QStringList faults;

private:
    void across(const QString& where, const QString& text, const QFont& font, qreal room)
    {
        if (text.isEmpty())
            return;
        const qreal need = drawnWidth(font, text, m_ratio);
        if (need > room + 0.01)
            faults << QStringLiteral("%1 \"%2\": needs %3 px, has %4").arg(where, text).arg(need, 0, 'f', 1).arg(room);
    }

    void checkLabel(const QString& where, QLabel* label)
    {
        if (label->text().isEmpty() || label->wordWrap())
            return;
        const QRect box = label->contentsRect().marginsRemoved(
            QMargins(label->margin(), label->margin(), label->margin(), label->margin()));
        const QFontMetrics metrics(label->font());
        int indent = label->indent();
        if (indent < 0)
            indent = label->frameWidth() > 0 ? metrics.horizontalAdvance(u'x') / 2 : 0;
        const bool centred = label->alignment() & Qt::AlignHCenter;
        across(where, label->text(), label->font(), box.width() - (centred ? 0 : indent));

        // Upright, the ink counts: the line box of a large font may overhang
        // a low label while the letters stay inside.
        const qreal baseline = (box.height() - metrics.height()) / 2.0 + metrics.ascent();
        const QRectF ink = QFontMetricsF(label->font()).tightBoundingRect(label->text());
        if (baseline + ink.top() < -0.5 || baseline + ink.bottom() > box.height() + 0.5)
            faults << QStringLiteral("%1 \"%2\": letters stand out of a label %3 px high")
                          .arg(where, label->text())
                          .arg(box.height());
    }

    void checkButton(const QString& where, QAbstractButton* button, QStyle::SubElement contents)
    {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const QRect room = button->style()->subElementRect(contents, &option, button);
        across(where, button->text(), button->font(), room.width());
    }

    void checkFrame(const QString& where, QGroupBox* frame)
    {
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.text = frame->title();
        option.lineWidth = 1;
        option.textAlignment = frame->alignment();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect title =
            frame->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
        const qreal spare = title.width() - QFontMetricsF(frame->font()).horizontalAdvance(frame->title());
        across(where, frame->title(), frame->font(), frame->width() - title.left() - spare);
    }

    void checkLineEdit(const QString& where, QLineEdit* edit)
    {
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.rect = edit->rect();
        option.lineWidth =
            edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit) : 0;
        const QRect contents = edit->style()
                                   ->subElementRect(QStyle::SE_LineEditContents, &option, edit)
                                   .marginsRemoved(edit->textMargins());
        // A line edit keeps 2 px on each side and 1 for the cursor.
        across(where, edit->text(), edit->font(), contents.width() - 5);
    }

    void checkCombo(const QString& where, QComboBox* combo)
    {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        option.frame = combo->hasFrame();
        option.subControls = QStyle::SC_All;
        const QRect field =
            combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
        for (int i = 0; i < combo->count(); ++i)
            across(where, combo->itemText(i), combo->font(), field.width() - 2);
    }

    void checkTextBox(const QString& where, QPlainTextEdit* box)
    {
        QTextDocument* document = box->document();
        qreal height = document->documentMargin();
        for (QTextBlock block = document->firstBlock(); block.isValid(); block = block.next())
            height += document->documentLayout()->blockBoundingRect(block).height();
        if (height > box->viewport()->height())
            faults << QStringLiteral("%1: text %2 px high in a box of %3")
                          .arg(where)
                          .arg(height)
                          .arg(box->viewport()->height());
    }

    qreal m_ratio;
};
} // namespace

class TestHighDpi : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void captionsFit_data();
    void captionsFit();
    void windowsKeepTheirLayout_data() { captionsFit_data(); }
    void windowsKeepTheirLayout();
    void picturesAreDrawnForTheScreen();
    void picturesFollowTheirLabel();
};

void TestHighDpi::initTestCase()
{
    installProgramFont();
    // The factor is read when the application starts; a wrong one here would
    // make every other check pass at the wrong scale.
    QCOMPARE(qApp->devicePixelRatio(), screenScale());
    qInfo("scale %.2f, font %s", screenScale(), qPrintable(QFontInfo(QApplication::font()).family()));
}

void TestHighDpi::captionsFit_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("en") << "en";
    QTest::newRow("fr") << "fr";
    QTest::newRow("nl") << "nl";
}

void TestHighDpi::captionsFit()
{
    QFETCH(QString, language);
    ProgramWindows windows(language);
    Fitting fitting(screenScale());
    for (QWidget* window : windows.all())
        fitting.check(window);
    // The longest texts of the results: a reversed trip and a foreign currency.
    const char* reversed[] = {"20000", "10000", "40", "60"};
    for (int i = 0; i < 4; ++i)
        windows.main->Text1[i]->setText(QString::fromLatin1(reversed[i]));
    windows.main->Label2->setText(QStringLiteral("GBP"));
    fitting.check(windows.main.get());
    QVERIFY2(fitting.faults.isEmpty(), qPrintable(fitting.faults.join(u'\n')));
}

void TestHighDpi::windowsKeepTheirLayout()
{
    QFETCH(QString, language);
    ProgramWindows windows(language);
    const QSize designed[] = {{572, 186}, {491, 417}, {347, 92}, {372, 270}, {602, 207}, {614, 183}};
    const qreal ratio = screenScale();
    int i = 0;
    for (QWidget* window : windows.all()) {
        const QString name = window->objectName();
        QCOMPARE(window->size(), designed[i++]);
        QCOMPARE(window->devicePixelRatioF(), ratio);
        for (QWidget* control : window->findChildren<QWidget*>()) {
            if (control->objectName().isEmpty() || control->objectName().startsWith(u"qt_") || control->isWindow())
                continue;
            QVERIFY2(control->parentWidget()->rect().contains(control->geometry()),
                     qPrintable(name + u'.' + control->objectName() + QStringLiteral(" leaves its parent")));
        }
        // Drawn at the screen's own resolution, not a small image stretched.
        const QPixmap drawn = window->grab();
        QCOMPARE(drawn.devicePixelRatio(), ratio);
        QCOMPARE(drawn.size(), QSize(qRound(window->width() * ratio), qRound(window->height() * ratio)));
    }
}

void TestHighDpi::picturesAreDrawnForTheScreen()
{
    ProgramWindows windows("en");
    const qreal ratio = screenScale();
    for (QWidget* window : {static_cast<QWidget*>(windows.main.get()), static_cast<QWidget*>(windows.about.get())}) {
        auto* picture = window->findChild<QLabel*>("Image1");
        QVERIFY(picture);
        const QPixmap shown = picture->pixmap();
        QCOMPARE(shown.devicePixelRatio(), ratio);
        QCOMPARE(shown.size(),
                 QSize(int(std::ceil(picture->width() * ratio)), int(std::ceil(picture->height() * ratio))));
    }
}

void TestHighDpi::picturesFollowTheirLabel()
{
    QLabel label;
    label.resize(100, 80);
    Pictures::showIn(&label, Pictures::Main);
    label.show();
    QVERIFY(QTest::qWaitForWindowExposed(&label));
    const qreal ratio = label.devicePixelRatioF();
    const qint64 first = label.pixmap().cacheKey();
    label.resize(200, 120);
    QCOMPARE(label.pixmap().size(), QSize(int(std::ceil(200 * ratio)), int(std::ceil(120 * ratio))));
    QCOMPARE(label.pixmap().devicePixelRatio(), ratio);
    // Another showing at the same size and density draws nothing new.
    const qint64 second = label.pixmap().cacheKey();
    QVERIFY(second != first);
    label.hide();
    label.show();
    QCOMPARE(label.pixmap().cacheKey(), second);
}

QTEST_MAIN(TestHighDpi)
#include "tst_highdpi.moc"
