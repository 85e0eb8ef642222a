#include "StyleHelper.h"

#include "AbstractSettings.h"
#include "GlobalConsole.h"
#include "MediaHelper.h"
#include "UIHelper.h"
#include "ZRectangle.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QPalette>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyleFactory>
#include <QVBoxLayout>

namespace {

const QString DrawnColour = QStringLiteral("#303030");
const QString LightThemeName = QStringLiteral("light");
const QString DarkThemeName = QStringLiteral("dark");
// Linux has no native style that a theme could ask for; Fusion suits both light and dark.
const QString WidgetStyle = QStringLiteral("Fusion");

// The theme choice's names as the property editors show them.
[[maybe_unused]] const char* const ColorThemeNames[] = {
    QT_TRANSLATE_NOOP("ColorThemeEnum", "Light"),
    QT_TRANSLATE_NOOP("ColorThemeEnum", "System"),
    QT_TRANSLATE_NOOP("ColorThemeEnum", "Dark"),
};

// The icon drawn in #303030 as a dark theme shows it.
QIcon darkVariant(const QString& path, const QString& darkColor)
{
    return MediaHelper::iconColored(path, darkColor, DrawnColour);
}

bool readText(const QString& path, QString& text)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    text = QString::fromUtf8(file.readAll());
    return true;
}

// The exact key when there is one, else the first key the wanted name contains, else the first.
QString styleKey(const QString& wanted)
{
    const QStringList keys = QStyleFactory::keys();
    if (keys.contains(wanted))
        return wanted;
    for (const QString& key : keys) {
        if (wanted.contains(key, Qt::CaseInsensitive))
            return key;
    }
    return keys.value(0);
}

// A settings value as the choice it stands for: the enumeration, its number, or a text.
StyleHelper::ColorThemeEnum themeChoice(const QVariant& value)
{
    bool isNumber = false;
    const int number = value.toInt(&isNumber);
    if (isNumber && number == StyleHelper::System)
        return StyleHelper::System;
    if ((isNumber && number == StyleHelper::Dark) || value.toString().contains(DarkThemeName, Qt::CaseInsensitive))
        return StyleHelper::Dark;
    return StyleHelper::Light;
}

// Qt 6.4 has no colour-scheme query: the system palette's window tells a dark scheme.
bool systemIsDark()
{
    return QGuiApplication::palette().color(QPalette::Window).lightness() < 128;
}

QString themeNameFor(const QVariant& value)
{
    switch (themeChoice(value)) {
    case StyleHelper::System:
        return systemIsDark() ? DarkThemeName : LightThemeName;
    case StyleHelper::Dark:
        return DarkThemeName;
    case StyleHelper::Light:
        break;
    }
    return LightThemeName;
}

} // namespace

StyleHelper::StyleHelper()
    : connections(QStringLiteral("StyleHelper"))
{
    qRegisterMetaType<ColorThemeEnum>("ColorThemeEnum");
}

StyleHelper* StyleHelper::Instance()
{
    // Never deleted: widgets dying during exit still drop their callbacks from it.
    static StyleHelper* const instance = [] {
        auto* helper = new StyleHelper();
        helper->seedCustomValues();
        return helper;
    }();
    return instance;
}

void StyleHelper::seedCustomValues()
{
    const QFont font = QGuiApplication::font();
    // A font given in points has no pixel size of its own (-1); the size it is drawn at counts.
    const int pixelSize = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    setCustomValue(QStringLiteral("--z-font-family"), QLatin1Char('\'') + font.family() + QLatin1Char('\''));
    setCustomValue(QStringLiteral("--z-font-size"), QString::number(pixelSize) + QStringLiteral("px"));
    setCustomValue(QStringLiteral("--z-font-weight"), QStringLiteral("normal"));
    setCustomValue(QStringLiteral("--z-min-btn-size"), QStringLiteral("16px"));
    setCustomValue(QStringLiteral("--z-opt-btn-size"), QStringLiteral("24px"));
    setCustomValue(QStringLiteral("--z-min-height"), QString::number(20.8, 'g', 6) + QStringLiteral("px"));
}

