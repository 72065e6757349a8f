#include "framework/archive.h"
#include <limits.h>
#include <vector>

namespace {
const UINT kMinBufSize = 64;        // room for any single value
const UINT kStringChunk = 64 * 1024;  // strings grow as their bytes arrive
}  // namespace

CArchive::CArchive(CFile* pFile, UINT nMode, int nBufSize, void* lpBuf)
    : m_pFile(pFile), m_nMode(nMode), m_bOwnBuffer(lpBuf == nullptr) {
    if (!pFile)
        AfxThrowInvalidArgException();
    if (lpBuf && nBufSize >= static_cast<int>(kMinBufSize)) {
        m_pBufStart = static_cast<BYTE*>(lpBuf);
        m_nBufSize = static_cast<UINT>(nBufSize);
    } else {
        m_bOwnBuffer = true;
        m_nBufSize = nBufSize > static_cast<int>(kMinBufSize) ? static_cast<UINT>(nBufSize) : kMinBufSize;
        m_pBufStart = new BYTE[m_nBufSize];
    }
    m_pCur = m_pBufStart;
    m_pLim = IsLoading() ? m_pBufStart : m_pBufStart + m_nBufSize;
}

CArchive::~CArchive() {
    if (m_pFile && !(m_nMode & bNoFlushOnDelete)) {
        try {
            Flush();
        } catch (CException* e) {
            e->Delete();  // a destructor cannot report it
        }
    }
    if (m_bOwnBuffer)
        delete[] m_pBufStart;
}

void CArchive::Throw(int cause) const {
    CString name = m_pFile ? m_pFile->GetFilePath() : CString();
    AfxThrowArchiveException(cause, name);
}

void CArchive::CheckLoading() const {
    if (!m_pFile)
        Throw(CArchiveException::genericException);
    if (!IsLoading())
        Throw(CArchiveException::writeOnly);
}

void CArchive::CheckStoring() const {
    if (!m_pFile)
        Throw(CArchiveException::genericException);
    if (!IsStoring())
        Throw(CArchiveException::readOnly);
}

// --- loading ---------------------------------------------------------------

UINT CArchive::FillUpTo(UINT nBytes) {
    UINT have = static_cast<UINT>(m_pLim - m_pCur);
    if (have >= nBytes)
        return have;
    if (m_pCur != m_pBufStart) {
        memmove(m_pBufStart, m_pCur, have);
        m_pCur = m_pBufStart;
        m_pLim = m_pBufStart + have;
    }
    while (have < nBytes) {
        UINT got = m_pFile->Read(m_pLim, m_nBufSize - have);
        if (got == 0)
            break;  // end of file
        m_pLim += got;
        have += got;
    }
    return have;
}

void CArchive::NeedBytes(UINT nBytes) {
    CheckLoading();
    if (FillUpTo(nBytes) < nBytes)
        Throw(CArchiveException::endOfFile);
}

UINT CArchive::Read(void* lpBuf, UINT nMax) {
    CheckLoading();
    BYTE* out = static_cast<BYTE*>(lpBuf);
    UINT done = 0;
    while (done < nMax) {
        UINT have = static_cast<UINT>(m_pLim - m_pCur);
        if (have == 0) {
            UINT left = nMax - done;
            if (left >= m_nBufSize) {
                // Large reads bypass the buffer.
                UINT got = m_pFile->Read(out + done, left);
                if (got == 0)
                    break;
                done += got;
                continue;
            }
            have = FillUpTo(left);
            if (have == 0)
                break;
        }
        UINT n = have < nMax - done ? have : nMax - done;
        memcpy(out + done, m_pCur, n);
        m_pCur += n;
        done += n;
    }
    return done;
}

BOOL CArchive::ReadString(CString& rString) {
    CheckLoading();
    CString line;
    BOOL gotAny = FALSE;
    for (;;) {
        if (m_pCur == m_pLim && FillUpTo(1) == 0)
            break;
        gotAny = TRUE;
        UINT have = static_cast<UINT>(m_pLim - m_pCur);
        BYTE* nl = static_cast<BYTE*>(memchr(m_pCur, '\n', have));
        UINT take = nl ? static_cast<UINT>(nl - m_pCur) : have;
        line.Append(reinterpret_cast<LPCSTR>(m_pCur), static_cast<int>(take));
        m_pCur += take;
        if (nl) {
            ++m_pCur;
            break;
        }
    }
    if (!gotAny)
        return FALSE;
    if (!line.IsEmpty() && line[line.GetLength() - 1] == '\r')
        line.Truncate(line.GetLength() - 1);
    rString = line;
    return TRUE;
}

LPSTR CArchive::ReadString(LPSTR lpsz, UINT nMax) {
    CheckLoading();
    if (!lpsz || nMax == 0)
        AfxThrowInvalidArgException();
    UINT n = 0;
    while (n + 1 < nMax) {
        if (m_pCur == m_pLim && FillUpTo(1) == 0)
            break;
        char c = static_cast<char>(*m_pCur++);
        lpsz[n++] = c;
        if (c == '\n') {
            if (n >= 2 && lpsz[n - 2] == '\r') {
                lpsz[n - 2] = '\n';
                --n;
            }
            break;
        }
    }
    lpsz[n] = '\0';
    return n ? lpsz : nullptr;
}

