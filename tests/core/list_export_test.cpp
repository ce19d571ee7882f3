// The export's choice of file and form; the forms themselves are read back
// by real parsers in tests/export.

#include <gtest/gtest.h>

#include "core/list_export.h"
#include "core/tcp_state.h"
#include "core/text_forms.h"

using namespace quorvex;

TEST(ListExport, TheFileNameDecidesTheFormBeforeTheChosenType)
{
    struct Case {
        const char *path;
        ExportFormat chosen;
        const char *file;
        ExportFormat written;
    };
    const Case cases[] = {
        {"/home/u/list.csv", ExportFormat::Json, "/home/u/list.csv", ExportFormat::Csv},
        {"/home/u/list.JSON", ExportFormat::Csv, "/home/u/list.JSON", ExportFormat::Json},
        {"/home/u/list.htm", ExportFormat::Csv, "/home/u/list.htm", ExportFormat::Html},
        {"/home/u/list", ExportFormat::Html, "/home/u/list.html", ExportFormat::Html},
        {"/home/u/list.txt", ExportFormat::Json, "/home/u/list.txt", ExportFormat::Json},
        {"/home/u.d/.list", ExportFormat::Csv, "/home/u.d/.list.csv", ExportFormat::Csv},
        {"C:\\dir.x\\list", ExportFormat::Json, "C:\\dir.x\\list.json", ExportFormat::Json},
    };
    for (const Case &c : cases) {
        const ExportTarget target = ResolveExportTarget(c.path, c.chosen);
        EXPECT_EQ(target.Path, c.file) << c.path;
        EXPECT_EQ(target.Format, c.written) << c.path;
    }
}

TEST(ListExport, TheJsonStateComesBackFromTheStateText)
{
    for (const int32_t state : {1, 5, 12, 0, 13, -2})
        EXPECT_EQ(TcpStateFromName(GetTcpStateName(state)), state) << state;
    EXPECT_EQ(TcpStateFromName(""), 0);
    EXPECT_EQ(TcpStateFromName(GetTcpStateName(7) + "x"), 0);
}

TEST(ListExport, AFailureNamesTheFileAndTheReason)
{
    EXPECT_EQ(ExportFailedText("/a/%2.csv", "No space left on device"),
              "无法保存文件 /a/%2.csv：No space left on device");
    // The message box takes UTF-8: the path and the reason come back from
    // the system's encoding, the fixed text is UTF-8 already.
    SetSystemTextEncoder([](std::string_view) { return std::string("?"); });
    SetSystemTextDecoder([](std::string_view system) { return "<" + std::string(system) + ">"; });
    const std::string text = ExportFailedText("C:\\a.csv", "Access denied");
    SetSystemTextEncoder(nullptr);
    SetSystemTextDecoder(nullptr);
    EXPECT_EQ(text, "无法保存文件 <C:\\a.csv>：<Access denied>");
}
