#include "customerpage.h"

#include "controls.h"
#include "dialogfolder.h"
#include "session.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace dalko {

namespace {

const QString Caption =
    QStringLiteral("Определение стоимости работ в области энергетического обследования.");

constexpr Place GroupPlace{8, 177, 1057, 442};
constexpr FontSpec GroupFont{Face::Times, 16};
constexpr Place CustomerLabel{24, 33};
constexpr Place CustomerEdit{24, 57, 705, 27};
constexpr Place CheckPlace{784, 52, 161, 17};
constexpr FontSpec CheckFont{Face::Times, 19};
constexpr Place LocationLabel{24, 90};
constexpr Place LocationEdit{24, 115, 1001, 27};
constexpr Place ObjectsLabel{24, 148};
constexpr Place ObjectsEdit{24, 173, 1001, 27};
constexpr Place FinancialGroup{24, 206, 995, 191};
constexpr Place LoadButton{3, 403, 165, 33};
constexpr Place NextButton{965, 625, 100, 25};

// The financial fields stand at x = 307, their labels at x = 445, 3 px lower.
struct FinancialRow {
    const char *edit;
    const char *label;
    int y;
    const char16_t *defaultText;
    const char16_t *caption;
};
constexpr FinancialRow FinancialRows[] = {
    {"Edit2", "Label4", 34, DefaultSalary,
     u"Средний уровень зароботной платы организации руб/мес."},
    {"Edit3", "Label5", 67, DefaultOverheads, u"Уровень накладных расходов организации, %"},
    {"Edit4", "Label6", 100, DefaultProfit, u"Сметная прибыль, %"},
    {"Edit7", "Label7", 133, DefaultRegional, u"Районный коэффициент,%"},
};
constexpr int FinancialEditX = 307;
constexpr int FinancialLabelX = 445;
constexpr QSize FinancialEditSize{121, 27};

} // namespace

CustomerPage::CustomerPage(Session &session, report::Calculator calculator)
    : Page(session, Caption), m_calculator(calculator)
{
    GroupBox1 = addGroup(Panel1, "GroupBox1", GroupPlace,
                         QStringLiteral("Информация о заказчике энергетического обследования"));
    GroupBox1->setFont(makeFont(GroupFont));
    Label3 = addLabel(GroupBox1, "Label3", CustomerLabel, QStringLiteral("Заказчик:"));
    Edit1 = addEdit(GroupBox1, "Edit1", CustomerEdit, QString());
    CheckBox1 =
        addCheckBox(GroupBox1, "CheckBox1", CheckPlace, QStringLiteral("Заказчик не задан"));
    CheckBox1->setFont(makeFont(CheckFont));
    CheckBox1->setGeometry(CheckPlace.x, CheckPlace.y, CheckBox1->sizeHint().width(),
                           std::max(CheckPlace.height, CheckBox1->sizeHint().height()));
    Label8 = addLabel(GroupBox1, "Label8", LocationLabel,
                      QStringLiteral("Место расположения объекта (объектов):"));
    Edit5 = addEdit(GroupBox1, "Edit5", LocationEdit, QString());
    Label9 =
        addLabel(GroupBox1, "Label9", ObjectsLabel,
                 QStringLiteral("Объект (объекты) подлежащий(-ие) энергетическому обследованию:"));
    Edit6 = addEdit(GroupBox1, "Edit6", ObjectsEdit, QString());
    Label3->setBuddy(Edit1);
    Label8->setBuddy(Edit5);
    Label9->setBuddy(Edit6);
    GroupBox2 = addGroup(GroupBox1, "GroupBox2", FinancialGroup,
                         QStringLiteral("Финансово-экономические параметры "));

    QLineEdit **edits[] = {&Edit2, &Edit3, &Edit4, &Edit7};
    QLabel **labels[] = {&Label4, &Label5, &Label6, &Label7};
    Edit3KeyPress = new NumericKeyFilter(m_session.regional, this);
    for (int i = 0; i < 4; ++i) {
        const FinancialRow &row = FinancialRows[i];
        *edits[i] =
            addEdit(GroupBox2, row.edit,
                    {FinancialEditX, row.y, FinancialEditSize.width(), FinancialEditSize.height()},
                    QString::fromUtf16(row.defaultText));
        *labels[i] = addLabel(GroupBox2, row.label, {FinancialLabelX, row.y + 3},
                              QString::fromUtf16(row.caption));
        (*labels[i])->setBuddy(*edits[i]);
        Edit3KeyPress->bind(*edits[i]);
    }
    Button2 = addButton(GroupBox1, "Button2", LoadButton, QStringLiteral("Загрузить данные"));
    Button1 = addNavigationButton("Button1", NextButton, QStringLiteral("Далее"));

    OpenDialog1 = new QFileDialog(this);
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
    OpenDialog1->setOption(QFileDialog::DontUseNativeDialog);
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog1->setFileMode(QFileDialog::AnyFile);
    OpenDialog1->setNameFilter(QStringLiteral("Файл отчетов НП \"ДАЛКО\" (*.rvj)"));
    setUpFileDialog(OpenDialog1);

    setTabOrder(Edit1, Edit5);
    setTabOrder(Edit5, CheckBox1);
    setTabOrder(CheckBox1, Edit6);
    setTabOrder(Edit6, Edit2);
    setTabOrder(Edit2, Edit3);
    setTabOrder(Edit3, Edit4);
    setTabOrder(Edit4, Edit7);
    setTabOrder(Edit7, Button2);
    setTabOrder(Button2, Button1);

    connect(CheckBox1, &QCheckBox::toggled, this, guarded(&CustomerPage::CheckBox1Click));
    connect(Button1, &QPushButton::clicked, this, guarded(&CustomerPage::Button1Click));
    connect(Button2, &QPushButton::clicked, this, guarded(&CustomerPage::Button2Click));
    FormCreate();
}

void CustomerPage::FormCreate() { CheckBox1->setChecked(true); }

void CustomerPage::CheckBox1Click()
{
    QLineEdit *customer[] = {Edit1, Edit5, Edit6};
    const bool notGiven = CheckBox1->isChecked();
    for (QLineEdit *edit : customer)
        edit->setEnabled(!notGiven);
    if (notGiven) {
        for (QLineEdit *edit : customer)
            edit->setText(QString::fromUtf16(NotGiven));
    }
}

FinancialTexts CustomerPage::financialTexts() const
{
    return {Edit2->text(), Edit3->text(), Edit4->text(), Edit7->text()};
}

CustomerTexts CustomerPage::customerTexts() const
{
    return {Edit1->text(), Edit5->text(), Edit6->text(), financialTexts()};
}

report::BoundLines CustomerPage::reportBindings() const
{
    using enum report::LineKind;
    return {{Text, Edit1},        {Text, Edit5},        {Text, Edit6},       {NumericText, Edit2},
            {NumericText, Edit3}, {NumericText, Edit4}, {NumericText, Edit7}};
}

void CustomerPage::Button1Click() { switchWindow(this, m_next); }

void CustomerPage::Button2Click()
{
    if (OpenDialog1->exec() != QDialog::Accepted || OpenDialog1->selectedFiles().isEmpty())
        return;
    report::showLoadNotes(
        this,
        m_session.loadReport(m_calculator, report::readFile(OpenDialog1->selectedFiles().front())));
}

} // namespace dalko