void StyleHelper::Clean()
{
    ConnectionHelper& registry = Instance()->connections;
    // The registry forgets object-bound connections without ending them; these must end.
    for (const ConnectionHelper::ObjectConnection& record : registry.objectConnections())
        QObject::disconnect(record.connection);
    registry.clear();
}

void StyleHelper::Link(QObject* context, const std::function<void()>& restyle, bool callNow)
{
    if (!context || !restyle)
        return;
    StyleHelper* self = Instance();
    // The context is the receiver, so Qt drops the callback with it: a destroyed widget is
    // never called back. The registry lets Clean end them all at once.
    const QMetaObject::Connection connection = connect(self, &StyleHelper::changed, context, restyle);
    self->connections.append(connection, self, context);
    if (callNow)
        restyle();
}

QColor StyleHelper::ThemeColor(const QString& variable, const QColor& fallback)
{
    return Instance()->getThemeColor(variable, fallback);
}

QString StyleHelper::ThemeValue(const QString& variable, const QString& fallback)
{
    return Instance()->getThemeValue(variable, fallback);
}

QColor StyleHelper::MainColor()
{
    return Instance()->mainColor();
}

QIcon StyleHelper::ColoredIcon(const QString& path, const QString& darkColor, const QString& lightColor)
{
    return MediaHelper::iconColored(path, Instance()->isDark() ? darkColor : lightColor, DrawnColour);
}

void StyleHelper::SetButtonIcon(QPushButton* button, const QIcon& lightIcon, const QIcon& darkIcon)
{
    Instance()->setButtonIcon(button, lightIcon, darkIcon);
}

void StyleHelper::SetButtonIcon(QPushButton* button, const QString& path, const QString& darkColor)
{
    Instance()->setButtonIcon(button, path, darkColor);
}

void StyleHelper::SetLabelIcon(QLabel* label, const QIcon& lightIcon, const QIcon& darkIcon)
{
    Instance()->setLabelIcon(label, lightIcon, darkIcon);
}

void StyleHelper::SetLabelIcon(QLabel* label, const QString& path, const QString& darkColor)
{
    Instance()->setLabelIcon(label, path, darkColor);
}

void StyleHelper::ShowIconsInMenu(QMenu* menu)
{
    if (!menu)
        return;
    for (QAction* action : menu->actions())
        action->setIconVisibleInMenu(true);
}

void StyleHelper::InterlinkTheme(AbstractSettings* settings, const QString& key)
{
    if (!settings || key.isEmpty())
        return;
    StyleHelper* self = Instance();
    self->followSystemPalette();
    const auto apply = [self, settings, key] { self->selectTheme(themeNameFor(settings->getValue(key))); };
    connect(settings, &AbstractSettings::propertyChanged, settings, [apply, key](const QString& name) {
        if (name == key)
            apply();
    });
    connect(self, &StyleHelper::systemPaletteChanged, settings, [self, settings, key, apply] {
        // A palette change that keeps the scheme (or one the theme switch itself caused) must
        // not rebuild the sheet again.
        const QVariant value = settings->getValue(key);
        if (themeChoice(value) == System && themeNameFor(value) != self->currentName)
            apply();
    });
    apply();
}

ZRectangle* StyleHelper::Wrap(QWidget* widget, const QString& backgroundVariable, const QString& borderVariable)
{
    auto* rectangle = new ZRectangle(Qt::transparent);
    Instance()->setZRectColor(rectangle, backgroundVariable, borderVariable, Qt::transparent);
    if (widget) {
        auto* layout = new QVBoxLayout(rectangle);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(widget);
    }
    return rectangle;
}

bool StyleHelper::addStyleFile(const QString& path)
{
    QString text;
    if (!readText(path, text)) {
        GlobalConsole::writeItem(QStringLiteral("STYLE FILE NOT ADDED ") + path.toHtmlEscaped(),
                                 QStringLiteral("Error"));
        return false;
    }
    styleFiles.insert(path, text);
    return true;
}

