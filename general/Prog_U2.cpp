#include "Prog_U2.h"

#include "controls.h"
#include "editablelist.h"
#include "session.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace dalko {

namespace {

const QString Caption =
    QStringLiteral("Определение стоимости работ в области энергетического обследования");
const QString FuelUnit = QStringLiteral(" т.у.т.");

constexpr Place GroupPlace{8, 176, 1057, 425};
constexpr FontSpec GroupFont{Face::Times, 16};
constexpr FontSpec TotalFont{Face::Times, 16, true};
constexpr Place YearLabel{143, 40};
constexpr Place YearList{163, 37, 94, 24};
const QStringList Years{QStringLiteral("2008 год"), QStringLiteral("2009 год"),
                        QStringLiteral("2010 год"), QStringLiteral("2011 год")};
constexpr int DefaultYear = 3;

// Row n stands at y = 84 + 33 (n - 1); its labels 3 px lower.
constexpr int FirstRowY = 84;
constexpr int RowStep = 33;
constexpr int NameX = 224;
constexpr int EditX = 554;
constexpr QSize EditSize{88, 27};
constexpr int UnitX = 648;
constexpr int EqualsX = 728;
constexpr int ResultX = 751;
constexpr int TotalY = 384;
constexpr int TotalLabelX = 681;
constexpr Place WarningPlace{224, 404, 820, 18};

struct Resource {
    const char16_t *name;
    const char16_t *unit;
};
constexpr Resource Resources[general::ResourceCount] = {
    {u"Годовое потребление электрической энергии", u"тыс.кВт*ч"},
    {u"Годовое потребление тепловой энергии", u"Гкал/год"},
    {u"Годовое потребление природного газа", u"тыс.куб.м"},
    {u"Годовое потребление мазута", u"т"},
    {u"Годовое потребление угля", u"т"},
    {u"Годовое потребление древесного топлива", u"т"},
    {u"Годовое потребление бензина автомобильного", u"тыс.л."},
    {u"Годовое потребление дизильного топлива", u"тыс.л."},
    {u"Годовое потребление сжиженного газа", u"тыс.л."},
};

constexpr Place NextButton{965, 625, 100, 25};
constexpr Place BackButton{860, 625, 97, 25};

QByteArray controlName(const char *kind, int number)
{
    return QByteArray(kind) + QByteArray::number(number);
}

} // namespace

TProg_F2::TProg_F2(Session &session) : Page(session, Caption)
{
    GroupBox1 = addGroup(Panel1, "GroupBox1", GroupPlace,
                         QStringLiteral("Потребление топливно-энергетических ресурсов"));
    GroupBox1->setFont(makeFont(GroupFont));
    Label3 = addLabel(GroupBox1, "Label3", YearLabel, QStringLiteral("за"));
    ComboBox1 = addList(GroupBox1, "ComboBox1", YearList, Years, DefaultYear);
    ComboBox1->setAccessibleName(GroupBox1->title() + u' ' + Label3->text());
    keyFilter = new NumericKeyFilter(m_session.regional, this);
    QWidget *previous = ComboBox1;
    for (int n = 0; n < general::ResourceCount; ++n) {
        const int y = FirstRowY + RowStep * n;
        QLabel *name = addLabel(GroupBox1, controlName("Label", 4 + n).constData(), {NameX, y + 3},
                                QString::fromUtf16(Resources[n].name));
        Edits[n] = addEdit(GroupBox1, controlName("Edit", 1 + n).constData(),
                           {EditX, y, EditSize.width(), EditSize.height()}, QStringLiteral("0"));
        name->setBuddy(Edits[n]);
        addLabel(GroupBox1, controlName("Label", 13 + n).constData(), {UnitX, y + 3},
                 QString::fromUtf16(Resources[n].unit));
        addLabel(GroupBox1, controlName("Label", 22 + n).constData(), {EqualsX, y + 3},
                 QStringLiteral("="));
        ResultLabels[n] = addLabel(GroupBox1, controlName("Label", 31 + n).constData(),
                                   {ResultX, y + 3, 280, 20}, QStringLiteral("0 т.у.т."));
        keyFilter->bind(Edits[n]);
        setTabOrder(previous, Edits[n]);
        previous = Edits[n];
        connect(Edits[n], &QLineEdit::textChanged, this, guarded([this, n] { EditChange(n); }));
    }
    Label41 =
        addLabel(GroupBox1, "Label41", {TotalLabelX, TotalY}, QStringLiteral("ВСЕГО :"), TotalFont);
    Label40 = addLabel(GroupBox1, "Label40", {ResultX, TotalY, 280, 20}, QStringLiteral("0 т.у.т."),
                       TotalFont);
    NormWarning = addLabel(GroupBox1, "NormWarning", WarningPlace,
                           QStringLiteral("Суммарное потребление лежит вне таблицы базовых норм "
                                          "(от 0 до 520000 т.у.т.): базовая норма не определена"));
    NormWarning->setStyleSheet(QStringLiteral("color: #b00000;"));
    NormWarning->hide();

    Button2 = addNavigationButton("Button2", BackButton, QStringLiteral("Назад"));
    Button1 = addNavigationButton("Button1", NextButton, QStringLiteral("Далее"));
    // The cost page puts the focus on its "Печать сметы" as it activates.
    connect(Button1, &QPushButton::clicked, this, guarded([this] { switchWindow(this, m_next); }));
    connect(Button2, &QPushButton::clicked, this,
            guarded([this] { switchWindow(this, m_previous); }));
}

void TProg_F2::EditChange(int row)
{
    const QChar decimal = m_session.regional.decimal;
    fuel.ReferenceFuel[row] = general::referenceFuel(Edits[row]->text(), row, decimal);
    ResultLabels[row]->setText(numberToText(fuel.ReferenceFuel[row], decimal) + FuelUnit);
    fuel.ReferenceFuelTotal = general::referenceFuelTotal(fuel.ReferenceFuel);
    Label40->setText(numberToText(fuel.ReferenceFuelTotal, decimal) + FuelUnit);
    RecomputeBaseNorm();
}

void TProg_F2::RecomputeBaseNorm()
{
    NormWarning->setVisible(!general::normDefined(fuel.ReferenceFuelTotal));
    general::NormBracket bracket{NormLowerRow, NormUpperRow};
    fuel.BaseNorm = general::baseNorm(fuel.ReferenceFuelTotal, bracket);
    NormLowerRow = bracket.lower;
    NormUpperRow = bracket.upper;
}

report::BoundLines TProg_F2::reportBindings() const
{
    report::BoundLines lines;
    for (QLineEdit *consumption : Edits)
        lines.append({report::LineKind::NumericText, consumption});
    return lines;
}

void TProg_F2::FormActivate()
{
    RecomputeBaseNorm();
    Edits[0]->setFocus();
}

} // namespace dalko
