// CString: copy-on-write buffer shared between copies by an interlocked count.
#include "framework/string.h"
#include "framework/exceptions.h"
#include "framework/app.h"
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <ctype.h>
#include <limits.h>

CStringEmptyBlock g_fwEmptyString = {{-1, 0, 0}, {0, 0, 0, 0}};

namespace {
inline LPSTR EmptyChars() { return g_fwEmptyString.chars; }

int SafeLength(LPCSTR psz) { return psz ? static_cast<int>(strlen(psz)) : 0; }

bool IsResourceId(LPCSTR psz) { return psz != nullptr && HIWORD(reinterpret_cast<ULONG_PTR>(psz)) == 0; }

CStringData* NewBlock(int nAlloc) {
    if (nAlloc < 0 || nAlloc > INT_MAX - 64)
        AfxThrowMemoryException();
    CStringData* p = static_cast<CStringData*>(malloc(sizeof(CStringData) + nAlloc + 1));
    if (!p)
        AfxThrowMemoryException();
    p->nRefs = 1;
    p->nDataLength = 0;
    p->nAllocLength = nAlloc;
    p->data()[0] = '\0';
    return p;
}
}  // namespace

static_assert(sizeof(CStringData) == 12, "the empty block relies on the header layout");

CString::CString(const CString& src) noexcept : m_pchData(src.m_pchData) {
    if (Data()->nRefs != -1)
        InterlockedIncrement(&Data()->nRefs);
}

CString::CString(CString&& src) noexcept : m_pchData(src.m_pchData) { src.m_pchData = EmptyChars(); }

CString::CString(LPCSTR psz) : m_pchData(EmptyChars()) {
    if (IsResourceId(psz))
        LoadString(LOWORD(reinterpret_cast<ULONG_PTR>(psz)));
    else
        AssignCopy(psz, SafeLength(psz));
}

CString::CString(LPCSTR pch, int nLength) : m_pchData(EmptyChars()) {
    if (pch && nLength > 0)
        AssignCopy(pch, nLength);
}

CString::CString(const unsigned char* psz) : CString(reinterpret_cast<LPCSTR>(psz)) {}

CString::CString(LPCWSTR psz) : m_pchData(EmptyChars()) { *this = psz; }

CString::CString(char ch, int nRepeat) : m_pchData(EmptyChars()) {
    if (nRepeat > 0) {
        AllocBuffer(nRepeat);
        memset(m_pchData, ch, nRepeat);
    }
}

CString::~CString() { Release(); }

void CString::Release() {
    CStringData* d = Data();
    if (d != &g_fwEmptyString.header && InterlockedDecrement(&d->nRefs) == 0)
        free(d);
    m_pchData = EmptyChars();
}

void CString::AllocBuffer(int nLen) {
    CStringData* d = NewBlock(nLen);
    d->nDataLength = nLen;
    d->data()[nLen] = '\0';
    m_pchData = d->data();
}

void CString::AssignCopy(LPCSTR pch, int nLen) {
    if (nLen <= 0) {
        Empty();
        return;
    }
    // The source may lie inside our own buffer; build the new one first.
    CStringData* d = NewBlock(nLen);
    memcpy(d->data(), pch, nLen);
    d->data()[nLen] = '\0';
    d->nDataLength = nLen;
    Release();
    m_pchData = d->data();
}

void CString::EnsureUnshared(int nMinAlloc) {
    CStringData* d = Data();
    if (d->nRefs == 1 && d->nAllocLength >= nMinAlloc)
        return;
    int nAlloc = nMinAlloc > d->nDataLength ? nMinAlloc : d->nDataLength;
    CStringData* n = NewBlock(nAlloc);
    memcpy(n->data(), d->data(), d->nDataLength + 1);
    n->nDataLength = d->nDataLength;
    Release();
    m_pchData = n->data();
}

void CString::CopyBeforeWrite() { EnsureUnshared(0); }

void CString::SetLength(int nLen) {
    if (Data()->nRefs == -1)
        return;  // only the empty block; nothing to set
    Data()->nDataLength = nLen;
    m_pchData[nLen] = '\0';
}

