#include "AboutAppWidget.h"

#include "AppHelper.h"
#include "ChangeLog.h"
#include "FileUtilities.h"
#include "LanguageContext.h"
#include "MenuButton.h"
#include "NewVersionButton.h"
#include "StyleHelper.h"
#include "UIHelper.h"
#include "ZScrollViewer.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QNetworkInterface>
#include <QPushButton>
#include <QRegularExpression>
#include <QSysInfo>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {
const QString ButtonLook =
    QStringLiteral("QPushButton { color: %1; background: %2; text-decoration: none; "
                   "border-radius: 4px; padding: 4px 8px; } QPushButton:hover { background: %3; }");
const QString Email = QStringLiteral("info@kestrum.example");

QString greyNote(const QString& text)
{
    return QStringLiteral(" <span style=\"color: #789\">(") + text + QStringLiteral(")</span>");
}

bool namesManual(const QString& path)
{
    return path.contains(QStringLiteral("Manual"), Qt::CaseInsensitive)
           || path.contains(QStringLiteral("Guide"), Qt::CaseInsensitive)
           || path.contains(QStringLiteral("Руководство"));
}

// The code standing as a word of the file's name: "Guide_ru.pdf" names Russian, while the "ru"
// inside "Kestrum" or "Instruction" does not.
bool namesLanguage(const QString& path, const QString& code)
{
    static const QRegularExpression nonLetters(QStringLiteral("[^\\p{L}]+"));
    return QFileInfo(path).completeBaseName().toLower().split(nonLetters).contains(code);
}

QLabel* selectableLabel(const QString& text)
{
    auto* label = new QLabel(text);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QStringList ipv4Addresses()
{
    QStringList addresses;
    for (const QNetworkInterface& network : QNetworkInterface::allInterfaces()) {
        const auto flags = network.flags();
        if (!flags.testFlag(QNetworkInterface::IsRunning) || flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& entry : network.addressEntries())
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
                addresses << entry.ip().toString();
    }
    return addresses;
}

QString balloon()
{
    const QString image = AppHelper::findInResources(QStringLiteral("balloon.png"));
    if (image.isEmpty())
        return QString::fromUtf8("\xF0\x9F\x8E\x88");
    return QStringLiteral("<img src=\"%1\" width=\"10\" height=\"14\" title=\"%2\" style=\"vertical-align: middle\">")
        .arg(QString(image).replace(QStringLiteral("qrc:/"), QStringLiteral(":/")),
             AboutAppWidget::tr("С днём рождения!").toHtmlEscaped());
}

void openManual(const QString& manual, const QString& manualLink)
{
    QDesktopServices::openUrl(manual.isEmpty() ? QUrl(manualLink) : QUrl::fromLocalFile(manual));
}
} // namespace

AboutAppWidget::AboutAppWidget(const QString& contactName, const QStringList& links, const QString& manualLink,
                               const QString& apiLink, const QMap<QString, QDateTime>& birthdays, bool showIpAddresses,
                               int port, QWidget* parent)
    : QWidget(parent)
    , outerGrid(new QGridLayout(this))
{
    setContentsMargins(0, 0, 0, 0);
    outerGrid->setContentsMargins(0, 0, 0, 0);
    auto* viewer = new ZScrollViewer(Qt::Vertical);
    viewer->setTransparentBackground();
    outerGrid->addWidget(viewer, 0, 0);
    auto* content = new QWidget;
    content->setContentsMargins(0, 8, 0, 0);
    rows = new QGridLayout(content);
    rows->setColumnStretch(1, 100);
    rows->setVerticalSpacing(16);
    rows->setHorizontalSpacing(16);
    rows->setContentsMargins(8, 0, 8, 8);
    viewer->add(content);

    addButtons(manualLink, apiLink);
    const QString built = QFileInfo(QCoreApplication::applicationFilePath()).lastModified().toString("yyyy-MM-dd");
    addRow(QCoreApplication::translate("Generic", "Version"),
           selectableLabel(
               AppHelper::appVersion(true)
               + greyNote(QCoreApplication::translate("Generic", "built on ").trimmed() + QLatin1Char(' ') + built)));
    addRow(QCoreApplication::translate("Generic", "OS"), selectableLabel(systemText()));
    if (showIpAddresses)
        addRow(QCoreApplication::translate("Generic", "IP address"), ipAddressesValue(port));
    addRow(QCoreApplication::translate("Generic", "Feedback") + QLatin1Char('\n'), feedbackValue(contactName, links));
    auto* developers = new QLabel(developersText(birthdays, QDate::currentDate()));
    developers->setStyleSheet(QStringLiteral("line-height: 16px"));
    addRow(QCoreApplication::translate("Generic", "Developers"), developers);
    rows->setRowStretch(nextRow, 100);
}

