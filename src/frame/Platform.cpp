#include "frame/Platform.h"

#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include "frame/win32/WinCalculator.h"
#endif

namespace Platform
{
namespace
{
class DesktopMessageBoxes : public MessageBoxes
{
public:
    void show(QWidget* parent, const QString& text, int style, const QString& title) override
    {
        const QMessageBox::Icon icon = style == Critical      ? QMessageBox::Critical
                                       : style == Exclamation ? QMessageBox::Warning
                                                              : QMessageBox::Information;
        QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
        box.exec();
    }
};

class DesktopLauncher : public Launcher
{
public:
    bool start(const QString& program) override { return QProcess::startDetached(program, {}); }

    QStringList calculatorPaths() override
    {
#ifdef Q_OS_WIN
        QStringList paths;
        for (const std::wstring& path : WinNative::calculatorPaths())
            paths << QString::fromStdWString(path);
        return paths;
#else
        // The desktop's own calculator: the first of the usual ones installed.
        for (const char* name : {"gnome-calculator", "kcalc", "mate-calc", "galculator", "qalculate-gtk", "xcalc"}) {
            const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
            if (!path.isEmpty())
                return {path};
        }
        return {};
#endif
    }
};

class SystemClock : public Clock
{
public:
    QDateTime now() override { return QDateTime::currentDateTime(); }
};
} // namespace

Services& services()
{
    static DesktopMessageBoxes messages;
    static DesktopLauncher launcher;
    static SystemClock clock;
    static Services s{&messages, &launcher, &clock};
    return s;
}
} // namespace Platform
