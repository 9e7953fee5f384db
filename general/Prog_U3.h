#pragma once

#include "general/generalcalc.h"

#include "estimate/filler.h"

#include "costpage.h"
#include "keyfilter.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace dalko {

class CustomerPage;
class EditableList;

// The general calculator, page 3: the object characteristics and the cost of the audit.
class TProg_F3 : public CostPage {
    Q_OBJECT
  public:
    // Reads the customer page and the consumption page's totals; their report lines come
    // first in this calculator's files.
    TProg_F3(Session &session, const CustomerPage &customer, const general::FuelTotals &fuel,
             const report::BoundLines &earlierLines);

    // The recomputation of the cost; also the change handler of the five lists.
    void FormActivate() override;
    QList<estimate::Replacement> estimateReplacements() const override;
    report::BoundLines reportBindings() override;

    QGroupBox *GroupBox1;
    QGroupBox *GroupBox2;
    EditableList *ComboBox1; // branch of industry
    QGroupBox *GroupBox3;
    QLabel *Label4;
    EditableList *ComboBox2; // location and number of objects
    QLabel *Label3;
    QLineEdit *Edit1; // floor area, square metres
    QLabel *Label5;
    QLabel *Label6;
    QLabel *Label7; // cost per square metre
    QGroupBox *GroupBox4;
    QLabel *Label8;
    EditableList *ComboBox3; // metering
    QLabel *Label9;
    EditableList *ComboBox4; // expertise
    EditableList *ComboBox5; // VAT
    QLabel *Label10;
    QLabel *Label11; // total cost
    general::CostQuantities quantities;

  protected:
    journal::Record journalRecord() const override;

  private:
    void FormCreate();
    void Edit1Change();
    general::CostInputs costInputs() const;

    NumericKeyFilter *Edit1KeyPress;
    const CustomerPage &m_customer;
    const general::FuelTotals &m_fuel;
    const report::BoundLines m_earlierLines;
};

} // namespace dalko
