#pragma once

#include "core/frame/SettingsStore.h"
#include "gui/WindowContext.h"

#include <QString>

#include <vector>

// What the benchmarks share: medians, the memory a process uses, and stores
// of many fill-ups made once beside the benchmark.
namespace Bench
{
double median(std::vector<double> values);

// A field of /proc/self/status in kB ("VmRSS:", "VmHWM:").
long statusKb(const char* field);
// The peak (VmHWM) from now on starts at the memory in use now.
void resetPeak();

// The store `name` beside the benchmark, made once: `keys`, then the rows
// that `insertSql` adds in one statement (%1 stands for `records`).
QString storeMadeOnce(const QString& name, const std::vector<SettingsStore::Write>& keys, const QString& insertSql,
                      int records);
// The windows' context over a store for one user, in English notation, with
// the real services, or the message boxes given.
class Windows
{
public:
    Windows(SettingsStore& store, const QString& user, Platform::MessageBoxes* messages = nullptr);
    WindowContext& context() { return m_context; }

private:
    WindowContext m_context;
};
} // namespace Bench
