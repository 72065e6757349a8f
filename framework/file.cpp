#include "framework/file.h"
#include <fcntl.h>
#include <io.h>
#include <errno.h>
#include <stdlib.h>
#include <string.h>

IMPLEMENT_DYNAMIC(CFile, CObject)
IMPLEMENT_DYNAMIC(CStdioFile, CFile)

const HANDLE CFile::hFileNull = INVALID_HANDLE_VALUE;

namespace {
void FillError(CFileException* pError, LONG lOsError, LPCSTR lpszFileName) {
    if (!pError)
        return;
    pError->m_lOsError = lOsError;
    pError->m_cause = lOsError ? CFileException::OsErrorToException(lOsError) : CFileException::genericException;
    pError->m_strFileName = lpszFileName;
}

[[noreturn]] void ThrowOpenError(const CFileException& e) {
    throw new CFileException(e.m_cause, e.m_lOsError, e.m_strFileName);
}

// A failed call with no error code still has to report a failure.
[[noreturn]] void ThrowOsOrGeneric(DWORD dwError, const CString& fileName) {
    if (dwError == 0)
        AfxThrowFileException(CFileException::genericException, -1, fileName);
    AfxThrowFileException(CFileException::OsErrorToException(static_cast<LONG>(dwError)),
                          static_cast<LONG>(dwError), fileName);
}

CString FullPath(LPCSTR lpszFileName) {
    char buf[MAX_PATH];
    DWORD n = GetFullPathNameA(lpszFileName, sizeof buf, buf, nullptr);
    if (n == 0 || n >= sizeof buf)
        return CString(lpszFileName);
    return CString(buf);
}
}  // namespace

// --- CFile -----------------------------------------------------------------

CFile::CFile() : m_hFile(hFileNull) {}

CFile::CFile(LPCSTR lpszFileName, UINT nOpenFlags) : m_hFile(hFileNull) {
    CFileException e;
    if (!CFile::Open(lpszFileName, nOpenFlags, &e))
        ThrowOpenError(e);
}

CFile::~CFile() {
    if (m_hFile != hFileNull)
        CFile::Abort();
}

BOOL CFile::Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
    if (m_hFile != hFileNull)
        Abort();
    if (!lpszFileName || !*lpszFileName) {
        FillError(pError, ERROR_INVALID_NAME, lpszFileName);
        return FALSE;
    }

    DWORD access = 0;
    switch (nOpenFlags & 3) {
    case modeRead: access = GENERIC_READ; break;
    case modeWrite: access = GENERIC_WRITE; break;
    case modeReadWrite: access = GENERIC_READ | GENERIC_WRITE; break;
    default: FillError(pError, ERROR_INVALID_PARAMETER, lpszFileName); return FALSE;
    }

    DWORD share = 0;
    switch (nOpenFlags & 0x70) {
    case shareCompat:
    case shareExclusive: share = 0; break;
    case shareDenyWrite: share = FILE_SHARE_READ; break;
    case shareDenyRead: share = FILE_SHARE_WRITE; break;
    case shareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    default: FillError(pError, ERROR_INVALID_PARAMETER, lpszFileName); return FALSE;
    }

    DWORD disposition = OPEN_EXISTING;
    if (nOpenFlags & modeCreate)
        disposition = (nOpenFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;

    // Inheritable unless asked otherwise, as the system framework opens files.
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, (nOpenFlags & modeNoInherit) ? FALSE : TRUE};
    HANDLE h = CreateFileA(lpszFileName, access, share, &sa, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        FillError(pError, static_cast<LONG>(GetLastError()), lpszFileName);
        return FALSE;
    }
    m_hFile = h;
    m_strFilePath = FullPath(lpszFileName);
    return TRUE;
}

void CFile::ThrowLastError() const { ThrowOsOrGeneric(GetLastError(), m_strFilePath); }

void CFile::ResetState() {
    m_hFile = hFileNull;
    m_strFilePath.Empty();
}

UINT CFile::Read(void* lpBuf, UINT nCount) {
    if (nCount == 0)
        return 0;
    DWORD got = 0;
    if (!ReadFile(m_hFile, lpBuf, nCount, &got, nullptr))
        ThrowLastError();
    return got;
}

