#pragma once

#include <cmath>
#include <type_traits>

// Declaration of described settings properties.
//
// A ZTSettings subclass declares every value it keeps as one line inside the class body:
//
//     class RecognitionSettings : public ZTSettings
//     {
//         Q_OBJECT
//         ZT_BOUNDED_PROPERTY(int, Threshold, 20, 1, 200, 1)
//         Q_CLASSINFO("ThresholdCategory", "1.Main")
//         ZT_PROPERTY(QString, Extension, "xlsx")
//     public:
//         using ZTSettings::ZTSettings;
//     };
//
// Each line gives the Qt property Threshold with getThreshold, setThreshold, resetThreshold (all
// invokable), setDefaultThreshold (for a default known only at run time) and the signal
// changedThreshold(value), the member storage for the value and its default, and the class-info
// pairs that the descriptions read ("ThresholdEditable" = "true", "ThresholdDefault" = the
// default exactly as written in the macro, and for bounded ones "ThresholdMinimum",
// "ThresholdMaximum", "ThresholdStep"). Further attributes are plain
// Q_CLASSINFO lines named after the property. A macro leaves the access specifier at public.
// Types whose names hold a comma need a type alias first.

namespace ZTPropertyDetail {
// NaN never equals itself; treating two NaNs as equal keeps a NaN-valued property from
// announcing and saving on every assignment of the same missing value.
template <typename T>
bool sameValue(const T& a, const T& b)
{
    if constexpr (std::is_floating_point_v<T>)
        return a == b || (std::isnan(a) && std::isnan(b));
    else
        return a == b;
}

template <typename T>
bool isNaN(const T& value)
{
    if constexpr (std::is_floating_point_v<T>)
        return std::isnan(value);
    else
        return false;
}

template <typename T>
T bounded(const T& value, const T& minimum, const T& maximum)
{
    if (value < minimum)
        return minimum;
    if (maximum < value)
        return maximum;
    return value;
}
} // namespace ZTPropertyDetail

// Shared part: the property, its default, storage, getter, reset, signal and the store rule.
#define ZT_PROPERTY_CORE(Type, Name, DefaultValue)                                                                     \
    Q_PROPERTY(Type Name READ get##Name WRITE set##Name RESET reset##Name NOTIFY changed##Name)                        \
    Q_CLASSINFO(#Name "Default", #DefaultValue)                                                                        \
public:                                                                                                                \
    Q_INVOKABLE Type get##Name() const                                                                                 \
    {                                                                                                                  \
        return m_##Name;                                                                                               \
    }                                                                                                                  \
    Q_INVOKABLE void reset##Name()                                                                                     \
    {                                                                                                                  \
        set##Name(m_##Name##Default);                                                                                  \
    }                                                                                                                  \
    void setDefault##Name(const Type& value)                                                                           \
    {                                                                                                                  \
        m_##Name##Default = value;                                                                                     \
        changedDefault(QStringLiteral(#Name), QVariant::fromValue(value));                                             \
    }                                                                                                                  \
    Q_SIGNAL void changed##Name(const Type& value);                                                                    \
                                                                                                                       \
private:                                                                                                               \
    void store##Name(const Type& value)                                                                                \
    {                                                                                                                  \
        if (ZTPropertyDetail::sameValue(value, m_##Name))                                                              \
            return;                                                                                                    \
        lockValues();                                                                                                  \
        m_##Name = value;                                                                                              \
        unlockValues();                                                                                                \
        emit changed##Name(m_##Name);                                                                                  \
        changedProperty(QStringLiteral(#Name));                                                                        \
    }                                                                                                                  \
    Type m_##Name = DefaultValue;                                                                                      \
    Type m_##Name##Default = DefaultValue;                                                                             \
                                                                                                                       \
public:

// A described property that is not written to the settings file (no "Editable" pair).
#define ZT_UNSAVED_PROPERTY(Type, Name, DefaultValue)                                                                  \
    ZT_PROPERTY_CORE(Type, Name, DefaultValue)                                                                         \
    Q_INVOKABLE void set##Name(const Type& value)                                                                      \
    {                                                                                                                  \
        store##Name(value);                                                                                            \
    }

// A described property saved to and loaded from the settings file.
#define ZT_PROPERTY(Type, Name, DefaultValue)                                                                          \
    Q_CLASSINFO(#Name "Editable", "true")                                                                              \
    ZT_UNSAVED_PROPERTY(Type, Name, DefaultValue)

// A saved numeric property whose setter clamps into [Minimum, Maximum] and refuses NaN.
#define ZT_BOUNDED_PROPERTY(Type, Name, DefaultValue, MinValue, MaxValue, StepValue)                                   \
    Q_CLASSINFO(#Name "Editable", "true")                                                                              \
    Q_CLASSINFO(#Name "Minimum", #MinValue)                                                                            \
    Q_CLASSINFO(#Name "Maximum", #MaxValue)                                                                            \
    Q_CLASSINFO(#Name "Step", #StepValue)                                                                              \
    ZT_PROPERTY_CORE(Type, Name, DefaultValue)                                                                         \
    Q_INVOKABLE void set##Name(const Type& value)                                                                      \
    {                                                                                                                  \
        if (ZTPropertyDetail::isNaN(value))                                                                            \
            return;                                                                                                    \
        store##Name(ZTPropertyDetail::bounded<Type>(value, m_##Name##Minimum, m_##Name##Maximum));                     \
    }                                                                                                                  \
                                                                                                                       \
private:                                                                                                               \
    Type m_##Name##Minimum = MinValue;                                                                                 \
    Type m_##Name##Maximum = MaxValue;                                                                                 \
    [[maybe_unused]] Type m_##Name##Step = StepValue;                                                                  \
                                                                                                                       \
public:
