#include "templatecheck.h"

#include "boilerestimate.h"
#include "estimatenumber.h"
#include "filler.h"
#include "generalestimate.h"

#include <QRegularExpression>
#include <QTextBlock>

#include <optional>

namespace dalko::estimate {

namespace {

QStringList placeholdersOf(const QList<Replacement> &replacements)
{
    QStringList placeholders;
    for (const Replacement &replacement : replacements)
        placeholders << replacement.placeholder;
    return placeholders;
}

// Inputs for which every value forms without an error; only the placeholders are used.
BoilerInputs neutralBoilerInputs()
{
    BoilerInputs in;
    in.first.financial = {QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"),
                          QStringLiteral("0")};
    return in;
}

// Whether every character of the block's [start, end) has one format.
bool uniformFormat(const QTextBlock &block, int start, int end)
{
    std::optional<QTextCharFormat> first;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (fragment.position() + fragment.length() <= start || fragment.position() >= end)
            continue;
        if (first && fragment.charFormat() != *first)
            return false;
        first = fragment.charFormat();
    }
    return true;
}

} // namespace

QStringList estimatePlaceholders(Estimate estimate)
{
    return estimate == Estimate::General
               ? placeholdersOf(generalReplacements({}))
               : placeholdersOf(boilerReplacements(neutralBoilerInputs()));
}

QStringList TemplateCheck::lines() const
{
    QStringList all;
    for (const QList<TemplateFinding> *findings :
         {&missing, &mixedFormat, &withoutNumber, &unknown})
        for (const TemplateFinding &finding : *findings)
            all << finding.line();
    return all;
}

TemplateCheck checkTemplate(const QString &templatePath, Estimate estimate)
{
    DocumentFiller filler;
    filler.open(templatePath);
    const QTextDocument &document = filler.document();
    const QStringList own = estimatePlaceholders(estimate);
    const QStringList other =
        estimatePlaceholders(estimate == Estimate::General ? Estimate::Boiler : Estimate::General);
    // A placeholder's name never holds a blank, "#" or "&".
    static const QRegularExpression placeholderLike(QStringLiteral("#[^\\s#&]+&"),
                                                    QRegularExpression::UseUnicodePropertiesOption);

    TemplateCheck check;
    QStringList present, mixed, unknown;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        for (const QString &placeholder : own)
            for (qsizetype at = text.indexOf(placeholder); at >= 0;
                 at = text.indexOf(placeholder, at + placeholder.size())) {
                present << placeholder;
                const int start = block.position() + int(at);
                if (!uniformFormat(block, start, start + int(placeholder.size())))
                    mixed << placeholder;
            }
        for (const QRegularExpressionMatch &match : placeholderLike.globalMatch(text))
            if (!own.contains(match.captured()) && !unknown.contains(match.captured())) {
                unknown << match.captured();
                check.unknown << TemplateFinding{
                    match.captured(),
                    other.contains(match.captured())
                        ? QStringLiteral("метка другой сметы: здесь не заменяется и будет "
                                         "напечатана как есть")
                        : QStringLiteral("не метка ни одной сметы (опечатка или метка, "
                                         "разбитая правкой): будет напечатана как есть")};
            }
    }
    for (const QString &placeholder : own) {
        if (!present.contains(placeholder) && placeholder == NumberPlaceholder)
            check.withoutNumber << TemplateFinding{
                placeholder, QStringLiteral("нет в тексте шаблона: смета печатается без номера "
                                            "из журнала смет")};
        else if (!present.contains(placeholder))
            check.missing << TemplateFinding{
                placeholder, QStringLiteral("нет в тексте шаблона: это значение не попадёт в "
                                            "смету")};
        else if (mixed.contains(placeholder))
            check.mixedFormat << TemplateFinding{
                placeholder,
                QStringLiteral("части метки оформлены по-разному: значение получит оформление "
                               "её последнего знака; оформите всю метку одинаково")};
    }
    return check;
}

} // namespace dalko::estimate
