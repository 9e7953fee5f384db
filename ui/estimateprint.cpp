#include "estimateprint.h"

#include "numbers.h"

#include <QPrinter>
#include <QPrinterInfo>

namespace dalko::estimate {

namespace {

const QString ViewAndSave = QStringLiteral(
    "Смету можно посмотреть, напечатать на выбранном принтере и сохранить в файл кнопкой "
    "\"Просмотр сметы…\"");

// With no printer, or none chosen as the default, Qt would quietly print to nowhere or to
// the first printer it finds.
QPrinterInfo defaultPrinter()
{
    if (QPrinterInfo::availablePrinters().isEmpty())
        throw Error(
            QStringLiteral("В системе не установлен ни один принтер: смета не напечатана. ") +
            ViewAndSave);
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (printer.isNull())
        throw Error(QStringLiteral("Не выбран принтер по умолчанию: смета не напечатана. "
                                   "Назначьте принтер по умолчанию в настройках системы. ") +
                    ViewAndSave);
    return printer;
}

} // namespace

Printed printEstimate(const QString &templatePath, const QList<Replacement> &replacements)
{
    const QPrinterInfo info = defaultPrinter();
    DocumentFiller filler;
    filler.open(templatePath);
    const QStringList missing = filler.fill(replacements);
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Смета"));
    filler.paint(printer);
    if (printer.printerState() == QPrinter::Error)
        throw Error(QStringLiteral("Смета не напечатана: принтер \"%1\" сообщил об ошибке")
                        .arg(info.printerName()));
    return {info.printerName(), missing};
}

} // namespace dalko::estimate
