#pragma once

// The estimate on screen before it goes anywhere: its pages as they would print (A4, the same
// margins and page breaks), printed from here through the print dialog or saved as PDF or
// OpenDocument.

#include <QDialog>

#include <functional>
#include <memory>

class QAction;
class QLabel;
class QPrintPreviewWidget;
class QPrinter;

namespace dalko {
class ErrorReporter;
}

namespace dalko::estimate {

class DocumentFiller;

class EstimatePreview : public QDialog {
    Q_OBJECT
  public:
    // The filled document must outlive the dialog. Fails, before anything is shown, when the
    // document does not lay out on a sane number of pages.
    EstimatePreview(DocumentFiller &filler, ErrorReporter &errors, QWidget *parent);
    ~EstimatePreview() override;

    QPrintPreviewWidget *preview() const { return m_preview; }
    QAction *printAction() const { return m_print; }
    QAction *saveAction() const { return m_save; }
    QAction *previousPageAction() const { return m_previousPage; }
    QAction *nextPageAction() const { return m_nextPage; }
    // "Страница 1 из 2".
    QString pageText() const;

    // Writes the estimate as ODT when the name ends in ".odt", as PDF otherwise.
    void saveAs(const QString &path);

    // Runs each output of the estimate (a print or a save, which says where the estimate
    // went) as the page issues estimates; by default just runs it.
    using Issue = std::function<void(const std::function<QString()> &output)>;
    void setIssue(Issue issue) { m_issue = std::move(issue); }

  private:
    // A slot that runs its handler as every handler of the program runs: an error ends it and
    // is shown in the error box.
    template <typename Handler>
    auto guarded(Handler handler)
    {
        return [this, handler] { runGuarded(handler); };
    }
    void runGuarded(const std::function<void()> &handler);

    void printWithDialog();
    void chooseFileAndSave();
    void turnPage(int by);
    void showPageNumber();

    DocumentFiller &m_filler;
    ErrorReporter &m_errors;
    std::unique_ptr<QPrinter> m_printer;
    QPrintPreviewWidget *m_preview;
    QAction *m_print;
    QAction *m_save;
    QAction *m_previousPage;
    QAction *m_nextPage;
    QLabel *m_pageNumber;
    Issue m_issue = [](const std::function<QString()> &output) { output(); };
};

} // namespace dalko::estimate
