#pragma once

// The application as both programs set it up: name and version, the pages' font, Qt's own
// texts in the user's language.

#include <QLocale>

#include <memory>
#include <vector>

class QTranslator;

namespace dalko {

// Prepares the application: name and version, default font, taskbar icon.
void setUpApplication();

// Qt's own texts (file dialogs and their questions, message-box buttons, the edit boxes'
// context menus) in Russian when the user's language is Russian, for as long as this lives.
class QtTranslation {
  public:
    explicit QtTranslation(const QLocale &locale);
    ~QtTranslation();
    QtTranslation(const QtTranslation &) = delete;
    QtTranslation &operator=(const QtTranslation &) = delete;

  private:
    std::vector<std::unique_ptr<QTranslator>> m_translators;
};

} // namespace dalko
