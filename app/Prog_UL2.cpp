#include "Prog_UL2.h"

#include "Prog_U.h"
#include "T_U1.h"
#include "controls.h"
#include "journalwindow.h"
#include "program.h"

#include <QPushButton>

namespace dalko {

namespace {
const QString Caption =
    QStringLiteral("Определение стоимости работ в области энергетического обследования");
constexpr QSize ClientSize{770, 249};
constexpr FontSpec ChoiceFont{Face::Times, 20, true};
constexpr Place GeneralPlace{21, 24, 730, 90};
constexpr Place BoilerPlace{21, 136, 730, 90};
// In the margin under the two choices, flush with their right edge.
constexpr Place JournalPlace{631, 228, 120, 19};
} // namespace

TProg_FL2::TProg_FL2(Program &program) : Window(program, Caption, ClientSize), m_program(program)
{
    Button1 = addButton(
        this, "Button1", GeneralPlace,
        QStringLiteral("Определение стоимости работ по энергетическому обследованию "), ChoiceFont);
    Button2 = addButton(
        this, "Button2", BoilerPlace,
        QStringLiteral("Определение стоимости работ по энергетическому обследованию котельной"),
        ChoiceFont);
    Button3 = addButton(this, "Button3", JournalPlace, QStringLiteral("Журнал смет"));
    connect(Button1, &QPushButton::clicked, this,
            guarded([this] { switchWindow(this, &m_program.TProg_F()); }));
    connect(Button2, &QPushButton::clicked, this,
            guarded([this] { switchWindow(this, &m_program.TT_F1()); }));
    connect(Button3, &QPushButton::clicked, this,
            guarded([this] { openJournal(m_program, this); }));
}

} // namespace dalko
