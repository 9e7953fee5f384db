#include "costpage.h"

#include "estimatetermsdialog.h"
#include "session.h"

#include "estimate/estimatenumber.h"
#include "estimate/templatefiles.h"
#include "estimatepreview.h"
#include "estimateprint.h"

#include <QFileDialog>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace dalko {

namespace {
constexpr int LargeButtonY = 611;
constexpr QSize LargeButtonSize{300, 42};
constexpr Place PrintButton{387, LargeButtonY, LargeButtonSize.width(), LargeButtonSize.height()};
constexpr Place BackButton{859, 625, 100, 25};
constexpr Place ExitButton{965, 625, 100, 25};
// In the free part of the bottom row, between "Печать сметы" and "Назад".
constexpr Place PreviewButton{697, 625, 152, 25};
// Above "Просмотр сметы…", in the strip between the group and the bottom row.
constexpr Place JournalButton{697, 603, 152, 20};
} // namespace

CostPage::CostPage(Session &session, const Kind &kind)
    : Page(session,
           QStringLiteral("Определение стоимости работ в области энергетического обследования"),
           kind.titleX),
      m_kind(kind)
{
    setWindowIcon(QIcon(Session::installDir() + QStringLiteral("/estimate.png")));
    Button4 = addLargeButton(
        "Button4",
        {kind.saveButtonX, LargeButtonY, LargeButtonSize.width(), LargeButtonSize.height()},
        QStringLiteral("Сохранить файл отчета"), kind.largeButtonFont);
    Button1 = addLargeButton("Button1", PrintButton, QStringLiteral("Печать сметы"),
                             kind.largeButtonFont);
    Button2 = addNavigationButton("Button2", BackButton, QStringLiteral("Назад"));
    Button3 = addNavigationButton("Button3", ExitButton, QStringLiteral("Выход"));
    Button5 = addNavigationButton("Button5", PreviewButton, QStringLiteral("Просмотр сметы…"));
    Button7 = addNavigationButton("Button7", JournalButton, QStringLiteral("Журнал смет"));
    SaveDialog1 = report::makeSaveDialog(this);

    connect(Button1, &QPushButton::clicked, this, guarded(&CostPage::Button1Click));
    connect(Button4, &QPushButton::clicked, this, guarded(&CostPage::Button4Click));
    connect(Button5, &QPushButton::clicked, this, guarded(&CostPage::Button5Click));
    connect(Button2, &QPushButton::clicked, this,
            guarded([this] { switchWindow(this, m_previous); }));
    connect(Button3, &QPushButton::clicked, this, guarded([this] { m_session.endProgram(); }));
    connect(Button7, &QPushButton::clicked, this, guarded([this] { m_session.openJournal(this); }));
}

void CostPage::addEstimateTerms(QWidget *costGroup)
{
    VatCaption = addLabel(costGroup, "VatCaption", m_kind.vatCaption, QString());
    VatCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // In the small face of the bottom row's buttons, not the group's.
    Button6 = addButton(costGroup, "Button6", m_kind.termsButton,
                        QStringLiteral("Параметры сметы…"), FontSpec{});
    connect(Button6, &QPushButton::clicked, this, guarded(&CostPage::Button6Click));
    showVatCaption();
}

void CostPage::showVatCaption()
{
    VatCaption->setText(vatCaption(m_session.estimateTerms, m_session.regional));
}

void CostPage::nameCostOptions(QWidget *expertise, QWidget *vat)
{
    expertise->setAccessibleName(QStringLiteral("Стоимость экспертизы"));
    vat->setAccessibleName(QStringLiteral("НДС"));
}

void CostPage::recompute(const std::function<void()> &steps)
{
    m_session.estimateTerms.followToday();
    showVatCaption();
    try {
        steps();
        m_failure.reset();
    } catch (const Error &error) {
        m_failure = error.message();
        throw;
    }
}

void CostPage::formToday()
{
    if (m_session.estimateTerms.followToday())
        FormActivate();
}

void CostPage::requireCompleteCalculation() const
{
    if (m_failure)
        throw Error(QStringLiteral("Расчет стоимости не завершен, смета не сформирована. %1")
                        .arg(errorBoxText(*m_failure)));
}

QString CostPage::templatePath() const
{
    return estimate::findTemplate(m_kind.templateName,
                                  estimate::templateFolders(Session::installDir()));
}

QStringList CostPage::reportLines()
{
    return report::collect(reportBindings(), m_session.regional.decimal);
}

journal::Record CostPage::estimateRecord()
{
    journal::Record record = journalRecord();
    record.inputs = report::encode(reportLines());
    return record;
}

void CostPage::issue(const std::function<QString(const QString &number)> &output)
{
    const journal::Issued issued =
        journal::issueRecorded(journal::defaultLocation(), estimateRecord(), output);
    if (!issued.notices.isEmpty())
        throw Error(issued.notices.join(u'\n'));
}

QStringList CostPage::fillEstimate(estimate::DocumentFiller &filler,
                                   const QList<estimate::Replacement> &replacements,
                                   const QString &number) const
{
    filler.open(templatePath());
    return filler.fill(estimate::numbered(replacements, number));
}

void CostPage::warnOfMissing(const QStringList &missing)
{
    if (!missing.isEmpty())
        QMessageBox::warning(this, ApplicationTitle,
                             estimate::missingPlaceholdersWarning(missing) +
                                 QStringLiteral(". Проверьте шаблон: dalko-calc --check-template"));
}

void CostPage::Button1Click()
{
    formToday();
    requireCompleteCalculation();
    const QList<estimate::Replacement> replacements = estimateReplacements();
    const QString path = templatePath();
    QStringList missing;
    issue([&](const QString &number) {
        const estimate::Printed printed =
            estimate::printEstimate(path, estimate::numbered(replacements, number));
        missing = printed.missing;
        return journal::printedOn(printed.printer);
    });
    warnOfMissing(missing);
}

void CostPage::Button5Click()
{
    formToday();
    requireCompleteCalculation();
    const QList<estimate::Replacement> replacements = estimateReplacements();
    estimate::DocumentFiller filler;
    const QStringList missing = fillEstimate(filler, replacements, QString());
    estimate::EstimatePreview preview(filler, m_session.errors, this);
    // Printed or saved from the preview, the estimate gets its number first.
    preview.setIssue([&](const std::function<QString()> &output) {
        issue([&](const QString &number) {
            fillEstimate(filler, replacements, number);
            return output();
        });
    });
    m_session.errors.execModal(preview);
    warnOfMissing(missing);
}

void CostPage::Button6Click()
{
    EstimateTermsDialog dialog(m_session.estimateTerms, m_session.regional, this);
    if (m_session.errors.execModal(dialog) != QDialog::Accepted)
        return;
    m_session.estimateTerms = dialog.terms();
    storeFixedVatPercent(m_session.estimateTerms.fixedVatPercent);
    FormActivate();
}

void CostPage::Button4Click() { report::save(SaveDialog1, reportLines(), m_kind.calculator); }

} // namespace dalko
