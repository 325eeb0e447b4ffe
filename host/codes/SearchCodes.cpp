#include "SearchCodes.h"

#include "NameReadings.h"

#include <QHash>
#include <QList>

#include <unicode/translit.h>
#include <unicode/unistr.h>
#include <unicode/uscript.h>

#include <algorithm>
#include <memory>
#include <mutex>

namespace {

struct WubiEntry
{
    char32_t codePoint;
    char letter;
};

// One row per character, sorted by code point: generated from the wubi table
// package at build time (see host/CMakeLists.txt).
constexpr WubiEntry kWubi[] = {
#include "WubiTable.inc"
};

// Creating a transliterator parses its rules; doing that per name would cost far
// more than the lookups, so each is made once.
class Transliterators
{
public:
    static Transliterators &instance()
    {
        static Transliterators self;
        return self;
    }

    icu::Transliterator *words() const { return m_words.get(); }
    icu::Transliterator *names() const { return m_names.get(); }
    icu::Transliterator *simplified() const { return m_simplified.get(); }

private:
    Transliterators()
    {
        UErrorCode status = U_ZERO_ERROR;
        m_words.reset(icu::Transliterator::createInstance("Han-Latin; Latin-ASCII", UTRANS_FORWARD, status));
        if (U_FAILURE(status))
            m_words.reset();
        status = U_ZERO_ERROR;
        m_names.reset(icu::Transliterator::createInstance("Han-Latin/Names; Latin-ASCII", UTRANS_FORWARD, status));
        if (U_FAILURE(status))
            m_names.reset();
        status = U_ZERO_ERROR;
        m_simplified.reset(icu::Transliterator::createInstance("Traditional-Simplified", UTRANS_FORWARD, status));
        if (U_FAILURE(status))
            m_simplified.reset();
    }

