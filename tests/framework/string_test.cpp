#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>
#include "framework/framework.h"
#include "static_strings.h"

namespace {

// A global of this file built from the other file's globals at static-init time.
CString g_builtFromOtherUnit = CString("copy:") + g_staticRecords[1];

struct SliceCase {
    const char* source;
    char op;  // 'M' Mid(a, b), 'm' Mid(a), 'L' Left(a), 'R' Right(a)
    int a, b;
    const char* expected;
};

TEST(CString, SlicesClampLikeTheSystemFramework) {
    const SliceCase cases[] = {
        {"abcdef", 'M', 2, 3, "cde"},   {"abcdef", 'M', -3, 4, "abcd"},  {"abcdef", 'M', 4, 10, "ef"},
        {"abcdef", 'M', 6, 1, ""},      {"abcdef", 'M', 9, 2, ""},       {"abcdef", 'M', 1, -2, ""},
        {"abcdef", 'M', 0, 0x7fffffff, "abcdef"}, {"abcdef", 'M', 5, 0x7fffffff, "f"},
        {"abcdef", 'm', 3, 0, "def"},   {"abcdef", 'm', -5, 0, "abcdef"}, {"abcdef", 'm', 6, 0, ""},
        {"abcdef", 'm', 100, 0, ""},    {"", 'M', 0, 5, ""},              {"abcdef", 'L', 2, 0, "ab"},
        {"abcdef", 'L', -1, 0, ""},     {"abcdef", 'L', 99, 0, "abcdef"}, {"abcdef", 'R', 2, 0, "ef"},
        {"abcdef", 'R', -1, 0, ""},     {"abcdef", 'R', 99, 0, "abcdef"}, {"abcdef", 'R', 0, 0, ""},
    };
    for (const SliceCase& c : cases) {
        CString s(c.source), r;
        switch (c.op) {
        case 'M': r = s.Mid(c.a, c.b); break;
        case 'm': r = s.Mid(c.a); break;
        case 'L': r = s.Left(c.a); break;
        case 'R': r = s.Right(c.a); break;
        }
        EXPECT_STREQ(c.expected, r) << c.source << " " << c.op << "(" << c.a << "," << c.b << ")";
        EXPECT_EQ(static_cast<int>(strlen(c.expected)), r.GetLength());
    }
}

TEST(CString, FormatHasPrintfSemantics) {
    CString s;
    s.Format("%d|%5s|%-4s|%02X|%07d|%.2f|%%|%c|%u", -12, "ab", "cd", 0xAB, 42, 3.14159, 'z', 4000000000u);
    EXPECT_STREQ("-12|   ab|cd  |AB|0000042|3.14|%|z|4000000000", s);

    std::string big(5000, 'q');
    s.Format("<%s>", big.c_str());  // beyond any small internal buffer
    EXPECT_EQ(5002, s.GetLength());
    EXPECT_EQ('>', s[5001]);

    s.Format("%s", "");
    EXPECT_TRUE(s.IsEmpty());
    s = "start";
    s.AppendFormat("-%03d", 7);
    EXPECT_STREQ("start-007", s);

    // Formatting into itself through its own text is safe.
    s = "abc";
    s.Format("%s%s", s.GetString(), s.GetString());
    EXPECT_STREQ("abcabc", s);

    s.Format(102, 5, "five");
    EXPECT_STREQ("Value 5 of five", s);
}

TEST(CString, ResourceStrings) {
    CString s;
    EXPECT_TRUE(s.LoadString(101));
    EXPECT_STREQ("Loaded from the string table", s);
    CString kept("kept");
    EXPECT_FALSE(kept.LoadString(4711));
    EXPECT_STREQ("kept", kept);
    CString fromId(MAKEINTRESOURCEA(101));
    EXPECT_STREQ("Loaded from the string table", fromId);
}

// Strings come from whatever module the resource handle names, as a language
// DLL that replaces it needs.
TEST(CString, ResourceStringsFollowTheResourceHandle) {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    ASSERT_GT(n, 0u);
    std::string module(path, n);
    module = module.substr(0, module.find_last_of("\\/") + 1) + "framework_test_strings.dll";
    HMODULE language = LoadLibraryA(module.c_str());
    ASSERT_NE(nullptr, language) << module << " " << GetLastError();
    HINSTANCE own = AfxGetResourceHandle();
    HINSTANCE instance = AfxGetInstanceHandle();

    AfxSetResourceHandle(language);
    CString s;
    EXPECT_TRUE(s.LoadString(101));
    EXPECT_STREQ("From the language module", s);
    CString kept("kept");
    EXPECT_FALSE(kept.LoadString(102)) << "only the program has it";
    EXPECT_STREQ("kept", kept);
    EXPECT_EQ(instance, AfxGetInstanceHandle());

    AfxSetResourceHandle(own);
    EXPECT_TRUE(s.LoadString(101));
    EXPECT_STREQ("Loaded from the string table", s);
    FreeLibrary(language);
}

TEST(CString, ComparesInByteOrder) {
    struct Case {
        const char* a;
        const char* b;
        int sign;
    } cases[] = {
        {"a", "b", -1},          {"b", "a", 1},        {"abc", "abc", 0},    {"ab", "abc", -1},
        {"\x80", "z", 1},        {"\xff", "\x7f", 1},  {"z\xe4", "z\xc4", 1}, {"", "\x01", -1},
        {"A", "a", -1},          {"\x9f", "\xa0", -1},
    };
    for (const Case& c : cases) {
        CString a(c.a), b(c.b);
        int r = a.Compare(b);
        EXPECT_EQ(c.sign, (r > 0) - (r < 0)) << c.a << " vs " << c.b;
        EXPECT_EQ(c.sign < 0, a < b);
        EXPECT_EQ(c.sign > 0, a > b);
        EXPECT_EQ(c.sign == 0, a == b);
        EXPECT_EQ(c.sign != 0, a != b);
        EXPECT_EQ(c.sign <= 0, a <= c.b);
        EXPECT_EQ(c.sign >= 0, c.a >= b);
    }
    EXPECT_EQ(0, CString("HeLLo").CompareNoCase("hello"));
    EXPECT_LT(CString("abc").CompareNoCase("ABD"), 0);

    // Keys of an ordered multimap: byte order, equal keys keep insertion order.
    std::multimap<CString, CString> m;
    m.insert({"\xe9t\xe9", "1"});
    m.insert({"zeta", "2"});
    m.insert({"alpha", "3"});
    m.insert({"zeta", "4"});
    std::vector<std::string> order;
    for (auto& kv : m)
        order.push_back(std::string(kv.first) + "=" + std::string(kv.second));
    EXPECT_EQ((std::vector<std::string>{"alpha=3", "zeta=2", "zeta=4", "\xe9t\xe9=1"}), order);
}

TEST(CString, SearchAndEdit) {
    CString s("one,two;three,two");
    EXPECT_EQ(3, s.Find(','));
    EXPECT_EQ(13, s.Find(',', 4));
    EXPECT_EQ(-1, s.Find(',', 17));
    EXPECT_EQ(-1, s.Find(',', 100));
    EXPECT_EQ(4, s.Find("two"));
    EXPECT_EQ(14, s.Find("two", 5));
    EXPECT_EQ(-1, s.Find("four"));
    EXPECT_EQ(13, s.ReverseFind(','));
    EXPECT_EQ(-1, s.ReverseFind('#'));
    EXPECT_EQ(3, s.FindOneOf(";,"));
    EXPECT_EQ(-1, s.FindOneOf("#!"));
    EXPECT_STREQ("one", s.SpanExcluding(",;"));
    EXPECT_STREQ("on", CString("onenx").SpanIncluding("no"));

    struct EditCase {
        const char* source;
        const char* op;
        const char* expected;
        int result;
    } cases[] = {
        {"a-b-c", "replace - +", "a+b+c", 2},      {"aaa", "replace aa b", "ba", 1},
        {"abc", "replace x y", "abc", 0},          {"abcabc", "replace abc", "", 2},
        {"a.b.c", "remove .", "abc", 2},           {"abc", "insert 1 XY", "aXYbc", 5},
        {"abc", "insert -4 X", "Xabc", 4},         {"abc", "insert 99 X", "abcX", 4},
        {"abcdef", "delete 1 2", "adef", 4},       {"abcdef", "delete 4 99", "abcd", 4},
        {"abcdef", "delete -1 1", "bcdef", 5},     {"abcdef", "delete 9 1", "abcdef", 6},
        {" \t x y \r\n", "trim", "x y", 0},       {"  x  ", "trimleft", "x  ", 0},
        {"  x  ", "trimright", "  x", 0},          {"xxaxx", "trimchar x", "a", 0},
        {"-+a+-", "trimset -+", "a", 0},           {"-+a+-", "trimleftset -+", "a+-", 0},
        {"aBc\xe4", "upper", "ABC", 0},            {"AbC", "lower", "abc", 0},
    };
    for (const EditCase& c : cases) {
        CString t(c.source);
        CString keep = t;  // a sharer that must not see the edit
        char verb[32] = {}, arg1[32] = {}, arg2[32] = {};
        sscanf(c.op, "%31s %31s %31s", verb, arg1, arg2);
        std::string v = verb;
        int r = 0;
        if (v == "replace" && strlen(arg1) == 1 && strlen(arg2) == 1)
            r = t.Replace(arg1[0], arg2[0]);
        else if (v == "replace")
            r = t.Replace(arg1, arg2);
        else if (v == "remove")
            r = t.Remove(arg1[0]);
        else if (v == "insert")
            r = t.Insert(atoi(arg1), arg2);
        else if (v == "delete")
            r = t.Delete(atoi(arg1), atoi(arg2));
        else if (v == "trim")
            t.Trim();
        else if (v == "trimleft")
            t.TrimLeft();
        else if (v == "trimright")
            t.TrimRight();
        else if (v == "trimchar")
            t.Trim(arg1[0]);
        else if (v == "trimset")
            t.Trim(arg1);
        else if (v == "trimleftset")
            t.TrimLeft(arg1);
        else if (v == "upper")
            t.MakeUpper();
        else if (v == "lower")
            t.MakeLower();
        if (v == "upper") {
            EXPECT_EQ(0, strncmp(c.expected, t, 3)) << c.op;
        } else {
            EXPECT_STREQ(c.expected, t) << c.source << " / " << c.op;
        }
        if (v != "trim" && v.rfind("trim", 0) != 0 && v != "upper" && v != "lower") {
            EXPECT_EQ(c.result, r) << c.source << " / " << c.op;
        }
        EXPECT_STREQ(c.source, keep) << "copy changed by " << c.op;
    }
}

TEST(CString, Tokenize) {
    struct Case {
        const char* source;
        const char* delims;
        std::vector<std::string> tokens;
    } cases[] = {
        {"a,b,,c", ",", {"a", "b", "c"}},
        {",,lead and trail,,", ",", {"lead and trail"}},
        {"", ",", {}},
        {",,,", ",", {}},
        {"k=v; x = y", "=; ", {"k", "v", "x", "y"}},
        {"whole", "", {"whole"}},
    };
    for (const Case& c : cases) {
        CString s(c.source);
        std::vector<std::string> got;
        int pos = 0;
        for (int guard = 0; guard < 20; ++guard) {
            CString tok = s.Tokenize(c.delims, pos);
            if (pos == -1)
                break;
            got.push_back(std::string(tok));
        }
        EXPECT_EQ(c.tokens, got) << c.source;
        EXPECT_EQ(-1, pos);
    }
}

TEST(CString, BuffersAndCopyOnWrite) {
    CString a("shared text");
    CString b = a;
    EXPECT_EQ(a.GetString(), b.GetString());  // one buffer, two owners
    b.SetAt(0, 'S');
    EXPECT_STREQ("shared text", a);
    EXPECT_STREQ("Shared text", b);

    CString c = a;
    LPSTR p = c.GetBuffer(64);
    EXPECT_NE(a.GetString(), p);
    strcpy(p, "written through the buffer");
    c.ReleaseBuffer();
    EXPECT_STREQ("written through the buffer", c);
    EXPECT_EQ(26, c.GetLength());
    EXPECT_STREQ("shared text", a);

    CString d;
    p = d.GetBufferSetLength(3);
    memcpy(p, "xyz", 3);
    d.ReleaseBuffer(2);
    EXPECT_STREQ("xy", d);

    CString e = a;
    e += e;  // appending itself
    EXPECT_STREQ("shared textshared text", e);
    e.Empty();
    EXPECT_TRUE(e.IsEmpty());
    EXPECT_STREQ("", e);

    CString f = CString("x") + 'y' + "z" + CString("w");
    EXPECT_STREQ("xyzw", f);
    EXPECT_STREQ("ab", 'a' + CString("b"));
    EXPECT_EQ('\0', f[4]);
    EXPECT_STREQ("cba", CString("abc").MakeReverse());
    EXPECT_STREQ("\xc4", CString(L"\x00c4"));
}

DWORD WINAPI HammerCopies(LPVOID param) {
    const CString& shared = *static_cast<const CString*>(param);
    for (int i = 0; i < 20000; ++i) {
        CString copy = shared;
        CString other(copy);
        if (i % 7 == 0)
            other += "!";  // detach one of the copies
        if (copy != "the one shared buffer" || other.Left(21) != "the one shared buffer")
            return 1;
    }
    return 0;
}

TEST(CString, CopiesAcrossThreadsShareSafely) {
    const CString shared("the one shared buffer");
    HANDLE threads[6];
    for (HANDLE& h : threads)
        h = CreateThread(nullptr, 0, HammerCopies, const_cast<CString*>(&shared), 0, nullptr);
    WaitForMultipleObjects(6, threads, TRUE, INFINITE);
    for (HANDLE h : threads) {
        DWORD code = 99;
        GetExitCodeThread(h, &code);
        EXPECT_EQ(0u, code);
        CloseHandle(h);
    }
    // All copies are gone again; the original is intact and still shareable.
    CString last = shared;
    EXPECT_STREQ("the one shared buffer", last);
}

TEST(CString, UsableFromStaticConstructors) {
    EXPECT_STREQ("rec0000", g_staticRecords[0]);
    EXPECT_STREQ("rec0001x", g_staticRecords[1]);
    EXPECT_STREQ("rec8191x", g_staticRecords[8191]);
    // Built before or after the records depending on link order: either the
    // empty text or the filled one, never garbage.
    EXPECT_TRUE(g_staticCopy == "rec0007x" || g_staticCopy.IsEmpty());
    EXPECT_TRUE(g_builtFromOtherUnit == "copy:rec0001x" || g_builtFromOtherUnit == "copy:");
}

TEST(Exceptions, ThrownByPointerCaughtAsBase) {
    struct Case {
        void (*thrower)();
        CRuntimeClass* cls;
        const char* textPart;
    } cases[] = {
        {[] { AfxThrowFileException(CFileException::sharingViolation, ERROR_SHARING_VIOLATION, "C:\\x.txt"); },
         RUNTIME_CLASS(CFileException), "sharing violation"},
        {[] { CFileException::ThrowOsError(ERROR_FILE_NOT_FOUND, "missing.ini"); }, RUNTIME_CLASS(CFileException),
         "missing.ini was not found"},
        {[] { AfxThrowArchiveException(CArchiveException::endOfFile, "doc.orimb"); },
         RUNTIME_CLASS(CArchiveException), "past its end"},
        {[] { AfxThrowMemoryException(); }, RUNTIME_CLASS(CMemoryException), "Out of memory"},
    };
    for (const Case& c : cases) {
        bool caught = false;
        try {
            c.thrower();
        } catch (CException* e) {
            caught = true;
            EXPECT_TRUE(e->IsKindOf(c.cls)) << e->GetRuntimeClass()->m_lpszClassName;
            EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CException)));
            EXPECT_FALSE(e->IsKindOf(RUNTIME_CLASS(CCmdTarget)));
            char text[256];
            EXPECT_TRUE(e->GetErrorMessage(text, sizeof text));
            EXPECT_NE(nullptr, strstr(text, c.textPart)) << text;
            char tiny[4];
            EXPECT_TRUE(e->GetErrorMessage(tiny, sizeof tiny));
            EXPECT_EQ(3u, strlen(tiny));
            e->Delete();
        }
        EXPECT_TRUE(caught);
    }
    CFileException* fe = nullptr;
    try {
        CFileException::ThrowOsError(ERROR_ACCESS_DENIED, "f");
    } catch (CFileException* e) {
        fe = e;
    }
    ASSERT_NE(nullptr, fe);
    EXPECT_EQ(CFileException::accessDenied, fe->m_cause);
    EXPECT_EQ(ERROR_ACCESS_DENIED, fe->m_lOsError);
    fe->Delete();
}

}  // namespace