bool StyleHelper::addThemeFile(const QString& path, const QString& name)
{
    QString text;
    if (!readText(path, text)) {
        GlobalConsole::writeItem(QStringLiteral("THEME FILE NOT ADDED ") + path.toHtmlEscaped(),
                                 QStringLiteral("Error"));
        return false;
    }
    themeVariables.insert(name, parseTheme(text));
    return true;
}

QMap<QString, QString> StyleHelper::parseTheme(const QString& text)
{
    QString body = text;
    body.remove(QStringLiteral(":root {"));
    body.remove(QLatin1Char('}'));
    QMap<QString, QString> variables;
    for (const QString& piece : body.split(QLatin1Char('\n'))) {
        QString line = piece.trimmed();
        if (line.endsWith(QLatin1Char(';')))
            line.chop(1);
        const QStringList parts = line.split(QStringLiteral(": "));
        if (parts.size() == 2 && !parts.first().trimmed().isEmpty())
            variables.insert(parts.first().trimmed(), parts.last().trimmed());
    }
    return variables;
}

QString StyleHelper::replaceThemeColors(const QString& text) const
{
    // Whole tokens, so "--z-grid-time" never rewrites the inside of "--z-grid-time-text"; and
    // a value is never searched again, so one holding its own name cannot loop.
    static const QRegularExpression variable(QStringLiteral("--z-[A-Za-z0-9-]+"));
    QString result;
    qsizetype copied = 0;
    for (QRegularExpressionMatchIterator it = variable.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const QString* value = lookup(match.captured());
        if (!value)
            continue;
        result += QStringView(text).mid(copied, match.capturedStart() - copied);
        result += *value;
        copied = match.capturedEnd();
    }
    result += QStringView(text).mid(copied);
    return result;
}

void StyleHelper::selectTheme(const QString& name)
{
    const auto theme = themeVariables.constFind(name);
    if (theme == themeVariables.constEnd()) {
        emit changed();
        return;
    }
    currentName = name;
    darkTheme = name.contains(DarkThemeName, Qt::CaseInsensitive);
    currentVariables = *theme;
    if (auto* application = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        application->setStyleSheet(styleSheet());
        applyWidgetStyle();
    }
    emit changed();
}

QString StyleHelper::styleSheet() const
{
    QString sheet;
    for (const QString& text : styleFiles)
        sheet += replaceThemeColors(text) + QStringLiteral("\r\n");
    return sheet;
}

void StyleHelper::applyWidgetStyle()
{
    const QString key = styleKey(WidgetStyle);
    // Setting the style again would re-polish every widget a second time for nothing.
    if (key.isEmpty() || key == appliedStyleKey)
        return;
    QApplication::setStyle(key);
    appliedStyleKey = key;
}

void StyleHelper::followSystemPalette()
{
    if (followingSystem || !QCoreApplication::instance())
        return;
    QCoreApplication::instance()->installEventFilter(this);
    followingSystem = true;
}

bool StyleHelper::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == QCoreApplication::instance() && event->type() == QEvent::ApplicationPaletteChange)
        emit systemPaletteChanged();
    return QObject::eventFilter(watched, event);
}

QStringList StyleHelper::themes() const
{
    return themeVariables.keys();
}

QString StyleHelper::currentTheme() const
{
    return currentName;
}

bool StyleHelper::isDark() const
{
    return darkTheme;
}

QColor StyleHelper::mainColor() const
{
    return darkTheme ? darkMainColor : lightMainColor;
}

const QString* StyleHelper::lookup(const QString& variable) const
{
    auto it = customValues.constFind(variable);
    if (it != customValues.constEnd())
        return &*it;
    it = currentVariables.constFind(variable);
    if (it != currentVariables.constEnd())
        return &*it;
    return nullptr;
}

QString StyleHelper::getThemeValue(const QString& variable, const QString& fallback) const
{
    const QString* value = lookup(variable);
    return value ? *value : fallback;
}

QColor StyleHelper::getThemeColor(const QString& variable, const QColor& fallback) const
{
    const QString* value = lookup(variable);
    const QColor colour = value ? QColor(*value) : QColor();
    return colour.isValid() ? colour : fallback;
}