QString AboutAppWidget::findManual(const QString& folder, const QString& language)
{
    const QString code = language.section(QLatin1Char('_'), 0, 0).toLower();
    const QList<QString> beside = FileUtilities::getFilesOfType(folder, QStringLiteral("pdf"), false, true);
    if (!beside.isEmpty()) {
        for (const QString& path : beside)
            if (namesLanguage(path, code))
                return path;
        return beside.constFirst();
    }
    // A program folder can be a large tree (a build folder); only its first level is searched.
    QList<QString> below;
    const QDir root(folder);
    for (const QString& subfolder : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks))
        below += FileUtilities::getFilesOfType(root.filePath(subfolder), QStringLiteral("pdf"), false, true);
    const auto manual = std::find_if(below.cbegin(), below.cend(), namesManual);
    return manual == below.cend() ? QString() : *manual;
}

QString AboutAppWidget::systemText()
{
    const QString bits =
        QSysInfo::currentCpuArchitecture().contains(QStringLiteral("64")) ? QStringLiteral("64") : QStringLiteral("32");
    return QSysInfo::prettyProductName().toHtmlEscaped() + QLatin1Char(' ') + bits
           + QCoreApplication::translate("Generic", "-bit") + greyNote(QSysInfo::kernelVersion().toHtmlEscaped());
}

QString AboutAppWidget::developersText(const QMap<QString, QDateTime>& birthdays, const QDate& today)
{
    QString text;
    for (auto developer = birthdays.cbegin(); developer != birthdays.cend(); ++developer) {
        const QDate birthday = developer.value().date();
        if (birthday.month() == today.month() && birthday.day() == today.day())
            text += balloon() + QLatin1Char(' ');
        text += developer.key().toHtmlEscaped() + QStringLiteral("<br/>");
    }
    return text;
}

void AboutAppWidget::addButtons(const QString& manualLink, const QString& apiLink)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    const QString manual = findManual(QCoreApplication::applicationDirPath(), LanguageContext::currentLanguage());
    if (!manual.isEmpty() || !manualLink.isEmpty())
        connect(addButton(row, tr("Manual"), tr("Open app manual"), ButtonLook.arg("#FFF", "#159", "#048")),
                &QPushButton::clicked, this, [manual, manualLink] { openManual(manual, manualLink); });
    if (!apiLink.isEmpty())
        connect(addButton(row, QStringLiteral("API"), tr("Open API in browser") + QLatin1Char('\n') + apiLink,
                          ButtonLook.arg("#000", "#c9d950", "#b5c439")),
                &QPushButton::clicked, this, [apiLink] { QDesktopServices::openUrl(QUrl(apiLink)); });
    if (!AppHelper::translatedChangeLogPath().isEmpty())
        connect(addButton(row, tr("ChangeLog"), tr("Open change log"), ButtonLook.arg("#000", "#ff9900", "#cc6600")),
                &QPushButton::clicked, this, &AboutAppWidget::showChangeLog);
    row->addWidget(new NewVersionButton(tr("New version") + QLatin1Char(' ')));
    row->addStretch();
    rows->addLayout(row, 0, 1, Qt::AlignTop);
}

QPushButton* AboutAppWidget::addButton(QHBoxLayout* row, const QString& text, const QString& toolTip,
                                       const QString& styleSheet)
{
    auto* button = new QPushButton(text);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(styleSheet);
    button->setToolTip(toolTip);
    row->addWidget(button);
    return button;
}

