#pragma once

#include <QByteArray>
#include <QString>

struct zip;

// A ZIP archive read from memory (libzip), closed when it goes. Every failure
// raises ImportFileError in the user's words. The bytes must outlive it.
class ZipArchive
{
public:
    // Refuses what is no ZIP or a broken one.
    explicit ZipArchive(const QByteArray &bytes);
    ~ZipArchive();
    ZipArchive(const ZipArchive &) = delete;
    ZipArchive &operator=(const ZipArchive &) = delete;

    bool contains(const QString &name) const;
    // The entry inflated. Counts the bytes as they come out of the inflater
    // (the sizes the archive states are not trusted) and stops with an error
    // as soon as they pass maxBytes, so a ZIP bomb costs at most maxBytes.
    // Refuses an encrypted entry, an unknown compression and a damaged one.
    QByteArray read(const QString &name, qint64 maxBytes) const;

private:
    struct zip *m_zip = nullptr;
};