DWORD CArchive::LoadLength(bool& bWide) {
    bWide = false;
    BYTE by;
    *this >> by;
    if (by < 0xFF)
        return by;
    WORD w;
    *this >> w;
    if (w == 0xFFFE) {
        // UTF-16 tag: the length follows again, counted in 16-bit characters.
        bWide = true;
        *this >> by;
        if (by < 0xFF)
            return by;
        *this >> w;
        if (w == 0xFFFE)
            Throw(CArchiveException::badIndex);
    }
    if (w < 0xFFFF)
        return w;
    DWORD dw;
    *this >> dw;
    return dw;
}

CArchive& CArchive::operator>>(CString& str) {
    bool bWide;
    DWORD nChars = ReadStringLength(bWide);
    ReadStringChars(nChars, bWide, str);
    return *this;
}

DWORD CArchive::ReadStringLength(bool& bWide) {
    CheckLoading();
    return LoadLength(bWide);
}

void CArchive::ReadStringChars(DWORD nChars, bool bWide, CString& str) {
    CheckLoading();
    ULONGLONG nBytes = bWide ? 2ull * nChars : nChars;
    if (nBytes > static_cast<ULONGLONG>(INT_MAX - 64))
        Throw(CArchiveException::badIndex);
    // Read in chunks, so a damaged length cannot make us allocate more than
    // the file actually holds.
    std::vector<char> bytes;
    while (bytes.size() < nBytes) {
        size_t old = bytes.size();
        UINT chunk = static_cast<UINT>(nBytes - old < kStringChunk ? nBytes - old : kStringChunk);
        bytes.resize(old + chunk);
        if (Read(bytes.data() + old, chunk) != chunk)
            Throw(CArchiveException::endOfFile);
    }
    if (!bWide) {
        str = CString(bytes.data(), static_cast<int>(nChars));
        return;
    }
    if (nChars == 0) {
        str.Empty();
        return;
    }
    std::vector<WCHAR> wide(nChars);
    memcpy(wide.data(), bytes.data(), bytes.size());
    int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(nChars), nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        Throw(CArchiveException::badIndex);
    CString ansi;
    LPSTR p = ansi.GetBuffer(n);
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(nChars), p, n, nullptr, nullptr);
    ansi.ReleaseBuffer(n);
    str = ansi;
}

// --- storing ---------------------------------------------------------------

void CArchive::WriteBuffer() {
    if (m_pCur == m_pBufStart)
        return;
    UINT n = static_cast<UINT>(m_pCur - m_pBufStart);
    m_pCur = m_pBufStart;  // dropped even when the write fails: it is reported once
    m_pFile->Write(m_pBufStart, n);
}

void CArchive::Write(const void* lpBuf, UINT nCount) {
    CheckStoring();
    if (nCount == 0)
        return;
    if (nCount <= static_cast<UINT>(m_pLim - m_pCur)) {
        memcpy(m_pCur, lpBuf, nCount);
        m_pCur += nCount;
        return;
    }
    WriteBuffer();
    if (nCount >= m_nBufSize) {
        m_pFile->Write(lpBuf, nCount);
        return;
    }
    memcpy(m_pCur, lpBuf, nCount);
    m_pCur += nCount;
}

void CArchive::WriteString(LPCSTR lpsz) {
    if (!lpsz)
        AfxThrowInvalidArgException();
    Write(lpsz, static_cast<UINT>(strlen(lpsz)));
}

void CArchive::StoreLength(DWORD nLength) {
    if (nLength < 0xFF) {
        *this << static_cast<BYTE>(nLength);
    } else if (nLength < 0xFFFE) {
        *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(nLength);
    } else {
        *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(0xFFFF) << static_cast<DWORD>(nLength);
    }
}

CArchive& CArchive::operator<<(const CString& str) {
    CheckStoring();
    StoreLength(static_cast<DWORD>(str.GetLength()));
    Write(str.GetString(), static_cast<UINT>(str.GetLength()));
    return *this;
}

// --- both ------------------------------------------------------------------

void CArchive::Flush() {
    if (!m_pFile)
        return;
    if (IsStoring()) {
        WriteBuffer();
        return;
    }
    // Give the unread bytes back, so the file stands where the archive does.
    UINT unread = static_cast<UINT>(m_pLim - m_pCur);
    m_pCur = m_pLim = m_pBufStart;
    if (unread)
        m_pFile->Seek(-static_cast<LONGLONG>(unread), CFile::current);
}

void CArchive::Close() {
    if (!m_pFile)
        return;
    Flush();
    m_pFile = nullptr;
}

void CArchive::Abort() {
    m_pFile = nullptr;
    m_pCur = m_pBufStart;
    m_pLim = IsLoading() ? m_pBufStart : m_pBufStart + m_nBufSize;
}
