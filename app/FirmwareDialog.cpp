#include "FirmwareDialog.h"

#include "ChoiceBox.h"

#include <QCoreApplication>
#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {
constexpr int dialogMinimumWidth = 300;
constexpr int rowSpacing = 10;
constexpr int serialNumberLength = 8;
const QString unknownSerialNumber = QStringLiteral("?");
} // namespace

FirmwareDialog::FirmwareDialog(QWidget* parent)
    : QDialog(parent)
    , portBox(new ChoiceBox)
    , serialNumberLabel(new QLabel(unknownSerialNumber))
    , newSerialNumberEdit(new QLineEdit())
    , answerLabel(new QLabel())
{
    setMinimumWidth(dialogMinimumWidth);
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(rowSpacing);
    layout->addLayout(portRow());
    layout->addLayout(serialNumberRow());
    layout->addLayout(newSerialNumberRow());
    answerLabel->setObjectName(QStringLiteral("answerLabel"));
    answerLabel->setWordWrap(true);
    // A wrapped text does not make its window taller: the room for it is there from the start.
    answerLabel->setMinimumHeight(answerLabel->fontMetrics().lineSpacing() * 3);
    layout->addWidget(answerLabel);
    fillPorts();
}

QString FirmwareDialog::generatedSerialNumber(const QDate& date)
{
    return QStringLiteral("3") + date.toString(QStringLiteral("yyMM")) + QStringLiteral("101");
}

void FirmwareDialog::fillPorts()
{
    serialNumberLabel->setText(unknownSerialNumber);
    answerLabel->clear();
    const QSignalBlocker blocker(portBox);
    portBox->clear();
    for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts()) {
        portBox->addItem(port.portName());
        qDebug() << "P" << port.portName();
    }
}

void FirmwareDialog::generate()
{
    newSerialNumberEdit->setText(generatedSerialNumber(QDate::currentDate()));
}

void FirmwareDialog::readSerialNumber()
{
    sayNotDone(tr("The serial number of the board on %1 was not read: this version does not ask the boards for it."));
}

void FirmwareDialog::sendSerialNumber()
{
    sayNotDone(tr("The serial number was not sent to the board on %1: this version does not write serial numbers to "
                  "the boards."));
}

// Neither button reaches a board in this version: the technician is told so instead of seeing
// nothing happen.
void FirmwareDialog::sayNotDone(const QString& textAboutPort)
{
    const QString port = portBox->currentText();
    answerLabel->setText(port.isEmpty() ? tr("No serial port is chosen.") : textAboutPort.arg(port));
}

QLayout* FirmwareDialog::portRow()
{
    auto* row = new QHBoxLayout();
    row->setContentsMargins(0, 0, 0, 0);
    auto* refresh = new QPushButton(tr("Refresh"));
    auto* read = new QPushButton(tr("Get SN"));
    connect(refresh, &QPushButton::clicked, this, &FirmwareDialog::fillPorts);
    connect(read, &QPushButton::clicked, this, &FirmwareDialog::readSerialNumber);
    row->addWidget(portBox, 100);
    row->addWidget(refresh);
    row->addWidget(read);
    return row;
}

QLayout* FirmwareDialog::serialNumberRow()
{
    auto* row = new QHBoxLayout();
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(QCoreApplication::translate("Generic", "SN") + QLatin1Char(':')), 0, Qt::AlignTop);
    row->addWidget(serialNumberLabel, 100, Qt::AlignTop);
    QLabel* hiddenFormat = formatLabel(QStringLiteral("font-size: 11px; color: #159"));
    hiddenFormat->hide();
    row->addWidget(hiddenFormat);
    return row;
}

QLayout* FirmwareDialog::newSerialNumberRow()
{
    newSerialNumberEdit->setMaxLength(serialNumberLength);
    newSerialNumberEdit->setPlaceholderText(QStringLiteral("VYYMMBNN"));
    auto* send = new QPushButton(tr("Send"));
    auto* generateButton = new QPushButton(tr("Gen"));
    connect(generateButton, &QPushButton::clicked, this, &FirmwareDialog::generate);
    connect(send, &QPushButton::clicked, this, &FirmwareDialog::sendSerialNumber);
    auto* buttons = new QHBoxLayout();
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addWidget(send, 0, Qt::AlignLeft);
    buttons->addWidget(generateButton, 100, Qt::AlignLeft);
    auto* column = new QVBoxLayout();
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(new QLabel(tr("New SN:")));
    column->addWidget(newSerialNumberEdit);
    column->addLayout(buttons);
    auto* row = new QHBoxLayout();
    row->addLayout(column, 100);
    row->addWidget(formatLabel(QStringLiteral("font-size: 11px; color: #999")), 0, Qt::AlignTop);
    return row;
}

QLabel* FirmwareDialog::formatLabel(const QString& styleSheet)
{
    auto* label = new QLabel(tr("V - Версия<br>YY - год<br>MM - месяц<br>B - партия<br>NN - номер в партии"));
    label->setStyleSheet(styleSheet);
    return label;
}