void AboutAppWidget::addRow(const QString& caption, QWidget* value)
{
    rows->addWidget(UIHelper::GenerateLabelWithName(caption, QStringLiteral("graytext")), nextRow, 0, Qt::AlignTop);
    rows->addWidget(value, nextRow++, 1, Qt::AlignTop);
}

void AboutAppWidget::addRow(const QString& caption, QLayout* value)
{
    auto* holder = new QWidget;
    holder->setContentsMargins(0, 0, 0, 0);
    value->setContentsMargins(0, 0, 0, 0);
    holder->setLayout(value);
    addRow(caption, holder);
}

QWidget* AboutAppWidget::ipAddressesValue(int port)
{
    const QStringList addresses = ipv4Addresses();
    if (port <= 1)
        return selectableLabel(addresses.join(QStringLiteral("<br>")));
    auto* list = new QWidget;
    auto* column = new QVBoxLayout(list);
    column->setContentsMargins(0, 0, 0, 0);
    for (const QString& address : addresses)
        column->addWidget(ipAddressButton(address + QLatin1Char(':') + QString::number(port)));
    return list;
}

QPushButton* AboutAppWidget::ipAddressButton(const QString& address)
{
    const QString link = QStringLiteral("http://") + address;
    QPushButton* button = UIHelper::GenerateLinkButton(link, address, QString(), QStringLiteral("linkButton"));
    button->setFlat(true);
    button->setStyleSheet(QStringLiteral("text-align: left; padding: 0"));
    button->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(button, &QWidget::customContextMenuRequested, button, [button, address, link](const QPoint& position) {
        auto* menu = new QMenu(button);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->addAction(QCoreApplication::translate("Generic", "Copy"), button,
                        [address] { QGuiApplication::clipboard()->setText(address); });
        menu->addAction(QCoreApplication::translate("Generic", "Open link"), button,
                        [link] { QDesktopServices::openUrl(QUrl(link)); });
        menu->popup(button->mapToGlobal(position));
    });
    return button;
}

QLayout* AboutAppWidget::feedbackValue(const QString& contactName, const QStringList& links)
{
    auto* column = new QVBoxLayout;
    column->setSpacing(0);
    column->addWidget(
        selectableLabel(QStringLiteral("<p>%1</p><p>%2</p><p>%3</p>")
                            .arg(contactName.toHtmlEscaped(), tr("ул. Примерная, 1, Москва, 119000").toHtmlEscaped(),
                                 tr("+7 (495) 000-00-00").toHtmlEscaped())));
    QPushButton* mail =
        UIHelper::GenerateLinkButton(QStringLiteral("mailto:") + Email, Email, QString(), QStringLiteral("linkButton"));
    mail->setFlat(true);
    column->addWidget(mail, 0, Qt::AlignLeft);
    if (links.size() > 1)
        column->addSpacing(10);
    for (const QString& link : links) {
        QPushButton* button = UIHelper::GenerateLinkButton(link, QString(link).remove(QStringLiteral("https://")),
                                                           QString(), QStringLiteral("linkButton"));
        button->setFlat(true);
        column->addWidget(button, 0, Qt::AlignLeft);
    }
    return column;
}

void AboutAppWidget::showChangeLog()
{
    static const QString changeLog = AppHelper::translatedChangeLog();
    auto* overlay = new QWidget(this);
    overlay->setContentsMargins(0, 0, 0, 0);
    UIHelper::ChangeBackground(overlay, StyleHelper::ThemeColor(QStringLiteral("--z-bg"), Qt::white));
    auto* column = new QVBoxLayout(overlay);
    column->setContentsMargins(0, 0, 0, 0);
    QPushButton* close = MenuButton::CloseButton(overlay);
    connect(close, &QPushButton::clicked, overlay, &QObject::deleteLater);
    column->addWidget(close, 0, Qt::AlignRight);
    auto* viewer = new ZScrollViewer(Qt::Vertical);
    viewer->setTransparentBackground();
    auto* text = new QLabel(changeLog);
    text->setWordWrap(true);
    text->setMargin(10);
    viewer->add(text);
    column->addWidget(viewer);
    outerGrid->addWidget(overlay, 0, 0);
    overlay->raise();
    overlay->show();
}
