#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QList>
#include <QObject>
#include <QString>

class ZTSettings;

// Collects values into one text and gives a hexadecimal digest of it, to notice that a set of
// values has changed. It hashes without a key, so it proves nothing about who made the text; and
// as the values are joined by ";" unescaped and decimals keep six significant digits, different
// values can collect to the same text ("a;" then "b" and "a;b"; 0.1234567 and 0.1234568), so
// equal digests do not prove equal values.
class CryptographicHelper : public QObject
{
    Q_OBJECT

public:
    explicit CryptographicHelper(QObject* parent = nullptr);

    // Each value is appended as its text followed by ";".
    CryptographicHelper& operator<<(int value);
    // Six significant digits, C locale ("1.23457e+06").
    CryptographicHelper& operator<<(float value);
    CryptographicHelper& operator<<(double value);
    // The settings' compact JSON; a null pointer appends nothing.
    CryptographicHelper& operator<<(ZTSettings* settings);
    // Every element with its own ";".
    CryptographicHelper& operator<<(const QList<int>& values);
    // The bytes read as UTF-8.
    CryptographicHelper& operator<<(const QByteArray& bytes);
    CryptographicHelper& operator<<(const QString& text);

    // The lower-case hexadecimal digest of the UTF-8 text, or of the collected text when `text`
    // is empty.
    QString encrypt(QCryptographicHash::Algorithm algorithm, const QString& text = QString()) const;
    // The digest of the collected text encoded as Latin-1.
    QString encryptLatin(QCryptographicHash::Algorithm algorithm) const;
    QString getInternalString() const;
    void reset();

private:
    static QString digest(QCryptographicHash::Algorithm algorithm, const QByteArray& bytes);

    QString collected;
};
