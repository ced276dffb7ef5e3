#include "gui/users/Form3.h"

#include "core/filetype/modFileType.h"
#include "core/frame/Titles.h"
#include "core/users/Users.h"
#include "gui/WindowContext.h"
#include "gui/base/Appearance.h"
#include "gui/base/Colours.h"
#include "ui_Form3.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollBar>

Form3::Form3(WindowContext& context, QWidget* parent)
    : QWidget(parent), m_ctx(context), ui(std::make_unique<Ui::Form3>())
{
    Accessibility::readAsFrame(this);
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(size());
    setWindowIcon(programIcon());
    Colours::follow(this);
    m_languageAtOpen = m_ctx.language();

    Combo1 = ui->Combo1;
    Combo2 = ui->Combo2;
    Command1 = ui->Command1;
    Label1 = {ui->Label1_0, nullptr, ui->Label1_2};

    Accessibility::labelField(Label1[2], Combo1);
    Accessibility::labelField(Label1[0], Combo2);

    // No completion: a name is taken exactly as typed, letter case included.
    Combo1->setCompleter(nullptr);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->installEventFilter(this);
    Combo2->installEventFilter(this);

    // activated is the user's pick, also of the entry already shown.
    connect(Combo1, &QComboBox::activated, this, &Form3::Combo1_Click);
    connect(Combo2, &QComboBox::activated, this, &Form3::Combo2_Click);
    connect(Combo1->view()->verticalScrollBar(), &QScrollBar::actionTriggered, this, &Form3::Combo1_Scroll);
    connect(Combo2->view()->verticalScrollBar(), &QScrollBar::actionTriggered, this, &Form3::Combo2_Scroll);
    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);

    Form_Load();
}

Form3::~Form3() = default;

void Form3::Form_Load()
{
    // Another run of the program was turned away in main, before any window.
    RegisterDataFileType(m_ctx.services());
}

void Form3::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (shownByProgram(this, event, m_placed, Combo1))
        Form_Activate();
}

void Form3::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    if (m_unloaded)
        return;
    m_unloaded = true;
    // Closed without OK: the user stays who they were, and the windows speak the
    // language the store now holds for them, which a choice here may have changed.
    m_ctx.setLanguage(m_ctx.users().language(m_ctx.user()).value_or(m_languageAtOpen));
    emit closedWithoutOk();
}

void Form3::Form_Activate()
{
    setWindowTitle(QStringLiteral("Tankometer - v") + ProgramVersion());
    Combo1->clear();
    Combo1->clearEditText();
    Combo2->clear();
    Combo2->addItems({QStringLiteral("English"), QStringLiteral("Français"), QStringLiteral("Nederlands")});
    selectCombo2(0);
    CheckUsers();
    ChckLang();
}

void Form3::selectCombo1(int index)
{
    Combo1->setCurrentIndex(index);
    Combo1_Click();
}

void Form3::selectCombo2(int index)
{
    Combo2->setCurrentIndex(index);
    Combo2_Click();
}

void Form3::CheckUsers()
{
    const Users::List users = m_ctx.users().read();
    UserTotal = users.total;
    Combo1->addItems(users.names);
    // Filling an empty box selects its first entry; the list decides instead.
    Combo1->setCurrentIndex(-1);
    Combo1->clearEditText();
    if (users.selected >= 0)
        selectCombo1(users.selected);
    // The first person to start the program is offered the desktop's language.
    if (users.names.isEmpty())
        selectCombo2(m_ctx.desktopLanguage());
}

void Form3::SaveUsers()
{
    // Reported as a failed save is; the user goes on with the program all the
    // same, so that a store that can only be read still shows its data.
    Users& users = m_ctx.users();
    if (!users.confirm(Combo1->currentText(), Combo2->currentIndex()))
        m_ctx.messages().show(this, m_ctx.notWritten(Text::UsersNotSaved, users.reason()), Platform::Critical,
                              windowTitle());
    if (const std::optional<float> total = users.total())
        UserTotal = *total;
}

void Form3::ChckLang()
{
    if (const std::optional<int> language = m_ctx.users().language(Combo1->currentText()))
        selectCombo2(*language);
}

void Form3::ChangLang()
{
    const int index = Combo2->currentIndex();
    if (index < 0)
        return;
    m_ctx.setLanguage(index);
    Label1[2]->setText(LoadResString(Text::UserName + index));
    Label1[0]->setText(LoadResString(Text::Language) + QStringLiteral(" - ") + LoadResString(Text::Language + 1) +
                       QStringLiteral(" - ") + LoadResString(Text::Language + 2));
    Label1[0]->setToolTip(LoadResString(Text::ChooseLanguage + index));
    Combo2->setToolTip(LoadResString(Text::ChooseLanguage + index));
    // Where the data lives: the file of this computer, or a server others share.
    const SettingsStore& store = m_ctx.store();
    ui->StorePlace->setText(store.server().isEmpty()
                                ? m_ctx.text(Text::DataFile).arg(QDir::toNativeSeparators(store.path()))
                                : m_ctx.text(Text::DataOnServer).arg(store.server(), store.database()));
}

void Form3::Combo1_Click()
{
    ChckLang();
}

void Form3::Combo1_KeyUp()
{
    ChckLang();
}

void Form3::Combo1_Scroll()
{
    ChckLang();
}

void Form3::Combo1_KeyPress(int KeyAscii)
{
    if (KeyAscii == 13)
        Command1_Click();
}

void Form3::Combo2_Click()
{
    // A failed write changes nothing here: the window still follows the choice.
    m_ctx.users().storeLanguageIfKnown(Combo1->currentText(), Combo2->currentIndex());
    ChangLang();
}

void Form3::Combo2_KeyUp()
{
    Combo2_Click();
}

void Form3::Combo2_Scroll()
{
    Combo2_Click();
}

void Form3::Combo2_KeyPress(int KeyAscii)
{
    if (KeyAscii == 13)
        Command1_Click();
}

void Form3::Command1_Click()
{
    if (m_unloaded || Combo1->currentText().isEmpty() || Combo2->currentText().isEmpty())
        return;
    // A pasted page of text is no name; one already listed stays usable.
    if (Combo1->currentText().size() > Users::MaxNameLength &&
        Combo1->findText(Combo1->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive) < 0) {
        m_ctx.messages().show(this, m_ctx.text(Text::NameTooLong).arg(Users::MaxNameLength), Platform::Exclamation,
                              windowTitle());
        return;
    }
    m_ctx.setUser(Combo1->currentText());
    SaveUsers();
    m_unloaded = true;
    hide();
    emit confirmed();
    deleteLater();
}

bool Form3::eventFilter(QObject* watched, QEvent* event)
{
    // The boxes get the keys: an editable box hands them to its line edit itself.
    const bool keyEvent = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    if ((watched != Combo1 && watched != Combo2) || !keyEvent)
        return QWidget::eventFilter(watched, event);
    // After OK the window is gone for the user; keys still on their way do nothing.
    if (m_unloaded)
        return true;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (event->type() == QEvent::KeyPress) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            watched == Combo1 ? Combo1_KeyPress(13) : Combo2_KeyPress(13);
            if (m_unloaded)
                return true;
        }
    } else {
        watched == Combo1 ? Combo1_KeyUp() : Combo2_KeyUp();
    }
    return QWidget::eventFilter(watched, event);
}
