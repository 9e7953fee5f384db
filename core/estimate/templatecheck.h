#pragma once

// Checks a template against the placeholders of its estimate, reading it exactly as the
// filler does: the document's text after HTML entities and markup.

#include <QList>
#include <QString>
#include <QStringList>

namespace dalko::estimate {

enum class Estimate { General, Boiler };

// The placeholders of an estimate in the order of its replacements, taken from its list of
// replacements itself.
QStringList estimatePlaceholders(Estimate estimate);

struct TemplateFinding {
    QString text;        // the placeholder, or the "#…&" text found in the template
    QString explanation; // in Russian
    QString line() const { return text + QStringLiteral(" — ") + explanation; }
};

struct TemplateCheck {
    // Placeholders of the estimate that the template's text lacks: their values never print.
    QList<TemplateFinding> missing;
    // Placeholders whose characters differ in format (a word processor's bold or font change
    // in the middle): the value takes the format of the last character only.
    QList<TemplateFinding> mixedFormat;
    // The estimate's number, where a firm's template older than the register lacks it: the
    // estimate prints without it.
    QList<TemplateFinding> withoutNumber;
    // "#…&" texts of the template that are no placeholder of this estimate: they print as
    // they stand.
    QList<TemplateFinding> unknown;

    // Every placeholder is there, each in one format.
    bool passed() const { return missing.isEmpty() && mixedFormat.isEmpty(); }
    // One line per finding: missing, mixed format, without number, unknown.
    QStringList lines() const;
};

// Fails, as the filler would, when the template cannot be read or is refused.
TemplateCheck checkTemplate(const QString &templatePath, Estimate estimate);

} // namespace dalko::estimate
