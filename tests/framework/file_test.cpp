#include <gtest/gtest.h>
#include <string>
#include "framework/framework.h"
#include "temp_folder.h"

namespace {

// How a monthly log file is opened: create if missing, keep what is there,
// write, others may read but not write; a text stream positioned at its end.
const UINT kAppendFlags = CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite | CFile::shareDenyWrite;

BOOL OpenLog(CStdioFile& f, const std::string& path, CFileException* e = nullptr) {
    if (!f.Open(path.c_str(), kAppendFlags, e))
        return FALSE;
    f.SeekToEnd();
    if (f.GetLength() == 0) {
        f.WriteString("Header\n");
        f.Flush();
    }
    return TRUE;
}

CString Message(const CException* e) {
    char text[512];
    e->GetErrorMessage(text, sizeof text);
    return CString(text);
}

}  // namespace

TEST(Files, OpenFlagsKeepTheirValues) {
    EXPECT_EQ(0x3021u, kAppendFlags);
    EXPECT_EQ(0x0040u, static_cast<UINT>(CFile::shareDenyNone));
    EXPECT_EQ(0x0010u, static_cast<UINT>(CFile::shareExclusive));
    EXPECT_EQ(0x0030u, static_cast<UINT>(CFile::shareDenyRead));
    EXPECT_EQ(0x4000u, static_cast<UINT>(CFile::typeText));
    EXPECT_EQ(0x8000u, static_cast<UINT>(CFile::typeBinary));
}

TEST(Files, StdioAppendKeepsSecondWriterOut) {
    TempFolder dir;
    const std::string path = dir.File("log.txt");
    {
        CStdioFile first;
        ASSERT_TRUE(OpenLog(first, path));
        EXPECT_TRUE(first.m_pStream != nullptr);
        first.WriteString("one\n");
        first.Flush();

        // A second writer is kept out, with the cause taken from the system's error.
        CStdioFile second;
        CFileException e;
        EXPECT_FALSE(OpenLog(second, path, &e));
        EXPECT_EQ(CFileException::sharingViolation, e.m_cause);
        EXPECT_EQ(ERROR_SHARING_VIOLATION, e.m_lOsError);
        EXPECT_TRUE(second.m_pStream == nullptr);
        EXPECT_EQ(CFile::hFileNull, second.m_hFile);
        EXPECT_NE(-1, Message(&e).Find("sharing violation"));
        try {
            CStdioFile third(path.c_str(), kAppendFlags);
            ADD_FAILURE() << "second writer opened the file";
        } catch (CFileException* pe) {
            EXPECT_EQ(CFileException::sharingViolation, pe->m_cause);
            EXPECT_NE(-1, pe->m_strFileName.Find("log.txt"));
            pe->Delete();
        }

        // Readers that let others write are welcome meanwhile.
        CStdioFile reader;
        ASSERT_TRUE(reader.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone | CFile::typeText));
        CString line;
        ASSERT_TRUE(reader.ReadString(line));
        EXPECT_STREQ("Header", line);
        ASSERT_TRUE(reader.ReadString(line));
        EXPECT_STREQ("one", line);

        // Append mode: even after a seek to the start, writes land at the end.
        first.SeekToBegin();
        first.WriteString("two\n");
        first.Close();
        EXPECT_TRUE(first.m_pStream == nullptr);
    }
    // The next start appends after the data, without a second header.
    {
        CStdioFile again;
        ASSERT_TRUE(OpenLog(again, path));
        again.WriteString("three\n");
    }  // closed by the destructor
    EXPECT_EQ("Header\r\none\r\ntwo\r\nthree\r\n", ReadFileBytes(path));
}

