#pragma once

#include "general/generalcalc.h"

#include "keyfilter.h"
#include "reportbinding.h"
#include "window.h"

#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace dalko {

class EditableList;

// The general calculator, page 2: the consumption of nine fuels and energies, their total in
// т.у.т. and the base labour norm.
class TProg_F2 : public Page {
    Q_OBJECT
  public:
    explicit TProg_F2(Session &session);

    void FormActivate() override;
    void RecomputeBaseNorm();
    // The consumption lines of the report files.
    report::BoundLines reportBindings() const;

    // What the cost page reads.
    const general::FuelTotals &fuelTotals() const { return fuel; }

    QGroupBox *GroupBox1;
    QLabel *Label3;
    EditableList *ComboBox1;                                   // the year, for the user only
    std::array<QLineEdit *, general::ResourceCount> Edits;     // Edit1 … Edit9
    std::array<QLabel *, general::ResourceCount> ResultLabels; // Label31 … Label39
    QLabel *Label41;
    QLabel *Label40; // the total
    QLabel *NormWarning;
    QPushButton *Button1; // "Далее"
    QPushButton *Button2; // "Назад"

    general::FuelTotals fuel;
    int NormLowerRow = 0;
    int NormUpperRow = 0;

  private:
    void EditChange(int row); // Edit1Change … Edit9Change

    NumericKeyFilter *keyFilter; // Edit1KeyPress … Edit9KeyPress
};

} // namespace dalko
