#include "costpage.h"

#include "program.h"

#include "estimate/estimatepreview.h"
#include "estimate/estimateprint.h"
#include "estimate/templatefiles.h"

#include <QFileDialog>
#include <QIcon>
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
} // namespace

CostPage::CostPage(Program &program, const Kind &kind)
    : Page(program,
           QStringLiteral("Определение стоимости работ в области энергетического обследования"),
           kind.titleX),
      m_kind(kind)
{
    setWindowIcon(QIcon(Program::installDir() + QStringLiteral("/estimate.png")));
    Button4 = addLargeButton(
        "Button4",
        {kind.saveButtonX, LargeButtonY, LargeButtonSize.width(), LargeButtonSize.height()},
        QStringLiteral("Сохранить файл отчета"), kind.largeButtonFont);
    Button1 = addLargeButton("Button1", PrintButton, QStringLiteral("Печать сметы"),
                             kind.largeButtonFont);
    Button2 = addNavigationButton("Button2", BackButton, QStringLiteral("Назад"));
    Button3 = addNavigationButton("Button3", ExitButton, QStringLiteral("Выход"));
    Button5 = addNavigationButton("Button5", PreviewButton, QStringLiteral("Просмотр сметы…"));
    SaveDialog1 = report::makeSaveDialog(this);

    connect(Button1, &QPushButton::clicked, this, guarded(&CostPage::Button1Click));
    connect(Button4, &QPushButton::clicked, this, guarded(&CostPage::Button4Click));
    connect(Button5, &QPushButton::clicked, this, guarded(&CostPage::Button5Click));
    connect(Button2, &QPushButton::clicked, this,
            guarded([this] { switchWindow(this, previousPage()); }));
    connect(Button3, &QPushButton::clicked, this, guarded([this] { m_program.endProgram(); }));
}

void CostPage::nameCostOptions(QWidget *expertise, QWidget *vat)
{
    expertise->setAccessibleName(QStringLiteral("Стоимость экспертизы"));
    vat->setAccessibleName(QStringLiteral("НДС"));
}

void CostPage::recompute(const std::function<void()> &steps)
{
    try {
        steps();
        m_failure.reset();
    } catch (const Error &error) {
        m_failure = error.message();
        throw;
    }
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
                                  estimate::templateFolders(Program::installDir()));
}

std::unique_ptr<estimate::DocumentFiller> CostPage::filledEstimate() const
{
    requireCompleteCalculation();
    const QList<estimate::Replacement> replacements = estimateReplacements();
    auto filler = std::make_unique<estimate::DocumentFiller>();
    filler->open(templatePath());
    filler->fill(replacements);
    return filler;
}

void CostPage::Button1Click()
{
    requireCompleteCalculation();
    estimate::printEstimate(templatePath(), estimateReplacements());
}

void CostPage::Button5Click()
{
    const std::unique_ptr<estimate::DocumentFiller> filler = filledEstimate();
    estimate::EstimatePreview preview(*filler, m_program.errors, this);
    m_program.errors.execModal(preview);
}

void CostPage::Button4Click()
{
    report::save(SaveDialog1, report::collect(reportBindings(), m_program.regional.decimal),
                 m_kind.calculator);
}

} // namespace dalko
