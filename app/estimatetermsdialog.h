#pragma once

// "Параметры сметы": the estimate's date and how its VAT rate is chosen, by the law on that
// date or fixed by the firm.

#include "vatlaw.h"

#include <QDialog>

class QDateEdit;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace dalko {

class EstimateTermsDialog : public QDialog {
    Q_OBJECT
  public:
    EstimateTermsDialog(const EstimateTerms &terms, const NumberFormat &format, QWidget *parent);

    // What the dialog holds; the fixed rate only once it reads as a rate.
    EstimateTerms terms() const;

    QDateEdit *DateEdit;
    QRadioButton *ByLawButton;
    QLabel *LawRateLabel; // the rate the law gives on the chosen date
    QRadioButton *FixedButton;
    QLineEdit *FixedRateEdit;

    void accept() override;

  private:
    void showLawRate();

    NumberFormat m_format;
};

// The rate a firm fixed, kept in the settings across starts; nothing when it follows the law.
std::optional<double> storedFixedVatPercent();
void storeFixedVatPercent(std::optional<double> percent);

} // namespace dalko
