#pragma once

#include <QString>

// Short search codes of Chinese names: the upper-case first letters of each
// character's reading. Characters without a code are skipped; ASCII letters and
// digits are kept (letters upper-cased).
namespace SearchCodes {

// Pinyin initials: 张三丰 -> ZSF. The first character is read as a surname
// (单 shan, 曾 zeng), the rest as ordinary words; traditional characters as
// their simplified forms are (單 as 单).
QString pinyinInitials(const QString &name);

// Five-stroke initials: the first letter of each character's full five-stroke
// code (我 -> T), from the table generated at build time.
QString wubiInitials(const QString &name);

} // namespace SearchCodes