void CFile::Write(const void* lpBuf, UINT nCount) {
    if (nCount == 0)
        return;
    DWORD written = 0;
    if (!WriteFile(m_hFile, lpBuf, nCount, &written, nullptr))
        ThrowLastError();
    if (written < nCount)
        AfxThrowFileException(CFileException::diskFull, -1, m_strFilePath);
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom) {
    DWORD method = nFrom == begin ? FILE_BEGIN : nFrom == current ? FILE_CURRENT : FILE_END;
    LARGE_INTEGER off, pos;
    off.QuadPart = lOff;
    if (!SetFilePointerEx(m_hFile, off, &pos, method))
        ThrowLastError();
    return static_cast<ULONGLONG>(pos.QuadPart);
}

ULONGLONG CFile::GetPosition() const {
    LARGE_INTEGER zero, pos;
    zero.QuadPart = 0;
    if (!SetFilePointerEx(m_hFile, zero, &pos, FILE_CURRENT))
        ThrowLastError();
    return static_cast<ULONGLONG>(pos.QuadPart);
}

ULONGLONG CFile::GetLength() const {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(m_hFile, &size))
        ThrowLastError();
    return static_cast<ULONGLONG>(size.QuadPart);
}

void CFile::SetLength(ULONGLONG dwNewLen) {
    Seek(static_cast<LONGLONG>(dwNewLen), begin);
    if (!SetEndOfFile(m_hFile))
        ThrowLastError();
}

void CFile::Flush() {
    if (m_hFile == hFileNull)
        return;
    if (!FlushFileBuffers(m_hFile))
        ThrowLastError();
}

void CFile::Close() {
    if (m_hFile == hFileNull)
        return;
    CString name = m_strFilePath;
    BOOL ok = CloseHandle(m_hFile);
    DWORD err = GetLastError();
    ResetState();
    if (!ok)
        ThrowOsOrGeneric(err, name);
}

void CFile::Abort() {
    if (m_hFile != hFileNull)
        CloseHandle(m_hFile);
    ResetState();
}

CString CFile::GetFileName() const {
    LPCSTR path = m_strFilePath;
    LPCSTR name = path;
    for (LPCSTR p = path; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':')
            name = p + 1;
    return CString(name);
}

// --- CStdioFile ------------------------------------------------------------

CStdioFile::CStdioFile() : m_pStream(nullptr), m_bStreamWrites(false) {}

CStdioFile::CStdioFile(LPCSTR lpszFileName, UINT nOpenFlags) : m_pStream(nullptr), m_bStreamWrites(false) {
    CFileException e;
    if (!CStdioFile::Open(lpszFileName, nOpenFlags, &e))
        ThrowOpenError(e);
}

CStdioFile::~CStdioFile() {
    if (m_pStream)
        CStdioFile::Abort();
}

BOOL CStdioFile::Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
    if (m_pStream || m_hFile != hFileNull)
        Abort();
    if (!CFile::Open(lpszFileName, nOpenFlags & ~(typeText | typeBinary), pError))
        return FALSE;

    // The C stream's mode follows the open flags: creating without truncating,
    // or writing alone, appends.
    char mode[4] = {};
    int n = 0;
    int fdFlags = 0;
    const bool readWrite = (nOpenFlags & 3) == modeReadWrite;
    if (nOpenFlags & modeCreate)
        mode[n++] = (nOpenFlags & modeNoTruncate) ? 'a' : 'w';
    else if (nOpenFlags & modeWrite)
        mode[n++] = 'a';
    else
        mode[n++] = 'r';
    if (mode[0] == 'a')
        fdFlags |= _O_APPEND;
    if (readWrite)
        mode[n++] = '+';
    if ((nOpenFlags & 3) == modeRead)
        fdFlags |= _O_RDONLY;
    const bool binary = (nOpenFlags & typeBinary) != 0;
    mode[n++] = binary ? 'b' : 't';
    fdFlags |= binary ? _O_BINARY : _O_TEXT;

    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(m_hFile), fdFlags);
    if (fd == -1) {
        FillError(pError, ERROR_TOO_MANY_OPEN_FILES, lpszFileName);
        CFile::Abort();
        return FALSE;
    }
    m_pStream = _fdopen(fd, mode);
    if (!m_pStream) {
        _close(fd);  // closes the handle too
        m_hFile = hFileNull;
        m_strFilePath.Empty();
        FillError(pError, ERROR_TOO_MANY_OPEN_FILES, lpszFileName);
        return FALSE;
    }
    m_bStreamWrites = (nOpenFlags & 3) != modeRead;
    return TRUE;
}