CString& CString::operator=(const CString& src) {
    if (m_pchData != src.m_pchData) {
        CStringData* d = src.Data();
        if (d->nRefs != -1)
            InterlockedIncrement(&d->nRefs);
        Release();
        m_pchData = src.m_pchData;
    }
    return *this;
}

CString& CString::operator=(CString&& src) noexcept {
    if (this != &src) {
        Release();
        m_pchData = src.m_pchData;
        src.m_pchData = EmptyChars();
    }
    return *this;
}

CString& CString::operator=(LPCSTR psz) {
    AssignCopy(psz, SafeLength(psz));
    return *this;
}

CString& CString::operator=(const unsigned char* psz) { return *this = reinterpret_cast<LPCSTR>(psz); }

CString& CString::operator=(LPCWSTR psz) {
    if (!psz || !*psz) {
        Empty();
        return *this;
    }
    int n = WideCharToMultiByte(CP_ACP, 0, psz, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) {
        Empty();
        return *this;
    }
    CString tmp;
    LPSTR p = tmp.GetBuffer(n);
    WideCharToMultiByte(CP_ACP, 0, psz, -1, p, n, nullptr, nullptr);
    tmp.ReleaseBuffer(n - 1);
    return *this = static_cast<CString&&>(tmp);
}

CString& CString::operator=(char ch) {
    AssignCopy(&ch, 1);
    return *this;
}

void CString::Empty() { Release(); }

void CString::Append(LPCSTR pch, int nLength) {
    if (!pch || nLength <= 0)
        return;
    int nOld = GetLength();
    if (nLength > INT_MAX - 64 - nOld)
        AfxThrowMemoryException();
    int nNew = nOld + nLength;
    CStringData* d = Data();
    if (d->nRefs != 1 || d->nAllocLength < nNew) {
        // Grow geometrically so repeated appends stay linear.
        int nAlloc = nNew;
        if (d->nRefs == 1 && d->nAllocLength < INT_MAX / 2 && nAlloc < d->nAllocLength + d->nAllocLength / 2)
            nAlloc = d->nAllocLength + d->nAllocLength / 2;
        CStringData* n = NewBlock(nAlloc);
        memcpy(n->data(), d->data(), nOld);
        memcpy(n->data() + nOld, pch, nLength);  // pch may lie in the old block
        n->nDataLength = nNew;
        n->data()[nNew] = '\0';
        Release();
        m_pchData = n->data();
        return;
    }
    memmove(m_pchData + nOld, pch, nLength);
    SetLength(nNew);
}

void CString::Append(LPCSTR psz) { Append(psz, SafeLength(psz)); }

CString& CString::operator+=(const CString& s) {
    if (IsEmpty())
        return *this = s;
    Append(s.m_pchData, s.GetLength());
    return *this;
}

CString& CString::operator+=(LPCSTR psz) {
    Append(psz);
    return *this;
}

CString& CString::operator+=(char ch) {
    Append(&ch, 1);
    return *this;
}

char CString::GetAt(int nIndex) const {
    if (nIndex < 0 || nIndex > GetLength())
        AfxThrowInvalidArgException();
    return m_pchData[nIndex];
}

void CString::SetAt(int nIndex, char ch) {
    if (nIndex < 0 || nIndex >= GetLength())
        AfxThrowInvalidArgException();
    CopyBeforeWrite();
    m_pchData[nIndex] = ch;
}

int CString::Compare(LPCSTR psz) const { return strcmp(m_pchData, psz ? psz : ""); }
int CString::CompareNoCase(LPCSTR psz) const { return _stricmp(m_pchData, psz ? psz : ""); }
int CString::Collate(LPCSTR psz) const { return strcoll(m_pchData, psz ? psz : ""); }
int CString::CollateNoCase(LPCSTR psz) const { return _stricoll(m_pchData, psz ? psz : ""); }

