// The repair report: one process-wide narrow byte string per run, appended to
// the log file "Tools.log" at the end of every completed run.
#pragma once

#include <cstddef>
#include <string>

#include "common/platform/wintypes.h"

// A fixed text of the program in GBK (or plain ASCII) bytes with its exact count.
struct ReportText {
    const char* bytes;
    size_t size;
};

template <size_t N>
constexpr ReportText MakeReportText(const char (&literal)[N])
{
    return ReportText{literal, N - 1};
}

// "未发现异常" in GBK, no line end.
inline constexpr ReportText REPORT_NOTHING_FOUND = MakeReportText("\xCE\xB4\xB7\xA2\xCF\xD6\xD2\xEC\xB3\xA3");
// CR LF, 69 '=', CR LF, CR LF.
inline constexpr ReportText REPORT_SEPARATOR = MakeReportText(
    "\r\n=====================================================================\r\n\r\n");

// Replaces the whole report with the text converted to the ANSI code page.
void ReportAssign(const char16_t* text);
// Replaces the whole report with the start line "StartTime:Y-M-D h:m:s" CR LF CR LF.
void ReportFormatStartLine(int year, int month, int day, int hour, int minute, int second);
size_t ReportLength();
// The report's bytes; kept null-terminated.
const char* ReportData();
// Appends exactly count bytes; the bytes may lie inside the report itself.
void ReportAppend(const void* bytes, size_t count);
void ReportAppend(const ReportText& text);
void ReportAppendWide(const char16_t* text);

// Appends the report to the log file; returns whether the file could be opened.
BOOL WriteReportFile();
std::u16string GetReportFilePath();
void OpenReportFile();
