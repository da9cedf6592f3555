// Formatting rows and totals for standard output.
#include "cli/row_format.h"

#include <cstdio>

#include "engine/results_export.h"
#include "engine/scan_control.h"
#include "platform/text_codec.h"

std::string_view IconName(ResultIcon icon) {
    switch (icon) {
        case ResultIcon::kOk:
            return "ok";
        case ResultIcon::kError:
            return "error";
        case ResultIcon::kSkipped:
            return "skipped";
    }
    return "error";
}

std::string TsvText(std::wstring_view text) {
    std::string escaped;
    for (char c : ToUtf8(text)) {
        switch (c) {
            case '\\':
                escaped += "\\\\";
                break;
            case '\t':
                escaped += "\\t";
                break;
            case '\r':
                escaped += "\\r";
                break;
            case '\n':
                escaped += "\\n";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string JsonString(std::wstring_view text) {
    std::string literal = "\"";
    for (char c : ToUtf8(text)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            literal += '\\';
            literal += c;
        } else if (c == '\n') {
            literal += "\\n";
        } else if (c == '\r') {
            literal += "\\r";
        } else if (c == '\t') {
            literal += "\\t";
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            literal += escape;
        } else {
            literal += c;
        }
    }
    return literal + '"';
}

std::string FormatHeader(OutputFormat format) {
    if (format != OutputFormat::kCsv) return "";
    return std::string(kResultsCsvHeader) + ",Icon\r\n";
}

std::string FormatRow(OutputFormat format, const ResultRow& row) {
    const std::string_view icon = IconName(row.icon);
    switch (format) {
        case OutputFormat::kTsv:
            return TsvText(row.link) + '\t' + TsvText(row.state) + '\t' + TsvText(row.location) +
                   '\t' + std::string(icon) + '\n';
        case OutputFormat::kCsv: {
            const std::wstring wideIcon = Widen(icon);
            return CsvRecord({row.link, row.state, row.location, wideIcon});
        }
        case OutputFormat::kJson:
            return "{\"link\":" + JsonString(row.link) + ",\"state\":" + JsonString(row.state) +
                   ",\"location\":" + JsonString(row.location) + ",\"icon\":\"" +
                   std::string(icon) + "\"}\n";
    }
    return "";
}

std::string FormatTotals(OutputFormat format, const ScanTotals& totals) {
    switch (format) {
        case OutputFormat::kTsv:
            return ToUtf8(ScanTotalsText(totals.rows, totals.errors)) + '\n';
        case OutputFormat::kCsv:
            return "";
        case OutputFormat::kJson:
            return "{\"total\":" + std::to_string(totals.rows) +
                   ",\"errors\":" + std::to_string(totals.errors) + "}\n";
    }
    return "";
}