CString CString::Mid(int nFirst) const {
    long long n = static_cast<long long>(GetLength()) - nFirst;
    return Mid(nFirst, n > INT_MAX ? INT_MAX : static_cast<int>(n));
}

CString CString::Mid(int nFirst, int nCount) const {
    int nLen = GetLength();
    if (nFirst < 0)
        nFirst = 0;
    if (nCount < 0)
        nCount = 0;
    if (nFirst > nLen)
        nFirst = nLen;
    if (static_cast<long long>(nFirst) + nCount > nLen)
        nCount = nLen - nFirst;
    if (nFirst == 0 && nCount == nLen)
        return *this;
    return CString(m_pchData + nFirst, nCount);
}

CString CString::Left(int nCount) const {
    if (nCount < 0)
        nCount = 0;
    if (nCount >= GetLength())
        return *this;
    return CString(m_pchData, nCount);
}

CString CString::Right(int nCount) const {
    if (nCount < 0)
        nCount = 0;
    int nLen = GetLength();
    if (nCount >= nLen)
        return *this;
    return CString(m_pchData + nLen - nCount, nCount);
}

CString CString::SpanIncluding(LPCSTR pszCharSet) const {
    return Left(static_cast<int>(strspn(m_pchData, pszCharSet ? pszCharSet : "")));
}

CString CString::SpanExcluding(LPCSTR pszCharSet) const {
    return Left(static_cast<int>(strcspn(m_pchData, pszCharSet ? pszCharSet : "")));
}

CString CString::Tokenize(LPCSTR pszTokens, int& iStart) const {
    int nLen = GetLength();
    if (iStart < 0 || iStart > nLen) {
        iStart = -1;
        return CString();
    }
    if (!pszTokens || !*pszTokens) {
        // No delimiters: the rest is the one token; the next call ends.
        CString rest = Mid(iStart);
        iStart = rest.IsEmpty() ? -1 : nLen + 1;
        return rest;
    }
    LPCSTR p = m_pchData + iStart;
    p += strspn(p, pszTokens);
    if (*p == '\0') {
        iStart = -1;
        return CString();
    }
    int nTok = static_cast<int>(strcspn(p, pszTokens));
    int nFrom = static_cast<int>(p - m_pchData);
    iStart = nFrom + nTok + 1;
    return CString(p, nTok);
}

int CString::Find(char ch, int nStart) const {
    if (nStart < 0)
        nStart = 0;
    if (nStart >= GetLength())
        return -1;
    LPCSTR p = strchr(m_pchData + nStart, ch);
    return (p && ch != '\0') ? static_cast<int>(p - m_pchData) : -1;
}

int CString::Find(LPCSTR pszSub, int nStart) const {
    if (!pszSub)
        return -1;
    if (nStart < 0)
        nStart = 0;
    if (nStart > GetLength())
        return -1;
    LPCSTR p = strstr(m_pchData + nStart, pszSub);
    return p ? static_cast<int>(p - m_pchData) : -1;
}

int CString::ReverseFind(char ch) const {
    LPCSTR p = strrchr(m_pchData, ch);
    return (p && ch != '\0') ? static_cast<int>(p - m_pchData) : -1;
}

int CString::FindOneOf(LPCSTR pszCharSet) const {
    if (!pszCharSet)
        return -1;
    LPCSTR p = strpbrk(m_pchData, pszCharSet);
    return p ? static_cast<int>(p - m_pchData) : -1;
}

CString& CString::MakeUpper() {
    if (!IsEmpty()) {
        CopyBeforeWrite();
        CharUpperBuffA(m_pchData, GetLength());
    }
    return *this;
}

CString& CString::MakeLower() {
    if (!IsEmpty()) {
        CopyBeforeWrite();
        CharLowerBuffA(m_pchData, GetLength());
    }
    return *this;
}

CString& CString::MakeReverse() {
    if (GetLength() > 1) {
        CopyBeforeWrite();
        _strrev(m_pchData);
    }
    return *this;
}

