// CString: reference-counted ANSI string with MFC's observable behaviour.
#pragma once
#include <windows.h>
#include <stdarg.h>

// Header that precedes the characters of every non-empty string.
struct CStringData {
    long nRefs;          // -1 marks the shared, constant empty block
    int nDataLength;
    int nAllocLength;
    char* data() { return reinterpret_cast<char*>(this + 1); }
};

// The one empty string every empty CString points at. Constant-initialised, and
// the default constructor is constexpr, so CString globals of any translation
// unit are valid (empty) before dynamic initialisation reaches them.
struct CStringEmptyBlock {
    CStringData header;
    char chars[4];
};
extern CStringEmptyBlock g_fwEmptyString;

class CString {
public:
    constexpr CString() noexcept : m_pchData(g_fwEmptyString.chars) {}
    CString(const CString& src) noexcept;
    CString(CString&& src) noexcept;
    // A pointer whose high word is zero is a string-resource id, as in MFC.
    CString(LPCSTR psz);
    CString(LPCSTR pch, int nLength);
    CString(const unsigned char* psz);
    CString(LPCWSTR psz);
    explicit CString(char ch, int nRepeat = 1);
    ~CString();

    CString& operator=(const CString& src);
    CString& operator=(CString&& src) noexcept;
    CString& operator=(LPCSTR psz);
    CString& operator=(const unsigned char* psz);
    CString& operator=(LPCWSTR psz);
    CString& operator=(char ch);

    CString& operator+=(const CString& s);
    CString& operator+=(LPCSTR psz);
    CString& operator+=(char ch);

    int GetLength() const { return Data()->nDataLength; }
    BOOL IsEmpty() const { return Data()->nDataLength == 0; }
    void Empty();
    LPCSTR GetString() const { return m_pchData; }
    operator LPCSTR() const { return m_pchData; }

    char GetAt(int nIndex) const;
    void SetAt(int nIndex, char ch);
    char operator[](int nIndex) const { return GetAt(nIndex); }

    void Append(LPCSTR psz);
    void Append(LPCSTR pch, int nLength);
    void AppendChar(char ch) { Append(&ch, 1); }

    int Compare(LPCSTR psz) const;         // byte order (unsigned char)
    int CompareNoCase(LPCSTR psz) const;
    int Collate(LPCSTR psz) const;
    int CollateNoCase(LPCSTR psz) const;

    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    CString Left(int nCount) const;
    CString Right(int nCount) const;
    CString SpanIncluding(LPCSTR pszCharSet) const;
    CString SpanExcluding(LPCSTR pszCharSet) const;
    CString Tokenize(LPCSTR pszTokens, int& iStart) const;

    int Find(char ch, int nStart = 0) const;
    int Find(LPCSTR pszSub, int nStart = 0) const;
    int ReverseFind(char ch) const;
    int FindOneOf(LPCSTR pszCharSet) const;

    CString& MakeUpper();
    CString& MakeLower();
    CString& MakeReverse();
    int Replace(char chOld, char chNew);
    int Replace(LPCSTR pszOld, LPCSTR pszNew);
    int Remove(char ch);
    int Insert(int nIndex, char ch);
    int Insert(int nIndex, LPCSTR psz);
    int Delete(int nIndex, int nCount = 1);

    CString& Trim();
    CString& Trim(char chTarget);
    CString& Trim(LPCSTR pszTargets);
    CString& TrimLeft();
    CString& TrimLeft(char chTarget);
    CString& TrimLeft(LPCSTR pszTargets);
    CString& TrimRight();
    CString& TrimRight(char chTarget);
    CString& TrimRight(LPCSTR pszTargets);

    // printf semantics. Pass other CStrings as (LPCSTR) or .GetString().
    void Format(LPCSTR pszFormat, ...);
    void Format(UINT nFormatID, ...);
    void FormatV(LPCSTR pszFormat, va_list args);
    void AppendFormat(LPCSTR pszFormat, ...);
    void AppendFormatV(LPCSTR pszFormat, va_list args);
    // FormatMessage-style inserts (%1, %2!d! ...).
    void FormatMessage(LPCSTR pszFormat, ...);
    void FormatMessage(UINT nFormatID, ...);

    // Loads through AfxGetResourceHandle(); FALSE (string unchanged) when missing.
    BOOL LoadString(UINT nID);
    // The same from a given module (null: FALSE).
    BOOL LoadString(HINSTANCE hInstance, UINT nID);

    LPSTR GetBuffer(int nMinBufLength);
    LPSTR GetBuffer() { return GetBuffer(0); }
    LPSTR GetBufferSetLength(int nNewLength);
    void ReleaseBuffer(int nNewLength = -1);
    void ReleaseBufferSetLength(int nNewLength) { ReleaseBuffer(nNewLength); }
    void FreeExtra();
    void Preallocate(int nLength);
    void Truncate(int nNewLength);

private:
    CStringData* Data() const { return reinterpret_cast<CStringData*>(m_pchData) - 1; }
    void Release();
    void AllocBuffer(int nLen);                 // fresh, unshared, refs 1
    void AssignCopy(LPCSTR pch, int nLen);
    void CopyBeforeWrite();
    void EnsureUnshared(int nMinAlloc);
    void SetLength(int nLen);

    LPSTR m_pchData;  // points at the characters; the header lies before them
};

typedef CString CStringA;

bool operator==(const CString& a, const CString& b);
bool operator==(const CString& a, LPCSTR b);
bool operator==(LPCSTR a, const CString& b);
bool operator!=(const CString& a, const CString& b);
bool operator!=(const CString& a, LPCSTR b);
bool operator!=(LPCSTR a, const CString& b);
bool operator<(const CString& a, const CString& b);
bool operator<(const CString& a, LPCSTR b);
bool operator<(LPCSTR a, const CString& b);
bool operator>(const CString& a, const CString& b);
bool operator>(const CString& a, LPCSTR b);
bool operator>(LPCSTR a, const CString& b);
bool operator<=(const CString& a, const CString& b);
bool operator<=(const CString& a, LPCSTR b);
bool operator<=(LPCSTR a, const CString& b);
bool operator>=(const CString& a, const CString& b);
bool operator>=(const CString& a, LPCSTR b);
bool operator>=(LPCSTR a, const CString& b);

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, LPCSTR b);
CString operator+(LPCSTR a, const CString& b);
CString operator+(const CString& a, char b);
CString operator+(char a, const CString& b);
