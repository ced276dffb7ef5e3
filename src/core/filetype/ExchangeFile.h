#pragma once

// The first step of an import: one pass over the file's records, which
// finds the shape of the file and the header of its fill-ups, keeps the
// cells of the columns assigned, what its other sections say of vehicles
// and dates, and counts every line it passes over.

#include "core/filetype/Exchange.h"

#include <map>
#include <memory>

namespace Exchange
{
struct FileRows
{
    Shape shape;
    QString headerLine;  // the header as it stands, which a remembered assignment goes with
    Assignment proposed; // what the file's shape says
    bool chosen = false; // the assignment is the user's: given or remembered
    std::unique_ptr<RowStore> rows;
    std::vector<VehicleInfo> vehicles;
    std::map<QString, qint64> otherSections; // lines by the title of a section without fill-ups
};

// Reads the device into rows and the plan's header, preview, assignment and
// refusals; nothing, with plan.problem, when it is no file of fill-ups.
std::optional<FileRows> ReadFile(QIODevice& device, Context& context, const ImportChoices& choices, ImportPlan& plan);
} // namespace Exchange
