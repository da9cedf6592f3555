// Formatting rows and totals for standard output.
#include "cli/row_format.h"

#include "cli/ci_reports.h"
#include "cli/report_escaping.h"
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

void AppendTsvText(std::string& out, std::wstring_view text) {
    for (const wchar_t c : text) {
        switch (c) {
            case L'\\':
                out += "\\\\";
                break;
            case L'\t':
                out += "\\t";
                break;
            case L'\r':
                out += "\\r";
                break;
            case L'\n':
                out += "\\n";
                break;
            default:
                AppendAsUtf8(out, c);
        }
    }
}

std::string TsvText(std::wstring_view text) {
    std::string escaped;
    AppendTsvText(escaped, text);
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
            AppendUnicodeEscape(literal, byte);
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

void AppendRowText(OutputFormat format, const ResultRow& row, std::string& out,
                   std::wstring_view currentFolder) {
    if (format != OutputFormat::kTsv) {
        out += FormatRow(format, row, currentFolder);
        return;
    }
    AppendTsvText(out, row.link);
    out += '\t';
    AppendTsvText(out, row.state);
    out += '\t';
    AppendTsvText(out, row.location);
    out += '\t';
    out += IconName(row.icon);
    out += '\n';
}

std::string FormatRow(OutputFormat format, const ResultRow& row, std::wstring_view currentFolder) {
    const std::string_view icon = IconName(row.icon);
    switch (format) {
        case OutputFormat::kTsv: {
            std::string text;
            AppendRowText(format, row, text);
            return text;
        }
        case OutputFormat::kCsv: {
            const std::wstring wideIcon = Widen(icon);
            return CsvRecord({row.link, row.state, row.location, wideIcon});
        }
        case OutputFormat::kJson:
            return "{\"link\":" + JsonString(row.link) + ",\"state\":" + JsonString(row.state) +
                   ",\"location\":" + JsonString(row.location) + ",\"icon\":\"" +
                   std::string(icon) + "\"}\n";
        case OutputFormat::kGithub:
            return WorkflowErrorCommand(row, currentFolder);
        case OutputFormat::kJunit:
        case OutputFormat::kMarkdown:
        case OutputFormat::kSarif:
            return "";
    }
    return "";
}

std::string FormatTotals(OutputFormat format, const ScanTotals& totals) {
    switch (format) {
        case OutputFormat::kTsv:
        case OutputFormat::kGithub:
            // A plain log line: an annotation would take one of the few a
            // step may show from the broken links.
            return ToUtf8(ScanTotalsText(totals.rows, totals.errors)) + '\n';
        case OutputFormat::kCsv:
        case OutputFormat::kJunit:
        case OutputFormat::kMarkdown:
        case OutputFormat::kSarif:
            return "";
        case OutputFormat::kJson:
            return "{\"total\":" + std::to_string(totals.rows) +
                   ",\"errors\":" + std::to_string(totals.errors) + "}\n";
    }
    return "";
}

bool EndListsRows(OutputFormat format) {
    return format == OutputFormat::kJunit || format == OutputFormat::kMarkdown ||
           format == OutputFormat::kSarif;
}

std::string FormatEnd(OutputFormat format, const std::vector<ResultRow>& rows,
                      const ScanTotals& totals, std::wstring_view currentFolder) {
    // One list of the formats whose end needs the rows, so a window that
    // hands none over never loses a report.
    if (!EndListsRows(format)) return FormatTotals(format, totals);
    switch (format) {
        case OutputFormat::kJunit:
            return JunitReport(rows, currentFolder);
        case OutputFormat::kMarkdown:
            return MarkdownSummary(rows, totals);
        default:
            return SarifLog(rows, currentFolder);
    }
}
