#pragma once

// How people read names where ICU's reading of each character is not what
// they say. The readings are pinyin syllables without tones, separated by
// blanks, one per character; the search codes take their first letters.
// Entries are in simplified characters: a name in traditional ones is looked
// up as its simplified form.
namespace NameReadings {

struct Entry
{
    const char16_t *text;
    const char *pinyin;
};

struct Table
{
    const Entry *first;
    const Entry *last;
    const Entry *begin() const { return first; }
    const Entry *end() const { return last; }
};

// Surnames, single and compound, read as surnames: matched longest first at
// the start of a name.
Table surnames();

// Characters and words of given names whose reading in names differs from
// ICU's: matched longest first after the surname.
Table givenNames();

// Characters ICU has no reading for, read wherever they stand in a name.
Table characters();

} // namespace NameReadings
