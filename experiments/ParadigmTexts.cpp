#include "ParadigmTexts.h"

#include <QCoreApplication>

QString ParadigmTexts::runStatus(bool start, bool backgroundStored, const QString& where)
{
    static const QString awaiting = QCoreApplication::translate("Generic", "Awaiting rodent");
    static const QString finished = QCoreApplication::translate("Generic", "Experiment finished");
    static const QString initialize = QCoreApplication::translate("Generic", "Initialize background");
    if (!start)
        return backgroundStored ? finished : initialize;
    return where.isEmpty() ? awaiting : awaiting + QStringLiteral(" <b> ") + where + QStringLiteral("</b>");
}

QString ParadigmTexts::onSide(bool left)
{
    static const QString leftSide = QCoreApplication::translate("Generic", "on the left side");
    static const QString rightSide = QCoreApplication::translate("Generic", "on the right side");
    return left ? leftSide : rightSide;
}

QString ParadigmTexts::coloured(const QString& colour, const QString& text)
{
    return QStringLiteral("<span style=\"color: %1\">%2</span>").arg(colour, text);
}

QString ParadigmTexts::stimulation(const QString& word, double milliamperes)
{
    static const QString unit = QCoreApplication::translate("Generic", " mA");
    return coloured(QStringLiteral("#C30"),
                    word + QStringLiteral(" (") + QString::number(milliamperes, 'f', 1) + unit + QLatin1Char(')'));
}

QString ParadigmTexts::secondsSuffix()
{
    static const QString suffix = QCoreApplication::translate("Generic", " s");
    return suffix;
}
