#include "RunLogLine.h"

#include <limits>

QList<RunLogLine> RunLogLine::parse(const QString& log)
{
    QList<RunLogLine> lines;
    for (const QString& line : log.split(QLatin1Char('\n'))) {
        const QStringList parts = line.trimmed().split(QLatin1Char('|'));
        if (parts.size() < 2)
            continue;
        bool ok = false;
        const qint64 timeMs = parts.at(0).toLongLong(&ok);
        if (ok && timeMs >= 0 && timeMs <= std::numeric_limits<int>::max())
            lines << RunLogLine{timeMs, parts.at(1)};
    }
    return lines;
}
