#include "Prog_U3.h"

#include "controls.h"
#include "customerpage.h"
#include "editablelist.h"
#include "estimate/generalestimate.h"
#include "session.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>

namespace dalko {

namespace {

constexpr int TitleX = 287;
constexpr Place GroupPlace{8, 170, 1057, 432};
constexpr FontSpec GroupFont{Face::Times, 16};
constexpr FontSpec TotalFont{Face::Times, 19, true};
constexpr Place BranchGroup{12, 22, 1033, 66};
constexpr Place BranchList{12, 28, 1009, 26};
constexpr Place ObjectGroup{12, 92, 1033, 128};
constexpr Place LocationLabel{12, 26};
constexpr Place LocationList{12, 48, 1009, 26};
constexpr Place AreaLabel{12, 90};
constexpr Place AreaEdit{310, 86, 100, 27};
constexpr Place AreaUnit{418, 90};
constexpr Place PerMetreLabel{520, 90};
constexpr Place PerMetreValue{830, 90, 190, 20};
constexpr Place MeteringGroup{12, 224, 1033, 66};
constexpr Place MeteringLabel{12, 31};
constexpr Place MeteringList{500, 27, 521, 26};
constexpr Place CostLabel{24, 312};
constexpr Place ExpertiseList{530, 308, 300, 26};
constexpr Place VatList{840, 308, 120, 26};
constexpr Place VatCaptionPlace{650, 340, 310, 20};
constexpr Place TermsButtonPlace{808, 366, 152, 25};
constexpr Place TotalLabel{24, 366};
constexpr Place TotalValue{140, 366, 500, 26};

constexpr int SaveButtonX = 64;
constexpr FontSpec LargeButtonFont{Face::Tahoma, 19};

} // namespace

TProg_F3::TProg_F3(Session &session, const CustomerPage &customer, const general::FuelTotals &fuel,
                   const report::BoundLines &earlierLines)
    : CostPage(session, {report::Calculator::General, estimate::GeneralTemplate, TitleX,
                         SaveButtonX, LargeButtonFont, VatCaptionPlace, TermsButtonPlace}),
      m_customer(customer), m_fuel(fuel), m_earlierLines(earlierLines)
{
    GroupBox1 = addGroup(Panel1, "GroupBox1", GroupPlace,
                         QStringLiteral("Характеристика объекта обследования"));
    GroupBox1->setFont(makeFont(GroupFont));
    GroupBox2 = addGroup(GroupBox1, "GroupBox2", BranchGroup,
                         QStringLiteral("Отраслевая принадлежность объекта (объектов)"));
    ComboBox1 = addList(GroupBox2, "ComboBox1", BranchList, itemTexts(general::Branches), -1);
    ComboBox1->setAccessibleName(GroupBox2->title());
    GroupBox3 = addGroup(GroupBox1, "GroupBox3", ObjectGroup,
                         QStringLiteral("Характеристика объекта энергоаудита"));
    Label4 = addLabel(GroupBox3, "Label4", LocationLabel,
                      QStringLiteral("Расположение объектов обследования…"));
    ComboBox2 = addList(GroupBox3, "ComboBox2", LocationList, itemTexts(general::Locations), -1);
    Label4->setBuddy(ComboBox2);
    Label3 = addLabel(GroupBox3, "Label3", AreaLabel,
                      QStringLiteral("Площадь обследуемых объектов (общая)"));
    Edit1 = addEdit(GroupBox3, "Edit1", AreaEdit, QStringLiteral("0"));
    Label3->setBuddy(Edit1);
    Label5 = addLabel(GroupBox3, "Label5", AreaUnit, QStringLiteral("кв.м"));
    Label6 = addLabel(GroupBox3, "Label6", PerMetreLabel,
                      QStringLiteral("Стоимость квадратного метра обследования"));
    Label7 = addLabel(GroupBox3, "Label7", PerMetreValue, QStringLiteral("0 руб/кв.м"));
    GroupBox4 =
        addGroup(GroupBox1, "GroupBox4", MeteringGroup,
                 QStringLiteral("Сведения о приборном учете расхода ТЭР на объекте энергоаудита"));
    Label8 = addLabel(GroupBox4, "Label8", MeteringLabel,
                      QStringLiteral("Наличие приборного учета расхода ТЭР по подразделениям"));
    ComboBox3 = addList(GroupBox4, "ComboBox3", MeteringList,
                        {QStringLiteral("не менее 50% от общего потребления "),
                         QStringLiteral("менее 50% от общего потребления ")},
                        -1);
    Label8->setBuddy(ComboBox3);
    Label9 = addLabel(GroupBox1, "Label9", CostLabel,
                      QStringLiteral("СТОИМОСТЬ ЭНЕРГЕТИЧЕСКОГО ОБСЛЕДОВАНИЯ "), TotalFont);
    ComboBox4 = addList(GroupBox1, "ComboBox4", ExpertiseList,
                        {QStringLiteral("с учетом стоимости экспертизы"),
                         QStringLiteral("без учета стоимости экспертизы")},
                        -1);
    ComboBox5 = addList(GroupBox1, "ComboBox5", VatList,
                        {QStringLiteral("с НДС"), QStringLiteral("без НДС")}, -1);
    nameCostOptions(ComboBox4, ComboBox5);
    addEstimateTerms(GroupBox1);
    Label10 = addLabel(GroupBox1, "Label10", TotalLabel, QStringLiteral("ВСЕГО :"), TotalFont);
    Label11 = addLabel(GroupBox1, "Label11", TotalValue, QStringLiteral("0 руб."), TotalFont);

    Edit1KeyPress = new NumericKeyFilter(m_session.regional, this);
    Edit1KeyPress->bind(Edit1);

    for (EditableList *list : {ComboBox1, ComboBox2, ComboBox3, ComboBox4, ComboBox5})
        connect(list, &EditableList::Change, this, guarded(&TProg_F3::FormActivate));
    connect(Edit1, &QLineEdit::textChanged, this, guarded(&TProg_F3::Edit1Change));
    QWidget *order[] = {ComboBox1, ComboBox2, Edit1,   ComboBox3, ComboBox4, ComboBox5,
                        Button6,   Button1,   Button4, Button2,   Button3};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    FormCreate();
}

void TProg_F3::FormCreate()
{
    for (EditableList *list : {ComboBox1, ComboBox2, ComboBox3, ComboBox4, ComboBox5})
        list->setCurrentIndex(0);
}

general::CostInputs TProg_F3::costInputs() const
{
    general::CostInputs in;
    in.financial = m_customer.financialTexts();
    in.baseNorm = m_fuel.BaseNorm;
    in.fuelTotal = m_fuel.ReferenceFuelTotal;
    in.branch = ComboBox1->currentIndex();
    in.location = ComboBox2->currentIndex();
    in.metering = ComboBox3->currentIndex();
    in.expertise = ComboBox4->currentIndex();
    in.vat = ComboBox5->currentIndex();
    in.vatRate = m_session.estimateTerms.vatRate();
    in.area = Edit1->text();
    in.decimal = m_session.regional.decimal;
    return in;
}

void TProg_F3::FormActivate()
{
    recompute([this] {
        general::CostDisplay shown{Label7->text(), Label11->text()};
        const auto showLabels = qScopeGuard([&] {
            Label7->setText(shown.perSquareMetre);
            Label11->setText(shown.total);
        });
        general::recomputeCost(costInputs(), quantities, shown);
    });
    Button1->setFocus();
}

void TProg_F3::Edit1Change()
{
    Label7->setText(general::perSquareMetreText(quantities.CostWithVat, Edit1->text(),
                                                m_session.regional.decimal));
}

report::BoundLines TProg_F3::reportBindings()
{
    using enum report::LineKind;
    report::BoundLines lines = m_earlierLines;
    for (EditableList *list : {ComboBox1, ComboBox2, ComboBox3, ComboBox4, ComboBox5})
        lines.append({ListIndex, list});
    lines.append({NumericText, Edit1});
    return lines;
}

journal::Record TProg_F3::journalRecord() const
{
    return journal::estimateRecord(report::Calculator::General, m_session.estimateTerms.date,
                                   m_customer.customerTexts(), quantities.totalCost().store(),
                                   quantities.VatRate);
}

QList<estimate::Replacement> TProg_F3::estimateReplacements() const
{
    estimate::GeneralInputs in;
    in.first = m_customer.customerTexts();
    in.fuelTotal = m_fuel.ReferenceFuelTotal;
    in.baseNorm = m_fuel.BaseNorm;
    in.cost = quantities;
    in.format = m_session.regional;
    in.date = m_session.estimateTerms.date;
    return estimate::generalReplacements(in);
}

} // namespace dalko
