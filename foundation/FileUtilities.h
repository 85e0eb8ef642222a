#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QFileDevice;

// Paths, folders and files. Folder paths come out normalised with forward slashes and one
// trailing "/". Nothing throws: failures show in the result.
class FileUtilities
{
public:
    static QString FolderSlash(QString path);
    static bool createIfNotExists(QString path);
    // Makes the folder and the missing ones above it; the system's reason why it could not be
    // made ("Not a directory", "Permission denied"), or an empty text.
    static QString makeFolder(const QString& path);
    // The system's text for an error number, as std::error_code and Qt's errorString give it.
    static QString systemReason(int error);
    // Writes every byte to an unbuffered open file at its position, going on after a short
    // write; the system's reason why it could not (a disk full in the middle of the bytes), or an
    // empty text. Qt's errorString would say "Unknown error" after a short write.
    static QString writeWhole(QFileDevice& file, const QByteArray& bytes);
    // Deletes the folder with its contents; without removeFolder it is made again, empty.
    // Refuses an empty path, a symbolic link, a filesystem root and the home folder (or any
    // folder holding it).
    static bool clearFolder(QString path, bool removeFolder);
    // Returns false when a folder could not be made or a file could not be copied.
    static bool CopyFolderStructure(QString from, QString to, bool copyFiles = false);
    static QList<QString> GetSubfolders(QString path, bool fullPath = false, bool recursive = false);
    static QList<QString> getFilesOfType(QString folder, QString type, bool recursive = false, bool fullPath = false);
    static QList<QString> getFilesOfTypes(QString folder, QList<QString> types, bool recursive = false,
                                          bool fullPath = false);

    static qint64 dirsize(QString path);
    static qint64 filesize(QString path);
    static QString filesizeNice(qint64 bytes, int precision = 2);
    static QString filesizeNice(QString path);

    static QString filename(QString path, bool withSuffix = true);
    static QString filetype(QString path);
    // Replaces the file's own suffix; folder names are never touched.
    static QString replaceFileSuffix(QString path, QString newSuffix);
    static bool removeFile(QString path);
    static bool acceptableFileName(QString name);

    static QString base64_encode(QString text);
    static QString base64_encode(QByteArray bytes);
    static QByteArray base64_decode(const QByteArray& bytes);
    static QString base64_decode(QString text);
    static QByteArray base64_decode_as_bytes(QString text);
    static QString base64_decodeFromPercentEncoding(QString text);
    static QString base64_decodeFromPercentEncoding(QByteArray bytes);
};