int CString::Replace(char chOld, char chNew) {
    if (chOld == chNew)
        return 0;
    int nCount = 0;
    for (int i = 0; i < GetLength(); ++i) {
        if (m_pchData[i] == chOld) {
            if (nCount++ == 0)
                CopyBeforeWrite();
            m_pchData[i] = chNew;
        }
    }
    return nCount;
}

int CString::Replace(LPCSTR pszOld, LPCSTR pszNew) {
    int nOld = SafeLength(pszOld);
    if (nOld == 0)
        return 0;
    int nNew = SafeLength(pszNew);
    int nCount = 0;
    for (LPCSTR p = strstr(m_pchData, pszOld); p; p = strstr(p + nOld, pszOld))
        ++nCount;
    if (nCount == 0)
        return 0;
    CString result;
    result.Preallocate(GetLength() + nCount * (nNew - nOld));
    LPCSTR from = m_pchData;
    for (LPCSTR p = strstr(from, pszOld); p; p = strstr(from, pszOld)) {
        result.Append(from, static_cast<int>(p - from));
        result.Append(pszNew, nNew);
        from = p + nOld;
    }
    result.Append(from);
    *this = static_cast<CString&&>(result);
    return nCount;
}

int CString::Remove(char ch) {
    int nLen = GetLength();
    if (!memchr(m_pchData, ch, nLen))
        return 0;
    CopyBeforeWrite();
    int j = 0;
    for (int i = 0; i < nLen; ++i)
        if (m_pchData[i] != ch)
            m_pchData[j++] = m_pchData[i];
    SetLength(j);
    return nLen - j;
}

int CString::Insert(int nIndex, char ch) { return Insert(nIndex, CString(ch).GetString()); }

int CString::Insert(int nIndex, LPCSTR psz) {
    int nLen = GetLength();
    if (nIndex < 0)
        nIndex = 0;
    if (nIndex > nLen)
        nIndex = nLen;
    int nIns = SafeLength(psz);
    if (nIns == 0)
        return nLen;
    CString result;
    result.Preallocate(nLen + nIns);
    result.Append(m_pchData, nIndex);
    result.Append(psz, nIns);
    result.Append(m_pchData + nIndex, nLen - nIndex);
    *this = static_cast<CString&&>(result);
    return GetLength();
}

int CString::Delete(int nIndex, int nCount) {
    int nLen = GetLength();
    if (nIndex < 0)
        nIndex = 0;
    if (nCount <= 0 || nIndex >= nLen)
        return nLen;
    if (static_cast<long long>(nIndex) + nCount > nLen)
        nCount = nLen - nIndex;
    CopyBeforeWrite();
    memmove(m_pchData + nIndex, m_pchData + nIndex + nCount, nLen - nIndex - nCount + 1);
    Data()->nDataLength = nLen - nCount;
    return nLen - nCount;
}

namespace {
bool IsSpace(char c) { return isspace(static_cast<unsigned char>(c)) != 0; }
}

CString& CString::TrimRight() {
    int n = GetLength();
    while (n > 0 && IsSpace(m_pchData[n - 1]))
        --n;
    if (n != GetLength()) {
        CopyBeforeWrite();
        SetLength(n);
    }
    return *this;
}

CString& CString::TrimRight(char chTarget) {
    int n = GetLength();
    while (n > 0 && m_pchData[n - 1] == chTarget)
        --n;
    if (n != GetLength()) {
        CopyBeforeWrite();
        SetLength(n);
    }
    return *this;
}

CString& CString::TrimRight(LPCSTR pszTargets) {
    if (!pszTargets || !*pszTargets)
        return *this;
    int n = GetLength();
    while (n > 0 && strchr(pszTargets, m_pchData[n - 1]))
        --n;
    if (n != GetLength()) {
        CopyBeforeWrite();
        SetLength(n);
    }
    return *this;
}

CString& CString::TrimLeft() {
    int i = 0;
    while (i < GetLength() && IsSpace(m_pchData[i]))
        ++i;
    return i ? (Delete(0, i), *this) : *this;
}

