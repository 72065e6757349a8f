#include <gtest/gtest.h>
#include <string>
#include "framework/framework.h"
#include "temp_folder.h"

namespace {

// Every value type once, with values that show sign and width mistakes.
struct Values {
    BYTE by = 0;
    WORD w = 0;
    LONG l = 0;
    DWORD dw = 0;
    int i = 0;
    UINT u = 0;
    short s = 0;
    float f = 0;
    double d = 0;
    CString str;
};

Values Sample() {
    Values v;
    v.by = 0xFE;
    v.w = 0x8003;
    v.l = -123456789;
    v.dw = 0xFEDCBA98;
    v.i = -2;
    v.u = 0x80000001u;
    v.s = -30000;
    v.f = 1.5f;
    v.d = -2.0e-300;
    v.str = "text";
    return v;
}

void StoreValues(CArchive& ar, const Values& v) {
    ar << v.by << v.w << v.l << v.dw << v.i << v.u << v.s << v.f << v.d << v.str;
}

void LoadValues(CArchive& ar, Values& v) {
    ar >> v.by >> v.w >> v.l >> v.dw >> v.i >> v.u >> v.s >> v.f >> v.d >> v.str;
}

const size_t kSampleBytes = 1 + 2 + 4 + 4 + 4 + 4 + 2 + 4 + 8 + 1 + 4;

void StoreFile(const std::string& path, void (*store)(CArchive&), int nBufSize = 4096) {
    CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive);
    CArchive ar(&f, CArchive::store | CArchive::bNoFlushOnDelete, nBufSize);
    store(ar);
    ar.Close();
}

int CauseOf(CException* e) {
    EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CArchiveException)));
    int cause = static_cast<CArchiveException*>(e)->m_cause;
    e->Delete();
    return cause;
}

}  // namespace

TEST(Archive, RoundTripOfEveryValueType) {
    TempFolder dir;
    const std::string path = dir.File("values.dat");
    for (int bufSize : {64, 4096}) {  // small buffers refill in the middle of values
        SCOPED_TRACE(bufSize);
        {
            CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite);
            CArchive ar(&f, CArchive::store, bufSize);
            EXPECT_TRUE(ar.IsStoring());
            EXPECT_FALSE(ar.IsLoading());
            EXPECT_EQ(&f, ar.GetFile());
            for (int n = 0; n < 5; ++n)
                StoreValues(ar, Sample());
            ar.Close();
            EXPECT_EQ(5 * kSampleBytes, f.GetLength());  // the file stays open after Close
        }
        const std::string bytes = ReadFileBytes(path);
        ASSERT_EQ(5 * kSampleBytes, bytes.size());
        EXPECT_EQ(std::string("\xFE\x03\x80", 3), bytes.substr(0, 3));  // little-endian
        EXPECT_EQ(std::string("\x04text", 5), bytes.substr(kSampleBytes - 5, 5));

        CFile f(path.c_str(), CFile::modeRead);
        CArchive ar(&f, CArchive::load, bufSize);
        EXPECT_TRUE(ar.IsLoading());
        const Values want = Sample();
        for (int n = 0; n < 5; ++n) {
            Values got;
            LoadValues(ar, got);
            EXPECT_EQ(want.by, got.by);
            EXPECT_EQ(want.w, got.w);
            EXPECT_EQ(want.l, got.l);
            EXPECT_EQ(want.dw, got.dw);
            EXPECT_EQ(want.i, got.i);
            EXPECT_EQ(want.u, got.u);
            EXPECT_EQ(want.s, got.s);
            EXPECT_EQ(want.f, got.f);
            EXPECT_EQ(want.d, got.d);
            EXPECT_STREQ(want.str, got.str);
        }
        BYTE extra;
        try {
            ar >> extra;
            ADD_FAILURE() << "read past the end";
        } catch (CException* e) {
            EXPECT_EQ(CArchiveException::endOfFile, CauseOf(e));
        }
    }
}

TEST(Archive, StringLengthPrefixes) {
    TempFolder dir;
    const std::string path = dir.File("strings.dat");
    struct Case {
        int length;
        std::string prefix;
    } cases[] = {
        {0, std::string("\x00", 1)},
        {7, "\x07"},
        {254, "\xFE"},
        {255, std::string("\xFF\xFF\x00", 3)},
        {300, std::string("\xFF\x2C\x01", 3)},
        {65533, std::string("\xFF\xFD\xFF", 3)},
        {65534, std::string("\xFF\xFF\xFF\xFE\xFF\x00\x00", 7)},
        {70000, std::string("\xFF\xFF\xFF\x70\x11\x01\x00", 7)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        CString text;
        for (int k = 0; k < c.length; ++k)
            text += static_cast<char>('a' + k % 26);
        {
            CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite);
            CArchive ar(&f, CArchive::store, 64);
            ar << text;
        }  // the destructor flushes
        const std::string bytes = ReadFileBytes(path);
        ASSERT_EQ(c.prefix.size() + c.length, bytes.size());
        EXPECT_EQ(c.prefix, bytes.substr(0, c.prefix.size()));

        CFile f(path.c_str(), CFile::modeRead);
        CArchive ar(&f, CArchive::load, 64);
        CString back("old");
        ar >> back;
        EXPECT_EQ(c.length, back.GetLength());
        EXPECT_TRUE(back == text);
    }
}

TEST(Archive, ReadsLongAndWidePrefixesItDoesNotWrite) {
    TempFolder dir;
    const std::string path = dir.File("foreign.dat");
    struct Case {
        std::string bytes;
        const char* text;
    } cases[] = {
        {std::string("\xFF\x03\x00" "abc", 6), "abc"},                        // 16-bit length for a short string
        {std::string("\xFF\xFF\xFF\x02\x00\x00\x00" "hi", 9), "hi"},          // 32-bit length
        {std::string("\xFF\xFE\xFF\x03" "a\0b\0c\0", 10), "abc"},             // UTF-16, one-byte length
        {std::string("\xFF\xFE\xFF\xFF\x02\x00" "O\0K\0", 10), "OK"},         // UTF-16, 16-bit length
        {std::string("\xFF\xFE\xFF\x00", 4), ""},                             // UTF-16, empty
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        WriteFileBytes(path, c.bytes + "\x2A");
        CFile f(path.c_str(), CFile::modeRead);
        CArchive ar(&f, CArchive::load);
        CString s;
        BYTE after = 0;
        ar >> s >> after;
        EXPECT_STREQ(c.text, s);
        EXPECT_EQ(0x2A, after);
    }
}

TEST(Archive, TruncatedFileGivesEndOfFileAndKeepsTheTarget) {
    TempFolder dir;
    const std::string full = dir.File("full.dat");
    StoreFile(full, [](CArchive& ar) {
        ar << static_cast<WORD>(0x1234) << CString(CString('L', 300)) << static_cast<int>(7);
    });
    const std::string bytes = ReadFileBytes(full);
    ASSERT_EQ(2u + 3 + 300 + 4, bytes.size());

    const std::string cut = dir.File("cut.dat");
    for (size_t keep : {size_t(0), size_t(1), size_t(3), size_t(4), size_t(200), size_t(305), size_t(308)}) {
        SCOPED_TRACE(keep);
        WriteFileBytes(cut, bytes.substr(0, keep));
        CFile f(cut.c_str(), CFile::modeRead);
        CArchive ar(&f, CArchive::load);
        WORD w = 0;
        CString s("unchanged");
        int i = -1;
        try {
            ar >> w >> s >> i;
            ADD_FAILURE() << "read past the end";
        } catch (CArchiveException* e) {
            EXPECT_EQ(CArchiveException::endOfFile, e->m_cause);
            EXPECT_NE(-1, e->m_strFileName.Find("cut.dat"));
            char text[512];
            e->GetErrorMessage(text, sizeof text);
            EXPECT_NE(nullptr, strstr(text, "past its end"));
            e->Delete();
        }
        if (keep < 305) {
            EXPECT_STREQ("unchanged", s);  // a partial string is never handed out
        }
        EXPECT_EQ(-1, i);
    }

    // A damaged length that claims gigabytes ends cleanly, without allocating them.
    WriteFileBytes(cut, std::string("\xFF\xFF\xFF\x00\x00\x00\x40" "short", 12));  // 1 GiB
    {
        CFile f(cut.c_str(), CFile::modeRead);
        CArchive ar(&f, CArchive::load);
        CString s;
        try {
            ar >> s;
            ADD_FAILURE() << "no exception";
        } catch (CException* e) {
            EXPECT_EQ(CArchiveException::endOfFile, CauseOf(e));
        }
    }
    WriteFileBytes(cut, std::string("\xFF\xFF\xFF\xF0\xFF\xFF\xFF" "short", 12));
    {
        CFile f(cut.c_str(), CFile::modeRead);
        CArchive ar(&f, CArchive::load);
        CString s;
        try {
            ar >> s;
            ADD_FAILURE() << "no exception";
        } catch (CException* e) {
            EXPECT_EQ(CArchiveException::badIndex, CauseOf(e));
        }
    }
}

TEST(Archive, WrongDirectionRawBytesAndLines) {
    TempFolder dir;
    const std::string path = dir.File("lines.dat");
    {
        CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        CArchive ar(&f, CArchive::store);
        BYTE b;
        try {
            ar >> b;
            ADD_FAILURE();
        } catch (CException* e) {
            EXPECT_EQ(CArchiveException::writeOnly, CauseOf(e));
        }
        ar.WriteString("one\r\ntwo\r\n\r\nlast");
    }
    EXPECT_EQ("one\r\ntwo\r\n\r\nlast", ReadFileBytes(path));

    CFile f(path.c_str(), CFile::modeRead | CFile::shareDenyNone);
    CArchive ar(&f, CArchive::load, 64);
    try {
        ar << static_cast<BYTE>(1);
        ADD_FAILURE();
    } catch (CException* e) {
        EXPECT_EQ(CArchiveException::readOnly, CauseOf(e));
    }
    CString line;
    const char* const want[] = {"one", "two", "", "last"};
    for (const char* w : want) {
        ASSERT_TRUE(ar.ReadString(line));
        EXPECT_STREQ(w, line);
    }
    EXPECT_FALSE(ar.ReadString(line));

    // Raw reads are short at the end, without an exception; Flush on a loading
    // archive leaves the file where the archive stands.
    CFile g(path.c_str(), CFile::modeRead | CFile::shareDenyNone);
    {
        CArchive raw(&g, CArchive::load);
        char buf[8] = {};
        EXPECT_EQ(3u, raw.Read(buf, 3));
        EXPECT_STREQ("one", buf);
        raw.Flush();
        EXPECT_EQ(3u, g.GetPosition());
        char rest[64] = {};
        EXPECT_EQ(13u, raw.Read(rest, sizeof rest));
        EXPECT_EQ(0u, raw.Read(rest, sizeof rest));
        char line2[16];
        EXPECT_EQ(nullptr, raw.ReadString(line2, sizeof line2));
    }
    g.SeekToBegin();
    CArchive lines(&g, CArchive::load);
    char buf[16];
    ASSERT_NE(nullptr, lines.ReadString(buf, sizeof buf));
    EXPECT_STREQ("one\n", buf);
}
