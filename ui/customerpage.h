#pragma once

// The first page of either calculator: the customer, the place and the objects of the
// survey, and the firm's four financial parameters.

#include "costrules.h"
#include "keyfilter.h"
#include "window.h"

#include "reportbinding.h"

class QCheckBox;
class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace dalko {

class CustomerPage : public Page {
    Q_OBJECT
  public:
    // Loads report files of this calculator.
    CustomerPage(Session &session, report::Calculator calculator);

    FinancialTexts financialTexts() const;
    CustomerTexts customerTexts() const;
    // The first lines of this calculator's report files.
    virtual report::BoundLines reportBindings() const;

    QGroupBox *GroupBox1;
    QLabel *Label3;
    QLineEdit *Edit1; // customer
    QCheckBox *CheckBox1;
    QLabel *Label8;
    QLineEdit *Edit5; // location of the objects
    QLabel *Label9;
    QLineEdit *Edit6; // objects surveyed
    QGroupBox *GroupBox2;
    QLineEdit *Edit2; // monthly salary, roubles
    QLineEdit *Edit3; // overheads, %
    QLineEdit *Edit4; // estimated profit, %
    QLineEdit *Edit7; // regional coefficient, %
    QLabel *Label4;
    QLabel *Label5;
    QLabel *Label6;
    QLabel *Label7;
    QPushButton *Button2; // "Загрузить данные"
    QPushButton *Button1; // "Далее"
    QFileDialog *OpenDialog1;

  private:
    void Button1Click();
    void Button2Click();
    void FormCreate();
    void CheckBox1Click();

    NumericKeyFilter *Edit3KeyPress;
    report::Calculator m_calculator;
};

} // namespace dalko
