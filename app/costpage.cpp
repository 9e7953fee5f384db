#include "costpage.h"

#include "program.h"

#include "estimate/estimateprint.h"

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
    SaveDialog1 = report::makeSaveDialog(this);

    connect(Button1, &QPushButton::clicked, this, guarded(&CostPage::Button1Click));
    connect(Button4, &QPushButton::clicked, this, guarded(&CostPage::Button4Click));
    connect(Button2, &QPushButton::clicked, this, [this] { switchWindow(this, previousPage()); });
    connect(Button3, &QPushButton::clicked, this, [this] { m_program.endProgram(); });
}

void CostPage::nameCostOptions(QWidget *expertise, QWidget *vat)
{
    expertise->setAccessibleName(QStringLiteral("Стоимость экспертизы"));
    vat->setAccessibleName(QStringLiteral("НДС"));
}

void CostPage::Button1Click()
{
    estimate::printEstimate(Program::installDir() + u'/' + m_kind.templateName,
                            estimateReplacements());
}

void CostPage::Button4Click()
{
    report::save(SaveDialog1, report::collect(reportBindings(), m_program.regional.decimal),
                 m_kind.calculator);
}

} // namespace dalko
