#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

#include "DataExport.h"

namespace data {

// An ini file read the way the Windows profile functions read one, which is
// how the files beside the application were always written and read:
//   - "[Section]" opens a section; section and key names match without regard
//     to case, and the first of several equal keys wins;
//   - a key's value is everything after the first '=' of its line, with the
//     characters up to blank (<= ' ') trimmed at both ends and one pair of
//     matching surrounding quotes (" or ') removed;
//   - nothing else is special: no escapes, no lists at commas, no comments
//     after a value (a ';' or '#' line is simply no key anyone asks for);
//   - the bytes are UTF-8 when they carry its mark or are valid UTF-8, UTF-16
//     with its mark, and GBK (code page 936) otherwise.
class DATA_EXPORT IniFile
{
public:
    explicit IniFile(const QByteArray &content);

    // A file that does not exist reads as an empty one, as the profile
    // functions answer the default for it. Raises LumoError when the file is
    // there but cannot be read.
    static IniFile load(const QString &path);

    // The value of key in section; nothing when either is missing.
    std::optional<QString> value(const QString &section, const QString &key) const;

private:
    QStringList m_lines;
};

// The text of an ini file's bytes (see IniFile for the encodings).
DATA_EXPORT QString decodeIniText(const QByteArray &content);

} // namespace data
