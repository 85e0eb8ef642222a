#pragma once

#include <QDate>
#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;

// The service dialog in which a technician prepares a new serial number ("VYYMMBNN") for an
// apparatus board: the serial ports, the number read from the chosen board, and a new number
// composed from today's date. Sending a number and reading one from a board are not offered by
// this version: their buttons only say so in the dialog, and the board's number stays "?".
class FirmwareDialog : public QDialog
{
    Q_OBJECT

public:
    explicit FirmwareDialog(QWidget* parent = nullptr);

    // Version 3, the date's two-digit year and month, batch 1, number 01 in the batch.
    static QString generatedSerialNumber(const QDate& date);

    QComboBox* ports() const { return portBox; }
    QLabel* serialNumber() const { return serialNumberLabel; }
    QLineEdit* newSerialNumber() const { return newSerialNumberEdit; }
    // What came of the last "Get SN" or "Send".
    QLabel* answer() const { return answerLabel; }

public slots:
    void fillPorts();
    void generate();
    void readSerialNumber();
    void sendSerialNumber();

private:
    QLayout* portRow();
    QLayout* serialNumberRow();
    QLayout* newSerialNumberRow();
    QLabel* formatLabel(const QString& styleSheet);
    void sayNotDone(const QString& textAboutPort);

    QComboBox* portBox;
    QLabel* serialNumberLabel;
    QLineEdit* newSerialNumberEdit;
    QLabel* answerLabel;
};
