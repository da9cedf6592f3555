// Lists the links the engine finds in HTML files, as a local scan reads them
// (every group of links, values as classification reads them), one line per
// link: PATH, LINE and VALUE separated by tabs, the value's tabs, line ends
// and backslashes escaped. For comparing the engine's reading of real pages
// with another HTML parser's.
#include <cstdio>
#include <string>
#include <string_view>

#include "engine/link_extraction.h"
#include "engine/link_value.h"
#include "platform/file.h"
#include "platform/text_codec.h"

namespace {

std::string Escaped(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t') {
            escaped += "\\t";
        } else if (c == '\n') {
            escaped += "\\n";
        } else if (c == '\r') {
            escaped += "\\r";
        } else if (c == '\\') {
            escaped += "\\\\";
        } else if (byte < 0x20 || byte == 0x7F) {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02x", byte);
            escaped += code;
        } else {
            escaped += c;
        }
    }
    return escaped;
}

}  // namespace

int main(int argc, char** argv) {
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        InputFile file;
        std::string text;
        if (!file.Open(FromUtf8(argv[i]), FileMode::kText)) {
            std::fprintf(stderr, "page_links: can't open %s\n", argv[i]);
            status = 1;
            continue;
        }
        file.ReadRest(&text);
        const std::string path = Escaped(argv[i]);
        for (const FoundLink& link : ReadPageLinks(text, kAllLinkGroups).links) {
            std::printf("%s\t%d\t%s\n", path.c_str(), link.line,
                        Escaped(CleanLinkValue(link.value)).c_str());
        }
    }
    return status;
}
