#include "CryptographicHelper.h"

#include "ZTSettings.h"

CryptographicHelper::CryptographicHelper(QObject* parent)
    : QObject(parent)
{
}

CryptographicHelper& CryptographicHelper::operator<<(int value)
{
    return *this << QString::number(value);
}

CryptographicHelper& CryptographicHelper::operator<<(float value)
{
    return *this << double(value);
}

CryptographicHelper& CryptographicHelper::operator<<(double value)
{
    return *this << QString::number(value, 'g', 6);
}

CryptographicHelper& CryptographicHelper::operator<<(ZTSettings* settings)
{
    if (!settings)
        return *this;
    return *this << settings->saveToJsonString(QJsonDocument::Compact);
}

CryptographicHelper& CryptographicHelper::operator<<(const QList<int>& values)
{
    for (int value : values)
        *this << value;
    return *this;
}

CryptographicHelper& CryptographicHelper::operator<<(const QByteArray& bytes)
{
    return *this << QString::fromUtf8(bytes);
}

CryptographicHelper& CryptographicHelper::operator<<(const QString& text)
{
    collected += text + u';';
    return *this;
}

QString CryptographicHelper::encrypt(QCryptographicHash::Algorithm algorithm, const QString& text) const
{
    return digest(algorithm, (text.isEmpty() ? collected : text).toUtf8());
}

QString CryptographicHelper::encryptLatin(QCryptographicHash::Algorithm algorithm) const
{
    return digest(algorithm, collected.toLatin1());
}

QString CryptographicHelper::getInternalString() const
{
    return collected;
}

void CryptographicHelper::reset()
{
    collected.clear();
}

QString CryptographicHelper::digest(QCryptographicHash::Algorithm algorithm, const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, algorithm).toHex());
}
