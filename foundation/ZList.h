#pragma once

#include <QList>

#include <utility>

// The toolkit's own list type. It adds nothing to QList: it exists so that toolkit overloads
// written for it can be called with the same elements that a QList holds.
template <typename T>
class ZList : public QList<T>
{
public:
    using QList<T>::QList;

    ZList() = default;
    ZList(const QList<T>& other)
        : QList<T>(other)
    {
    }
    ZList(QList<T>&& other)
        : QList<T>(std::move(other))
    {
    }
};
