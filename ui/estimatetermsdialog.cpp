#include "estimatetermsdialog.h"

#include "settings.h"

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

namespace dalko {

namespace {

const QString FixedVatKey = QStringLiteral("estimate/fixedVatPercent");

QString percentText(double percent, const NumberFormat &format)
{
    return numberToText(percent, format.decimal);
}

} // namespace

EstimateTermsDialog::EstimateTermsDialog(const EstimateTerms &terms, const NumberFormat &format,
                                         QWidget *parent)
    : QDialog(parent), m_format(format)
{
    setWindowTitle(QStringLiteral("Параметры сметы"));
    DateEdit = new QDateEdit(terms.date, this);
    DateEdit->setObjectName(QStringLiteral("DateEdit"));
    DateEdit->setCalendarPopup(true);
    DateEdit->setDisplayFormat(format.shortDateFormat);
    ByLawButton = new QRadioButton(QStringLiteral("по закону на дату сметы"), this);
    LawRateLabel = new QLabel(this);
    FixedButton = new QRadioButton(QStringLiteral("установить ставку"), this);
    FixedRateEdit = new QLineEdit(this);
    FixedRateEdit->setObjectName(QStringLiteral("FixedRateEdit"));
    FixedRateEdit->setAccessibleName(QStringLiteral("Ставка НДС, %"));
    FixedRateEdit->setMaxLength(9);
    FixedRateEdit->setText(percentText(terms.fixedVatPercent.value_or(terms.vatPercent()), format));
    (terms.fixedVatPercent ? FixedButton : ByLawButton)->setChecked(true);
    FixedRateEdit->setEnabled(FixedButton->isChecked());
    connect(FixedButton, &QRadioButton::toggled, FixedRateEdit, &QLineEdit::setEnabled);
    connect(DateEdit, &QDateEdit::dateChanged, this, &EstimateTermsDialog::showLawRate);
    showLawRate();

    auto *rate = new QGridLayout;
    rate->addWidget(ByLawButton, 0, 0);
    rate->addWidget(LawRateLabel, 0, 1);
    rate->addWidget(FixedButton, 1, 0);
    auto *fixed = new QHBoxLayout;
    fixed->addWidget(FixedRateEdit);
    fixed->addWidget(new QLabel(QStringLiteral("%"), this));
    rate->addLayout(fixed, 1, 1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &EstimateTermsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &EstimateTermsDialog::reject);
    auto *form = new QFormLayout(this);
    form->addRow(QStringLiteral("Дата сметы:"), DateEdit);
    form->addRow(QStringLiteral("Ставка НДС:"), rate);
    form->addRow(buttons);
}

void EstimateTermsDialog::showLawRate()
{
    LawRateLabel->setText(
        QStringLiteral("(%1 %)").arg(percentText(legalVatPercent(DateEdit->date()), m_format)));
}

EstimateTerms EstimateTermsDialog::terms() const
{
    EstimateTerms terms;
    terms.date = DateEdit->date();
    // Today chosen means the day the estimate is formed, as before the dialog.
    terms.dateChosen = terms.date != QDate::currentDate();
    if (FixedButton->isChecked())
        terms.fixedVatPercent = parseVatPercent(FixedRateEdit->text());
    return terms;
}

void EstimateTermsDialog::accept()
{
    if (FixedButton->isChecked() && !parseVatPercent(FixedRateEdit->text())) {
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("Ставка НДС — число процентов от 0 до 99, например 20 "
                                            "или 22."));
        FixedRateEdit->setFocus();
        return;
    }
    QDialog::accept();
}

std::optional<double> storedFixedVatPercent()
{
    const QVariant stored = appSettings().value(FixedVatKey);
    return stored.isValid() ? parseVatPercent(stored.toString()) : std::nullopt;
}

void storeFixedVatPercent(std::optional<double> percent)
{
    QSettings stored = appSettings();
    if (percent)
        stored.setValue(FixedVatKey, QString::number(*percent));
    else
        stored.remove(FixedVatKey);
}

} // namespace dalko
