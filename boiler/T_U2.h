#pragma once

#include "boiler/boilercalc.h"

#include "estimate/filler.h"

#include "costpage.h"

class QGroupBox;
class QLabel;
class QPushButton;

namespace dalko {

class CustomerPage;
class EditableList;

// The boiler-house calculator, page 2: the boiler-house characteristics and the cost.
class TT_F2 : public CostPage {
    Q_OBJECT
  public:
    // Reads the customer page; its report lines come first in this calculator's files.
    TT_F2(Session &session, const CustomerPage &customer);

    void FormActivate() override;
    void Recalculate();
    // Fails where a percentage does not convert.
    QList<estimate::Replacement> estimateReplacements() const override;
    report::BoundLines reportBindings() override;
    // The fuel and firing-mode lists show the items of the loaded factors.
    void reportLoaded() override;

    QGroupBox *GroupBox1;
    QLabel *Label3;
    EditableList *ComboBox1; // working boilers
    QLabel *Label4;
    EditableList *ComboBox2; // installed capacity
    QLabel *Label5;
    EditableList *ComboBox3; // kind of boilers
    QLabel *Label6;
    EditableList *ComboBox6; // fuel
    QLabel *Label7;
    EditableList *ComboBox7; // firing modes per boiler
    QLabel *Label9;
    EditableList *ComboBox4; // expertise
    EditableList *ComboBox5; // VAT
    QLabel *Label10;
    QLabel *Label11; // total cost
    boiler::Quantities quantities;

  protected:
    journal::Record journalRecord() const override;

  private:
    void FormCreate();
    // A list's change handler: its factors from the selected index, then Recalculate.
    void bindList(EditableList *list, void (*choose)(int, boiler::Quantities &));

    const CustomerPage &m_customer;
};

} // namespace dalko
