#include "templatecheck.h"

#include "boilerestimate.h"
#include "estimatenumber.h"
#include "filler.h"
#include "generalestimate.h"

#include <QRegularExpression>
#include <QSet>
#include <QTextBlock>

#include <algorithm>

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

// Whether every character of [start, end) of a block has one format; its fragments in order.
bool uniformFormat(const QList<QTextFragment> &fragments, int start, int end)
{
    // The first fragment that ends after start, found by halving: a paragraph may hold
    // thousands of fragments and of placeholders.
    auto it = std::partition_point(fragments.begin(), fragments.end(), [&](const QTextFragment &f) {
        return f.position() + f.length() <= start;
    });
    if (it == fragments.end())
        return true;
    const QTextCharFormat first = it->charFormat();
    for (; it != fragments.end() && it->position() < end; ++it)
        if (it->charFormat() != first)
            return false;
    return true;
}

QList<QTextFragment> fragmentsOf(const QTextBlock &block)
{
    QList<QTextFragment> fragments;
    for (auto it = block.begin(); !it.atEnd(); ++it)
        fragments << it.fragment();
    return fragments;
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
    const QSet<QString> ownSet(own.begin(), own.end());
    const QStringList other =
        estimatePlaceholders(estimate == Estimate::General ? Estimate::Boiler : Estimate::General);
    const QSet<QString> otherSet(other.begin(), other.end());
    // A placeholder's name never holds a blank, "#" or "&".
    static const QRegularExpression placeholderLike(QStringLiteral("#[^\\s#&]+&"),
                                                    QRegularExpression::UseUnicodePropertiesOption);

    TemplateCheck check;
    QSet<QString> present, mixed, unknown;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        QList<QTextFragment> fragments;
        for (const QString &placeholder : own)
            for (qsizetype at = text.indexOf(placeholder); at >= 0;
                 at = text.indexOf(placeholder, at + placeholder.size())) {
                present.insert(placeholder);
                if (fragments.isEmpty())
                    fragments = fragmentsOf(block);
                const int start = block.position() + int(at);
                if (!uniformFormat(fragments, start, start + int(placeholder.size())))
                    mixed.insert(placeholder);
            }
        for (const QRegularExpressionMatch &match : placeholderLike.globalMatch(text)) {
            const QString found = match.captured();
            if (ownSet.contains(found) || unknown.contains(found))
                continue;
            unknown.insert(found);
            check.unknown << TemplateFinding{
                found, otherSet.contains(found)
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