TEST(Files, TextLinesRoundTrip) {
    TempFolder dir;
    const std::string path = dir.File("lines.txt");
    const std::string longLine(2000, 'x');  // longer than any internal chunk
    const char* const lines[] = {"first", "", "  blanks kept  ", "a,b,,c", longLine.c_str(), "last"};
    {
        CStdioFile out(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeText);
        for (const char* l : lines) {
            out.WriteString(l);
            out.WriteString("\n");
        }
        out.WriteString("no line end");
    }
    std::string expected;
    for (const char* l : lines)
        expected += std::string(l) + "\r\n";
    expected += "no line end";
    EXPECT_EQ(expected, ReadFileBytes(path));

    CStdioFile in;
    ASSERT_TRUE(in.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone | CFile::typeText));
    EXPECT_EQ(expected.size(), in.GetLength());
    CString line;
    for (const char* l : lines) {
        ASSERT_TRUE(in.ReadString(line));
        EXPECT_STREQ(l, line);
    }
    ASSERT_TRUE(in.ReadString(line));
    EXPECT_STREQ("no line end", line);
    EXPECT_FALSE(in.ReadString(line));
    EXPECT_TRUE(line.IsEmpty());

    // The buffer form keeps the line end, as "\n".
    in.SeekToBegin();
    char buf[64];
    ASSERT_TRUE(in.ReadString(buf, sizeof buf) != nullptr);
    EXPECT_STREQ("first\n", buf);
    in.Close();

    // Binary mode writes line feeds as they are.
    {
        CStdioFile bin(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);
        bin.WriteString("a\nb\n");
    }
    EXPECT_EQ("a\nb\n", ReadFileBytes(path));
}

TEST(Files, BinaryFileOperationsAndNames) {
    TempFolder dir;
    const std::string path = dir.File("data.bin");
    CFile f;
    ASSERT_TRUE(f.Open(path.c_str(), CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive));
    EXPECT_STREQ("data.bin", f.GetFileName());
    EXPECT_EQ(0, f.GetFilePath().Right(9).CompareNoCase("\\data.bin"));
    EXPECT_EQ(':', f.GetFilePath()[1]);  // a full path

    f.Write("0123456789", 10);
    EXPECT_EQ(10u, f.GetLength());
    EXPECT_EQ(10u, f.GetPosition());
    EXPECT_EQ(4u, f.Seek(4, CFile::begin));
    char buf[16] = {};
    EXPECT_EQ(3u, f.Read(buf, 3));
    EXPECT_STREQ("456", buf);
    EXPECT_EQ(9u, f.Seek(-1, CFile::end));
    EXPECT_EQ(1u, f.Read(buf, sizeof buf));  // short read at the end
    EXPECT_EQ(0u, f.Read(buf, sizeof buf));  // end of file: 0, no exception
    f.SetLength(5);
    EXPECT_EQ(5u, f.GetLength());
    f.Close();
    EXPECT_EQ(CFile::hFileNull, f.m_hFile);

    // No-truncate keeps the data; create alone truncates.
    {
        CFile keep(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite);
        EXPECT_EQ(5u, keep.GetLength());
    }
    {
        CFile trunc(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        EXPECT_EQ(0u, trunc.GetLength());
    }
}

TEST(Files, OpenFailuresReportCauseAndName) {
    TempFolder dir;
    struct Case {
        std::string path;
        UINT flags;
        int cause;
    } cases[] = {
        {dir.File("missing.txt"), CFile::modeRead, CFileException::fileNotFound},
        {dir.File("no-such-folder\\x.txt"), CFile::modeCreate | CFile::modeWrite, CFileException::badPath},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        CFile f;
        CFileException e;
        EXPECT_FALSE(f.Open(c.path.c_str(), c.flags, &e));
        EXPECT_EQ(c.cause, e.m_cause);
        EXPECT_NE(0, e.m_lOsError);
        EXPECT_STREQ(c.path.c_str(), e.m_strFileName);
        EXPECT_NE(-1, Message(&e).Find(c.path.c_str()));
        try {
            CStdioFile s(c.path.c_str(), c.flags | CFile::typeText);
            ADD_FAILURE() << "opened";
        } catch (CException* pe) {
            ASSERT_TRUE(pe->IsKindOf(RUNTIME_CLASS(CFileException)));
            EXPECT_EQ(c.cause, static_cast<CFileException*>(pe)->m_cause);
            pe->Delete();
        }
    }
}
