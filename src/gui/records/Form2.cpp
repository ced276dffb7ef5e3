#include "gui/records/Form2.h"

#include "core/frame/Log.h"
#include "core/frame/Titles.h"
#include "core/records/FillUpTrend.h"
#include "core/records/Report.h"
#include "gui/WindowContext.h"
#include "gui/base/Appearance.h"
#include "gui/base/Colours.h"
#include "gui/base/StoreWatcher.h"
#include "gui/records/FillUpChart.h"
#include "gui/records/FillUpLogPage.h"
#include "ui_Form2.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHideEvent>
#include <QKeyEvent>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShortcut>
#include <QTabBar>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <array>

Form2::Form2(WindowContext& context, QWidget* parent)
    : QDialog(parent), m_ctx(context), ui(std::make_unique<Ui::Form2>()),
      m_names(context.announcer(), context.speech()), m_log(context.fillUps(), context.speech())
{
    // Before the tab list is made: it is read by its own name.
    Accessibility::install();
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(programIcon());
    setMinimumSize(MinimumWidth, MinimumHeight);
    Text1 = ui->Text1;
    Command1 = ui->Command1;
    ReportTabs = ui->ReportTabs;
    Text1->installEventFilter(this);
    m_logPage = new FillUpLogPage(m_ctx, m_log, ui->FillUpsPage);
    ui->fillUpsLayout->addWidget(m_logPage);
    m_chart = new FillUpChart(m_ctx, ui->ChartPage);
    ui->chartLayout->addWidget(m_chart);
    setTabOrder(Command1, ReportTabs);
    setTabOrder(ReportTabs, Text1);

    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(m_logPage, &FillUpLogPage::changed, this, &Form2::changed);
    // Not inside the undo stack's call that found the change: reading anew empties it.
    connect(m_logPage, &FillUpLogPage::readAgain, this, &Form2::AffMoy, Qt::QueuedConnection);
    connect(ReportTabs, &QTabWidget::currentChanged, this, &Form2::showStale);
    // Another program's change shows at once, unless a question or the editor is open over the log.
    connect(new StoreWatcher(m_ctx.store(), this), &StoreWatcher::changed, this, [this] {
        const QWidget* modal = QApplication::activeModalWidget();
        if (m_shown && (!modal || modal == this) && m_log.isStale())
            AffMoy();
    });
    // Anywhere in the window, as long as it is open; Ctrl+Shift+Z also where
    // the desktop's redo key is another.
    QUndoStack& history = m_logPage->history();
    QList<QKeySequence> redo = QKeySequence::keyBindings(QKeySequence::Redo);
    if (!redo.contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)))
        redo << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
    auto* undoKeys = new QShortcut(this);
    undoKeys->setKeys(QKeySequence::Undo);
    auto* redoKeys = new QShortcut(this);
    redoKeys->setKeys(redo);
    connect(undoKeys, &QShortcut::activated, &history, &QUndoStack::undo);
    connect(redoKeys, &QShortcut::activated, &history, &QUndoStack::redo);
    m_logPage->setKeys(undoKeys->keys(), redoKeys->keys());
}

Form2::~Form2() = default;

void Form2::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    // Its size follows from what the tabs show: the texts and records first.
    Form_Activate();
    if (!m_shown)
        placeWindow();
}

// Where the user left it, kept inside the screen; otherwise centred on the
// screen, not over the main window as a dialog would be, and as wide as the
// log needs.
void Form2::placeWindow()
{
    m_shown = true;
    if (const std::optional<Users::Place> saved = m_ctx.users().reportPlace(m_ctx.user())) {
        resize(saved->rect.size().expandedTo(minimumSize()));
        move(saved->rect.topLeft());
        fitOnScreen(this);
        if (saved->maximized)
            setWindowState(windowState() | Qt::WindowMaximized);
    } else {
        const int tabsFrame = ReportTabs->width() - ReportTabs->contentsRect().width();
        resize(std::max(width(), m_logPage->fullWidth() + tabsFrame), height());
        centreOnScreen(this);
    }
    m_opened = place();
    Command1->setFocus();
}

Users::Place Form2::place() const
{
    // The frame's top left, as move() takes it, and the inner size of the
    // window as it is when not maximized.
    const QRect inner = isMaximized() ? normalGeometry() : geometry();
    return {QRect(inner.topLeft() - (geometry().topLeft() - pos()), inner.size()), isMaximized()};
}

