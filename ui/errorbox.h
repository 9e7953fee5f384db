#pragma once

// How an error that its handler does not catch reaches the user: it ends the handler where
// it occurred (what the handler changed before stays changed) and is shown in a modal box.

#include "numbers.h"

#include <functional>
#include <optional>

class QDialog;

namespace dalko {

inline const QString ApplicationTitle = QStringLiteral("НП ДАЛКО - Vivazuzudud");

// The critical message box captioned with the application title.
void showErrorBox(const QString &message);

class ErrorReporter {
  public:
    using Sink = std::function<void(const QString &boxText)>;

    // Where the texts go: the error box unless told otherwise (the command-line tool
    // writes them to standard error).
    void setSink(Sink sink) { m_sink = std::move(sink); }

    // Runs one event handler. A handler run by another one (a change handler run because a
    // loader set a text) keeps its error for the outer one, which ends at its next
    // rethrowPending().
    void run(const std::function<void()> &handler);
    void rethrowPending();
    // Runs a modal dialog from within a handler. The handlers run in the dialog's own event
    // loop are handlers of their own: their errors are shown at once, not kept for this one.
    int execModal(QDialog &dialog);

  private:
    void report(const Error &error);

    Sink m_sink;
    int m_depth = 0;
    std::optional<Error> m_pending;
};

} // namespace dalko
