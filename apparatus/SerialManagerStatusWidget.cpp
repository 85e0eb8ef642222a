#include "SerialManagerStatusWidget.h"

#include "SerialPortManager.h"

#include <QDateTime>
#include <QLabel>
#include <QMap>
#include <QSerialPort>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString proberColour = QStringLiteral("#F90");
const QString openColour = QStringLiteral("#159");
const QString closedColour = QStringLiteral("#915");
const QString openMark = QStringLiteral("<span style=\"color: #3C0\">@</span>");
const QString closedMark = QStringLiteral("-");
const QString unheldMark = QStringLiteral("<span style=\"color: #C30\">X</span>");

QString cell(const QString& html)
{
    return QStringLiteral("<td>") + html + QStringLiteral("</td>");
}

// Port names, owners and the texts a driver reports are shown escaped: they are not markup.
QString textCell(const QString& text)
{
    return cell(text.toHtmlEscaped());
}

QString ownerCell(const QString& owner, bool open)
{
    const QString colour = owner.startsWith(QLatin1Char('_')) ? proberColour : open ? openColour : closedColour;
    return cell(QStringLiteral("<span style=\"color:") + colour + QStringLiteral("\">") + owner.toHtmlEscaped()
                + QStringLiteral("</span>"));
}

} // namespace

SerialManagerStatusWidget::SerialManagerStatusWidget(QWidget* parent)
    : QWidget(parent)
    , m_label(new QLabel(this))
    , m_refreshTimer(new QTimer(this))
{
    m_label->setTextFormat(Qt::RichText);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    connect(m_refreshTimer, &QTimer::timeout, this, &SerialManagerStatusWidget::refresh);
    m_refreshTimer->start(refreshIntervalMs);
    refresh();
}

SerialManagerStatusWidget::~SerialManagerStatusWidget()
{
    m_refreshTimer->stop();
}

QString SerialManagerStatusWidget::statusText() const
{
    return m_label->text();
}

void SerialManagerStatusWidget::refresh()
{
    m_label->setText(buildStatusText(QDateTime::currentDateTime()));
}

QString SerialManagerStatusWidget::headerRow()
{
    static const QString row = [] {
        QString html = QStringLiteral("<tr>");
        for (const QString& title :
             {QString(), QStringLiteral("Type"), QStringLiteral("Open"), QStringLiteral("BaudRate"),
              QStringLiteral("Manufacturer"), QStringLiteral("Description")}) {
            html += QStringLiteral("<th style=\"background: #000; color: #FFF; text-align: left\">") + title
                    + QStringLiteral("</th>");
        }
        return html + QStringLiteral("</tr>");
    }();
    return row;
}

QString SerialManagerStatusWidget::portRow(const SerialPortEntry& entry, const SerialPortManager::PortState* held)
{
    QString row = QStringLiteral("<tr>") + textCell(entry.portName);
    if (held) {
        row += ownerCell(held->owner, held->open) + cell(held->open ? openMark : closedMark)
               + cell(QString::number(held->baudRate));
    } else {
        row += cell(QString()) + cell(unheldMark) + cell(QString());
    }
    return row + textCell(entry.manufacturer) + textCell(entry.description) + QStringLiteral("</tr>");
}

QString SerialManagerStatusWidget::buildStatusText(const QDateTime& now)
{
    const QList<SerialPortManager::PortState> table = SerialPortManager::instance()->portStates();
    QMap<QString, QString> rows;
    const QList<SerialPortEntry> entries = SerialPortEnumerator::availablePorts();
    for (const SerialPortEntry& entry : entries) {
        const SerialPortManager::PortState* held = nullptr;
        for (const SerialPortManager::PortState& state : table) {
            if (state.portName == entry.portName && !state.owner.isEmpty())
                held = &state;
        }
        rows.insert(entry.portName, portRow(entry, held));
    }
    QString text =
        now.toString(Qt::TextDate) + QStringLiteral("<br><table border=1 cellspacing=0 cellpadding=5>") + headerRow();
    for (const QString& row : std::as_const(rows))
        text += row;
    return text + QStringLiteral("</table>");
}
