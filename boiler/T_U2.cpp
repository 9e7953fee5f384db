#include "T_U2.h"

#include "controls.h"
#include "customerpage.h"
#include "editablelist.h"
#include "estimate/boilerestimate.h"
#include "session.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace dalko {

namespace {

constexpr Place GroupPlace{8, 176, 1057, 425};
constexpr FontSpec GroupFont{Face::Times, 16};
constexpr FontSpec RowFont{Face::Times, 19};
constexpr FontSpec TotalFont{Face::Times, 19, true};
constexpr FontSpec LargeButtonFont{Face::Times, 19, true};

// Rows top to bottom: the label at the left, its list at the right.
constexpr int LabelX = 16;
constexpr int ListX = 660;
constexpr int ListWidth = 380;
constexpr int FirstRowY = 34;
constexpr int RowStep = 50;
constexpr int ListHeight = 26;
constexpr Place ExpertiseList{ListX - 240, FirstRowY + 5 * RowStep, 330, ListHeight};
constexpr Place VatList{ListX + 100, FirstRowY + 5 * RowStep, 120, ListHeight};
constexpr Place VatCaptionPlace{ListX - 240, FirstRowY + 5 * RowStep + 30, 480, 20};
constexpr Place TermsButtonPlace{ListX + 68, FirstRowY + 6 * RowStep + 10, 152, 25};
constexpr Place TotalLabel{LabelX, FirstRowY + 6 * RowStep + 10};
constexpr Place TotalValue{140, FirstRowY + 6 * RowStep + 10, 500, 26};

constexpr int TitleX = 289;
constexpr int SaveButtonX = 60;

Place rowLabel(int row) { return {LabelX, FirstRowY + row * RowStep + 2}; }
Place rowList(int row) { return {ListX, FirstRowY + row * RowStep, ListWidth, ListHeight}; }

} // namespace

TT_F2::TT_F2(Session &session, const CustomerPage &customer)
    : CostPage(session, {report::Calculator::Boiler, estimate::BoilerTemplate, TitleX, SaveButtonX,
                         LargeButtonFont, VatCaptionPlace, TermsButtonPlace}),
      m_customer(customer)
{
    GroupBox1 = addGroup(Panel1, "GroupBox1", GroupPlace,
                         QStringLiteral("Характеристика объекта обследования"));
    GroupBox1->setFont(makeFont(GroupFont));
    Label3 =
        addLabel(GroupBox1, "Label3", rowLabel(0),
                 QStringLiteral("Количество  работающих котлоагрегатов в котельной:"), RowFont);
    ComboBox1 = addList(GroupBox1, "ComboBox1", rowList(0), itemTexts(boiler::BoilerCounts),
                        boiler::DefaultBoilerCount);
    Label4 = addLabel(GroupBox1, "Label4", rowLabel(1),
                      QStringLiteral("Установленная мощность котлоагрегатов:"), RowFont);
    ComboBox2 = addList(GroupBox1, "ComboBox2", rowList(1), itemTexts(boiler::Capacities),
                        boiler::DefaultCapacity);
    Label5 =
        addLabel(GroupBox1, "Label5", rowLabel(2), QStringLiteral("Виды котлоагрегатов:"), RowFont);
    ComboBox3 = addList(GroupBox1, "ComboBox3", rowList(2), itemTexts(boiler::BoilerKinds),
                        boiler::DefaultBoilerKind);
    Label6 = addLabel(GroupBox1, "Label6", rowLabel(3), QStringLiteral("Вид сжигаемого топлива:"),
                      RowFont);
    ComboBox6 =
        addList(GroupBox1, "ComboBox6", rowList(3), itemTexts(boiler::Fuels), boiler::DefaultFuel);
    Label7 =
        addLabel(GroupBox1, "Label7", rowLabel(4),
                 QStringLiteral(
                     "Количество топочных режимов на один котёл при инструментальной диагностике:"),
                 RowFont);
    ComboBox7 =
        addList(GroupBox1, "ComboBox7", {ListX + 280, FirstRowY + 4 * RowStep, 100, ListHeight},
                itemTexts(boiler::FiringModes), boiler::DefaultFiringModes);
    Label9 = addLabel(GroupBox1, "Label9", rowLabel(5),
                      QStringLiteral("СТОИМОСТЬ ЭНЕРГЕТИЧЕСКОГО ОБСЛЕДОВАНИЯ "));
    ComboBox4 = addList(GroupBox1, "ComboBox4", ExpertiseList,
                        {QStringLiteral("с учетом стоимости экспертизы"),
                         QStringLiteral("без учета стоимости экспертизы")},
                        0);
    ComboBox5 = addList(GroupBox1, "ComboBox5", VatList,
                        {QStringLiteral("с НДС"), QStringLiteral("без НДС")}, 0);
    Label3->setBuddy(ComboBox1);
    Label4->setBuddy(ComboBox2);
    Label5->setBuddy(ComboBox3);
    Label6->setBuddy(ComboBox6);
    Label7->setBuddy(ComboBox7);
    nameCostOptions(ComboBox4, ComboBox5);
    addEstimateTerms(GroupBox1);
    Label10 = addLabel(GroupBox1, "Label10", TotalLabel, QStringLiteral("ВСЕГО :"), TotalFont);
    Label11 = addLabel(GroupBox1, "Label11", TotalValue, QStringLiteral("0 руб."), TotalFont);

    setTabOrder(ComboBox4, ComboBox5);
    setTabOrder(ComboBox5, Button6);
    setTabOrder(Button6, ComboBox1);
    setTabOrder(ComboBox1, ComboBox2);
    setTabOrder(ComboBox2, ComboBox3);
    setTabOrder(ComboBox3, ComboBox6);
    setTabOrder(ComboBox6, ComboBox7);
    setTabOrder(ComboBox7, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, Button3);
    setTabOrder(Button3, Button4);

    bindList(ComboBox1, boiler::chooseBoilerCount);
    bindList(ComboBox2, boiler::chooseCapacity);
    bindList(ComboBox3, boiler::chooseBoilerKind);
    bindList(ComboBox6, boiler::chooseFuel);
    bindList(ComboBox7, boiler::chooseFiringModes);
    bindList(ComboBox4, nullptr);
    bindList(ComboBox5, nullptr);
    FormCreate();
}