CString& CString::TrimLeft(char chTarget) {
    int i = 0;
    while (i < GetLength() && m_pchData[i] == chTarget)
        ++i;
    return i ? (Delete(0, i), *this) : *this;
}

CString& CString::TrimLeft(LPCSTR pszTargets) {
    if (!pszTargets || !*pszTargets)
        return *this;
    int i = 0;
    while (i < GetLength() && strchr(pszTargets, m_pchData[i]))
        ++i;
    return i ? (Delete(0, i), *this) : *this;
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }
CString& CString::Trim(char chTarget) { return TrimRight(chTarget).TrimLeft(chTarget); }
CString& CString::Trim(LPCSTR pszTargets) { return TrimRight(pszTargets).TrimLeft(pszTargets); }

void CString::AppendFormatV(LPCSTR pszFormat, va_list args) {
    if (!pszFormat)
        AfxThrowInvalidArgException();
    char small[256];
    va_list copy;
    va_copy(copy, args);
    int n = vsnprintf(small, sizeof small, pszFormat, copy);
    va_end(copy);
    if (n >= 0 && n < static_cast<int>(sizeof small)) {
        Append(small, n);
        return;
    }
    // Large output (or a C runtime that reports -1 on truncation): grow until it fits.
    int nCap = n > 0 ? n + 1 : 1024;
    for (;;) {
        char* buf = static_cast<char*>(malloc(nCap));
        if (!buf)
            AfxThrowMemoryException();
        va_copy(copy, args);
        int m = vsnprintf(buf, nCap, pszFormat, copy);
        va_end(copy);
        if (m >= 0 && m < nCap) {
            try {
                Append(buf, m);
            } catch (...) {
                free(buf);
                throw;
            }
            free(buf);
            return;
        }
        free(buf);
        if (nCap > INT_MAX / 2)
            AfxThrowMemoryException();
        nCap = m > 0 ? m + 1 : nCap * 2;
    }
}

void CString::FormatV(LPCSTR pszFormat, va_list args) {
    CString result;
    result.AppendFormatV(pszFormat, args);
    *this = static_cast<CString&&>(result);
}

void CString::Format(LPCSTR pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::Format(UINT nFormatID, ...) {
    CString fmt;
    fmt.LoadString(nFormatID);
    va_list args;
    va_start(args, nFormatID);
    FormatV(fmt, args);
    va_end(args);
}

void CString::AppendFormat(LPCSTR pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    AppendFormatV(pszFormat, args);
    va_end(args);
}

namespace {
CString FormatMessageV(LPCSTR pszFormat, va_list* args) {
    LPSTR p = nullptr;
    DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER, pszFormat, 0, 0,
                             reinterpret_cast<LPSTR>(&p), 0, args);
    CString s;
    if (n && p)
        s = CString(p, static_cast<int>(n));
    if (p)
        LocalFree(p);
    return s;
}
}  // namespace

void CString::FormatMessage(LPCSTR pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    *this = FormatMessageV(pszFormat, &args);
    va_end(args);
}

void CString::FormatMessage(UINT nFormatID, ...) {
    CString fmt;
    fmt.LoadString(nFormatID);
    va_list args;
    va_start(args, nFormatID);
    *this = FormatMessageV(fmt, &args);
    va_end(args);
}

BOOL CString::LoadString(UINT nID) { return LoadString(AfxGetResourceHandle(), nID); }

BOOL CString::LoadString(HINSTANCE h, UINT nID) {
    // A string-table entry holds at most 65535 characters.
    if (!h)
        return FALSE;
    LPCWSTR pRaw = nullptr;
    int nRaw = LoadStringW(h, nID, reinterpret_cast<LPWSTR>(&pRaw), 0);
    if (nRaw <= 0)
        return FALSE;
    int nCap = nRaw * 2 + 1;
    for (;;) {
        CString tmp;
        LPSTR p = tmp.GetBuffer(nCap);
        int n = ::LoadStringA(h, nID, p, nCap + 1);
        if (n <= 0)
            return FALSE;
        if (n < nCap || nCap >= 0x30000) {
            tmp.ReleaseBuffer(n);
            *this = static_cast<CString&&>(tmp);
            return TRUE;
        }
        nCap *= 2;
    }
}

