#pragma once

#include "core/records/FillUpEdits.h"

#include <QDialog>

#include <memory>

class WindowContext;

namespace Ui
{
class FillUpEditor;
}

// Corrects one fill-up: its date, distance and litres (or its consumption
// when neither is known) and its amount in Euro, read and checked as the main
// window reads and checks them; OK stays off while they cannot be saved. The
// caller writes the result.
class FillUpEditor : public QDialog
{
    Q_OBJECT

public:
    FillUpEditor(WindowContext& context, const FillUp& stored, QWidget* parent = nullptr);
    ~FillUpEditor() override;

    // The fill-up as OK leaves it.
    const FillUp& fillUp() const { return m_check.fillUp; }

private:
    FillUp typed() const;
    void check();

    WindowContext& m_ctx;
    std::unique_ptr<Ui::FillUpEditor> ui;
    FillUp m_stored;
    FillUp m_shown;
    FillUpCheck m_check;
    bool m_dateTouched = false;
};