void TT_F2::bindList(EditableList *list, void (*choose)(int, boiler::Quantities &))
{
    connect(list, &EditableList::Change, this, guarded([this, list, choose] {
                if (choose)
                    choose(list->currentIndex(), quantities);
                Recalculate();
            }));
}

void TT_F2::FormCreate() { boiler::setDefaultFactors(quantities); }

void TT_F2::FormActivate()
{
    Button1->setFocus();
    Recalculate();
}

void TT_F2::Recalculate()
{
    boiler::RecalcInputs in;
    in.financial = m_customer.financialTexts();
    in.expertise = ComboBox4->currentIndex();
    in.vat = ComboBox5->currentIndex();
    in.vatRate = m_session.estimateTerms.vatRate();
    in.decimal = m_session.regional.decimal;
    recompute([&] { Label11->setText(boiler::recalculate(in, quantities)); });
}

report::BoundLines TT_F2::reportBindings()
{
    using enum report::LineKind;
    report::BoundLines lines = m_customer.reportBindings();
    for (EditableList *list : {ComboBox1, ComboBox2, ComboBox3, ComboBox4, ComboBox5})
        lines.append({ListIndex, list});
    boiler::Quantities &q = quantities;
    for (double *number : {&q.BoilerNorm, &q.CapacityCoef, &q.BoilerKindCoef, &q.FuelCoef,
                           &q.DiagNorm, &q.DiagBoilersCoef, &q.HourlyWage})
        lines.append({Number, number});
    return lines;
}

void TT_F2::reportLoaded()
{
    // Selected from code: no handler runs, so the loaded factors stay as loaded.
    ComboBox6->setCurrentIndex(boiler::fuelIndex(quantities.FuelCoef));
    ComboBox7->setCurrentIndex(boiler::firingModesIndex(quantities.DiagNorm));
}

journal::Record TT_F2::journalRecord() const
{
    return journal::estimateRecord(report::Calculator::Boiler, m_session.estimateTerms.date,
                                   m_customer.customerTexts(), quantities.TotalCost,
                                   quantities.VatRate);
}

QList<estimate::Replacement> TT_F2::estimateReplacements() const
{
    estimate::BoilerInputs in;
    in.first = m_customer.customerTexts();
    in.boilerCount = ComboBox1->currentText();
    in.boilerKind = ComboBox3->currentText();
    in.capacity = ComboBox2->currentText();
    in.firingModes = ComboBox7->currentText();
    in.cost = quantities;
    in.format = m_session.regional;
    in.date = m_session.estimateTerms.date;
    return estimate::boilerReplacements(in);
}

} // namespace dalko