void CStdioFile::ThrowStreamError() const {
    LONG os = static_cast<LONG>(_doserrno);
    if (os == 0 && errno == ENOSPC)
        os = ERROR_DISK_FULL;
    ThrowOsOrGeneric(static_cast<DWORD>(os), m_strFilePath);
}

UINT CStdioFile::Read(void* lpBuf, UINT nCount) {
    if (!m_pStream)
        return CFile::Read(lpBuf, nCount);
    if (nCount == 0)
        return 0;
    _doserrno = 0;
    size_t got = fread(lpBuf, 1, nCount, m_pStream);
    if (got < nCount && ferror(m_pStream)) {
        clearerr(m_pStream);
        ThrowStreamError();
    }
    return static_cast<UINT>(got);
}

void CStdioFile::Write(const void* lpBuf, UINT nCount) {
    if (!m_pStream)
        return CFile::Write(lpBuf, nCount);
    _doserrno = 0;
    if (fwrite(lpBuf, 1, nCount, m_pStream) != nCount) {
        clearerr(m_pStream);
        ThrowStreamError();
    }
}

void CStdioFile::WriteString(LPCSTR lpsz) {
    if (!lpsz)
        AfxThrowInvalidArgException();
    _doserrno = 0;
    if (fputs(lpsz, m_pStream) == EOF) {
        clearerr(m_pStream);
        ThrowStreamError();
    }
}

LPSTR CStdioFile::ReadString(LPSTR lpsz, UINT nMax) {
    if (!lpsz || nMax == 0)
        AfxThrowInvalidArgException();
    _doserrno = 0;
    if (!fgets(lpsz, static_cast<int>(nMax), m_pStream)) {
        if (ferror(m_pStream)) {
            clearerr(m_pStream);
            ThrowStreamError();
        }
        return nullptr;
    }
    return lpsz;
}

BOOL CStdioFile::ReadString(CString& rString) {
    rString.Empty();
    char chunk[512];
    BOOL gotAny = FALSE;
    for (;;) {
        _doserrno = 0;
        if (!fgets(chunk, sizeof chunk, m_pStream)) {
            if (ferror(m_pStream)) {
                clearerr(m_pStream);
                ThrowStreamError();
            }
            return gotAny;  // a last line without "\n" still counts
        }
        gotAny = TRUE;
        int len = static_cast<int>(strlen(chunk));
        if (len > 0 && chunk[len - 1] == '\n') {
            rString.Append(chunk, len - 1);
            return TRUE;
        }
        rString.Append(chunk, len);
    }
}

ULONGLONG CStdioFile::Seek(LONGLONG lOff, UINT nFrom) {
    if (!m_pStream)
        return CFile::Seek(lOff, nFrom);
    int origin = nFrom == begin ? SEEK_SET : nFrom == current ? SEEK_CUR : SEEK_END;
    if (_fseeki64(m_pStream, lOff, origin) != 0)
        AfxThrowFileException(CFileException::badSeek, -1, m_strFilePath);
    return GetPosition();
}

ULONGLONG CStdioFile::GetPosition() const {
    if (!m_pStream)
        return CFile::GetPosition();
    __int64 pos = _ftelli64(m_pStream);
    if (pos < 0)
        AfxThrowFileException(CFileException::invalidFile, -1, m_strFilePath);
    return static_cast<ULONGLONG>(pos);
}

ULONGLONG CStdioFile::GetLength() const {
    // Written bytes still in the stream's buffer belong to the length.
    if (m_pStream && m_bStreamWrites && fflush(m_pStream) != 0)
        ThrowStreamError();
    return CFile::GetLength();
}

void CStdioFile::Flush() {
    if (m_pStream && m_bStreamWrites && fflush(m_pStream) != 0)
        ThrowStreamError();
}

void CStdioFile::Close() {
    if (!m_pStream)
        return CFile::Close();
    CString name = m_strFilePath;
    _doserrno = 0;
    int r = fclose(m_pStream);  // closes the handle as well
    LONG os = static_cast<LONG>(_doserrno);
    m_pStream = nullptr;
    ResetState();
    if (r != 0)
        ThrowOsOrGeneric(static_cast<DWORD>(os), name);
}

void CStdioFile::Abort() {
    if (m_pStream) {
        fclose(m_pStream);
        m_pStream = nullptr;
        ResetState();
    } else {
        CFile::Abort();
    }
}
