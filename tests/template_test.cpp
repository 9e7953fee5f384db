// Where templates are found and which template files are refused before anything is filled.

#include "estimate/templatefiles.h"

#include "numbers.h"

#include "qstring_print.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace dalko;
using namespace dalko::estimate;

namespace {

// The bytes of a literal that holds NUL bytes, all of them but the terminating one.
template <std::size_t N>
QByteArray withNuls(const char (&literal)[N])
{
    return QByteArray(literal, N - 1);
}

class TemplateFiles : public ::testing::Test {
  protected:
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    // The message readTemplateHtml fails with, or an empty text when it reads the file.
    static QString refusal(const QString &path)
    {
        try {
            readTemplateHtml(path);
            return {};
        } catch (const Error &e) {
            return e.message();
        }
    }
    QTemporaryDir dir;
};

TEST_F(TemplateFiles, FirstFolderHoldingTheTemplateWins)
{
    const QStringList folders{dir.filePath("user"), dir.filePath("etc"), dir.filePath("program")};
    write("program/dalko-en.rv", "<p>program</p>");
    EXPECT_EQ(findTemplate("dalko-en.rv", folders), dir.filePath("program/dalko-en.rv"));
    write("etc/dalko-en.rv", "<p>etc</p>");
    EXPECT_EQ(findTemplate("dalko-en.rv", folders), dir.filePath("etc/dalko-en.rv"));
    write("user/dalko-en.rv", "<p>user</p>");
    EXPECT_EQ(findTemplate("dalko-en.rv", folders), dir.filePath("user/dalko-en.rv"));

    try {
        findTemplate("dalko-t.rv", folders);
        FAIL();
    } catch (const Error &e) {
        for (const QString &folder : folders)
            EXPECT_TRUE(e.message().contains(QDir(folder).filePath("dalko-t.rv")))
                << e.message().toStdString();
    }

    const QStringList defaults = templateFolders("/opt/dalko");
    EXPECT_EQ(defaults.first(), QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    EXPECT_EQ(defaults.mid(1), QStringList({"/etc/dalko", "/opt/dalko"}));
}

TEST_F(TemplateFiles, DocumentsThatAreNotHtmlAreRefusedByName)
{
    const struct {
        const char *name;
        QByteArray bytes;
        const char *kind;
    } cases[] = {
        {"odt.rv", withNuls("PK\x03\x04\x14\0\0\0mimetypeapplication/vnd.oasis"), "ZIP"},
        {"docx.rv", withNuls("PK\x03\x04\x14\0\x06\0[Content_Types].xml"), "ZIP"},
        {"doc.rv", withNuls("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0\0\0"), "Word"},
        {"pdf.rv", "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n1 0 obj", "PDF"},
        {"nul.rv", withNuls("<html><body>#ЧИСЛО&\0</body></html>"), "нулевые байты"},
        {"utf16.rv", withNuls("\xFF\xFE<\0p\0>\0"), "нулевые байты"},
    };
    for (const auto &c : cases) {
        const QString path = write(c.name, c.bytes);
        const QString message = refusal(path);
        EXPECT_TRUE(message.contains(path)) << c.name << message.toStdString();
        EXPECT_TRUE(message.contains(c.kind)) << c.name << message.toStdString();
        EXPECT_TRUE(message.contains("сохраните как документ HTML")) << message.toStdString();
    }
    EXPECT_EQ(refusal(write("plain.rv", "<p>#ЧИСЛО&</p>")), "");
}

TEST_F(TemplateFiles, OnlyRegularFilesOfSaneSizeAreRead)
{
    const QString fifo = dir.filePath("fifo.rv");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString large = write("large.rv", "<p>");
    QFile(large).resize(MaxTemplateBytes + 1); // sparse
    write("exact.rv", QByteArray(MaxTemplateBytes, ' '));

    const struct {
        QString path;
        const char *reason;
    } cases[] = {
        {fifo, "Это канал, а не обычный файл"},
        {"/dev/zero", "Это устройство, а не обычный файл"},
        {dir.path(), "Это папка, а не файл"},
        {dir.filePath("none.rv"), "Нет такого файла или папки"},
        {large, "больше 4 МБ"},
    };
    for (const auto &c : cases) {
        const QString message = refusal(c.path);
        EXPECT_TRUE(message.contains(c.path)) << message.toStdString();
        EXPECT_TRUE(message.contains(c.reason)) << message.toStdString();
    }
    EXPECT_EQ(refusal(dir.filePath("exact.rv")), "");
    // Only regular files, through the same reader the filler uses for pictures.
    EXPECT_FALSE(readTemplateFile(fifo).failure.isEmpty());
    EXPECT_EQ(readTemplateFile(dir.filePath("exact.rv")).bytes.size(), MaxTemplateBytes);
}

QByteArray nested(const QByteArray &open, const QByteArray &close, int depth)
{
    return open.repeated(depth) + "x" + close.repeated(depth);
}

TEST_F(TemplateFiles, DeepNestingIsRefusedBeforeTheImport)
{
    const QByteArray table = "<table><tr><td>";
    const QByteArray tableEnd = "</td></tr></table>";
    const struct {
        QByteArray html;
        const char *refused; // nullptr: read
    } cases[] = {
        {nested(table, tableEnd, MaxTableNesting), nullptr},
        {nested(table, tableEnd, MaxTableNesting + 1), "таблицы вложены"},
        {nested(table, tableEnd, 60), "таблицы вложены"},
        {nested("<TABLE border=1><tr><td>", tableEnd, 10000), "таблицы вложены"},
        // Unclosed tables nest as well.
        {nested(table, "", 60), "таблицы вложены"},
        // Side by side is no nesting, nor are tables in a comment or closed ones.
        {nested(table, tableEnd, 3).repeated(1000), nullptr},
        {"<!--" + nested(table, tableEnd, 60) + "-->", nullptr},
        {nested("<table/>", "", 60), nullptr},
        {nested("<div>", "</div>", MaxElementNesting), nullptr},
        {nested("<div>", "</div>", 10000), "элементы HTML вложены"},
        {nested("<b><i>", "</i></b>", 10000), "элементы HTML вложены"},
        // Paragraphs and cells whose end tags are left out.
        {nested("<p>", "", 10000), nullptr},
        {"<table>" + nested("<tr><td>", "", int(MaxTableCells)) + "</table>", nullptr},
    };
    for (const auto &c : cases) {
        const QString path = write("nested.rv", c.html);
        const QString message = refusal(path);
        if (c.refused) {
            EXPECT_TRUE(message.contains(c.refused)) << c.html.left(60).toStdString();
            EXPECT_TRUE(message.contains(path)) << message.toStdString();
        } else {
            EXPECT_EQ(message, "") << c.html.left(60).toStdString();
        }
    }
}

// Each limit lets its count through and refuses one more, naming the limit.
TEST_F(TemplateFiles, WhatTheImportWouldBuildIsBoundedBeforeIt)
{
    const auto list = [](qint64 items) { return "<ol>" + QByteArray("<li>п").repeated(items); };
    // Two rows of a cell spanning `span` columns and one more cell.
    const auto table = [](qint64 span) {
        return "<table>" +
               ("<tr><td colspan=\"" + QByteArray::number(span) + "\">я<td>я</tr>").repeated(2);
    };
    const struct {
        QByteArray html;
        const char *refused; // nullptr: read
    } cases[] = {
        {list(MaxListItems), nullptr},
        {list(MaxListItems + 1), "слишком много пунктов списков (2001, допустимо не больше 2000)"},
        {table(MaxTableCells / 2 - 1), nullptr},
        {table(MaxTableCells / 2), "слишком много ячеек таблиц (считая каждую объединенную) (5002"},
        {"<table><tr><td COLSPAN='99999999999999999999'>", "ячеек таблиц"},
        {QByteArray("<p>").repeated(MaxParagraphs), nullptr},
        {QByteArray("<p>").repeated(MaxParagraphs + 1), "абзацев (20001"},
        {"<pre>" + QByteArray("\n").repeated(MaxParagraphs) + "</pre>", "абзацев (20001"},
        {QByteArray("#x&amp;").repeated(MaxPlaceholderTexts), nullptr},
        {QByteArray("#x&amp;").repeated(MaxPlaceholderTexts + 1), "текстов вида #…& (5001"},
        // Colours are no placeholders.
        {QByteArray("<font color=\"#ff0000\">&amp;</font>").repeated(MaxPlaceholderTexts + 1),
         nullptr},
    };
    for (const auto &c : cases) {
        const QString path = write("большой.rv", c.html);
        const QString message = refusal(path);
        if (c.refused)
            EXPECT_TRUE(message.contains(c.refused)) << message.toStdString();
        else
            EXPECT_EQ(message, "") << c.html.left(60).toStdString();
    }
}

TEST_F(TemplateFiles, DeclaredCodePageIsHonoured)
{
    const QByteArray text = "\xD1\xEC\xE5\xF2\xE0"; // "Смета" in Windows-1251
    const struct {
        QByteArray html;
        QString read; // empty: refused
    } cases[] = {
        {"<meta charset=\"windows-1251\"><p>" + text, "Смета"},
        {"<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=Windows-1251\"><p>" + text,
         "Смета"},
        {"<meta charset=koi8-r><p>\xF3\xCD\xC5\xD4\xC1", "Смета"},
        {"<meta charset=\"utf-8\"><p>Смета", "Смета"},
        {"\xEF\xBB\xBF<p>Смета", "Смета"},
        {"<p>Смета", "Смета"},
        {"<meta charset=\"big5\"><p>", {}},
    };
    for (const auto &c : cases) {
        const QString path = write("кодировка.rv", c.html);
        if (c.read.isEmpty()) {
            EXPECT_EQ(refusal(path), QStringLiteral("Шаблон сметы \"%1\" записан в кодировке "
                                                    "\"big5\", которую программа не читает: "
                                                    "сохраните его в кодировке UTF-8 или "
                                                    "Windows-1251")
                                         .arg(path));
            continue;
        }
        const QString html = readTemplateHtml(path);
        EXPECT_TRUE(html.endsWith(c.read)) << html.toStdString();
    }
}

} // namespace
