#pragma once

#include <QString>

// One column of a paradigm's result table.
struct ResultColumn
{
    enum Kind { Text = 0, Time = 1, YesNo = 2, Count = 4 };

    ResultColumn(const QString& key, bool numeric, int kind, const QString& title, const QString& description,
                 const QString& suffix)
        : key(key)
        , numeric(numeric)
        , title(title)
        , description(description)
        , suffix(suffix)
        , kind(kind)
    {
    }

    QString key;
    bool numeric = false;
    QString title;
    QString description;
    QString suffix;
    int kind = Text;
};
