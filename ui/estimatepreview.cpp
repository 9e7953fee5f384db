#include "estimatepreview.h"

#include "estimate/filler.h"

#include "dialogfolder.h"
#include "errorbox.h"
#include "savefile.h"
#include "settings.h"

#include "journal/journal.h"

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace dalko::estimate {

namespace {

struct SaveFormat {
    QString filter;
    QString suffix;
};
const std::array<SaveFormat, 2> SaveFormats{{
    {QStringLiteral("PDF (*.pdf)"), QStringLiteral("pdf")},
    {QStringLiteral("Документ OpenDocument (*.odt)"), QStringLiteral("odt")},
}};
const QString FormatKey = QStringLiteral("estimate/format");

// The format that matches, or PDF.
template <typename Matches>
const SaveFormat &formatWhere(Matches matches)
{
    const auto found = std::find_if(SaveFormats.begin(), SaveFormats.end(), matches);
    return found != SaveFormats.end() ? *found : SaveFormats.front();
}

const SaveFormat &formatOfFilter(const QString &filter)
{
    return formatWhere([&](const SaveFormat &format) { return format.filter == filter; });
}

const SaveFormat &lastFormat()
{
    const QString suffix = appSettings().value(FormatKey).toString();
    return formatWhere([&](const SaveFormat &format) { return format.suffix == suffix; });
}

} // namespace

EstimatePreview::EstimatePreview(DocumentFiller &filler, ErrorReporter &errors, QWidget *parent)
    : QDialog(parent), m_filler(filler), m_errors(errors),
      m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    setObjectName(QStringLiteral("EstimatePreview"));
    setWindowTitle(QStringLiteral("Просмотр сметы"));
    setModal(true);
    m_printer->setPageSize(QPageSize(QPageSize::A4));
    m_printer->setDocName(QStringLiteral("Смета"));
    // An over-long layout is refused here, as printing refuses it, rather than in the middle
    // of the preview's painting.
    m_filler.layOut(*m_printer);
    m_preview = new QPrintPreviewWidget(m_printer.get(), this);
    connect(m_preview, &QPrintPreviewWidget::paintRequested, this,
            [this](QPrinter *printer) { runGuarded([&] { m_filler.paint(*printer); }); });

    auto *toolbar = new QToolBar(this);
    m_print =
        toolbar->addAction(QStringLiteral("Печать…"), this, guarded([this] { printWithDialog(); }));
    m_print->setShortcut(QKeySequence::Print);
    m_save = toolbar->addAction(QStringLiteral("Сохранить смету…"), this,
                                guarded([this] { chooseFileAndSave(); }));
    m_save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    toolbar->addSeparator();
    // Arrows, named in their tooltips: the toolbar stays one row wide enough for a small screen.
    m_previousPage = toolbar->addAction(style()->standardIcon(QStyle::SP_ArrowBack),
                                        QStringLiteral("Предыдущая страница"), this,
                                        guarded([this] { turnPage(-1); }));
    m_previousPage->setShortcut(QKeySequence::MoveToPreviousPage);
    m_pageNumber = new QLabel(toolbar);
    m_pageNumber->setObjectName(QStringLiteral("PageNumber"));
    m_pageNumber->setContentsMargins(6, 0, 6, 0);
    toolbar->addWidget(m_pageNumber);
    m_nextPage = toolbar->addAction(style()->standardIcon(QStyle::SP_ArrowForward),
                                    QStringLiteral("Следующая страница"), this,
                                    guarded([this] { turnPage(+1); }));
    m_nextPage->setShortcut(QKeySequence::MoveToNextPage);
    connect(m_preview, &QPrintPreviewWidget::previewChanged, this,
            guarded([this] { showPageNumber(); }));
    toolbar->addSeparator();
    toolbar
        ->addAction(QStringLiteral("Крупнее"), m_preview, guarded([this] { m_preview->zoomIn(); }))
        ->setShortcut(QKeySequence::ZoomIn);
    toolbar
        ->addAction(QStringLiteral("Мельче"), m_preview, guarded([this] { m_preview->zoomOut(); }))
        ->setShortcut(QKeySequence::ZoomOut);
    toolbar->addAction(QStringLiteral("По ширине страницы"), m_preview,
                       guarded([this] { m_preview->fitToWidth(); }));
    toolbar->addSeparator();
    toolbar->addAction(QStringLiteral("Закрыть"), this, guarded([this] { reject(); }));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(toolbar);
    layout->addWidget(m_preview);
    // A page at a readable size, on any screen.
    QSize size(900, 1000);
    if (const QScreen *shown = screen())
        size = size.boundedTo(shown->availableGeometry().size() * 9 / 10);
    resize(size);
    showPageNumber();
}

EstimatePreview::~EstimatePreview() = default;

void EstimatePreview::runGuarded(const std::function<void()> &handler) { m_errors.run(handler); }

QString EstimatePreview::pageText() const { return m_pageNumber->text(); }

void EstimatePreview::turnPage(int by)
{
    m_preview->setCurrentPage(m_preview->currentPage() + by);
    showPageNumber();
}

void EstimatePreview::showPageNumber()
{
    const int count = m_preview->pageCount();
    const int current = std::max(1, m_preview->currentPage());
    m_pageNumber->setText(QStringLiteral("Страница %1 из %2").arg(current).arg(std::max(1, count)));
    m_previousPage->setEnabled(current > 1);
    m_nextPage->setEnabled(current < count);
}

void EstimatePreview::printWithDialog()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setDocName(QStringLiteral("Смета"));
    QPrintDialog dialog(&printer, this);
    // The pages the user may choose from: those of the preview.
    dialog.setMinMax(1, m_preview->pageCount());
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_issue([&] {
        m_filler.paint(printer);
        return printer.outputFileName().isEmpty() ? journal::printedOn(printer.printerName())
                                                  : journal::savedAs(printer.outputFileName());
    });
    m_preview->updatePreview();
}

void EstimatePreview::chooseFileAndSave()
{
    QFileDialog dialog(this, QStringLiteral("Сохранить смету"));
    dialog.setObjectName(QStringLiteral("EstimateSaveDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    setUpFileDialog(&dialog);
    QStringList filters;
    for (const SaveFormat &format : SaveFormats)
        filters << format.filter;
    dialog.setNameFilters(filters);
    // The dialog adds the suffix itself, so that it asks before replacing the file that will
    // actually be written.
    const SaveFormat &format = lastFormat();
    dialog.selectNameFilter(format.filter);
    dialog.setDefaultSuffix(format.suffix);
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString &filter) {
        dialog.setDefaultSuffix(formatOfFilter(filter).suffix);
    });
    dialog.selectFile(QStringLiteral("Смета"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    appSettings().setValue(FormatKey, formatOfFilter(dialog.selectedNameFilter()).suffix);
    saveAs(dialog.selectedFiles().front());
}

void EstimatePreview::saveAs(const QString &path)
{
    const bool odt = path.endsWith(QStringLiteral(".odt"), Qt::CaseInsensitive);
    m_issue([&] {
        saveFile(path, odt ? m_filler.odtBytes() : m_filler.pdfBytes());
        return journal::savedAs(path);
    });
    m_preview->updatePreview();
}

} // namespace dalko::estimate
