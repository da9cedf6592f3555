// Byte/wide conversions. wchar_t holds a whole code point on this platform.
#include <algorithm>

#include "platform/text_codec.h"

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

bool IsScalarValue(char32_t c) { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

}  // namespace

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::size_t DecodeUtf8Sequence(std::string_view bytes, char32_t* decoded) {
    const auto lead = static_cast<unsigned char>(bytes[0]);
    std::size_t length = 0;
    char32_t c = 0;
    if (lead < 0x80) {
        *decoded = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
    } else {
        return 0;
    }
    if (bytes.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(bytes[i]);
        if ((next & 0xC0) != 0x80) return 0;
        c = (c << 6) | (next & 0x3F);
    }
    // Overlong forms and surrogates are not valid UTF-8.
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < smallest[length] || !IsScalarValue(c)) return 0;
    *decoded = c;
    return length;
}

std::wstring Widen(std::string_view bytes) {
    std::wstring text(bytes.size(), L'\0');
    std::transform(bytes.begin(), bytes.end(), text.begin(),
                   [](char b) { return static_cast<wchar_t>(static_cast<unsigned char>(b)); });
    return text;
}

std::string Narrow(std::wstring_view text) {
    std::string bytes(text.size(), '\0');
    std::transform(text.begin(), text.end(), bytes.begin(), [](wchar_t c) {
        return (c >= 0 && c <= 0xFF) ? static_cast<char>(static_cast<unsigned char>(c)) : '?';
    });
    return bytes;
}

std::string DefaultWideToBytes(std::wstring_view text, std::size_t maxBytes) {
    return Narrow(text.substr(0, std::min(text.size(), maxBytes)));
}

std::string ToUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        const auto point = static_cast<char32_t>(c);
        AppendUtf8(out, IsScalarValue(point) ? point : kReplacement);
    }
    return out;
}

std::wstring FromUtf8(std::string_view bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    while (!bytes.empty()) {
        char32_t decoded = 0;
        std::size_t length = DecodeUtf8Sequence(bytes, &decoded);
        if (length == 0) {
            decoded = static_cast<unsigned char>(bytes[0]);
            length = 1;
        }
        text += static_cast<wchar_t>(decoded);
        bytes.remove_prefix(length);
    }
    return text;
}
