// Link patterns compiled with PCRE2. A compiled pattern is never written
// after Compile, and each match gets match data of its own, so any number of
// threads may match at once.
#include "engine/link_patterns.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <utility>

#include "platform/text_codec.h"

struct LinkPatterns::Compiled {
    explicit Compiled(pcre2_code* compiled) : code(compiled) {}
    ~Compiled() { pcre2_code_free(code); }
    Compiled(const Compiled&) = delete;
    Compiled& operator=(const Compiled&) = delete;

    pcre2_code* code;
};

namespace {

// PCRE2_MATCH_INVALID_UTF lets text that is not valid UTF-8 be searched
// rather than refused: a stray byte simply matches nothing but itself.
constexpr uint32_t kCompileOptions = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF;

std::string CompileErrorText(const std::string& pattern, int code, PCRE2_SIZE offset) {
    PCRE2_UCHAR message[256];
    if (pcre2_get_error_message(code, message, sizeof message) < 0) {
        return "pattern \"" + pattern + "\": error " + std::to_string(code);
    }
    return "pattern \"" + pattern + "\": " + reinterpret_cast<const char*>(message) +
           " at offset " + std::to_string(offset);
}

// One pattern compiled, or null with *error set. JIT compiling only makes
// matching faster; where it is not available the interpreter matches alike.
pcre2_code* CompileOne(const std::wstring& pattern, std::string* error) {
    const std::string utf8 = ToUtf8(pattern);
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(utf8.data()), utf8.size(),
                                     kCompileOptions, &errorCode, &errorOffset, nullptr);
    if (code == nullptr) {
        if (error != nullptr) *error = CompileErrorText(utf8, errorCode, errorOffset);
        return nullptr;
    }
    (void)pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
    return code;
}

// Whether code matches anywhere in text. A match that gives up (a match or
// depth limit reached) counts as no match: the link is then checked as if
// no pattern named it.
bool SearchOne(const pcre2_code* code, std::string_view text) {
    pcre2_match_data* data = pcre2_match_data_create(1, nullptr);
    if (data == nullptr) return false;
    const int result = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), 0,
                                   0, data, nullptr);
    pcre2_match_data_free(data);
    // 0 says the match data was too small for the captures, yet it matched.
    return result >= 0;
}

}  // namespace

LinkPatterns::LinkPatterns() = default;
LinkPatterns::~LinkPatterns() = default;
LinkPatterns::LinkPatterns(LinkPatterns&&) noexcept = default;
LinkPatterns& LinkPatterns::operator=(LinkPatterns&&) noexcept = default;

std::optional<LinkPatterns> LinkPatterns::Compile(const std::vector<std::wstring>& patterns,
                                                  std::string* error) {
    LinkPatterns compiled;
    compiled.m_patterns.reserve(patterns.size());
    for (const std::wstring& pattern : patterns) {
        pcre2_code* code = CompileOne(pattern, error);
        if (code == nullptr) return std::nullopt;
        compiled.m_patterns.push_back(std::make_unique<Compiled>(code));
    }
    return compiled;
}

bool LinkPatterns::Matches(std::string_view text) const {
    for (const auto& pattern : m_patterns) {
        if (SearchOne(pattern->code, text)) return true;
    }
    return false;
}

bool LinkPatterns::Empty() const { return m_patterns.empty(); }

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

std::vector<std::wstring> PatternsFromText(std::wstring_view text) {
    std::vector<std::wstring> patterns;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsBlank(text[i])) ++i;
        const std::size_t start = i;
        while (i < text.size() && !IsBlank(text[i])) ++i;
        if (i > start) patterns.emplace_back(text.substr(start, i - start));
    }
    return patterns;
}

std::wstring TextFromPatterns(const std::vector<std::wstring>& patterns) {
    std::wstring text;
    for (std::size_t i = 0; i < patterns.size(); ++i) {
        if (i > 0) text += L' ';
        text += patterns[i];
    }
    return text;
}
