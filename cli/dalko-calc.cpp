// dalko-calc: the calculation of a report file without a window. It loads the file as
// "Загрузить данные" does, recomputes as showing the last page of its calculator does (the
// same core functions the pages call), and prints the quantities and the estimate's
// replacements.

#include "application.h"
#include "commandline.h"
#include "errorbox.h"
#include "estimate/boilerestimate.h"
#include "estimate/estimatenumber.h"
#include "estimate/generalestimate.h"
#include "estimate/templatecheck.h"
#include "estimate/templatefiles.h"
#include "estimateprint.h"
#include "journal/journal.h"
#include "journal/journalcsv.h"
#include "reportfile/calculation.h"
#include "savefile.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cstdio>
#include <iterator>
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
    // The estimate's date and a fixed VAT rate; the law's rate by date unless one is given.
    EstimateTerms terms;
    // --record: the estimate written or printed goes into the journal.
    bool record = false;
    QString journal; // --journal: the journal recorded in and listed; the user's by default
    bool journalList = false;
    QString journalExport; // --journal-export: the CSV file the journal is written to
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
        QStringLiteral("Журнал смет для --record, --journal-list и --journal-export: файл SQLite "
                       "или адрес "
                       "postgresql://пользователь@сервер/база (по умолчанию журнал "
                       "пользователя)."),
        QStringLiteral("LOCATION")};
    const QCommandLineOption m_journalList{
        QStringLiteral("journal-list"),
        QStringLiteral("Напечатать журнал смет, от первой сметы к последней, и завершиться.")};
    const QCommandLineOption m_journalExport{
        QStringLiteral("journal-export"),
        QStringLiteral("Записать журнал смет в файл CSV, как «Экспорт…» журнала, и завершиться."),
        QStringLiteral("FILE.csv")};
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
                         m_journal, m_journalList, m_journalExport, m_checkTemplate});
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
    if (const QString refusal = journal::notAJournal(options.journal); !refusal.isEmpty())
        return QStringLiteral("--journal: %1.").arg(refusal);
    if (m_parser.isSet(m_journalList)) {
        if (!m_parser.positionalArguments().isEmpty())
            return QStringLiteral("--journal-list не сочетается с файлом отчета.");
        options.journalList = true;
        return options;
    }
    if (m_parser.isSet(m_journalExport)) {
        options.journalExport = m_parser.value(m_journalExport);
        if (options.journalExport.isEmpty())
            return QStringLiteral("--journal-export: пустое имя файла.");
        if (!m_parser.positionalArguments().isEmpty())
            return QStringLiteral("--journal-export не сочетается с файлом отчета.");
        if (!options.journal.isEmpty() && sameFile(options.journalExport, options.journal))
            return QStringLiteral("--journal-export: это файл журнала \"%1\".")
                .arg(options.journal);
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
        {&m_pdf, &options.pdf},
        {&m_odt, &options.odt},
        {&m_save, &options.save},
        {&m_journal, &options.journal}};
    for (auto [option, name] : outputs) {
        if (!m_parser.isSet(*option) || option == &m_journal)
            continue;
        *name = m_parser.value(*option);
        if (name->isEmpty())
            return QStringLiteral("--%1: пустое имя файла.").arg(option->names().constFirst());
    }
    // Checked before anything is written: a later output would replace an earlier one, or
    // the report file itself.
    for (auto first = std::begin(outputs); first != std::end(outputs); ++first) {
        const QString firstName = QStringLiteral("--") + first->first->names().constFirst();
        if (first->second->isEmpty())
            continue;
        if (sameFile(*first->second, options.file))
            return QStringLiteral("%1: это читаемый файл отчета \"%2\".")
                .arg(firstName, options.file);
        for (auto second = std::next(first); second != std::end(outputs); ++second)
            if (!second->second->isEmpty() && sameFile(*first->second, *second->second))
                return QStringLiteral("%1 и --%2: один и тот же файл \"%3\".")
                    .arg(firstName, second->first->names().constFirst(), *first->second);
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
    for (const QCommandLineOption *other :
         {&m_kind, &m_pdf, &m_odt, &m_save, &m_print, &m_date, &m_vatRate, &m_record, &m_journal,
          &m_journalList, &m_journalExport})
        if (m_parser.isSet(*other))
            return QStringLiteral("--check-template не сочетается с --%1.")
                .arg(other->names().constFirst());
    const QStringList files = m_parser.positionalArguments();
    if (files.size() > 1)
        return QStringLiteral("--check-template: не более одного файла шаблона.");
    if (files.size() == 1 && files.front().isEmpty())
        return QStringLiteral("--check-template: пустое имя файла шаблона.");
    options.templateFile = files.value(0);
    return options;
}

// A text of a report file or the journal on one line of the terminal: its tabs and line breaks
// would shift the columns, and other control characters would reach the terminal as commands.
QString oneLine(QString text)
{
    for (QChar &c : text)
        if (c == u'\t' || c == u'\n' || c == u'\r')
            c = u' ';
        else if (c.category() == QChar::Other_Control)
            c = QChar::ReplacementCharacter;
    return text;
}

