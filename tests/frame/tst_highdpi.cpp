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

// A picture drawn for its label at the screen's density, not an image stretched.
bool isSharp(const QLabel* label)
{
    const qreal ratio = label->devicePixelRatioF();
    return label->pixmap().devicePixelRatio() == ratio &&
           label->pixmap().size() ==
               QSize(int(std::ceil(label->width() * ratio)), int(std::ceil(label->height() * ratio)));
}

// Adds to faults every control of window that leaves its parent or cuts off its caption.
void checkFits(QWidget* window, qreal ratio, QStringList& faults)
{
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        const QString name = widget->objectName();
        if (name.isEmpty() || name.startsWith(u"qt_") || widget->window() != window || !widget->isVisibleTo(window))
            continue;
        const QString where = window->objectName() + u'.' + name;
        if (!widget->parentWidget()->rect().contains(widget->geometry()))
            faults << where + QStringLiteral(" leaves its parent");
        QStringList texts;
        qreal room = 0;
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            if (label->text().isEmpty() || label->wordWrap())
                continue;
            const int m = label->margin();
            const QRect box = label->contentsRect().marginsRemoved(QMargins(m, m, m, m));
            const QFontMetrics metrics(label->font());
            int indent = label->indent();
            if (indent < 0)
                indent = label->frameWidth() > 0 ? metrics.horizontalAdvance(u'x') / 2 : 0;
            texts << label->text();
            room = box.width() - ((label->alignment() & Qt::AlignHCenter) ? 0 : indent);
            // Upright, the ink counts: the line box of a large font may overhang
            // a low label while the letters stay inside.
            const qreal baseline = (box.height() - metrics.height()) / 2.0 + metrics.ascent();
            const QRectF ink = QFontMetricsF(label->font()).tightBoundingRect(label->text());
            if (baseline + ink.top() < -0.5 || baseline + ink.bottom() > box.height() + 0.5)
                faults << QStringLiteral("%1 \"%2\": letters stand out of a label %3 px high")
                              .arg(where, label->text())
                              .arg(box.height());
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            const bool box = qobject_cast<QCheckBox*>(button);
            texts << button->text();
            room =
                button->style()
                    ->subElementRect(box ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents, &option, button)
                    .width();
        } else if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
            QStyleOptionGroupBox option;
            option.initFrom(frame);
            option.text = frame->title();
            option.lineWidth = 1;
            option.textAlignment = frame->alignment();
            option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
            const QRect title =
                frame->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
            texts << frame->title();
            room = frame->width() - title.left() -
                   (title.width() - QFontMetricsF(frame->font()).horizontalAdvance(frame->title()));
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            QStyleOptionFrame option;
            option.initFrom(edit);
            option.rect = edit->rect();
            option.lineWidth =
                edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit) : 0;
            texts << edit->text();
            // A line edit keeps 2 px on each side and 1 for the cursor.
            room = edit->style()
                       ->subElementRect(QStyle::SE_LineEditContents, &option, edit)
                       .marginsRemoved(edit->textMargins())
                       .width() -
                   5;
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            QStyleOptionComboBox option;
            option.initFrom(combo);
            option.editable = combo->isEditable();
            option.frame = combo->hasFrame();
            option.subControls = QStyle::SC_All;
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
            room = combo->style()
                       ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo)
                       .width() -
                   2;
        } else if (auto* text = qobject_cast<QPlainTextEdit*>(widget)) {
            QTextDocument* document = text->document();
            qreal height = document->documentMargin();
            for (QTextBlock block = document->firstBlock(); block.isValid(); block = block.next())
                height += document->documentLayout()->blockBoundingRect(block).height();
            if (height > text->viewport()->height())
                faults << QStringLiteral("%1: text %2 px high in a box of %3")
                              .arg(where)
                              .arg(height)
                              .arg(text->viewport()->height());
        }
        for (const QString& caption : texts) {
            const qreal need = caption.isEmpty() ? 0 : drawnWidth(widget->font(), caption, ratio);
            if (need > room + 0.01)
                faults << QStringLiteral("%1 \"%2\": needs %3 px, has %4")
                              .arg(where, caption)
                              .arg(need, 0, 'f', 1)
                              .arg(room);
        }
    }
}
} // namespace

class TestHighDpi : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void windowsKeepTheirLayout_data();
    void windowsKeepTheirLayout();
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

void TestHighDpi::windowsKeepTheirLayout_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("en") << "en";
    QTest::newRow("fr") << "fr";
    QTest::newRow("nl") << "nl";
}

void TestHighDpi::windowsKeepTheirLayout()
{
    QFETCH(QString, language);
    ProgramWindows windows(language);
    const qreal ratio = screenScale();
    const QSize designed[] = {{572, 186}, {491, 417}, {347, 92}, {372, 270}, {602, 207}, {614, 183}};
    QStringList faults;
    int i = 0;
    for (QWidget* window : windows.all()) {
        QCOMPARE(window->size(), designed[i++]);
        QCOMPARE(window->devicePixelRatioF(), ratio);
        checkFits(window, ratio, faults);
    }
    // The pictures are drawn from their vector source at the screen's density.
    QVERIFY(isSharp(windows.main->findChild<QLabel*>("Image1")) &&
            isSharp(windows.about->findChild<QLabel*>("Image1")));
    // The longest texts of the results: a reversed trip and a foreign currency.
    for (int j = 0; j < 4; ++j)
        windows.main->Text1[j]->setText(QStringList{"20000", "10000", "40", "60"}[j]);
    windows.main->Label2->setText(QStringLiteral("GBP"));
    checkFits(windows.main.get(), ratio, faults);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
}

void TestHighDpi::picturesFollowTheirLabel()
{
    QLabel label;
    label.resize(100, 80);
    Pictures::showIn(&label, Pictures::Main);
    label.show();
    QVERIFY(QTest::qWaitForWindowExposed(&label));
    const qint64 first = label.pixmap().cacheKey();
    label.resize(200, 120);
    QVERIFY(isSharp(&label) && label.pixmap().cacheKey() != first);
    // Another showing at the same size and density draws nothing new.
    const qint64 second = label.pixmap().cacheKey();
    label.hide();
    label.show();
    QCOMPARE(label.pixmap().cacheKey(), second);
}

QTEST_MAIN(TestHighDpi)
#include "tst_highdpi.moc"
