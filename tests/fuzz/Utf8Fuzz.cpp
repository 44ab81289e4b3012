// UTF-8 decoding of any bytes against Qt's decoder: what we accept, Qt reads the same; what we
// refuse, Qt can only read with a replacement character.

#include "presentation/TextEncoding.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto decoded = utf8ToUtf16(bytes);
    std::u16string byQt =
        QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())).toStdU16String();
    // Qt drops a byte order mark at the start; an argument keeps every character it was given.
    if (bytes.starts_with("\xEF\xBB\xBF"))
        byQt.insert(0, u"\uFEFF");
    if (decoded) {
        if (*decoded != byQt)
            std::abort();
        // Every code unit outside the surrogates encodes back to the bytes it came from.
        std::string again;
        for (const char16_t unit : *decoded)
            appendUtf8(again, unit);
        bool surrogates = false;
        for (const char16_t unit : *decoded)
            surrogates = surrogates || (unit >= 0xD800 && unit <= 0xDFFF);
        if (!surrogates && again != bytes)
            std::abort();
    } else if (byQt.find(u'\uFFFD') == std::u16string::npos) {
        std::abort();
    }
    return 0;
}
