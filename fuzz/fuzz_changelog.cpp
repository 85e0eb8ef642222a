// Reads fuzz input as a change-log text in both languages and checks that resolving languages
// only ever removes text, that the blocks are trimmed and never hold an empty line, that the
// JSON has one version per block with entries, and that the rich text holds no markup but its
// own: every "<" taken from the log arrives escaped.
#include "ChangeLogText.h"

#include <QStringList>

#include <cstdint>
#include <cstdlib>

namespace {
QString withoutOwnMarkup(QString html)
{
    html.remove(0, ChangeLogText::StyleBlock.size());
    for (const char* tag :
         {"<span style=\"color: #999; font-weight: normal\">", "</span>", "<b>", "</b>", "<table cellspacing=\"6\">",
          "</table>", "<br>", "<tr>", "</tr>", "<td class=\"bull\">", "<td>", "</td>"})
        html.remove(QString::fromLatin1(tag));
    return html;
}

void check(const QString& text, const QString& language, const QString& platform)
{
    const QString resolved = ChangeLogText::resolveLanguages(text, ChangeLogText::languageTags(language));
    if (resolved.size() > text.size() || (!text.contains(QLatin1Char('<')) && resolved != text))
        std::abort();
    const QStringList blocks = ChangeLogText::blocks(resolved);
    qsizetype withEntries = 0;
    for (const QString& block : blocks) {
        if (block.isEmpty() || block != block.trimmed() || block.contains(QStringLiteral("\r\n\r\n")))
            std::abort();
        withEntries += block.contains(QStringLiteral("\r\n")) ? 1 : 0;
    }
    if (ChangeLogText::json(blocks).size() != withEntries)
        std::abort();
    const QString html = ChangeLogText::richText(blocks, platform);
    if (!html.startsWith(ChangeLogText::StyleBlock) || withoutOwnMarkup(html).contains(QLatin1Char('<')))
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = ChangeLogText::withWindowsLineBreaks(
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    if (text.contains(QLatin1Char('\n')) && text.count(QLatin1Char('\n')) != text.count(QStringLiteral("\r\n")))
        std::abort();
    check(text, QStringLiteral("en_US"), QStringLiteral("linux"));
    check(text, QStringLiteral("ru_RU"), QStringLiteral("windows"));
    return 0;
}
