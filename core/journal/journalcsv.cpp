#include "journalcsv.h"

namespace dalko::journal {

namespace {

// A spreadsheet takes a cell that begins so for a formula (a live HYPERLINK from a customer's
// name): a leading apostrophe keeps it text.
QString neutralised(const QString &text)
{
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    return !text.isEmpty() && formulaStarts.contains(text.front()) ? u'\'' + text : text;
}

QString field(QString text)
{
    if (!text.contains(u';') && !text.contains(u'"') && !text.contains(u'\n') &&
        !text.contains(u'\r'))
        return text;
    text.replace(u'"', QStringLiteral("\"\""));
    return u'"' + text + u'"';
}

} // namespace

QString calculatorTitle(report::Calculator calculator)
{
    return calculator == report::Calculator::General ? QStringLiteral("Общий")
                                                     : QStringLiteral("Котельная");
}

QByteArray toCsv(const QList<Record> &records, const NumberFormat &format)
{
    QString text = QStringLiteral("Номер;Состояние;Дата;Выдана;Расчет;Заказчик;Место;Объекты;"
                                  "Сумма;НДС, %;Действие\r\n");
    for (const Record &r : records) {
        const QStringList fields = {
            r.number,
            stateTitle(r.state),
            dateText(r.date, format),
            dateText(r.issued.date(), format) + u' ' + r.issued.time().toString(u"HH:mm"),
            calculatorTitle(r.calculator),
            neutralised(r.customer),
            neutralised(r.place),
            neutralised(r.objects),
            moneyText(r.total, format.decimal),
            numberToText(static_cast<long double>(r.vatRate) * 100, format.decimal),
            neutralised(r.action),
        };
        QStringList quoted;
        for (const QString &f : fields)
            quoted << field(f);
        text += quoted.join(u';') + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

} // namespace dalko::journal
