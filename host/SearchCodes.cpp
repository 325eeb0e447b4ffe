#include "SearchCodes.h"

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
    }

    std::unique_ptr<icu::Transliterator> m_words;
    std::unique_ptr<icu::Transliterator> m_names;
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

QChar pinyinInitial(char32_t c, bool asSurname)
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

} // namespace

namespace SearchCodes {

QString pinyinInitials(const QString &name)
{
    QString result;
    bool first = true;
    for (char32_t c : name.toUcs4()) {
        if (isAsciiAlnum(c)) {
            result += asciiUpper(c);
        } else if (isHan(c)) {
            const QChar initial = pinyinInitial(c, first);
            if (!initial.isNull())
                result += initial;
        }
        first = false;
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
