// Escaping a row's texts for the reports CI systems read: XML, GitHub
// Actions workflow commands, Markdown table cells and URI references. Each
// takes the row's wide text (any characters) and gives valid UTF-8 that
// the reader decodes back to that text. Plain functions, any thread.
#pragma once

#include <string>
#include <string_view>

// Appends one character as UTF-8; one that is not a Unicode scalar value
// (a surrogate, above U+10FFFF) becomes U+FFFD, as ToUtf8 makes it.
void AppendAsUtf8(std::string& out, wchar_t c);

// Appends "\u" and four (or more) lowercase hex digits: the JSON escape, also
// the visible stand-in for characters a format cannot carry at all.
void AppendUnicodeEscape(std::string& out, char32_t c);

// Text for an XML attribute value or element content: & < > " ' as entity
// references; tab, LF and CR as character references, so a parser's white
// space normalisation keeps them. Characters XML 1.0 forbids even as
// references (controls below U+0020, U+FFFE, U+FFFF) are written as \uXXXX.
[[nodiscard]] std::string XmlText(std::wstring_view text);

// A workflow command's message, as GitHub's toolkit escapes it: % CR LF as
// %25 %0D %0A. Other control characters, which the runner would print raw
// into the log, are written %XX too (the runner leaves those as they are).
[[nodiscard]] std::string WorkflowCommandMessage(std::wstring_view text);
// A workflow command's property value: the message's escapes and : , as
// %3A %2C, so the value cannot end itself or the property list.
[[nodiscard]] std::string WorkflowCommandProperty(std::wstring_view text);

// A cell of a GitHub-flavoured Markdown table that shows exactly the text:
// the characters Markdown reads as syntax backslash-escaped (| \ ` * _ [ ]
// ~ $, and the : of "http://" and the . of "www.", which would start a
// link), & < > as entity references, and each line break (CR LF, CR or LF)
// as <br>, so no text can end the cell, the row or the table.
[[nodiscard]] std::string MarkdownCell(std::wstring_view text);

// A path as a URI reference: its UTF-8 bytes percent-encoded except the
// unreserved characters and "/", so a ":" or "%" in a name stays a name.
[[nodiscard]] std::string PathAsUriReference(std::wstring_view path);
// A web address as a URI: as written, except what no URI may hold (blanks,
// controls, non-ASCII, " < > \ ^ ` { | } and a % that starts no escape),
// which is percent-encoded.
[[nodiscard]] std::string AddressAsUri(std::wstring_view address);
