#pragma once

#include "generalcalc.h"

#include "estimate/filler.h"

#include "app/keyfilter.h"
#include "app/window.h"

class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace dalko {

class EditableList;

// The general calculator, page 3: the object characteristics and the cost of the audit.
class TProg_F3 : public Page {
    Q_OBJECT
public:
    explicit TProg_F3(Program &program);

    // The recomputation of the cost; also the change handler of the five lists.
    void FormActivate() override;
    void Button1Click(); // "Печать сметы"
    // The estimate's replacements from the current quantities and texts.
    QList<estimate::Replacement> estimateReplacements() const;

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
    QPushButton *Button1; // "Печать сметы"
    QPushButton *Button4; // "Сохранить файл отчета"
    QPushButton *Button2; // "Назад"
    QPushButton *Button3; // "Выход"
    QFileDialog *SaveDialog1;

    general::CostQuantities quantities;

private:
    void FormCreate();
    void Edit1Change();
    void Button4Click();
    general::CostInputs costInputs() const;

    NumericKeyFilter *Edit1KeyPress;
};

} // namespace dalko
