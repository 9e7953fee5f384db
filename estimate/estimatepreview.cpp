#include "estimatepreview.h"

#include "filler.h"

#include "app/errorbox.h"
#include "app/savefile.h"
#include "journal/journal.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QToolBar>
#include <QVBoxLayout>

namespace dalko::estimate {

namespace {

const QString PdfFilter = QStringLiteral("PDF (*.pdf)");
const QString OdtFilter = QStringLiteral("Документ OpenDocument (*.odt)");
const QString FolderKey = QStringLiteral("estimate/lastFolder");

QString lastFolder()
{
    return QSettings()
        .value(FolderKey, QStandardPaths::writableLocation(QStandardPaths::HomeLocation))
        .toString();
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
    m_preview = new QPrintPreviewWidget(m_printer.get(), this);
    connect(m_preview, &QPrintPreviewWidget::paintRequested, this,
            [this](QPrinter *printer) { m_filler.paint(*printer); });

    auto *toolbar = new QToolBar(this);
    m_print = toolbar->addAction(QStringLiteral("Печать…"), this,
                                 [this] { m_errors.run([this] { printWithDialog(); }); });
    m_print->setShortcut(QKeySequence::Print);
    m_save = toolbar->addAction(QStringLiteral("Сохранить смету…"), this,
                                [this] { m_errors.run([this] { chooseFileAndSave(); }); });
    m_save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    toolbar->addSeparator();
    toolbar->addAction(QStringLiteral("Крупнее"), m_preview, [this] { m_preview->zoomIn(); })
        ->setShortcut(QKeySequence::ZoomIn);
    toolbar->addAction(QStringLiteral("Мельче"), m_preview, [this] { m_preview->zoomOut(); })
        ->setShortcut(QKeySequence::ZoomOut);
    toolbar->addAction(QStringLiteral("По ширине страницы"), m_preview,
                       [this] { m_preview->fitToWidth(); });
    toolbar->addSeparator();
    toolbar->addAction(QStringLiteral("Закрыть"), this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(toolbar);
    layout->addWidget(m_preview);
    // A page at a readable size, on any screen.
    QSize size(900, 1000);
    if (const QScreen *shown = screen())
        size = size.boundedTo(shown->availableGeometry().size() * 9 / 10);
    resize(size);
}

EstimatePreview::~EstimatePreview() = default;

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
    QFileDialog dialog(this, QStringLiteral("Сохранить смету"), lastFolder());
    dialog.setObjectName(QStringLiteral("EstimateSaveDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({PdfFilter, OdtFilter});
    dialog.selectFile(QStringLiteral("Смета"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    QString path = dialog.selectedFiles().front();
    if (QFileInfo(path).suffix().isEmpty())
        path += dialog.selectedNameFilter() == OdtFilter ? QStringLiteral(".odt")
                                                         : QStringLiteral(".pdf");
    QSettings().setValue(FolderKey, QFileInfo(path).absolutePath());
    saveAs(path);
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
