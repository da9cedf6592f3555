// The start tags of an HTML page, found as the HTML standard's tokenizer
// finds them: tag and attribute names in any case, values quoted or not,
// comments, doctypes and other declarations passed over, and the text of
// script, style, textarea, title and the other raw-text elements taken as
// text. One pass, no copies: names and values are views into the page.
// Pure; any thread may tokenize its own text.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

// One attribute of a start tag. The name and value are the page's bytes as
// written: neither is lowered nor decoded, and a value without "=" is empty
// (a view at the name's end).
struct HtmlAttribute {
    std::string_view name;
    std::string_view value;
    // Where the name starts in the page text.
    std::size_t namePosition = 0;
};

// What the tokenizer hands on: every start tag, in text order, with its
// attributes in the order written. A name written twice is handed on twice;
// the standard keeps the first. A tag the text ends inside is not a tag.
class HtmlStartTagHandler {
public:
    virtual void OnStartTag(std::string_view name, std::span<const HtmlAttribute> attributes) = 0;

protected:
    ~HtmlStartTagHandler() = default;
};

void TokenizeHtml(std::string_view text, HtmlStartTagHandler& handler);
