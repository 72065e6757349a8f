#include "framework/exceptions.h"
#include <string.h>

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CSimpleException, CException)
IMPLEMENT_DYNAMIC(CMemoryException, CSimpleException)
IMPLEMENT_DYNAMIC(CNotSupportedException, CSimpleException)
IMPLEMENT_DYNAMIC(CInvalidArgException, CSimpleException)
IMPLEMENT_DYNAMIC(CResourceException, CSimpleException)
IMPLEMENT_DYNAMIC(CFileException, CException)
IMPLEMENT_DYNAMIC(CArchiveException, CException)

namespace {
BOOL CopyMessage(LPCSTR text, LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext) {
    if (pnHelpContext)
        *pnHelpContext = 0;
    if (!lpszError || nMaxError == 0)
        return FALSE;
    lstrcpynA(lpszError, text, static_cast<int>(nMaxError));
    return TRUE;
}

CString WithFile(LPCSTR pattern, const CString& file) {
    CString s;
    s.Format(pattern, file.IsEmpty() ? "an unnamed file" : file.GetString());
    return s;
}
}  // namespace

BOOL CException::GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const {
    if (pnHelpContext)
        *pnHelpContext = 0;
    if (lpszError && nMaxError)
        *lpszError = '\0';
    return FALSE;
}

int CException::ReportError(UINT nType, UINT nMessageID) {
    char text[512];
    CString msg;
    if (GetErrorMessage(text, sizeof text))
        msg = text;
    else if (nMessageID == 0 || !msg.LoadString(nMessageID))
        msg = "An unknown error has occurred.";
    return MessageBoxA(nullptr, msg, nullptr, nType);
}

void CException::Delete() {
    if (m_bAutoDelete)
        delete this;
}

BOOL CSimpleException::GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const {
    return CopyMessage(DefaultText(), lpszError, nMaxError, pnHelpContext);
}

int PASCAL CFileException::OsErrorToException(LONG lOsError) {
    switch (lOsError) {
    case NO_ERROR: return none;
    case ERROR_FILE_NOT_FOUND: return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH: return badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS: return accessDenied;
    case ERROR_INVALID_HANDLE: return invalidFile;
    case ERROR_CURRENT_DIRECTORY: return removeCurrentDir;
    case ERROR_CANNOT_MAKE: return directoryFull;
    case ERROR_SEEK:
    case ERROR_NEGATIVE_SEEK: return badSeek;
    case ERROR_SHARING_VIOLATION: return sharingViolation;
    case ERROR_LOCK_VIOLATION: return lockViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE: return hardIO;
    default: return genericException;
    }
}

void PASCAL CFileException::ThrowOsError(LONG lOsError, LPCSTR lpszFileName) {
    if (lOsError != 0)
        AfxThrowFileException(OsErrorToException(lOsError), lOsError, lpszFileName);
}

void PASCAL CFileException::Throw(int cause, LONG lOsError, LPCSTR lpszFileName) {
    AfxThrowFileException(cause, lOsError, lpszFileName);
}

BOOL CFileException::GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const {
    static const char* const texts[] = {
        "No error occurred.",
        "An unexpected error occurred while accessing %s.",
        "%s was not found.",
        "%s contains an invalid path.",
        "%s could not be opened because there are too many open files.",
        "Access to %s was denied.",
        "An unsupported operation was attempted on %s.",
        "%s could not be removed because it is the current directory.",
        "%s could not be created because the directory is full.",
        "Seek failed on %s.",
        "A hardware I/O error was reported while accessing %s.",
        "A sharing violation occurred while accessing %s.",
        "A locking violation occurred while accessing %s.",
        "Disk full while accessing %s.",
        "An attempt was made to access %s past its end.",
    };
    int cause = (m_cause >= none && m_cause <= endOfFile) ? m_cause : genericException;
    return CopyMessage(WithFile(texts[cause], m_strFileName), lpszError, nMaxError, pnHelpContext);
}

BOOL CArchiveException::GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const {
    static const char* const texts[] = {
        "No error occurred.",
        "An unexpected error occurred while accessing %s.",
        "An attempt was made to write to the reading %s.",
        "An attempt was made to access %s past its end.",
        "An attempt was made to read from the writing %s.",
        "%s has a bad format.",
        "%s contained an unexpected object.",
        "%s contained an unexpected object.",
        "The buffer of %s is full.",
    };
    int cause = (m_cause >= none && m_cause <= bufferFull) ? m_cause : genericException;
    return CopyMessage(WithFile(texts[cause], m_strFileName), lpszError, nMaxError, pnHelpContext);
}

void AfxThrowMemoryException() { throw new CMemoryException; }
void AfxThrowNotSupportedException() { throw new CNotSupportedException; }
void AfxThrowInvalidArgException() { throw new CInvalidArgException; }
void AfxThrowResourceException() { throw new CResourceException; }
void AfxThrowFileException(int cause, LONG lOsError, LPCSTR lpszFileName) {
    throw new CFileException(cause, lOsError, lpszFileName);
}
void AfxThrowArchiveException(int cause, LPCSTR lpszArchiveName) {
    throw new CArchiveException(cause, lpszArchiveName);
}
