// dalko-calc: the calculation of a report file without a window. It creates the windows as
// the program does (headless), loads the file through the report-file loader, does what
// showing the last page of its calculator does, and prints the quantities and the estimate's
// replacements.

#include "app/Logo_U.h"
#include "app/program.h"
#include "app/savefile.h"
#include "boiler/T_U2.h"
#include "estimate/boilerestimate.h"
#include "estimate/estimatenumber.h"
#include "estimate/estimateprint.h"
#include "estimate/generalestimate.h"
#include "estimate/templatecheck.h"
#include "estimate/templatefiles.h"
#include "general/Prog_U2.h"
#include "general/Prog_U3.h"
#include "journal/journal.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDate>
#include <QLabel>
#include <QLocale>
#include <QTimer>

#include <cstdio>
#include <optional>
#include <variant>

namespace {

using namespace dalko;

struct Options {
    QString file;
    std::optional<report::Calculator> kind;
    QString pdf;
    QString odt;
    QString save;
    bool print = false;
    // --record: the estimate written or printed goes into the journal.
    bool record = false;
    QString journal; // --journal: the journal recorded in and listed; the user's by default
    bool journalList = false;
    // The estimate's date and a fixed VAT rate; the law's rate by date unless one is given.
    EstimateTerms terms;
    // --check-template: the calculator whose template is checked, and the template (empty:
    // the installed one). No report file is read then.
    std::optional<report::Calculator> checkTemplate;
    QString templateFile;
};

std::optional<report::Calculator> calculatorNamed(const QString &name)
{
    if (name == u"general")
        return report::Calculator::General;
    if (name == u"boiler")
        return report::Calculator::Boiler;
    return std::nullopt;
}

// The command line: the options of a recomputation, or those of a template check.
class CommandLine {
  public:
    CommandLine();
    // The options, or the exit status when the program ends at once.
    std::variant<Options, int> parse(const QStringList &arguments);

  private:
    // The options, or the message of a usage error.
    std::variant<Options, QString> options() const;
    std::variant<Options, QString> templateCheck() const;

