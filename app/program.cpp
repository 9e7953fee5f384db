#include "program.h"

#include "Logo_U.h"
#include "Prog_U.h"
#include "Prog_U2.h"
#include "Prog_U3.h"
#include "Prog_UL2.h"
#include "T_U1.h"
#include "T_U2.h"
#include "journalwindow.h"
#include "reportbinding.h"

namespace dalko {

Program::Program() = default;

Program::~Program() = default;

void Program::createWindows()
{
    m_logo = std::make_unique<dalko::TLogo_F>(*this);
    m_customer = std::make_unique<dalko::TProg_F>(*this);
    m_consumption = std::make_unique<dalko::TProg_F2>(*this);
    m_cost = std::make_unique<dalko::TProg_F3>(*this, *m_customer, m_consumption->fuelTotals(),
                                               m_customer->reportBindings() +
                                                   m_consumption->reportBindings());
    m_choice = std::make_unique<dalko::TProg_FL2>(*this);
    m_boilerCustomer = std::make_unique<dalko::TT_F1>(*this);
    m_boilerCost = std::make_unique<dalko::TT_F2>(*this, *m_boilerCustomer);
    m_customer->setNeighbours(nullptr, m_consumption.get());
    m_consumption->setNeighbours(m_customer.get(), m_cost.get());
    m_cost->setNeighbours(m_consumption.get(), nullptr);
    m_boilerCustomer->setNeighbours(nullptr, m_boilerCost.get());
    m_boilerCost->setNeighbours(m_boilerCustomer.get(), nullptr);
}

void Program::start(const QString &reportFile)
{
    m_reportAtStart = reportFile;
    present(m_logo.get());
}

QWidget *Program::screenAfterSplash()
{
    QWidget *screen = m_choice.get();
    if (m_reportAtStart.isEmpty())
        return screen;
    errors.run([&] {
        const QStringList lines = report::readFile(m_reportAtStart);
        const report::Calculator calculator = report::calculatorOf(lines);
        report::showLoadNotes(nullptr, loadReport(calculator, lines));
        screen = calculator == report::Calculator::General
                     ? static_cast<QWidget *>(m_customer.get())
                     : m_boilerCustomer.get();
    });
    return screen;
}

void Program::endProgram()
{
    if (m_logo)
        m_logo->close();
}

void Program::openJournal(QWidget *parent) { dalko::openJournal(*this, parent); }

CostPage &Program::lastPage(report::Calculator calculator) const
{
    if (calculator == report::Calculator::General)
        return *m_cost;
    return *m_boilerCost;
}

QStringList Program::reportLines(report::Calculator calculator) const
{
    return lastPage(calculator).reportLines();
}

QStringList Program::loadReport(report::Calculator calculator, const QStringList &lines)
{
    CostPage &page = lastPage(calculator);
    const QStringList notes =
        report::assign(page.reportBindings(), calculator, lines, regional.decimal, errors);
    page.reportLoaded();
    return notes;
}

} // namespace dalko
