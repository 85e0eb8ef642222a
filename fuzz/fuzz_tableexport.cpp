// Hostile names and texts in table exports: each line of the input is a sheet name, and the
// input's text is a CSV field. Every sheet name comes out acceptable to spreadsheet programs
// (1 to 31 characters, none of []:*?/\, no apostrophe at either end) and unique regardless of
// case; every field is either left alone (when it holds nothing special) or quoted so that
// taking the quotes off gives the text back.
#include "XLSXHelper.h"
#include "XlsxDocument.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool holds)
{
    if (!holds)
        std::abort();
}

void checkSheetNames(const QString& text)
{
    XlsxDocument document;
    for (const QString& name : text.split(QLatin1Char('\n')))
        document.addSheet(name);
    QStringList seen;
    for (const QString& name : document.sheetNames()) {
        const qsizetype characters = name.toUcs4().size();
        check(characters >= 1 && characters <= 31);
        for (QChar forbidden : QStringLiteral("[]:*?/\\"))
            check(!name.contains(forbidden));
        check(!name.startsWith(QLatin1Char('\'')) && !name.endsWith(QLatin1Char('\'')));
        check(!seen.contains(name, Qt::CaseInsensitive));
        seen << name;
    }
}

void checkCsvField(const QString& text)
{
    const QString separator = QStringLiteral(";");
    const QString field = XLSXHelper::csvField(text, separator);
    const bool special = text.contains(separator) || text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\n'))
                         || text.contains(QLatin1Char('\r'));
    if (!special) {
        check(field == text);
        return;
    }
    check(field.size() >= 2 && field.startsWith(QLatin1Char('"')) && field.endsWith(QLatin1Char('"')));
    const QString inner = field.mid(1, field.size() - 2);
    // Inside, every quote is doubled.
    check(!QString(inner).remove(QStringLiteral("\"\"")).contains(QLatin1Char('"')));
    check(QString(inner).replace(QStringLiteral("\"\""), QStringLiteral("\"")) == text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    checkSheetNames(text);
    checkCsvField(text);
    return 0;
}
