#include "records/Form2.h"

#include "frame/Accessibility.h"
#include "frame/Appearance.h"
#include "frame/Conversions.h"
#include "frame/Module1.h"
#include "frame/SettingsStore.h"
#include "frame/StringTable.h"
#include "frame/Titles.h"
#include "records/Report.h"
#include "ui_Form2.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

Form2::Form2(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::Form2>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(programIcon());
    setMinimumSize(MinimumWidth, MinimumHeight);
    Text1 = ui->Text1;
    Command1 = ui->Command1;
    Text1->installEventFilter(this);

    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);

    // Centred on the screen, not over the main window as a dialog would be.
    centreOnScreen(this);
}

Form2::~Form2() = default;

void Form2::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (!m_shown) {
        m_shown = true;
        Command1->setFocus();
    }
    Form_Activate();
}

void Form2::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (Text1)
        Form_Resize();
}

void Form2::Form_Activate()
{
    setWindowTitle(UserWindowTitle(Module1::CurUser));
    Command1->setText(LocalizedText(110));
    Command1->setToolTip(LocalizedText(113));
    // Nothing captions the report; it is what the main window's averages button shows.
    Text1->setAccessibleName(LocalizedText(119));
    AffMoy();
}

// Measured on the client area, so without any allowance for the frame: the
// box spans the width and the button sits 1 px under it.
void Form2::Form_Resize()
{
    const int w = std::max(0, width());
    const int textHeight = std::max(0, height() - ButtonHeight - ButtonGap);
    Text1->setGeometry(0, 0, w, textHeight);
    Command1->setGeometry(0, textHeight + ButtonGap, w, ButtonHeight);
    // The minimum size keeps the window from getting there; a window manager
    // that ignores it still gets the window back, height first.
    if (height() < MinimumHeight)
        resize(width(), MinimumHeight);
    else if (width() < MinimumWidth)
        resize(MinimumWidth, height());
}

void Form2::Command1_Click()
{
    close();
}

void Form2::Text1_KeyDown(int& KeyCode, int Shift)
{
    Q_UNUSED(Shift);
    if (KeyCode == 13)
        Command1_Click();
}

void Form2::AffMoy()
{
    Text1->clear();
    const ReportBody body = BuildReportBody(SettingsStore::current(), Module1::CurUser);
    ReportText = body.text;
    TotalAverage = body.TotalAverage;
    ShowReport(Text1, ComposeReport(body, Module1::CurUser));
}

void Form2::keyPressEvent(QKeyEvent* event)
{
    // The report closes by its button or Enter; Escape would close any dialog.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool Form2::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Text1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        int KeyCode = (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) ? 13 : key->key();
        const Qt::KeyboardModifiers mods = key->modifiers();
        const int Shift = (mods & Qt::ShiftModifier ? 1 : 0) | (mods & Qt::ControlModifier ? 2 : 0) |
                          (mods & Qt::AltModifier ? 4 : 0);
        Text1_KeyDown(KeyCode, Shift);
        if (KeyCode == 13)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void ShowReport(QTextEdit* box, const Report& report)
{
    // Styled before the box sees it: a style change in a document the box
    // already shows lays the text out up to that point, and the final runs
    // sit at the very end of what can be 10,000 lines.
    auto* document = new QTextDocument(box);
    document->setUndoRedoEnabled(false);
    document->setDefaultFont(box->font());
    const LineBreakMap lines(report.text);
    document->setPlainText(lines.documentText());
    const qsizetype last = std::max(0, document->characterCount() - 1);
    const auto place = [&](qsizetype offset) {
        return int(std::clamp<qsizetype>(lines.documentOffset(offset), 0, last));
    };
    QTextCursor cursor(document);
    for (const ReportRun& run : report.runs) {
        cursor.setPosition(place(run.start));
        cursor.setPosition(place(run.start + run.length), QTextCursor::KeepAnchor);
        QTextCharFormat format;
        if (run.style == ReportRun::Bold)
            format.setFontWeight(QFont::Bold);
        else
            format.setForeground(QColor(0, 128, 128));
        cursor.mergeCharFormat(format);
    }
    // The box deletes only the document it made itself; earlier ones of ours
    // are deleted here. Which one it is must be known before the swap.
    QTextDocument* previous = box->document();
    const bool ours = previous->parent() == box;
    box->setDocument(document);
    if (ours)
        delete previous;
    box->setReadOnly(true);
}
