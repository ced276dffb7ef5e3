#pragma once

#include "core/records/FillUpEdits.h"

#include <QDialog>

#include <memory>

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
    FillUpEditor(const FillUpTable& records, size_t position, QWidget* parent = nullptr);
    ~FillUpEditor() override;

    // The record's keys as OK leaves them.
    const FillUpTable::Texts& texts() const { return m_check.texts; }

private:
    FillUpFields typed() const;
    void check();

    std::unique_ptr<Ui::FillUpEditor> ui;
    FillUpTable::Texts m_stored;
    FillUpFields m_shown;
    FillUpCheck m_check;
    bool m_dateTouched = false;
};