void Form2::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    const Users::Place now = place();
    if (event->spontaneous() || !m_shown || (now.rect == m_opened.rect && now.maximized == m_opened.maximized))
        return;
    // Not worth a message: the window merely opens as it did before.
    if (!m_ctx.users().setReportPlace(m_ctx.user(), now))
        qCWarning(lcStore, "ReportPlace not kept: %s", qUtf8Printable(m_ctx.users().reason()));
}

void Form2::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (Text1)
        Form_Resize();
}

void Form2::Form_Activate()
{
    setWindowTitle(UserWindowTitle(m_ctx.user()));
    Command1->setText(m_ctx.text(Text::Close));
    Command1->setToolTip(m_ctx.text(Text::CloseTip));
    // Nothing captions the report; it is what the main window's averages button shows.
    m_names.setName(Text1, m_ctx.text(Text::Average));
    for (int tab = 0; tab < 3; ++tab)
        ReportTabs->setTabText(tab, m_ctx.text(std::array{Text::AveragesTab, Text::FillUpsTab, Text::ChartTab}[tab]));
    // What the main window's averages button says it opens; the tab list would
    // otherwise be read by the name of its current tab.
    m_names.setName(ReportTabs, m_ctx.text(Text::AverageTip));
    m_names.setName(ReportTabs->tabBar(), m_ctx.text(Text::ReportPages));
    m_logPage->setTexts();
    m_chart->setTexts();
    AffMoy();
}

// Another program may have changed the records while the user was there.
void Form2::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_shown && m_log.isStale())
        AffMoy();
    // The report's teal follows the palette; the chart follows it by itself.
    if (event->type() == QEvent::PaletteChange && m_shown) {
        m_averagesStale = true;
        showStale();
    }
}

// Measured on the client area, so without any allowance for the frame: the
// tabs, where the report box stood, span the width and the button sits 1 px
// under them.
void Form2::Form_Resize()
{
    const int w = std::max(0, width());
    const int textHeight = std::max(0, height() - ButtonHeight - ButtonGap);
    ReportTabs->setGeometry(0, 0, w, textHeight);
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
    m_log.read(m_ctx.user());
    m_logPage->history().clear();
    m_logPage->showTotals();
    changed();
}

// A tab shows the records anew when it is shown after a change, not with
// every change: renumbering 100,000 records is quick enough without.
void Form2::showStale()
{
    QWidget* shown = ReportTabs->currentWidget();
    if (m_averagesStale && shown == ui->AveragesPage) {
        m_averagesStale = false;
        ShowReport(Text1, BuildReport(m_log.list(), m_ctx.user(), m_ctx.speech(), &TotalAverage));
    }
    if (m_chartStale && shown == ui->ChartPage) {
        m_chartStale = false;
        m_chart->setTrend(BuildTrend(m_log.list(), 1200));
    }
}

void Form2::changed()
{
    m_averagesStale = m_chartStale = true;
    showStale();
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

void ShowReport(QPlainTextEdit* box, Report report)
{
    QString& text = report.text;
    const LineBreakMap lines(text);
    // A text box lays a paragraph out as a whole, and inserting 100,000 of
    // them takes longer than building the report: lines are joined into
    // paragraphs of 32 by line separators, which it breaks as lines. The last
    // lines stay paragraphs of their own.
    qsizetype lastBreaks = text.lastIndexOf(u'\n');
    for (int i = 0; i < 3 && lastBreaks > 0; ++i)
        lastBreaks = text.lastIndexOf(u'\n', lastBreaks - 1);
    int line = 0;
    for (qsizetype i = 0; i < lastBreaks; ++i)
        if (text[i] == u'\n' && ++line % 32 != 0)
            text[i] = QChar::LineSeparator;
    // Styled before the box sees it: a style change in a document the box
    // already shows lays the text out up to that point, and the final runs
    // sit at the very end of what can be 100,000 lines.
    auto* document = new QTextDocument(box);
    document->setUndoRedoEnabled(false);
    document->setDocumentLayout(new QPlainTextDocumentLayout(document));
    document->setDefaultFont(box->font());
    document->setPlainText(text);
    text = QString();
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
            format.setForeground(Colours::readable(Colours::Teal, box->palette(), QPalette::Base));
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