    std::unique_ptr<icu::Transliterator> m_words;
    std::unique_ptr<icu::Transliterator> m_names;
    std::unique_ptr<icu::Transliterator> m_simplified;
};

bool isHan(char32_t c)
{
    UErrorCode status = U_ZERO_ERROR;
    return uscript_getScript(static_cast<UChar32>(c), &status) == USCRIPT_HAN && U_SUCCESS(status);
}

bool isAsciiAlnum(char32_t c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

QChar asciiUpper(char32_t c)
{
    return QChar(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
}

QChar transliteratedInitial(char32_t c, bool asSurname)
{
    auto &t = Transliterators::instance();
    icu::Transliterator *tr = asSurname && t.names() ? t.names() : t.words();
    if (!tr)
        return {};
    icu::UnicodeString text(static_cast<UChar32>(c));
    tr->transliterate(text);
    for (int i = 0; i < text.length(); ++i) {
        const char16_t ch = text.charAt(i);
        if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'))
            return asciiUpper(ch);
    }
    return {};
}

// ICU reads a character alone the same way every time, and a transliteration
// costs tens of microseconds: each character's initial is asked once. Names
// repeat their few thousand characters, so the cache stays small.
QChar pinyinInitial(char32_t c, bool asSurname)
{
    static std::mutex mutex;
    static QHash<quint32, QChar> initials;
    const quint32 key = quint32(c) << 1 | quint32(asSurname);
    const std::lock_guard<std::mutex> lock(mutex);
    const auto found = initials.constFind(key);
    if (found != initials.constEnd())
        return *found;
    const QChar initial = transliteratedInitial(c, asSurname);
    initials.insert(key, initial);
    return initial;
}

// The simplified form of a character of the Basic Multilingual Plane (單 单),
// as ICU converts it alone; the character itself when it has none in that
// plane. Asked once per character, as the initials are.
QChar simplifiedOf(QChar c)
{
    static std::mutex mutex;
    static QHash<char16_t, QChar> forms;
    const std::lock_guard<std::mutex> lock(mutex);
    const auto found = forms.constFind(c.unicode());
    if (found != forms.constEnd())
        return *found;
    QChar form = c;
    if (icu::Transliterator *tr = Transliterators::instance().simplified()) {
        icu::UnicodeString text(c.unicode());
        tr->transliterate(text);
        if (text.length() == 1)
            form = QChar(text.charAt(0));
    }
    forms.insert(c.unicode(), form);
    return form;
}

// The name with each Han character in its simplified form, unit for unit, for
// looking it up in the readings' tables. ICU still reads the name as written:
// a simplified form may read otherwise (乾隆 is qián, its form 干 gān).
QString simplifiedForm(const QString &name)
{
    QString form = name;
    for (QChar &c : form)
        if (!c.isSurrogate() && c.unicode() >= 0x3400 && isHan(c.unicode()))
            c = simplifiedOf(c);
    return form;
}

// A reading of the tables found in a name: its initials, one per character,
// and the UTF-16 units it covers there.
struct Reading
{
    QString initials;
    qsizetype length = 0;
    explicit operator bool() const { return length > 0; }
};

// The initials of a table of name readings by text, looked up longest first.
class ReadingIndex
{
public:
    explicit ReadingIndex(const NameReadings::Table &table)
    {
        for (const NameReadings::Entry &entry : table) {
            const QString text = QString::fromUtf16(entry.text);
            QString initials;
            for (const QByteArray &syllable : QByteArray(entry.pinyin).split(' '))
                initials += QChar(QLatin1Char(syllable.at(0))).toUpper();
            Q_ASSERT(initials.size() == text.toUcs4().size());
            m_initials.insert(text, initials);
            m_longest = std::max(m_longest, text.size());
        }
    }

    // The longest entry that name holds at from; none when there is none.
    Reading longestAt(const QString &name, qsizetype from) const
    {
        for (qsizetype length = std::min(m_longest, name.size() - from); length > 0; --length) {
            const auto found = m_initials.constFind(QStringView(name).mid(from, length).toString());
            if (found != m_initials.constEnd())
                return {*found, length};
        }
        return {};
    }

private:
    QHash<QString, QString> m_initials;
    qsizetype m_longest = 0;
};

const ReadingIndex &surnameIndex()
{
    static const ReadingIndex index(NameReadings::surnames());
    return index;
}

const ReadingIndex &givenNameIndex()
{
    static const ReadingIndex index(NameReadings::givenNames());
    return index;
}

const ReadingIndex &characterIndex()
{
    static const ReadingIndex index(NameReadings::characters());
    return index;
}

} // namespace

namespace SearchCodes {

QString pinyinInitials(const QString &name)
{
    QString result;
    const QString lookup = simplifiedForm(name);
    const qsizetype n = name.size();
    qsizetype i = 0;
    // A surname of the table, or else the first character read as a surname.
    if (const Reading surname = surnameIndex().longestAt(lookup, 0)) {
        result = surname.initials;
        i = surname.length;
    }
    while (i < n) {
        Reading matched = i > 0 ? givenNameIndex().longestAt(lookup, i) : Reading{};
        if (!matched)
            matched = characterIndex().longestAt(lookup, i);
        if (matched) {
            result += matched.initials;
            i += matched.length;
            continue;
        }
        const bool pair = name.at(i).isHighSurrogate() && i + 1 < n && name.at(i + 1).isLowSurrogate();
        const char32_t c = pair ? QChar::surrogateToUcs4(name.at(i), name.at(i + 1)) : name.at(i).unicode();
        if (isAsciiAlnum(c)) {
            result += asciiUpper(c);
        } else if (isHan(c)) {
            const QChar initial = pinyinInitial(c, i == 0);
            if (!initial.isNull())
                result += initial;
        }
        i += pair ? 2 : 1;
    }
    return result;
}

QString wubiInitials(const QString &name)
{
    QString result;
    for (char32_t c : name.toUcs4()) {
        if (isAsciiAlnum(c)) {
            result += asciiUpper(c);
            continue;
        }
        const auto *end = std::end(kWubi);
        const auto *it = std::lower_bound(std::begin(kWubi), end, c,
                                          [](const WubiEntry &e, char32_t v) { return e.codePoint < v; });
        if (it != end && it->codePoint == c)
            result += QChar(it->letter);
    }
    return result;
}

} // namespace SearchCodes