void printLine(const QString &name, const QString &value)
{
    printText(stdout, name + u'\t' + oneLine(value) + u'\n');
}

void printQuantities(const QList<report::NamedQuantity> &quantities, QChar decimal)
{
    for (const auto &[name, value] : quantities)
        printLine(name, numberToText(value, decimal));
}

// The steps of one run, each as a handler of the program runs: an error ends the step and
// goes to standard error as the error box would show it.
class Steps {
  public:
    Steps()
    {
        m_errors.setSink([this](const QString &text) {
            ++m_failures;
            printText(stderr, text + u'\n');
        });
    }
    // False when the step failed, whatever failed before.
    bool run(const std::function<void()> &action)
    {
        const int before = m_failures;
        m_errors.run(action);
        return m_failures == before;
    }
    // A failure that is no error of a step: the run ends with status 1.
    void fail(const QString &text)
    {
        ++m_failures;
        printText(stderr, errorBoxText(text) + u'\n');
    }
    int status() const { return m_failures > 0 ? 1 : 0; }

  private:
    ErrorReporter m_errors;
    int m_failures = 0;
};

QString installedTemplate(report::Calculator kind)
{
    return estimate::findTemplate(
        kind == report::Calculator::General ? estimate::GeneralTemplate : estimate::BoilerTemplate,
        estimate::templateFolders(QCoreApplication::applicationDirPath()));
}

// The estimate as the options ask: as PDF, as OpenDocument, on the default printer. The
// template is looked for only then, and its absence is a failure like any other. Gives where
// the estimate went, empty when every output failed.
QString writeEstimate(Steps &steps, const Options &options, report::Calculator kind,
                      const QList<estimate::Replacement> &replacements)
{
    const bool toFile = !options.pdf.isEmpty() || !options.odt.isEmpty();
    QString templatePath;
    if ((toFile || options.print) && !steps.run([&] { templatePath = installedTemplate(kind); }))
        return QString();
    QStringList actions;
    if (toFile) {
        estimate::DocumentFiller filler;
        QStringList missing;
        if (!steps.run([&] {
                filler.open(templatePath);
                missing = filler.fill(replacements);
            }))
            return QString();
        if (!missing.isEmpty())
            printText(stderr, estimate::missingPlaceholdersWarning(missing) + u'\n');
        if (!options.pdf.isEmpty() && steps.run([&] { saveFile(options.pdf, filler.pdfBytes()); }))
            actions << journal::savedAs(options.pdf);
        if (!options.odt.isEmpty() && steps.run([&] { saveFile(options.odt, filler.odtBytes()); }))
            actions << journal::savedAs(options.odt);
    }
    if (options.print)
        steps.run([&] {
            const estimate::Printed printed = estimate::printEstimate(templatePath, replacements);
            if (!printed.missing.isEmpty() && !toFile)
                printText(stderr, estimate::missingPlaceholdersWarning(printed.missing) + u'\n');
            actions << journal::printedOn(printed.printer);
        });
    return actions.join(QStringLiteral("; "));
}

// The journal named on the command line, else the user's.
QString journalOf(const Options &options)
{
    return options.journal.isEmpty() ? journal::defaultLocation() : options.journal;
}

// Thrown when no output of the estimate went through: there is nothing to record.
struct NothingIssued {};

// The estimate written and recorded in the journal under its number; gives the number.
QString recordEstimate(Steps &steps, const Options &options, report::Calculator kind,
                       const journal::Record &record,
                       const QList<estimate::Replacement> &replacements)
{
    try {
        const journal::Issued issued =
            journal::issueRecorded(journalOf(options), record, [&](const QString &number) {
                const QString action =
                    writeEstimate(steps, options, kind, estimate::numbered(replacements, number));
                if (action.isEmpty())
                    throw NothingIssued();
                return action;
            });
        if (issued.number.isEmpty())
            steps.fail(issued.notices.join(u'\n'));
        else {
            for (const QString &notice : issued.notices)
                printText(stderr, errorBoxText(notice) + u'\n');
        }
        return issued.number;
    } catch (const NothingIssued &) {
        return {};
    }
}

// --journal-list: one line a record, oldest first, after a header.
int listJournal(const Options &options)
{
    try {
        const journal::Journal journal(journalOf(options), journal::Journal::Use::Browse);
        const QChar decimal = NumberFormat::fromLocale(QLocale::system()).decimal;
        printText(stdout, QStringLiteral("number\tdate\tcalculator\tcustomer\tobjects\ttotal\t"
                                         "state\taction\n"));
        journal.forEach({}, true, [&](const journal::Record &r) {
            printText(stdout, QStringList{r.number, r.date.toString(Qt::ISODate),
                                          r.calculator == report::Calculator::General
                                              ? QStringLiteral("general")
                                              : QStringLiteral("boiler"),
                                          oneLine(r.customer), oneLine(r.objects),
                                          journal::moneyText(r.total, decimal),
                                          journal::stateTitle(r.state), oneLine(r.action)}
                                      .join(u'\t') +
                                  u'\n');
        });
        return 0;
    } catch (const Error &error) {
        printText(stderr, errorBoxText(error.message()) + u'\n');
        return 1;
    }
}

