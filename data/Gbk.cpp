#include "Gbk.h"

#include <unicode/ucnv.h>

#include <memory>

#include "LumoError.h"

namespace {

struct ConverterCloser
{
    void operator()(UConverter *c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter openGbk()
{
    UErrorCode status = U_ZERO_ERROR;
    Converter converter(ucnv_open("GBK", &status));
    if (U_FAILURE(status))
        throw data::LumoError(QStringLiteral("无法打开GBK转换器: %1").arg(QString::fromLatin1(u_errorName(status))));
    return converter;
}

} // namespace

QString gbkToUnicode(const QByteArray &bytes)
{
    Converter converter = openGbk();
    QString result(bytes.size() * 2 + 1, Qt::Uninitialized);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = ucnv_toUChars(converter.get(), reinterpret_cast<UChar *>(result.data()),
                                         static_cast<int32_t>(result.size()), bytes.constData(),
                                         static_cast<int32_t>(bytes.size()), &status);
    if (U_FAILURE(status))
        throw data::LumoError(QStringLiteral("GBK文本无法转换: %1").arg(QString::fromLatin1(u_errorName(status))));
    result.resize(length);
    return result;
}

QByteArray unicodeToGbk(const QString &text)
{
    Converter converter = openGbk();
    UErrorCode status = U_ZERO_ERROR;
    // Stop at a character GBK cannot hold instead of writing a substitute.
    ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    QByteArray result(text.size() * 2 + 1, '\0');
    const int32_t length = ucnv_fromUChars(converter.get(), result.data(), static_cast<int32_t>(result.size()),
                                           reinterpret_cast<const UChar *>(text.utf16()),
                                           static_cast<int32_t>(text.size()), &status);
    if (U_FAILURE(status))
        throw data::LumoError(QStringLiteral("文本含有GBK无法表示的字符"));
    result.resize(length);
    return result;
}
