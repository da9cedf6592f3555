// What a found link is and where it goes: into the link check queue, to the
// external check, to the local file check, or into the table as skipped.
// ClassifyWebLink runs in link check workers, ClassifyLocalLink in the scan
// thread.
#pragma once

#include <string>
#include <string_view>

// The kinds of link, decided by prefix tests in this order.
enum class LinkKind { kAbsoluteWeb, kIgnored, kRootRelative, kRelative };

inline constexpr wchar_t kAbsoluteSkippedState[] = L"Absolute URL - skipped";

[[nodiscard]] LinkKind KindOfLink(std::string_view value);

// The URL a relative or root-relative web link resolves to against base.
[[nodiscard]] std::string ResolveWebLink(std::string_view value, LinkKind kind,
                                         const std::string& base);
// The path a relative or root-relative local link resolves to against base.
[[nodiscard]] std::wstring ResolveLocalLink(std::string_view value, LinkKind kind,
                                            const std::wstring& base);

void ClassifyWebLink(std::string_view value, const std::string& location, const std::string& base);
void ClassifyLocalLink(std::string_view value, const std::wstring& location,
                       const std::wstring& base);