void StyleHelper::setCustomValue(const QString& variable, const QString& value)
{
    customValues.insert(variable, value);
    emit changed();
}

template <typename Target, typename SetIcon>
void StyleHelper::linkIcons(Target* target, const QIcon& lightIcon, const QIcon& darkIcon, SetIcon setIcon)
{
    if (!target)
        return;
    if (darkIcon.isNull()) {
        setIcon(target, lightIcon);
        return;
    }
    Link(target, [this, target, lightIcon, darkIcon, setIcon] { setIcon(target, darkTheme ? darkIcon : lightIcon); });
}

void StyleHelper::setButtonIcon(QPushButton* button, const QIcon& lightIcon, const QIcon& darkIcon)
{
    linkIcons(button, lightIcon, darkIcon, [](QPushButton* target, const QIcon& icon) { target->setIcon(icon); });
}

void StyleHelper::setButtonIcon(QPushButton* button, const QString& path, const QString& darkColor)
{
    if (!path.isEmpty())
        setButtonIcon(button, MediaHelper::icon(path), darkVariant(path, darkColor));
}

void StyleHelper::setButtonIconThemeColor(QPushButton* button, const QString& path, const QString& variable)
{
    if (!button || path.isEmpty())
        return;
    Link(button, [this, button, path, variable] {
        button->setIcon(MediaHelper::iconColored(path, getThemeValue(variable, QStringLiteral("#000")), DrawnColour));
    });
}

void StyleHelper::setLabelIcon(QLabel* label, const QIcon& lightIcon, const QIcon& darkIcon)
{
    if (!label)
        return;
    // The size the label has now; a label laid out later keeps this picture size.
    const QSize size = label->size();
    linkIcons(label, lightIcon, darkIcon,
              [size](QLabel* target, const QIcon& icon) { target->setPixmap(icon.pixmap(size)); });
}

void StyleHelper::setLabelIcon(QLabel* label, const QString& path, const QString& darkColor)
{
    if (!path.isEmpty())
        setLabelIcon(label, MediaHelper::icon(path), darkVariant(path, darkColor));
}

void StyleHelper::setMenuActionIcon(QAction* action, const QIcon& lightIcon, const QIcon& darkIcon)
{
    linkIcons(action, lightIcon, darkIcon, [](QAction* target, const QIcon& icon) { target->setIcon(icon); });
}

void StyleHelper::setMenuActionIcon(QAction* action, const QString& path, const QString& darkColor)
{
    if (!path.isEmpty())
        setMenuActionIcon(action, MediaHelper::icon(path), darkVariant(path, darkColor));
}

void StyleHelper::setStyledBackground(QWidget* widget, const QString& variable, const QColor& fallback)
{
    if (!widget)
        return;
    Link(widget,
         [this, widget, variable, fallback] { UIHelper::ChangeBackground(widget, getThemeColor(variable, fallback)); });
}

void StyleHelper::setZRectColor(ZRectangle* rectangle, const QString& backgroundVariable, const QString& borderVariable,
                                const QColor& backgroundFallback)
{
    if (!rectangle || (backgroundVariable.isEmpty() && borderVariable.isEmpty()))
        return;
    Link(rectangle, [this, rectangle, backgroundVariable, borderVariable, backgroundFallback] {
        if (!backgroundVariable.isEmpty())
            rectangle->setBackground(getThemeColor(backgroundVariable, backgroundFallback));
        if (!borderVariable.isEmpty())
            rectangle->setBorderColor(getThemeColor(borderVariable, Qt::transparent));
    });
}

void StyleHelper::setZRectColorWithBorder(ZRectangle* rectangle, const QString& backgroundVariable,
                                          const QString& borderVariable, const QColor& backgroundFallback,
                                          const QColor& borderFallback)
{
    if (!rectangle)
        return;
    Link(rectangle, [this, rectangle, backgroundVariable, borderVariable, backgroundFallback, borderFallback] {
        rectangle->setBackground(getThemeColor(backgroundVariable, backgroundFallback));
        rectangle->setBorderColor(getThemeColor(borderVariable, borderFallback));
    });
}