    QCommandLineParser m_parser;
    const QCommandLineOption m_kind{
        QStringLiteral("kind"),
        QStringLiteral("Вид расчета (по умолчанию определяется по строке 8 файла)."),
        QStringLiteral("general|boiler")};
    const QCommandLineOption m_pdf{QStringLiteral("pdf"),
                                   QStringLiteral("Записать заполненную смету в PDF."),
                                   QStringLiteral("OUT.pdf")};
    const QCommandLineOption m_odt{QStringLiteral("odt"),
                                   QStringLiteral("Записать заполненную смету в ODT."),
                                   QStringLiteral("OUT.odt")};
    const QCommandLineOption m_save{QStringLiteral("save"),
                                    QStringLiteral("Записать файл отчета под этим именем."),
                                    QStringLiteral("OUT.rvj")};
    const QCommandLineOption m_print{QStringLiteral("print"),
                                     QStringLiteral("Напечатать смету на принтере по умолчанию.")};
    const QCommandLineOption m_record{
        QStringLiteral("record"),
        QStringLiteral("Записать выданную смету (--pdf, --odt, --print) в журнал смет.")};
    const QCommandLineOption m_journal{
        QStringLiteral("journal"),
        QStringLiteral("Журнал смет для --record и --journal-list: файл SQLite или адрес "
                       "postgresql://пользователь@сервер/база (по умолчанию журнал "
                       "пользователя)."),
        QStringLiteral("LOCATION")};
    const QCommandLineOption m_journalList{
        QStringLiteral("journal-list"),
        QStringLiteral("Напечатать журнал смет, от первой сметы к последней, и завершиться.")};
    const QCommandLineOption m_date{
        QStringLiteral("date"),
        QStringLiteral("Дата сметы (по умолчанию сегодня); ставка НДС — по закону на эту дату."),
        QStringLiteral("ГГГГ-ММ-ДД")};
    const QCommandLineOption m_vatRate{
        QStringLiteral("vat-rate"),
        QStringLiteral(
            "Установить ставку НДС, число процентов от 0 до 99, вместо ставки по закону."),
        QStringLiteral("ПРОЦЕНТ")};
    const QCommandLineOption m_checkTemplate{
        QStringLiteral("check-template"),
        QStringLiteral("Проверить шаблон сметы этого расчета (по умолчанию установленный) "
                       "вместо пересчета файла отчета."),
        QStringLiteral("general|boiler")};
};

CommandLine::CommandLine()
{
    m_parser.setApplicationDescription(
        QStringLiteral("Пересчитывает файл отчета и печатает величины расчета и подстановки "
                       "сметы, по одной строке «Имя<TAB>значение»."));
    m_parser.addOptions({m_kind, m_pdf, m_odt, m_save, m_print, m_date, m_vatRate, m_record,
                         m_journal, m_journalList, m_checkTemplate});
    m_parser.addPositionalArgument(
        QStringLiteral("ФАЙЛ"),
        QStringLiteral("Файл отчета (.rvj); с --check-template — файл шаблона, если проверяется "
                       "не установленный."),
        QStringLiteral("ФАЙЛ.rvj | --check-template general|boiler [ШАБЛОН]"));
}

std::variant<Options, int> CommandLine::parse(const QStringList &arguments)
{
    if (const auto status = parseCommandLine(m_parser, arguments))
        return *status;
    auto parsed = options();
    if (const QString *error = std::get_if<QString>(&parsed))
        return usageError(*error);
    return std::get<Options>(parsed);
}

std::variant<Options, QString> CommandLine::options() const
{
    if (m_parser.isSet(m_checkTemplate))
        return templateCheck();
    Options options;
    options.journal = m_parser.isSet(m_journal) ? m_parser.value(m_journal) : QString();
    if (m_parser.isSet(m_journal) && options.journal.isEmpty())
        return QStringLiteral("--journal: пустое имя журнала.");
    if (m_parser.isSet(m_journalList)) {
        if (!m_parser.positionalArguments().isEmpty())
            return QStringLiteral("--journal-list не сочетается с файлом отчета.");
        options.journalList = true;
        return options;
    }
    const QStringList files = m_parser.positionalArguments();
    if (files.size() != 1)
        return QStringLiteral("нужен ровно один файл отчета.");
    options.file = files.front();
    if (m_parser.isSet(m_kind)) {
        options.kind = calculatorNamed(m_parser.value(m_kind));
        if (!options.kind)
            return QStringLiteral("--kind: ожидается general или boiler.");
    }
    const std::pair<const QCommandLineOption *, QString *> outputs[] = {
        {&m_pdf, &options.pdf}, {&m_odt, &options.odt}, {&m_save, &options.save}};
    for (auto [option, name] : outputs) {
        if (!m_parser.isSet(*option))
            continue;
        *name = m_parser.value(*option);
        if (name->isEmpty())
            return QStringLiteral("--%1: пустое имя файла.").arg(option->names().constFirst());
    }
    options.print = m_parser.isSet(m_print);
    options.record = m_parser.isSet(m_record);
    if (options.record && options.pdf.isEmpty() && options.odt.isEmpty() && !options.print)
        return QStringLiteral("--record: нужна смета для записи (--pdf, --odt или --print).");
    if (m_parser.isSet(m_date)) {
        options.terms.date = QDate::fromString(m_parser.value(m_date), Qt::ISODate);
        if (!options.terms.date.isValid())
            return QStringLiteral("--date: ожидается дата ГГГГ-ММ-ДД, например 2026-12-10.");
    }
    if (m_parser.isSet(m_vatRate)) {
        options.terms.fixedVatPercent = parseVatPercent(m_parser.value(m_vatRate));
        if (!options.terms.fixedVatPercent)
            return QStringLiteral("--vat-rate: ожидается число процентов от 0 до 99, например 22.");
    }
    return options;
}

std::variant<Options, QString> CommandLine::templateCheck() const
{
    Options options;
    options.checkTemplate = calculatorNamed(m_parser.value(m_checkTemplate));
    if (!options.checkTemplate)
        return QStringLiteral("--check-template: ожидается general или boiler.");
    for (const QCommandLineOption *other : {&m_kind, &m_pdf, &m_odt, &m_save, &m_print, &m_date,
                                            &m_vatRate, &m_record, &m_journal, &m_journalList})
        if (m_parser.isSet(*other))
            return QStringLiteral("--check-template не сочетается с --%1.")
                .arg(other->names().constFirst());
    const QStringList files = m_parser.positionalArguments();
    if (files.size() > 1)
        return QStringLiteral("--check-template: не более одного файла шаблона.");
    options.templateFile = files.value(0);
    return options;
}

void printLine(const QString &name, const QString &value)
{
    printText(stdout, name + u'\t' + value + u'\n');
}

void printQuantities(const Program &program, report::Calculator kind)
{
    const QChar d = program.regional.decimal;
    auto number = [&](const char *name, double value) {
        printLine(QString::fromLatin1(name), numberToText(value, d));
    };
    if (kind == report::Calculator::General) {
        const TProg_F2 &f2 = *program.TProg_F2;
        for (int n = 0; n < general::ResourceCount; ++n)
            printLine(QStringLiteral("ReferenceFuel%1").arg(n + 1),
                      numberToText(f2.ReferenceFuel[n], d));
        number("ReferenceFuelTotal", f2.ReferenceFuelTotal);
        number("BaseNorm", f2.BaseNorm);
        const general::CostQuantities &q = program.TProg_F3->quantities;
        for (auto [name, value] : {std::pair{"IndustryCoef", q.IndustryCoef},
                                   {"LocationCoef", q.LocationCoef},
                                   {"MeteringCoef", q.MeteringCoef},
                                   {"VatRate", q.VatRate},
                                   {"HourlyWage", q.HourlyWage},
                                   {"LabourCost", q.LabourCost},
                                   {"OverheadSum", q.OverheadSum},
                                   {"ProfitSum", q.ProfitSum},
                                   {"SubtotalCost", q.SubtotalCost},
                                   {"RegionalSum", q.RegionalSum},
                                   {"VatSum", q.VatSum},
                                   {"CostWithVat", q.CostWithVat},
                                   {"ExpertiseRate", q.ExpertiseRate},
                                   {"ExpertiseSum", q.ExpertiseSum}})
            number(name, value);
        printLine(QStringLiteral("Label7"), program.TProg_F3->Label7->text());
        printLine(QStringLiteral("Label11"), program.TProg_F3->Label11->text());
        return;
    }
    const boiler::Quantities &q = program.TT_F2->quantities;
    for (auto [name, value] : {std::pair{"BoilerNorm", q.BoilerNorm},
                               {"DiagBoilersCoef", q.DiagBoilersCoef},
                               {"CapacityCoef", q.CapacityCoef},
                               {"BoilerKindCoef", q.BoilerKindCoef},
                               {"FuelCoef", q.FuelCoef},
                               {"DiagNorm", q.DiagNorm},
                               {"HourlyWage", q.HourlyWage},
                               {"LabourCost", q.LabourCost},
                               {"OverheadSum", q.OverheadSum},
                               {"ProfitSum", q.ProfitSum},
                               {"RegionalSum", q.RegionalSum},
                               {"CostNoVat", q.CostNoVat},
                               {"VatRate", q.VatRate},
                               {"VatSum", q.VatSum},
                               {"CostWithVat", q.CostWithVat},
                               {"ExpertiseRate", q.ExpertiseRate},
                               {"ExpertiseSum", q.ExpertiseSum},
                               {"TotalCost", q.TotalCost}})
        number(name, value);
    printLine(QStringLiteral("Label11"), program.TT_F2->Label11->text());
}

// Runs one step as a handler of the program would; false when it failed, whatever failed
// before.
bool step(Program &program, int &failures, const std::function<void()> &action)
{
    const int before = failures;
    program.errors.run(action);
    return failures == before;
}

QString installedTemplate(report::Calculator kind)
{
    return estimate::findTemplate(kind == report::Calculator::General ? estimate::GeneralTemplate
                                                                      : estimate::BoilerTemplate,
                                  estimate::templateFolders(Program::installDir()));
}

// The estimate as the options ask: as PDF, as OpenDocument, on the default printer. Gives
// where it went, empty when every output failed.
QString writeEstimate(Program &program, int &failures, const Options &options,
                      const QString &templatePath, const QList<estimate::Replacement> &replacements)
{
    QStringList actions;
    if (!options.pdf.isEmpty() || !options.odt.isEmpty()) {
        estimate::DocumentFiller filler;
        if (!step(program, failures, [&] {
                filler.open(templatePath);
                filler.fill(replacements);
            }))
            return QString();
        if (!options.pdf.isEmpty() &&
            step(program, failures, [&] { saveFile(options.pdf, filler.pdfBytes()); }))
            actions << journal::savedAs(options.pdf);
        if (!options.odt.isEmpty() &&
            step(program, failures, [&] { saveFile(options.odt, filler.odtBytes()); }))
            actions << journal::savedAs(options.odt);
    }
    QString printer;
    if (options.print && step(program, failures, [&] {
            printer = estimate::printEstimate(templatePath, replacements);
        }))
        actions << journal::printedOn(printer);
    return actions.join(QStringLiteral("; "));
}

// Thrown when no output of the estimate went through: there is nothing to record.
struct NothingIssued {};

// The estimate written and recorded in the journal under its number.
void recordEstimate(Program &program, int &failures, const Options &options,
                    report::Calculator kind, const QList<estimate::Replacement> &replacements)
{
    try {
        const journal::Issued issued = journal::issueRecorded(
            options.journal.isEmpty() ? journal::defaultLocation() : options.journal,
            program.lastPage(kind).estimateRecord(), [&](const QString &number) {
                const QString action =
                    writeEstimate(program, failures, options, installedTemplate(kind),
                                  estimate::numbered(replacements, number));
                if (action.isEmpty())
                    throw NothingIssued();
                return action;
            });
        for (const QString &notice : issued.notices)
            printText(stderr, errorBoxText(notice) + u'\n');
        if (issued.number.isEmpty())
            ++failures;
        else
            printLine(QStringLiteral("JournalNumber"), issued.number);
    } catch (const NothingIssued &) {
    }
}

// --journal-list: one line a record, oldest first, after a header.
int listJournal(const Options &options)
{
    try {
        const journal::Journal journal(options.journal.isEmpty() ? journal::defaultLocation()
                                                                 : options.journal,
                                       journal::Journal::Use::Browse);
        const QChar decimal = NumberFormat::fromLocale(QLocale::system()).decimal;
        // A text's own tabs and line breaks would shift the columns.
        auto field = [](QString text) {
            for (QChar &c : text)
                if (c == u'\t' || c == u'\n' || c == u'\r')
                    c = u' ';
            return text;
        };
        printText(stdout, QStringLiteral("number\tdate\tcalculator\tcustomer\tobjects\ttotal\t"
                                         "action\n"));
        for (const journal::Record &r : journal.list({}, true))
            printText(stdout, QStringList{r.number, r.date.toString(Qt::ISODate),
                                          r.calculator == report::Calculator::General
                                              ? QStringLiteral("general")
                                              : QStringLiteral("boiler"),
                                          field(r.customer), field(r.objects),
                                          numberToText(r.total, decimal), field(r.action)}
                                      .join(u'\t') +
                                  u'\n');
        return 0;
    } catch (const Error &error) {
        printText(stderr, errorBoxText(error.message()) + u'\n');
        return 1;
    }
}

// --check-template: what the template lacks and what it holds that no estimate knows.
int checkTemplate(report::Calculator kind, const QString &file)
{
    try {
        const QString path = file.isEmpty() ? installedTemplate(kind) : file;
        const estimate::TemplateCheck check = estimate::checkTemplate(
            path, kind == report::Calculator::General ? estimate::Estimate::General
                                                      : estimate::Estimate::Boiler);
        for (const QString &line : check.lines())
            printText(stdout, line + u'\n');
        return check.passed() ? 0 : 1;
    } catch (const Error &error) {
        printText(stderr, errorBoxText(error.message()) + u'\n');
        return 1;
    }
}

int run(Program &program, const Options &options)
{
    int failures = 0;
    program.errors.setSink([&failures](const QString &text) {
        ++failures;
        printText(stderr, text + u'\n');
    });
    QStringList lines;
    if (!step(program, failures, [&] { lines = report::readFile(options.file); }))
        return 1;
    const report::Calculator kind = options.kind.value_or(calculatorOf(lines));
    if (!step(program, failures, [&] { program.loadReport(kind, lines); }))
        return 1;
    const bool general = kind == report::Calculator::General;
    const bool computed =
        general ? step(program, failures, [&] { program.TProg_F2->FormActivate(); }) &&
                      step(program, failures, [&] { program.TProg_F3->FormActivate(); })
                : step(program, failures, [&] { program.TT_F2->FormActivate(); });
    printQuantities(program, kind);
    if (computed) {
        QList<estimate::Replacement> replacements;
        if (step(program, failures, [&] {
                replacements = general ? program.TProg_F3->estimateReplacements()
                                       : program.TT_F2->estimateReplacements();
            })) {
            for (const estimate::Replacement &r : replacements)
                printLine(r.placeholder, r.value);
            if (options.record)
                recordEstimate(program, failures, options, kind, replacements);
            else
                writeEstimate(program, failures, options, installedTemplate(kind), replacements);
        }
    }
    if (!options.save.isEmpty())
        step(program, failures,
             [&] { report::writeFile(options.save, program.reportLines(kind)); });
    return failures > 0 ? 1 : 0;
}

} // namespace

// Standard error carries only what the error box would show.
void dropQtMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        printText(stderr, message + u'\n');
}

int main(int argc, char *argv[])
{
    // The windows are made as the program makes them, but never shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(dropQtMessages);
    QApplication app(argc, argv);
    setUpApplication();
    const QtTranslation translation(QLocale::system());
    const std::variant<Options, int> parsed = CommandLine().parse(app.arguments());
    if (const int *status = std::get_if<int>(&parsed))
        return *status;
    const Options &options = std::get<Options>(parsed);
    if (options.checkTemplate)
        return checkTemplate(*options.checkTemplate, options.templateFile);
    if (options.journalList)
        return listJournal(options);
    Program program;
    program.estimateTerms = options.terms;
    program.createWindows();
    program.TLogo_F->Timer1->stop();
    return run(program, options);
}