// --journal-export: the journal as "Экспорт…" of the register's window writes it, newest first.
int exportJournal(const Options &options)
{
    try {
        const journal::Journal journal(journalOf(options), journal::Journal::Use::Browse);
        saveFile(options.journalExport,
                 journal::toCsv(journal.list(), NumberFormat::fromLocale(QLocale::system())));
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
        printText(stdout, QStringLiteral("Шаблон: %1\n").arg(QDir::toNativeSeparators(path)));
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

// Loads the file as "Загрузить данные" does, recomputes as showing the last page does, and
// gives the estimate's replacements when the recomputation completed.
struct Run {
    QList<report::NamedQuantity> quantities;
    QStringList labels; // Label7 and Label11, or Label11
    std::optional<QList<estimate::Replacement>> estimate;
    QStringList lines; // of the report file, as "Сохранить файл отчета" writes them
    journal::Record record; // what the register keeps of the estimate, but its inputs
};

// The lines the loader did not take as written, each named; the exit status stays.
void warnOfLoadNotes(report::Calculator kind, const QStringList &file, QChar decimal)
{
    for (const QString &note : report::loadNotes(kind, file, decimal))
        printText(stderr, QStringLiteral("Предупреждение (файл отчета): %1\n").arg(note));
}

bool computeGeneral(Steps &steps, const QStringList &file, const Options &options,
                    const NumberFormat &format, Run &run)
{
    report::GeneralCalculation calculation;
    if (!steps.run([&] { calculation = report::loadGeneral(file, format.decimal); }))
        return false;
    warnOfLoadNotes(report::Calculator::General, file, format.decimal);
    report::GeneralResult result;
    const bool computed = steps.run(
        [&] { report::computeGeneral(calculation, options.terms, format.decimal, result); });
    run.quantities = report::namedQuantities(result);
    run.labels = {QStringLiteral("Label7\t") + result.display.perSquareMetre,
                  QStringLiteral("Label11\t") + result.display.total};
    if (computed)
        steps.run([&] {
            run.estimate = report::generalEstimate(calculation, result, options.terms, format);
        });
    run.record =
        journal::estimateRecord(report::Calculator::General, options.terms.date, calculation.first,
                                result.cost.totalCost().store(), result.cost.VatRate);
    run.lines = report::generalLines(calculation);
    return true;
}

bool computeBoiler(Steps &steps, const QStringList &file, const Options &options,
                   const NumberFormat &format, Run &run)
{
    report::BoilerCalculation calculation;
    if (!steps.run([&] { calculation = report::loadBoiler(file, format.decimal); }))
        return false;
    warnOfLoadNotes(report::Calculator::Boiler, file, format.decimal);
    QString total = QStringLiteral("0 руб.");
    const bool computed = steps.run(
        [&] { total = report::computeBoiler(calculation, options.terms, format.decimal); });
    run.quantities = report::namedQuantities(calculation.quantities);
    run.labels = {QStringLiteral("Label11\t") + total};
    if (computed)
        steps.run(
            [&] { run.estimate = report::boilerEstimate(calculation, options.terms, format); });
    run.lines = report::boilerLines(calculation, format.decimal);
    run.record =
        journal::estimateRecord(report::Calculator::Boiler, options.terms.date, calculation.first,
                                calculation.quantities.TotalCost, calculation.quantities.VatRate);
    return true;
}

int run(const Options &options)
{
    Steps steps;
    const NumberFormat format = NumberFormat::fromLocale(QLocale::system());
    QStringList file;
    if (!steps.run([&] { file = report::readFile(options.file); }))
        return 1;
    const report::Calculator kind = options.kind.value_or(report::calculatorOf(file));
    Run result;
    const bool loaded = kind == report::Calculator::General
                            ? computeGeneral(steps, file, options, format, result)
                            : computeBoiler(steps, file, options, format, result);
    if (!loaded)
        return 1;
    printQuantities(result.quantities, format.decimal);
    for (const QString &label : result.labels)
        printText(stdout, label + u'\n');
    if (result.estimate) {
        QString number;
        if (options.record) {
            result.record.inputs = report::encode(result.lines);
            number = recordEstimate(steps, options, kind, result.record, *result.estimate);
        } else {
            writeEstimate(steps, options, kind, *result.estimate);
        }
        for (const estimate::Replacement &r : estimate::numbered(*result.estimate, number))
            printLine(r.placeholder, r.value);
        if (!number.isEmpty())
            printLine(QStringLiteral("JournalNumber"), number);
    }
    if (!options.save.isEmpty())
        steps.run([&] { report::writeFile(options.save, result.lines); });
    return steps.status();
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
#ifndef Q_OS_WIN
    // The windows are made as the program makes them, but never shown. On Windows the system's
    // own platform serves: it has the fonts the estimate embeds, offscreen there has none.
    qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
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
    if (!options.journalExport.isEmpty())
        return exportJournal(options);
    return run(options);
}
