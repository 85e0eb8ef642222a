#pragma once

#include "ZTSettings.h"

// Where the data lives. On its own it is the pointer file (KestrumFolder.xml in the documents
// folder) that remembers the base folder the user chose; the application settings inherit it.
class KestrumFolderSettings : public ZTSettings
{
    Q_OBJECT
    ZT_PROPERTY(QString, BaseFolder, "")
    Q_CLASSINFO("BaseFolderIcon", ":/icons/folder-open.svg")
    Q_CLASSINFO("BaseFolderSpecialType", "PickFolder")
    Q_CLASSINFO("BaseFolderCategory", "1.Main")

public:
    explicit KestrumFolderSettings(const QString& filePath, QObject* parent = nullptr);
};
