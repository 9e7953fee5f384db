#pragma once

// The keystroke filter of the numeric edit boxes: digits, backspace, carriage return and one
// decimal separator pass; "," and "." become the separator; anything else beeps.

#include "numbers.h"

#include <QObject>
#include <optional>

class QLineEdit;

namespace dalko {

// The character that goes on to the box, or nothing when it is refused.
std::optional<QChar> filterKeystroke(QChar typed, const QString &current, QChar separator);

class NumericKeyFilter : public QObject {
    Q_OBJECT
  public:
    NumericKeyFilter(const NumberFormat &regional, QObject *parent);
    void bind(QLineEdit *edit);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    const NumberFormat &m_regional;
};

} // namespace dalko