LPSTR CString::GetBuffer(int nMinBufLength) {
    if (nMinBufLength < 0)
        AfxThrowInvalidArgException();
    EnsureUnshared(nMinBufLength);
    if (Data()->nRefs == -1) {  // empty block and nothing requested: give a private one
        AllocBuffer(0);
    }
    return m_pchData;
}

LPSTR CString::GetBufferSetLength(int nNewLength) {
    GetBuffer(nNewLength);
    SetLength(nNewLength);
    return m_pchData;
}

void CString::ReleaseBuffer(int nNewLength) {
    if (Data()->nRefs == -1)
        return;
    CopyBeforeWrite();
    int nAlloc = Data()->nAllocLength;
    if (nNewLength < 0)
        nNewLength = static_cast<int>(strnlen(m_pchData, nAlloc));
    if (nNewLength > nAlloc)
        nNewLength = nAlloc;
    SetLength(nNewLength);
}

void CString::FreeExtra() {
    if (Data()->nRefs != -1 && Data()->nAllocLength != GetLength()) {
        CString tmp(m_pchData, GetLength());
        *this = static_cast<CString&&>(tmp);
    }
}

void CString::Preallocate(int nLength) {
    if (nLength > GetLength())
        EnsureUnshared(nLength);
}

void CString::Truncate(int nNewLength) {
    if (nNewLength < 0 || nNewLength > GetLength())
        AfxThrowInvalidArgException();
    if (nNewLength == GetLength())
        return;
    CopyBeforeWrite();
    SetLength(nNewLength);
}

namespace {
inline int Cmp(LPCSTR a, LPCSTR b) { return strcmp(a ? a : "", b ? b : ""); }
}

bool operator==(const CString& a, const CString& b) { return a.GetLength() == b.GetLength() && Cmp(a, b) == 0; }
bool operator==(const CString& a, LPCSTR b) { return Cmp(a, b) == 0; }
bool operator==(LPCSTR a, const CString& b) { return Cmp(a, b) == 0; }
bool operator!=(const CString& a, const CString& b) { return !(a == b); }
bool operator!=(const CString& a, LPCSTR b) { return Cmp(a, b) != 0; }
bool operator!=(LPCSTR a, const CString& b) { return Cmp(a, b) != 0; }
bool operator<(const CString& a, const CString& b) { return Cmp(a, b) < 0; }
bool operator<(const CString& a, LPCSTR b) { return Cmp(a, b) < 0; }
bool operator<(LPCSTR a, const CString& b) { return Cmp(a, b) < 0; }
bool operator>(const CString& a, const CString& b) { return Cmp(a, b) > 0; }
bool operator>(const CString& a, LPCSTR b) { return Cmp(a, b) > 0; }
bool operator>(LPCSTR a, const CString& b) { return Cmp(a, b) > 0; }
bool operator<=(const CString& a, const CString& b) { return Cmp(a, b) <= 0; }
bool operator<=(const CString& a, LPCSTR b) { return Cmp(a, b) <= 0; }
bool operator<=(LPCSTR a, const CString& b) { return Cmp(a, b) <= 0; }
bool operator>=(const CString& a, const CString& b) { return Cmp(a, b) >= 0; }
bool operator>=(const CString& a, LPCSTR b) { return Cmp(a, b) >= 0; }
bool operator>=(LPCSTR a, const CString& b) { return Cmp(a, b) >= 0; }

CString operator+(const CString& a, const CString& b) {
    CString r(a);
    r += b;
    return r;
}
CString operator+(const CString& a, LPCSTR b) {
    CString r(a);
    r += b;
    return r;
}
CString operator+(LPCSTR a, const CString& b) {
    CString r(a);
    r += b;
    return r;
}
CString operator+(const CString& a, char b) {
    CString r(a);
    r += b;
    return r;
}
CString operator+(char a, const CString& b) {
    CString r(a);
    r += b;
    return r;
}
