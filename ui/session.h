#pragma once

// What every window of one run of the program shares: the regional settings, the error
// reporting, the estimate's terms, the return from modal dialogs, and the two things only the
// program can do for a page (load a report file into all pages of a calculator, end the run).
// The windows know this, never the program that builds them.

#include "errorbox.h"
#include "numbers.h"
#include "vatlaw.h"

#include "reportfile/reportformat.h"

#include <QObject>
#include <QPixmap>

class QWidget;

namespace dalko {

// Remembers the window over which one of the program's own modal dialogs last closed. The
// window system then makes that window active again; running its FormActivate for that would
// repeat a failed recomputation at once, box after box.
class DialogReturn : public QObject {
    Q_OBJECT
  public:
    DialogReturn();
    // True, once, when this activation only returns from a dialog.
    bool consume(QWidget *window);
    void clear() { m_window = nullptr; }

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    QWidget *m_window = nullptr;
};

struct Session {
    Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    NumberFormat regional;
    ErrorReporter errors;
    DialogReturn dialogReturn;
    // The estimate's date, today at each start, and the VAT rate the firm fixed, if any.
    EstimateTerms estimateTerms;

    void refreshRegional();
    // Assigns the lines of a report file to the pages, as "Загрузить данные" does; the notes
    // on lines not taken as written.
    virtual QStringList loadReport(report::Calculator calculator, const QStringList &lines) = 0;
    // "Журнал смет", over the window that asks for it.
    virtual void openJournal(QWidget *parent) = 0;
    // Closing the main window ends the program.
    virtual void endProgram() = 0;

    // The folder of the executable, where the templates and pictures lie.
    static QString installDir();
    static QPixmap picture(const QString &fileName);

  protected:
    ~Session() = default;
};

} // namespace dalko
